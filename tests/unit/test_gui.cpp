// GUI layers: stacking and hiding, input routing through the real input layer, focus walking, text
// entry and the default drawing against the recording GL table.
#include "ui/gui.h"

#include "ui_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Two test screens: ScreenOne owns a button and two entries with a button between them;
// ScreenTwo owns a button and consumes 'x'. Both count their draws and the keys offered.
struct ScreenLog {
    int draws = 0;
    GuiLayer* activated = nullptr;
    std::vector<int32_t> keys;
} logs[2];

int32_t Note(int n, GuiLayer* layer, int32_t message, const InputEvent* event) {
    logs[n].draws += message == GUI_DRAW;
    if (message == GUI_ACTIVATE) logs[n].activated = layer;
    if (message != GUI_INPUT || !(event->flags & INPUT_PRESS)) return 0;
    logs[n].keys.push_back(event->key);
    return n == 1 && event->key == 'x';
}

int32_t ScreenOne(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    if (message == GUI_CREATE) {
        layer->font = largeFont;
        GuiCreateButton(layer, 10, 20, 100, 40, nullptr, "one");
        GuiCreateEdit(layer, 10, 100, 100, 40, nullptr, "first");
        GuiCreateButton(layer, 10, 150, 100, 40, nullptr, "between");
        GuiCreateEdit(layer, 10, 200, 100, 40, nullptr, "second");
    }
    return Note(0, layer, message, event);
}

int32_t ScreenTwo(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    if (message == GUI_CREATE) GuiCreateButton(layer, 0, 0, 10, 10, nullptr, "two");
    return Note(1, layer, message, event);
}

class Gui : public ::testing::Test {
  protected:
    void SetUp() override { logs[0] = logs[1] = {}; }
    UiTestScope scope;
};

TEST_F(Gui, OnlyTheTopScreenDrawsAndTakesKeysFirstWhatNoneTakesGoesOnOnce) {
    GuiLayer* one = GuiOpenScreen(ScreenOne);
    GuiLayer* two = GuiOpenScreen(ScreenTwo);
    EXPECT_EQ(GuiOpenScreen(ScreenTwo), two); // a screen asked for again is the one open
    EXPECT_EQ(one->visible, 0);
    GLRecorderScope recorder;
    GuiDraw();
    EXPECT_EQ(logs[0].draws, 0); // hidden: neither the screen nor its widgets draw
    EXPECT_EQ(logs[1].draws, 1);
    PressKey(SDL_SCANCODE_X);  // taken by the top ScreenTwo, not by the hidden entry
    PressKey(SDL_SCANCODE_F1); // taken by nobody: goes on to the bindings, once
    EXPECT_EQ(BindingKeys(), std::vector<int32_t>{KEY_F1});
    EXPECT_EQ(logs[1].keys[0], 'x');
    EXPECT_EQ(logs[0].keys, std::vector<int32_t>{KEY_F1}); // the hidden screen was offered it
    EXPECT_STREQ(focusLayer->text, "first");
    TypeText("q"); // text typed under the top screen never edits a hidden entry
    PressKey(SDL_SCANCODE_BACKSPACE);
    EXPECT_STREQ(focusLayer->text, "first");
    GuiFreeLayer(ScreenTwo);
    EXPECT_EQ(GuiFindScreen(ScreenTwo), nullptr);
    EXPECT_EQ(one->visible, 1);
    TypeText("q");
    EXPECT_STREQ(focusLayer->text, "firstq");
    GuiFreeLayer(ScreenOne);
    EXPECT_EQ(guiIndex.count, 0);
    EXPECT_EQ(focusLayer, nullptr);
    PressKey(SDL_SCANCODE_X); // no screen: the GUI takes nothing
    EXPECT_EQ(BindingKeys(), (std::vector<int32_t>{KEY_F1, KEY_BACKSPACE, 'x'})); // no text
}

// Tab and Down walk forward, Up backward, both with wrap; Enter activates the focused entry.
TEST_F(Gui, FocusWalksTheEntriesAndEnterActivatesTheFocusedOne) {
    GuiOpenScreen(ScreenOne);
    GuiLayer* first = focusLayer; // the first entry made takes the focus
    for (SDL_Scancode key : {SDL_SCANCODE_TAB, SDL_SCANCODE_DOWN, SDL_SCANCODE_UP, SDL_SCANCODE_UP,
                             SDL_SCANCODE_UP, SDL_SCANCODE_RETURN})
        PressKey(key);
    EXPECT_STREQ(focusLayer->text, "second");
    EXPECT_EQ(logs[0].activated, focusLayer);
    EXPECT_TRUE(BindingKeys().empty());
    // Destroying the focused entry clears the focus; the next entry made takes it.
    GuiDestroyLayer(focusLayer);
    EXPECT_EQ(focusLayer, nullptr);
    EXPECT_EQ(GuiCreateEdit(first->parent, 0, 0, 10, 10, nullptr, ""), focusLayer);
}

TEST_F(Gui, DrawsInScreenSpaceWithCentredLabels) {
    GuiLayer* screen = GuiOpenScreen(ScreenTwo);
    screen->font = largeFont;
    Texture box{};
    box.width = 64;
    box.height = 32;
    GuiCreateButton(screen, 100, 50, 0, 0, &box, "ab");
    GuiCreateButton(screen, 320, 440, 0, 0, nullptr, "wxyz");
    GLRecorderScope recorder;
    GuiDraw();
    EXPECT_EQ(GLRecorderCalls()[0].args[0], GL_MODELVIEW);
    EXPECT_EQ(GLRecorderCalls()[2].args[0], -320.0);   // then Translatef(-320, 240)
    const std::vector<DrawnText> texts = DrawnTexts(); // 12 x 17 cells
    EXPECT_FLOAT_EQ(FindDrawn(texts, "ab").x, 100.0f + (64.0f - 24.0f) / 2.0f);
    EXPECT_FLOAT_EQ(FindDrawn(texts, "ab").y, -(50.0f + (32.0f - 17.0f) / 2.0f));
    EXPECT_FLOAT_EQ(FindDrawn(texts, "wxyz").x, 320.0f - 24.0f);
    EXPECT_FLOAT_EQ(FindDrawn(texts, "wxyz").y, -(440.0f - 8.5f));
}

} // namespace
