// The synthesis primitives, grouped by primitive.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "base/timing.h"
#include "sfx/primitives.h"
#include "sfx/sample.h"

using namespace zorta;

namespace {
using Samples = std::vector<int16_t>;

Samples Zeros(int n) { return Samples(static_cast<size_t>(n), 0); }
int Count(const Samples& v) { return static_cast<int>(v.size()); }
}  // namespace

TEST(AddSaw, QuarterStepsFromReset) {
  ResetOscillator();
  Samples v = Zeros(9);
  AddSaw(v.data(), Count(v), 0.5, 0.5, 0, 0, 1);
  EXPECT_EQ(v, (Samples{-32767, -16383, 0, 16383, -32767, -16383, 0, 16383, -32767}));
  EXPECT_EQ(Oscillator.phase, 0.5);
}

TEST(AddSaw, AmplitudeScalesTheWrappedInteger) {
  ResetOscillator();
  Samples v = Zeros(4);
  AddSaw(v.data(), Count(v), 0.5, 0.5, 0, 0, 0.3333333333333333);
  // trunc(-32767 / 3) = -10922, trunc(-16383 / 3) = -5461
  EXPECT_EQ(v, (Samples{-10922, -5461, 0, 5461}));
}

TEST(AddSaw, ThreeLayersAtAThirdStayInRange) {
  ResetOscillator();
  Samples v = Zeros(3000);
  std::vector<int32_t> sum(v.size(), 0);
  for (int k = 0; k < 3; k++) {
    Samples layer = Zeros(Count(v));
    double phase = Oscillator.phase, angle = Oscillator.modAngle;
    AddSaw(layer.data(), Count(v), 0.013 + k * 0.0002, 0.2, 0, 0, 0.3333333333333333);
    Oscillator = {phase, angle};
    AddSaw(v.data(), Count(v), 0.013 + k * 0.0002, 0.2, 0, 0, 0.3333333333333333);
    for (size_t i = 0; i < v.size(); i++) sum[i] += layer[i];
  }
  for (size_t i = 0; i < v.size(); i++) {
    ASSERT_EQ(v[i], sum[i]) << i;
    ASSERT_LE(std::abs(sum[i]), 32766) << i;
  }
}

TEST(AddPulse, SquareWaveAndWidthSweep) {
  ResetOscillator();
  Samples v = Zeros(8);
  AddPulse(v.data(), Count(v), 0, 0, 0.5, 0.5, 0, 0, 1);
  EXPECT_EQ(v, (Samples{32767, 32767, -32767, -32767, 32767, 32767, -32767, -32767}));

  // The width angle grows after each frame: frame 1 sees pi/2 (threshold 0.5),
  // so a phase of 0.5 is no longer below it.
  ResetOscillator();
  v = Zeros(4);
  AddPulse(v.data(), Count(v), 0, 4 * 1.5707963267948966, 0.5, 0.5, 0, 0, 0.5);
  EXPECT_EQ(v[0], 16383);   // width 0: threshold 1 > 0
  EXPECT_EQ(v[1], -16383);  // width pi/2: threshold 0.5, not > 0.5
  EXPECT_EQ(v[2], -16383);  // width pi: threshold 1, not > 1
  EXPECT_EQ(v[3], -16383);  // width 3pi/2: threshold 1.5, not > 1.5
  // The same sweep with a slower phase: at width 3pi/2 the high part lasts
  // three quarters of the cycle, where a square wave would be low.
  ResetOscillator();
  v = Zeros(4);
  AddPulse(v.data(), Count(v), 0, 4 * 1.5707963267948966, 0.45, 0.45, 0, 0, 0.5);
  EXPECT_EQ(v, (Samples{16383, 16383, 16383, 16383}));
}

