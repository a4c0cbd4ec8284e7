#include "sfx/primitives.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/timing.h"
#include "sfx/sample.h"

namespace {
// Deliberately the ten-digit value, not full-precision pi: the bank is tuned to it.
const double PhasePi = 3.141592654;

inline int16_t AddWrap(int16_t a, int16_t b) { return WrapInt(static_cast<int32_t>(a) + b); }

// The oscillator loop shared by the three generators: add value(phase) to
// each frame, then advance the phase by the (sweeping) step and the angle by
// the modulation step. With depth 0 the modulation term is a signed zero,
// and adding it leaves the phase bit for bit as it is, so that loop skips
// its sin and makes no calls at all.
template <typename Value>
inline void RunOscillator(int16_t* buffer, int count, double step, double delta, double modStep, double modDepth,
                          Value value) {
  double phase = Oscillator.phase;
  double angle = Oscillator.modAngle;
  if (modDepth == 0.0) {
    for (int i = 0; i < count; i++) {
      buffer[i] = AddWrap(buffer[i], value(phase));
      phase = phase + step;
      if (phase >= 2.0) phase -= 2.0;
      step = step + delta;
      angle = angle + modStep;
    }
  } else {
    for (int i = 0; i < count; i++) {
      buffer[i] = AddWrap(buffer[i], value(phase));
      phase = (modDepth * std::sin(angle) + phase) + step;
      if (phase >= 2.0) phase -= 2.0;
      step = step + delta;
      angle = angle + modStep;
    }
  }
  Oscillator.phase = phase;
  Oscillator.modAngle = angle;
}

}  // namespace

void AddNoise(int16_t* buffer, int count, double amplitude) {
  for (int i = 0; i < count; i++) {
    double r = RandomUnit();
    buffer[i] = AddWrap(buffer[i], WrapSample(amplitude * (r * 32767 - 16384)));
  }
}

void AddSine(int16_t* buffer, int count, double startStep, double endStep, double modStep, double modDepth,
             double amplitude) {
  if (count <= 0) return;
  double delta = (endStep - startStep) / count;
  RunOscillator(buffer, count, startStep, delta, modStep, modDepth,
                [=](double p) { return WrapSample(amplitude * std::sin(PhasePi * p) * 32767); });
}

void AddSaw(int16_t* buffer, int count, double startStep, double endStep, double modStep, double modDepth,
            double amplitude) {
  if (count <= 0) return;
  double delta = (endStep - startStep) / count;
  RunOscillator(buffer, count, startStep, delta, modStep, modDepth, [=](double p) {
    int16_t saw = WrapSample(p * 32767 - 32767);
    return WrapSample(saw * amplitude);
  });
}

void AddPulse(int16_t* buffer, int count, double startWidth, double endWidth, double startStep, double endStep,
              double modStep, double modDepth, double amplitude) {
  if (count <= 0) return;
  double frames = count;
  double delta = (endStep - startStep) / frames;
  double width = startWidth;
  double widthDelta = (endWidth - startWidth) / frames;
  const int16_t high = WrapSample(32767 * amplitude);
  const int16_t low = WrapSample(-32767 * amplitude);
  if (widthDelta == 0.0) {
    // A fixed width keeps its exact value frame after frame: one sin serves all.
    double threshold = 1 - 0.5 * std::sin(width);
    RunOscillator(buffer, count, startStep, delta, modStep, modDepth,
                  [=](double p) { return threshold > p ? high : low; });
  } else {
    // A sweeping width needs its sin only where the phase comes close to the
    // threshold: |sin a - sin b| <= |a - b|, so the threshold lies within half
    // the width's change of the last one worked out (with a margin far above
    // any rounding), and wherever the phase is clear of that band the
    // comparison comes out as it would with the exact threshold.
    double anchorWidth = width;
    double anchorThreshold = 1 - 0.5 * std::sin(width);
    RunOscillator(buffer, count, startStep, delta, modStep, modDepth, [&](double p) {
      double spread = 0.5 * std::fabs(width - anchorWidth) + 1e-12;
      bool above;
      if (anchorThreshold - spread > p) {
        above = true;
      } else if (anchorThreshold + spread <= p) {
        above = false;
      } else {
        anchorWidth = width;
        anchorThreshold = 1 - 0.5 * std::sin(width);
        above = anchorThreshold > p;
      }
      width = width + widthDelta;
      return above ? high : low;
    });
  }
}

void ScaleSamples(int16_t* buffer, int count, double factor) {
  for (int i = 0; i < count; i++) buffer[i] = WrapSample(buffer[i] * factor);
}

void Normalize(int16_t* buffer, int count) {
  int32_t peak = 0;
  for (int i = 0; i < count; i++) {
    // Negation in 16 bits: -32768 stays negative and never becomes the peak.
    int32_t magnitude = buffer[i] < 0 ? WrapInt(-static_cast<int32_t>(buffer[i])) : buffer[i];
    if (magnitude > peak) peak = magnitude;
  }
  // A silent buffer has nothing to scale.
  if (peak == 0) return;
  int32_t factor = 32768 / peak;
  for (int i = 0; i < count; i++) buffer[i] = WrapInt(static_cast<int32_t>(buffer[i]) * factor);
}

void Smooth(int16_t* buffer, int count) {
  if (count <= 0) return;
  int32_t prev = buffer[count - 1];
  int32_t cur = buffer[0];
  for (int i = 0; i < count; i++) {
    // The last frame wraps round to the first one, already smoothed.
    int32_t next = i < count - 1 ? buffer[i + 1] : buffer[0];
    buffer[i] = WrapInt((prev + cur + next) / 3);
    prev = cur;
    cur = next;
  }
}

void Tremolo(int16_t* buffer, int count, double rate, double depth) {
  double phase = Oscillator.phase;
  for (int i = 0; i < count; i++) {
    double gain = (1 - depth) + depth * 0.5 * (std::sin(PhasePi * phase) + 1);
    buffer[i] = WrapSample(buffer[i] * gain);
    phase = phase + rate;
    if (phase >= 2.0) phase -= 2.0;
  }
  if (count > 0) Oscillator.phase = phase;
}

void Echo(int16_t* buffer, int count, int taps) {
  ScaleSamples(buffer, count, 0.5);
  if (count <= 0 || taps <= 0) return;
  int16_t* copy = static_cast<int16_t*>(malloc(static_cast<size_t>(count) * sizeof(int16_t)));
  // Without room for the copy the sound stays halved, without its repeats.
  if (copy == nullptr) return;
  memcpy(copy, buffer, static_cast<size_t>(count) * sizeof(int16_t));
  int delay = count / (taps + 1);
  for (int k = 1; k <= taps; k++) {
    int offset = k * delay;
    int divisor = 2 * k;
    for (int j = offset; j < count; j++)
      buffer[j] = AddWrap(buffer[j], static_cast<int16_t>(DivideTowardZero(copy[j - offset], divisor)));
  }
  free(copy);
}
