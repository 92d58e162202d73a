// vantor.ini as a player edits it: the start-up check names each hand-made mistake once while the
// rest of the file applies, bindings read back from their lines, and the options' rewrite touches
// the changed lines alone, atomically, through a symbolic link, keeping the file's mode. The screen
// with the pad alone: test_pad.cpp; with real key presses: tests/integration/options.sh.
#include "console/bind.h"
#include "console_test_util.h"
#include "app/client.h"
#include "core/inifile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <regex>

namespace {

class OptionsFile : public ConsoleTest {
  protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        ClientRegisterSettings();
    }
    // The error-log lines without their time stamps.
    std::vector<std::string> Errors() {
        std::vector<std::string> lines;
        std::string log = ReadFile("error.log");
        for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(std::regex_replace(log.substr(at, end - at), std::regex("^\\S+ "), ""));
        return lines;
    }
    std::string Keys(int32_t action) {
        char text[256];
        BindActionText(action, text, sizeof(text));
        return text;
    }
};

constexpr int32_t FIRE = 4, THRUST = 2, BRAKE = 3, QUIT = 10;

TEST_F(OptionsFile, EachHandMadeMistakeIsOneLineAndTheRestApplies) {
    WriteFile("vantor.ini", "# mine\n"
                            "volume = 50%\n"
                            "level = two\n"
                            "fps=1\n"
                            "fov = 60\n"
                            "FOV = 75\n"
                            "volum = 3\n"
                            "camera = 9\n"
                            "lights =\n"
                            "bind_fire = Spacebar, Mouse1\n"
                            "bind_jump = J\n"
                            "bind_thrust = Up,  keypad   8 , w\n"
                            "bind_brake = none\n"
                            "bind_quit=Escape\n"
                            "bind_thrust = Down\n"
                            "maxfps = 144\n"
                            "fscreen = 2\n");
    IniCheck(INI_FILE, BindOwnsIniKey);
    StartConsole();
    // Long lines are split into adjacent literals, which the comma check takes for a slip.
    // NOLINTBEGIN(bugprone-suspicious-missing-comma)
    const std::vector<std::string> expected = {
        "IniCheck: vantor.ini line 2: volume = 50%: not a number; read as 50",
        "IniCheck: vantor.ini line 3: level = two: not a number; read as 0",
        "IniCheck: vantor.ini line 4: fps=1: no blanks around \"=\"; the line is ignored",
        "IniCheck: vantor.ini line 6: FOV is given again; the first, on line 5, is the one read",
        "IniCheck: vantor.ini line 7: volum: no such setting; the line is ignored",
        "IniCheck: vantor.ini line 8: camera = 9: outside 0 to 3",
        "IniCheck: vantor.ini line 9: lights has no value; read as 0",
        "IniCheck: vantor.ini line 14: bind_quit=Escape: no blanks around \"=\"; the line is "
        "ignored",
        "IniCheck: vantor.ini line 15: bind_thrust is given again; the first, on line 12, is the "
        "one read",
        "BindReadSettings: vantor.ini line 10: bind_fire: no key is named \"Spacebar\"; Fire "
        "keeps its keys",
        "BindReadSettings: vantor.ini line 11: bind_jump: no such action; the line is ignored",
    };
    // NOLINTEND(bugprone-suspicious-missing-comma)
    EXPECT_EQ(Errors(), expected);
    // The reads are as they always were; the bindings of the good lines apply, the others keep
    // their defaults.
    EXPECT_EQ(IniGetInt(INI_FILE, "volume", 0), 50);
    EXPECT_EQ(IniGetFloat(INI_FILE, "fov", 90.0f), 60.0f);
    EXPECT_EQ(IniGetInt(INI_FILE, "maxfps", 200), 144);
    EXPECT_EQ(Keys(FIRE), "Space, Mouse1, Pad A");
    EXPECT_EQ(Keys(THRUST), "Up, Keypad 8, W");
    EXPECT_EQ(Keys(BRAKE), "None");
    EXPECT_EQ(Keys(QUIT), "Escape, Pad Back");
    EXPECT_EQ(BindFind('w')->press, CommandFind("+forward"));
    EXPECT_EQ(BindFind(KEY_DOWN)->press, nullptr); // brake has no key left
    EXPECT_EQ(BindFind(KEY_PAD_X), nullptr);
}