TEST(AddSine, ValuesPhaseAndSweep) {
  ResetOscillator();
  Samples v = Zeros(5);
  AddSine(v.data(), Count(v), 0.1, 0.3, 0, 0, 0.7);
  // Worked out frame by frame: the step sweeps by (0.3 - 0.1) / 5 per frame
  // and the last frame uses 0.1 + 4 × 0.04; the end step is never used.
  double phase = 0, step = 0.1, delta = (0.3 - 0.1) / 5;
  for (int i = 0; i < 5; i++) {
    double x = 0.7 * std::sin(3.141592654 * phase) * 32767;
    EXPECT_EQ(v[i], static_cast<int16_t>(static_cast<int64_t>(x))) << i;
    phase = phase + step;
    step = step + delta;
  }
  EXPECT_EQ(Oscillator.phase, phase);
}

TEST(AddSine, ModulationBendsThePhaseAndTheAngleAlwaysAdvances) {
  ResetOscillator();
  Samples v = Zeros(6);
  AddSine(v.data(), Count(v), 0.05, 0.05, 0.7, 0.01, 1);
  double phase = 0, angle = 0;
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(v[i], static_cast<int16_t>(static_cast<int64_t>(1 * std::sin(3.141592654 * phase) * 32767)));
    phase = (0.01 * std::sin(angle) + phase) + 0.05;
    angle = angle + 0.7;
  }
  EXPECT_EQ(Oscillator.phase, phase);
  EXPECT_EQ(Oscillator.modAngle, angle);

  // Depth 0: no effect on the phase, but the angle still moves on.
  ResetOscillator();
  AddSine(v.data(), 3, 0.5, 0.5, 0.25, 0, 1);
  EXPECT_EQ(Oscillator.phase, 1.5);
  EXPECT_EQ(Oscillator.modAngle, 0.75);
}

TEST(Oscillators, ContinueAcrossCallsAndPrimitives) {
  ResetOscillator();
  Samples whole = Zeros(200);
  AddSine(whole.data(), 200, 0.037, 0.037, 0, 0, 1);
  ResetOscillator();
  Samples parts = Zeros(200);
  AddSine(parts.data(), 70, 0.037, 0.037, 0, 0, 1);
  AddSine(parts.data() + 70, 130, 0.037, 0.037, 0, 0, 1);
  EXPECT_EQ(parts, whole);

  // A saw after a sine starts where the sine's phase ended.
  ResetOscillator();
  Samples v = Zeros(3);
  AddSine(v.data(), 3, 0.25, 0.25, 0, 0, 1);  // phase 0.75
  Samples saw = Zeros(1);
  AddSaw(saw.data(), 1, 0.25, 0.25, 0, 0, 1);
  EXPECT_EQ(saw[0], static_cast<int16_t>(static_cast<int64_t>(0.75 * 32767 - 32767)));
}

TEST(Oscillators, CountZeroTouchesNothing) {
  Oscillator = {0.3, 0.4};
  Samples v = {5, 6};
  AddSine(v.data(), 0, 0.1, 0.2, 0.3, 0.4, 1);
  AddSaw(v.data(), 0, 0.1, 0.2, 0.3, 0.4, 1);
  AddPulse(v.data(), 0, 0, 1, 0.1, 0.2, 0.3, 0.4, 1);
  EXPECT_EQ(v, (Samples{5, 6}));
  EXPECT_EQ(Oscillator.phase, 0.3);
  EXPECT_EQ(Oscillator.modAngle, 0.4);
}

TEST(Oscillators, PhaseAboveTwoIsReducedOnlyOnce) {
  // A step above 2 keeps the phase growing; the saw's 16-bit wrap follows.
  ResetOscillator();
  Samples v = Zeros(4);
  AddSaw(v.data(), Count(v), 3.5, 3.5, 0, 0, 1);
  EXPECT_EQ(Oscillator.phase, 6.0);  // 0 -> 1.5 -> 3 -> 4.5 -> 6
  // frame 2: phase 3.0 -> trunc(3 × 32767 - 32767) = 65534 -> -2
  EXPECT_EQ(v[2], -2);
}

