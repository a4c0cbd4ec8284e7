// Recipe files in the tool: read, rendered with a seed, their errors named by
// file, line and column; the writers shared with export.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bank_access.h"
#include "sfx/builtin_recipes.h"
#include "sfx/sound_bank.h"
#include "sound_files.h"
#include "test_util.h"

using namespace zorta;

namespace {
// In the process's own folder, never one a killed earlier run may have left.
std::string TempPath(const char* name) {
  char here[4096];
  return std::string(getcwd(here, sizeof here) != nullptr ? here : ".") + "/" + name;
}
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

namespace {
// The files in a folder, sorted.
std::vector<std::string> FolderFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* d = opendir(folder.c_str());
  if (d == nullptr) return names;
  while (dirent* e = readdir(d))
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

const SoundFormat EveryFormat[] = {Wav, Flac, Raw, Header};
}  // namespace

// A write that fails part way (here: past the process's file size limit, as a
// full disk would) leaves the earlier file as it was and nothing beside it.
TEST(SoundWriters, AFailedWriteLeavesThePreviousFileWhole) {
  char folder[] = "/tmp/zorta-writes-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::vector<int16_t> frames(20000);
  for (size_t i = 0; i < frames.size(); i++) frames[i] = static_cast<int16_t>(i * 37);
  HeaderNames names{"test", "TEST", "test", "test"};
  for (SoundFormat format : EveryFormat) {
    SCOPED_TRACE(format);
    std::string path = std::string(folder) + "/out";
    std::string link = std::string(folder) + "/link";
    std::vector<int16_t> copy = frames;
    std::string error;
    ASSERT_TRUE(WriteSound(path, format, BankRate, &copy, names, &error)) << error;
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(symlink("out", link.c_str()), 0);
    std::string before = ReadWholeFile(path);

    bool written;
    {
      FileSizeLimit limit(4096);
      ASSERT_TRUE(limit.set);
      written = WriteSound(link, format, BankRate, &copy, names, &error);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(error, "cannot write '" + link + "': " + strerror(EFBIG));
    EXPECT_TRUE(ReadWholeFile(path) == before) << "the earlier file changed";
    EXPECT_EQ(FolderFiles(folder), (std::vector<std::string>{"link", "out"}));

    // Written whole, through the link: the file it names is replaced, the
    // link and the file's mode stay.
    copy = std::vector<int16_t>(frames.begin(), frames.begin() + 100);
    ASSERT_TRUE(WriteSound(link, format, BankRate, &copy, names, &error)) << error;
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_LT(ReadWholeFile(path).size(), before.size());
    EXPECT_EQ(FolderFiles(folder), (std::vector<std::string>{"link", "out"}));
    unlink(path.c_str());
    unlink(link.c_str());
  }
  rmdir(folder);
}

// A device is written in place: /dev/full is a full disk and says so, in
// every format, and stays a device.
TEST(SoundWriters, AFullDiskIsSaidToBeOne) {
  struct stat st;
  if (stat("/dev/full", &st) != 0) GTEST_SKIP() << "no /dev/full here";
  HeaderNames names{"test", "TEST", "test", "test"};
  for (SoundFormat format : EveryFormat) {
    SCOPED_TRACE(format);
    std::vector<int16_t> frames(5000, 1000);
    std::string error;
    EXPECT_FALSE(WriteSound("/dev/full", format, BankRate, &frames, names, &error));
    EXPECT_EQ(error, "cannot write '/dev/full': the disk is full");
    EXPECT_TRUE(WriteSound("/dev/null", format, BankRate, &frames, names, &error)) << error;
  }
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}
