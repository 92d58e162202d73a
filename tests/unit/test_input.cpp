// Input devices: the key map, the keyboard poll and its modifiers, text of key events, mouse
// buttons and mouse look, joysticks (SDL's virtual joystick) and the handler stack.
#include "console_test_util.h"

#include <algorithm>
#include <set>
#include <string>

namespace {

class InputTest : public ConsoleTest {
  protected:
    KeyboardState keyboard;
    void SetUp() override {
        ConsoleTest::SetUp();
        InputInit();
        InputAddHandler(RecordEvent);
    }
    std::vector<InputEvent>& Events() { return RecordedEvents(); }
    static void Motion(int32_t x, int32_t y, int32_t xrel, int32_t yrel) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = x;
        event.motion.y = y;
        event.motion.xrel = xrel;
        event.motion.yrel = yrel;
        InputHandleSdlEvent(event);
    }
};

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

TEST(InputKeyMap, ProducesExactlyTheEngineKeyboardCodes) {
    std::set<int32_t> produced;
    for (int32_t scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
        if (InputKeyCode(scancode) >= 0) produced.insert(InputKeyCode(scancode));
    std::set<int32_t> expected = {0, 8, 9, 10, 32, 39, 59, 61, 91, 92, 93, 96};
    for (int32_t c = 44; c <= 57; ++c)
        expected.insert(c);
    for (int32_t c = 'a'; c <= 'z'; ++c)
        expected.insert(c);
    for (int32_t c = 256; c <= 304; ++c)
        if (c != KEY_NONE) expected.insert(c);
    EXPECT_EQ(produced, expected);
    EXPECT_EQ(InputKeyCode(SDL_SCANCODE_0), '0');
    EXPECT_EQ(InputKeyCode(SDL_SCANCODE_KP_0), 290);
    EXPECT_EQ(InputKeyCode(-1), -1);
    EXPECT_EQ(InputKeyCode(SDL_NUM_SCANCODES), -1);
}

TEST_F(InputTest, ShiftTwoGivesShiftPressThenAtSign) {
    keyboard.Down(SDL_SCANCODE_LSHIFT);
    keyboard.Poll();
    keyboard.Down(SDL_SCANCODE_2);
    keyboard.Poll();
    ASSERT_EQ(Events().size(), 2u);
    EXPECT_EQ(Events()[0].key, KEY_LSHIFT);
    EXPECT_EQ(Events()[0].flags, INPUT_PRESS | INPUT_SHIFT);
    EXPECT_EQ(Events()[1].key, '2');
    EXPECT_EQ(Events()[1].flags, INPUT_PRESS | INPUT_SHIFT);
    EXPECT_EQ(InputEventToChar(&Events()[1]), '@');
    // Releasing Shift first: its release no longer carries the flag.
    keyboard.Up(SDL_SCANCODE_LSHIFT);
    keyboard.Poll();
    EXPECT_EQ(Events().back().key, KEY_LSHIFT);
    EXPECT_EQ(Events().back().flags, INPUT_RELEASE);
}

TEST_F(InputTest, ModifiersDownInTheSamePollAlreadyCount) {
    // The modifiers are recomputed before any event of the poll goes out, so the digit (code 50,
    // dispatched before Shift's 257) is already shifted.
    keyboard.Down(SDL_SCANCODE_2);
    keyboard.Down(SDL_SCANCODE_RSHIFT);
    keyboard.Poll();
    ASSERT_EQ(Events().size(), 2u);
    EXPECT_EQ(Events()[0].key, '2');
    EXPECT_EQ(Events()[1].key, KEY_RSHIFT);
    EXPECT_EQ(InputEventToChar(&Events()[0]), '@');
}

TEST_F(InputTest, RightModifiersSetTheSameFlags) {
    keyboard.Down(SDL_SCANCODE_RSHIFT);
    keyboard.Down(SDL_SCANCODE_RCTRL);
    keyboard.Down(SDL_SCANCODE_RALT);
    keyboard.Poll();
    ASSERT_EQ(Events().size(), 3u);
    for (const InputEvent& e : Events())
        EXPECT_EQ(e.flags, INPUT_PRESS | INPUT_SHIFT | INPUT_CTRL | INPUT_ALT);
}

TEST_F(InputTest, ChangesDispatchInAscendingCodeOrder) {
    keyboard.Down(SDL_SCANCODE_F1);
    keyboard.Down(SDL_SCANCODE_Z);
    keyboard.Down(SDL_SCANCODE_ESCAPE);
    keyboard.Down(SDL_SCANCODE_A);
    keyboard.Down(SDL_SCANCODE_KP_4);
    keyboard.Poll();
    std::vector<int32_t> keys;
    for (const InputEvent& e : Events())
        keys.push_back(e.key);
    EXPECT_EQ(keys, (std::vector<int32_t>{0, 'a', 'z', KEY_F1, KEY_KP4}));
    keyboard.Poll(); // nothing changed
    EXPECT_EQ(Events().size(), 5u);
    keyboard.Up(SDL_SCANCODE_Z);
    keyboard.Up(SDL_SCANCODE_ESCAPE);
    keyboard.Poll();
    ASSERT_EQ(Events().size(), 7u);
    EXPECT_EQ(Events()[5].key, 0);
    EXPECT_EQ(Events()[5].flags, INPUT_RELEASE);
    EXPECT_EQ(Events()[6].key, 'z');
}

TEST_F(InputTest, BothEnterKeysShareOneCode) {
    keyboard.Down(SDL_SCANCODE_KP_ENTER);
    keyboard.Poll();
    keyboard.Down(SDL_SCANCODE_RETURN);
    keyboard.Poll();
    keyboard.Up(SDL_SCANCODE_KP_ENTER);
    keyboard.Poll(); // Enter is still held by the main key
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].key, KEY_ENTER);
    keyboard.Up(SDL_SCANCODE_RETURN);
    keyboard.Poll();
    ASSERT_EQ(Events().size(), 2u);
    EXPECT_EQ(Events()[1].flags, INPUT_RELEASE);
}