TEST(AddNoise, DrawsOneNumberPerFrame) {
  SeedRandom(0);
  Samples v = {7, -7, 7, -7, 7};
  AddNoise(v.data(), Count(v), 0);
  EXPECT_EQ(v, (Samples{7, -7, 7, -7, 7}));
  double next = RandomUnit();
  SeedRandom(0);
  for (int i = 0; i < 5; i++) RandomUnit();
  EXPECT_EQ(RandomUnit(), next);

  SeedRandom(0);
  v = {100, 100, 100};
  AddNoise(v.data(), Count(v), 0.5);
  SeedRandom(0);
  for (int i = 0; i < 3; i++) {
    double r = RandomUnit();
    EXPECT_EQ(v[i], 100 + static_cast<int16_t>(static_cast<int64_t>(0.5 * (r * 32767 - 16384))));
  }
  SeedRandom(0);
  AddNoise(v.data(), -4, 1);
  double first = RandomUnit();
  SeedRandom(0);
  EXPECT_EQ(first, RandomUnit());
}

TEST(AddNoise, FullAmplitudeRange) {
  SeedRandom(0);
  Samples v = Zeros(20000);
  AddNoise(v.data(), Count(v), 1);
  int lo = 0, hi = 0;
  for (int16_t x : v) {
    lo = std::min<int>(lo, x);
    hi = std::max<int>(hi, x);
  }
  EXPECT_GE(lo, -16384);
  EXPECT_LE(hi, 16382);
  EXPECT_LT(lo, -16000);
  EXPECT_GT(hi, 16000);
}

TEST(Generators, LayersAddWithWrap) {
  ResetOscillator();
  Samples sine = Zeros(500), saw = Zeros(500), both = Zeros(500);
  AddSine(sine.data(), 500, 0.031, 0.08, 0, 0, 0.5);
  AddSaw(saw.data(), 500, 0.02, 0.02, 0, 0, 0.5);  // starts where the sine ended
  ResetOscillator();
  AddSine(both.data(), 500, 0.031, 0.08, 0, 0, 0.5);
  AddSaw(both.data(), 500, 0.02, 0.02, 0, 0, 0.5);
  for (int i = 0; i < 500; i++) ASSERT_EQ(both[i], sine[i] + saw[i]) << i;  // never leaves 16 bits

  // Beyond the range the sum wraps instead of saturating.
  ResetOscillator();
  Samples v = {32000};
  AddPulse(v.data(), 1, 0, 0, 0.1, 0.1, 0, 0, 0.1);  // adds 3276
  EXPECT_EQ(v[0], 32000 + 3276 - 65536);
}

TEST(ScaleSamples, TruncatesTowardZeroAndWraps) {
  Samples v = {7, -7, 20000, -1, 3};
  ScaleSamples(v.data(), 4, 0.5);
  EXPECT_EQ(v, (Samples{3, -3, 10000, 0, 3}));
  v = {20000, -20000};
  ScaleSamples(v.data(), 2, 2);
  EXPECT_EQ(v, (Samples{40000 - 65536, -40000 + 65536}));
}

TEST(Normalize, IntegerFactorFromThePeak) {
  Samples v = {1000, -2000, 500};
  Normalize(v.data(), Count(v));
  EXPECT_EQ(v, (Samples{16000, -32000, 8000}));
  v = {16384, -100};
  Normalize(v.data(), Count(v));
  EXPECT_EQ(v, (Samples{-32768, -200}));
  v = {10000, 5};
  Normalize(v.data(), Count(v));
  EXPECT_EQ(v, (Samples{30000, 15}));
  v = {20000, -5};
  Normalize(v.data(), Count(v));
  EXPECT_EQ(v, (Samples{20000, -5}));
  // -32768 never becomes the peak; the factor comes from 3 here.
  v = {-32768, 3};
  Normalize(v.data(), Count(v));
  EXPECT_EQ(v, (Samples{0, 32766}));  // -32768 × 10922 wraps to 0
  v = {0, 0, 0};
  Normalize(v.data(), Count(v));
  EXPECT_EQ(v, (Samples{0, 0, 0}));
}

