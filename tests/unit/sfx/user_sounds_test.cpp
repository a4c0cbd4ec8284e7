// The user's Sounds/ folder: files into slots from 89, numbered names kept,
// errors reported with their place, and live changes picked up on the next
// look once a file holds still, the old sample freed and a broken file
// keeping the last good sound.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <string>
#include <system_error>
#include <vector>

#include "base/timing.h"
#include "platform/sound.h"
#include "platform/testing.h"
#include "reset.h"
#include "sfx/recipe.h"
#include "sfx/sound_bank.h"
#include "sfx/user_sounds.h"
#include "test_util.h"

using namespace zorta;

namespace {
using Samples = std::vector<int16_t>;

struct Reported {
  std::string file;
  int line, column;
  std::string message;
};
std::vector<Reported> Reports;
void Record(const char* file, int line, int column, const char* message) {
  Reports.push_back({file, line, column, message});
}

// Saved under its UTF-8 name on every system, as an editor there saves it.
void Write(const std::string& name, const std::string& text) {
  std::ofstream f(std::filesystem::u8path("Sounds/" + name), std::ios::binary);
  ASSERT_TRUE(f.is_open());
  f << text;
}

Samples Frames(int slot) {
  const int16_t* d = FSOUND_Sample_GetData(SoundBank[slot]);
  return d == nullptr ? Samples() : Samples(d, d + FSOUND_Sample_GetLength(SoundBank[slot]));
}

Samples Rendered(const std::string& text) {
  Samples v;
  RecipeError e;
  EXPECT_TRUE(RenderRecipe(text.data(), text.size(), &v, nullptr, &e)) << e.message;
  return v;
}

const std::string Low = "frames 300\nvolume 100\nsine 0.02 a(0.25)\n";
const std::string High = "frames 500\nvolume 200\nsaw 0.08 -> 0.1 a(1)\n";
const std::string Third = "frames 400\nvolume 150\nsine 0.05 a(0.5)\n";

// Holds each build at its start until opened, and notes the files built; a
// build on the test's own thread (the frame's) is a failure, not a hold.
struct BuildGate {
  std::mutex m;
  std::condition_variable cv;
  bool open = false;
  bool onFrameThread = false;
  int held = 0;
  std::vector<std::string> files;
  std::thread::id frameThread = std::this_thread::get_id();

  bool WaitHeld(int n) {
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [&] { return held >= n || onFrameThread; });
    return !onFrameThread;
  }
  void Open() {
    std::lock_guard<std::mutex> lock(m);
    open = true;
    cv.notify_all();
  }
};
BuildGate* Gate = nullptr;
void HoldBuild(const char* file) {
  std::unique_lock<std::mutex> lock(Gate->m);
  Gate->files.push_back(file);
  if (std::this_thread::get_id() == Gate->frameThread) {
    Gate->onFrameThread = true;
    Gate->cv.notify_all();
    ADD_FAILURE() << file << " was built on the frame's thread";
    return;
  }
  Gate->held++;
  Gate->cv.notify_all();
  Gate->cv.wait(lock, [] { return Gate->open; });
}

struct UserSounds : ::testing::Test {
  WorkFolder folder;
  BuildGate gate;
  void SetUp() override {
    ResetForTests();
    ASSERT_NO_FATAL_FAILURE(folder.Enter("user-sounds"));
    mkdir("Sounds", 0700);
    Reports.clear();
    SetUserSoundReport(Record);
    SeedRandom(0);
    FillSoundBank();
  }
  void TearDown() override {
    if (Gate != nullptr) Gate->Open();
    ForgetUserSounds();
    SetUserSoundBuildHook(nullptr);
    Gate = nullptr;
    FreeSoundBank();
    SoundSeamReset();
    SeamReset();
    SetUserSoundReport(nullptr);
    std::error_code gone = folder.Leave();
    EXPECT_FALSE(gone) << gone.message();
  }
};
}  // namespace

