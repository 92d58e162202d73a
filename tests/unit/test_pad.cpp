// Game controllers through SDL's virtual joystick given a controller mapping: the engine codes and
// bindings of every control, plugging in and pulling out mid-run, rumble requests, and the title
// menu, quit prompt and name entry with the pad alone. Then keyboards of other layouts.
#include "console/gameinput.h"
#include "console_test_util.h"
#include "app/app.h"
#include "app/client.h"
#include "app/demo.h"
#include "app/titledemo.h"
#include "audio/wave.h"
#include "game/game.h"
#include "game/rock.h"
#include "game_fixture.h"
#include "render/light.h"
#include "render/particle.h"
#include "render/scene.h"
#include "render/screenshot.h"
#include "ui/hiscore.h"
#include "ui/options.h"
#include "ui/screens.h"
#include "ui_test_util.h"

#include <cstring>
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
        desc.Rumble = [](void*, Uint16, Uint16) { return 0; }; // a pad with motors
        device = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(device, 0) << SDL_GetError();
        char guid[64];
        SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(device), guid, sizeof(guid));
        std::string mapping = std::string(guid) +
                              ",Test Pad,a:b0,b:b1,x:b2,y:b3,back:b4,start:b6,leftshoulder:b9,"
                              "rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,dpright:b14,"
                              "leftx:a0,lefty:a1,righttrigger:a5,";
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
    KeyList Poll() {
        RecordedEvents().clear();
        InputPoll();
        return TakeKeys();
    }
    KeyList Set(const Control& c, bool on) {
        if (c.axis < 0)
            SDL_JoystickSetVirtualButton(stick, c.button, on ? SDL_PRESSED : SDL_RELEASED);
        else
            SDL_JoystickSetVirtualAxis(stick, c.axis, on ? c.value : int16_t{0});
        return Poll();
    }
    void Press(int button) {
        Set(BUTTON(button), true);
        Set(BUTTON(button), false);
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

TEST_F(Pad, ControlsGiveTheJoystickCodesAndTheirBindingsAndSurviveReplugging) {
    PlugIn();
    EXPECT_NE(ReadFile("boot.log").find("Joystick1 connected: Test Pad (game controller)\n"),
              std::string::npos);
    EXPECT_EQ(InputPadCount(), 1);
    const struct {
        Control control;
        int32_t code;
        bool direction; // sent after the motion code 315
        int32_t* word;  // the control word it holds, or null
    } rows[] = {
        {BUTTON(SDL_CONTROLLER_BUTTON_A), 309, false, &gameInput.state.controls[CONTROL_ATTACK]},
        {{0, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767},
         309,
         false,
         &gameInput.state.controls[CONTROL_ATTACK]},
        {BUTTON(SDL_CONTROLLER_BUTTON_B), 310, false, &gameInput.state.controls[CONTROL_LOOKBACK]},
        {BUTTON(SDL_CONTROLLER_BUTTON_START), KEY_PAD_START, false, nullptr},
        {BUTTON(SDL_CONTROLLER_BUTTON_DPAD_UP), 313, true,
         &gameInput.state.controls[CONTROL_FORWARD]},
        {BUTTON(SDL_CONTROLLER_BUTTON_DPAD_DOWN), 314, true,
         &gameInput.state.controls[CONTROL_BACKWARD]},
        {{0, SDL_CONTROLLER_AXIS_LEFTX, -32768},
         311,
         true,
         &gameInput.state.controls[CONTROL_LEFT]},
        {BUTTON(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), 312, true,
         &gameInput.state.controls[CONTROL_RIGHT]},
    };
    Poll(); // the centred stick's first reading
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        KeyList down{{row.code, P}}, up{{row.code, R}};
        if (row.direction) {
            down.insert(down.begin(), {315, 0});
            up.insert(up.begin(), {315, 0});
        }
        EXPECT_EQ(Set(row.control, true), down);
        EXPECT_EQ(row.word ? *row.word : 1, 1);
        EXPECT_EQ(Set(row.control, false), up);
        EXPECT_EQ(row.word ? *row.word : 0, 0);
    }
    // Pulled out while turning: the turn ends, the game goes on, no error.
    Set(BUTTON(SDL_CONTROLLER_BUTTON_DPAD_LEFT), true);
    EXPECT_EQ(gameInput.state.controls[CONTROL_LEFT], 1);
    Unplug();
    EXPECT_EQ(Poll(), (KeyList{{315, 0}, {311, R}}));
    EXPECT_EQ(gameInput.state.controls[CONTROL_LEFT], 0);
    EXPECT_EQ(InputPadCount(), 0);
    EXPECT_NE(ReadFile("boot.log").find("Joystick1 removed\n"), std::string::npos);
    // Plugged in again: it takes the slot and works at once.
    PlugIn();
    EXPECT_EQ(Set(BUTTON(SDL_CONTROLLER_BUTTON_A), true), (KeyList{{309, P}}));
    EXPECT_EQ(ReadFile("error.log"), "");
}