TEST(Smooth, RingAverageUsesTheNewFirstValue) {
  Samples v = {3, 6, 9};
  Smooth(v.data(), Count(v));
  EXPECT_EQ(v, (Samples{6, 6, 7}));
  v = {-4, 0, 0, 0};
  Smooth(v.data(), Count(v));
  // -4/3 = -1 truncated; the last frame averages 0, 0 and the new first -1.
  EXPECT_EQ(v, (Samples{-1, -1, 0, 0}));
  v = {32767, 32767, 32767};
  Smooth(v.data(), Count(v));
  EXPECT_EQ(v, (Samples{32767, 32767, 32767}));
  v = {9};
  Smooth(v.data(), 1);
  EXPECT_EQ(v, (Samples{9}));
  Smooth(v.data(), 0);
  EXPECT_EQ(v, (Samples{9}));
}

TEST(Tremolo, GainAndPhase) {
  Oscillator = {0.0, 5.0};
  Samples v = {1000, 1000, 1000, 1000};
  Tremolo(v.data(), Count(v), 0.5, 0);
  EXPECT_EQ(v, (Samples{1000, 1000, 1000, 1000}));
  EXPECT_EQ(Oscillator.phase, 0.0);  // 4 × 0.5 = 2 wraps to 0
  EXPECT_EQ(Oscillator.modAngle, 5.0);

  Oscillator = {0.0, 0.0};
  v = {1000, 1000, 1000, 1000};
  Tremolo(v.data(), Count(v), 0.5, 1);
  double phase = 0;
  for (int i = 0; i < 4; i++) {
    double gain = (1 - 1.0) + 1.0 * 0.5 * (std::sin(3.141592654 * phase) + 1);
    EXPECT_EQ(v[i], static_cast<int16_t>(static_cast<int64_t>(1000 * gain))) << i;
    phase += 0.5;
  }
  EXPECT_EQ(v[0], 500);
  EXPECT_EQ(v[1], 1000);
  // The ten-digit pi lies just above pi: sin(3.141592654) is slightly negative.
  EXPECT_EQ(v[2], 499);

  Oscillator = {1.25, 0.0};
  Tremolo(v.data(), 0, 0.5, 1);
  EXPECT_EQ(Oscillator.phase, 1.25);
}

TEST(Echo, TapsRepeatTheHalvedSound) {
  Samples v = {800, 0, 0, 0, 0, 0, 0, 0};
  Echo(v.data(), Count(v), 3);
  EXPECT_EQ(v, (Samples{400, 0, 200, 0, 100, 0, 66, 0}));
  v = {801, -801, 7};
  Echo(v.data(), Count(v), 0);
  EXPECT_EQ(v, (Samples{400, -400, 3}));
  // Fewer frames than taps: a delay of 0 adds the copy onto itself.
  v = {800, 80};
  Echo(v.data(), Count(v), 3);
  EXPECT_EQ(v, (Samples{400 + 200 + 100 + 66, 40 + 20 + 10 + 6}));
  // Each tap adds onto what the earlier taps left.
  v = {32767, 32767, 32767, 32767};
  Echo(v.data(), Count(v), 1);
  EXPECT_EQ(v, (Samples{16383, 16383, 16383 + 8191, 16383 + 8191}));
}

TEST(ApproxSin, CloseToTheLibrarySin) {
  double worst = 0;
  for (int i = -640000; i <= 640000; i++) {
    double x = i * 0.0001;
    worst = std::max(worst, std::fabs(ApproxSin(x) - std::sin(x)));
  }
  // Around the quadrant edges, where the reduction switches kernels.
  for (int q = -40; q <= 40; q++)
    for (int e = -50; e <= 50; e++) {
      double x = q * 0.78539816339744830962 + e * 1e-12;
      worst = std::max(worst, std::fabs(ApproxSin(x) - std::sin(x)));
    }
  EXPECT_LT(worst, 1e-13);
}

