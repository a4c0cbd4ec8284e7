// The POSIX calls the tests make that MinGW's C library lacks, so the same
// test programs build for Windows. Nothing here on other systems.
#pragma once
#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <process.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name) != nullptr) return 0;
  return _putenv_s(name, value);
}

inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

// The C library's _mktemp gives a pattern only 26 names per process: the
// trailing X's are replaced here from a counter and the clock instead.
inline char* mkdtemp(char* pattern) {
  size_t n = strlen(pattern);
  if (n < 6 || strcmp(pattern + n - 6, "XXXXXX") != 0) return nullptr;
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 1000; attempt++) {
    unsigned v = static_cast<unsigned>(_getpid()) * 7919u + static_cast<unsigned>(time(nullptr)) + ++counter;
    for (size_t i = n - 6; i < n; i++, v /= 36) pattern[i] = "0123456789abcdefghijklmnopqrstuvwxyz"[v % 36];
    if (_mkdir(pattern) == 0) return pattern;
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// Windows has no named pipes among a folder's files: the tests that make one
// are left out of the Windows run (scripts/windows/test.sh).
inline int mkfifo(const char*, int) {
  errno = ENOSYS;
  return -1;
}

// Windows folders have no permission bits.
inline int mkdir(const char* path, int) { return _mkdir(path); }

#define popen _popen
#define pclose _pclose
// system() answers the program's exit code itself.
#define WEXITSTATUS(status) (status)
#endif
