// Clock stand-in: a high-resolution performance counter, a millisecond uptime
// and sleeping. Backed by SDL2's timers.
#pragma once
#include <cstdint>

namespace zorta {

// -1 and the counter's frequency in counts per second, or 0 when there is no
// performance counter.
int QueryPerformanceFrequency(int64_t* frequency);
int QueryPerformanceCounter(int64_t* count);
// Milliseconds since the system (here: the clock layer) started.
uint32_t TimeGetTime();
void SleepMs(uint32_t ms);

}  // namespace zorta