TEST(InputEventToChar, UsShiftedCharacters) {
    const std::string plain = "'`,-./0123456789;=[\\]abcxyz";
    const std::string shifted = "\"~<_>?)!@#$%^&*(:+{|}ABCXYZ";
    for (size_t i = 0; i < plain.size(); ++i) {
        InputEvent e{INPUT_KEYBOARD, static_cast<unsigned char>(plain[i]), INPUT_PRESS, 0, 0};
        EXPECT_EQ(InputEventToChar(&e), plain[i]);
        e.flags |= INPUT_SHIFT;
        EXPECT_EQ(InputEventToChar(&e), shifted[i]) << plain[i];
    }
    InputEvent e{INPUT_KEYBOARD, KEY_ENTER, INPUT_PRESS | INPUT_SHIFT, 0, 0};
    EXPECT_EQ(InputEventToChar(&e), '\n');
    for (int32_t key : {KEY_ESCAPE, KEY_LEFT, KEY_CAPSLOCK}) {
        e.key = key;
        EXPECT_EQ(InputEventToChar(&e), 0) << key;
    }
    e = {INPUT_MOUSE, 'a', INPUT_PRESS, 0, 0};
    EXPECT_EQ(InputEventToChar(&e), 0);
    EXPECT_EQ(InputEventToChar(nullptr), 0);
}

TEST_F(InputTest, MouseButtonsFromThePump) {
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_RIGHT;
    event.button.x = 320;
    event.button.y = 17;
    InputHandleSdlEvent(event);
    event.type = SDL_MOUSEBUTTONUP;
    event.button.button = SDL_BUTTON_MIDDLE;
    InputHandleSdlEvent(event);
    event.button.button = SDL_BUTTON_X1; // not an engine button
    InputHandleSdlEvent(event);
    ASSERT_EQ(Events().size(), 2u);
    EXPECT_EQ(Events()[0].key, KEY_MOUSE2);
    EXPECT_EQ(Events()[0].flags, INPUT_PRESS);
    EXPECT_EQ(Events()[0].y, 17);
    EXPECT_EQ(Events()[1].key, KEY_MOUSE3);
    EXPECT_EQ(Events()[1].flags, INPUT_RELEASE);
    // The button position is the stored one: no motion event for it.
    InputPoll();
    EXPECT_EQ(Events().size(), 2u);
}

