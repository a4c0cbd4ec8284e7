// The window stack, mouse ownership, hit tests, push buttons and keyboard focus.
#include <vector>

#include "display/text.h"
#include "gui_fixture.h"

using namespace zorta;

namespace {

std::vector<GuiWindow*> drawn;
std::vector<GuiWindow*> sawKey;  // the windows whose Draw saw the key go down
int clickedInDraw = 0;

void RecordDraw(GuiWindow* w) {
  drawn.push_back(w);
  if (KeyPressed('K')) sawKey.push_back(w);
  if (IsClicked(w)) clickedInDraw++;
}
const GuiWindowOps RecordingOps = {RecordDraw};

GuiWindow A(&RecordingOps), B(&RecordingOps), C(&RecordingOps);
GuiWindow Extra[33];

std::vector<GuiWindow*> Stack() {
  std::vector<GuiWindow*> s;
  for (GuiWindow* w : WindowStack) s.push_back(w);
  while (!s.empty() && s.back() == nullptr) s.pop_back();
  return s;
}

class StackTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    drawn.clear();
    sawKey.clear();
    clickedInDraw = 0;
  }
};

TEST_F(StackTest, OpenRaiseCloseKeepTheSlotsInOrderWithoutGaps) {
  OpenGuiWindow(&A, 0, 0, 10, 10);
  OpenGuiWindow(&B, 0, 0, 10, 10);
  OpenGuiWindow(&C, 0, 0, 10, 10);
  EXPECT_EQ(Stack(), (std::vector<GuiWindow*>{&A, &B, &C}));
  RaiseGuiWindow(&A);
  EXPECT_EQ(Stack(), (std::vector<GuiWindow*>{&B, &C, &A}));
  CloseGuiWindow(&C);
  EXPECT_EQ(Stack(), (std::vector<GuiWindow*>{&B, &A}));
  EXPECT_EQ(WindowStack[2], nullptr);
  EXPECT_EQ(C.open, 0);
  CloseGuiWindow(&C);  // not open: only clears the flag
  EXPECT_EQ(Stack(), (std::vector<GuiWindow*>{&B, &A}));
  // Opening an open window moves and raises it without a second slot.
  OpenGuiWindow(&B, 50, 60, 10, 10);
  EXPECT_EQ(Stack(), (std::vector<GuiWindow*>{&A, &B}));
  EXPECT_EQ(B.x, 50);
  EXPECT_EQ(B.y, 60);
}

TEST_F(StackTest, AThirtyThirdWindowStaysClosedWithItsRectangleStored) {
  for (int i = 0; i < 32; i++) OpenGuiWindow(&Extra[i], i, 0, 10, 10);
  OpenGuiWindow(&Extra[32], 77, 88, 5, 6);
  EXPECT_EQ(Extra[32].open, 0);
  EXPECT_EQ(Extra[32].x, 77);
  EXPECT_EQ(Extra[32].h, 6);
  EXPECT_EQ(Stack().size(), 32u);
  DrawWindows();  // base windows draw their green frame; the 33rd is not drawn
  EXPECT_EQ(Pixel(77, 88), 0u);
  EXPECT_EQ(Pixel(31, 0), Colour(0, 128, 0));
}

TEST_F(StackTest, WindowsAreClampedToTheScreenAndLargerOnesGetANegativeCorner) {
  OpenGuiWindow(&A, 10, 5, 700, 20);
  EXPECT_EQ(A.x, -60);
  EXPECT_EQ(A.y, 5);
  OpenGuiWindow(&B, -5, 470, 20, 20);
  EXPECT_EQ(B.x, 0);
  EXPECT_EQ(B.y, 460);
  MoveGuiWindow(&B, 630, -3);
  EXPECT_EQ(B.x, 620);
  EXPECT_EQ(B.y, 0);
  // Resizing pulls the far edges back but never raises a negative corner.
  C.x = -30;
  C.y = 400;
  ResizeGuiWindow(&C, 100, 100);
  EXPECT_EQ(C.x, -30);
  EXPECT_EQ(C.y, 380);
  EXPECT_EQ(C.h, 100);
}

TEST_F(StackTest, WindowAtFindsTheTopmostWindowUnderThePoint) {
  OpenGuiWindow(&A, 0, 0, 100, 100);
  OpenGuiWindow(&B, 50, 50, 100, 100);
  EXPECT_EQ(WindowAt(60, 60), &B);
  EXPECT_EQ(WindowAt(49, 60), &A);
  EXPECT_EQ(WindowAt(149, 149), &B);
  EXPECT_EQ(WindowAt(150, 60), nullptr);
}

