// Binary file reading with a process-wide byte order, the reserved
// memory-source handle, the allocation wrappers and case-insensitive names.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct FileStream;  // a buffered stdio stream and its end-of-data mark
typedef FileStream* FileHandle;

// The reserved handle for reading from the process-wide memory source.
#define MemoryFile (reinterpret_cast<FileHandle>(static_cast<uintptr_t>(0x101010)))

extern int ByteOrder;  // 1: big-endian streams; anything else: little-endian

// What MemoryFile reads from. The size bounds the reads: past it they yield
// zeros and set pastEnd, like a stream that ran out of data.
struct MemorySourceState {
  const uint8_t* base;  // offset 0
  void* owned;          // freed (MemFree) by FileClose(MemoryFile)
  int32_t offset;
  int32_t size;         // bytes readable from base
  int32_t pastEnd;      // -1 once a read or skip went past size
};
extern MemorySourceState MemorySource;

// Points MemoryFile at size bytes from base, offset 0, clearing the end mark.
// `owned` is what closing MemoryFile frees (null: nothing).
void SetMemorySource(const void* base, int32_t size, void* owned);

// Sets ByteOrder (also when the open fails), then opens the file with the
// stdio mode text. The path is taken as Windows takes it: "\\" separates
// folders and letter case does not matter (HostPath). Null on failure;
// never MemoryFile.
FileHandle FileOpen(const char* path, const char* mode, int byteOrder);
void FileClose(FileHandle handle);
// Writes text as it stands ("%s"); used by the log.
void FileWriteText(FileHandle handle, const char* text);

// Readers. A read past the end of the data yields zero bytes for what is
// missing and marks the handle (FilePastEnd), so loaders can stop cleanly.
uint8_t ReadU8(FileHandle handle);
uint16_t ReadU16(FileHandle handle);
uint32_t ReadI32(FileHandle handle);
uint32_t ReadRaw32(FileHandle handle);
float ReadF32(FileHandle handle);
void ReadBlock(FileHandle handle, void* destination, int32_t count);
// The string up to its NUL as a new copy (StrDup); characters past the 255th
// are consumed but dropped.
char* ReadStringCopy(FileHandle handle);
// The string up to its NUL into destination, which holds `size` bytes; longer
// strings are consumed whole and cut to size - 1 characters.
void ReadStringInto(FileHandle handle, char* destination, size_t size);
void Skip1(FileHandle handle);
void Skip2(FileHandle handle);
void Skip4(FileHandle handle);
// Seeks count bytes forward. A negative count does not move and marks the
// handle: a hostile length must not send a loader backwards forever.
void SkipN(FileHandle handle, int32_t count);

// -1 once a read or skip on this handle went past the end of its data.
int FilePastEnd(FileHandle handle);
// Bytes left between the position and the end of the data (0 when unknown
// or past it), so loaders can check a stored length before they allocate.
int64_t FileBytesLeft(FileHandle handle);

// Allocation wrappers: no checks, a null result is passed on.
void* MemAlloc(size_t size);
void* MemAllocZero(size_t size);
void* MemRealloc(void* block, size_t size);
void MemFree(void* block);
char* StrDup(const char* text);

// -1 when the two names are equal ignoring the case of ASCII letters, else 0.
int NamesEqual(const char* a, const char* b);
