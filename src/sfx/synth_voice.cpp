#include "sfx/synth_voice.h"

#include <cmath>
#include <cstring>

#include "base/timing.h"
#include "sfx/sample.h"

namespace zorta {

const SynthParamInfo SynthParams[SynthParamCount] = {
    {"attack", 0, 1, 0},      {"sustain", 0, 1, 0.3},  {"punch", 0, 1, 0},       {"decay", 0, 1, 0.4},
    {"freq", 0, 1, 0.3},      {"limit", 0, 1, 0},      {"slide", -1, 1, 0},      {"dslide", -1, 1, 0},
    {"vibrato", 0, 1, 0},     {"vibspeed", 0, 1, 0},   {"arp", -1, 1, 0},        {"arpspeed", 0, 1, 0},
    {"duty", 0, 1, 0},        {"dutysweep", -1, 1, 0}, {"repeat", 0, 1, 0},      {"phaser", -1, 1, 0},
    {"phasersweep", -1, 1, 0}, {"lpf", 0, 1, 1},       {"lpfsweep", -1, 1, 0},   {"resonance", 0, 1, 0},
    {"hpf", 0, 1, 0},         {"hpfsweep", -1, 1, 0},  {"volume", 0, 1, 0.5},
};

int SynthParamIndex(const char* name) {
  for (int i = 0; i < SynthParamCount; i++)
    if (strcmp(SynthParams[i].name, name) == 0) return i;
  return -1;
}

int SynthWaveIndex(const char* name) {
  if (strcmp(name, "square") == 0) return SynthSquare;
  if (strcmp(name, "saw") == 0 || strcmp(name, "sawtooth") == 0) return SynthSawtooth;
  if (strcmp(name, "sine") == 0) return SynthSine;
  if (strcmp(name, "noise") == 0) return SynthNoise;
  if (strcmp(name, "triangle") == 0) return SynthTriangle;
  return -1;
}

SynthSettings DefaultSynthSettings() {
  SynthSettings s;
  s.wave = SynthSquare;
  for (int i = 0; i < SynthParamCount; i++) s.value[i] = SynthParams[i].fallback;
  return s;
}

namespace {
const double Pi = 3.14159265358979323846;
// A stage's length in samples: the square of its parameter, up to 100000.
int64_t StageLength(double v) { return static_cast<int64_t>(std::floor(v * v * 100000)); }
}  // namespace

int64_t SynthEnvelopeSamples(const SynthSettings& s) {
  // A stage runs while its counter has not passed its length: an attack of
  // length L gives L samples (none for 0), sustain and decay L + 1 each.
  int64_t attack = StageLength(s.value[SynthAttack]);
  return attack + StageLength(s.value[SynthSustain]) + 1 + StageLength(s.value[SynthDecay]) + 1;
}

SynthVoice::SynthVoice(const SynthSettings& settings) : s_(settings) {
  const double* v = s_.value;
  Steps& st = st_;
  Restart(st, v);
  st.lowW = std::pow(v[SynthLowPass], 3) * 0.1;
  lowPassOn_ = v[SynthLowPass] != 1;
  lowWMult_ = 1 + v[SynthLowPassSweep] * 0.0001;
  lowDamp_ = 5 / (1 + std::pow(v[SynthResonance], 2) * 20) * (0.01 + st.lowW);
  if (lowDamp_ > 0.8) lowDamp_ = 0.8;
  st.highW = std::pow(v[SynthHighPass], 2) * 0.1;
  st.highWMult = 1 + v[SynthHighPassSweep] * 0.0003;
  st.vibSpeed = std::pow(v[SynthVibratoSpeed], 2) * 0.01;
  st.vibAmp = v[SynthVibrato] * 0.5;
  st.vibPhase = 0;
  st.envLength[0] = StageLength(v[SynthAttack]);
  st.envLength[1] = StageLength(v[SynthSustain]);
  st.envLength[2] = StageLength(v[SynthDecay]);
  st.envStage = 0;
  st.envElapsed = 0;
  // The phaser's offset and sweep keep the sign of their parameters.
  st.phaserOffset = std::pow(v[SynthPhaser], 2) * 1020;
  if (v[SynthPhaser] < 0) st.phaserOffset = -st.phaserOffset;
  st.phaserSlide = std::pow(v[SynthPhaserSweep], 2) * 1;
  if (v[SynthPhaserSweep] < 0) st.phaserSlide = -st.phaserSlide;
  st.repeatTime = v[SynthRepeat] == 0 ? 0 : static_cast<int64_t>(std::floor(std::pow(1 - v[SynthRepeat], 2) * 20000 + 32));
  gain_ = std::exp(v[SynthVolume]) - 1;
  st.t = 0;
  st.phase = 0;
  st.phaserPos = 0;
  st.lowPos = st.lowVel = st.highPos = 0;
  noiseDrawn_ = 0;
  for (double& p : phaserBuffer_) p = 0;
  powersFor_ = -1;
  wavePeriod_ = -1;
  waveDuty_ = inverse_ = 0;
  edge_ = 0;
  sinePeriods_ = 1;
  if (s_.wave == SynthSine)
    for (uint32_t& m : sineMade_) m = 0;
  if (s_.wave == SynthNoise) {
    DrawNoise(noise_);
  } else {
    for (double& n : noise_) n = 0;
  }
  // Without an offset or a sweep the phaser's delay stays 0 throughout.
  st.phaserOn = st.phaserOffset != 0 || st.phaserSlide != 0;
  switch (s_.wave) {
    case SynthSquare: block_ = RunFor<SynthSquare>(lowPassOn_, st.phaserOn); break;
    case SynthSawtooth: block_ = RunFor<SynthSawtooth>(lowPassOn_, st.phaserOn); break;
    case SynthSine: block_ = RunFor<SynthSine>(lowPassOn_, st.phaserOn); break;
    case SynthNoise: block_ = RunFor<SynthNoise>(lowPassOn_, st.phaserOn); break;
    default: block_ = RunFor<SynthTriangle>(lowPassOn_, st.phaserOn); break;
  }
}

// What a repeat starts again: the pitch, its slides, the duty and the arpeggio.
void SynthVoice::Restart(Steps& st, const double* v) {
  st.sinceRepeat = 0;
  st.period = 100 / (v[SynthFreq] * v[SynthFreq] + 0.001);
  st.periodMax = 100 / (v[SynthLimit] * v[SynthLimit] + 0.001);
  st.cutOff = v[SynthLimit] > 0;
  st.periodMult = 1 - std::pow(v[SynthSlide], 3) * 0.01;
  st.periodMultSlide = -std::pow(v[SynthDeltaSlide], 3) * 0.000001;
  st.duty = 0.5 - v[SynthDuty] * 0.5;
  st.dutySlide = -v[SynthDutySweep] * 0.00005;
  if (v[SynthArp] >= 0)
    st.arpMult = 1 - std::pow(v[SynthArp], 2) * 0.9;
  else
    st.arpMult = 1 + std::pow(v[SynthArp], 2) * 10;
  st.arpTime = v[SynthArpSpeed] == 1 ? 0 : static_cast<int64_t>(std::floor(std::pow(1 - v[SynthArpSpeed], 2) * 20000 + 32));
}

void SynthVoice::DrawNoise(double* into) {
  for (int i = 0; i < 32; i++) into[i] = RandomUnit() * 2 - 1;
  noiseDrawn_ += 32;
}

// The noise for the periods a sample's sub-samples will start, drawn before
// the loop so that it makes no call that would keep its sums in memory; the
// draws are the same, in the same order. A period is at least eight, so
// there are at most two: the first sub-sample's when the period has just
// shrunk below the phase, and one more.
template <int Wave>
inline void SynthVoice::DrawAhead(int phase, int period) {
  if (Wave != SynthNoise) return;
  int p = phase + 1, starts = 0;
  if (p >= period) {
    p %= period;
    starts++;
  }
  if (p + SynthOversampling - 1 >= period) starts++;
  for (int n = 0; n < starts; n++) DrawNoise(nextNoise_[n]);
}
int SynthVoice::Render(double* out, int count) { return (this->*block_)(out, count); }

// A block of samples made in one call with the sub-sample loop inlined, so
// the per-sample steps cost no call through a pointer each.
template <int Wave, bool LowPass, bool Phaser>
int SynthVoice::Block(double* out, int count) {
  // The steps' state in a local for the block: the noise's refill (a call)
  // and the phaser's stores would otherwise keep the members in memory.
  Steps st = st_;
  const double* v = s_.value;
  int i = 0;
  for (; i < count; i++) {
    // The per-sample steps: the pitch, the duty, the envelope, the phaser's
    // delay and the high-pass's cut-off; the voice ends at a break.
    if (st.repeatTime != 0 && ++st.sinceRepeat >= st.repeatTime) Restart(st, v);
    // The arpeggio's one change of pitch; its time counts from the start of
    // the voice, so after a repeat it comes at once.
    if (st.arpTime != 0 && st.t >= st.arpTime) {
      st.arpTime = 0;
      st.period *= st.arpMult;
    }
    st.t++;
    st.periodMult += st.periodMultSlide;
    st.period *= st.periodMult;
    if (st.period > st.periodMax) {
      st.period = st.periodMax;
      if (st.cutOff) break;
    }
    double wobbled = st.period;
    if (st.vibAmp > 0) {
      st.vibPhase += st.vibSpeed;
      wobbled = st.period * (1 + std::sin(st.vibPhase) * st.vibAmp);
    }
    // At most 1.5 times the longest period, 100000: truncation is the floor.
    int period = wobbled < SynthOversampling ? SynthOversampling : static_cast<int>(wobbled);
    st.duty += st.dutySlide;
    if (st.duty < 0) st.duty = 0;
    if (st.duty > 0.5) st.duty = 0.5;

    if (++st.envElapsed > st.envLength[st.envStage]) {
      st.envElapsed = 0;
      if (++st.envStage > 2) break;
    }
    // A stage of length 0 is at its start for its one sample.
    int64_t length = st.envLength[st.envStage];
    double f = length > 0 ? static_cast<double>(st.envElapsed) / static_cast<double>(length) : 0.0;
    double env = st.envStage == 0 ? f : st.envStage == 1 ? 1 + (1 - f) * 2 * v[SynthPunch] : 1 - f;

    int delay = 0;
    if (Phaser) {
      st.phaserOffset += st.phaserSlide;
      delay = static_cast<int>(std::fabs(std::floor(st.phaserOffset)));
      if (delay > 1023) delay = 1023;
    }
    st.highW *= st.highWMult;
    if (st.highW < 0.00001) st.highW = 0.00001;
    if (st.highW > 0.1) st.highW = 0.1;
    double sum = LowPass || Phaser ? SubSamples<Wave, LowPass, Phaser>(period, env, delay, st) : HighPassOnly<Wave>(period, env, st);
    out[i] = sum / SynthOversampling;
  }
  st_ = st;
  return i;
}

// What the waves need of the period and the duty, made again when they
// change rather than divided out at every sub-sample. The square is high
// while phase / period < duty; the quotient grows with the phase, so that is
// the phases below one edge, found with the very quotients it compares. Only
// the square reads the duty.
template <int Wave>
inline void SynthVoice::SetUpWave(int period, double duty) {
  if (period == wavePeriod_ && (Wave != SynthSquare || duty == waveDuty_)) return;
  if (period != wavePeriod_) {
    sinePeriods_++;
    inverse_ = 1.0 / period;
    wavePeriod_ = period;
  }
  if (Wave == SynthSquare) FindEdge(period, duty);
}

void SynthVoice::FindEdge(int period, double duty) {
  waveDuty_ = duty;
  int e = static_cast<int>(std::ceil(duty * period));
  if (e > period) e = period;
  while (e > 0 && static_cast<double>(e - 1) / period >= duty) e--;
  while (e < period && static_cast<double>(e) / period < duty) e++;
  edge_ = e;
}

// The wave at a sub-sample: `phase` of `period`, after SetUpWave(period).
template <int Wave>
inline double SynthVoice::WaveAt(int phase, int period) {
  double fp = phase * inverse_;
  switch (Wave) {
    case SynthSquare: return phase < edge_ ? 0.5 : -0.5;
    case SynthSawtooth: return 1 - 2 * fp;
    case SynthSine:
      // A steady pitch meets the same phases period after period.
      if (period > SineTableSize) return std::sin(fp * 2 * Pi);
      if (sineMade_[phase] != sinePeriods_) {
        sineMade_[phase] = sinePeriods_;
        sine_[phase] = std::sin(fp * 2 * Pi);
      }
      return sine_[phase];
    case SynthNoise: {
      // phase * 32 / period without a division: the product with the
      // inverse is off by at most one, which the checks mend.
      int n = phase * 32, q = static_cast<int>(n * inverse_);
      if ((q + 1) * period <= n) q++;
      else if (q * period > n) q--;
      return noise_[q];
    }
    default: return fp < 0.5 ? -1 + 4 * fp : 1 - 4 * (fp - 0.5);  // triangle
  }
}

template <int Wave, bool LowPass, bool Phaser>
inline double SynthVoice::SubSamples(int period, double env, int delay, Steps& st) {
  // The state lives in locals for the loop: the phaser buffer's stores
  // could otherwise alias the members and keep them out of registers.
  int phase = st.phase, pos = st.phaserPos;
  double lowPos = st.lowPos, lowVel = st.lowVel, highPos = st.highPos, lowW = st.lowW;
  const double highW = st.highW, lowWMult = lowWMult_, lowDamp = lowDamp_;
  SetUpWave<Wave>(period, st.duty);
  DrawAhead<Wave>(phase, period);
  int next = 0;
  double* buffer = phaserBuffer_;
  double sum = 0;
  for (int k = 0; k < SynthOversampling; k++) {
    phase++;
    if (phase >= period) {
      phase %= period;
      if (Wave == SynthNoise) std::memcpy(noise_, nextNoise_[next++], sizeof noise_);
    }
    double x = WaveAt<Wave>(phase, period);
    // Low-pass: a damped spring that follows the wave; off, it is the wave
    // (and its cut-off, which only it reads, need not move).
    double before = lowPos;
    if (LowPass) {
      lowW *= lowWMult;
      if (lowW < 0) lowW = 0;
      if (lowW > 0.1) lowW = 0.1;
      lowVel += (x - lowPos) * lowW;
      lowVel -= lowVel * lowDamp;
      lowPos += lowVel;
    } else {
      lowPos = x;
    }
    // High-pass: the low-pass output's changes, leaking away.
    highPos += lowPos - before;
    highPos -= highPos * highW;
    x = highPos;
    // Phaser: the sound plus itself a little earlier; with no offset ever,
    // the sound plus itself.
    if (Phaser) {
      buffer[pos & 1023] = x;
      x += buffer[(pos - delay + 1024) & 1023];
      pos = (pos + 1) & 1023;
    } else {
      x += x;
    }
    sum += x * env;
  }
  st.phase = phase;
  st.phaserPos = pos;
  st.lowPos = lowPos;
  st.lowVel = LowPass ? lowVel : 0;
  st.highPos = highPos;
  st.lowW = lowW;
  return sum;
}

// The high-pass step by step is q = (q + d) - (q + d) h for each change d
// of the wave, a chain of dependent operations that bounds the whole voice.
// With c = 1 - h that is q = c (q + d), so after the eight sub-samples
// q8 = c^8 q0 + sum c^(9-j) d_j, and the sum of the eight (what the sample
// is made of) q0 S8 + sum d_j S(9-j), S(n) the sum of the first n powers of
// c: the same sound to rounding, without the chain.
template <int Wave>
inline double SynthVoice::HighPassOnly(int period, double env, Steps& st) {
  if (st.highW != powersFor_) {
    powersFor_ = st.highW;
    double c = 1 - st.highW;
    power_[0] = 1;
    powerSum_[0] = 0;
    for (int n = 1; n <= SynthOversampling; n++) {
      power_[n] = power_[n - 1] * c;
      powerSum_[n] = powerSum_[n - 1] + power_[n];
    }
  }
  SetUpWave<Wave>(period, st.duty);
  int phase = st.phase;
  DrawAhead<Wave>(phase, period);
  int next = 0;
  double before = st.lowPos, x = before;
  double last = power_[SynthOversampling] * st.highPos, sum = powerSum_[SynthOversampling] * st.highPos;
  for (int k = 1; k <= SynthOversampling; k++) {
    phase++;
    if (phase >= period) {
      phase %= period;
      if (Wave == SynthNoise) std::memcpy(noise_, nextNoise_[next++], sizeof noise_);
    }
    x = WaveAt<Wave>(phase, period);
    double d = x - before;
    before = x;
    last += power_[SynthOversampling + 1 - k] * d;
    sum += powerSum_[SynthOversampling + 1 - k] * d;
  }
  st.phase = phase;
  st.lowPos = x;
  st.highPos = last;
  // With the phaser at 0 each sub-sample is added to itself.
  return 2 * sum * env;
}

template <int Wave>
SynthVoice::BlockRun SynthVoice::RunFor(bool lowPass, bool phaser) {
  if (lowPass) return phaser ? &SynthVoice::Block<Wave, true, true> : &SynthVoice::Block<Wave, true, false>;
  return phaser ? &SynthVoice::Block<Wave, false, true> : &SynthVoice::Block<Wave, false, false>;
}

int64_t RenderSynthVoice(const SynthSettings& settings, int64_t limit, std::vector<double>* samples) {
  samples->clear();
  SynthVoice voice(settings);
  double block[SynthBlock];
  for (int64_t left = limit; left > 0;) {
    int want = left < SynthBlock ? static_cast<int>(left) : SynthBlock;
    int made = voice.Render(block, want);
    for (int k = 0; k < made; k++) samples->push_back(block[k] * voice.Gain());
    if (made < want) break;
    left -= made;
  }
  return voice.NoiseDrawn();
}

namespace {
// The tools clip the voice to full scale (a punch or a resonance can pass
// it); the sum with what the buffer holds wraps as every layer does.
inline void AddClipped(int16_t* to, double x) {
  if (x > 1) x = 1;
  if (x < -1) x = -1;
  *to = WrapInt32(static_cast<int32_t>(*to) + WrapSample(x * 32767));
}
}  // namespace

int AddSynthVoice(int16_t* buffer, int count, const SynthSettings& settings, int64_t* noiseDrawn) {
  SynthVoice voice(settings);
  int i = 0;
  double block[SynthBlock];
  // Each frame is the mean of two of the voice's samples; a last lone sample
  // is dropped, as the tools do when they write at half their rate. No more
  // samples are made than the frames take: the noise's draws count.
  while (i < count) {
    int want = count - i < SynthBlock / 2 ? 2 * (count - i) : SynthBlock;
    int made = voice.Render(block, want);
    for (int k = 0; k + 1 < made; k += 2, i++) AddClipped(buffer + i, (block[k] + block[k + 1]) / 2 * voice.Gain());
    if (made < want) break;
  }
  *noiseDrawn = voice.NoiseDrawn();
  return i;
}

int AddSynthVoiceAtRate(int16_t* buffer, int count, const SynthSettings& settings, int64_t* noiseDrawn) {
  SynthVoice voice(settings);
  int i = 0;
  double block[SynthBlock];
  while (i < count) {
    int want = count - i < SynthBlock ? count - i : SynthBlock;
    int made = voice.Render(block, want);
    for (int k = 0; k < made; k++, i++) AddClipped(buffer + i, block[k] * voice.Gain());
    if (made < want) break;
  }
  *noiseDrawn = voice.NoiseDrawn();
  return i;
}

}  // namespace zorta
