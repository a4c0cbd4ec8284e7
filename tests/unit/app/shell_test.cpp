#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>

#include "app/app.h"
#include "base/timing.h"
#include "gui/builtin_windows.h"
#include "gui/gui.h"
#include "input/input.h"
#include "platform/clock.h"
#include "platform/sound.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "sfx/sound_bank.h"
#include "sfx/user_sounds.h"
#include "test_util.h"
#include "reset.h"

using namespace zorta;

namespace {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTests();
    WinSeamSetWindowProc(MainWindowProc);
    ApplyDefaults();
    CreateLogFile();
  }
  void TearDown() override {
    ClockSeamUseFake(false);
    ResetClock();
    SetRootWindowDraw(nullptr);
    ResetForTests();
  }
  // Takes every queued message; true when WM_QUIT was among them.
  static bool QuitPosted() {
    bool quit = false;
    while (WinPeekMessage()) {
      MSG m;
      if (!WinGetMessage(&m)) quit = true;
    }
    return quit;
  }
  static int CountCalls(const std::string& call) {
    const auto& calls = SeamCalls();
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
  }
};

TEST_F(ShellTest, DefaultsAreTheCompiledInSettings) {
  EXPECT_STREQ(WindowTitle, "Zorta");
  EXPECT_EQ(ScreenWidth, 640);
  EXPECT_EQ(ScreenHeight, 480);
  EXPECT_EQ(ColorDepth, 16);
  EXPECT_EQ(FullScreen, 0);
  EXPECT_EQ(WindowX, 100);
  EXPECT_EQ(WindowY, 100);
  EXPECT_EQ(EscapeQuits, -1);
}

TEST_F(ShellTest, SoundStartUpLogsOneLinePerOutcome) {
  SoundSeamSetVersion(3.70f);
  InitSound();
  EXPECT_EQ(SoundReady, 0);
  EXPECT_FALSE(SoundSeamOutputOpen());
  EXPECT_EQ(ReadWholeFile("log.txt"), "FMOD Error: Wrong DLL Version\n");

  CreateLogFile();
  SoundSeamSetVersion(3.71f);
  SeamFailCall("FSOUND_Init", 1);
  InitSound();
  EXPECT_EQ(SoundReady, 0);
  EXPECT_EQ(ReadWholeFile("log.txt"), "FSOUND Init: Failed\n");

  CreateLogFile();
  SeamRecordCalls(true);
  InitSound();
  EXPECT_EQ(SoundReady, -1);
  EXPECT_TRUE(SoundSeamOutputOpen());
  EXPECT_EQ(ReadWholeFile("log.txt"), "FSOUND Init: Ok\n");
  EXPECT_EQ(CountCalls("FSOUND_Init(44100,64,0)"), 1);
  FreeSoundBank();
  EXPECT_FALSE(SoundSeamOutputOpen());
}

TEST_F(ShellTest, SamplesStayUsableWithoutOutput) {
  SeamFailCall("FSOUND_Init", 1);
  InitSound();
  SampleHandle s = FSOUND_Sample_Alloc(FSOUND_UNMANAGED, 10, 0x130, 22050, 255, 128, 128);
  ASSERT_NE(s, nullptr);
  void *p1, *p2;
  unsigned l1, l2;
  ASSERT_TRUE(FSOUND_Sample_Lock(s, 0, 20, &p1, &p2, &l1, &l2));
  static_cast<int16_t*>(p1)[9] = -5;
  FSOUND_Sample_Unlock(s, p1, p2, l1, l2);
  EXPECT_EQ(FSOUND_Sample_GetData(s)[9], -5);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, s), -1);  // nothing plays
}

