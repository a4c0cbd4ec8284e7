// The one sample under construction: creating and locking it, clearing it,
// the volume envelope, and unlocking it into a handle. Also the oscillator
// state that consecutive oscillator calls carry on from.
#pragma once
#include <cmath>
#include <cstdint>

#include "platform/sound.h"

// Shared by every oscillator and the tremolo, so a waveform continues without
// a jump from one call to the next until it is reset.
struct OscillatorState {
  double phase;     // half-cycles, kept in [0, 2) by the oscillators
  double modAngle;  // radians; only grows
};
extern OscillatorState Oscillator;

int16_t* CreateSample(int length, int rate, int volume);
void ClearSamples(int16_t* buffer, int count);
void ResetOscillator();
void ApplyEnvelope(int16_t* buffer, int count, double attackFraction);
SampleHandle FinishSample();

// The one real-to-sample conversion: truncate toward zero, keep the low 16
// bits (two's-complement wrap, never saturate). Goes through 64 bits because
// some values of the bank exceed 32 bits.
int16_t WrapSampleSlow(double x);
inline int16_t WrapSample(double x) {
  if (x > -9.0e18 && x < 9.0e18) {
    uint16_t low = static_cast<uint16_t>(static_cast<uint64_t>(static_cast<int64_t>(x)));
    return low < 0x8000u ? static_cast<int16_t>(low) : static_cast<int16_t>(static_cast<int32_t>(low) - 0x10000);
  }
  return WrapSampleSlow(x);
}
// Integer results kept to 16 bits the same way.
inline int16_t WrapInt(int64_t x) {
  uint16_t low = static_cast<uint16_t>(static_cast<uint64_t>(x));
  return low < 0x8000u ? static_cast<int16_t>(low) : static_cast<int16_t>(static_cast<int32_t>(low) - 0x10000);
}
