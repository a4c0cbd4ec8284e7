// The classic 8-bit synth voice of the sfxr family of sound-effect tools:
// one oscillator (square, sawtooth, sine, noise, triangle) with frequency
// slides, vibrato, one arpeggio step, repeats, a three-stage envelope, a
// phaser and low- and high-pass filters, worked out at 44100 Hz with eight
// sub-samples per sample. Parameters keep the tools' own 0..1 (or -1..1)
// ranges, so a sound made in one of them can be written down here.
// The parameters and their table are public (zorta/sfx.h).
#pragma once
#include <cstdint>
#include <vector>

#include "zorta/sfx.h"

namespace zorta {

const int SynthRate = 44100;
const int SynthOversampling = 8;
// Samples the voice makes per call (even, for the pairs at the bank's rate).
const int SynthBlock = 256;

// The voice's length in samples at SynthRate if nothing cuts it short: the
// three envelope stages. The frequency cut-off may end it sooner.
int64_t SynthEnvelopeSamples(const SynthSettings& settings);

// One voice being played. Noise comes from the program's random generator
// (RandomUnit), so a seeded recipe always gives the same voice.
class SynthVoice {
 public:
  explicit SynthVoice(const SynthSettings& settings);
  // Up to `count` next samples at SynthRate, before the volume's gain and
  // any clipping: fewer once the voice has ended (then no more).
  int Render(double* samples, int count);
  // The factor the volume parameter gives a sample.
  double Gain() const { return gain_; }
  // Numbers drawn from the random generator so far.
  int64_t NoiseDrawn() const { return noiseDrawn_; }

 private:
  // What changes from sample to sample before the sub-samples; a block
  // keeps it in a local.
  struct Steps {
    double period, periodMax, periodMult, periodMultSlide;
    bool cutOff;
    double duty, dutySlide;
    double arpMult;
    int64_t arpTime;
    int64_t repeatTime, sinceRepeat;
    double highW, highWMult;
    bool phaserOn;
    double vibSpeed, vibAmp, vibPhase;
    int64_t envLength[3];
    int envStage;
    int64_t envElapsed;
    double phaserOffset, phaserSlide;
    int64_t t;
    // The oscillator's phase and the filters' state.
    int phase, phaserPos;
    double lowPos, lowVel, highPos, lowW;
  };
  static void Restart(Steps& st, const double* v);
  void DrawNoise(double* into);
  template <int Wave>
  void DrawAhead(int phase, int period);
  template <int Wave, bool LowPass, bool Phaser>
  int Block(double* out, int count);
  // One sample's eight sub-samples, made for one wave, with or without the
  // low-pass and the phaser, so the loop carries no tests it need not.
  template <int Wave, bool LowPass, bool Phaser>
  double SubSamples(int period, double env, int delay, Steps& st);
  // Without the low-pass and the phaser, the high-pass over the eight
  // sub-samples at once, from powers of its factor.
  template <int Wave>
  double HighPassOnly(int period, double env, Steps& st);
  template <int Wave>
  void SetUpWave(int period, double duty);
  void FindEdge(int period, double duty);
  template <int Wave>
  double WaveAt(int phase, int period);
  using BlockRun = int (SynthVoice::*)(double*, int);
  template <int Wave>
  static BlockRun RunFor(bool lowPass, bool phaser);
  BlockRun block_;

  SynthSettings s_;
  Steps st_;
  double lowWMult_, lowDamp_;
  bool lowPassOn_;
  double gain_;
  double noise_[32], nextNoise_[2][32];
  double phaserBuffer_[1024];
  // For HighPassOnly: the high-pass factor they were made for, 1 - highW_ to the powers 1
  // to 8, and the sums of its first n powers.
  double powersFor_, power_[SynthOversampling + 1], powerSum_[SynthOversampling + 1];
  // For WaveAt: the period and duty they were made for, 1 / period, and
  // the first phase of the square's low half.
  int wavePeriod_;
  double waveDuty_, inverse_;
  int edge_;
  // The sine's values over a period of up to SineTableSize phases, each
  // computed the first time it is needed for that period: sineMade_[phase]
  // is the sinePeriods_ count it was made for.
  static const int SineTableSize = 4096;
  uint32_t sinePeriods_;
  uint32_t sineMade_[SineTableSize];
  double sine_[SineTableSize];
  int64_t noiseDrawn_;
};

// The voice at SynthRate, gain applied, unclipped, at most `limit` samples:
// what the tools call its normalised samples. Returns the noise drawn.
int64_t RenderSynthVoice(const SynthSettings& settings, int64_t limit, std::vector<double>* samples);

// Adds the voice to `count` frames at the bank's rate (half the voice's):
// each frame the mean of two samples, clipped to full scale, as the tools
// write at that rate. Returns the frames the voice filled; *noiseDrawn the
// numbers its noise drew.
int AddSynthVoice(int16_t* buffer, int count, const SynthSettings& settings, int64_t* noiseDrawn);
// The same at the voice's own rate: a sample for each of `count`, clipped.
int AddSynthVoiceAtRate(int16_t* buffer, int count, const SynthSettings& settings, int64_t* noiseDrawn);

}  // namespace zorta
