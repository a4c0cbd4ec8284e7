#include "platform/clock.h"

#include <SDL.h>

// The fake clock exists in the test build only.
#ifdef ZORTA_TESTING
#include "platform/testing.h"
#endif

namespace zorta {

#ifdef ZORTA_TESTING
namespace {
bool fake = false;
bool noCounter = false;
int64_t fakeMicros = 0;
int64_t fakeFrequency = 1000000;
int64_t fakeCounter = 0;
uint32_t fakeUptime = 0;
uint32_t slept = 0;
int sleeps = 0;
uint32_t lastSleep = 0;
}  // namespace
#endif

int QueryPerformanceFrequency(int64_t* frequency) {
#ifdef ZORTA_TESTING
  if (noCounter) return 0;
  if (fake) {
    *frequency = fakeFrequency;
    return -1;
  }
#endif
  *frequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
  return -1;
}

int QueryPerformanceCounter(int64_t* count) {
#ifdef ZORTA_TESTING
  if (noCounter) return 0;
  if (fake) {
    *count = fakeCounter;
    return -1;
  }
#endif
  *count = static_cast<int64_t>(SDL_GetPerformanceCounter());
  return -1;
}

uint32_t TimeGetTime() {
#ifdef ZORTA_TESTING
  if (fake) return fakeUptime + static_cast<uint32_t>(fakeMicros / 1000);
#endif
  return SDL_GetTicks();
}

void SleepMs(uint32_t ms) {
#ifdef ZORTA_TESTING
  if (fake) {
    ClockSeamAdvanceMicros(static_cast<int64_t>(ms) * 1000);
    slept += ms;
    sleeps++;
    lastSleep = ms;
    return;
  }
#endif
#ifdef __EMSCRIPTEN__
  // The page cannot sleep: the browser paces its frames.
  (void)ms;
#else
  SDL_Delay(ms);
#endif
}

#ifdef ZORTA_TESTING
void ClockSeamUseFake(bool on) {
  fake = on;
  fakeMicros = 0;
  fakeFrequency = 1000000;
  fakeCounter = 0;
  slept = 0;
  sleeps = 0;
  lastSleep = 0;
}
void ClockSeamAdvanceMicros(int64_t micros) {
  fakeMicros += micros;
  fakeCounter += micros / 1000000 * fakeFrequency + micros % 1000000 * fakeFrequency / 1000000;
}
void ClockSeamSetFrequency(int64_t countsPerSecond) { fakeFrequency = countsPerSecond; }
void ClockSeamAdvanceCounts(int64_t counts) { fakeCounter += counts; }
void ClockSeamSetNoCounter(bool absent) { noCounter = absent; }
void ClockSeamSetUptime(uint32_t ms) { fakeUptime = ms; }
uint32_t ClockSeamTotalSleptMs() { return slept; }
int ClockSeamSleepCount() { return sleeps; }
uint32_t ClockSeamLastSleepMs() { return lastSleep; }
#endif

}  // namespace zorta