TEST_F(ShellTest, ActivationPausesAndResumesSoundAndClearsInput) {
  InitSound();
  OnKeyDown('A');
  OnLeftButtonDown();
  MainWindowProc(WM_ACTIVATEAPP, 0, 0);
  EXPECT_EQ(AppActive, 0);
  EXPECT_TRUE(SoundSeamPaused());
  EXPECT_EQ(KeyState['A'], 0);
  EXPECT_EQ(LeftButtonDown, 0);

  OnKeyDown('B');
  MainWindowProc(WM_ACTIVATEAPP, 1, 0);
  EXPECT_EQ(AppActive, 1);
  EXPECT_FALSE(SoundSeamPaused());
  EXPECT_EQ(KeyState['B'], 0);

  MainWindowProc(WM_KILLFOCUS, 0, 0);
  EXPECT_TRUE(SoundSeamPaused());
  OnLeftButtonUp();
}

TEST_F(ShellTest, AltF4AndEscapeDoNotClose) {
  EscapeQuits = 0;
  EXPECT_EQ(MainWindowProc(WM_SYSKEYDOWN, VK_F1 + 3, 0), 0);
  EXPECT_EQ(MainWindowProc(WM_SYSKEYUP, VK_F1 + 3, 0), 0);
  EXPECT_EQ(MainWindowProc(WM_KEYDOWN, VK_ESCAPE, 0), 0);
  EXPECT_EQ(KeyState[VK_ESCAPE], 1);
  EXPECT_FALSE(QuitPosted());
  EXPECT_EQ(ShutdownDone, 0);
}

