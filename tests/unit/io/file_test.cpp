// The file-reading layer: byte orders of file and memory handles, strings,
// skips, reads past the end, and name comparison.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "io/file.h"
#include "test_util.h"

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace zorta;

namespace {

void WriteBytes(const char* path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path, "wb");
  ASSERT_NE(f, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

TEST(FileLayer, ByteOrderOfStreamsAndMemory) {
  const std::vector<uint8_t> bytes = {0x12, 0x34, 0x00, 0x00, 0x80, 0x3F, 0x3F, 0x80,
                                      0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
  WriteBytes("order.bin", bytes);
  // A file and a memory block of the same bytes read alike in either order.
  for (int memory : {0, -1}) {
    SCOPED_TRACE(memory ? "memory" : "file");
    FileHandle f = memory ? FileOpenMemory(bytes.data(), bytes.size(), 0) : FileOpen("order.bin", "rb", 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadU16(f), 0x3412);
    EXPECT_EQ(ReadF32(f), 1.0f);
    SkipN(f, 4);
    EXPECT_EQ(ReadRaw32(f), 1u);
    FileClose(f);

    f = memory ? FileOpenMemory(bytes.data(), bytes.size(), 1) : FileOpen("order.bin", "rb", 1);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadU16(f), 0x1234);
    Skip4(f);
    EXPECT_EQ(ReadF32(f), 1.0f);
    EXPECT_EQ(ReadRaw32(f), 1u);
    EXPECT_EQ(FileBytesLeft(f), 0);
    EXPECT_EQ(FilePastEnd(f), 0);
    FileClose(f);
  }

  // 12 34 00 01 as a 32-bit value both ways.
  WriteBytes("word.bin", {0x12, 0x34, 0x00, 0x01});
  FileHandle f = FileOpen("word.bin", "rb", 1);
  EXPECT_EQ(ReadI32(f), 0x12340001u);
  FileClose(f);
  f = FileOpen("word.bin", "rb", 0);
  EXPECT_EQ(ReadI32(f), 0x01003412u);
  FileClose(f);
}

TEST(FileLayer, ByteOrderBelongsToEachHandle) {
  WriteBytes("pair.bin", {0x12, 0x34, 0x56, 0x78, 0x3F, 0x80, 0x00, 0x00});
  static const uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78, 0x00, 0x00, 0x80, 0x3F};
  // Open at once and read in turns, each keeps its own order; neither a
  // later open nor one that fails changes that.
  FileHandle big = FileOpen("pair.bin", "rb", 1);
  FileHandle little = FileOpen("pair.bin", "rb", 0);
  FileHandle memoryBig = FileOpenMemory(bytes, sizeof bytes, 1);
  ASSERT_NE(big, nullptr);
  ASSERT_NE(little, nullptr);
  ASSERT_NE(memoryBig, nullptr);
  EXPECT_EQ(FileOpen("no-such-file.bin", "rb", 0), nullptr);
  FileHandle memoryLittle = FileOpenMemory(bytes, sizeof bytes, 0);
  EXPECT_EQ(ReadU16(big), 0x1234);
  EXPECT_EQ(ReadU16(little), 0x3412);
  EXPECT_EQ(ReadU16(memoryBig), 0x1234);
  EXPECT_EQ(ReadU16(memoryLittle), 0x3412);
  EXPECT_EQ(FileOpen("no-such-file.bin", "rb", 1), nullptr);
  EXPECT_EQ(ReadU16(little), 0x7856);
  EXPECT_EQ(ReadU16(big), 0x5678);
  EXPECT_EQ(ReadU16(memoryLittle), 0x7856);
  EXPECT_EQ(ReadU16(memoryBig), 0x5678);
  EXPECT_EQ(ReadF32(big), 1.0f);
  EXPECT_EQ(ReadF32(memoryLittle), 1.0f);
  EXPECT_EQ(ReadI32(memoryBig), 0x0000803Fu);
  FileClose(memoryLittle);
  EXPECT_EQ(ReadI32(little), 0x0000803Fu);
  FileClose(big);
  FileClose(little);
  FileClose(memoryBig);
}

TEST(FileLayer, StringsAndSkips) {
  std::vector<uint8_t> bytes = {0, 'a', 'b', 0, 'x', 'y', 'z', 0};
  std::string longName(300, 'q');
  bytes.insert(bytes.end(), longName.begin(), longName.end());
  bytes.push_back(0);
  bytes.push_back(0x5A);
  WriteBytes("strings.bin", bytes);

  FileHandle f = FileOpen("strings.bin", "rb", 0);
  ASSERT_NE(f, nullptr);
  char* empty = ReadStringCopy(f);
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty, "");
  MemFree(empty);
  SkipN(f, 0);
  char* ab = ReadStringCopy(f);
  EXPECT_STREQ(ab, "ab");
  MemFree(ab);
  char small[3];
  memset(small, 0x7F, sizeof small);
  ReadStringInto(f, small, sizeof small);  // "xyz" cut to fit, consumed whole
  EXPECT_STREQ(small, "xy");
  char* cut = ReadStringCopy(f);  // 300 characters: 255 kept, the rest consumed
  EXPECT_EQ(strlen(cut), 255u);
  MemFree(cut);
  EXPECT_EQ(ReadU8(f), 0x5A);
  EXPECT_EQ(FilePastEnd(f), 0);
  FileClose(f);
}

