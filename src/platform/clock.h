// Clock stand-in: a high-resolution performance counter, a millisecond uptime
// and sleeping. Backed by SDL2's timers.
#pragma once
#include <cstdint>

// -1 and the counter's frequency in counts per second, or 0 when there is no
// performance counter.
int QueryPerformanceFrequency(int64_t* frequency);
int QueryPerformanceCounter(int64_t* count);
// Milliseconds since the system (here: the clock layer) started.
uint32_t TimeGetTime();
void SleepMs(uint32_t ms);

// Test seam. A fake clock replaces the real one: its counter runs at 1 MHz
// (or the frequency set after ClockSeamUseFake), advances only through
// ClockSeamAdvance* and through SleepMs, which also records the requested
// sleeps. The uptime follows the microseconds advanced, not raw counts.
void ClockSeamUseFake(bool on);
void ClockSeamAdvanceMicros(int64_t micros);
void ClockSeamSetFrequency(int64_t countsPerSecond);
void ClockSeamAdvanceCounts(int64_t counts);
void ClockSeamSetNoCounter(bool absent);
void ClockSeamSetUptime(uint32_t ms);
uint32_t ClockSeamTotalSleptMs();
int ClockSeamSleepCount();
uint32_t ClockSeamLastSleepMs();
