// File names written as on Windows: backslashes and any letter case find
// the file, in FileOpen and in folder listings.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "io/file.h"
#include "io/named_list.h"
#include "platform/folder.h"
#include "platform/path.h"

using namespace zorta;

namespace {

void Put(const std::string& path, const std::string& text) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fputs(text.c_str(), f);
  fclose(f);
}

// The first byte of the file FileOpen finds under `name`, or 0 when it
// finds none.
int FirstByte(const char* name) {
  FileHandle f = FileOpen(name, "rb", 0);
  if (f == nullptr) return 0;
  int c = ReadU8(f);
  FileClose(f);
  return c;
}

std::string Text(const std::string& path) {
  std::string out;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return "(none)";
  for (int c; (c = fgetc(f)) != EOF;) out += static_cast<char>(c);
  fclose(f);
  return out;
}

TEST(WindowsNames, FileOpenTakesBackslashesAndAnyLetterCase) {
  mkdir("Sets", 0755);
  mkdir("Sets/Deep", 0755);
  Put("Sets/Example.gfx", "e");
  Put("Sets/Deep/Tile.GFX", "t");
  EXPECT_EQ(FirstByte("Sets\\Example.gfx"), 'e');
  EXPECT_EQ(FirstByte("sets/EXAMPLE.GFX"), 'e');
  EXPECT_EQ(FirstByte("SETS\\deep\\tile.gfx"), 't');
  EXPECT_EQ(FirstByte("sets\\.\\deep\\..\\example.gfx"), 'e');
  EXPECT_EQ(FirstByte("sets//example.gfx"), 'e');
  char cwd[PATH_MAX];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(FirstByte((std::string(cwd) + "/SETS/example.gfx").c_str()), 'e');
  EXPECT_EQ(HostPath("sets\\deep\\TILE.gfx"), "Sets/Deep/Tile.GFX");

  // Nothing of that name in any case, or a file where a folder is needed.
  EXPECT_EQ(FileOpen("sets/missing.gfx", "rb", 0), nullptr);
  EXPECT_EQ(FileOpen("nowhere\\example.gfx", "rb", 0), nullptr);
  EXPECT_EQ(FileOpen("sets/example.gfx/x", "rb", 0), nullptr);
  // Only ASCII letters fold.
  Put("Sets/\xC4.gfx", "a");
  EXPECT_EQ(FirstByte("sets/\xC4.GFX"), 'a');
  EXPECT_EQ(FileOpen("sets/\xE4.gfx", "rb", 0), nullptr);
}

TEST(WindowsNames, ExactNamesFirstThenTheFirstInByteOrder) {
  mkdir("Twins", 0755);
  Put("Twins/a.txt", "l");
  Put("Twins/A.txt", "U");
  EXPECT_EQ(FirstByte("twins/a.txt"), 'l');
  EXPECT_EQ(FirstByte("twins/A.txt"), 'U');
  Put("Twins/b.TXT", "1");
  Put("Twins/B.txt", "2");
  EXPECT_EQ(FirstByte("twins/b.txt"), '2');  // "B.txt" sorts before "b.TXT"
  // A folder part skips a file of the same name in other case.
  mkdir("Twins/sub", 0755);
  Put("Twins/SUB", "f");
  Put("Twins/sub/in.txt", "i");
  EXPECT_EQ(FirstByte("twins/Sub/in.txt"), 'i');
  EXPECT_EQ(FirstByte("twins/Sub"), 'f');
}

TEST(WindowsNames, WritingFindsTheFolderAndAnExistingFile) {
  mkdir("Logs", 0755);
  FileHandle f = FileOpen("LOGS\\new.txt", "wb", 0);
  ASSERT_NE(f, nullptr);
  FileWriteText(f, "n");
  FileClose(f);
  EXPECT_EQ(Text("Logs/new.txt"), "n");
  Put("Logs/Log.txt", "a");
  f = FileOpen("logs/LOG.TXT", "ab", 0);
  ASSERT_NE(f, nullptr);
  FileWriteText(f, "b");
  FileClose(f);
  EXPECT_EQ(Text("Logs/Log.txt"), "ab");
  EXPECT_EQ(Text("Logs/LOG.TXT"), "(none)");
}

TEST(WindowsNames, ListingsFindTheirFolderInAnyCase) {
  mkdir("TileSets", 0755);
  Put("TileSets/b.gfx", "");
  Put("TileSets/A.gfx", "");
  NamedList list = {};
  ListFolder(&list, "tilesets\\*.*", 0, 0);
  std::vector<std::string> names;
  for (int i = 0; i < list.count; i++) names.push_back(list.items[i].name);
  EXPECT_EQ(names, (std::vector<std::string>{"A.gfx", "b.gfx"}));
  ListFolder(&list, "TILESETS/*.GFX", 0, 0);
  EXPECT_EQ(list.count, 2);
  ListFolder(&list, "tilesets2/*.*", 0, 0);
  EXPECT_EQ(list.count, 0);
  ClearList(&list);
}

// Names beyond any one ANSI code page, UTF-8 on every system: listed, opened,
// stamped and created by that name. The files are made and checked through
// the C++ library's own wide-character paths.
TEST(WindowsNames, UnicodeNamesAreListedOpenedAndMadeInUtf8) {
  const std::vector<std::string> names = {"125-Жук.txt", "126-日本.txt", "143-Łódź.txt"};
  std::filesystem::create_directory("Unicode");
  for (size_t i = 0; i < names.size(); i++) {
    std::ofstream(std::filesystem::u8path("Unicode/" + names[i]), std::ios::binary) << static_cast<char>('a' + i);
  }
  WIN32_FIND_DATAA found;
  std::vector<std::string> listed;
  FindHandle search = FindFirstFileA("Unicode/*.txt", &found);
  ASSERT_NE(search, INVALID_FIND_HANDLE);
  do listed.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, names);
  for (size_t i = 0; i < names.size(); i++) {
    EXPECT_EQ(FirstByte(("Unicode\\" + names[i]).c_str()), 'a' + static_cast<int>(i)) << names[i];
    FileStamp stamp = {0, 0};
    EXPECT_TRUE(GetFileStamp(("Unicode/" + names[i]).c_str(), &stamp)) << names[i];
    EXPECT_EQ(stamp.size, 1);
  }
  const std::string made = "Unicode/Ελλάδα.txt";
  FileHandle f = FileOpen(made.c_str(), "wb", 0);
  ASSERT_NE(f, nullptr);
  FileWriteText(f, "z");
  FileClose(f);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(made)));
}

}  // namespace
