// Recipe files in the tool: read, rendered with a seed, their errors named by
// file, line and column; the writers shared with export.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bank_access.h"
#include "sfx/builtin_recipes.h"
#include "sfx/sound_bank.h"
#include "sound_files.h"
#include "test_util.h"

namespace {
std::string TempPath(const char* name) { return "/tmp/zorta-sound-files-" + std::to_string(getpid()) + "-" + name; }
}  // namespace

TEST(RecipeFiles, ErrorsNameTheFileLineAndColumn) {
  std::string path = TempPath("broken.txt");
  WriteWholeFile(path, "frames 100\nvolume 10\n\nsaw [0+50] 0.1 -> \n");
  std::vector<int16_t> frames;
  std::string error;
  EXPECT_FALSE(RenderRecipeFile(path, 0, &frames, nullptr, &error));
  EXPECT_EQ(error, path + ":4:19: expected a number, a note such as C-6, a name or '(', found the end of the line");
  EXPECT_FALSE(RenderRecipeFile(path + ".missing", 0, &frames, nullptr, &error));
  EXPECT_EQ(error.rfind("cannot read '" + path + ".missing'", 0), 0u) << error;
  // Far beyond the size limit: refused without reading it all.
  WriteWholeFile(path, "frames 100\nvolume 10\n" + std::string(3 * 1024 * 1024, ' '));
  EXPECT_FALSE(RenderRecipeFile(path, 0, &frames, nullptr, &error));
  EXPECT_NE(error.find(":1:1: the recipe is longer than 262144 bytes"), std::string::npos) << error;
  unlink(path.c_str());
}

TEST(RecipeFiles, NoiseIsSeededAsAtAStartUnlessToldOtherwise) {
  std::string path = TempPath("noise.txt");
  WriteWholeFile(path, BuiltinRecipeText[1]);
  std::vector<int16_t> a, b, c;
  int volume = 0;
  std::string error;
  ASSERT_TRUE(RenderRecipeFile(path, 0, &a, &volume, &error)) << error;
  ASSERT_TRUE(RenderRecipeFile(path, 0, &b, &volume, &error));
  ASSERT_TRUE(RenderRecipeFile(path, 9, &c, &volume, &error));
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(volume, 255);
  // Slot 1 is the bank's first noise: the program's own start gives the same.
  FillBankAsProgram();
  EXPECT_EQ(SlotFrames(1), a);
  FreeSoundBank();
  unlink(path.c_str());
}

// What `recipe 24` prints renders to slot 24, whose noise follows earlier slots';
// a seed given on the command line stands in for the file's seed line.
TEST(RecipeFiles, ASeedLineGivesTheSlotsNoiseUnlessASeedIsGiven) {
  std::string path = TempPath("seeded.txt");
  WriteWholeFile(path, BuiltinRecipeWithSeed(24));
  std::vector<int16_t> own, given;
  std::string error;
  ASSERT_TRUE(RenderRecipeFile(path, -1, &own, nullptr, &error)) << error;
  ASSERT_TRUE(RenderRecipeFile(path, 0, &given, nullptr, &error)) << error;
  FillBankAsProgram();
  EXPECT_EQ(SlotFrames(24), own);
  EXPECT_NE(SlotFrames(24), given);
  FreeSoundBank();
  unlink(path.c_str());
}

TEST(RecipeFiles, BaseNamesAndOptions) {
  EXPECT_EQ(RecipeBaseName("Sounds/120-laser.txt"), "120-laser");
  EXPECT_EQ(RecipeBaseName("a.b.txt"), "a.b");
  EXPECT_EQ(RecipeBaseName(".hidden"), ".hidden");
  EXPECT_EQ(RecipeBaseName("C:\\x\\boom"), "boom");
  SoundFormat format = Wav;
  const char* ext = nullptr;
  EXPECT_TRUE(ParseSoundFormat("flac", &format, &ext));
  EXPECT_EQ(format, Flac);
  EXPECT_STREQ(ext, "flac");
  EXPECT_FALSE(ParseSoundFormat("mp3", &format, &ext));
  long rate = 0;
  EXPECT_TRUE(ParseSoundRate("", &rate));
  EXPECT_EQ(rate, BankRate);
  EXPECT_FALSE(ParseSoundRate("999", &rate));
  EXPECT_FALSE(ParseSoundRate("44.1k", &rate));
}
