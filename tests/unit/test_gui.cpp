// GUI layers: ordering, stacking and hiding, input routing through the real input layer, focus
// walking, text entry and the default drawing against the recording GL table.
#include "ui/gui.h"

#include "ui_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Two test screens. ScreenOne owns a button (and, when asked, two entries with a button between);
// ScreenTwo owns a button and consumes 'x'. Every message is counted per screen.
struct ScreenLog {
    int destroys = 0, draws = 0, activates = 0;
    GuiLayer* activated = nullptr;
    std::vector<int32_t> keys;
};
ScreenLog oneLog, twoLog;
bool oneMakesEdits = false;

void Note(ScreenLog& log, GuiLayer* layer, int32_t message, const InputEvent* event) {
    log.destroys += message == GUI_DESTROY;
    log.draws += message == GUI_DRAW;
    if (message == GUI_ACTIVATE) log.activates++, log.activated = layer;
    if (message == GUI_INPUT && (event->flags & INPUT_PRESS)) log.keys.push_back(event->key);
}

int32_t ScreenOne(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    Note(oneLog, layer, message, event);
    if (message == GUI_CREATE) {
        layer->font = largeFont;
        GuiCreateButton(layer, 10, 20, 100, 40, nullptr, "one");
        if (oneMakesEdits) {
            GuiCreateEdit(layer, 10, 100, 100, 40, nullptr, "first");
            GuiCreateButton(layer, 10, 150, 100, 40, nullptr, "between");
            GuiCreateEdit(layer, 10, 200, 100, 40, nullptr, "second");
        }
    }
    return 0;
}

int32_t ScreenTwo(GuiLayer* layer, int32_t message, const InputEvent* event, int32_t) {
    Note(twoLog, layer, message, event);
    if (message == GUI_CREATE) GuiCreateButton(layer, 0, 0, 10, 10, nullptr, "two");
    return message == GUI_INPUT && (event->flags & INPUT_PRESS) && event->key == 'x';
}

class Gui : public ::testing::Test {
  protected:
    void SetUp() override {
        oneLog = {};
        twoLog = {};
        oneMakesEdits = false;
    }
    UiTestScope scope;
};

GuiLayer* At(int32_t i) {
    return static_cast<GuiLayer*>(guiIndex.items[i]);
}

TEST_F(Gui, ScreensStackWithTheirWidgetsAndOnlyTheTopOneDraws) {
    GuiLayer* older = GuiOpenScreen(ScreenTwo);
    GuiLayer* one = GuiOpenScreen(ScreenOne);
    GuiLayer* two = GuiOpenScreen(ScreenTwo);
    // Index order: each screen's widgets just before it, newer screens after older ones.
    ASSERT_EQ(guiIndex.count, 6);
    EXPECT_EQ(At(0)->parent, older);
    EXPECT_EQ(At(2)->parent, one);
    EXPECT_EQ(At(3), one);
    EXPECT_EQ(At(5), two);
    EXPECT_EQ(one->visible, 0);
    {
        GLRecorderScope recorder;
        GuiDraw();
    }
    EXPECT_EQ(oneLog.draws, 0); // hidden: neither the screen nor its widgets draw
    EXPECT_EQ(twoLog.draws, 1); // the older ScreenTwo is hidden too
    GuiFreeLayer(ScreenTwo);    // the newest screen with that callback
    EXPECT_EQ(twoLog.destroys, 1);
    EXPECT_EQ(GuiFindScreen(ScreenTwo), older);
    EXPECT_EQ(one->visible, 1);
    EXPECT_EQ(guiIndex.count, 4);
}

TEST_F(Gui, IsTheNewestInputHandlerExactlyWhileAScreenIsOpen) {
    GuiOpenScreen(ScreenOne);
    GuiOpenScreen(ScreenTwo);
    PressKey(SDL_SCANCODE_X); // taken by ScreenTwo
    PressKey(SDL_SCANCODE_Q); // taken by nobody: goes on to the bindings, once
    EXPECT_EQ(BindingKeys(), std::vector<int32_t>{'q'});
    EXPECT_EQ(oneLog.keys, std::vector<int32_t>{'q'}); // the hidden screen was offered it
    GuiFreeLayer(ScreenTwo);
    GuiFreeLayer(ScreenOne);
    PressKey(SDL_SCANCODE_X);
    EXPECT_EQ(oneLog.keys.size(), 1u);
    EXPECT_EQ(BindingKeys(), (std::vector<int32_t>{'q', 'x'}));
}

TEST_F(Gui, FocusWalksTheEntriesWithWrapAndEnterActivatesTheFocusedOne) {
    // Without an entry the focus keys change nothing and are consumed; Enter is not.
    GuiOpenScreen(ScreenOne);
    for (SDL_Scancode key : {SDL_SCANCODE_TAB, SDL_SCANCODE_UP, SDL_SCANCODE_RETURN})
        PressKey(key);
    EXPECT_EQ(BindingKeys(), std::vector<int32_t>{KEY_ENTER});
    GuiFreeLayer(ScreenOne);
    BindingKeys().clear();
    oneMakesEdits = true;
    GuiOpenScreen(ScreenOne);
    // Index order: "second" (created last) sorts first, then "between", "first", "one".
    GuiLayer* first = focusLayer;
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->text, "first"); // the first entry made takes the focus
    GuiLayer* second = At(0);
    const struct {
        SDL_Scancode key;
        GuiLayer* focus;
    } walk[] = {{SDL_SCANCODE_TAB, second}, // forward from "first" wraps round to "second"
                {SDL_SCANCODE_DOWN, first},
                {SDL_SCANCODE_UP, second},
                {SDL_SCANCODE_UP, first}}; // backward wraps from the start to the end
    for (const auto& step : walk) {
        PressKey(step.key);
        EXPECT_EQ(focusLayer, step.focus);
    }
    PressKey(SDL_SCANCODE_RETURN);
    EXPECT_EQ(oneLog.activated, first);
    EXPECT_TRUE(BindingKeys().empty());
    // Destroying the focused entry clears the focus; the next entry made takes it.
    GuiDestroyLayer(first);
    EXPECT_EQ(focusLayer, nullptr);
    GuiLayer* again = GuiCreateEdit(At(guiIndex.count - 1), 0, 0, 10, 10, nullptr, "");
    EXPECT_EQ(focusLayer, again);
    GuiFreeLayer(ScreenOne);
    EXPECT_EQ(focusLayer, nullptr);
    EXPECT_EQ(guiIndex.count, 0);
}

