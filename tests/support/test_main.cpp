// Shared main for the unit and integration test programs: every process runs
// headless (SDL's dummy drivers) in a private working folder, so tests that
// write "log.txt" or list folders never see another process's files.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "posix_compat.h"

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
#ifdef _WIN32
  const char* temp = getenv("TEMP");
  std::string pattern = std::string(temp != nullptr ? temp : ".") + "\\zorta-test-XXXXXX";
  const char* dir = mkdtemp(&pattern[0]);
#else
  char tmpl[] = "/tmp/zorta-test-XXXXXX";
  const char* dir = mkdtemp(tmpl);
#endif
  if (dir != nullptr && chdir(dir) == 0) setenv("ZORTA_TEST_DIR", dir, 1);
  ::testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  if (dir != nullptr) {
#ifdef _WIN32
    std::string cmd = std::string("rmdir /s /q \"") + dir + "\"";
#else
    std::string cmd = std::string("rm -rf '") + dir + "'";
#endif
    if (system(cmd.c_str()) != 0) {}
  }
  return rc;
}