TEST_F(OptionsFile, ARebindMovesTheKeyAndDefaultsComeBack) {
    WriteFile("vantor.ini", "");
    StartConsole();
    EXPECT_EQ(BindActionSet(FIRE, 0, KEY_UP), THRUST); // Up was thrust's
    EXPECT_EQ(Keys(FIRE), "Up, Mouse1, Pad A");
    EXPECT_EQ(Keys(THRUST), "W, Keypad 8, Pad Up");
    EXPECT_EQ(BindFind(KEY_SPACE)->press, nullptr);
    ASSERT_NE(BindFind(KEY_UP)->release, nullptr); // fire lets go when the key comes up
    EXPECT_STREQ(BindFind(KEY_UP)->release->commandName, "-attack");
    BindActionSet(QUIT, 5, 'q');
    EXPECT_EQ(BindFind('q')->release, nullptr); // quit has no '-' twin
    BindRestoreDefaults();
    // Every action's default keys, as the options list them.
    std::string defaults;
    for (int32_t action = 0; action < BIND_ACTIONS; ++action)
        defaults += Keys(action) + "; ";
    EXPECT_EQ(defaults,
              "Left, A, Keypad 4, Pad Left; Right, D, Keypad 6, Pad Right; Up, W, Keypad 8, "
              "Pad Up; Down, S, Keypad 2, Pad Down; Space, Mouse1, Pad A; Left Alt, Right "
              "Alt, Keypad +, Mouse2, Pad B; P, Pause, Pad Start; F12; Minus; Equals; "
              "Escape, Pad Back; C, Pad RB; ");
    EXPECT_EQ(BindFind('q')->press, nullptr);
}

TEST_F(OptionsFile, TheRewriteChangesOnlyTheChangedLinesInPlace) {
    const std::string before = "# my settings\r\n"
                               "  Volume   =  52000   ; loud\r\n"
                               "\r\n"
                               "futurekey = 7\r\n"
                               "fov=80\r\n"
                               "FOV = 90.0\r\n"
                               "volume = 1\r\n"
                               "bind_fire = Space, Mouse1 # mine\r\n"
                               "lights =\r\n"
                               "last = line";
    mkdir("real", 0755);
    WriteFile("real/vantor.ini", before);
    chmod("real/vantor.ini", 0640);
    ASSERT_EQ(symlink("real/vantor.ini", "vantor.ini"), 0);
    const IniChange changes[] = {
        {"volume", "30000", false, "output volume"},
        {"fov", "75", false, "field of view"},
        {"bind_fire", "F, Mouse1", true, "keys for Fire"},
        {"lights", "2", false, "lights"},
        {"rumble", "0", false, "1: pads rumble"},
        {"bind_quit", "Escape", true, "keys for Quit prompt"},
    };
    char reason[128] = "x";
    ASSERT_TRUE(IniWrite(INI_FILE, changes, 6, reason, sizeof(reason)));
    EXPECT_STREQ(reason, "");
    EXPECT_EQ(ReadFile("real/vantor.ini"), "# my settings\r\n"
                                           "  Volume   =  30000   ; loud\r\n"
                                           "\r\n"
                                           "futurekey = 7\r\n"
                                           "fov=80\r\n"
                                           "FOV = 75\r\n"
                                           "volume = 1\r\n"
                                           "bind_fire = F, Mouse1 # mine\r\n"
                                           "lights = 2\r\n"
                                           "last = line\r\n"
                                           "# 1: pads rumble\r\n"
                                           "rumble = 0\r\n"
                                           "# keys for Quit prompt\r\n"
                                           "bind_quit = Escape\r\n");
    struct stat st {};
    ASSERT_EQ(lstat("vantor.ini", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)); // the link stays; its target was replaced
    ASSERT_EQ(stat("real/vantor.ini", &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(IniGetInt(INI_FILE, "volume", 0), 30000); // the reads take the new lines
    EXPECT_EQ(IniGetInt(INI_FILE, "rumble", 1), 0);
    EXPECT_EQ(std::system("test $(ls -A real | wc -l) -eq 1"), 0) << "a temporary file was left";

    // A file that cannot be replaced: one error line, the old file whole.
    ASSERT_EQ(unlink("vantor.ini"), 0);
    ASSERT_EQ(symlink("missing/dir/vantor.ini", "vantor.ini"), 0);
    EXPECT_FALSE(IniWrite(INI_FILE, changes, 1, reason, sizeof(reason)));
    EXPECT_STREQ(reason, "Not saved: No such file or directory");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("IniWrite: cannot create a file beside missing/dir/vantor.ini"),
              std::string::npos)
        << Errors()[0];
}

} // namespace
