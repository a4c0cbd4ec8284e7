// Mouse buttons as the window messages leave them and as a frame samples them.
#include <gtest/gtest.h>

#include "input/input.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "reset.h"

using namespace zorta;

namespace {

class ButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTests();
    CaptureCount = 0;
  }
  void TearDown() override {
    ClearInput();
    CaptureCount = 0;
  }
};

TEST_F(ButtonsTest, APressReleasedInTheSameTurnReadsDownForExactlyOneFrame) {
  OnLeftButtonDown();
  OnLeftButtonUp();
  EXPECT_EQ(LeftButtonDown, 0);  // the raw state follows the messages
  EXPECT_EQ(CaptureCount, 0);
  EXPECT_EQ(WinHasCapture(), 0);
  EXPECT_EQ(SampleLeftButton(), -1);
  UpdateInput();
  EXPECT_EQ(SampleLeftButton(), 0);

  OnRightButtonDown();
  OnRightButtonUp();
  EXPECT_EQ(RightButtonDown, 0);
  EXPECT_EQ(SampleRightButton(), -1);
  EXPECT_EQ(SampleLeftButton(), 0);
  UpdateInput();
  EXPECT_EQ(SampleRightButton(), 0);
}

TEST_F(ButtonsTest, APressAFrameHasSeenReadsUpAsSoonAsItIsReleased) {
  OnLeftButtonDown();
  EXPECT_EQ(SampleLeftButton(), -1);
  UpdateInput();
  EXPECT_EQ(SampleLeftButton(), -1);  // held
  OnLeftButtonUp();
  EXPECT_EQ(SampleLeftButton(), 0);
  // A release, then a new press and release, all before the next frame: the
  // new press is the one the frame sees.
  OnLeftButtonDown();
  UpdateInput();
  OnLeftButtonUp();
  OnLeftButtonDown();  // the second click of a double click
  OnLeftButtonUp();
  EXPECT_EQ(SampleLeftButton(), -1);
  UpdateInput();
  EXPECT_EQ(SampleLeftButton(), 0);
}

TEST_F(ButtonsTest, ClearInputForgetsAPressNoFrameHasSeen) {
  OnLeftButtonDown();
  OnRightButtonDown();
  OnLeftButtonUp();
  ClearInput();  // the window was deactivated before the frame
  EXPECT_EQ(SampleLeftButton(), 0);
  EXPECT_EQ(SampleRightButton(), 0);
  OnRightButtonUp();
  EXPECT_EQ(CaptureCount, 0);
}

}  // namespace
