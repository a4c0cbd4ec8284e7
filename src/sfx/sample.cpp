#include "sfx/sample.h"

#include <cmath>
#include <cstring>

namespace zorta {

thread_local OscillatorState Oscillator = {0.0, 0.0};

namespace {
// The sample under construction and what its lock returned.
SampleHandle current = nullptr;
void* lockPtr1 = nullptr;
void* lockPtr2 = nullptr;
unsigned int lockLen1 = 0;
unsigned int lockLen2 = 0;
}  // namespace

int16_t WrapSampleSlow(double x) {
  if (!std::isfinite(x)) return 0;
  // Beyond 2^53 every double is an integer, so the remainder is exact.
  return WrapInt(static_cast<int64_t>(std::fmod(std::trunc(x), 65536.0)));
}

int16_t* CreateSample(int length, int rate, int volume) {
  current = FSOUND_Sample_Alloc(FSOUND_UNMANAGED, length, FSOUND_16BITS | FSOUND_MONO | FSOUND_SIGNED, rate,
                                volume, 128, 128);
  lockPtr1 = lockPtr2 = nullptr;
  lockLen1 = lockLen2 = 0;
  if (current == nullptr) return nullptr;
  if (length <= 0) return nullptr;
  unsigned int bytes = static_cast<unsigned int>(length) * 2u;
  if (!FSOUND_Sample_Lock(current, 0, static_cast<int>(bytes), &lockPtr1, &lockPtr2, &lockLen1, &lockLen2)) {
    // A failed lock must not be unlocked later, whatever it left behind.
    lockPtr1 = lockPtr2 = nullptr;
    lockLen1 = lockLen2 = 0;
    return nullptr;
  }
  // The synthesis writes the whole length through the first pointer.
  if (lockLen1 < bytes) return nullptr;
  return static_cast<int16_t*>(lockPtr1);
}

void ResetOscillator() {
  Oscillator.phase = 0.0;
  Oscillator.modAngle = 0.0;
}

void ClearSamples(int16_t* buffer, int count) {
  for (int i = 0; i < count; i++) buffer[i] = 0;
  ResetOscillator();
}

void ApplyEnvelope(int16_t* buffer, int count, double attackFraction) {
  if (count <= 0) return;
  double a = attackFraction * count;
  int attack = 0;
  if (a >= count)
    attack = count;
  else if (a > 0)
    attack = static_cast<int>(a);  // truncates toward zero
  int rest = count - attack;
  int16_t* fall = buffer + attack;
  if (count <= 65535) {
    // The products fit 32 bits; these loops run on vector units.
    const double a = attack, r = rest;
    for (int i = 0; i < attack; i++) buffer[i] = WrapInt32(static_cast<int32_t>((buffer[i] * i) / a));
    for (int j = 0; j < rest; j++) fall[j] = WrapInt32(static_cast<int32_t>((fall[j] * (rest - j)) / r));
    return;
  }
  for (int i = 0; i < attack; i++) buffer[i] = WrapInt(DivideTowardZero(static_cast<int64_t>(buffer[i]) * i, attack));
  for (int j = 0; j < rest; j++) fall[j] = WrapInt(DivideTowardZero(static_cast<int64_t>(fall[j]) * (rest - j), rest));
}

SampleHandle FinishSample() {
  if (current == nullptr) return nullptr;
  if (lockPtr1 == nullptr) return current;
  FSOUND_Sample_Unlock(current, lockPtr1, lockPtr2, lockLen1, lockLen2);
  return current;
}

SampleHandle SampleFromFrames(const int16_t* frames, int count, int volume, int rate) {
  int16_t* buffer = CreateSample(count, rate, volume);
  if (buffer != nullptr) memcpy(buffer, frames, static_cast<size_t>(count) * sizeof(int16_t));
  return FinishSample();
}

}  // namespace zorta
