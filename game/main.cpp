// zorta-game: Zorta Collect, the example game on the framework.
//
//   zorta-game [--data DIR] [--seed N] [--level NAME] [--record FILE]
//   zorta-game [--data DIR] --replay FILE [--trace N]
//
// It runs on the data of DIR (default: the working folder), which holds
// Maps/ and TileSets/. --record writes the control bits of every logic step to FILE
// when the game ends (and, if it ends through Escape's Yes, prints the line
// its replay will end with); --replay plays such a file back without a window or
// sound, as fast as it can, and prints one line: level, steps, score, lives,
// outcome and a hash of the world (--trace N: player 1 every N steps on stderr).
// A replay that does not end where its end line says fails; Ctrl-C or SIGTERM
// stops one cleanly.
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <zorta/zorta.h>

#include "game.h"
#include "replay.h"
#include "screen.h"

using namespace zorta;

namespace {

struct Options {
  std::string data, record, replay, level;
  uint32_t seed = 0;
  uint32_t trace = 0;
  bool seedGiven = false;
};

const char UsageText[] =
    "usage: zorta-game [--data DIR] [--seed N] [--level NAME] [--record FILE]\n"
    "       zorta-game [--data DIR] --replay FILE [--trace N]\n";

int Usage(const char* why) {
  fprintf(stderr, "zorta-game: %s\n%s", why, UsageText);
  return 2;
}

int Help() {
  printf("zorta-game: Zorta Collect, the example game.\n%s"
         "  --data DIR     the folder holding Maps/ and TileSets/ (default: the working folder)\n"
         "  --seed N       the game's random seed (default: the time)\n"
         "  --level NAME   the map of Maps/ to start on\n"
         "  --record FILE  keep every step's controls in FILE, a replay\n"
         "  --replay FILE  play FILE back without a window, print where it ends\n"
         "  --trace N      with --replay: player 1 every N steps on stderr\n"
         "  --help         this text\n",
         UsageText);
  return fflush(stdout) == 0 && !ferror(stdout) ? 0 : 1;
}

// A path given on the command line, kept valid once the program works in its data folder.
std::string Absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

Options options;

// The recording goes to a file beside its place, renamed over it once whole:
// opened before play, so a place that cannot be written is known at once.
struct RecordFile {
  std::string temp;
  FILE* out = nullptr;
};

int OpenRecordFile(const std::string& path, RecordFile* file) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    fprintf(stderr, "zorta-game: cannot write '%s': not a regular file\n", path.c_str());
    return 0;
  }
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0 || (file->out = fdopen(fd, "w")) == nullptr) {
    fprintf(stderr, "zorta-game: cannot write '%s': %s\n", path.c_str(), strerror(errno));
    if (fd >= 0) {
      close(fd);
      unlink(temp.c_str());
    }
    return 0;
  }
  // mkstemp makes the file private; a recording gets the usual mode.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  file->temp = temp;
  return -1;
}

int FinishRecordFile(const std::string& path, RecordFile* file, const Replay& replay) {
  WriteReplay(file->out, replay);
  bool ok = fflush(file->out) == 0 && !ferror(file->out);
  ok = fclose(file->out) == 0 && ok;
  int saved = errno;
  if (ok && rename(file->temp.c_str(), path.c_str()) == 0) return -1;
  if (ok) saved = errno;
  unlink(file->temp.c_str());
  fprintf(stderr, "zorta-game: cannot write '%s': %s\n", path.c_str(), strerror(saved));
  return 0;
}

volatile std::sig_atomic_t stopSignal = 0;
void OnStopSignal(int signal) { stopSignal = signal; }

// Once the display is up: the types, and player 2 on W A S D with Q to
// jump, or on a joystick where one is connected.
void SetUpGame() {
  RegisterGameTypes();
  BindControl(1, ControlLeft, 'A');
  BindControl(1, ControlRight, 'D');
  BindControl(1, ControlUp, 'W');
  BindControl(1, ControlDown, 'S');
  BindControl(1, ControlButton1, 'Q');
  if (JoystickPresent(0)) SetUseJoystick(1, -1);
  // Nothing moves until the first frame has started the game.
  WorldPaused = -1;
}

ProgramOptions GameProgram() {
  ProgramOptions program;
  program.title = "Zorta Collect";
  program.colorDepth = 32;
  if (!options.data.empty()) program.dataFolder = options.data.c_str();
  return program;
}