// Plain virtual pads known by name, pulled out by their instance (device indices shift).
SDL_JoystickID AttachPad(const char* name) {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = 2;
    desc.nbuttons = 2;
    desc.name = name;
    return SDL_JoystickGetDeviceInstanceID(SDL_JoystickAttachVirtualEx(&desc));
}
void DetachPad(SDL_JoystickID id) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
}
// The frame loop's pump: device events reach the input layer.
void Pump() {
    SDL_Event event;
    while (SDL_PollEvent(&event))
        InputHandleSdlEvent(event);
}
size_t Count(const std::string& text, const std::string& line) {
    size_t n = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++n;
    return n;
}

// SDL's calloc fails while set, so no device can be opened.
SDL_calloc_func realCalloc = nullptr;
bool callocFails = false;
void* TestCalloc(size_t n, size_t size) {
    return callocFails ? nullptr : realCalloc(n, size);
}

TEST_F(Pad, EveryFreeSlotTakesAWaitingDeviceAfterAnyDeviceEvent) {
    SDL_JoystickID a = AttachPad("Pad A"), b = AttachPad("Pad B");
    const SDL_JoystickID c = AttachPad("Pad C");
    Pump();
    Poll();
    EXPECT_EQ(InputPadCount(), 2);
    // A slot in use frees: the third pad, attached all along, takes it.
    DetachPad(a);
    Pump();
    Poll();
    EXPECT_EQ(InputPadCount(), 2);
    EXPECT_EQ(Count(ReadFile("boot.log"), "Joystick1 connected: Pad C"), 1u);
    // Out and in again within one frame: the count never changes, the pad is back all the same.
    DetachPad(b);
    b = AttachPad("Pad B");
    Pump();
    Poll();
    EXPECT_EQ(InputPadCount(), 2);
    EXPECT_EQ(Count(ReadFile("boot.log"), "Joystick2 connected: Pad B"), 2u);
    // A device that cannot be opened waits for the next device event, not the next frame.
    DetachPad(c);
    SDL_malloc_func m;
    SDL_realloc_func r;
    SDL_free_func f;
    SDL_GetMemoryFunctions(&m, &realCalloc, &r, &f);
    SDL_SetMemoryFunctions(m, TestCalloc, r, f);
    a = AttachPad("Pad A");
    Pump();
    callocFails = true;
    Poll();
    callocFails = false;
    Poll();
    Poll();
    SDL_SetMemoryFunctions(m, realCalloc, r, f);
    EXPECT_EQ(InputPadCount(), 1);
    EXPECT_EQ(Count(ReadFile("error.log"), "JoystickScan: cannot open Pad A as Joystick1"), 1u);
    DetachPad(b);
    b = AttachPad("Pad B");
    Pump();
    Poll();
    EXPECT_EQ(InputPadCount(), 2);
    EXPECT_EQ(Count(ReadFile("boot.log"), "Joystick1 connected: Pad A"), 2u);
}

TEST_F(Pad, RumbleStartsOnRequestAndIsNeverLeftRunning) {
    PlugIn();
    const RumbleRequest stop{0, 0, 0};
    InputRumble(100, 200, 300);
    InputRumbleStop();
    InputRumbleStop(); // nothing runs: no request
    EXPECT_EQ(rumbles, (std::vector<RumbleRequest>{{100, 200, 300}, stop}));
    // Focus loss, pulling the pad out and shutdown each stop a running rumble.
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    for (int stopper = 0; stopper < 3; ++stopper) {
        rumbles.clear();
        InputRumble(1, 1, 1);
        if (stopper == 0) InputHandleSdlEvent(focus);
        if (stopper == 1) {
            Unplug();
            Poll();
            PlugIn();
        }
        if (stopper == 2) InputUnInit();
        EXPECT_EQ(rumbles, (std::vector<RumbleRequest>{{1, 1, 1}, stop})) << stopper;
    }
}

