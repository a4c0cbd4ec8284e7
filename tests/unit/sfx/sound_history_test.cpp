// The versions of the users' sounds: the last 50 of a slot kept, undo and
// redo writing them back without making new ones, a hand edit kept as one,
// all of it still there after a restart; and the sounds the program makes
// itself (a new one of a kind, a mutation, a built-in copied, a removal).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/timing.h"
#include "platform/sound.h"
#include "platform/testing.h"
#include "reset.h"
#include "sfx/builtin_recipes.h"
#include "sfx/sound_bank.h"
#include "sfx/sound_history.h"
#include "sfx/sound_studio.h"
#include "sfx/user_sounds.h"
#include "test_util.h"

using namespace zorta;

namespace {
std::vector<int16_t> Frames(int slot) {
  const int16_t* d = FSOUND_Sample_GetData(SoundBank[slot]);
  return d == nullptr ? std::vector<int16_t>() : std::vector<int16_t>(d, d + FSOUND_Sample_GetLength(SoundBank[slot]));
}

int Plays() {
  int n = 0;
  for (const std::string& call : SeamCalls()) n += call.rfind("FSOUND_PlaySound(", 0) == 0;
  return n;
}

SoundHistory HistoryOf(int slot) {
  SoundHistory h;
  ReadSoundHistory(UserSoundFolder, slot, &h);
  return h;
}

std::string Version(int slot, int32_t number) {
  std::string text;
  EXPECT_TRUE(ReadSoundVersion(UserSoundFolder, slot, number, &text)) << number;
  return text;
}

struct SoundHistoryTest : ::testing::Test {
  WorkFolder folder;
  uint32_t now = 1000;
  void SetUp() override {
    ResetForTests();
    ASSERT_NO_FATAL_FAILURE(folder.Enter("sound-history"));
    mkdir("Sounds", 0700);
    SeedRandom(0);
    FillSoundBank();
    SeamRecordCalls(true);
  }
  void TearDown() override {
    ForgetUserSounds();
    FreeSoundBank();
    SoundSeamReset();
    SeamReset();
    folder.Leave();
  }
  void Start() {
    SetUserSoundHistory(-1);
    LoadUserSounds();
  }
  // Enough looks for a file saved elsewhere to be seen, made and in its slot.
  void Settle() {
    for (int i = 0; i < 3; i++) {
      now += UserSoundPollMs;
      PollUserSounds(now);
      WaitForUserSounds();
    }
  }
};
}  // namespace

TEST_F(SoundHistoryTest, FiftyVersionsKeptTheOldestDroppedAndTheCurrentOneNotKeptTwice) {
  for (int i = 1; i <= 55; i++)
    ASSERT_TRUE(RecordSoundVersion("Sounds", 120, "120-x.txt", "frames " + std::to_string(i) + "\n")) << i;
  EXPECT_FALSE(RecordSoundVersion("Sounds", 120, "120-x.txt", "frames 55\n"));
  SoundHistory h = HistoryOf(120);
  ASSERT_EQ(h.versions.size(), 50u);
  EXPECT_EQ(h.versions.front().number, 6);
  EXPECT_EQ(h.versions.back().number, 55);
  EXPECT_EQ(h.current, 55);
  EXPECT_EQ(h.name, "120-x.txt");
  EXPECT_FALSE(std::filesystem::exists("Sounds/.history/120/0005.txt"));
  EXPECT_EQ(ReadWholeFile("Sounds/.history/120/0006.txt"), "frames 6\n");
  // A damaged index loses versions, never the reader's footing.
  std::ofstream("Sounds/.history/120/index", std::ios::binary) << "current 9\nversion 9 1\nversion 3 2\nversion x\n\xff";
  h = HistoryOf(120);
  ASSERT_EQ(h.versions.size(), 1u);
  EXPECT_EQ(h.current, 9);
  EXPECT_TRUE(h.name.empty());
}

