// Input devices: the keyboard poll and its modifiers, text of key events, mouse
// buttons and mouse look, joysticks (SDL's virtual joystick) and the handler stack.
#include "console_test_util.h"

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

TEST_F(InputTest, KeyboardPollModifiersOrderAndSharedEnter) {
    // Modifiers are recomputed before any event of the poll goes out: the digit (code 50, sent
    // before Shift's 257) is already shifted; the right-hand modifiers set the same flags.
    keyboard.Down(SDL_SCANCODE_2);
    keyboard.Down(SDL_SCANCODE_RSHIFT);
    keyboard.Down(SDL_SCANCODE_RCTRL);
    keyboard.Down(SDL_SCANCODE_RALT);
    keyboard.Poll();
    ASSERT_EQ(Events().size(), 4u);
    EXPECT_EQ(Events()[0].key, '2');
    EXPECT_EQ(InputEventToChar(&Events()[0]), '@');
    for (const InputEvent& e : Events())
        EXPECT_EQ(e.flags, INPUT_PRESS | INPUT_SHIFT | INPUT_CTRL | INPUT_ALT);
    keyboard.Up(SDL_SCANCODE_RSHIFT);
    keyboard.Poll(); // Shift's own release no longer carries the flag
    EXPECT_EQ(Events().back().key, KEY_RSHIFT);
    EXPECT_EQ(Events().back().flags, INPUT_RELEASE | INPUT_CTRL | INPUT_ALT);
    Events().clear();

    for (SDL_Scancode s : {SDL_SCANCODE_F1, SDL_SCANCODE_Z, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_A,
                           SDL_SCANCODE_KP_4, SDL_SCANCODE_KP_ENTER})
        keyboard.Down(s);
    keyboard.Poll();
    keyboard.Poll(); // nothing changed: nothing sent
    std::vector<int32_t> keys;
    for (const InputEvent& e : Events())
        keys.push_back(e.key);
    EXPECT_EQ(keys, (std::vector<int32_t>{0, KEY_ENTER, 'a', 'z', KEY_F1, KEY_KP4}));
    keyboard.Down(SDL_SCANCODE_RETURN);
    keyboard.Poll();
    keyboard.Up(SDL_SCANCODE_KP_ENTER);
    keyboard.Poll(); // both Enter keys share one code: still held by the main key
    EXPECT_EQ(Events().size(), 6u);
    keyboard.Up(SDL_SCANCODE_RETURN);
    keyboard.Poll();
    ASSERT_EQ(Events().size(), 7u);
    EXPECT_EQ(Events()[6].key, KEY_ENTER);
    EXPECT_EQ(Events()[6].flags & INPUT_RELEASE, INPUT_RELEASE);
}

TEST(InputEventToChar, UsShiftedCharactersOnlyForKeyboardCharacters) {
    const std::string plain = "'`,-./0123456789;=[\\]az", shifted = "\"~<_>?)!@#$%^&*(:+{|}AZ";
    for (size_t i = 0; i < plain.size(); ++i) {
        InputEvent e{INPUT_KEYBOARD, static_cast<unsigned char>(plain[i]), INPUT_PRESS, 0, 0};
        EXPECT_EQ(InputEventToChar(&e), plain[i]);
        e.flags |= INPUT_SHIFT;
        EXPECT_EQ(InputEventToChar(&e), shifted[i]) << plain[i];
    }
    for (InputEvent e : {InputEvent{INPUT_KEYBOARD, KEY_ESCAPE, INPUT_PRESS, 0, 0},
                         InputEvent{INPUT_KEYBOARD, KEY_CAPSLOCK, INPUT_PRESS, 0, 0},
                         InputEvent{INPUT_MOUSE, 'a', INPUT_PRESS, 0, 0}})
        EXPECT_EQ(InputEventToChar(&e), 0) << e.key;
    EXPECT_EQ(InputEventToChar(nullptr), 0);
}

TEST_F(InputTest, MouseButtonsFromThePumpAtTheStoredPosition) {
    SDL_Event event{};
    event.button.y = 17;
    const std::pair<Uint32, int> clicks[] = {{SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT},
                                             {SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE},
                                             {SDL_MOUSEBUTTONUP, SDL_BUTTON_X1}}; // X1: not ours
    for (auto [type, button] : clicks) {
        event.type = type;
        event.button.button = static_cast<Uint8>(button);
        InputHandleSdlEvent(event);
    }
    InputPoll(); // no motion event for the button's position
    ASSERT_EQ(Events().size(), 2u);
    EXPECT_EQ(Events()[0].key, KEY_MOUSE2);
    EXPECT_EQ(Events()[0].flags, INPUT_PRESS);
    EXPECT_EQ(Events()[0].y, 17);
    EXPECT_EQ(Events()[1].key, KEY_MOUSE3);
    EXPECT_EQ(Events()[1].flags, INPUT_RELEASE);
}

TEST_F(InputTest, MouseLookTurnsOnlyWhileGrabbedOneReleasePerGrabWithinHalfATurn) {
    Motion(100, 50, 100, 50);
    Motion(103, 52, 3, 2);
    InputPoll();
    ASSERT_EQ(Events().size(), 1u); // ungrabbed: one event at the cursor, no turn
    EXPECT_EQ(Events()[0].x, 103);
    EXPECT_EQ(mouseYaw, 0.0f);
    InputPoll();
    EXPECT_EQ(Events().size(), 1u);
    InputMouseRelease(); // a release without a grab does not steal the next grab
    InputMouseGrab();
    InputPoll();
    Motion(150, 50, 10, 0);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, 5.0f);
    EXPECT_EQ(Events().back().x, 113); // grew by 10 from the stored position
    InputMouseGrab();
    InputMouseRelease();
    Motion(150, 50, 4, -3);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, 7.0f);
    EXPECT_EQ(Events().back().y, 49);
    Motion(0, 0, 400, 0); // +200 degrees
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, -153.0f);
    InputMouseRelease();
    Motion(150, 50, 6, 0);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, -153.0f);
    EXPECT_EQ(Events().back().x, 150); // back to following the cursor
}

std::string handlerOrder;
template <char ID, int RESULT> int Note(const InputEvent* event) {
    if (event->flags & INPUT_PRESS) handlerOrder += ID;
    return RESULT;
}
int HandlerLeaves(const InputEvent* event) {
    InputRemoveHandler(HandlerLeaves);
    return Note<'L', 0>(event);
}

TEST_F(InputTest, HandlersRunNewestFirstAndKeepOrderAfterRemoval) {
    for (InputHandler h : {Note<'A', 0>, Note<'B', 0>, Note<'C', 0>})
        InputAddHandler(h);
    auto press = [this] {
        handlerOrder.clear();
        keyboard.Down(SDL_SCANCODE_K);
        keyboard.Poll();
        keyboard.Up(SDL_SCANCODE_K);
        keyboard.Poll();
        return handlerOrder;
    };
    EXPECT_EQ(press(), "CBA");
    InputRemoveHandler(Note<'B', 0>);
    InputAddHandler(Note<'B', 0>);
    EXPECT_EQ(press(), "BCA");
    InputRemoveHandler(Note<'C', 0>); // from the middle
    EXPECT_EQ(press(), "BA");
    InputAddHandler(Note<'S', 1>); // consumes
    EXPECT_EQ(press(), "S");
    InputRemoveHandler(Note<'S', 1>);
    InputAddHandler(HandlerLeaves);
    EXPECT_EQ(press(), "LBA");
    EXPECT_EQ(press(), "BA");
    InputRemoveHandler(Note<'C', 0>); // not present: reported
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
