// Game controllers through SDL's virtual joystick given a controller mapping: the engine codes and
// bindings of every control, plugging in and pulling out mid-run, rumble requests, and the title
// menu, quit prompt and name entry with the pad alone. Then keyboards of other layouts: typed
// text and the prompt's letter follow the layout, not the key's position.
#include "console_test_util.h"
#include "game/game.h"
#include "ui/hiscore.h"
#include "ui/screens.h"
#include "ui_test_util.h"

#include <optional>
#include <string>

namespace {

struct RumbleRequest {
    uint16_t low, high;
    uint32_t ms;
    bool operator==(const RumbleRequest&) const = default;
};
std::vector<RumbleRequest> rumbles;

int CountRumble(void*, uint16_t low, uint16_t high, uint32_t ms) {
    rumbles.push_back({low, high, ms});
    return 0;
}

int VirtualRumble(void*, Uint16, Uint16) {
    return 0; // a pad with motors
}

bool QuitPosted() {
    SDL_PumpEvents();
    bool posted = SDL_HasEvent(SDL_QUIT) == SDL_TRUE;
    SDL_FlushEvent(SDL_QUIT);
    return posted;
}

// One control of the virtual pad: a button (axis < 0) or an axis, and the value that works it.
struct Control {
    int button, axis;
    int16_t value;
};
constexpr Control BUTTON(int b) {
    return {b, -1, 1};
}

class Pad : public ConsoleTest {
  protected:
    int device = -1;
    SDL_Joystick* stick = nullptr;
    std::optional<UiTestScope> ui;
    InputRumbleFunction savedRumble = inputRumbleSend;

    void SetUp() override {
        ConsoleTest::SetUp();
        if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "a real joystick is attached";
        rumbles.clear();
        inputRumbleSend = CountRumble;
        WriteFile("vantor.ini", "");
        StartConsole();
        InputAddHandler(RecordEvent);
    }
    void TearDown() override {
        ui.reset();
        Unplug();
        ConsoleTest::TearDown();
        inputRumbleSend = savedRumble;
    }
    // A virtual pad with every controller button and axis, mapped one to one.
    void PlugIn() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Test Pad";
        desc.Rumble = VirtualRumble;
        device = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(device, 0) << SDL_GetError();
        char guid[64];
        SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(device), guid, sizeof(guid));
        std::string mapping = std::string(guid) +
                              ",Test Pad,a:b0,b:b1,back:b4,start:b6,dpup:b11,dpdown:b12,"
                              "dpleft:b13,dpright:b14,leftx:a0,lefty:a1,righttrigger:a5,";
        ASSERT_GE(SDL_GameControllerAddMapping(mapping.c_str()), 0) << SDL_GetError();
        stick = SDL_JoystickOpen(device);
        ASSERT_NE(stick, nullptr);
        Poll();
    }
    void Unplug() {
        if (stick) SDL_JoystickClose(stick);
        stick = nullptr;
        if (device >= 0 && SDL_JoystickIsVirtual(device)) SDL_JoystickDetachVirtual(device);
        device = -1;
    }
    std::vector<std::pair<int32_t, uint32_t>> Poll() {
        RecordedEvents().clear();
        InputPoll();
        std::vector<std::pair<int32_t, uint32_t>> keys;
        for (const InputEvent& e : RecordedEvents())
            keys.emplace_back(e.key, e.flags);
        return keys;
    }
    std::vector<std::pair<int32_t, uint32_t>> Set(const Control& c, bool on) {
        if (c.axis < 0)
            SDL_JoystickSetVirtualButton(stick, c.button, on ? SDL_PRESSED : SDL_RELEASED);
        else
            SDL_JoystickSetVirtualAxis(stick, c.axis, on ? c.value : 0);
        return Poll();
    }
    void Press(const Control& c) {
        Set(c, true);
        Set(c, false);
    }
    // The GUI and screens over the console, as at client start-up.
    void StartScreens() {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
        SDL_FlushEvent(SDL_QUIT);
        ui.emplace();
        ScreensInit();
        HiScoreSetDefaults();
        score = lives = level = 0;
    }
};

using KeyList = std::vector<std::pair<int32_t, uint32_t>>;
constexpr uint32_t P = INPUT_PRESS, R = INPUT_RELEASE;