TEST_F(ShellTest, EscapeQuitsOnlyBeforeStartUpClearsIt) {
  EXPECT_EQ(EscapeQuits, -1);
  MainWindowProc(WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(ShutdownDone, -1);
  EXPECT_TRUE(QuitPosted());
}

TEST_F(ShellTest, DestroyRunsShutdownOnce) {
  InitSound();
  SeamRecordCalls(true);
  MainWindowProc(WM_DESTROY, 0, 0);
  MainWindowProc(WM_DESTROY, 0, 0);
  EXPECT_EQ(CountCalls("FSOUND_Close()"), 1);
  EXPECT_TRUE(QuitPosted());
  for (int i = 0; i < SoundBankSlots; i++) ASSERT_EQ(SoundBank[i], nullptr);
}

TEST_F(ShellTest, AccessibilityHotKeysAreSwitchedOffAndRestored) {
  STICKYKEYS sticky;
  FILTERKEYS filter;
  WinSeamGetAccessibility(&sticky, &filter);
  const STICKYKEYS originalSticky = sticky;
  const FILTERKEYS originalFilter = filter;
  ASSERT_NE(sticky.dwFlags & SKF_HOTKEYACTIVE, 0u);

  DisableAccessibilityKeys();  // nothing saved yet: nothing changes
  WinSeamGetAccessibility(&sticky, &filter);
  EXPECT_EQ(sticky.dwFlags, originalSticky.dwFlags);

  SaveAccessibilityKeys();
  DisableAccessibilityKeys();
  WinSeamGetAccessibility(&sticky, &filter);
  EXPECT_EQ(sticky.dwFlags, originalSticky.dwFlags & ~SKF_HOTKEYACTIVE);
  EXPECT_EQ(filter.dwFlags, originalFilter.dwFlags & ~FKF_HOTKEYACTIVE);
  EXPECT_EQ(filter.iDelayMSec, originalFilter.iDelayMSec);

  RestoreAccessibilityKeys();
  WinSeamGetAccessibility(&sticky, &filter);
  EXPECT_EQ(sticky.dwFlags, originalSticky.dwFlags);
  EXPECT_EQ(filter.dwFlags, originalFilter.dwFlags);
}

int framesRun = 0;
int64_t frameWorkMicros = 0;
void FakeFrameWork() {
  framesRun++;
  ClockSeamAdvanceMicros(frameWorkMicros);
}
// Frame work of a given length on the fake clock: what the root window draws.
void UseFakeFrameWork() {
  SetRootWindowDraw(FakeFrameWork);
  OpenGuiWindow(&RootWindow, 0, 0, 640, 480);
}

TEST_F(ShellTest, FramesArePacedToFourMilliseconds) {
  ClockSeamUseFake(true);
  ResetClock();
  GetTicks();
  AppActive = 1;
  UseFakeFrameWork();
  int code = 0;
  const struct {
    int64_t work;
    uint32_t sleep;
  } cases[] = {{1000, 3}, {0, 4}, {3999, 1}, {4000, 0}, {9000, 0}};
  for (const auto& c : cases) {
    frameWorkMicros = c.work;
    int before = ClockSeamSleepCount();
    ASSERT_TRUE(RunLoopTurn(&code));
    if (c.sleep == 0) {
      EXPECT_EQ(ClockSeamSleepCount(), before) << "work " << c.work;
    } else {
      EXPECT_EQ(ClockSeamSleepCount(), before + 1) << "work " << c.work;
      EXPECT_EQ(ClockSeamLastSleepMs(), c.sleep) << "work " << c.work;
    }
  }
}

TEST_F(ShellTest, NoFrameRunsWhileInactive) {
  ClockSeamUseFake(true);
  framesRun = 0;
  frameWorkMicros = 0;
  UseFakeFrameWork();
  AppActive = 0;
  // The inactive turn waits for the next message instead of running a frame.
  WinSeamPostOnWait(WM_PAINT, 0, 0);
  int code = 0;
  EXPECT_TRUE(RunLoopTurn(&code));
  EXPECT_EQ(WinSeamWaitCount(), 1);
  EXPECT_EQ(framesRun, 0);
  EXPECT_EQ(ClockSeamSleepCount(), 0);
  WinPostMessage(WM_ACTIVATEAPP, 1, 0);
  EXPECT_TRUE(RunLoopTurn(&code));
  EXPECT_EQ(framesRun, 1);
}

TEST_F(ShellTest, QuitMessageEndsTheLoopWithItsCode) {
  WinPostQuitMessage(7);
  int code = 0;
  EXPECT_FALSE(RunLoopTurn(&code));
  EXPECT_EQ(code, 7);
}

TEST_F(ShellTest, FatalErrorReleasesEverythingAndSkipsTheRestOfTheFrame) {
  InitSound();
  AppActive = 1;
  framesRun = 0;
  frameWorkMicros = 0;
  UseFakeFrameWork();
  snprintf(ErrorText, sizeof ErrorText, "%s", "LoadBMP() - Unable to open file");
  testing::internal::CaptureStderr();
  FatalError();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "Error: LoadBMP() - Unable to open file\n");
  EXPECT_EQ(ShutdownDone, -1);
  EXPECT_FALSE(SoundSeamOutputOpen());
  EXPECT_EQ(WinSeamMessageBoxCount(), 1);
  EXPECT_STREQ(WinSeamLastMessageBox(), "Error: LoadBMP() - Unable to open file");
  int code = -1;
  EXPECT_FALSE(RunLoopTurn(&code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(framesRun, 0);
}

TEST_F(ShellTest, KeyStatesFollowMessagesAndAgeEachTurn) {
  MainWindowProc(WM_KEYDOWN, 'Q', 0);
  EXPECT_EQ(KeyPressed('Q'), -1);
  EXPECT_EQ(AnyKeyPressed(), -1);
  UpdateInput();
  EXPECT_EQ(KeyPressed('Q'), 0);
  EXPECT_EQ(KeyHeld('Q'), -1);
  EXPECT_EQ(AnyKeyPressed(), 0);
  MainWindowProc(WM_KEYDOWN, 'Q', 1 << 30);  // auto-repeat presses again
  EXPECT_EQ(KeyPressed('Q'), -1);
  MainWindowProc(WM_KEYUP, 'Q', 0);
  EXPECT_EQ(KeyState['Q'], 3);
  EXPECT_EQ(KeyHeld('Q'), 0);
  UpdateInput();
  EXPECT_EQ(KeyState['Q'], 0);
  MainWindowProc(WM_KEYUP, 'W', 0);  // up without down stays up
  EXPECT_EQ(KeyState['W'], 0);
  KeyboardGrabbed = -1;
  MainWindowProc(WM_KEYDOWN, 'E', 0);
  EXPECT_EQ(KeyPressed('E'), 0);
  EXPECT_EQ(KeyHeld('E'), 0);
  EXPECT_EQ(AnyKeyPressed(), 0);
  EXPECT_EQ(KeyState['E'], 1);
  KeyboardGrabbed = 0;
}

TEST_F(ShellTest, MouseCaptureLastsUntilBothButtonsAreUp) {
  MainWindowProc(WM_LBUTTONDOWN, 0, 0);
  MainWindowProc(WM_RBUTTONDOWN, 0, 0);
  EXPECT_EQ(CaptureCount, 2);
  MainWindowProc(WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(WinHasCapture(), -1);
  EXPECT_EQ(LeftButtonDown, 0);
  EXPECT_EQ(RightButtonDown, -1);
  MainWindowProc(WM_RBUTTONUP, 0, 0);
  EXPECT_EQ(WinHasCapture(), 0);
  EXPECT_EQ(CaptureCount, 0);
  MainWindowProc(WM_LBUTTONUP, 0, 0);  // release without a press
  EXPECT_EQ(CaptureCount, 0);
  MainWindowProc(WM_LBUTTONDBLCLK, 0, 0);
  EXPECT_EQ(LeftButtonDown, -1);
  EXPECT_EQ(CaptureCount, 1);
  MainWindowProc(WM_LBUTTONUP, 0, 0);
}

TEST_F(ShellTest, PointerIsReadInClientPixelsAfterEachTurn) {
  WinSeamSetCursorPos(-20, 700);
  UpdateInput();
  EXPECT_EQ(PointerX, -20);
  EXPECT_EQ(PointerY, 700);
}

}  // namespace

TEST_F(ShellTest, AUserSoundErrorIsLoggedAndShownInTheMessageWindow) {
  ShowUserSoundError("Sounds/120-x.txt", 4, 1, "the run [0+5000] lies outside the sound's 4410 frames");
  EXPECT_EQ(ReadWholeFile("log.txt"),
            "Sound recipe error: Sounds/120-x.txt, line 4, column 1: the run [0+5000] lies outside the sound's 4410 "
            "frames\n");
  ASSERT_TRUE(MessageWindow.open);
  EXPECT_STREQ(MessageWindow.text,
               "Sounds/120-x.txt, line 4, column 1:#the run [0+5000] lies outside the sound's 4410 frames#"
               "The slot keeps its last good sound. Any key or click closes this.");
  EXPECT_EQ(MessageWindow.h, 16 + 14 * 3);
  EXPECT_EQ(FocusWindow, &MessageWindow);
  // A failure of the whole file has no place; a long message breaks at spaces.
  std::string message;
  for (int i = 0; i < 30; i++) message += "word" + std::to_string(i) + " ";
  message += std::string(100, 'x');
  ShowUserSoundError("Sounds/y.txt", 0, 0, message.c_str());
  std::string text = MessageWindow.text;
  ASSERT_EQ(text.rfind("Sounds/y.txt:#word0 word1 ", 0), 0u) << text;
  size_t lines = 0;
  std::string rebuilt;
  for (size_t at = 0, end; at <= text.size(); at = end + 1) {
    end = text.find('#', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    EXPECT_LE(line.size(), 72u) << line;
    if (lines > 0 && end < text.size()) rebuilt += (rebuilt.empty() ? "" : " ") + line;
    lines++;
  }
  EXPECT_EQ(MessageWindow.h, static_cast<int32_t>(16 + 14 * lines));
  // Every character of the message is shown, in order (a word longer than a line is cut).
  auto squeeze = [](std::string t) {
    t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
    return t;
  };
  EXPECT_EQ(squeeze(rebuilt), squeeze(message));
}

TEST_F(ShellTest, AVeryLongUserSoundErrorStaysReadableAndItsLogLineEnds) {
  std::string message;
  for (int i = 0; i < 1000; i++) message += "word ";  // 5000 characters
  ShowUserSoundError("Sounds/\xC3\xA9t\xC3\xA9.txt", 0, 0, message.c_str());
  WriteLog("next\n");
  std::string log = ReadWholeFile("log.txt");
  size_t end = log.find('\n');
  ASSERT_NE(end, std::string::npos);
  EXPECT_LE(end + 1, 600u);
  EXPECT_EQ(log.substr(end + 1), "next\n");
  ASSERT_TRUE(MessageWindow.open);
  std::string text = MessageWindow.text;
  EXPECT_EQ(text.rfind("Sounds/\xC3\xA9t\xC3\xA9.txt:#word word", 0), 0u) << text;
  const std::string last = "The slot keeps its last good sound. Any key or click closes this.";
  ASSERT_GT(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  EXPECT_LE(MessageWindow.y + MessageWindow.h, ScreenHeight);
  EXPECT_EQ(MessageWindow.h, static_cast<int32_t>(16 + 14 * (1 + std::count(text.begin(), text.end(), '#'))));
}

TEST_F(ShellTest, SeveralBrokenUserSoundsAtStartUpShowInOneWindow) {
  ASSERT_TRUE(std::filesystem::create_directory("Sounds"));
  WriteWholeFile("Sounds/a.txt", "frames 300\nvolume 100\nsine q\n");
  WriteWholeFile("Sounds/120-b.txt", "frames 300\nvolume 100\n\nsine [0+400] 0.1\n");
  ConnectShell();
  LoadUserSoundsAtStart();
  WaitForUserSounds();
  PollUserSoundsInFrame();
  ForgetUserSounds();
  std::filesystem::remove_all("Sounds");
  ASSERT_TRUE(MessageWindow.open);
  std::string text = MessageWindow.text;
  EXPECT_EQ(text.rfind("Sounds/120-b.txt, line 4, column 1:#the run [0+400] lies outside the sound's 300 frames#"
                       "Sounds/a.txt, line 3, column 6:#",
                       0),
            0u)
      << text;
  const std::string last = "The slots keep their last good sounds. Any key or click closes this.";
  EXPECT_EQ(text.substr(text.size() - std::min(text.size(), last.size())), last);
  // Later, while running, an error shows on its own.
  ShowUserSoundError("Sounds/c.txt", 0, 0, "every slot is taken");
  EXPECT_STREQ(MessageWindow.text,
               "Sounds/c.txt:#every slot is taken#The slot keeps its last good sound. Any key or click closes this.");
}

// A start-up file whose build takes long holds back neither the first frames
// nor the bank's slots: start-up hands it over and returns.
namespace {
struct SlowBuild {
  std::mutex m;
  std::condition_variable cv;
  bool started = false, open = false, gaveUp = false;
} Slow;
void HoldStartUpBuild(const char*) {
  std::unique_lock<std::mutex> lock(Slow.m);
  Slow.started = true;
  Slow.cv.notify_all();
  // Start-up that waited for the build would wait here: give up after a while.
  if (!Slow.cv.wait_for(lock, std::chrono::seconds(3), [] { return Slow.open; })) Slow.gaveUp = true;
}
}  // namespace

TEST_F(ShellTest, StartUpDoesNotWaitForUsersSounds) {
  ASSERT_TRUE(std::filesystem::create_directory("Sounds"));
  WriteWholeFile("Sounds/120-slow.txt", "frames 300\nvolume 100\nsine 0.02 a(0.25)\n");
  ConnectShell();
  FillSoundBank();
  SetUserSoundBuildHook(HoldStartUpBuild);
  LoadUserSoundsAtStart();
  bool heldAtReturn;
  {
    std::unique_lock<std::mutex> lock(Slow.m);
    Slow.cv.wait(lock, [] { return Slow.started; });
    heldAtReturn = !Slow.gaveUp;
  }
  EXPECT_TRUE(heldAtReturn) << "start-up returned only once the build gave up waiting";
  EXPECT_EQ(UserSoundsBuilding(), -1);
  EXPECT_EQ(SoundBank[120], nullptr);
  {
    std::lock_guard<std::mutex> lock(Slow.m);
    Slow.open = true;
  }
  Slow.cv.notify_all();
  WaitForUserSounds();
  EXPECT_EQ(UserSoundsBuilding(), 0);
  EXPECT_NE(SoundBank[120], nullptr);
  SetUserSoundBuildHook(nullptr);
  ForgetUserSounds();
  FreeSoundBank();
  std::filesystem::remove_all("Sounds");
}
