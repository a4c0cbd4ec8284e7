// Small helpers shared by the test programs.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

typedef std::vector<uint8_t> Bytes;

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

// The whole file, or nothing when it cannot be read.
inline Bytes ReadFile(const std::string& path) {
  Bytes out;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return out;
  uint8_t buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  fclose(f);
  return out;
}

// The build folder: every test program lives in its tests/ folder, beside
// zorta, zorta-tool and run/.
inline std::string BuildDir() {
#ifdef _WIN32
  if (_pgmptr == nullptr) return "";
  std::string dir(_pgmptr);
  dir = dir.substr(0, dir.find_last_of("/\\"));
  return dir.substr(0, dir.find_last_of("/\\"));
#else
  char self[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "";
  self[n] = 0;
  std::string dir(self);
  dir = dir.substr(0, dir.rfind('/'));
  return dir.substr(0, dir.rfind('/'));
#endif
}

#ifndef _WIN32
// While it lives, files this process writes stop at `bytes`, as on a full
// disk: the write fails with EFBIG instead of the process being signalled.
struct FileSizeLimit {
  rlimit old;
  void (*oldHandler)(int);
  bool set;
  explicit FileSizeLimit(rlim_t bytes) {
    set = getrlimit(RLIMIT_FSIZE, &old) == 0;
    rlimit small = old;
    small.rlim_cur = bytes;
    oldHandler = signal(SIGXFSZ, SIG_IGN);
    set = set && setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~FileSizeLimit() {
    if (set) setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
  }
};
#endif
