// Key ageing seen through the player controls, the joystick's dead zone and
// the two players' control bits.
#include <gtest/gtest.h>

#include "input/input.h"
#include "platform/joystick.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "reset.h"

using namespace zorta;

namespace {

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTests();
    for (PlayerControl& p : PlayerControls) p = PlayerControl{};
    ApplyDefaultBindings();
    JoystickSeamReset();
    JoystickSeamUnplug(0);
    JoystickSeamUnplug(1);
  }
  void TearDown() override {
    JoystickSeamReset();
    KeyboardGrabbed = 0;
    for (PlayerControl& p : PlayerControls) p = PlayerControl{};
  }
  // One frame: the controls are sampled, then the loop ages the keys.
  static void Frame() {
    UpdatePlayerControls();
    UpdateInput();
  }
};

TEST_F(ControlsTest, AutoRepeatPressesTheKeyAgainButAddsNoNewControlPress) {
  OnKeyDown(VK_LEFT);
  EXPECT_EQ(KeyPressed(VK_LEFT), -1);
  UpdatePlayerControls();
  EXPECT_EQ(PlayerControls[0].current, ControlLeft);
  EXPECT_EQ(PlayerControls[0].pressed, ControlLeft);
  UpdateInput();
  ClearPressedControls();
  for (int frame = 0; frame < 4; frame++) {
    if (frame == 2) OnKeyDown(VK_LEFT);  // the keyboard's auto-repeat
    EXPECT_EQ(KeyPressed(VK_LEFT), frame == 2 ? -1 : 0);
    EXPECT_EQ(KeyHeld(VK_LEFT), -1);
    Frame();
    EXPECT_EQ(PlayerControls[0].current, ControlLeft) << frame;
    EXPECT_EQ(PlayerControls[0].pressed, 0u) << frame;
  }
  OnKeyUp(VK_LEFT);
  Frame();
  EXPECT_EQ(PlayerControls[0].current, 0u);
}

TEST_F(ControlsTest, ATapBetweenFramesIsNeitherPressedNorHeld) {
  OnKeyDown(VK_SPACE);
  OnKeyUp(VK_SPACE);
  EXPECT_EQ(KeyState[VK_SPACE], 3);
  EXPECT_EQ(KeyPressed(VK_SPACE), 0);
  EXPECT_EQ(KeyHeld(VK_SPACE), 0);
  EXPECT_EQ(AnyKeyPressed(), -1);
  Frame();
  EXPECT_EQ(PlayerControls[0].current, 0u);
  EXPECT_EQ(PlayerControls[0].pressed, 0u);
  EXPECT_EQ(KeyState[VK_SPACE], 0);
}

TEST_F(ControlsTest, PressesInTwoFramesWithoutAStepAccumulate) {
  OnKeyDown(VK_UP);
  Frame();
  OnKeyUp(VK_UP);
  OnKeyDown(VK_CONTROL);
  Frame();
  EXPECT_EQ(PlayerControls[0].pressed, ControlUp | ControlButton2);
  EXPECT_EQ(PlayerControls[0].current, ControlButton2);
  ClearPressedControls();
  EXPECT_EQ(PlayerControls[0].pressed, 0u);
}

TEST_F(ControlsTest, AGrabbedKeyboardShowsNoControls) {
  OnKeyDown(VK_RIGHT);
  KeyboardGrabbed = -1;
  Frame();
  EXPECT_EQ(PlayerControls[0].current, 0u);
  EXPECT_EQ(PlayerControls[0].pressed, 0u);
}

TEST_F(ControlsTest, AGrabbedKeyboardHidesTheSticksToo) {
  SetUseJoystick(0, -1);
  SetUseJoystick(1, -1);
  JoystickSeamSet(0, 0, 32767, -1, 0, 0);
  JoystickSeamSet(1, 32767, 65535, 0, 0, 0);
  KeyboardGrabbed = -1;
  Frame();
  for (const PlayerControl& p : PlayerControls) {
    EXPECT_EQ(p.current, 0u);
    EXPECT_EQ(p.pressed, 0u);
  }
  KeyboardGrabbed = 0;
  Frame();
  EXPECT_EQ(PlayerControls[0].current, ControlLeft | ControlButton1);
  EXPECT_EQ(PlayerControls[1].current, ControlDown);
}