TEST_F(UserSounds, FilesTakeTheirNumberedSlotOrTheFirstEmptyOnes) {
  Write("120-low.txt", Low);
  Write("b.txt", High);
  Write("a.txt", Low);
  Write("89-first.txt", High);
  Write("notes.md", "not a recipe");
  LoadUserSounds();
  for (const Reported& r : Reports) ADD_FAILURE() << r.file << ":" << r.line << ":" << r.column << ": " << r.message;
  EXPECT_EQ(Frames(120), Rendered(Low));
  EXPECT_EQ(Frames(89), Rendered(High));
  // The unnumbered files fill the gaps in name order, after the numbered ones.
  EXPECT_EQ(UserSoundSlot("a.txt"), 90);
  EXPECT_EQ(UserSoundSlot("b.txt"), 91);
  EXPECT_EQ(Frames(91), Rendered(High));
  int vol = 0;
  FSOUND_Sample_GetDefaults(SoundBank[120], nullptr, &vol, nullptr, nullptr);
  EXPECT_EQ(vol, 100);
  for (int slot = 92; slot < SoundBankSlots; slot++) {
    if (slot == 120) continue;
    ASSERT_EQ(SoundBank[slot], nullptr) << slot;
  }
}

TEST_F(UserSounds, NamesInAnyScriptTakeTheirSlots) {
  Write("125-Жук.txt", Low);
  Write("126-日本.txt", High);
  Write("143-Łódź.txt", Low);
  LoadUserSounds();
  for (const Reported& r : Reports) ADD_FAILURE() << r.file << ":" << r.line << ":" << r.column << ": " << r.message;
  EXPECT_EQ(Frames(125), Rendered(Low));
  EXPECT_EQ(Frames(126), Rendered(High));
  EXPECT_EQ(Frames(143), Rendered(Low));
  EXPECT_EQ(UserSoundSlot("126-日本.txt"), 126);
}

TEST_F(UserSounds, FailuresAreReportedWithTheirPlace) {
  Write("130-broken.txt", "frames 300\nvolume 100\n\nsine [0+400] 0.1\n");
  Write("12-builtin.txt", Low);
  Write("140-bad.txt", "frames 300\nvolume 100\nsine q\n");
  LoadUserSounds();
  ASSERT_EQ(Reports.size(), 3u);
  EXPECT_EQ(Reports[0].file, "Sounds/12-builtin.txt");
  EXPECT_EQ(Reports[0].line, 0);
  EXPECT_NE(Reports[0].message.find("slot 12 is not a user slot"), std::string::npos);
  EXPECT_EQ(Reports[1].file, "Sounds/130-broken.txt");
  EXPECT_EQ(Reports[1].line, 4);
  EXPECT_EQ(Reports[1].column, 1);
  EXPECT_EQ(Reports[1].message, "the run [0+400] lies outside the sound's 300 frames");
  EXPECT_EQ(Reports[2].line, 3);
  EXPECT_EQ(Reports[2].column, 6);
  EXPECT_EQ(SoundBank[130], nullptr);
  EXPECT_EQ(SoundBank[140], nullptr);
}

TEST_F(UserSounds, ASavedChangeIsMadeOnceItHoldsStillAndTheOldSampleIsFreed) {
  Write("120-x.txt", Low);
  LoadUserSounds();
  SampleHandle first = SoundBank[120];
  ASSERT_NE(first, nullptr);
  Write("120-x.txt", High);
  SeamRecordCalls(true);
  PollUserSounds(1000);  // sees the new version
  EXPECT_EQ(SoundBank[120], first);
  PollUserSounds(1000 + UserSoundPollMs - 1);  // too soon to look again
  EXPECT_EQ(SoundBank[120], first);
  PollUserSounds(1000 + UserSoundPollMs);  // the same version again: made
  WaitForUserSounds();
  EXPECT_NE(SoundBank[120], first);
  EXPECT_EQ(Frames(120), Rendered(High));
  char freed[64];
  snprintf(freed, sizeof freed, "FSOUND_Sample_Free(%p)", static_cast<void*>(first));
  int frees = 0;
  for (const std::string& c : SeamCalls()) frees += c == freed;
  EXPECT_EQ(frees, 1);
  // Nothing changed: nothing is made again.
  SampleHandle second = SoundBank[120];
  PollUserSounds(1000 + 2 * UserSoundPollMs);
  PollUserSounds(1000 + 3 * UserSoundPollMs);
  WaitForUserSounds();
  EXPECT_EQ(SoundBank[120], second);
  EXPECT_TRUE(Reports.empty());
}

