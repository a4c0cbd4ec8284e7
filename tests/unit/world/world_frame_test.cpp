// The world frame inside the GUI pass: a click and a key press are seen by
// the first logic step only and again by the drawing after the steps.
#include "gui/gui.h"
#include "input/input.h"
#include "world_test_support.h"

using namespace zorta;

namespace {

class WorldFrameTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    ResetGuiState();
    SetRootWindowDraw(WorldFrame);
    ApplyDefaultBindings();
    ClearInput();
    UpdatePlayerControls();  // a sample with nothing held: no control was down before
    ClearPlayerControls();
  }
  void TearDown() override {
    ResetGuiState();
    ClearInput();
    WorldTest::TearDown();
  }
};

struct Seen {
  int clicked, key, pressed;
};
std::vector<Seen> StepsSeen;
int DrawSawClick = 0;
int DrawSawKey = 0;

void Watcher(LiveObject*, int32_t message) {
  if (message == ObjectStep)
    StepsSeen.push_back({IsClicked(&RootWindow), KeyPressed(VK_LEFT), static_cast<int>(PlayerControls[0].pressed)});
  if (message == ObjectDrawn) {
    DrawSawClick = IsClicked(&RootWindow);
    DrawSawKey = KeyPressed(VK_LEFT);
  }
}

TEST_F(WorldFrameTest, OnlyTheFirstStepSeesAClickAndTheDrawingSeesItAgain) {
  StartDisplay();
  ObjectType* t = RegisterObjectType("W", Watcher, "", 0, 0, 0, 1, 0, 0);
  OpenGuiWindow(&RootWindow, 0, 0, ScreenWidth, ScreenHeight);
  StartWorld();
  ASSERT_NE(SpawnObject(t, 0, 0, 0, nullptr), nullptr);
  PointerX = 630;
  PointerY = 3;
  StepsDue = 0;
  DrawWindows();  // nothing down: the root window gets the mouse
  ASSERT_EQ(MouseWindow, &RootWindow);
  LeftButtonDown = -1;
  OnKeyDown(VK_LEFT);
  StepsDue = 3;
  StepsSeen.clear();
  DrawWindows();
  ASSERT_EQ(StepsSeen.size(), 3u);
  EXPECT_NE(StepsSeen[0].clicked, 0);
  EXPECT_NE(StepsSeen[0].key, 0);
  EXPECT_EQ(StepsSeen[0].pressed, 1);
  for (int i = 1; i < 3; i++) {
    EXPECT_EQ(StepsSeen[i].clicked, 0);
    EXPECT_EQ(StepsSeen[i].key, 0);
    EXPECT_EQ(StepsSeen[i].pressed, 0);
  }
  EXPECT_NE(DrawSawClick, 0);
  EXPECT_NE(DrawSawKey, 0);
  EXPECT_EQ(KeyboardGrabbed, 0);
  // With the world stopped the steps still consume the click and presses.
  StopWorld();
  ClearObjects();
  EXPECT_EQ(WorldRunning, 0);
}

TEST_F(WorldFrameTest, PressesWaitForTheNextStep) {
  StartDisplay();
  OpenGuiWindow(&RootWindow, 0, 0, ScreenWidth, ScreenHeight);
  StartWorld();
  StepsDue = 0;
  OnKeyDown(VK_LEFT);
  DrawWindows();
  UpdateInput();
  EXPECT_EQ(PlayerControls[0].pressed & 1u, 1u);  // no step yet: kept
  StepsDue = 1;
  DrawWindows();
  EXPECT_EQ(PlayerControls[0].pressed, 0u);
}

}  // namespace