TEST_F(InputTest, UngrabbedMotionFollowsTheCursorWithoutTurning) {
    Motion(100, 50, 100, 50);
    Motion(103, 52, 3, 2);
    InputPoll();
    ASSERT_EQ(Events().size(), 1u);
    EXPECT_EQ(Events()[0].x, 103);
    EXPECT_EQ(mouseYaw, 0.0f);
    InputPoll();
    EXPECT_EQ(Events().size(), 1u);
}

TEST_F(InputTest, GrabbedMotionTurnsAndNeedsOneReleasePerGrab) {
    Motion(100, 50, 0, 0);
    InputPoll();
    Motion(140, 50, 40, 0); // before the grab: does not turn
    InputMouseGrab();
    InputPoll();
    EXPECT_EQ(mouseYaw, 0.0f);
    Motion(150, 50, 10, 0);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, 5.0f);
    EXPECT_EQ(Events().back().x, 110); // grew by 10 from the stored position
    InputMouseGrab();
    InputMouseRelease();
    Motion(150, 50, 4, -3);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, 7.0f);
    EXPECT_EQ(Events().back().x, 114);
    EXPECT_EQ(Events().back().y, 47);
    InputMouseRelease();
    Motion(150, 50, 6, 0);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, 7.0f);
    EXPECT_EQ(Events().back().x, 150); // back to following the cursor
}

TEST_F(InputTest, ReleaseWithoutGrabDoesNotStealTheNextGrab) {
    InputMouseRelease();
    InputMouseRelease();
    InputMouseGrab();
    Motion(0, 0, 8, 0);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, 4.0f);
    InputMouseRelease();
    Motion(0, 0, 8, 0);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, 4.0f);
}

TEST_F(InputTest, MouseYawStaysWithinHalfATurn) {
    InputMouseGrab();
    Motion(0, 0, 400, 0); // +200 degrees
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, -160.0f);
    Motion(0, 0, -100, 0);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, 150.0f);
    InputMouseRelease();
}

std::string handlerOrder;
int Note(const InputEvent* event, char id, int result) {
    if (event->flags & INPUT_PRESS) handlerOrder += id;
    return result;
}
int HandlerA(const InputEvent* e) {
    return Note(e, 'A', 0);
}
int HandlerB(const InputEvent* e) {
    return Note(e, 'B', 0);
}
int HandlerC(const InputEvent* e) {
    return Note(e, 'C', 0);
}
int HandlerStop(const InputEvent* e) {
    return Note(e, 'S', 1);
}
int HandlerLeaves(const InputEvent* event) {
    InputRemoveHandler(HandlerLeaves);
    return Note(event, 'L', 0);
}

TEST_F(InputTest, HandlersRunNewestFirstAndKeepOrderAfterRemoval) {
    InputAddHandler(HandlerA);
    InputAddHandler(HandlerB);
    InputAddHandler(HandlerC);
    auto press = [this] {
        handlerOrder.clear();
        keyboard.Down(SDL_SCANCODE_K);
        keyboard.Poll();
        keyboard.Up(SDL_SCANCODE_K);
        keyboard.Poll();
        return handlerOrder;
    };
    EXPECT_EQ(press(), "CBA");
    InputRemoveHandler(HandlerB);
    InputAddHandler(HandlerB);
    EXPECT_EQ(press(), "BCA");
    InputRemoveHandler(HandlerC); // from the middle
    EXPECT_EQ(press(), "BA");
    InputAddHandler(HandlerStop);
    EXPECT_EQ(press(), "S");
    InputRemoveHandler(HandlerStop);
    InputAddHandler(HandlerLeaves);
    EXPECT_EQ(press(), "LBA");
    EXPECT_EQ(press(), "BA");
    InputRemoveHandler(HandlerC); // not present: reported
    EXPECT_NE(ReadFile("error.log").find("IndexDelete: inputIndex: Thing not found\n"),
              std::string::npos);
}

TEST_F(InputTest, NoJoysticksMeansUnpluggedAndDisabled) {
    EXPECT_NE(ReadFile("boot.log").find("Joystick2 Support Disabled\n"), std::string::npos);
    InputPoll();
    EXPECT_TRUE(Events().empty());
}