TEST_F(UserSounds, ABrokenChangeKeepsTheLastGoodSound) {
  Write("120-x.txt", Low);
  LoadUserSounds();
  SampleHandle good = SoundBank[120];
  Write("120-x.txt", "frames 300\nvolume 100\nsine 0.1 ->\n");
  PollUserSounds(0);
  PollUserSounds(UserSoundPollMs);
  WaitForUserSounds();
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0].line, 3);
  EXPECT_EQ(Reports[0].column, 12);
  EXPECT_EQ(SoundBank[120], good);
  EXPECT_EQ(Frames(120), Rendered(Low));
  // Reported once, not at every look.
  PollUserSounds(2 * UserSoundPollMs);
  WaitForUserSounds();
  EXPECT_EQ(Reports.size(), 1u);
  // Mended, it is made again.
  Write("120-x.txt", High);
  PollUserSounds(3 * UserSoundPollMs);
  PollUserSounds(4 * UserSoundPollMs);
  WaitForUserSounds();
  EXPECT_EQ(Frames(120), Rendered(High));
}

TEST_F(UserSounds, FilesAddedAndRemovedWhileRunning) {
  LoadUserSounds();
  Write("laser.txt", High);
  PollUserSounds(0);
  EXPECT_EQ(SoundBank[89], nullptr);
  PollUserSounds(UserSoundPollMs);
  WaitForUserSounds();
  EXPECT_EQ(Frames(89), Rendered(High));
  ASSERT_EQ(unlink("Sounds/laser.txt"), 0);
  PollUserSounds(2 * UserSoundPollMs);
  EXPECT_NE(SoundBank[89], nullptr);  // an editor's save may remove a file for a moment
  PollUserSounds(3 * UserSoundPollMs);
  EXPECT_EQ(SoundBank[89], nullptr);
  EXPECT_EQ(UserSoundSlot("laser.txt"), -1);
}

TEST_F(UserSounds, ASoundPlayingWhenItsFileChangesIsStoppedAndFreedSafely) {
  ASSERT_TRUE(FSOUND_Init(44100, 64, 0));
  Write("120-x.txt", "frames 200000\nvolume 255\nsine 0.02 a(1)\n");
  LoadUserSounds();
  ASSERT_GE(FSOUND_PlaySound(FSOUND_FREE, SoundBank[120]), 0);
  ASSERT_TRUE(FSOUND_IsPlaying(FSOUND_ALL));
  Write("120-x.txt", Low);
  PollUserSounds(0);
  PollUserSounds(UserSoundPollMs);
  WaitForUserSounds();
  for (const Reported& r : Reports) ADD_FAILURE() << r.file << ":" << r.line << ":" << r.column << ": " << r.message;
  EXPECT_EQ(Frames(120), Rendered(Low));
  EXPECT_FALSE(FSOUND_IsPlaying(FSOUND_ALL));
  EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, SoundBank[120]), 0);
}

TEST_F(UserSounds, AFileIsBuiltOffTheFrameWhileFramesAndOtherSlotsGoOn) {
  ASSERT_TRUE(FSOUND_Init(44100, 64, 0));
  Write("120-slow.txt", Low);
  Write("121-other.txt", High);
  LoadUserSounds();
  SampleHandle old = SoundBank[120];
  ASSERT_NE(old, nullptr);
  Gate = &gate;
  SetUserSoundBuildHook(HoldBuild);
  Write("120-slow.txt", High);
  PollUserSounds(0);
  PollUserSounds(UserSoundPollMs);  // handed to the builder, which is held
  ASSERT_TRUE(gate.WaitHeld(1));
  // The frame goes on: looks come back, another slot plays, and a second
  // save while the build is held is seen.
  Write("120-slow.txt", Third);
  for (uint32_t look = 2; look < 6; look++) PollUserSounds(look * UserSoundPollMs);
  EXPECT_EQ(SoundBank[120], old);
  EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, SoundBank[121]), 0);
  EXPECT_TRUE(FSOUND_IsPlaying(FSOUND_ALL));
  gate.Open();
  WaitForUserSounds();
  // The held build's result is stale: the slot ends with the latest text.
  EXPECT_EQ(Frames(120), Rendered(Third));
  EXPECT_EQ(gate.files, std::vector<std::string>({"Sounds/120-slow.txt", "Sounds/120-slow.txt"}));
  for (const Reported& r : Reports) ADD_FAILURE() << r.file << ":" << r.line << ":" << r.column << ": " << r.message;
}

