// Input devices: the keyboard poll and its modifiers, mouse buttons and mouse look, a plain
// joystick (SDL's virtual joystick) and the handler stack.
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
    static void Motion(int32_t x, int32_t y, int32_t xrel, int32_t yrel) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion = {SDL_MOUSEMOTION, 0, 0, 0, 0, x, y, xrel, yrel};
        InputHandleSdlEvent(event);
    }
};

TEST_F(InputTest, KeyboardPollModifiersOrderAndSharedEnter) {
    // Modifiers are recomputed before any event of the poll goes out: the digit (sent before
    // Shift) is already shifted; the right-hand modifiers set the same flags.
    for (SDL_Scancode s : {SDL_SCANCODE_2, SDL_SCANCODE_RSHIFT, SDL_SCANCODE_RCTRL})
        keyboard.Down(s);
    keyboard.Poll();
    EXPECT_EQ(InputEventToChar(&RecordedEvents()[0]), '@');
    const uint32_t mods = P | INPUT_SHIFT | INPUT_CTRL;
    EXPECT_EQ(TakeKeys(), (KeyList{{'2', mods}, {KEY_RSHIFT, mods}, {KEY_RCTRL, mods}}));
    keyboard.Up(SDL_SCANCODE_RSHIFT);
    keyboard.Poll(); // Shift's own release no longer carries the flag
    EXPECT_EQ(TakeKeys(), (KeyList{{KEY_RSHIFT, R | INPUT_CTRL}}));
    for (SDL_Scancode s : {SDL_SCANCODE_F1, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_A, SDL_SCANCODE_KP_4,
                           SDL_SCANCODE_KP_ENTER})
        keyboard.Down(s);
    keyboard.Poll();
    keyboard.Poll(); // nothing changed: nothing sent
    const uint32_t ctrl = P | INPUT_CTRL;
    EXPECT_EQ(
        TakeKeys(),
        (KeyList{{0, ctrl}, {KEY_ENTER, ctrl}, {'a', ctrl}, {KEY_F1, ctrl}, {KEY_KP4, ctrl}}));
    keyboard.Down(SDL_SCANCODE_RETURN);
    keyboard.Poll();
    keyboard.Up(SDL_SCANCODE_KP_ENTER);
    keyboard.Poll(); // both Enter keys share one code: still held by the main key
    keyboard.Up(SDL_SCANCODE_RETURN);
    keyboard.Poll();
    EXPECT_EQ(TakeKeys(), (KeyList{{KEY_ENTER, R | INPUT_CTRL}}));
}

TEST_F(InputTest, MouseButtonsAndMouseLookOnlyWhileGrabbed) {
    SDL_Event event{};
    event.button.y = 17;
    for (auto [type, button] : {std::pair{SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT},
                                {SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE},
                                {SDL_MOUSEBUTTONUP, SDL_BUTTON_X1}}) { // X1: not ours
        event.type = type;
        event.button.button = static_cast<Uint8>(button);
        InputHandleSdlEvent(event);
    }
    InputPoll(); // no motion event for the buttons' position
    ASSERT_FALSE(RecordedEvents().empty());
    EXPECT_EQ(RecordedEvents()[0].y, 17);
    EXPECT_EQ(TakeKeys(), (KeyList{{KEY_MOUSE2, P}, {KEY_MOUSE3, R}}));
    Motion(100, 50, 100, 50);
    Motion(103, 52, 3, 2);
    InputPoll();
    InputPoll();
    ASSERT_EQ(RecordedEvents().size(), 1u); // ungrabbed: one event at the cursor, no turn
    EXPECT_EQ(RecordedEvents()[0].x, 103);
    EXPECT_EQ(mouseYaw, 0.0f);
    InputMouseRelease(); // a release without a grab does not steal the next grab
    InputMouseGrab();
    InputPoll();
    Motion(150, 50, 10, 0);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, 5.0f);
    EXPECT_EQ(RecordedEvents().back().x, 113); // grew by 10 from the stored position
    InputMouseGrab();
    InputMouseRelease();   // one release per grab: still grabbed
    Motion(0, 0, 400, -3); // +200 degrees
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, -155.0f);
    EXPECT_EQ(RecordedEvents().back().y, 49);
    InputMouseRelease();
    Motion(150, 50, 6, 0);
    InputPoll();
    EXPECT_FLOAT_EQ(mouseYaw, -155.0f);
    EXPECT_EQ(RecordedEvents().back().x, 150); // back to following the cursor
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
    InputRemoveHandler(Note<'B', 0>); // from the middle
    EXPECT_EQ(press(), "CA");
    InputAddHandler(Note<'S', 1>); // consumes
    EXPECT_EQ(press(), "S");
    InputRemoveHandler(Note<'S', 1>);
    InputAddHandler(HandlerLeaves);
    EXPECT_EQ(press(), "LCA"); // one that leaves while handling an event
    EXPECT_EQ(press(), "CA");
}

// A plain two-axis joystick: its axes become the four direction codes.
TEST_F(ConsoleTest, JoystickAxisThresholdsAndDrift) {
    if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "a real joystick is attached";
    int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 2, 0);
    if (device < 0) GTEST_SKIP() << "no virtual joystick support: " << SDL_GetError();
    SDL_Joystick* stick = SDL_JoystickOpen(device);
    StartConsole();
    InputAddHandler(RecordEvent);
    EXPECT_NE(ReadFile("boot.log").find("Joystick1 Detected\n"), std::string::npos);
    // Sets the axes in the engine's 0..65535 range and polls once.
    auto poll = [stick](int32_t x, int32_t y) {
        SDL_JoystickSetVirtualAxis(stick, 0, static_cast<Sint16>(x - 32768));
        SDL_JoystickSetVirtualAxis(stick, 1, static_cast<Sint16>(y - 32768));
        InputPoll();
        return TakeKeys();
    };
    // A centred stick reads 32768: one unit of drift from the assumed 32767 moves but presses
    // nothing.
    EXPECT_EQ(poll(32768, 32768), (KeyList{{KEY_JOY1_MOTION, 0}}));
    EXPECT_TRUE(poll(32768, 32768).empty()); // resting: nothing
    EXPECT_EQ(poll(32768, 20766), (KeyList{{315, 0}, {313, P}}));
    EXPECT_EQ(cmdForward, 1);
    EXPECT_EQ(poll(32768, 20767), (KeyList{{315, 0}, {313, R}})); // not low
    EXPECT_EQ(poll(44768, 20767), (KeyList{{315, 0}, {312, P}}));
    // Straight from one end to the other: y low, y high, x low, x high order.
    poll(32767, 0);
    EXPECT_EQ(poll(0, 65535), (KeyList{{315, 0}, {313, R}, {314, P}, {311, P}}));
    EXPECT_EQ(cmdBackward + cmdLeft, 2);
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(device);
}

} // namespace
