// Running a program on the framework: the window, the sound bank, the maps
// of a data folder and the frame loop, started by one call.
#pragma once
#include <cstdint>

#include "zorta/sfx.h"
#include "zorta/world.h"

namespace zorta {

/// What RunProgram starts.
struct ProgramOptions {
  const char* title = "Zorta";       // the window's caption
  const char* dataFolder = nullptr;  // holds Maps/ and TileSets/; null: the working folder
  const char* firstMap = nullptr;    // map of Maps/ to start on; null: the first by name; "": none
  bool headless = false;             // SDL's dummy video and audio drivers, no window shown
  bool soundBank = true;             // synthesise the 89-sound bank (and the user's Sounds/) at start
  uint32_t frames = 0;               // stop after this many frames; 0: until the window closes
  void (*setUp)() = nullptr;         // once the display is up, before the first frame
  void (*frame)() = nullptr;         // every frame, after the world is drawn
  int32_t colorDepth = 16;           // the picture's depth: 15, 16, 24 or 32
};

// Unknown arguments and a --frames that is not a count are reported on
// stderr with the usage (exit code 2); --help prints the usage on stdout (0).
/// Reads --headless, --frames N, --data DIR, --map NAME, --no-bank and --help into *options; -1 to go on, else the exit code.
int ParseProgramArguments(int argc, char** argv, ProgramOptions* options);
// The data folder becomes the working folder: Maps/, TileSets/, Sounds/ and
// log.txt, and the relative names given to LoadImage and LoadSprite, are
// found there. A folder that cannot be entered or a first map that Maps/
// does not hold is reported on stderr, exit code 1; a fatal error (ErrorText)
// also ends the run with exit code 1.
/// Starts the program as the options say and runs its frames until the window closes; the exit code.
int RunProgram(const ProgramOptions& options);
/// Closes the window at the end of this frame, as its close button would: RunProgram then returns.
void QuitProgram();

}  // namespace zorta
