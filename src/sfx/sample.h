// The one sample under construction: creating and locking it, clearing it,
// the volume envelope, and unlocking it into a handle. Also the oscillator
// state that consecutive oscillator calls carry on from.
#pragma once
#include <cmath>
#include <cstdint>

#include "platform/sound.h"

namespace zorta {

// Shared by every oscillator and the tremolo, so a waveform continues without
// a jump from one call to the next until it is reset.
struct OscillatorState {
  double phase;     // half-cycles, kept in [0, 2) by the oscillators
  double modAngle;  // radians; only grows
};
extern thread_local OscillatorState Oscillator;  // one per thread, as the noise is

int16_t* CreateSample(int length, int rate, int volume);
void ClearSamples(int16_t* buffer, int count);
void ResetOscillator();
void ApplyEnvelope(int16_t* buffer, int count, double attackFraction);
SampleHandle FinishSample();
// A whole sample made from finished frames at `rate` (the bank's, or the
// synth voice's own): create, copy, finish. The handle, or 0 when the sound
// library has none to give.
SampleHandle SampleFromFrames(const int16_t* frames, int count, int volume, int rate);

// The one real-to-sample conversion: truncate toward zero, keep the low 16
// bits (two's-complement wrap, never saturate). Goes through 64 bits because
// some values of the bank exceed 32 bits; values beyond 64 bits take the slow
// path, which the bank never needs.
#if defined(__GNUC__)
#define SFX_COLD __attribute__((cold, noinline))
#define SFX_LIKELY(x) __builtin_expect(!!(x), 1)
#else
#define SFX_COLD
#define SFX_LIKELY(x) (x)
#endif

// Integer results kept to 16 bits the same way (the conversion to a signed
// type wraps on every compiler we build with, and C++20 requires it).
inline int16_t WrapInt(int64_t x) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(x))); }
// The same for 32-bit results, which vector units handle better.
inline int16_t WrapInt32(int32_t x) { return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(x))); }

SFX_COLD int16_t WrapSampleSlow(double x);
inline int16_t WrapSample(double x) {
  if (SFX_LIKELY(x > -9.0e18 && x < 9.0e18)) return WrapInt(static_cast<int64_t>(x));
  return WrapSampleSlow(x);
}

// n / d truncated toward zero, for |n / d| <= 32768 and 0 < d < 2^31 (all
// the envelope and echo need). The double quotient is then off by less than
// 2^-38, never enough to cross a whole number, so truncating it gives the
// integer quotient; it is much faster than a 64-bit integer division.
inline int64_t DivideTowardZero(int64_t n, int32_t d) {
  return static_cast<int64_t>(static_cast<double>(n) / static_cast<double>(d));
}

}  // namespace zorta