TEST_F(UserSounds, ForgettingStopsTheBuilderMidBuildAndInstallsNothing) {
  LoadUserSounds();
  Gate = &gate;
  SetUserSoundBuildHook(HoldBuild);
  Write("120-a.txt", Low);
  Write("121-b.txt", High);
  PollUserSounds(0);
  PollUserSounds(UserSoundPollMs);
  ASSERT_TRUE(gate.WaitHeld(1));
  std::thread opener([&] { gate.Open(); });
  ForgetUserSounds();  // joins the builder, whichever comes first
  opener.join();
  EXPECT_EQ(SoundBank[120], nullptr);
  EXPECT_EQ(SoundBank[121], nullptr);
  // A new start builds again.
  SetUserSoundBuildHook(nullptr);
  LoadUserSounds();
  EXPECT_EQ(Frames(120), Rendered(Low));
  EXPECT_EQ(Frames(121), Rendered(High));
}

TEST_F(UserSounds, ARenamedFileKeepsItsSlotAndItsSound) {
  Write("120-a.txt", Low);
  Write("a.txt", High);
  Write("b.txt", Low);
  LoadUserSounds();
  SampleHandle numbered = SoundBank[120], plain = SoundBank[89];
  ASSERT_EQ(UserSoundSlot("a.txt"), 89);
  ASSERT_EQ(rename("Sounds/120-a.txt", "Sounds/120-b.txt"), 0);
  ASSERT_EQ(rename("Sounds/a.txt", "Sounds/c.txt"), 0);
  for (uint32_t look = 0; look < 4; look++) {
    PollUserSounds(look * UserSoundPollMs);
    WaitForUserSounds();
    EXPECT_EQ(SoundBank[120], numbered) << look;
    EXPECT_EQ(SoundBank[89], plain) << look;
  }
  EXPECT_EQ(UserSoundSlot("120-b.txt"), 120);
  EXPECT_EQ(UserSoundSlot("c.txt"), 89);
  EXPECT_EQ(UserSoundSlot("b.txt"), 90);
  EXPECT_EQ(UserSoundSlot("120-a.txt"), -1);
  for (const Reported& r : Reports) ADD_FAILURE() << r.file << ": " << r.message;
}

TEST_F(UserSounds, UnnumberedFilesGiveWayAtOnceAndKeepTheirSlotsAcrossRestarts) {
  Write("a.txt", Low);
  Write("b.txt", High);
  LoadUserSounds();
  ASSERT_EQ(UserSoundSlot("a.txt"), 89);
  SampleHandle moved = SoundBank[89];
  Write("89-mine.txt", Third);
  PollUserSounds(0);
  PollUserSounds(UserSoundPollMs);
  WaitForUserSounds();
  for (const Reported& r : Reports) ADD_FAILURE() << r.file << ": " << r.message;
  EXPECT_EQ(UserSoundSlot("89-mine.txt"), 89);
  EXPECT_EQ(Frames(89), Rendered(Third));
  EXPECT_EQ(UserSoundSlot("a.txt"), 91);  // its sound moves along with it
  EXPECT_EQ(SoundBank[91], moved);
  EXPECT_EQ(UserSoundSlot("b.txt"), 90);
  // Started again, every file is where it was; and again with a damaged
  // record of the slots, or none, nothing breaks.
  auto restart = [] {
    ForgetUserSounds();
    FreeSoundBank();
    FillSoundBank();
    LoadUserSounds();
  };
  restart();
  EXPECT_EQ(UserSoundSlot("89-mine.txt"), 89);
  EXPECT_EQ(UserSoundSlot("a.txt"), 91);
  EXPECT_EQ(UserSoundSlot("b.txt"), 90);
  EXPECT_EQ(Frames(91), Rendered(Low));
  for (const std::string& damage : {std::string("\xff") + '\0' + " 91 b.txt\n9999 a.txt\n12 a.txt\n-5\n", std::string()}) {
    std::filesystem::path index;
    for (const auto& entry : std::filesystem::directory_iterator("Sounds"))
      if (entry.path().extension() != ".txt") index = entry.path();
    ASSERT_FALSE(index.empty()) << "no record of the slots";
    if (damage.empty()) {
      std::filesystem::remove(index);
    } else {
      std::ofstream(index, std::ios::binary) << damage;
    }
    restart();
    for (const Reported& r : Reports) ADD_FAILURE() << r.file << ": " << r.message;
    EXPECT_EQ(UserSoundSlot("89-mine.txt"), 89);
    EXPECT_EQ(UserSoundSlot("b.txt"), 91);
    EXPECT_EQ(UserSoundSlot("a.txt"), 90);
  }
}