TEST_F(Pad, TheWholeMenuFlowWithThePadAlone) {
    PlugIn();
    StartScreens();
    constexpr int south = SDL_CONTROLLER_BUTTON_A, east = SDL_CONTROLLER_BUTTON_B,
                  back = SDL_CONTROLLER_BUTTON_BACK, start = SDL_CONTROLLER_BUTTON_START,
                  up = SDL_CONTROLLER_BUTTON_DPAD_UP, down = SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                  left = SDL_CONTROLLER_BUTTON_DPAD_LEFT, right = SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    // Back opens the quit prompt, east or Back again says no, south says yes; the quit command
    // under its own prompt opens no second one.
    GuiLayer* menu = GuiOpenScreen(MenuScreen);
    Press(back);
    ASSERT_EQ(GuiTopScreen()->callback, QuitScreen);
    Press(east);
    EXPECT_EQ(GuiTopScreen(), menu);
    Press(back);
    Press(back);
    EXPECT_EQ(GuiTopScreen(), menu);
    Press(back);
    CommandExecute("quit");
    Press(east); // one no closes the one prompt
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
    // deletes, Start enters.
    menu = GuiOpenScreen(MenuScreen);
    GuiOpenScreen(NameEntryScreen);
    score = 9000;
    for (int button : {up, up, south, right, down, south, left, south})
        Press(button);
    EXPECT_STREQ(nameEdit->text, "CCB");
    Press(start);
    EXPECT_EQ(GuiTopScreen(), menu);
    EXPECT_STREQ(hiScoreTable[1].name, "CCB");
    EXPECT_TRUE(BindingKeys().empty()); // none of it flew the ship
}

// The options with the pad alone: Y opens them on the title with a row for every action, the d-pad
// moves and changes, RB (or Tab) turns the page, A takes the next pad press for an action (from the
// action that had it), B leaves, and vantor.ini gets exactly the changed lines, each line whole.
TEST_F(Pad, TheOptionsWithThePadAlone) {
    PlugIn();
    StartScreens();
    ClientRegisterSettings();
    const std::string mine =
        "# mine\nvolume = 52000\nbind_look_back = Left Alt, Right Alt, Keypad +, Mouse2, Pad B\n";
    WriteFile("vantor.ini", mine);
    WaveSetVolume(52000);
    for (const SettingTable* table : {&sceneSettings, &particleSettings, &lightSettings})
        SettingsApplyDefaults(*table); // the High detail, but with blocky textures: a mix
    SettingsFind("tlinear")->set(0.0);
    constexpr int south = SDL_CONTROLLER_BUTTON_A, east = SDL_CONTROLLER_BUTTON_B,
                  north = SDL_CONTROLLER_BUTTON_Y, rb = SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                  up = SDL_CONTROLLER_BUTTON_DPAD_UP, down = SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                  left = SDL_CONTROLLER_BUTTON_DPAD_LEFT, right = SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    GuiLayer* menu = GuiOpenScreen(MenuScreen);
    Press(north);
    ASSERT_EQ(GuiTopScreen()->callback, OptionsScreen);
    GLRecorderClear();
    GuiDraw();
    EXPECT_EQ(FindDrawn(DrawnTexts(), "Quit").text, "Quit prompt"); // every action has its row
    Press(east); // nothing changed, nothing written
    EXPECT_EQ(GuiTopScreen(), menu);
    EXPECT_EQ(ReadFile("vantor.ini"), mine);
    Press(north);
    Press(rb); // sound: the effects volume one step down, to 75 %
    Press(left);
    EXPECT_EQ(WaveVolume(), 49151);
    Press(up); // the page row, and back to the controls
    Press(left);
    for (int button : {down, down, down, down, down, right, right, south, east})
        Press(button); // fire's third place (Pad A) takes the next press: B, look back's
    EXPECT_EQ(BindFind(KEY_JOY1_BUTTON2)->press, CommandFind("+attack"));
    EXPECT_EQ(BindFind(KEY_JOY1_BUTTON1)->press, nullptr);
    Press(rb); // RB and Tab to the display: the cockpit camera, from the mix to the lowest detail
    PressKey(SDL_SCANCODE_TAB);
    for (int button : {down, down, down, down, right, right, right, down, down, down, down, left})
        Press(button);
    Press(east);
    EXPECT_EQ(GuiTopScreen(), menu);
    const std::string ini = ReadFile("vantor.ini");
    EXPECT_EQ(ini.rfind("# mine\nvolume = 49151\nbind_look_back = ", 0), 0u) << ini;
    for (const char* line :
         {"\nbind_fire = Space, Mouse1, Pad B\n", "\ncamera = 3\n", "\nlights = 1\n",
          "\nbind_look_back = Left Alt, Right Alt, Keypad +, Mouse2\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << ini;
    EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), 17);
    EXPECT_TRUE(BindingKeys().empty()); // none of it flew the ship
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
    GuiOpenScreen(MenuScreen);
    PressKey(SDL_SCANCODE_ESCAPE);
    PressKey(SDL_SCANCODE_Y); // labelled Z: not an answer
    EXPECT_FALSE(QuitPosted());
    PressKey(SDL_SCANCODE_Z); // labelled Y
    EXPECT_TRUE(QuitPosted());
    BindingKeys().clear();
    // Names come from the text input: what the layout typed, one '_' for each character the
    // table cannot hold; keys do not type, nor fly the ship.
    score = 9000;
    GuiOpenScreen(NameEntryScreen);
    TypeText("J\xC3\xB6rg");
    PressKey(SDL_SCANCODE_W);
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_STREQ(hiScoreTable[1].name, "J_rg");
    EXPECT_TRUE(BindingKeys().empty());
}

