// Private to the platform layer on Windows: the few Win32 calls the stand-ins
// make, behind names of their own, because folder.h declares FindFirstFileA
// and WIN32_FIND_DATAA itself and cannot meet <windows.h> in one file.
// Names cross this boundary in UTF-8 and go to the system through its
// wide-character calls, so that any name a user can type is found, not only
// those of the ANSI code page.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace zorta {

struct Win32Find;  // an open FindFirstFileW enumeration

// The first entry matching the pattern, or null; `name` (UTF-8) and `isDir`
// describe it.
Win32Find* Win32FindFirst(const char* pattern, std::string* name, int* isDir);
// -1 with the next entry, 0 at the end.
int Win32FindNext(Win32Find* find, std::string* name, int* isDir);
void Win32FindClose(Win32Find* find);

// The Windows fonts folder (%WINDIR%\Fonts), without a trailing separator.
std::string Win32FontsFolder();
// The font file the system registers for a TrueType face ("Arial"), as a full
// name; empty when the face is not registered.
std::string Win32RegisteredFontFile(const char* face);

// A file's last write time (nanoseconds, from the system's 100 ns clock) and
// size: -1; 0 for a folder or a missing file.
int Win32FileStamp(const char* path, int64_t* modified, int64_t* size);

// -1 when the name exists, with *plain -1 for a file (not a folder or a
// device); 0 when it does not.
int Win32FileKind(const char* path, int* plain);

// fopen for a UTF-8 name; null on failure.
FILE* Win32OpenFile(const char* path, const char* mode);

// Makes the folder of that UTF-8 name the working folder: -1, or 0 with the
// system's reason in *error.
int Win32EnterFolder(const char* path, std::string* error);

}  // namespace zorta
