// The whole program, headless: start-up, a few frames, close.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "app/timing.h"
#include "display/display.h"
#include "world/world.h"
#include "platform/sound.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "test_util.h"
#include "reset.h"

namespace {

int frames = 0;
void CloseAfterFiveFrames() {
  if (++frames == 5) WinPostMessage(WM_CLOSE, 0, 0);
}

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTests();
    ResetClock();
  }
  void TearDown() override { SetUp(); }
};

TEST_F(RunTest, HeadlessRunLogsThisRunOnlyAndExitsCleanly) {
  WriteWholeFile("log.txt", "a line from the previous run\n");
  frames = 0;
  DisplaySeamOnPresent(CloseAfterFiveFrames);
  int rc = WinMain(nullptr, nullptr, "", 1);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(frames, 5);
  EXPECT_EQ(ShutdownDone, -1);
  EXPECT_FALSE(SoundSeamOutputOpen());
  EXPECT_EQ(WinWindowExists(), 0);
  std::string log = ReadWholeFile("log.txt");
  EXPECT_EQ(log.find("previous run"), std::string::npos);
  EXPECT_NE(log.find("FSOUND Init: Ok\n"), std::string::npos);
  EXPECT_EQ(EscapeQuits, 0);
}

TEST_F(RunTest, AWindowThatCannotBeCreatedIsReportedAndFails) {
  SeamFailCall("CreateWindow", 1);
  testing::internal::CaptureStderr();
  int rc = WinMain(nullptr, nullptr, "", 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(rc, 0);
  EXPECT_EQ(err, "zorta: cannot create the window: window creation refused\n");
}

}  // namespace

namespace {

int setUpCalls = 0;
int windowAtSetUp = -1;
char titleAtSetUp[64];
void ProgramSetUp() {
  setUpCalls++;
  windowAtSetUp = WinWindowExists();
  snprintf(titleAtSetUp, sizeof titleAtSetUp, "%s", WindowTitle);
  snprintf(WindowTitle, sizeof WindowTitle, "%s", "Another program");
}
uint32_t cornerPixel = 1;
void ReadCornerThenClose() {
  if (++frames == 3) {
    cornerPixel = DisplaySeamReadPixel(BackBuffer, 5, 5);
    WinPostMessage(WM_CLOSE, 0, 0);
  }
}

TEST_F(RunTest, RunShellSetsUpTheProgramBeforeItsWindowAndDrawsNoDemoUnlessWiredTo) {
  ConnectShell();
  SetWorldFrameLastDrawing(nullptr, 0);
  frames = 0;
  setUpCalls = 0;
  DisplaySeamOnPresent(ReadCornerThenClose);
  int rc = RunShell(nullptr, 1, ProgramSetUp);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(setUpCalls, 1);
  EXPECT_EQ(windowAtSetUp, 0);
  EXPECT_STREQ(titleAtSetUp, "Zorta");  // the defaults come first
  EXPECT_EQ(frames, 3);
  // Nothing drew the demo's title bar: the world alone, with no map, is black.
  EXPECT_EQ(cornerPixel, 0u);
}

}  // namespace
