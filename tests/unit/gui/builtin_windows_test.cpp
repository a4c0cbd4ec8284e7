// The list popup, the message window and the yes/no dialog, alone and over
// the running demo.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "display/text.h"
#include "gui/builtin_windows.h"
#include "gui_fixture.h"
#include "platform/testing.h"
#include "platform/text.h"

using namespace zorta;

namespace {

std::vector<int32_t> answers;
void RecordAnswer(int32_t answer) { answers.push_back(answer); }

// Every text printed, with its place, through a recording of the back buffer:
// a line is found by the white pixels in its row band.
bool WhiteInRow(int x, int y, int w, int h) {
  for (int j = y; j < y + h; j++)
    for (int i = x; i < x + w; i++)
      if (DisplaySeamReadPixel(BackBuffer, i, j) == PackColor(255, 255, 255, ColorDepth)) return true;
  return false;
}

class BuiltinTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    answers.clear();
    memset(&source, 0, sizeof source);
    source.current = -1;
    ModalWindow = nullptr;
  }
  void TearDown() override {
    ClearList(&source);
    ListPopup.source = nullptr;
    ClearList(&ListPopup.shown);
    GuiTest::TearDown();
  }
  // A frame with a key that went down before it.
  void KeyFrame(int key, int x = -50, int y = -50) {
    OnKeyDown(static_cast<WPARAM>(key));
    Frame(x, y, false);
    OnKeyUp(static_cast<WPARAM>(key));
  }
  NamedList source;
};

TEST_F(BuiltinTest, TypingALetterShowsTheEntriesStartingWithItAndTheirSourceIndices) {
  AddItem(&source, "apple");
  AddItem(&source, "Banana");
  AddItem(&source, "avocado");
  OpenListPopup(&source, 100, 50, 120);
  EXPECT_EQ(ListPopup.h, 3 * 12 + 8);
  EXPECT_EQ(FocusWindow, &ListPopup);
  EXPECT_EQ(KeyboardGrabbed, -1);
  KeyFrame('A', 0, 200);
  ASSERT_EQ(ListPopup.shown.count, 2);
  EXPECT_STREQ(ListPopup.shown.items[0].name, "apple");
  EXPECT_EQ(ListPopup.shown.items[0].value, 0);
  EXPECT_STREQ(ListPopup.shown.items[1].name, "avocado");
  EXPECT_EQ(ListPopup.shown.items[1].value, 2);
  EXPECT_EQ(ListPopup.h, 32);
  EXPECT_EQ(ListPopup.rows, 2);
  EXPECT_EQ(ListPopup.filter, 'A');
  EXPECT_EQ(ListPopup.x, 100);
  EXPECT_EQ(ListPopup.y, 50);
  EXPECT_EQ(ListPopup.open, -1);
}

TEST_F(BuiltinTest, FortyMatchesShowThirtyRowsAndTheBottomEdgeScrollsToTheLastTen) {
  for (int i = 0; i < 40; i++) AddItem(&source, ("item" + std::to_string(i)).c_str());
  AddItem(&source, "other");
  OpenListPopup(&source, 10, 10, 200);
  KeyFrame('I', 50, 200);
  EXPECT_EQ(ListPopup.rows, 30);
  EXPECT_EQ(ListPopup.h, 368);
  EXPECT_EQ(ListPopup.firstRow, 0);
  const int bottom = ListPopup.y + ListPopup.h - 1;
  Frame(50, bottom - 1, false);
  EXPECT_EQ(ListPopup.firstRow, 0);
  for (int frame = 1; frame <= 12; frame++) {
    Frame(500, frame % 2 ? bottom : 470, false);  // on the last pixel row or below, any x
    EXPECT_EQ(ListPopup.firstRow, frame < 10 ? frame : 10) << frame;
  }
  EXPECT_STREQ(ItemAt(&ListPopup.shown, ListPopup.firstRow + 29)->name, "item39");
  Frame(50, ListPopup.y, false);  // the top row scrolls back
  EXPECT_EQ(ListPopup.firstRow, 9);
}