TEST_F(StackTest, ThePressBelongsToTheWindowUnderItUntilBothButtonsAreUp) {
  OpenGuiWindow(&RootWindow, 0, 0, 640, 480);
  OpenGuiWindow(&A, 100, 100, 50, 50);
  Frame(120, 120, false);
  EXPECT_EQ(MouseWindow, &A);
  // Press over A.
  PointerX = PointerY = 120;
  LeftButtonDown = -1;
  UpdateMouseState();
  EXPECT_EQ(IsClicked(&A), -1);
  EXPECT_EQ(IsClicked(&RootWindow), 0);
  // Dragged over the root and released there: still A's.
  PointerX = PointerY = 300;
  UpdateMouseState();
  EXPECT_EQ(IsHeld(&A), -1);
  EXPECT_EQ(IsClicked(&A), 0);
  EXPECT_EQ(IsHeld(&RootWindow), 0);
  EXPECT_EQ(IsMouseOver(&RootWindow, 0, 0, 640, 480), 0);
  LeftButtonDown = 0;
  UpdateMouseState();
  EXPECT_EQ(IsReleased(&A), -1);
  EXPECT_EQ(IsReleased(&RootWindow), 0);
  // Only a frame with both samples up hands the mouse over.
  UpdateMouseState();
  EXPECT_EQ(MouseWindow, &RootWindow);
}

TEST_F(StackTest, ATapWithinOneTurnIsHeldForOneFrameThenReleased) {
  OpenGuiWindow(&A, 0, 0, 50, 50);
  Frame(10, 10, false);
  OnLeftButtonDown();
  OnLeftButtonUp();
  DrawWindows();
  EXPECT_EQ(clickedInDraw, 1);
  EXPECT_EQ(IsHeld(&A), -1);
  UpdateKeysOnly();
  DrawWindows();
  EXPECT_EQ(IsReleased(&A), -1);
  UpdateKeysOnly();
  DrawWindows();
  EXPECT_EQ(IsReleased(&A), 0);
  EXPECT_EQ(clickedInDraw, 1);
  // The right button the same way.
  OnRightButtonDown();
  OnRightButtonUp();
  DrawWindows();
  EXPECT_EQ(MouseRightPressed(), -1);
  UpdateKeysOnly();
  DrawWindows();
  EXPECT_EQ(MouseRightPressed(), 0);
  EXPECT_EQ(RightButtonDown, 0);
}

TEST_F(StackTest, AHeldRightButtonKeepsTheOwner) {
  OpenGuiWindow(&A, 0, 0, 50, 50);
  OpenGuiWindow(&B, 100, 0, 50, 50);
  PointerX = PointerY = 10;
  UpdateMouseState();
  UpdateMouseState();
  EXPECT_EQ(MouseWindow, &A);
  RightButtonDown = -1;  // pressed over A, then dragged to B
  UpdateMouseState();
  PointerX = 120;
  UpdateMouseState();
  EXPECT_EQ(MouseWindow, &A);
  EXPECT_EQ(MouseLeftPressed(), 0);
  RightButtonDown = 0;
  UpdateMouseState();  // right before still down
  EXPECT_EQ(MouseWindow, &A);
  UpdateMouseState();
  EXPECT_EQ(MouseWindow, &B);
}

TEST_F(StackTest, OutsideEveryWindowNoWindowTestAnswers) {
  OpenGuiWindow(&A, 0, 0, 50, 50);
  PointerX = PointerY = 200;
  UpdateMouseState();
  LeftButtonDown = -1;
  UpdateMouseState();
  EXPECT_EQ(MouseWindow, nullptr);
  EXPECT_EQ(MouseLeftPressed(), -1);
  EXPECT_EQ(IsClicked(&A), 0);
  EXPECT_EQ(IsClicked(nullptr), 0);
  EXPECT_EQ(IsMouseOver(&A, -1000, -1000, 5000, 5000), 0);
}

TEST_F(StackTest, ConsumedClicksHideTheEdgesButNotTheHeldState) {
  PointerX = PointerY = 10;
  LeftButtonDown = -1;
  UpdateMouseState();
  ConsumeClicks();
  EXPECT_EQ(MouseLeftPressed(), 0);
  EXPECT_EQ(MouseLeftHeld(), -1);
  EXPECT_EQ(MouseInRect(10, 10, 1, 1), -1);
  RestoreClicks();
  EXPECT_EQ(MouseLeftPressed(), -1);
  ConsumeClicks();
  DrawWindows();  // the pass clears it at its end
  EXPECT_EQ(ClicksConsumed, 0);
}

