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
  Restart();
  lowW_ = std::pow(v[SynthLowPass], 3) * 0.1;
  lowPassOn_ = v[SynthLowPass] != 1;
  lowWMult_ = 1 + v[SynthLowPassSweep] * 0.0001;
  lowDamp_ = 5 / (1 + std::pow(v[SynthResonance], 2) * 20) * (0.01 + lowW_);
  if (lowDamp_ > 0.8) lowDamp_ = 0.8;
  highW_ = std::pow(v[SynthHighPass], 2) * 0.1;
  highWMult_ = 1 + v[SynthHighPassSweep] * 0.0003;
  vibSpeed_ = std::pow(v[SynthVibratoSpeed], 2) * 0.01;
  vibAmp_ = v[SynthVibrato] * 0.5;
  vibPhase_ = 0;
  envLength_[0] = StageLength(v[SynthAttack]);
  envLength_[1] = StageLength(v[SynthSustain]);
  envLength_[2] = StageLength(v[SynthDecay]);
  envStage_ = 0;
  envElapsed_ = 0;
  // The phaser's offset and sweep keep the sign of their parameters.
  phaserOffset_ = std::pow(v[SynthPhaser], 2) * 1020;
  if (v[SynthPhaser] < 0) phaserOffset_ = -phaserOffset_;
  phaserSlide_ = std::pow(v[SynthPhaserSweep], 2) * 1;
  if (v[SynthPhaserSweep] < 0) phaserSlide_ = -phaserSlide_;
  repeatTime_ = v[SynthRepeat] == 0 ? 0 : static_cast<int64_t>(std::floor(std::pow(1 - v[SynthRepeat], 2) * 20000 + 32));
  gain_ = std::exp(v[SynthVolume]) - 1;
  t_ = 0;
  phase_ = 0;
  phaserPos_ = 0;
  lowPos_ = lowVel_ = highPos_ = 0;
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
    RefillNoise();
  } else {
    for (double& n : noise_) n = 0;
  }
  // Without an offset or a sweep the phaser's delay stays 0 throughout.
  phaserOn_ = phaserOffset_ != 0 || phaserSlide_ != 0;
  switch (s_.wave) {
    case SynthSquare: block_ = RunFor<SynthSquare>(lowPassOn_, phaserOn_); break;
    case SynthSawtooth: block_ = RunFor<SynthSawtooth>(lowPassOn_, phaserOn_); break;
    case SynthSine: block_ = RunFor<SynthSine>(lowPassOn_, phaserOn_); break;
    case SynthNoise: block_ = RunFor<SynthNoise>(lowPassOn_, phaserOn_); break;
    default: block_ = RunFor<SynthTriangle>(lowPassOn_, phaserOn_); break;
  }
}

// What a repeat starts again: the pitch, its slides, the duty and the arpeggio.
void SynthVoice::Restart() {
  const double* v = s_.value;
  sinceRepeat_ = 0;
  period_ = 100 / (v[SynthFreq] * v[SynthFreq] + 0.001);
  periodMax_ = 100 / (v[SynthLimit] * v[SynthLimit] + 0.001);
  cutOff_ = v[SynthLimit] > 0;
  periodMult_ = 1 - std::pow(v[SynthSlide], 3) * 0.01;
  periodMultSlide_ = -std::pow(v[SynthDeltaSlide], 3) * 0.000001;
  duty_ = 0.5 - v[SynthDuty] * 0.5;
  dutySlide_ = -v[SynthDutySweep] * 0.00005;
  if (v[SynthArp] >= 0)
    arpMult_ = 1 - std::pow(v[SynthArp], 2) * 0.9;
  else
    arpMult_ = 1 + std::pow(v[SynthArp], 2) * 10;
  arpTime_ = v[SynthArpSpeed] == 1 ? 0 : static_cast<int64_t>(std::floor(std::pow(1 - v[SynthArpSpeed], 2) * 20000 + 32));
}

void SynthVoice::RefillNoise() {
  for (double& n : noise_) n = RandomUnit() * 2 - 1;
  noiseDrawn_ += 32;
}

// The per-sample steps before the sub-samples: the pitch, the envelope, the
// duty, the phaser's delay and the high-pass's cut-off. False once the voice
// has ended.
inline bool SynthVoice::Step(int* periodOut, double* envOut, int* delayOut) {
  if (repeatTime_ != 0 && ++sinceRepeat_ >= repeatTime_) Restart();
  // The arpeggio's one change of pitch; its time counts from the start of
  // the voice, so after a repeat it comes at once.
  if (arpTime_ != 0 && t_ >= arpTime_) {
    arpTime_ = 0;
    period_ *= arpMult_;
  }
  t_++;
  periodMult_ += periodMultSlide_;
  period_ *= periodMult_;
  if (period_ > periodMax_) {
    period_ = periodMax_;
    if (cutOff_) return false;
  }
  double wobbled = period_;
  if (vibAmp_ > 0) {
    vibPhase_ += vibSpeed_;
    wobbled = period_ * (1 + std::sin(vibPhase_) * vibAmp_);
  }
  // At most 1.5 times the longest period, 100000: truncation is the floor.
  int period = wobbled < SynthOversampling ? SynthOversampling : static_cast<int>(wobbled);
  duty_ += dutySlide_;
  if (duty_ < 0) duty_ = 0;
  if (duty_ > 0.5) duty_ = 0.5;

  if (++envElapsed_ > envLength_[envStage_]) {
    envElapsed_ = 0;
    if (++envStage_ > 2) return false;
  }
  // A stage of length 0 is at its start for its one sample.
  int64_t length = envLength_[envStage_];
  double f = length > 0 ? static_cast<double>(envElapsed_) / static_cast<double>(length) : 0.0;
  double env = envStage_ == 0 ? f : envStage_ == 1 ? 1 + (1 - f) * 2 * s_.value[SynthPunch] : 1 - f;

  int delay = 0;
  if (phaserOn_) {
    phaserOffset_ += phaserSlide_;
    delay = static_cast<int>(std::fabs(std::floor(phaserOffset_)));
    if (delay > 1023) delay = 1023;
  }
  highW_ *= highWMult_;
  if (highW_ < 0.00001) highW_ = 0.00001;
  if (highW_ > 0.1) highW_ = 0.1;

  *periodOut = period;
  *envOut = env;
  *delayOut = delay;
  return true;
}

