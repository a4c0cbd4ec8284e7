// Binary file reading with a process-wide byte order, and the reserved
// memory-source handle.
#pragma once
#include <cstdint>
#include <cstdio>

struct FileStream;  // a buffered stdio stream and its end-of-data mark
typedef FileStream* FileHandle;

// The reserved handle for reading from the process-wide memory source.
#define MemoryFile (reinterpret_cast<FileHandle>(static_cast<uintptr_t>(0x101010)))

extern int ByteOrder;  // 1: big-endian streams; anything else: little-endian

// Sets ByteOrder (also when the open fails), then opens the file with the
// stdio mode text. Null on failure.
FileHandle FileOpen(const char* path, const char* mode, int byteOrder);
void FileClose(FileHandle handle);
// Writes text as it stands ("%s"); used by the log.
void FileWriteText(FileHandle handle, const char* text);
