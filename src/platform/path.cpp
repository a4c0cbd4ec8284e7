#include "platform/path.h"

#ifdef _WIN32
#include "platform/win32_api.h"
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace zorta {

#ifdef _WIN32

std::string HostPath(const char* path) { return path != nullptr ? path : ""; }

FILE* HostOpenFile(const char* path, const char* mode) { return Win32OpenFile(path, mode); }

int EnterFolder(const char* path, std::string* error) { return Win32EnterFolder(path, error); }

#else

namespace {

bool Exists(const std::string& path, bool folderOnly) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  return !folderOnly || S_ISDIR(st.st_mode);
}

bool SameIgnoringCase(const char* a, const char* b) {
  for (;; a++, b++) {
    unsigned char c = static_cast<unsigned char>(*a), d = static_cast<unsigned char>(*b);
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
    if (d >= 'A' && d <= 'Z') d = static_cast<unsigned char>(d + 32);
    if (c != d) return false;
    if (c == 0) return true;
  }
}

// The entry of `folder` (with its trailing "/", or empty for the working
// folder) that `name` means; empty when there is none.
std::string MatchEntry(const std::string& folder, const std::string& name, bool folderOnly) {
  if (Exists(folder + name, folderOnly)) return name;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return "";
  std::string best;
  while (dirent* e = readdir(dir)) {
    if (!SameIgnoringCase(e->d_name, name.c_str())) continue;
    if (!best.empty() && best.compare(e->d_name) <= 0) continue;
    if (folderOnly && !Exists(folder + e->d_name, true)) continue;
    best = e->d_name;
  }
  closedir(dir);
  return best;
}

}  // namespace

std::string HostPath(const char* path) {
  if (path == nullptr) return "";
  std::string name(path);
  for (char& c : name)
    if (c == '\\') c = '/';
  if (name.empty() || Exists(name, false)) return name;
  std::string done;  // resolved so far, ending in "/" unless empty
  size_t start = 0;
  if (name[0] == '/') {
    done = "/";
    start = 1;
  }
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    bool last = end == std::string::npos;
    std::string part = name.substr(start, last ? std::string::npos : end - start);
    if (part.empty() || part == "." || part == "..") {
      done += part;  // a doubled or trailing "/", or a step that names no entry
    } else {
      std::string found = MatchEntry(done, part, !last);
      if (found.empty()) return done + name.substr(start);
      done += found;
    }
    if (last) break;
    done += '/';
    start = end + 1;
  }
  return done;
}

FILE* HostOpenFile(const char* path, const char* mode) { return fopen(HostPath(path).c_str(), mode); }

int EnterFolder(const char* path, std::string* error) {
  if (chdir(HostPath(path).c_str()) == 0) return -1;
  *error = strerror(errno);
  return 0;
}

#endif

}  // namespace zorta
