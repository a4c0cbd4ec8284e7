#include "base/timing.h"

#include <cmath>
#include <cstring>

#include "io/file.h"
#include "platform/clock.h"

namespace zorta {

thread_local RandomGenerator RandomState;

namespace {
int clockFirstCall = -1;
int64_t clockFrequency = 0;
int64_t clockStart = 0;
const char* const LogPath = "log.txt";

uint32_t RotateLeft(uint32_t x, int r) { return (x << r) | (x >> (32 - r)); }
}  // namespace

void ResetClock() {
  clockFirstCall = -1;
  clockFrequency = 0;
  clockStart = 0;
}

uint32_t GetTicks() {
  if (clockFirstCall) {
    if (!QueryPerformanceFrequency(&clockFrequency)) return TimeGetTime();
    QueryPerformanceCounter(&clockStart);
    clockFirstCall = 0;
  }
  int64_t now = 0;
  QueryPerformanceCounter(&now);
  // Whole seconds and the rest apart: the counts times 1000 would pass 64
  // bits after about 107 days at 1 GHz. Both parts truncate toward zero as
  // the single division did, so the result is the same.
  int64_t counts = now - clockStart;
  int64_t ms = counts / clockFrequency * 1000 + counts % clockFrequency * 1000 / clockFrequency;
  return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

void SeedRandom(double seed) {
  double s = seed;
  if (s < 0) s = 0.147328926107 - s;
  while (s >= 1) s = s * 0.0817835148503;
  for (int i = 0; i < 34; i++) {
    s = (std::sqrt(s) + 0.147328926107) * 46.1063140045;
    s = s - std::floor(s);
    uint64_t bits;
    memcpy(&bits, &s, sizeof bits);
    uint32_t low = static_cast<uint32_t>(bits);
    if (i % 2 == 0)
      RandomState.buffer[i / 2].word0 = low;
    else
      RandomState.buffer[i / 2].word1 = low;
  }
  RandomState.p1 = 0;
  RandomState.p2 = 10;
}

double RandomUnit() {
  RandomWords& a = RandomState.buffer[RandomState.p1];
  const RandomWords& b = RandomState.buffer[RandomState.p2];
  uint32_t z = RotateLeft(a.word0, 19) + b.word0;
  uint32_t y = RotateLeft(a.word1, 27) + b.word1;
  a.word0 = y;
  a.word1 = z;
  if (--RandomState.p1 < 0) RandomState.p1 = 16;
  if (--RandomState.p2 < 0) RandomState.p2 = 16;
  uint64_t bits = (static_cast<uint64_t>((z & 0x000FFFFFu) | 0x3FF00000u) << 32) | y;
  double d;
  memcpy(&d, &bits, sizeof d);
  return d - 1.0;
}

void WriteLog(const char* text) {
  FileHandle f = FileOpen(LogPath, "ab", 0);
  if (f == nullptr) return;
  FileWriteText(f, text);
  FileClose(f);
}

void CreateLogFile() {
  FileHandle f = FileOpen(LogPath, "wb", 0);
  if (f != nullptr) FileClose(f);
}

}  // namespace zorta
