// The start of a program on the framework as a game makes it: its options,
// from the command line or set by hand, and the one call that runs it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app.h"
#include "io/named_list.h"
#include "platform/path.h"
#include "platform/text.h"
#include "platform/window.h"
#include "world/world.h"

namespace zorta {

namespace {

const char ProgramUsage[] = "usage: %s [--headless] [--frames N] [--data DIR] [--map NAME] [--no-bank]\n";

const char* ProgramName(int argc, char** argv) {
  if (argc < 1 || argv[0] == nullptr || argv[0][0] == 0) return "zorta";
  const char* name = argv[0];
  for (const char* p = argv[0]; *p != 0; p++)
    if (*p == '/' || *p == '\\') name = p + 1;
  return name;
}

int ArgumentError(const char* name, const char* why) {
  fprintf(stderr, "%s: %s\n", name, why);
  fprintf(stderr, ProgramUsage, name);
  return 2;
}

// The options RunProgram applies where the shell lets a program in: before
// the window (caption and depth) and once the display is up.
ProgramOptions running;

void BeforeWindow() {
  snprintf(WindowTitle, sizeof WindowTitle, "%s", running.title != nullptr ? running.title : "Zorta");
  ColorDepth = running.colorDepth;
}

void AfterWindow() {
  if (running.setUp != nullptr) running.setUp();
}

}  // namespace

int ParseProgramArguments(int argc, char** argv, ProgramOptions* options) {
  const char* name = ProgramName(argc, argv);
  for (int i = 1; i < argc; i++) {
    const char* a = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (strcmp(a, "--help") == 0 || strcmp(a, "-h") == 0) {
      printf(ProgramUsage, name);
      printf("  --headless   no window and no sound (SDL's dummy drivers)\n"
             "  --frames N   stop after N frames (default: when the window closes)\n"
             "  --data DIR   the folder holding Maps/ and TileSets/ (default: the working folder)\n"
             "  --map NAME   the map of Maps/ to start on (default: the first by name; \"\" for none)\n"
             "  --no-bank    start without synthesising the sound bank\n"
             "  --help       this text\n");
      return fflush(stdout) == 0 && !ferror(stdout) ? 0 : 1;
    } else if (strcmp(a, "--headless") == 0) {
      options->headless = true;
    } else if (strcmp(a, "--no-bank") == 0) {
      options->soundBank = false;
    } else if (strcmp(a, "--frames") == 0) {
      char* end = nullptr;
      unsigned long long n = value != nullptr ? strtoull(value, &end, 10) : 0;
      if (value == nullptr || value[0] < '0' || value[0] > '9' || *end != 0 || n > UINT32_MAX)
        return ArgumentError(name, "--frames wants a count from 0 to 4294967295");
      options->frames = static_cast<uint32_t>(n);
      i++;
    } else if (strcmp(a, "--data") == 0) {
      if (value == nullptr) return ArgumentError(name, "--data wants a folder");
      options->dataFolder = value;
      i++;
    } else if (strcmp(a, "--map") == 0) {
      if (value == nullptr) return ArgumentError(name, "--map wants a map name");
      options->firstMap = value;
      i++;
    } else {
      return ArgumentError(name, (std::string("unknown argument '") + a + "'").c_str());
    }
  }
  return -1;
}

int RunProgram(const ProgramOptions& options) {
  // SDL reads its drivers when it starts them: before the bank opens sound
  // output and before the window.
  if (options.headless) WinUseHeadlessDrivers();
  if (options.dataFolder != nullptr && options.dataFolder[0] != 0) {
    std::string error;
    if (!EnterFolder(options.dataFolder, &error)) {
      fprintf(stderr, "zorta: cannot enter '%s': %s\n", options.dataFolder, error.c_str());
      return 1;
    }
  }
  if (options.firstMap != nullptr && options.firstMap[0] != 0) {
    ListFolder(&MapList, "Maps/*.*", 0, 0);
    bool found = FindItem(&MapList, options.firstMap) != nullptr;
    ClearList(&MapList);
    if (!found) {
      fprintf(stderr, "zorta: Maps/ holds no map '%s'\n", options.firstMap);
      return 1;
    }
  }
  running = options;
  ConnectShell();
  SetWorldFrameLastDrawing(options.frame, 0);
  FirstMapName = options.firstMap;
  ShellRun run;
  run.soundBank = options.soundBank ? -1 : 0;
  run.beforeWindow = BeforeWindow;
  run.afterWindow = AfterWindow;
  run.frames = options.frames;
  int rc = RunShellWith(nullptr, 1, run);
  // A fatal error ends the run as a close does; a script running a game
  // headless must still see that it failed.
  if (rc == 0 && ErrorText[0] != 0) rc = 1;
  TextShutdown();
  WinShutdownPlatform();
  return rc;
}

void QuitProgram() { WinPostMessage(WM_CLOSE, 0, 0); }

}  // namespace zorta