TEST_F(Pad, ControlsGiveTheJoystickCodesAndTheirBindingsAndSurviveReplugging) {
    PlugIn();
    EXPECT_NE(ReadFile("boot.log").find("Joystick1 connected: Test Pad (game controller)\n"),
              std::string::npos);
    EXPECT_EQ(InputPadCount(), 1);
    struct Row {
        Control control;
        KeyList down, up;
        int32_t* word; // the control word it holds, or null
    };
    const Row rows[] = {
        {BUTTON(SDL_CONTROLLER_BUTTON_A), {{309, P}}, {{309, R}}, &cmdAttack},
        {{0, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767}, {{309, P}}, {{309, R}}, &cmdAttack},
        {BUTTON(SDL_CONTROLLER_BUTTON_B), {{310, P}}, {{310, R}}, &cmdLookback},
        {BUTTON(SDL_CONTROLLER_BUTTON_START), {{KEY_PAD_START, P}}, {{KEY_PAD_START, R}}, nullptr},
        {BUTTON(SDL_CONTROLLER_BUTTON_DPAD_UP),
         {{315, 0}, {313, P}},
         {{315, 0}, {313, R}},
         &cmdForward},
        {BUTTON(SDL_CONTROLLER_BUTTON_DPAD_DOWN),
         {{315, 0}, {314, P}},
         {{315, 0}, {314, R}},
         &cmdBackward},
        {{0, SDL_CONTROLLER_AXIS_LEFTX, -32768},
         {{315, 0}, {311, P}},
         {{315, 0}, {311, R}},
         &cmdLeft},
        {BUTTON(SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
         {{315, 0}, {312, P}},
         {{315, 0}, {312, R}},
         &cmdRight},
    };
    Poll(); // the centred stick's first reading
    for (const Row& row : rows) {
        SCOPED_TRACE(row.down[row.down.size() - 1].first);
        EXPECT_EQ(Set(row.control, true), row.down);
        int32_t held = row.word ? *row.word : 1;
        EXPECT_EQ(Set(row.control, false), row.up);
        int32_t released = row.word ? *row.word : 0;
        EXPECT_EQ(held, 1);
        EXPECT_EQ(released, 0);
    }

    // Pulled out while turning: the turn ends, the game goes on, no error.
    Set(BUTTON(SDL_CONTROLLER_BUTTON_DPAD_LEFT), true);
    EXPECT_EQ(cmdLeft, 1);
    Unplug();
    EXPECT_EQ(Poll(), (KeyList{{315, 0}, {311, R}}));
    EXPECT_EQ(cmdLeft, 0);
    EXPECT_TRUE(Poll().empty());
    EXPECT_EQ(InputPadCount(), 0);
    EXPECT_NE(ReadFile("boot.log").find("Joystick1 removed\n"), std::string::npos);
    // Plugged in again: it takes the slot and works at once.
    PlugIn();
    EXPECT_EQ(Set(BUTTON(SDL_CONTROLLER_BUTTON_A), true), (KeyList{{309, P}}));
    EXPECT_EQ(ReadFile("error.log"), "");
}

TEST_F(Pad, RumbleStartsOnRequestAndIsNeverLeftRunning) {
    PlugIn();
    const RumbleRequest stop{0, 0, 0};
    InputRumble(100, 200, 300);
    EXPECT_EQ(rumbles, (std::vector<RumbleRequest>{{100, 200, 300}}));
    InputRumbleStop();
    InputRumbleStop(); // nothing runs: no request
    EXPECT_EQ(rumbles.back(), stop);
    EXPECT_EQ(rumbles.size(), 2u);

    // Focus loss, pulling the pad out and shutdown each stop a running rumble.
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    InputRumble(1, 1, 1);
    InputHandleSdlEvent(focus);
    EXPECT_EQ(rumbles.size(), 4u);
    EXPECT_EQ(rumbles.back(), stop);
    InputRumble(1, 1, 1);
    Unplug();
    Poll();
    EXPECT_EQ(rumbles.size(), 6u);
    EXPECT_EQ(rumbles.back(), stop);
    PlugIn();
    InputRumble(1, 1, 1);
    InputUnInit();
    EXPECT_EQ(rumbles.size(), 8u);
    EXPECT_EQ(rumbles.back(), stop);

    // rumble = 0: no request at all.
    WriteFile("vantor.ini", "rumble = 0\n");
    Unplug();
    InputInit();
    PlugIn();
    InputRumble(1, 1, 1);
    EXPECT_EQ(rumbles.size(), 8u);
}

TEST_F(Pad, TheWholeMenuFlowWithThePadAlone) {
    PlugIn();
    StartScreens();
    const Control south = BUTTON(SDL_CONTROLLER_BUTTON_A), east = BUTTON(SDL_CONTROLLER_BUTTON_B),
                  start = BUTTON(SDL_CONTROLLER_BUTTON_START),
                  back = BUTTON(SDL_CONTROLLER_BUTTON_BACK),
                  up = BUTTON(SDL_CONTROLLER_BUTTON_DPAD_UP),
                  down = BUTTON(SDL_CONTROLLER_BUTTON_DPAD_DOWN),
                  left = BUTTON(SDL_CONTROLLER_BUTTON_DPAD_LEFT),
                  right = BUTTON(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    // Back opens the quit prompt, east says no, south says yes.
    GuiLayer* menu = GuiOpenScreen(MenuScreen);
    Press(back);
    ASSERT_EQ(GuiTopScreen()->callback, QuitScreen);
    Press(east);
    EXPECT_EQ(GuiTopScreen(), menu);
    Press(back);
    Press(south);
    EXPECT_TRUE(QuitPosted());
    Press(east);
    // Start on the title starts a game.
    Press(start);
    EXPECT_EQ(GuiFindScreen(MenuScreen), nullptr);
    EXPECT_EQ(sliceHook, LevelBannerCountdown);
    EXPECT_EQ(lives, GAME_START_LIVES);

    // The name entry: up twice makes C, south and right take it, down goes back to B, left
    // deletes, Start enters. The screen shows the score, its rank and the pad's buttons.
    menu = GuiOpenScreen(MenuScreen);
    GuiOpenScreen(NameEntryScreen);
    score = 9000;
    for (const Control* c : {&up, &up, &south, &right, &down, &south, &left, &south})
        Press(*c);
    EXPECT_STREQ(nameEdit->text, "CCB");
    GLRecorderScope recorder;
    GuiDraw();
    std::vector<DrawnText> texts = DrawnTexts();
    EXPECT_EQ(FindDrawn(texts, "Score").text, "Score 009000  Rank 2");
    EXPECT_EQ(FindDrawn(texts, "Pad:").font, smallFont);
    EXPECT_EQ(FindDrawn(texts, "B").font, largeFont); // the letter under the cursor
    Press(start);
    EXPECT_EQ(GuiTopScreen(), menu);
    EXPECT_EQ(highlightRank, 1);
    EXPECT_STREQ(hiScoreTable[1].name, "CCB");
    // None of it flew the ship.
    EXPECT_TRUE(BindingKeys().empty());
}

TEST_F(Pad, TextAndPromptLettersFollowTheLayout) {
    StartScreens();
    // A German keyboard: the key in the Z position is labelled Y, and the other way round.
    for (auto [scancode, sym] : {std::pair{SDL_SCANCODE_Z, SDLK_y}, {SDL_SCANCODE_Y, SDLK_z}}) {
        SDL_Event key{};
        key.type = SDL_KEYDOWN;
        key.key.keysym.scancode = scancode;
        key.key.keysym.sym = sym;
        InputHandleSdlEvent(key);
    }
    GuiLayer* menu = GuiOpenScreen(MenuScreen);
    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_Y); // labelled Z: not an answer
    EXPECT_FALSE(QuitPosted());
    PressKey(SDL_SCANCODE_Z, true); // labelled Y, with Shift
    EXPECT_TRUE(QuitPosted());
    PressKey(SDL_SCANCODE_N);
    EXPECT_EQ(GuiTopScreen(), menu);

    BindingKeys().clear();
    // Names come from the text input: what the layout typed, one '_' for each character the
    // table cannot hold, at most 19; keys do not type, nor fly the ship.
    score = 9000;
    GuiOpenScreen(NameEntryScreen);
    TypeText("J\xC3\xB6rg");
    PressKey(SDL_SCANCODE_W);
    EXPECT_STREQ(nameEdit->text, "J_rg");
    TypeText("0123456789ABCDEFGHIJ");
    EXPECT_EQ(std::string(nameEdit->text), "J_rg0123456789ABCDE");
    PressKey(SDL_SCANCODE_BACKSPACE);
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_STREQ(hiScoreTable[1].name, "J_rg0123456789ABCD");
    EXPECT_TRUE(BindingKeys().empty());
    // The next name entry starts with that name, so Enter alone keeps it.
    score = 9500;
    GuiOpenScreen(NameEntryScreen);
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_STREQ(hiScoreTable[1].name, "J_rg0123456789ABCD");
    EXPECT_EQ(hiScoreTable[1].score, 9500);
}

} // namespace