TEST_F(Gui, TextEntryTypesTextEventsStopsAt127TakesBackspaceAndWaitsUnderAScreenAbove) {
    oneMakesEdits = true;
    GuiOpenScreen(ScreenOne);
    GuiLayer* edit = focusLayer;
    edit->text[0] = '\0';
    TypeText("A@ b");
    PressKey(SDL_SCANCODE_W, true); // the keys of printable characters are taken without typing
    EXPECT_STREQ(edit->text, "A@ b");
    EXPECT_EQ(BindingKeys(), (std::vector<int32_t>{KEY_LSHIFT})); // Shift passes on
    PressKey(SDL_SCANCODE_ESCAPE);                                // no character: passes on
    EXPECT_EQ(BindingKeys().back(), KEY_ESCAPE);
    const std::string full(127, 'k');
    std::snprintf(edit->text, GUI_TEXT_SIZE, "%s", full.c_str());
    BindingKeys().clear();
    TypeText("z");
    EXPECT_EQ(std::string(edit->text), full);
    PressKey(SDL_SCANCODE_BACKSPACE);
    EXPECT_EQ(std::string(edit->text), std::string(126, 'k'));
    edit->text[0] = '\0';
    PressKey(SDL_SCANCODE_BACKSPACE);   // empty: nothing to remove, still consumed
    EXPECT_TRUE(BindingKeys().empty()); // the ignored character and the keys: all consumed
    // A hidden entry does not take the keys of the screen above it, only what that one leaves.
    GuiOpenScreen(ScreenTwo);
    PressKey(SDL_SCANCODE_X);
    EXPECT_STREQ(edit->text, "");
    EXPECT_EQ(twoLog.keys, std::vector<int32_t>{'x'});
    TypeText("q");
    EXPECT_STREQ(edit->text, "q");
}

TEST_F(Gui, DrawsInScreenSpaceWithBoxesAndCentredLabels) {
    GuiLayer* screen = GuiOpenScreen(ScreenOne);
    Texture box{};
    box.width = 64;
    box.height = 32;
    box.glName = 7;
    GuiCreateButton(screen, 100, 50, 0, 0, &box, "ab");
    GuiCreateButton(screen, 320, 440, 0, 0, nullptr, "wxyz");
    GLRecorderScope recorder;
    GuiDraw();
    const GLRecordedCall* calls = GLRecorderCalls();
    // The model-view matrix is selected before the GUI space is placed: origin top left, y down.
    EXPECT_STREQ(calls[0].name, "MatrixMode");
    EXPECT_EQ(calls[0].args[0], GL_MODELVIEW);
    EXPECT_STREQ(calls[2].name, "Translatef");
    EXPECT_EQ(calls[2].args[0], -320.0);
    EXPECT_EQ(calls[2].args[1], 240.0);
    EXPECT_EQ(calls[GLRecorderSize() - 1].args[0], GL_DEPTH_TEST);
    // The textured box: translated to (x, -y), the texture's own size, image top at the top.
    int bind = GLRecorderFind("BindTexture");
    while (bind >= 0 && calls[bind].args[1] != 7.0)
        bind = GLRecorderFind("BindTexture", bind + 1);
    ASSERT_GE(bind, 2);
    EXPECT_EQ(calls[bind - 2].args[0], 100.0);
    EXPECT_EQ(calls[bind - 2].args[1], -50.0);
    const int quad = GLRecorderFind("Begin", bind);
    EXPECT_EQ(calls[quad + 1].args[1], 1.0); // t = 1
    EXPECT_EQ(calls[quad + 4].args[0], 64.0);
    EXPECT_EQ(calls[quad + 6].args[1], -32.0);
    // "ab" (two 12-pixel cells, 17 high) centred in the 64 x 32 box; "wxyz" in a box of no size
    // centred on its point.
    const std::vector<DrawnText> texts = DrawnTexts();
    EXPECT_FLOAT_EQ(FindDrawn(texts, "ab").x, 100.0f + (64.0f - 24.0f) / 2.0f);
    EXPECT_FLOAT_EQ(FindDrawn(texts, "ab").y, -(50.0f + (32.0f - 17.0f) / 2.0f));
    EXPECT_FLOAT_EQ(FindDrawn(texts, "wxyz").x, 320.0f - 24.0f);
    EXPECT_FLOAT_EQ(FindDrawn(texts, "wxyz").y, -(440.0f - 8.5f));
}

using GuiDeathTest = Gui;

TEST_F(GuiDeathTest, ClosingAScreenThatIsNotOpenOrExhaustingThePoolEndsTheProgram) {
    EXPECT_EXIT(GuiFreeLayer(ScreenTwo), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(
        {
            for (int32_t i = 0; i <= GUI_MAX_LAYERS; ++i)
                GuiCreate(nullptr);
        },
        ::testing::ExitedWithCode(1), "");
}

} // namespace