// One frame of the loop at its seam, as AppMain runs it: input() in the place of the poll, and
// with the title demos the step of theirs.
template <typename Input> void LoopFrame(Input&& input, bool titleDemos = false) {
    GameInputBeginFrame();
    DemoFrameBegin();
    input();
    float dt = 0.02f;
    int32_t steps = AppFrameSteps(dt, 1.0f / timeSlice);
    DemoFrame(&dt, &steps);
    AppRunSteps(dt, steps, GameSlice);
    DemoFrameEnd();
    if (titleDemos) TitleDemoFrameEnd(dt, true);
}

// One game recorded through the frame loop's seam with the pad's Start, held pad controls, a
// pause, the quit prompt opened and closed and text typed under it, then played back with the pad
// gone and the window losing the focus under autopause: the same outcome, bit for bit. Damaged
// copies of the file are refused with one reason each.
TEST_F(Pad, ARecordedGameReplaysWithoutThePadAndDamagedCopiesAreRefused) {
    GameScope world;
    StartConsole();
    GameInputInit();
    ClientRegisterSettings();
    ui.emplace();
    InputAddHandler(BindHandleInput); // the real bindings over the test's stand-in: the game flies
    ScreensInit();
    PauseInit();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    auto frame = [](auto&& input) { LoopFrame(input); };
    auto idle = [] {};
    PlugIn();
    AttractMode();
    DemoRecordCommand("roundtrip");
    frame(idle);
    frame([&] { Press(SDL_CONTROLLER_BUTTON_START); });
    ASSERT_EQ(level, 1);
    ASSERT_NE(player, nullptr);
    const Vec3 start = player->pos;
    bool paused = false, prompted = false;
    for (int i = 0; i < 300; ++i)
        frame([&] {
            if (i == 10) Set(BUTTON(SDL_CONTROLLER_BUTTON_DPAD_UP), true);
            if (i == 20) Set(BUTTON(SDL_CONTROLLER_BUTTON_A), true);
            if (i == 120) PressKey(SDL_SCANCODE_P);
            if (i == 150) PressKey(SDL_SCANCODE_P);
            if (i == 200) PressKey(SDL_SCANCODE_ESCAPE);
            if (i == 205) TypeText("ab");
            if (i == 210) PressKey(SDL_SCANCODE_N);
            if (i == 250) Set(BUTTON(SDL_CONTROLLER_BUTTON_DPAD_LEFT), true);
            paused |= i == 130 && gameInput.state.paused;
            prompted |= i == 205 && GuiTopScreen();
        });
    EXPECT_EQ(GuiTopScreen(), nullptr);
    // The input took effect (the pad's thrust moved the ship, P paused, Escape asked): the replay
    // below has something to reproduce.
    EXPECT_GT(std::fabs(player->pos.x - start.x) + std::fabs(player->pos.z - start.z), 1.0f);
    EXPECT_TRUE(paused && prompted);
    DemoUnInit(); // the quit ends the recorded game
    const std::string log = ReadFile("boot.log");
    const size_t at = log.find("Demo roundtrip: score ");
    ASSERT_NE(at, std::string::npos) << log;
    const std::string outcome = log.substr(at, log.find('\n', at) - at);

    Unplug();
    GameReset();
    GameInputReset();
    RandomSeed(4321);
    AttractMode();
    // A play setting the recording lacks (diff, renamed to a second easy here) plays at its
    // default, not at the player's value.
    std::string file = ReadFile("demos/roundtrip.skd");
    file.replace(file.find(std::string("diff\0", 5)), 4, "easy");
    WriteFile("demos/roundtrip.skd", file);
    GameSetDifficulty(3);
    WriteFile("vantor.ini", "playdemo = roundtrip\nautopause = 1\n");
    PauseInit();
    ASSERT_TRUE(DemoInit());
    ASSERT_TRUE(DemoPlaying());
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    for (int i = 0; i < 400 && DemoPlaying(); ++i)
        frame([&] {
            if (i == 130) {
                focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
                InputHandleSdlEvent(focus);
            }
        });
    const std::string played = ReadFile("boot.log");
    EXPECT_NE(played.find("Demo roundtrip: playback matches the recording"), std::string::npos)
        << played;
    EXPECT_NE(played.find(outcome, at + outcome.size()), std::string::npos) << played;

    std::string good = ReadFile("demos/roundtrip.skd");
    DemoInfo info;
    char reason[DEMO_REASON_SIZE] = "";
    ASSERT_TRUE(DemoParse(reinterpret_cast<const uint8_t*>(good.data()), good.size(), &info, reason,
                          sizeof(reason)))
        << reason;
    EXPECT_EQ(info.frames, 301);
    const size_t body = info.bodyOffset;
    auto patched = [&](size_t offset, const std::string& bytes) {
        std::string copy = good;
        copy.replace(offset, bytes.size(), bytes);
        return copy;
    };
    const size_t settingsAt = 12 + DEMO_PROGRAM_SIZE + 8;
    // As many screen presses in a frame as the input record holds, and no more: key 0 pressed
    // again and again in the last frame (before its 'F' record and the 'Z').
    auto presses = [&](int32_t n) {
        std::string copy = good;
        for (int32_t i = 0; i < n; ++i)
            copy.insert(good.size() - 9 - 21, "E" + std::string(28, '\0'));
        return copy;
    };
    EXPECT_TRUE(DemoParse(reinterpret_cast<const uint8_t*>(presses(GAME_INPUT_ACTIONS).data()),
                          good.size() + size_t{GAME_INPUT_ACTIONS} * 29, &info, reason,
                          sizeof(reason)))
        << reason;
    const struct {
        const char* what;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"empty", "", "not a demo file"},
        {"garbage", std::string(300, '\x5a'), "not a demo file"},
        {"cut in the header", good.substr(0, body - 1), "truncated"},
        {"cut in a record", good.substr(0, good.size() - 3), "truncated"},
        {"the format before the input record", patched(4, std::string("\x01\0\0\0", 4)),
         "record it again"},
        {"a future format", patched(4, std::string("\x03\0\0\0", 4)), "newer"},
        {"other game rules", patched(8, std::string("\x63\0\0\0", 4)), "game rules 99"},
        {"an unknown setting", patched(settingsAt, std::string("nosuch\0", 7)), "nosuch"},
        {"an unknown record", patched(body, "\x7f"), "damaged"},
        {"a damaged first record", patched(body + 1, std::string("\0\0\xc0\x7f", 4)), "damaged"},
        {"bytes after the end", good + "x", "damaged"},
        {"too many presses in a frame", presses(GAME_INPUT_ACTIONS + 1), "too many events"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        reason[0] = '\0';
        EXPECT_FALSE(DemoParse(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(),
                               &info, reason, sizeof(reason)));
        EXPECT_NE(std::string(reason).find(c.reason), std::string::npos) << reason;
    }
    // The program's version is for people: a demo of another version with the same rules plays.
    EXPECT_TRUE(DemoParse(
        reinterpret_cast<const uint8_t*>(patched(12, std::string("Skarnex3D v0.99\0", 16)).data()),
        good.size(), &info, reason, sizeof(reason)))
        << reason;
    // A recorded game that ends by itself logs the level it was played on.
    AttractMode();
    DemoRecordCommand("over");
    frame(idle);
    frame([] { PressKey(SDL_SCANCODE_SPACE); });
    for (int i = 0; i < 100 && sliceHook != GameCheck; ++i)
        frame(idle); // the banner
    lives = 1;
    ThingHit(player, THING_HIT_RAMMED);
    for (int i = 0; i < 400 && DemoRecording(); ++i)
        frame(idle);
    EXPECT_NE(ReadFile("boot.log").find("Demo over: score 0, level 1, lives 0, state "),
              std::string::npos);
    DemoUnInit();
}