int SynthVoice::Render(double* out, int count) { return (this->*block_)(out, count); }

// A block of samples made in one call with the sub-sample loop inlined, so
// the per-sample steps cost no call through a pointer each.
template <int Wave, bool LowPass, bool Phaser>
int SynthVoice::Block(double* out, int count) {
  for (int i = 0; i < count; i++) {
    int period = 0, delay = 0;
    double env = 0;
    if (!Step(&period, &env, &delay)) return i;
    double sum = LowPass || Phaser ? SubSamples<Wave, LowPass, Phaser>(period, env, delay) : HighPassOnly<Wave>(period, env);
    out[i] = sum / SynthOversampling;
  }
  return count;
}

// What the waves need of the period and the duty, made again when they
// change rather than divided out at every sub-sample. The square is high
// while phase / period < duty; the quotient grows with the phase, so that is
// the phases below one edge, found with the very quotients it compares. Only
// the square reads the duty.
template <int Wave>
inline void SynthVoice::SetUpWave(int period) {
  if (period == wavePeriod_ && (Wave != SynthSquare || duty_ == waveDuty_)) return;
  if (period != wavePeriod_) {
    sinePeriods_++;
    inverse_ = 1.0 / period;
    wavePeriod_ = period;
  }
  if (Wave == SynthSquare) FindEdge(period);
}

void SynthVoice::FindEdge(int period) {
  waveDuty_ = duty_;
  int e = static_cast<int>(std::ceil(duty_ * period));
  if (e > period) e = period;
  while (e > 0 && static_cast<double>(e - 1) / period >= duty_) e--;
  while (e < period && static_cast<double>(e) / period < duty_) e++;
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
inline double SynthVoice::SubSamples(int period, double env, int delay) {
  // The state lives in locals for the loop: the phaser buffer's stores
  // could otherwise alias the members and keep them out of registers.
  int phase = phase_, pos = phaserPos_;
  double lowPos = lowPos_, lowVel = lowVel_, highPos = highPos_, lowW = lowW_;
  const double highW = highW_, lowWMult = lowWMult_, lowDamp = lowDamp_;
  SetUpWave<Wave>(period);
  double* buffer = phaserBuffer_;
  double sum = 0;
  for (int k = 0; k < SynthOversampling; k++) {
    phase++;
    if (phase >= period) {
      phase %= period;
      if (Wave == SynthNoise) RefillNoise();
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
  phase_ = phase;
  phaserPos_ = pos;
  lowPos_ = lowPos;
  lowVel_ = LowPass ? lowVel : 0;
  highPos_ = highPos;
  lowW_ = lowW;
  return sum;
}

// The high-pass step by step is q = (q + d) - (q + d) h for each change d
// of the wave, a chain of dependent operations that bounds the whole voice.
// With c = 1 - h that is q = c (q + d), so after the eight sub-samples
// q8 = c^8 q0 + sum c^(9-j) d_j, and the sum of the eight (what the sample
// is made of) q0 S8 + sum d_j S(9-j), S(n) the sum of the first n powers of
// c: the same sound to rounding, without the chain.
template <int Wave>
inline double SynthVoice::HighPassOnly(int period, double env) {
  if (highW_ != powersFor_) {
    powersFor_ = highW_;
    double c = 1 - highW_;
    power_[0] = 1;
    powerSum_[0] = 0;
    for (int n = 1; n <= SynthOversampling; n++) {
      power_[n] = power_[n - 1] * c;
      powerSum_[n] = powerSum_[n - 1] + power_[n];
    }
  }
  SetUpWave<Wave>(period);
  int phase = phase_;
  double before = lowPos_, x = before;
  double last = power_[SynthOversampling] * highPos_, sum = powerSum_[SynthOversampling] * highPos_;
  for (int k = 1; k <= SynthOversampling; k++) {
    phase++;
    if (phase >= period) {
      phase %= period;
      if (Wave == SynthNoise) RefillNoise();
    }
    x = WaveAt<Wave>(phase, period);
    double d = x - before;
    before = x;
    last += power_[SynthOversampling + 1 - k] * d;
    sum += powerSum_[SynthOversampling + 1 - k] * d;
  }
  phase_ = phase;
  lowPos_ = x;
  highPos_ = last;
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
