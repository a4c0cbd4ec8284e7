// The user's Sounds/ folder: files into slots from 89, numbered names kept,
// errors reported with their place, and live changes picked up on the next
// look once a file holds still, the old sample freed and a broken file
// keeping the last good sound.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "app/timing.h"
#include "platform/sound.h"
#include "platform/testing.h"
#include "reset.h"
#include "sfx/recipe.h"
#include "sfx/sound_bank.h"
#include "sfx/user_sounds.h"

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

struct UserSounds : ::testing::Test {
  std::string home, dir;
  void SetUp() override {
    ResetForTests();
    char buf[4096];
    ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
    home = buf;
    dir = "/tmp/zorta-user-sounds-" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    mkdir("Sounds", 0700);
    Reports.clear();
    SetUserSoundReport(Record);
    SeedRandom(0);
    FillSoundBank();
  }
  void TearDown() override {
    ForgetUserSounds();
    FreeSoundBank();
    SoundSeamReset();
    SeamReset();
    SetUserSoundReport(nullptr);
    // Out of the folder first: Windows keeps a working folder from removal.
    EXPECT_EQ(chdir(home.c_str()), 0);
    std::error_code gone;
    std::filesystem::remove_all(dir, gone);
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
  ASSERT_EQ(Reports.size(), 1u);
  EXPECT_EQ(Reports[0].line, 3);
  EXPECT_EQ(Reports[0].column, 12);
  EXPECT_EQ(SoundBank[120], good);
  EXPECT_EQ(Frames(120), Rendered(Low));
  // Reported once, not at every look.
  PollUserSounds(2 * UserSoundPollMs);
  EXPECT_EQ(Reports.size(), 1u);
  // Mended, it is made again.
  Write("120-x.txt", High);
  PollUserSounds(3 * UserSoundPollMs);
  PollUserSounds(4 * UserSoundPollMs);
  EXPECT_EQ(Frames(120), Rendered(High));
}

TEST_F(UserSounds, FilesAddedAndRemovedWhileRunning) {
  LoadUserSounds();
  Write("laser.txt", High);
  PollUserSounds(0);
  EXPECT_EQ(SoundBank[89], nullptr);
  PollUserSounds(UserSoundPollMs);
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
  for (const Reported& r : Reports) ADD_FAILURE() << r.file << ":" << r.line << ":" << r.column << ": " << r.message;
  EXPECT_EQ(Frames(120), Rendered(Low));
  EXPECT_FALSE(FSOUND_IsPlaying(FSOUND_ALL));
  EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, SoundBank[120]), 0);
}