TEST_F(ControlsTest, PlayerTwoIsUnboundUntilGameCodeBindsAKey) {
  for (int k = 1; k < 256; k++) OnKeyDown(static_cast<WPARAM>(k));
  UpdatePlayerControls();
  EXPECT_EQ(PlayerControls[1].current, 0u);
  EXPECT_EQ(PlayerControls[0].current, 127u);
  EXPECT_EQ(BindControl(1, ControlButton3, 'Q'), -1);
  EXPECT_EQ(BindControl(1, 3, 'Q'), 0);   // not one control bit
  EXPECT_EQ(BindControl(2, ControlLeft, 'Q'), 0);
  UpdatePlayerControls();
  EXPECT_EQ(PlayerControls[1].current, ControlButton3);
}

TEST_F(ControlsTest, JoystickDeadZoneEndsAtFourteenThousandAndFiftyThousand) {
  JoystickSeamSet(0, 14000, 50000, 0, 0, 0);
  EXPECT_EQ(ReadJoystick(0), 0);
  JoystickSeamSet(0, 13999, 50001, 0, 0, 0);
  EXPECT_EQ(ReadJoystick(0), ControlLeft | ControlDown);
  JoystickSeamSet(0, 50001, 13999, -1, 0, -1);
  EXPECT_EQ(ReadJoystick(0), ControlRight | ControlUp | ControlButton1 | ControlButton3);
  JoystickSeamSet(1, 0, 65535, 0, -1, 0);
  EXPECT_EQ(ReadJoystick(7), ControlLeft | ControlDown | ControlButton2);
  JoystickSeamUnplug(1);
  EXPECT_EQ(ReadJoystick(1), 0);
}

TEST_F(ControlsTest, NoJoystickAttachedReadsNothing) {
  // The real devices: this machine has none, and SDL must say so quietly.
  JoystickSeamReset();
  JOYINFO info;
  if (joyGetPos(JOYSTICKID1, &info) == JOYERR_NOERROR) GTEST_SKIP() << "a joystick is attached";
  EXPECT_EQ(ReadJoystick(0), 0);
  EXPECT_EQ(joyGetPos(5, &info), JOYERR_PARMS);
}

TEST_F(ControlsTest, HeldStickAddsItsPressOnlyOnce) {
  SetUseJoystick(0, -1);
  JoystickSeamSet(0, 32767, 60000, 0, 0, 0);
  for (int frame = 0; frame < 3; frame++) {
    Frame();
    EXPECT_EQ(PlayerControls[0].current, ControlDown);
    EXPECT_EQ(PlayerControls[0].pressed, frame == 0 ? ControlDown : 0u) << frame;
    ClearPressedControls();
  }
}

TEST_F(ControlsTest, PlayerTwoReadsTheSecondStickOnlyWhenBothUseSticks) {
  JoystickSeamSet(0, 0, 32767, 0, 0, 0);      // left on the first
  JoystickSeamSet(1, 65535, 32767, 0, 0, 0);  // right on the second
  SetUseJoystick(1, -1);
  UpdatePlayerControls();
  EXPECT_EQ(PlayerControls[1].current, ControlLeft);
  SetUseJoystick(0, -1);
  UpdatePlayerControls();
  EXPECT_EQ(PlayerControls[0].current, ControlLeft);
  EXPECT_EQ(PlayerControls[1].current, ControlRight);
}

TEST_F(ControlsTest, ClearInputForgetsCurrentAndPressedButNotPrevious) {
  OnKeyDown(VK_DOWN);
  UpdatePlayerControls();
  ClearInput();
  EXPECT_EQ(PlayerControls[0].current, 0u);
  EXPECT_EQ(PlayerControls[0].pressed, 0u);
  EXPECT_EQ(PlayerControls[0].previous, ControlDown);
}

}  // namespace

namespace {

TEST_F(ControlsTest, JoystickPresentAnswersForEachStickAlone) {
  EXPECT_EQ(JoystickPresent(0), 0);
  EXPECT_EQ(JoystickPresent(1), 0);
  // A centred stick with no button down reads as no bits, yet is there.
  JoystickSeamSet(1, 32767, 32767, 0, 0, 0);
  EXPECT_EQ(ReadJoystick(1), 0);
  EXPECT_EQ(JoystickPresent(1), -1);
  EXPECT_EQ(JoystickPresent(0), 0);
  EXPECT_EQ(JoystickPresent(7), -1);  // any value but 0 is the second stick
  JoystickSeamUnplug(1);
  EXPECT_EQ(JoystickPresent(1), 0);
}

}  // namespace