TEST_F(BuiltinTest, APressOnTheThirdRowChoosesItAndClosesInTheSameFrame) {
  AddItem(&source, "zero");
  AddItem(&source, "one");
  AddItem(&source, "two");
  AddItem(&source, "three");
  OpenListPopup(&source, 100, 100, 100);
  EXPECT_EQ(ListPopup.chosen, -1);
  const int rowY = 100 + 4 + 12 * 2 + 5;
  Frame(150, rowY, false);
  EXPECT_EQ(DisplaySeamReadPixel(BackBuffer, 101, rowY), PackColor(60, 60, 80, ColorDepth));
  Frame(150, rowY, true);
  EXPECT_EQ(ListPopup.chosen, 2);
  EXPECT_EQ(ListPopup.open, 0);
  EXPECT_EQ(FocusWindow, nullptr);
  Frame(150, rowY, false);  // the keys are the game's again from the next pass
  EXPECT_EQ(KeyboardGrabbed, 0);
}

TEST_F(BuiltinTest, APressAfterAMoveInTheSameTurnChoosesTheRowItLandedOn) {
  // Over the root window, off the list; then a tap that jumps onto the third
  // row arrives with its position before the next frame (a touch screen).
  OpenGuiWindow(&RootWindow, 0, 0, 640, 480);
  for (int i = 0; i < 4; i++) AddItem(&source, i % 2 ? "odd" : "even");
  OpenListPopup(&source, 100, 100, 100);
  Frame(400, 300, false);
  const int rowY = 100 + 4 + 12 * 2 + 5;
  OnLeftButtonDown(150, rowY);
  OnLeftButtonUp();
  DrawWindows();
  EXPECT_EQ(ListPopup.chosen, 2);
  EXPECT_EQ(ListPopup.open, 0);
  // The right button, over the root from the popup's row: no choice.
  OpenListPopup(&source, 100, 100, 100);
  UpdateKeysOnly();
  Frame(150, rowY, false);
  OnRightButtonDown(400, 300);
  OnRightButtonUp();
  DrawWindows();
  EXPECT_EQ(ListPopup.chosen, -1);
  EXPECT_EQ(MouseWindow, &RootWindow);
  CloseGuiWindow(&RootWindow);
}

TEST_F(BuiltinTest, APressOffTheListOrEscapeClosesWithoutAChoice) {
  AddItem(&source, "zero");
  OpenListPopup(&source, 100, 100, 100);
  Frame(400, 300, false);
  Frame(400, 300, false, true);
  EXPECT_EQ(ListPopup.open, 0);
  EXPECT_EQ(ListPopup.chosen, -1);
  OpenListPopup(&source, 100, 100, 100);
  KeyFrame(VK_ESCAPE, 400, 300);
  EXPECT_EQ(ListPopup.open, 0);
}

TEST_F(BuiltinTest, APopupWithoutSourceOnlyMovesToItsAnchorWhenALetterIsTyped) {
  OpenListPopup(nullptr, 600, 30, 100);
  EXPECT_EQ(ListPopup.x, 540);  // pulled back on screen
  EXPECT_EQ(ListPopup.h, 8);
  ListPopup.x = 7;
  KeyFrame('Q', 0, 200);
  EXPECT_EQ(ListPopup.x, 540);
  EXPECT_EQ(ListPopup.shown.count, 0);
}

TEST_F(BuiltinTest, HashMarksBreakLinesFourteenPixelsApart) {
  OpenMessageWindow("One#Two", 100, 100, 200, 80);
  Frame(400, 400, false);
  EXPECT_TRUE(WhiteInRow(108, 108, 100, 14));
  EXPECT_TRUE(WhiteInRow(108, 122, 100, 14));
  EXPECT_FALSE(WhiteInRow(108, 136, 100, 30));
  EXPECT_EQ(DisplaySeamReadPixel(BackBuffer, 100, 100), PackColor(128, 128, 128, ColorDepth));
  EXPECT_EQ(DisplaySeamReadPixel(BackBuffer, 101, 101), PackColor(32, 32, 32, ColorDepth));
  // "One##Two": the second line starts with the "#", as wide as "#Two".
  FillRect(0, 0, 640, 480, 0);
  strcpy(MessageWindow.text, "One##Two#");
  Frame(400, 400, false);
  int widest = 0;
  for (int x = 108; x < 300; x++)
    if (WhiteInRow(x, 122, 1, 14)) widest = x - 108 + 1;
  EXPECT_GT(widest, TextWidth("Two") + 2);
  EXPECT_LE(widest, TextWidth("#Two"));
  EXPECT_FALSE(WhiteInRow(108, 136, 100, 30));  // a final "#" adds no line
}

