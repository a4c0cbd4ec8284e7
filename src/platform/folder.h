// Folder-search stand-in: FindFirstFileA / FindNextFileA over a
// "folder/*.*"-style pattern, reporting the directory attribute.
// Backed by POSIX opendir/readdir and fnmatch, on Windows by the system's own
// FindFirstFileW. Names are UTF-8 on every system.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace zorta {

enum : uint32_t { FILE_ATTRIBUTE_DIRECTORY = 0x10, FILE_ATTRIBUTE_NORMAL = 0x80 };

struct WIN32_FIND_DATAA {
  uint32_t dwFileAttributes;
  // Any Windows name (255 UTF-16 units) in UTF-8, with its NUL.
  char cFileName[768];
};

struct FolderSearch;  // an open enumeration
typedef FolderSearch* FindHandle;
#define INVALID_FIND_HANDLE (static_cast<FindHandle>(nullptr))

// The first entry matching the pattern, or INVALID_FIND_HANDLE when the
// folder cannot be opened or nothing matches. Only the last path component
// may hold wildcards; "*.*" matches every name, as on Windows, and letter
// case is ignored, in the folder's name too (HostPath). "." and ".." are
// reported like any folder.
FindHandle FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
// The next matching entry: nonzero when one was found, 0 at the end.
int FindNextFileA(FindHandle handle, WIN32_FIND_DATAA* data);
void FindClose(FindHandle handle);

// What tells a changed file: its modification time and size. -1 when the
// file exists (the name is found as HostPath finds it), 0 otherwise.
struct FileStamp {
  int64_t modified;  // nanoseconds since 1970 where the system keeps them
  int64_t size;
};
int GetFileStamp(const char* path, FileStamp* stamp);

enum ReadFileResult { ReadFileDone, ReadFileFailed, ReadFileNotRegular };
// Reads at most `limit` bytes of a regular file into *bytes without ever
// waiting on it: a pipe, a device or a folder is refused before it is
// opened, and opened without blocking in case it changes in between.
ReadFileResult ReadRegularFile(const char* path, size_t limit, std::string* bytes);

// Makes one folder (its parent must exist). -1 when it is there afterwards,
// made now or before; 0 otherwise.
int CreateFolder(const char* path);
// Removes a file. -1 when it is gone afterwards, 0 when it could not be removed.
int RemoveFile(const char* path);

}  // namespace zorta
