#include "platform/folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/hooks.h"
#include "platform/path.h"

#ifdef _WIN32
#include <direct.h>

#include "platform/win32_api.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>

#include <cstring>
#endif

namespace zorta {

#ifdef _WIN32

// Windows answers the pattern itself: wildcards, "*.*", letter case, either
// separator, "." and "..". Names come and go in UTF-8.
struct FolderSearch {
  Win32Find* find;
};

static void Fill(WIN32_FIND_DATAA* data, const std::string& name, int isDir) {
  data->dwFileAttributes = isDir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  snprintf(data->cFileName, sizeof data->cFileName, "%s", name.c_str());
}

FindHandle FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  if (pattern == nullptr || data == nullptr) return INVALID_FIND_HANDLE;
  std::string name;
  int isDir = 0;
  Win32Find* find = Win32FindFirst(pattern, &name, &isDir);
  if (find == nullptr) return INVALID_FIND_HANDLE;
  Fill(data, name, isDir);
  return new FolderSearch{find};
}

int FindNextFileA(FindHandle handle, WIN32_FIND_DATAA* data) {
  if (handle == INVALID_FIND_HANDLE || data == nullptr) return 0;
  std::string name;
  int isDir = 0;
  if (!Win32FindNext(handle->find, &name, &isDir)) return 0;
  Fill(data, name, isDir);
  return -1;
}

void FindClose(FindHandle handle) {
  if (handle == INVALID_FIND_HANDLE) return;
  Win32FindClose(handle->find);
  delete handle;
}

#else

struct FolderSearch {
  DIR* dir;
  std::string folder;  // with its trailing separator, or empty for the working folder
  std::string match;   // the name pattern
};

static int NextMatch(FolderSearch* s, WIN32_FIND_DATAA* data) {
  while (dirent* e = readdir(s->dir)) {
    if (fnmatch(s->match.c_str(), e->d_name, FNM_CASEFOLD) != 0) continue;
    std::string full = s->folder + e->d_name;
    struct stat st;
    int isDir = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    data->dwFileAttributes = isDir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    snprintf(data->cFileName, sizeof data->cFileName, "%s", e->d_name);
    return -1;
  }
  return 0;
}

FindHandle FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  if (pattern == nullptr || data == nullptr) return INVALID_FIND_HANDLE;
  std::string p(pattern);
  size_t cut = p.find_last_of("/\\");
  FolderSearch* s = new FolderSearch();
  if (cut == std::string::npos) {
    s->match = p;
  } else {
    // The folder is found as Windows finds it, in any letter case.
    std::string folder = p.substr(0, cut);
    s->folder = (folder.empty() ? std::string() : HostPath(folder.c_str())) + "/";
    s->match = p.substr(cut + 1);
  }
  // Windows reads "*.*" as "every name", dotted or not.
  if (s->match == "*.*") s->match = "*";
  s->dir = opendir(s->folder.empty() ? "." : s->folder.c_str());
  if (s->dir == nullptr) {
    delete s;
    return INVALID_FIND_HANDLE;
  }
  if (!NextMatch(s, data)) {
    FindClose(s);
    return INVALID_FIND_HANDLE;
  }
  return s;
}

int FindNextFileA(FindHandle handle, WIN32_FIND_DATAA* data) {
  if (handle == INVALID_FIND_HANDLE || data == nullptr) return 0;
  return NextMatch(handle, data);
}

void FindClose(FindHandle handle) {
  if (handle == INVALID_FIND_HANDLE) return;
  closedir(handle->dir);
  delete handle;
}

#endif

#ifdef _WIN32
// The C library's stat keeps whole seconds there, and two saves of one size
// within a second would look alike.
int GetFileStamp(const char* path, FileStamp* stamp) {
  if (path == nullptr) return 0;
  return Win32FileStamp(path, &stamp->modified, &stamp->size);
}
#else
int GetFileStamp(const char* path, FileStamp* stamp) {
  struct stat st;
  if (path == nullptr || stat(HostPath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return 0;
#if defined(__linux__)
  stamp->modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#else
  stamp->modified = static_cast<int64_t>(st.st_mtime) * 1000000000;
#endif
  stamp->size = static_cast<int64_t>(st.st_size);
  return -1;
}
#endif

ReadFileResult ReadRegularFile(const char* path, size_t limit, std::string* bytes) {
  bytes->clear();
  if (path == nullptr) return ReadFileFailed;
  // Tests fail one file's reads, as a permission would for anyone but root.
  if (SeamShouldFail(("ReadRegularFile(" + std::string(path) + ")").c_str())) return ReadFileFailed;
  std::string host = HostPath(path);
  struct stat st;
#ifdef _WIN32
  // The UTF-8 name through the wide-character calls.
  int plain = 0;
  if (!Win32FileKind(host.c_str(), &plain)) return ReadFileFailed;
  if (!plain) return ReadFileNotRegular;
  FILE* f = HostOpenFile(host.c_str(), "rb");
  if (f == nullptr) return ReadFileFailed;
  bool regular = fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode);
  char block[4096];
  size_t got = 0;
  while (regular && bytes->size() < limit && (got = fread(block, 1, std::min(sizeof block, limit - bytes->size()), f)) > 0)
    bytes->append(block, got);
  bool failed = ferror(f) != 0;
  fclose(f);
#else
  if (stat(host.c_str(), &st) != 0) return ReadFileFailed;
  if (!S_ISREG(st.st_mode)) return ReadFileNotRegular;
  int fd = open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ReadFileFailed;
  bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  char block[4096];
  ssize_t got = 0;
  while (regular && bytes->size() < limit &&
         (got = read(fd, block, std::min(sizeof block, limit - bytes->size()))) != 0) {
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    bytes->append(block, static_cast<size_t>(got));
  }
  bool failed = got < 0;
  close(fd);
#endif
  if (!regular) return ReadFileNotRegular;
  return failed ? ReadFileFailed : ReadFileDone;
}

int CreateFolder(const char* path) {
  if (path == nullptr) return 0;
  std::string host = HostPath(path);
#ifdef _WIN32
  int made = _mkdir(host.c_str());
#else
  int made = mkdir(host.c_str(), 0777);
#endif
  struct stat st;
  return (made == 0 || errno == EEXIST) && stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? -1 : 0;
}

int RemoveFile(const char* path) {
  if (path == nullptr) return 0;
  std::string host = HostPath(path);
  struct stat st;
  return remove(host.c_str()) == 0 || stat(host.c_str(), &st) != 0 ? -1 : 0;
}

}  // namespace zorta