TEST(FileLayer, ReadsPastTheEndYieldZerosAndMark) {
  WriteBytes("short.bin", {0xAA, 0xBB, 0xCC});
  FileHandle f = FileOpen("short.bin", "rb", 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(FileBytesLeft(f), 3);
  EXPECT_EQ(ReadU16(f), 0xBBAA);
  EXPECT_EQ(FilePastEnd(f), 0);
  EXPECT_EQ(ReadI32(f), 0xCCu);  // one byte there, three missing
  EXPECT_EQ(FilePastEnd(f), -1);
  EXPECT_EQ(ReadU8(f), 0);
  uint8_t block[4] = {9, 9, 9, 9};
  ReadBlock(f, block, 4);
  EXPECT_EQ(block[0] | block[1] | block[2] | block[3], 0);
  FileClose(f);

  // A skip beyond the end marks the stream too; a negative one does not move.
  f = FileOpen("short.bin", "rb", 0);
  SkipN(f, 3);
  EXPECT_EQ(FilePastEnd(f), 0);
  SkipN(f, 1);
  EXPECT_EQ(FilePastEnd(f), -1);
  FileClose(f);
  f = FileOpen("short.bin", "rb", 0);
  Skip1(f);
  SkipN(f, -1);
  EXPECT_EQ(FilePastEnd(f), -1);
  FileClose(f);

  // An unterminated string at the end stops there.
  static const uint8_t text[] = {'a', 'b'};
  f = FileOpenMemory(text, sizeof text, 0);
  char* s = ReadStringCopy(f);
  EXPECT_STREQ(s, "ab");
  MemFree(s);
  EXPECT_EQ(FilePastEnd(f), -1);
  FileClose(f);
  f = FileOpenMemory(text, sizeof text, 0);
  EXPECT_EQ(FilePastEnd(f), 0);
  SkipN(f, -1);  // marks the handle; from then on everything reads as zero
  EXPECT_EQ(FilePastEnd(f), -1);
  EXPECT_EQ(ReadU8(f), 0);
  EXPECT_EQ(FileBytesLeft(f), 0);
  FileClose(f);
  f = FileOpenMemory(text, sizeof text, 0);
  SkipN(f, 2);
  EXPECT_EQ(FilePastEnd(f), 0);
  EXPECT_EQ(ReadRaw32(f), 0u);
  EXPECT_EQ(FilePastEnd(f), -1);
  FileClose(f);
  f = FileOpenMemory(text, sizeof text, 0);
  SkipN(f, 3);  // a skip past the end marks a memory handle as it does a stream
  EXPECT_EQ(FilePastEnd(f), -1);
  EXPECT_EQ(ReadU8(f), 0);
  FileClose(f);
}

TEST(FileLayer, AMemoryHandleReadsOnlyItsBlock) {
  uint8_t* block = static_cast<uint8_t*>(MemAlloc(16));
  for (int i = 0; i < 16; i++) block[i] = static_cast<uint8_t>(i);
  // Bytes after the given size belong to someone else.
  FileHandle f = FileOpenMemory(block + 4, 8, 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(ReadU8(f), 4);
  EXPECT_EQ(FileBytesLeft(f), 7);
  uint8_t rest[10];
  memset(rest, 0xEE, sizeof rest);
  ReadBlock(f, rest, 10);
  EXPECT_EQ(rest[6], 11);
  EXPECT_EQ(rest[7], 0);
  EXPECT_EQ(rest[9], 0);
  EXPECT_EQ(FilePastEnd(f), -1);
  FileClose(f);
  // Closing lets go of the block without freeing it: it is still the
  // caller's to read and free (ASan would tell otherwise).
  EXPECT_EQ(block[15], 15);
  MemFree(block);

  // An empty or absent block is a handle at its end.
  f = FileOpenMemory(nullptr, 5, 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(FileBytesLeft(f), 0);
  EXPECT_EQ(ReadU8(f), 0);
  EXPECT_EQ(FilePastEnd(f), -1);
  FileClose(f);
  FileClose(nullptr);
}

TEST(FileLayer, AllocationWrappers) {
  uint8_t* z = static_cast<uint8_t*>(MemAllocZero(64));
  ASSERT_NE(z, nullptr);
  for (int i = 0; i < 64; i++) EXPECT_EQ(z[i], 0);
  z[0] = 7;
  z = static_cast<uint8_t*>(MemRealloc(z, 4096));
  EXPECT_EQ(z[0], 7);
  MemFree(z);
  MemFree(nullptr);
  char* copy = StrDup("Maps");
  EXPECT_STREQ(copy, "Maps");
  MemFree(copy);
}

TEST(FileLayer, NamesEqualFoldsOnlyAsciiLetters) {
  EXPECT_EQ(NamesEqual("Maps", "mAPS"), -1);
  EXPECT_EQ(NamesEqual("map", "maps"), 0);
  EXPECT_EQ(NamesEqual("maps", "map"), 0);
  EXPECT_EQ(NamesEqual("", ""), -1);
  EXPECT_EQ(NamesEqual("[", "{"), 0);
  EXPECT_EQ(NamesEqual("@", "`"), 0);
  EXPECT_EQ(NamesEqual("\xC4", "\xE4"), 0);  // bytes from 128 up compare exactly
  EXPECT_EQ(NamesEqual("\xC4x", "\xC4X"), -1);
}

}  // namespace

#ifndef _WIN32
// A whole-file replacement that cannot be written (here the file-size limit
// stops it, as a full disk would) leaves the earlier file as it was and no
// temporary file beside it; one that can replaces it.
TEST(FileLayer, AReplacementThatFailsLeavesTheEarlierFileWhole) {
  const char* path = "replace-whole.txt";
  WriteBytes(path, {'o', 'l', 'd', '\n'});
  std::string big(64 * 1024, 'x');
  int replaced;
  {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.set);
    replaced = FileReplaceWhole(path, big.data(), big.size());
  }
  EXPECT_EQ(replaced, 0);
  EXPECT_EQ(ReadWholeFile(path), "old\n");
  EXPECT_EQ(access((std::string(path) + ".tmp").c_str(), F_OK), -1) << "the temporary file was left behind";
  // A folder that does not exist: refused, nothing made.
  EXPECT_EQ(FileReplaceWhole("no-such-folder/x.txt", "new\n", 4), 0);
  EXPECT_EQ(FileReplaceWhole(path, "new\n", 4), -1);
  EXPECT_EQ(ReadWholeFile(path), "new\n");
  remove(path);
}
#endif