// Samples whose exact value lies a hair from a whole number must come out as
// the C library's sin makes them, wherever the close sine would tip them over.
TEST(AddSine, SamplesNextToWholeNumbersFollowTheLibrarySin) {
  int checked = 0;
  for (int i = 1; i < 4000; i++) {
    double phase = i * 0.000499;
    double s = std::sin(3.141592654 * phase);
    double amplitude = (1000 + i % 7) / (s * 32767);
    for (int nudge = -3; nudge <= 3; nudge++) {
      double a = std::nextafter(amplitude, nudge < 0 ? 0.0 : 2.0 * amplitude);
      for (int n = 1; n < std::abs(nudge); n++) a = std::nextafter(a, nudge < 0 ? 0.0 : 2.0 * amplitude);
      Oscillator = {phase, 0.0};
      int16_t v = 0;
      AddSine(&v, 1, 0, 0, 0, 0, a);
      ASSERT_EQ(v, static_cast<int16_t>(static_cast<int64_t>(a * std::sin(3.141592654 * phase) * 32767)))
          << i << " " << nudge;
      checked++;
    }
  }
  EXPECT_EQ(checked, 3999 * 7);
}

TEST(Tremolo, ValuesNextToWholeNumbersFollowTheLibrarySin) {
  for (int i = 1; i < 4000; i++) {
    double phase = i * 0.000499;
    double s = std::sin(3.141592654 * phase);
    int16_t value = static_cast<int16_t>(1000 + i % 5000);
    // Depth chosen so that value × gain lands on (or next to) a whole number.
    double target = std::floor(value * 0.75) + 0.0;
    double depth = (1 - target / value) / (1 - 0.5 * (s + 1));
    for (int nudge = -2; nudge <= 2; nudge++) {
      double d = depth;
      for (int n = 0; n < std::abs(nudge); n++) d = std::nextafter(d, nudge < 0 ? 0.0 : 2.0);
      Oscillator = {phase, 0.0};
      int16_t v = value;
      Tremolo(&v, 1, 0.1, d);
      double gain = (1 - d) + d * 0.5 * (std::sin(3.141592654 * phase) + 1);
      ASSERT_EQ(v, static_cast<int16_t>(static_cast<int64_t>(value * gain))) << i << " " << nudge;
    }
  }
}

namespace {
Samples Pattern(int n, uint32_t seed) {
  Samples v(static_cast<size_t>(n));
  for (int i = 0; i < n; i++) {
    seed = seed * 1664525u + 1013904223u;
    v[i] = static_cast<int16_t>(seed >> 16);
  }
  v[0] = -32768;
  v[n / 2] = 32767;
  return v;
}
}  // namespace

TEST(AddPulse, SweepingWidthMatchesAnExactThresholdEveryFrame) {
  const double params[][5] = {{0, 1, 0.01, 0.005, 0.5}, {0, 16, 0.095, 0.006, 0.5}, {1, 0, 0.19, 0.1, 1},
                              {-3, 40, 0.3, 0.3, 0.25}, {2, 2.0001, 0.05, 0.07, 0.7}};
  for (const auto& p : params) {
    Samples v = Zeros(20000);
    ResetOscillator();
    AddPulse(v.data(), Count(v), p[0], p[1], p[2], p[3], 0, 0, p[4]);
    double phase = 0, step = p[2], width = p[0];
    double delta = (p[3] - p[2]) / 20000.0, wdelta = (p[1] - p[0]) / 20000.0;
    for (int i = 0; i < Count(v); i++) {
      double level = (1 - 0.5 * std::sin(width)) > phase ? 32767 : -32767;
      ASSERT_EQ(v[i], static_cast<int16_t>(static_cast<int64_t>(level * p[4]))) << i;
      phase = phase + step;
      if (phase >= 2) phase -= 2;
      step += delta;
      width += wdelta;
    }
  }
}

