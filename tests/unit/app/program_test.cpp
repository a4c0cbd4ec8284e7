// A game's start of the framework: ParseProgramArguments and RunProgram with
// its options (data folder, first map, bank, frame limit, set-up and frame
// calls), headless.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include <zorta/zorta.h>

#include "app/app.h"
#include "platform/sound.h"
#include "platform/testing.h"
#include "reset.h"
#include "sfx/sound_bank.h"
#include "test_util.h"

using namespace zorta;

namespace {

int setUps = 0, frameCalls = 0, windowAtSetUp = 0, quitAtFrame = 0;
std::string mapAtSetUp;
int playsAtSetUp = 0;

void RecordSetUp() {
  setUps++;
  windowAtSetUp = WinWindowExists();
  NamedItem* current = CurrentItem(&MapList);
  mapAtSetUp = current != nullptr ? current->name : "(none)";
  // Only a filled slot in range plays.
  SeamRecordCalls(true);
  PlayBankSound(5);
  PlayBankSound(300);
  PlayBankSound(-1);
  PlayBankSound(SoundBankSlots);
  for (const std::string& call : SeamCalls())
    if (call.rfind("FSOUND_PlaySound(", 0) == 0) playsAtSetUp++;
  SeamRecordCalls(false);
}

void LoadMissingSprite() { LoadSprite("missing.png", 24, 24); }

void CountFrame() {
  if (++frameCalls == quitAtFrame) QuitProgram();
}

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTests();
    setUps = frameCalls = windowAtSetUp = quitAtFrame = playsAtSetUp = 0;
    mapAtSetUp.clear();
    mkdir("data", 0755);
    mkdir("data/Maps", 0755);
    // Not map files: each loads as an empty map.
    WriteWholeFile("data/Maps/b.map", "b");
    WriteWholeFile("data/Maps/a.map", "a");
  }
  void TearDown() override {
    // RunProgram works in its data folder; the next test starts where this one did.
    ASSERT_EQ(chdir(getenv("ZORTA_TEST_DIR")), 0);
    ResetForTests();
  }
  int Run(const char* firstMap, bool bank, uint32_t frames) {
    ProgramOptions options;
    options.dataFolder = "data";
    options.firstMap = firstMap;
    options.headless = true;
    options.soundBank = bank;
    options.frames = frames;
    options.setUp = RecordSetUp;
    options.frame = CountFrame;
    return RunProgram(options);
  }
};

TEST_F(Program, RunsInItsDataFolderOnTheFirstMapForItsFrames) {
  ASSERT_EQ(Run(nullptr, true, 3), 0);
  EXPECT_EQ(setUps, 1);
  EXPECT_EQ(windowAtSetUp, -1);  // the display is up by then
  EXPECT_EQ(mapAtSetUp, "a.map");
  EXPECT_EQ(frameCalls, 3);
  EXPECT_EQ(FramesRun, 3u);
  EXPECT_EQ(playsAtSetUp, 1);
  EXPECT_EQ(ShutdownDone, -1);
  // The log went to the data folder.
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  // Windows gives the folder with backslashes.
  std::string folder = here;
  std::replace(folder.begin(), folder.end(), '\\', '/');
  std::string expected = std::string(getenv("ZORTA_TEST_DIR")) + "/data";
  std::replace(expected.begin(), expected.end(), '\\', '/');
  EXPECT_EQ(folder, expected);
  EXPECT_NE(ReadWholeFile("log.txt").find("FSOUND Init: Ok\n"), std::string::npos);
}

TEST_F(Program, TheFirstMapByNameOrNoneAndWithoutTheBank) {
  ASSERT_EQ(Run("b.map", false, 1), 0);
  EXPECT_EQ(mapAtSetUp, "b.map");
  EXPECT_EQ(playsAtSetUp, 0);  // no bank, nothing to play
  EXPECT_EQ(ReadWholeFile("log.txt").find("FSOUND"), std::string::npos);
  ASSERT_EQ(chdir(getenv("ZORTA_TEST_DIR")), 0);
  ResetForTests();
  ASSERT_EQ(Run("", false, 1), 0);
  EXPECT_EQ(mapAtSetUp, "(none)");
}

TEST_F(Program, QuitProgramClosesTheWindowAfterThisFrame) {
  quitAtFrame = 2;
  ASSERT_EQ(Run(nullptr, false, 0), 0);
  EXPECT_EQ(frameCalls, 2);
  EXPECT_EQ(WinWindowExists(), 0);
}

TEST_F(Program, AFolderOrMapThatIsNotThereIsReportedBeforeAnythingStarts) {
  testing::internal::CaptureStderr();
  ProgramOptions options;
  options.dataFolder = "nowhere";
  options.setUp = RecordSetUp;
  EXPECT_EQ(RunProgram(options), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "zorta: cannot enter 'nowhere': No such file or directory\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(Run("c.map", true, 1), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "zorta: Maps/ holds no map 'c.map'\n");
  EXPECT_EQ(setUps, 0);
  EXPECT_EQ(WinWindowExists(), 0);
}

TEST_F(Program, AFatalErrorEndsTheRunWithExitCode1) {
  ProgramOptions options;
  options.headless = true;
  options.soundBank = false;
  options.setUp = LoadMissingSprite;
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram(options), 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Error: "), std::string::npos) << err;
  EXPECT_NE(err.find("missing.png"), std::string::npos) << err;
}

TEST(ProgramArguments, TheFrameworksOwnOptions) {
  char name[] = "/usr/bin/game", headless[] = "--headless", frames[] = "--frames", count[] = "60",
       data[] = "--data", dir[] = "levels", map[] = "--map", level[] = "two.map", noBank[] = "--no-bank";
  char* argv[] = {name, headless, frames, count, data, dir, map, level, noBank, nullptr};
  ProgramOptions options;
  EXPECT_EQ(ParseProgramArguments(9, argv, &options), -1);
  EXPECT_TRUE(options.headless);
  EXPECT_EQ(options.frames, 60u);
  EXPECT_STREQ(options.dataFolder, "levels");
  EXPECT_STREQ(options.firstMap, "two.map");
  EXPECT_FALSE(options.soundBank);

  char help[] = "--help";
  char* helpArgv[] = {name, help, nullptr};
  testing::internal::CaptureStdout();
  EXPECT_EQ(ParseProgramArguments(2, helpArgv, &options), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("usage: game [--headless] [--frames N] [--data DIR] [--map NAME] [--no-bank]\n", 0), 0u) << out;
  EXPECT_NE(out.find("  --help "), std::string::npos);

  char bad[] = "--fast", minus[] = "-5";
  char* badArgv[] = {name, bad, nullptr};
  char* minusArgv[] = {name, frames, minus, nullptr};
  char* missingArgv[] = {name, data, nullptr};
  testing::internal::CaptureStderr();
  EXPECT_EQ(ParseProgramArguments(2, badArgv, &options), 2);
  EXPECT_EQ(ParseProgramArguments(3, minusArgv, &options), 2);
  EXPECT_EQ(ParseProgramArguments(2, missingArgv, &options), 2);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("game: unknown argument '--fast'\nusage: game ", 0), 0u) << err;
  EXPECT_NE(err.find("game: --frames wants a count from 0 to 4294967295\n"), std::string::npos);
  EXPECT_NE(err.find("game: --data wants a folder\n"), std::string::npos);
}

}  // namespace
