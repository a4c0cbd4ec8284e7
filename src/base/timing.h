// The millisecond clock, the random-number generator of the noise synthesis,
// and the start-up log "log.txt". The calls a program makes are public
// (zorta/base.h).
#pragma once
#include <cstdint>

#include "zorta/base.h"

namespace zorta {

// Empties "log.txt" (once per run, at start-up).
void CreateLogFile();

struct RandomWords {
  uint32_t word0;
  uint32_t word1;
};
struct RandomGenerator {
  RandomWords buffer[17];
  int32_t p1;
  int32_t p2;
};
// One per thread: users' sounds are made on a thread of their own, and their
// noise must not race with the program's own draws.
extern thread_local RandomGenerator RandomState;

// Forgets the clock's first reading, so the next GetTicks starts counting anew.
void ResetClock();

}  // namespace zorta