TEST_F(BuiltinTest, AMessageClosesOnAnyKeyOrButtonDown) {
  OpenMessageWindow("Hello", 10, 10, 100, 40);
  EXPECT_EQ(FocusWindow, &MessageWindow);
  Frame(400, 400, false);
  EXPECT_EQ(MessageWindow.open, -1);
  Frame(400, 400, false, true);  // right button, anywhere
  EXPECT_EQ(MessageWindow.open, 0);
  EXPECT_EQ(FocusWindow, nullptr);
  OpenMessageWindow("Hello", 10, 10, 100, 40);
  KeyFrame('Z');
  EXPECT_EQ(MessageWindow.open, 0);
}

TEST_F(BuiltinTest, ALeadingHashMarkEndsAnEmptyFirstLine) {
  OpenMessageWindow("#abc", 100, 100, 200, 80);
  Frame(400, 400, false);
  EXPECT_FALSE(WhiteInRow(100, 100, 200, 22));  // nothing on the first line
  EXPECT_TRUE(WhiteInRow(108, 122, 100, 14));
  EXPECT_FALSE(WhiteInRow(100, 136, 200, 44));
  int widest = 0;
  for (int x = 108; x < 300; x++)
    if (WhiteInRow(x, 122, 1, 14)) widest = x - 108 + 1;
  EXPECT_LE(widest, TextWidth("abc"));  // "abc", without the "#"
  // "##abc": an empty line, then one that starts with the second "#".
  FillRect(0, 0, 640, 480, 0);
  strcpy(MessageWindow.text, "##abc");
  Frame(400, 400, false);
  EXPECT_FALSE(WhiteInRow(100, 100, 200, 22));
  widest = 0;
  for (int x = 108; x < 300; x++)
    if (WhiteInRow(x, 122, 1, 14)) widest = x - 108 + 1;
  EXPECT_GT(widest, TextWidth("abc") + 2);
  EXPECT_LE(widest, TextWidth("#abc"));
  EXPECT_FALSE(WhiteInRow(100, 136, 200, 44));
}

// The window is moved left of the screen so that the end of the printed
// text falls on it: the 255th character of a line is printed, the rest is not.
class CutLineTest : public BuiltinTest {
 protected:
  static constexpr int End = 320;  // where the 255th character ends on screen
  static int32_t TextX() { return End - TextWidth(std::string(255, 'x').c_str()); }
  void ExpectCutAt255() {
    int32_t one = TextWidth("x");
    EXPECT_TRUE(WhiteInRow(End - one, 8, one, 14));
    EXPECT_FALSE(WhiteInRow(End + 1, 0, 640 - End - 2, 30));
  }
};

TEST_F(CutLineTest, AMessageLineIsCutAt255Characters) {
  std::string longText(2000, 'x');
  OpenMessageWindow(longText.c_str(), 0, 0, 640, 60);
  EXPECT_EQ(strlen(MessageWindow.text), 511u);
  MessageWindow.x = TextX() - 8;
  MessageWindow.w = 640 - MessageWindow.x;
  Frame(700, 700, false);
  ExpectCutAt255();
  // Without a terminator the line printer stops at the buffer's end.
  FillRect(0, 0, 640, 480, 0);
  memset(MessageWindow.text, 'x', sizeof MessageWindow.text);
  Frame(700, 700, false);
  ExpectCutAt255();
}

TEST_F(CutLineTest, AQuestionWithoutATerminatorIsCutAsAMessageLine) {
  std::string longText(2000, 'x');
  OpenConfirmDialog(longText.c_str(), nullptr, 0, 0, 640, 40);
  EXPECT_EQ(strlen(ConfirmDialog.text), 255u);
  ConfirmDialog.x = TextX() - 8;
  ConfirmDialog.w = 640 - ConfirmDialog.x;
  Frame(700, 700, false);
  ExpectCutAt255();
  // Game code that fills the whole buffer: the line stops at its end.
  FillRect(0, 0, 640, 480, 0);
  memset(ConfirmDialog.text, 'x', sizeof ConfirmDialog.text);
  Frame(700, 700, false);
  ExpectCutAt255();
}

TEST_F(BuiltinTest, TheNKeyAnswersNoAndFreesTheMouse) {
  OpenConfirmDialog("Quit?", RecordAnswer, 200, 200, 200, 40);
  EXPECT_EQ(ModalWindow, &ConfirmDialog);
  EXPECT_EQ(FocusWindow, &ConfirmDialog);
  Frame(0, 0, false);
  EXPECT_TRUE(answers.empty());
  KeyFrame('N');
  EXPECT_EQ(answers, (std::vector<int32_t>{0}));
  EXPECT_EQ(ModalWindow, nullptr);
  EXPECT_EQ(FocusWindow, nullptr);
  EXPECT_EQ(ConfirmDialog.open, 0);
}