TEST(Echo, ManyTapsMatchIntegerDivision) {
  for (int taps : {1, 7, 511, 512, 700}) {
    Samples v = Pattern(3000, static_cast<uint32_t>(taps));
    Samples ref = v;
    for (auto& x : ref) x = static_cast<int16_t>(static_cast<int64_t>(x * 0.5));
    Samples copy = ref;
    int delay = 3000 / (taps + 1);
    for (int k = 1; k <= taps; k++)
      for (int j = k * delay; j < 3000; j++)
        ref[j] = static_cast<int16_t>(static_cast<uint16_t>(ref[j] + copy[j - k * delay] / (2 * k)));
    Echo(v.data(), Count(v), taps);
    ASSERT_EQ(v, ref) << taps;
  }
}

TEST(ApplyEnvelope, LongBuffersMatchIntegerArithmetic) {
  for (int n : {65535, 65536, 70001}) {
    for (double fraction : {0.0, 0.37, 1.0}) {
      Samples v = Pattern(n, static_cast<uint32_t>(n));
      Samples ref = v;
      int attack = static_cast<int>(fraction * n), rest = n - attack;
      for (int i = 0; i < attack; i++) ref[i] = static_cast<int16_t>(static_cast<int64_t>(ref[i]) * i / attack);
      for (int j = 0; j < rest; j++)
        ref[attack + j] = static_cast<int16_t>(static_cast<int64_t>(ref[attack + j]) * (rest - j) / rest);
      ApplyEnvelope(v.data(), n, fraction);
      ASSERT_EQ(v, ref) << n << " " << fraction;
    }
  }
}

TEST(Normalize, MatchesIntegerArithmeticOnLongBuffers) {
  Samples v = Pattern(1001, 5);
  for (auto& x : v) x = static_cast<int16_t>(x / 7);  // peak 4681: factor 7
  v[0] = -32768;
  Samples ref = v;
  for (auto& x : ref) x = static_cast<int16_t>(static_cast<uint16_t>(static_cast<int32_t>(x) * 7));
  Normalize(v.data(), Count(v));
  EXPECT_EQ(v, ref);
}

TEST(Generators, ExtremeArgumentsFollowTheFormulas) {
  // Far outside anything a recipe uses: the result still wraps as the formula
  // says and nothing converts out of range.
  for (double amplitude : {1e300, -3e7, std::nan(""), 0.0}) {
    ResetOscillator();
    Samples v = Zeros(5);
    AddSine(v.data(), 5, 0.3, 0.3, 0, 0, amplitude);
    double phase = 0;
    for (int i = 0; i < 5; i++) {
      EXPECT_EQ(v[i], WrapSample(amplitude * std::sin(3.141592654 * phase) * 32767)) << amplitude << " " << i;
      phase += 0.3;
    }
  }
  ResetOscillator();
  Samples v = Zeros(3);
  AddSine(v.data(), 3, 1e30, 1e30, 0, 0, 1);  // phases far beyond the close sine's range
  // The C library's sin at run time, as the generator calls it, not one the
  // compiler works out: C libraries reduce such angles differently.
  volatile double far = 1e30;
  EXPECT_EQ(v[1], WrapSample(1 * std::sin(3.141592654 * far) * 32767));
  for (double depth : {1e300, std::nan(""), -5.0}) {
    Oscillator = {0.25, 0};
    Samples t = {1000, -2000, 3000};
    Tremolo(t.data(), 3, 0.5, depth);
    double phase = 0.25;
    const int16_t before[3] = {1000, -2000, 3000};
    for (int i = 0; i < 3; i++) {
      double gain = (1 - depth) + depth * 0.5 * (std::sin(3.141592654 * phase) + 1);
      EXPECT_EQ(t[i], WrapSample(before[i] * gain)) << depth << " " << i;
      phase += 0.5;
    }
  }
}
