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
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
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

// A fresh folder inside the working folder (the test program's own scratch
// folder), entered for a test: NAME-K, K counting the folders made, so one a
// test could not remove (Windows keeps files open) never stands in the next
// one's way; one an earlier, killed run left, files and all, is removed
// first. Fails the test where it cannot be made: wrap Enter in
// ASSERT_NO_FATAL_FAILURE.
struct WorkFolder {
  std::string home, path;
  void Enter(const std::string& name) {
    static int made = 0;
    std::error_code error;
    home = std::filesystem::current_path(error).string();
    ASSERT_FALSE(error) << error.message();
    path = home + "/" + name + "-" + std::to_string(++made);
    std::filesystem::remove_all(path, error);
    ASSERT_TRUE(std::filesystem::create_directory(path, error)) << path << ": " << error.message();
    std::filesystem::current_path(path, error);
    ASSERT_FALSE(error) << path << ": " << error.message();
  }
  // Back to where Enter was called, then the folder removed (out of it first:
  // Windows keeps a working folder from removal). What the removal met.
  std::error_code Leave() {
    std::error_code error;
    if (home.empty()) return error;
    std::filesystem::current_path(home, error);
    if (error) {
      ADD_FAILURE() << "cannot go back to " << home << ": " << error.message();
      return error;
    }
    std::filesystem::remove_all(path, error);
    home.clear();
    return error;
  }
};

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