TEST_F(StackTest, GuiButtonHitsItsRectangleShiftedByOnePixelAndFiresOnRelease) {
  static int fired;
  static const GuiWindowOps ButtonOps = {[](GuiWindow* w) {
    if (GuiButton(w, "Go", 10, 20, 30, 14)) fired++;
  }};
  static GuiWindow W(&ButtonOps);
  fired = 0;
  OpenGuiWindow(&W, 100, 100, 100, 100);
  // Button drawn at (110, 120) 30 x 14, hit at (111, 121) 30 x 14.
  Frame(110, 120, false);
  EXPECT_EQ(Pixel(110, 120), Colour(80, 80, 100));  // no outline: not over
  EXPECT_EQ(Pixel(115, 125), Colour(60, 60, 80));
  Frame(140, 134, false);  // just outside the drawn bottom-right corner
  EXPECT_EQ(Pixel(110, 120), Colour(128, 128, 128));
  Frame(140, 134, true);
  EXPECT_EQ(Pixel(110, 120), Colour(0, 0, 0));
  EXPECT_EQ(fired, 0);  // not on the press
  Frame(140, 134, false);
  EXPECT_EQ(fired, 1);
  // Released off the button: no fire.
  Frame(120, 125, true);
  Frame(111, 120, false);
  EXPECT_EQ(fired, 1);
}

TEST_F(StackTest, EachWindowDrawsInsideItsOwnClipAndClosedOnesAreSkipped) {
  static GuiWindow* victim;
  static const GuiWindowOps CloserOps = {[](GuiWindow* w) {
    CloseGuiWindow(victim);
    CloseGuiWindow(w);
    FillRect(0, 0, 640, 480, PackColor(255, 255, 255, ColorDepth));  // still finishes its Draw
  }};
  static GuiWindow Closer(&CloserOps);
  victim = &B;
  OpenGuiWindow(&A, 0, 0, 10, 10);
  OpenGuiWindow(&Closer, 20, 20, 10, 10);
  OpenGuiWindow(&B, 40, 40, 10, 10);
  DrawWindows();
  EXPECT_EQ(drawn, (std::vector<GuiWindow*>{&A}));
  EXPECT_EQ(Pixel(25, 25), Colour(255, 255, 255));
  EXPECT_EQ(Pixel(19, 25), 0u);
  EXPECT_EQ(Pixel(30, 25), 0u);
  EXPECT_EQ(ClipRect.right, 639);  // reset after the pass
  EXPECT_EQ(Stack(), (std::vector<GuiWindow*>{&A}));
}

TEST_F(StackTest, TheFocusWindowAloneSeesKeysAmongTheWindowsAboveTheRoot) {
  OpenGuiWindow(&A, 0, 0, 10, 10);
  OpenGuiWindow(&B, 20, 0, 10, 10);
  OpenGuiWindow(&C, 40, 0, 10, 10);
  SetFocusWindow(&B);
  EXPECT_EQ(KeyboardGrabbed, -1);
  OnKeyDown('K');
  DrawWindows();
  // A is below the focus window but above no root that would clear the flag,
  // and C is above it: B alone sees the key.
  EXPECT_EQ(sawKey, (std::vector<GuiWindow*>{&B}));
  EXPECT_EQ(KeyboardGrabbed, -1);
  SetFocusWindow(nullptr);
  EXPECT_EQ(KeyboardGrabbed, 0);
  EXPECT_EQ(FocusWindow, nullptr);
  sawKey.clear();
  DrawWindows();
  EXPECT_EQ(sawKey, (std::vector<GuiWindow*>{&A, &B, &C}));
}

TEST_F(StackTest, WithAFocusWindowTheWorldsStepsMissTheKeyAndItsDrawingSeesIt) {
  OpenGuiWindow(&RootWindow, 0, 0, 640, 480);
  OpenGuiWindow(&A, 0, 0, 10, 10);
  SetFocusWindow(&A);
  OnKeyDown(VK_LEFT);
  OnKeyDown('K');
  Frame(-5, -5, false);
  // The controls are sampled before the steps, while the keyboard is grabbed;
  // the focus window's Draw sees the key.
  EXPECT_EQ(PlayerControls[0].current, 0u);
  EXPECT_EQ(PlayerControls[0].pressed, 0u);
  EXPECT_EQ(drawn, (std::vector<GuiWindow*>{&A}));
  EXPECT_EQ(sawKey, (std::vector<GuiWindow*>{&A}));
  SetFocusWindow(nullptr);
}

TEST_F(StackTest, AModalWindowOwnsTheMouseWhereverThePointerIs) {
  OpenGuiWindow(&RootWindow, 0, 0, 640, 480);
  OpenGuiWindow(&A, 100, 100, 50, 50);
  ModalWindow = &A;
  Frame(5, 5, false);
  Frame(5, 5, true);
  EXPECT_EQ(clickedInDraw, 1);
  EXPECT_EQ(MouseWindow, &A);
  ModalWindow = nullptr;
}

}  // namespace