TEST_F(SoundHistoryTest, UndoAndRedoWriteVersionsBackAsNoNewOnesAndAHandEditIsOne) {
  Start();
  std::string message;
  ASSERT_TRUE(StudioNewSound(130, SynthLaser, 7, &message)) << message;
  WaitForUserSounds();
  const std::string path = "Sounds/130-laser.txt";
  const std::string first = ReadWholeFile(path);
  EXPECT_EQ(first.rfind("# laser, seed 7\n", 0), 0u) << first;
  ASSERT_NE(SoundBank[130], nullptr);
  EXPECT_EQ(Plays(), 1) << "the new sound plays once it is made";
  ASSERT_TRUE(StudioMutateSound(130, 8, &message)) << message;
  const std::string mutated = ReadWholeFile(path);
  EXPECT_NE(mutated, first);
  ASSERT_TRUE(StudioAnotherSound(130, 9, &message)) << message;
  EXPECT_EQ(ReadWholeFile(path).rfind("# laser, seed 9\n", 0), 0u);
  Settle();
  EXPECT_EQ(HistoryOf(130).versions.size(), 3u);

  // Undo twice: the first version byte for byte, and the watcher keeps no copy of it.
  ASSERT_TRUE(StudioStepSound(130, -1, &message)) << message;
  ASSERT_TRUE(StudioStepSound(130, -1, &message)) << message;
  EXPECT_EQ(ReadWholeFile(path), first);
  EXPECT_FALSE(StudioStepSound(130, -1, &message));
  EXPECT_EQ(message, "Nothing to undo.");
  Settle();
  SoundHistory h = HistoryOf(130);
  EXPECT_EQ(h.versions.size(), 3u);
  EXPECT_EQ(h.current, 1);
  ASSERT_TRUE(StudioStepSound(130, 1, &message)) << message;
  EXPECT_EQ(ReadWholeFile(path), mutated);
  Settle();

  // A hand edit is a version of its own, after the others.
  const std::string edited = "# by hand\nframes 300\nvolume 100\nsine 0.02 a(0.25)\n";
  std::ofstream(path, std::ios::binary) << edited;
  Settle();
  h = HistoryOf(130);
  ASSERT_EQ(h.versions.size(), 4u);
  EXPECT_EQ(h.current, 4);
  EXPECT_EQ(Version(130, 4), edited);

  // Started again: nothing new is kept, and undo goes on from where it stood.
  ForgetUserSounds();
  FreeSoundBank();
  FillSoundBank();
  Start();
  EXPECT_EQ(HistoryOf(130).versions.size(), 4u);
  ASSERT_TRUE(StudioStepSound(130, -1, &message)) << message;
  EXPECT_EQ(ReadWholeFile(path), Version(130, 3));
  // A hand edit not yet seen is kept before undo writes over it.
  std::ofstream(path, std::ios::binary) << "# unseen\nframes 10\n";
  ASSERT_TRUE(StudioStepSound(130, -1, &message)) << message;
  h = HistoryOf(130);
  ASSERT_EQ(h.versions.size(), 5u);
  EXPECT_EQ(Version(130, 5), "# unseen\nframes 10\n");
  EXPECT_EQ(h.current, 4);
  EXPECT_EQ(ReadWholeFile(path), edited);
}

TEST_F(SoundHistoryTest, DeleteKeepsTheHistoryAndBringsTheSoundBack) {
  Start();
  std::string message;
  ASSERT_TRUE(StudioNewSound(200, SynthBlip, 1, &message)) << message;
  WaitForUserSounds();
  EXPECT_EQ(StudioSlotKindOf(200), StudioUserSlot);
  const std::string made = ReadWholeFile("Sounds/200-blip.txt");
  ASSERT_TRUE(StudioDeleteSound(200, &message)) << message;
  EXPECT_FALSE(std::filesystem::exists("Sounds/200-blip.txt"));
  EXPECT_EQ(SoundBank[200], nullptr);
  EXPECT_EQ(StudioSlotKindOf(200), StudioEmptySlot);
  Settle();
  EXPECT_EQ(HistoryOf(200).versions.size(), 1u);
  EXPECT_EQ(StudioRemovedName(200), "200-blip.txt");
  ASSERT_TRUE(StudioStepSound(200, 0, &message)) << message;
  EXPECT_EQ(ReadWholeFile("Sounds/200-blip.txt"), made);
  WaitForUserSounds();
  EXPECT_NE(SoundBank[200], nullptr);
  EXPECT_FALSE(StudioNewSound(200, SynthBlip, 2, &message)) << "the slot is taken again";
}

TEST_F(SoundHistoryTest, ABuiltInCopiedPlaysItsVerySoundAndAHandWrittenRecipeIsNoSynth) {
  std::ofstream("Sounds/89-mine.txt", std::ios::binary) << "frames 300\nvolume 100\nsine 0.02 a(0.25)\n";
  Start();
  EXPECT_EQ(StudioSlotKindOf(24), StudioBuiltinSlot);
  EXPECT_EQ(StudioSlotKindOf(89), StudioUserSlot);
  EXPECT_EQ(StudioSlotKindOf(90), StudioEmptySlot);
  int slot = -1;
  std::string message;
  ASSERT_TRUE(StudioCopyBuiltin(24, &slot, &message)) << message;
  EXPECT_EQ(slot, 90);
  EXPECT_EQ(ReadWholeFile("Sounds/090-copy-of-24.txt"), BuiltinRecipeWithSeed(24));
  WaitForUserSounds();
  EXPECT_EQ(Frames(90), Frames(24));
  EXPECT_EQ(Plays(), 1);

  EXPECT_FALSE(StudioMutateSound(89, 1, &message));
  EXPECT_NE(message.find("Sounds/89-mine.txt is no synth sound"), std::string::npos) << message;
  EXPECT_FALSE(StudioAnotherSound(89, 1, &message));
  EXPECT_EQ(ReadWholeFile("Sounds/89-mine.txt"), "frames 300\nvolume 100\nsine 0.02 a(0.25)\n");
  EXPECT_FALSE(StudioNewSound(24, SynthBlip, 1, &message)) << "a built-in slot is no empty one";
}
