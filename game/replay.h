// Recording and replaying a game: the control bits of every logic step and
// the levels started from the windows, as a small text file.
//
//   zorta-game replay 1
//   seed 12345
//   new level1                a new game on that level (the list popup, a restart)
//   run 120 2 0 0 0           120 steps with player 1 holding right: the current
//                             and newly pressed bits of player 1, then of player 2
//   level level2              that level started with the score kept
//   end 5237 b469285f1c531704 the last line: the steps played and the world's
//                             hash when the recorded game ended
//
// Everything else the world does follows from these, so the same file gives
// the same world, bit for bit.
#pragma once
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct ReplayEntry {
  enum Kind { Run, NewGameAt, LevelAt } kind;
  uint32_t count;           // Run: steps
  uint32_t bits[4];         // Run: current and pressed of player 1, then player 2
  std::string name;         // NewGameAt, LevelAt: the MapList name
};

struct Replay {
  uint32_t seed = 1;
  std::vector<ReplayEntry> entries;
  // The end line: where the recorded game ended, so that a file cut short or
  // played to another world is told apart from a good one.
  uint32_t endSteps = 0;
  uint64_t endHash = 0;
};

// Reads a replay (LF or CRLF lines); 0 with the reason ("line 7: ...") in
// *error when it is not one: play before the first "new" line, or no end line.
int ReadReplay(FILE* in, Replay* replay, std::string* error);
void WriteReplay(FILE* out, const Replay& replay);

// The recording of the running game, and whether one is being made.
extern Replay Recording;
extern int32_t RecordingOn;
// Adds one step's controls (of PlayerControls) to the recording, joining it to
// the run before it when the bits are the same.
void RecordStep();
// Adds a level started from the windows; like each recorded step, it moves
// the recording's end to the world as it now is.
void RecordEvent(ReplayEntry::Kind kind, const char* name);
// The game's per-step operation in play: the step's controls are recorded,
// then the rules run.
void RecordAndRunGameStep();

// Plays the replay from a freshly reset game on a started world: each step
// gets its recorded controls and runs as the world frame runs it, as fast as
// it can. -1 when all of it ran, 0 when a level it names is not in the MapList
// or `stop` was set (by a signal) before the end.
// With traceEvery above 0, every that many steps a line goes to `trace`: the
// step, player 1's position, score, lives, coins left and state.
int PlayReplay(const Replay& replay, uint32_t traceEvery = 0, FILE* trace = nullptr,
               const volatile std::sig_atomic_t* stop = nullptr);
// -1 when the world stands where the replay's end line says it ended.
int ReplayEndMatches(const Replay& replay);
