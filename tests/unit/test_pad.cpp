// Game controllers through SDL's virtual joystick given a controller mapping: the engine codes and
// bindings of every control, plugging in and pulling out mid-run, rumble requests, and the title
// menu, quit prompt and name entry with the pad alone. Then keyboards of other layouts.
#include "console/gameinput.h"
#include "console_test_util.h"
#include "app/app.h"
#include "app/client.h"
#include "app/demo.h"
#include "audio/wave.h"
#include "game/game.h"
#include "game_fixture.h"
#include "ui/hiscore.h"
#include "ui/options.h"
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

// The options with the pad alone: Y opens them on the title, the d-pad moves and changes, RB turns
// the page, A takes the next pad press for an action (from the action that had it), B leaves, and
// vantor.ini gets exactly the changed lines.
TEST_F(Pad, TheOptionsWithThePadAlone) {
    PlugIn();
    StartScreens();
    ClientRegisterSettings();
    WriteFile("vantor.ini", "# mine\nvolume = 52000\n");
    WaveSetVolume(52000);
    constexpr int south = SDL_CONTROLLER_BUTTON_A, east = SDL_CONTROLLER_BUTTON_B,
                  north = SDL_CONTROLLER_BUTTON_Y, rb = SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                  up = SDL_CONTROLLER_BUTTON_DPAD_UP, down = SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                  left = SDL_CONTROLLER_BUTTON_DPAD_LEFT, right = SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    GuiLayer* menu = GuiOpenScreen(MenuScreen);
    Press(north);
    ASSERT_EQ(GuiTopScreen()->callback, OptionsScreen);
    Press(east); // nothing changed, nothing written
    EXPECT_EQ(GuiTopScreen(), menu);
    EXPECT_EQ(ReadFile("vantor.ini"), "# mine\nvolume = 52000\n");
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
    Press(east);
    EXPECT_EQ(GuiTopScreen(), menu);
    const std::string ini = ReadFile("vantor.ini");
    EXPECT_EQ(ini.rfind("# mine\nvolume = 49151\n# ", 0), 0u) << ini;
    EXPECT_NE(ini.find("\nbind_fire = Space, Mouse1, Pad B\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\nbind_look_back = Left Alt, Right Alt, Keypad +, Mouse2\n"),
              std::string::npos)
        << ini;
    EXPECT_EQ(std::count(ini.begin(), ini.end(), '\n'), 6);
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
    const float invSlice = 1.0f / timeSlice;
    int32_t frames = 0;
    auto frame = [&](auto&& input) {
        GameInputBeginFrame();
        DemoFrameBegin();
        input();
        float dt = 0.02f;
        int32_t steps = AppFrameSteps(dt, invSlice);
        DemoFrame(&dt, &steps);
        AppRunSteps(dt, steps, GameSlice);
        DemoFrameEnd();
        ++frames;
    };
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
    DemoUnInit();
}

} // namespace