// The client's start-up reads the player's files (the difficulty in vantor.ini, the table in
// hiscore.tbl), and a rock blown up 50 units ahead of the turned camera is heard ahead.
TEST_F(Pad, TheClientStartsFromThePlayersFilesAndHearsFromTheCamera) {
    const char* run = std::getenv("SKX_RUN_DIR");
    if (!run || !FileExists(std::string(run) + "/sound/explode.wav")) GTEST_SKIP() << "no assets";
    WriteFile("vantor.ini", "diff = 2\nchannels = 8\n");
    WriteFile(HISCORE_FILE, "ace 777 \n");
    for (const char* sub : {"texture", "model", "sound"})
        ASSERT_EQ(symlink((std::string(run) + "/" + sub).c_str(), sub), 0);
    ClientInit();
    EXPECT_EQ(difficulty, 2);
    EXPECT_STREQ(hiScoreTable[0].name, "ace");
    Vec3 ahead{0.0f, 0.0f, -50.0f};
    VecRotateY(&ahead, 90.0f);
    cameraPos = {0.0f, 0.0f, 0.0f};
    cameraYaw = 90.0f;
    ThingHit(RockCreateBig(&ahead, &cameraPos), THING_HIT_SHIP_SHOT);
    ASSERT_GT(WaveVoiceCount(), 0);
    const Voice blast = WaveVoiceGet(WaveVoiceCount() - 1);
    EXPECT_EQ(blast.left, 191);
    EXPECT_EQ(blast.right, 191);
    GuiInit(); // its input handler goes while there is an input layer
    ScreenshotUnInit();
    ClientUnInit();
    EXPECT_EQ(ReadFile("error.log"), "");
}

