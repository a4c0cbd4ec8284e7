// The file-reading layer: byte orders, the memory source, strings, skips,
// reads past the end, and name comparison.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "io/file.h"

namespace {

void WriteBytes(const char* path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path, "wb");
  ASSERT_NE(f, nullptr);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

TEST(FileLayer, ByteOrderOfStreamsAndMemory) {
  WriteBytes("order.bin", {0x12, 0x34, 0x00, 0x00, 0x80, 0x3F, 0x3F, 0x80, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00});
  FileHandle f = FileOpen("order.bin", "rb", 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(ReadU16(f), 0x3412);
  EXPECT_EQ(ReadF32(f), 1.0f);
  SkipN(f, 4);
  EXPECT_EQ(ReadRaw32(f), 1u);
  FileClose(f);

  f = FileOpen("order.bin", "rb", 1);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(ByteOrder, 1);
  EXPECT_EQ(ReadU16(f), 0x1234);
  Skip4(f);
  EXPECT_EQ(ReadF32(f), 1.0f);
  EXPECT_EQ(ReadRaw32(f), 1u);
  FileClose(f);

  // 12 34 00 01 as a 32-bit value both ways.
  WriteBytes("word.bin", {0x12, 0x34, 0x00, 0x01});
  f = FileOpen("word.bin", "rb", 1);
  EXPECT_EQ(ReadI32(f), 0x12340001u);
  FileClose(f);
  f = FileOpen("word.bin", "rb", 0);
  EXPECT_EQ(ReadI32(f), 0x01003412u);
  FileClose(f);

  // The memory source ignores ByteOrder.
  static const uint8_t bytes[] = {0x12, 0x34, 0x3F, 0x80, 0x00, 0x00};
  for (int order : {0, 1}) {
    ByteOrder = order;
    SetMemorySource(bytes, sizeof bytes, nullptr);
    EXPECT_EQ(ReadU16(MemoryFile), 0x3412);
    EXPECT_EQ(ReadI32(MemoryFile), 0x0000803Fu);
    EXPECT_EQ(MemorySource.offset, 6);
  }
}

TEST(FileLayer, FailedOpenStillSetsByteOrder) {
  ByteOrder = 0;
  EXPECT_EQ(FileOpen("no-such-file.bin", "rb", 1), nullptr);
  EXPECT_EQ(ByteOrder, 1);
  EXPECT_EQ(FileOpen("no-such-file.bin", "rb", 7), nullptr);
  EXPECT_EQ(ByteOrder, 7);
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
  SetMemorySource(text, sizeof text, nullptr);
  char* s = ReadStringCopy(MemoryFile);
  EXPECT_STREQ(s, "ab");
  MemFree(s);
  EXPECT_EQ(FilePastEnd(MemoryFile), -1);
  SetMemorySource(text, sizeof text, nullptr);
  EXPECT_EQ(FilePastEnd(MemoryFile), 0);
  SkipN(MemoryFile, -1);  // marks the source; from then on everything reads as zero
  EXPECT_EQ(FilePastEnd(MemoryFile), -1);
  EXPECT_EQ(ReadU8(MemoryFile), 0);
  EXPECT_EQ(FileBytesLeft(MemoryFile), 0);
  SetMemorySource(text, sizeof text, nullptr);
  SkipN(MemoryFile, 2);
  EXPECT_EQ(FilePastEnd(MemoryFile), 0);
  EXPECT_EQ(ReadRaw32(MemoryFile), 0u);
  EXPECT_EQ(FilePastEnd(MemoryFile), -1);
}

TEST(FileLayer, ClosingMemoryFileFreesTheOwnedBlockOnce) {
  uint8_t* block = static_cast<uint8_t*>(MemAlloc(16));
  for (int i = 0; i < 16; i++) block[i] = static_cast<uint8_t>(i);
  SetMemorySource(block + 4, 12, block);
  EXPECT_EQ(ReadU8(MemoryFile), 4);
  FileClose(MemoryFile);
  EXPECT_EQ(MemorySource.owned, nullptr);
  EXPECT_EQ(MemorySource.offset, 1);  // base and offset stay
  FileClose(MemoryFile);              // a second close frees nothing (ASan would tell)
  MemorySource.base = nullptr;
  MemorySource.size = 0;
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