int Play() {
  ResetGame(options.seed);
  if (!options.level.empty()) StartLevelName = options.level.c_str();
  Recording.seed = options.seed;
  RecordingOn = options.record.empty() ? 0 : -1;
  RecordFile file;
  if (RecordingOn && !OpenRecordFile(options.record, &file)) return 1;
  GameStep = RecordAndRunGameStep;
  ProgramOptions program = GameProgram();
  program.setUp = SetUpGame;
  program.frame = DrawGameScreen;
  int rc = RunProgram(program);
  if (RecordingOn && rc != 0 && Game.level < 0) {
    // The program did not start (no data folder, no window): no game to keep.
    fclose(file.out);
    unlink(file.temp.c_str());
    return rc;
  }
  // The line its replay will end with, when the game ended through its Yes.
  if (RecordingOn && QuitResult[0] != 0) printf("%s\n", QuitResult);
  if (RecordingOn && !FinishRecordFile(options.record, &file, Recording)) return rc != 0 ? rc : 1;
  return rc;
}

struct Replay replay;
int replayResult = 1;  // stays so when a fatal error ends the start-up

// The replay plays out in the set-up, before any frame: each step as the
// world frame runs it, as fast as it can, with no frame loop to read the
// window's quit event, so the step loop itself watches for Ctrl-C and SIGTERM.
void PlayReplayInstead() {
  SetUpGame();
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  WorldPaused = 0;
  GameStep = RunGameStep;
  ResetGame(replay.seed);
  auto t0 = std::chrono::steady_clock::now();
  int complete = PlayReplay(replay, options.trace, stderr, &stopSignal);
  auto t1 = std::chrono::steady_clock::now();
  int rc = 0;
  if (stopSignal) {
    fprintf(stderr, "zorta-game: stopped by signal %d at step %" PRIu32 "\n", static_cast<int>(stopSignal), Game.steps);
    rc = 128 + stopSignal;
  } else if (!complete) {
    fprintf(stderr, "zorta-game: the replay names a level that is not in Maps/\n");
    rc = 1;
  } else {
    char line[256];
    FormatResult(line, sizeof line);
    printf("%s\n", line);
    double seconds = std::chrono::duration<double>(t1 - t0).count();
    double played = Game.steps * (StepTime / 1000.0);
    fprintf(stderr, "replayed %u steps (%.1f s of play) in %.3f s: %.0fx real time\n", Game.steps, played, seconds,
            seconds > 0 ? played / seconds : 0.0);
    if (!ReplayEndMatches(replay)) {
      fprintf(stderr, "zorta-game: the replay was recorded to end at step %" PRIu32 " with hash %016" PRIx64
                      ", not here\n", replay.endSteps, replay.endHash);
      rc = 1;
    }
  }
  replayResult = rc;
  QuitProgram();
}

// Headless: SDL's dummy drivers, no sound bank, no frames.
int RunReplay() {
  ProgramOptions program = GameProgram();
  program.headless = true;
  program.soundBank = false;
  program.setUp = PlayReplayInstead;
  int rc = RunProgram(program);
  return rc != 0 ? rc : replayResult;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    if (a == "--help" || a == "-h") {
      return Help();
    } else if (a == "--data") {
      if (!value(&options.data)) return Usage("--data wants a folder");
    } else if (a == "--record") {
      if (!value(&options.record)) return Usage("--record wants a file");
    } else if (a == "--replay") {
      if (!value(&options.replay)) return Usage("--replay wants a file");
    } else if (a == "--level") {
      if (!value(&options.level)) return Usage("--level wants a map name");
    } else if (a == "--trace") {
      std::string s;
      char* end = nullptr;
      if (!value(&s)) return Usage("--trace wants a step count");
      unsigned long v = strtoul(s.c_str(), &end, 10);
      if (s.empty() || *end != 0 || v > UINT32_MAX) return Usage("--trace wants a step count");
      options.trace = static_cast<uint32_t>(v);
    } else if (a == "--seed") {
      std::string s;
      char* end = nullptr;
      if (!value(&s)) return Usage("--seed wants a number");
      unsigned long v = strtoul(s.c_str(), &end, 10);
      if (s.empty() || *end != 0 || v > UINT32_MAX) return Usage("--seed wants a number from 0 to 4294967295");
      options.seed = static_cast<uint32_t>(v);
      options.seedGiven = true;
    } else {
      return Usage(("unknown argument '" + a + "'").c_str());
    }
  }
  if (!options.replay.empty() && !options.record.empty()) return Usage("--record and --replay do not go together");
  options.record = Absolute(options.record);
  options.replay = Absolute(options.replay);
  if (!options.seedGiven) options.seed = static_cast<uint32_t>(time(nullptr));
  if (!options.replay.empty()) {
    FILE* in = fopen(options.replay.c_str(), "r");
    if (in == nullptr) {
      fprintf(stderr, "zorta-game: cannot open '%s': %s\n", options.replay.c_str(), strerror(errno));
      return 1;
    }
    std::string error;
    int ok = ReadReplay(in, &replay, &error);
    fclose(in);
    if (!ok) {
      fprintf(stderr, "zorta-game: '%s' %s\n", options.replay.c_str(), error.c_str());
      return 1;
    }
  }
  return options.replay.empty() ? Play() : RunReplay();
}