TEST_F(BuiltinTest, TheButtonsAnswerOnReleaseAndOnlyOnce) {
  OpenConfirmDialog("Save?", RecordAnswer, 200, 200, 200, 40);
  // "Yes" drawn at (200 + 128, 208), hit one pixel lower right.
  Frame(340, 215, false);
  EXPECT_EQ(DisplaySeamReadPixel(BackBuffer, 328, 208), PackColor(128, 128, 128, ColorDepth));
  Frame(340, 215, true);
  EXPECT_TRUE(answers.empty());
  OnKeyDown('N');  // a key in the same frame as the release gives no second answer
  Frame(340, 215, false);
  EXPECT_EQ(answers, (std::vector<int32_t>{-1}));
  OnKeyUp('N');
  OpenConfirmDialog("Save?", RecordAnswer, 200, 200, 200, 40);
  Frame(375, 215, false);
  Frame(375, 215, true);
  Frame(375, 215, false);
  EXPECT_EQ(answers, (std::vector<int32_t>{-1, 0}));
}

TEST_F(BuiltinTest, WithoutACallbackNoButtonsAreDrawnButTheKeysStillClose) {
  for (int key : {static_cast<int>(VK_RETURN), static_cast<int>('Y'), static_cast<int>(VK_ESCAPE), static_cast<int>('N')}) {
    OpenConfirmDialog("Note", nullptr, 200, 200, 200, 40);
    Frame(0, 0, false);
    EXPECT_EQ(DisplaySeamReadPixel(BackBuffer, 328, 208), PackColor(32, 32, 32, ColorDepth));
    EXPECT_EQ(DisplaySeamReadPixel(BackBuffer, 200, 200), PackColor(200, 50, 50, ColorDepth));
    KeyFrame(key);
    EXPECT_EQ(ConfirmDialog.open, 0) << key;
    EXPECT_EQ(ModalWindow, nullptr);
  }
}

TEST_F(BuiltinTest, AFullStackLeavesTheOpenersWithoutFocusOrModal) {
  static GuiWindow fillers[WindowSlots];
  for (GuiWindow& w : fillers) OpenGuiWindow(&w, 0, 0, 10, 10);
  OpenConfirmDialog("Full?", RecordAnswer, 0, 0, 100, 40);
  OpenMessageWindow("Full", 0, 0, 100, 40);
  EXPECT_EQ(ConfirmDialog.open, 0);
  EXPECT_EQ(ModalWindow, nullptr);
  EXPECT_EQ(FocusWindow, nullptr);
}

}  // namespace

// A message longer than the window's buffer or the screen is cut after a
// whole line, before the window is sized, and keeps its last line.
TEST_F(BuiltinTest, ALongMessageIsCutToFitAndKeepsItsLastLine) {
  auto lines = [] {
    std::string t = MessageWindow.text;
    return 1 + static_cast<int32_t>(std::count(t.begin(), t.end(), '#'));
  };
  std::string body;
  for (int i = 0; i < 100; i++) body += (i ? "#" : "") + std::string(60, static_cast<char>('a' + i % 26));
  OpenMessageEndingWith(body.c_str(), "The end.", 20, 40, 600);
  std::string text = MessageWindow.text;
  EXPECT_LT(text.size(), sizeof MessageWindow.text);
  ASSERT_GE(text.size(), 13u);
  EXPECT_EQ(text.substr(text.size() - 13), "#...#The end.");
  EXPECT_EQ(text.rfind(std::string(60, 'a') + "#" + std::string(60, 'b') + "#", 0), 0u);
  EXPECT_EQ(MessageWindow.h, 16 + 14 * lines());
  // Short lines that fit the buffer but not the screen: cut at the screen's edge.
  body.clear();
  for (int i = 0; i < 60; i++) body += (i ? "#" : "") + std::to_string(i);
  OpenMessageEndingWith(body.c_str(), "The end.", 20, 40, 600);
  EXPECT_LE(40 + MessageWindow.h, ScreenHeight);
  EXPECT_GT(40 + MessageWindow.h + 14, ScreenHeight);
  text = MessageWindow.text;
  EXPECT_EQ(text.substr(text.size() - 13), "#...#The end.");
  // What fits is shown whole.
  OpenMessageEndingWith("One#Two", "The end.", 20, 40, 600);
  EXPECT_STREQ(MessageWindow.text, "One#Two#The end.");
  EXPECT_EQ(MessageWindow.h, 16 + 14 * 3);
}
