// Binary file reading through handles, each a file or a block of memory with
// its own byte order; the allocation wrappers and case-insensitive names.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace zorta {

// A buffered stdio stream or a memory block, with its byte order and its
// end-of-data mark.
struct FileStream;
typedef FileStream* FileHandle;

// Opens the file with the stdio mode text. The handle reads multi-byte
// values big-endian when byteOrder is 1, little-endian otherwise. The path
// is taken as Windows takes it: "\\" separates folders and letter case does
// not matter (HostPath). Null on failure.
FileHandle FileOpen(const char* path, const char* mode, int byteOrder);
// A handle that reads the size bytes at base as FileOpen's handle reads a
// file of those bytes, in the given byte order. The block stays the
// caller's and must outlive the handle.
FileHandle FileOpenMemory(const void* base, size_t size, int byteOrder);
// Closes the stream, or lets go of the memory block without freeing it.
void FileClose(FileHandle handle);
// Writes size bytes as the whole new content of path: into "path.tmp" beside
// it first, renamed over path only once complete, so a failed write leaves
// the old file as it was. -1 on success, 0 on failure (the temporary file
// removed).
int FileReplaceWhole(const char* path, const void* data, size_t size);
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

}  // namespace zorta