TEST_F(UserSounds, UnnumberedFilesTakeSlotsInNaturalOrder) {
  for (const char* name : {"Zed.txt", "sound10.txt", "apple.txt", "sound2.txt", "Banana.TXT"}) Write(name, Low);
  LoadUserSounds();
  EXPECT_EQ(UserSoundSlot("apple.txt"), 89);
  EXPECT_EQ(UserSoundSlot("Banana.TXT"), 90);
  EXPECT_EQ(UserSoundSlot("sound2.txt"), 91);
  EXPECT_EQ(UserSoundSlot("sound10.txt"), 92);
  EXPECT_EQ(UserSoundSlot("Zed.txt"), 93);
}

TEST_F(UserSounds, OnlyRegularFilesAreReadAndAFileThatBecomesReadableIsRead) {
  ASSERT_EQ(mkfifo("Sounds/pipe.txt", 0600), 0);  // opened for reading, it would wait for a writer
  Write("120-x.txt", Low);
  ASSERT_EQ(chmod("Sounds/120-x.txt", 0), 0);
  SeamFailCall("ReadRegularFile(Sounds/120-x.txt)", 1);  // as chmod does for anyone but root
  LoadUserSounds();
  ASSERT_EQ(Reports.size(), 2u);
  EXPECT_EQ(Reports[0].file, "Sounds/120-x.txt");
  EXPECT_EQ(Reports[0].message, "the file cannot be read");
  EXPECT_EQ(Reports[1].file, "Sounds/pipe.txt");
  EXPECT_EQ(Reports[1].message, "not a regular file: only plain text files are read");
  EXPECT_EQ(SoundBank[120], nullptr);
  // Made readable again, with the same time and size: read at the next looks.
  ASSERT_EQ(chmod("Sounds/120-x.txt", 0644), 0);
  for (uint32_t look = 0; look < 3; look++) {
    PollUserSounds(look * UserSoundPollMs);
    WaitForUserSounds();
  }
  EXPECT_EQ(Frames(120), Rendered(Low));
  EXPECT_EQ(Reports.size(), 2u);  // each failure told once
}

TEST_F(UserSounds, ASynthVoiceAlonePlaysAtItsOwnRate) {
  const std::string voice = "frames 300\nvolume 90\nsynth(saw, freq = 0.5, sustain = 0.05, decay = 0.02)\n";
  Write("95-voice.txt", voice);
  Write("96-mixed.txt", voice + "sine 0.02 a(0.1)\n");
  LoadUserSounds();
  for (const Reported& r : Reports) ADD_FAILURE() << r.file << ":" << r.line << ":" << r.column << ": " << r.message;
  int freq = 0, vol = 0;
  FSOUND_Sample_GetDefaults(SoundBank[95], &freq, &vol, nullptr, nullptr);
  EXPECT_EQ(freq, 44100);
  EXPECT_EQ(vol, 90);
  Samples own;
  RecipeError e;
  int rate = 0;
  ASSERT_TRUE(RenderRecipe(voice.data(), voice.size(), &own, nullptr, &e, &rate)) << e.message;
  EXPECT_EQ(Frames(95), own);
  EXPECT_EQ(Frames(95).size(), 600u);
  FSOUND_Sample_GetDefaults(SoundBank[96], &freq, nullptr, nullptr, nullptr);
  EXPECT_EQ(freq, 22050);
  EXPECT_EQ(Frames(96).size(), 300u);
}