// The shipped demos, played through the frame loop's seam with the generated models, end as they
// did when recorded: a changed game rule or random draw shows here. A playdemo that cannot play
// leaves the title, and a demo's name must be a plain file name.
TEST_F(Pad, TheShippedDemosReplayToTheirRecordedOutcomes) {
    const char* run = std::getenv("SKX_RUN_DIR");
    if (!run || !FileExists(std::string(run) + "/model/ship.3d")) GTEST_SKIP() << "no assets";
    for (const char* name : {"early", "dark"}) {
        GameScope world(std::string("playdemo = ") + name + "\ndemoshot = 180\n");
        for (const char* model : {"bigrock", "medrock", "ship", "banner"})
            WriteFile(std::string("model/") + model + ".3d",
                      ReadFile(std::string(run) + "/model/" + model + ".3d"));
        ModelInit();
        ClientRegisterSettings();
        ui.emplace(); // the screens the recorded presses went to
        ScreensInit();
        const std::string demo = std::string(SKX_TEST_SOURCE_DIR) + "/data/demos/" + name;
        WriteFile(std::string("demos/") + name + ".skd", ReadFile(demo + ".skd"));
        AttractMode();
        ASSERT_TRUE(DemoInit());
        for (int i = 0; i < 100000 && DemoPlaying(); ++i)
            LoopFrame([] {});
        const std::string log = ReadFile("boot.log");
        EXPECT_NE(log.find(ReadFile(demo + ".outcome")), std::string::npos) << name;
        EXPECT_NE(log.find("DemoPlay: screenshot of frame 180\n"), std::string::npos);
        DemoUnInit();
    }
    WriteFile("vantor.ini", "playdemo = nosuch\n");
    EXPECT_TRUE(DemoInit());
    EXPECT_FALSE(DemoPlaying());
    DemoRecordCommand("..");
    EXPECT_NE(ReadFile("error.log").find("DemoRecord: bad demo name \"..\""), std::string::npos);
}

