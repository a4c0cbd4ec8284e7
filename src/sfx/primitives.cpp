#include "sfx/primitives.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/timing.h"
#include "sfx/sample.h"

namespace zorta {

namespace {
// Deliberately the ten-digit value, not full-precision pi: the bank is tuned to it.
const double PhasePi = 3.141592654;

inline int16_t AddWrap(int16_t a, int16_t b) { return WrapInt32(static_cast<int32_t>(a) + b); }

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

// One echo tap: to[j] += from[j] / divisor, truncated toward zero, 16-bit wrap.
// The two arrays never overlap. For divisors below 1024 single precision is
// exact here: a quotient of at most 2^14 is off by at most 2^-10, less than
// its distance 1/divisor from the next whole number, and whole quotients come
// out exactly; that lets the loop run on vector units.
void AddTap(int16_t* __restrict to, const int16_t* __restrict from, int count, int divisor) {
  if (divisor < 1024) {
    const float d = static_cast<float>(divisor);
    int j = 0;
    // Blocks of a fixed size, which the compiler turns into vector code.
    for (; j + 8 <= count; j += 8)
      for (int u = 0; u < 8; u++)
        to[j + u] = WrapInt32(to[j + u] + static_cast<int16_t>(static_cast<int32_t>(static_cast<float>(from[j + u]) / d)));
    for (; j < count; j++)
      to[j] = WrapInt32(to[j] + static_cast<int16_t>(static_cast<int32_t>(static_cast<float>(from[j]) / d)));
  } else {
    for (int j = 0; j < count; j++) to[j] = WrapInt(to[j] + from[j] / divisor);
  }
}
// Kept inline and free of branches, so the generator's blocks of frames run
// on vector units. Reduce by pi/2 in two parts (the first exact in 33 bits),
// then the classic minimax kernels for |r| <= pi/4, both worked out and the
// right one picked by exact multiplications by 0, 1 and -1.
inline double CloseSin(double x) {
  const double TwoOverPi = 0.63661977236758134308;
  const double PiHalf1 = 1.57079632673412561417e+00;
  const double PiHalf2 = 6.07710050650619224932e-11;
  int32_t quadrant = static_cast<int32_t>(x * TwoOverPi + std::copysign(0.5, x));
  double k = quadrant;
  double r = (x - k * PiHalf1) - k * PiHalf2;
  double z = r * r;
  double sinR = r + r * z *
                        (-1.66666666666666324348e-01 +
                         z * (8.33333333332248946124e-03 +
                              z * (-1.98412698298579493134e-04 +
                                   z * (2.75573137070700676789e-06 +
                                        z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)))));
  double cosR = 1.0 - 0.5 * z +
                z * z *
                    (4.16666666666666019037e-02 +
                     z * (-1.38888888888741095749e-03 +
                          z * (2.48015872894767294178e-05 +
                               z * (-2.75573143513906633035e-07 +
                                    z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
  double odd = quadrant & 1;
  double v = sinR * (1 - odd) + cosR * odd;
  return v * (1 - (quadrant & 2));
}
}  // namespace

double ApproxSin(double x) { return CloseSin(x); }

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
  // Only the truncated sample counts, so a close sine decides it wherever the
  // product is clear of a whole number by more than the sine's possible
  // error (see ApproxSin); elsewhere the C library's sin decides.
  const bool approx = std::fabs(amplitude) <= 1e6;
  const double slack = std::fabs(amplitude) * 32767 * 1e-10 + 1e-9;
  if (!approx) {
    RunOscillator(buffer, count, startStep, delta, modStep, modDepth,
                  [=](double p) { return WrapSample(amplitude * std::sin(PhasePi * p) * 32767); });
    return;
  }
  // The phase runs ahead block by block (the same steps as the oscillator
  // loop), then the block's sines are worked out together.
  const int Block = 64;
  double angles[Block], safe[Block], values[Block];
  double phase = Oscillator.phase;
  double angle = Oscillator.modAngle;
  double step = startStep;
  for (int start = 0; start < count; start += Block) {
    int n = count - start < Block ? count - start : Block;
    if (modDepth == 0.0) {
      for (int u = 0; u < n; u++) {
        angles[u] = PhasePi * phase;
        safe[u] = std::fabs(angles[u]) <= ApproxSinRange ? angles[u] : 0.0;
        phase = phase + step;
        if (phase >= 2.0) phase -= 2.0;
        step = step + delta;
        angle = angle + modStep;
      }
    } else {
      for (int u = 0; u < n; u++) {
        angles[u] = PhasePi * phase;
        safe[u] = std::fabs(angles[u]) <= ApproxSinRange ? angles[u] : 0.0;
        phase = (modDepth * std::sin(angle) + phase) + step;
        if (phase >= 2.0) phase -= 2.0;
        step = step + delta;
        angle = angle + modStep;
      }
    }
    for (int u = n; u < Block; u++) safe[u] = 0.0;
    for (int u = 0; u < Block; u++) values[u] = amplitude * CloseSin(safe[u]) * 32767;
    for (int u = 0; u < n; u++) {
      double x = values[u];
      int64_t low = static_cast<int64_t>(x - slack);
      int16_t add;
      if (low == static_cast<int64_t>(x + slack) && safe[u] == angles[u])
        add = WrapInt(low);
      else
        add = WrapSample(amplitude * std::sin(angles[u]) * 32767);
      buffer[start + u] = AddWrap(buffer[start + u], add);
    }
  }
  Oscillator.phase = phase;
  Oscillator.modAngle = angle;
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
  // Only the low 16 bits of the product remain, and those come from the low
  // 16 bits of both factors: a 16-bit multiply, in blocks for vector code.
  const uint32_t factor = static_cast<uint16_t>(32768 / peak);
  int i = 0;
  for (; i + 8 <= count; i += 8)
    for (int u = 0; u < 8; u++)
      buffer[i + u] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(buffer[i + u]) * factor));
  for (; i < count; i++) buffer[i] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(buffer[i]) * factor));
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
  if (count <= 0) return;
  // As in AddSine: a close sine settles every frame whose scaled value is
  // clear of a whole number; the C library's sin settles the rest.
  const bool approx = std::fabs(depth) <= 1e6;
  const int Block = 64;
  double angles[Block], safe[Block], gains[Block];
  double phase = Oscillator.phase;
  for (int start = 0; start < count; start += Block) {
    int n = count - start < Block ? count - start : Block;
    for (int u = 0; u < n; u++) {
      angles[u] = PhasePi * phase;
      safe[u] = approx && std::fabs(angles[u]) <= ApproxSinRange ? angles[u] : 0.0;
      phase = phase + rate;
      if (phase >= 2.0) phase -= 2.0;
    }
    for (int u = n; u < Block; u++) safe[u] = 0.0;
    for (int u = 0; u < Block; u++) gains[u] = (1 - depth) + depth * 0.5 * (CloseSin(safe[u]) + 1);
    for (int u = 0; u < n; u++) {
      int16_t& value = buffer[start + u];
      if (approx && safe[u] == angles[u]) {
        double x = value * gains[u];
        double slack = std::fabs(static_cast<double>(value) * depth) * 1e-10 + 1e-9;
        int64_t low = static_cast<int64_t>(x - slack);
        if (low == static_cast<int64_t>(x + slack)) {
          value = WrapInt(low);
          continue;
        }
      }
      double gain = (1 - depth) + depth * 0.5 * (std::sin(angles[u]) + 1);
      value = WrapSample(value * gain);
    }
  }
  Oscillator.phase = phase;
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
    AddTap(buffer + offset, copy, count - offset, 2 * k);
  }
  free(copy);
}

}  // namespace zorta
