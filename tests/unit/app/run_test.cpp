// The whole program, headless: start-up, a few frames, close.
#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "base/timing.h"
#include "display/display.h"
#include "world/world.h"
#include "platform/sound.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "sfx/sound_bank.h"
#include "test_util.h"
#include "reset.h"

using namespace zorta;

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

namespace {

// Slot 5's button, and a place on the title bar where a press plays nothing.
const int SlotFiveX = 2 + 12, SlotFiveY = 20 + 5 * 18 + 5;
const int TitleX = 10, TitleY = 5;
std::string slotFivePlay;
void MoveAndClickInOneTurnThreeTimes() {
  ++frames;
  if (frames % 4 == 2) WinSeamMouseMove(TitleX, TitleY);
  if (frames % 4 == 0 && frames <= 12) {
    // The pointer jumps onto the button and clicks before the next frame.
    char call[64];
    snprintf(call, sizeof call, "FSOUND_PlaySound(-1,%p)", static_cast<void*>(SoundBank[5]));
    slotFivePlay = call;
    WinSeamMouseMove(SlotFiveX, SlotFiveY);
    WinSeamMouseButton(0, -1, SlotFiveX, SlotFiveY);
    WinSeamMouseButton(0, 0, SlotFiveX, SlotFiveY);
  }
  if (frames == 15) WinPostMessage(WM_CLOSE, 0, 0);
}

TEST_F(RunTest, APressJudgedWhereItHappenedThoughThePointerMovedThereInTheSameTurn) {
  frames = 0;
  SeamRecordCalls(true);
  DisplaySeamOnPresent(MoveAndClickInOneTurnThreeTimes);
  ASSERT_EQ(WinMain(nullptr, nullptr, "", 1), 0);
  int plays = 0, others = 0;
  for (const std::string& call : SeamCalls()) {
    if (call == slotFivePlay) plays++;
    else if (call.rfind("FSOUND_PlaySound(", 0) == 0) others++;
  }
  EXPECT_EQ(plays, 3);
  EXPECT_EQ(others, 0);
}

}  // namespace