// Title demos through the frame loop's seam: two idle seconds on the title (a press starts them
// again) play the shipped demo under its own play settings; a pad's Start brings the title back
// in that frame and goes no further, nor starts a game; a damaged demo is left out with one error
// line and the next plays in turn; a demo played out returns too. The pad does not rumble for a
// demo. The player's settings, camera and high scores are as they were.
TEST_F(Pad, TitleDemosPlayWhenIdleAndLeaveTheTitleAsTheyFoundIt) {
    GameScope world("attract = 2\n");
    StartConsole();
    GameInputInit();
    ClientRegisterSettings();
    ui.emplace();
    ScreensInit();
    PauseInit();
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    WriteFile("demos/early.skd",
              ReadFile(std::string(SKX_TEST_SOURCE_DIR) + "/data/demos/early.skd"));
    WriteFile("demos/dark.skd", std::string(3000, '\x5a'));
    auto frame = [](auto&& input) { LoopFrame(input, true); };
    auto idle = [] {};
    auto onTitle = [] {
        return level == 0 && GuiTopScreen() && GuiTopScreen()->callback == MenuScreen;
    };
    auto idleUntilDemo = [&] {
        int32_t frames = 0;
        for (; frames < 200 && !TitleDemoPlaying(); ++frames)
            frame(idle);
        return frames;
    };
    PlugIn();
    GameSetDifficulty(2);
    GameSetStartLevel(4);
    GameInputSetCameraMode(CAMERA_MODE_COCKPIT);
    const auto scores = hiScoreTable;
    AttractMode();
    TitleDemoInit();
    for (int i = 0; i < 50; ++i)
        frame(idle);
    frame([] { PressKey(SDL_SCANCODE_LEFT); });
    EXPECT_NEAR(idleUntilDemo(), 100, 2);
    EXPECT_NE(ReadFile("boot.log").find("Attract demo: early"), std::string::npos);
    for (int i = 0; i < 5; ++i)
        frame(idle);
    EXPECT_GE(level, 1);
    EXPECT_EQ(difficulty, 0);
    EXPECT_EQ(GuiTopScreen(), nullptr);
    EXPECT_EQ(rumbleEnabled, 0) << "the pad shakes for the demo's hits";

    BindingKeys().clear();
    frame([&] { Press(SDL_CONTROLLER_BUTTON_START); });
    EXPECT_TRUE(BindingKeys().empty()) << "the press went on to the bindings";
    EXPECT_FALSE(TitleDemoPlaying());
    EXPECT_TRUE(onTitle());
    frame(idle);
    EXPECT_TRUE(onTitle()) << "the press that ended the demo started a game";
    EXPECT_EQ(difficulty, 2);
    EXPECT_EQ(startLevel, 4);
    EXPECT_EQ(gameInput.state.cameraMode, CAMERA_MODE_COCKPIT);

    for (int i = 0; i < 150; ++i)
        frame(idle);
    EXPECT_FALSE(TitleDemoPlaying()) << "the damaged demo played";
    EXPECT_TRUE(onTitle());
    EXPECT_NEAR(idleUntilDemo(), 50, 2);
    for (int i = 0; i < 3000 && TitleDemoPlaying(); ++i)
        frame(idle);
    const std::string log = ReadFile("boot.log");
    EXPECT_EQ(Count(log, "Attract demo: early"), 2u) << log;
    EXPECT_NE(log.find("Attract demo ended: its end"), std::string::npos) << log;
    EXPECT_EQ(Count(ReadFile("error.log"), "DemoPlay: demos/dark.skd: not a demo file"), 1u);
    EXPECT_TRUE(onTitle());
    EXPECT_EQ(difficulty, 2);
    EXPECT_EQ(startLevel, 4);
    EXPECT_EQ(gameInput.state.cameraMode, CAMERA_MODE_COCKPIT);
    EXPECT_EQ(rumbleEnabled, 1);
    EXPECT_EQ(std::memcmp(hiScoreTable.data(), scores.data(), sizeof(scores)), 0);
    EXPECT_FALSE(FileExists("hiscore.tbl"));
    InputSetFilter(nullptr);
    DemoUnInit();
}
} // namespace