class JoystickTest : public ConsoleTest {
  protected:
    int device = -1;
    SDL_Joystick* stick = nullptr;
    void SetUp() override {
        ConsoleTest::SetUp();
        if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "a real joystick is attached";
        device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 2, 0);
        if (device < 0) GTEST_SKIP() << "no virtual joystick support: " << SDL_GetError();
        stick = SDL_JoystickOpen(device);
        ASSERT_NE(stick, nullptr);
        StartConsole();
        InputAddHandler(RecordEvent);
    }
    void TearDown() override {
        if (stick) SDL_JoystickClose(stick);
        if (device >= 0 && SDL_JoystickIsVirtual(device)) SDL_JoystickDetachVirtual(device);
        ConsoleTest::TearDown();
    }
    // Sets the axes in the engine's 0..65535 range and polls once; returns the new events.
    std::vector<InputEvent> Poll(int32_t x, int32_t y) {
        SDL_JoystickSetVirtualAxis(stick, 0, static_cast<Sint16>(x - 32768));
        SDL_JoystickSetVirtualAxis(stick, 1, static_cast<Sint16>(y - 32768));
        RecordedEvents().clear();
        InputPoll();
        return RecordedEvents();
    }
    static std::vector<std::pair<int32_t, uint32_t>> Keys(const std::vector<InputEvent>& events) {
        std::vector<std::pair<int32_t, uint32_t>> keys;
        for (const InputEvent& e : events)
            keys.emplace_back(e.key, e.flags);
        return keys;
    }
};

using KeyList = std::vector<std::pair<int32_t, uint32_t>>;

TEST_F(JoystickTest, DetectionThresholdsAndDrift) {
    EXPECT_NE(ReadFile("boot.log").find("Joystick1 Detected\n"), std::string::npos);
    // A centred stick reads 32768: one unit of drift from the assumed 32767 moves but presses
    // nothing.
    EXPECT_EQ(Keys(Poll(32768, 32768)), (KeyList{{KEY_JOY1_MOTION, 0}}));
    EXPECT_TRUE(Poll(32768, 32768).empty()); // resting: nothing

    EXPECT_EQ(Keys(Poll(32768, 20766)), (KeyList{{315, 0}, {313, INPUT_PRESS}}));
    EXPECT_EQ(cmdForward, 1);
    EXPECT_EQ(Keys(Poll(32768, 20767)), (KeyList{{315, 0}, {313, INPUT_RELEASE}})); // not low
    EXPECT_EQ(cmdForward, 0);
    EXPECT_EQ(Keys(Poll(44768, 20767)), (KeyList{{315, 0}, {312, INPUT_PRESS}}));
    EXPECT_EQ(Keys(Poll(44767, 20767)), (KeyList{{315, 0}, {312, INPUT_RELEASE}})); // not high
    // Straight from one end to the other: y low, y high, x low, x high order.
    Poll(32767, 0);
    EXPECT_EQ(Keys(Poll(0, 65535)),
              (KeyList{{315, 0}, {313, INPUT_RELEASE}, {314, INPUT_PRESS}, {311, INPUT_PRESS}}));
    EXPECT_EQ(cmdBackward, 1);
    EXPECT_EQ(cmdLeft, 1);
}

TEST_F(JoystickTest, ButtonsAndRemoval) {
    Poll(32767, 32767);
    SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
    EXPECT_EQ(Keys(Poll(32767, 32767)), (KeyList{{309, INPUT_PRESS}}));
    EXPECT_EQ(cmdAttack, 1);
    SDL_JoystickSetVirtualButton(stick, 0, SDL_RELEASED);
    SDL_JoystickSetVirtualButton(stick, 1, SDL_PRESSED);
    EXPECT_EQ(Keys(Poll(32767, 32767)), (KeyList{{309, INPUT_RELEASE}, {310, INPUT_PRESS}}));
    EXPECT_EQ(cmdAttack, 0);
    EXPECT_EQ(cmdLookback, 1);

    // Pulled out with button 2 held: the button is let go, the slot frees, the game goes on.
    SDL_JoystickDetachVirtual(device);
    RecordedEvents().clear();
    InputPoll();
    InputPoll();
    EXPECT_EQ(Keys(RecordedEvents()), (KeyList{{310, INPUT_RELEASE}}));
    EXPECT_EQ(cmdLookback, 0);
    EXPECT_EQ(Count(ReadFile("boot.log"), "Joystick1 removed\n"), 1u);
    EXPECT_EQ(InputPadCount(), 0);
}

} // namespace
