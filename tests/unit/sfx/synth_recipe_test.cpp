// The synth statement of the recipe language: its parameters and their
// errors, where the voice lands, how it mixes, its noise and its work.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "base/timing.h"
#include "sfx/recipe.h"
#include "sfx/synth_voice.h"

using namespace zorta;

namespace {
using Samples = std::vector<int16_t>;

Samples Render(const std::string& text, RecipeError* error = nullptr) {
  SeedRandom(3);
  Samples frames;
  RecipeError e{0, 0, ""};
  bool ok = RenderRecipe(text.data(), text.size(), &frames, nullptr, &e);
  if (error != nullptr) {
    *error = e;
  } else {
    EXPECT_TRUE(ok) << e.line << ":" << e.column << ": " << e.message;
  }
  return frames;
}

RecipeError ErrorOf(const std::string& text) {
  RecipeError e{0, 0, ""};
  Render(text, &e);
  EXPECT_FALSE(e.message.empty()) << text;
  return e;
}

// The last frame the voice reached, -1 when silent.
int LastSounding(const Samples& s) {
  for (int i = static_cast<int>(s.size()) - 1; i >= 0; i--)
    if (s[static_cast<size_t>(i)] != 0) return i;
  return -1;
}

const std::string Head = "frames 20000\nvolume 200\n";
}  // namespace

TEST(SynthStatement, DefaultsAreTheModelsAndLastItsEnvelope) {
  Samples plain = Render(Head + "synth()");
  Samples spelled = Render(Head + "synth(square, freq = 0.3, sustain = 0.3, decay = 0.4, volume = 0.5, lpf = 1)");
  EXPECT_EQ(plain, spelled);
  // Sustain 0.3 and decay 0.4 are 9001 and 16001 samples at 44100 Hz: 12501
  // frames at the bank's rate, the last of them still sounding faintly.
  int last = LastSounding(plain);
  EXPECT_GE(last, 12400);
  EXPECT_LT(last, 12501);
  // Parameters may be any expression, spread over lines inside the brackets.
  Samples written = Render(Head + "f = 0.15\nsynth(SQUARE,\n  freq = 2 * f\n  decay = 0.2 + 0.2)");
  EXPECT_EQ(written, plain);
  // Each wave is its own sound.
  std::vector<Samples> waves;
  for (const char* w : {"square", "saw", "sawtooth", "sine", "noise", "triangle"})
    waves.push_back(Render(Head + "synth(" + w + ")"));
  EXPECT_EQ(waves[1], waves[2]);
  for (size_t i = 0; i < waves.size(); i++) {
    for (size_t j = i + 1; j < waves.size(); j++) {
      if (!(i == 1 && j == 2)) {
        EXPECT_NE(waves[i], waves[j]) << i << " " << j;
      }
    }
  }
}

TEST(SynthStatement, ErrorsNameTheirPlace) {
  RecipeError e = ErrorOf(Head + "synth(sine, frequency = 0.3)");
  EXPECT_EQ(e.line, 3);
  EXPECT_EQ(e.column, 13);
  EXPECT_NE(e.message.find("unknown synth parameter 'frequency'"), std::string::npos) << e.message;
  e = ErrorOf(Head + "synth(organ)");
  EXPECT_EQ(e.column, 7);
  EXPECT_NE(e.message.find("unknown wave 'organ'"), std::string::npos) << e.message;
  e = ErrorOf(Head + "synth(freq = 0.3, decay = 0.1, freq = 0.4)");
  EXPECT_EQ(e.column, 32);
  EXPECT_NE(e.message.find("freq is given twice"), std::string::npos) << e.message;
  // Values outside the model's ranges, at the value; signed ones go to -1.
  e = ErrorOf(Head + "synth(saw,\n  freq = 1.5)");
  EXPECT_EQ(e.line, 4);
  EXPECT_EQ(e.column, 10);
  EXPECT_EQ(e.message, "synth's freq takes 0 to 1, not 1.5");
  e = ErrorOf(Head + "synth(slide = -1, decay = -0.1)");
  EXPECT_EQ(e.column, 27);
  EXPECT_EQ(e.message, "synth's decay takes 0 to 1, not -0.10000000000000001");
  e = ErrorOf(Head + "synth(hpfsweep = 0/0)");
  EXPECT_NE(e.message.find("not a number"), std::string::npos) << e.message;
  e = ErrorOf(Head + "synth(freq 0.3)");
  EXPECT_NE(e.message.find("expected '='"), std::string::npos) << e.message;
  // The word stays free as a name.
  Render(Head + "synth = 0.5\nsine 0.01 a(synth)");
}

TEST(SynthStatement, PlaysInItsRunAndMixes) {
  Samples whole = Render(Head + "synth(saw, freq = 0.5, sustain = 0.1, decay = 0.1)");
  int length = LastSounding(whole) + 1;
  ASSERT_GT(length, 1000);
  // From the run's first frame, cut at its end.
  Samples placed = Render(Head + "synth [5000+1000] (saw, freq = 0.5, sustain = 0.1, decay = 0.1)");
  for (size_t i = 0; i < placed.size(); i++) {
    int16_t want = i >= 5000 && i < 6000 ? whole[i - 5000] : 0;
    ASSERT_EQ(placed[i], want) << i;
  }
  // Layers add, with the 16-bit wrap every layer has.
  Samples tone = Render(Head + "sine 0.02 a(0.9)");
  Samples both = Render(Head + "sine 0.02 a(0.9)\nsynth(saw, freq = 0.5, sustain = 0.1, decay = 0.1)");
  for (size_t i = 0; i < both.size(); i++)
    ASSERT_EQ(both[i], static_cast<int16_t>(static_cast<uint16_t>(tone[i] + whole[i]))) << i;
  // A run that leaves the sound is the usual error.
  RecipeError e = ErrorOf(Head + "synth [19000+2000] ()");
  EXPECT_NE(e.message.find("lies outside the sound"), std::string::npos) << e.message;
}

TEST(SynthStatement, ClipsAtFullScaleAsTheModelDoes) {
  // A punch triples the level: the voice clips instead of wrapping round.
  Samples loud = Render(Head + "synth(sine, punch = 1, volume = 1, sustain = 0.2)");
  auto [low, high] = std::minmax_element(loud.begin(), loud.end());
  EXPECT_EQ(*high, 32767);
  EXPECT_EQ(*low, -32767);
  // Wrapped, a loud frame would change sign: it keeps that of the quiet voice.
  Samples quiet = Render(Head + "synth(sine, punch = 1, volume = 0.05, sustain = 0.2)");
  for (size_t i = 0; i < loud.size(); i++)
    if (std::abs(quiet[i]) > 50) {
      ASSERT_EQ(loud[i] > 0, quiet[i] > 0) << i;
    }
}

TEST(SynthStatement, NoiseFollowsTheSeedAndTheGenerator) {
  std::string noise = "synth(noise, freq = 0.5, sustain = 0.1, decay = 0.1)\n";
  Samples a = Render(Head + "seed 5\n" + noise);
  Samples b = Render(Head + "seed 5\n" + noise);
  Samples c = Render(Head + "seed 6\n" + noise);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  // The voice's draws come out of the recipe's noise: noise after it
  // differs from noise that did not wait for it, and the count is reported.
  CompiledRecipe r;
  RecipeError e;
  std::string text = Head + "seed 5\n" + noise + "noise [15000+100] a(1)\n";
  ASSERT_TRUE(CompileRecipe(text.data(), text.size(), &r, &e)) << e.message;
  Samples frames(20000, 0);
  RecipeUse use{0, 0};
  ASSERT_TRUE(RunRecipe(r, frames.data(), &e, &use)) << e.message;
  EXPECT_GT(use.noise, 100 + 32);
  Samples alone = Render(Head + "seed 5\nnoise [15000+100] a(1)\n");
  EXPECT_FALSE(std::equal(alone.begin() + 15000, alone.begin() + 15100, frames.begin() + 15000));
}

TEST(SynthStatement, CountsItsSubSamplesAsWork) {
  CompiledRecipe r;
  RecipeError e;
  std::string text = Head + "synth(sustain = 0.1, decay = 0.1)\n";
  ASSERT_TRUE(CompileRecipe(text.data(), text.size(), &r, &e)) << e.message;
  Samples frames(20000, 0);
  RecipeUse use{0, 0};
  ASSERT_TRUE(RunRecipe(r, frames.data(), &e, &use)) << e.message;
  // 2002 samples at 44100 Hz, 1001 frames: sixteen sub-samples each; the
  // run's 20000 frames, the statement and its two values' operations.
  EXPECT_EQ(use.work, 20000 + 16 * 1001 + 1 + 4);
  // Long voices in a loop run out of the budget at the statement.
  RecipeError over = ErrorOf("frames 600000\nvolume 1\nfor i = 0 to 20 {\n  synth(sustain = 1, decay = 1)\n}");
  EXPECT_EQ(over.line, 4);
  EXPECT_NE(over.message.find("steps of work"), std::string::npos) << over.message;
}

namespace {
Samples RenderOwn(const std::string& text, int* rate) {
  SeedRandom(3);
  Samples frames;
  RecipeError e{0, 0, ""};
  EXPECT_TRUE(RenderRecipe(text.data(), text.size(), &frames, nullptr, &e, rate)) << e.message;
  return frames;
}
}  // namespace

TEST(SynthStatement, ARecipeOfSynthAlonePlaysAtTheVoicesOwnRate) {
  const std::string voice = "synth(saw, freq = 0.5, sustain = 0.1, decay = 0.1, punch = 1, volume = 0.9)\n";
  int rate = 0;
  Samples own = RenderOwn(Head + voice, &rate);
  EXPECT_EQ(rate, 44100);
  // Twice the samples for the same length in time; each the voice's own
  // sample, clipped to full scale, not a mean of two.
  ASSERT_EQ(own.size(), 40000u);
  SynthSettings s = DefaultSynthSettings();
  s.wave = SynthSawtooth;
  s.value[SynthFreq] = 0.5;
  s.value[SynthSustain] = s.value[SynthDecay] = 0.1;
  s.value[SynthPunch] = 1;
  s.value[SynthVolume] = 0.9;
  std::vector<double> voiceSamples;
  RenderSynthVoice(s, 40000, &voiceSamples);
  ASSERT_GT(voiceSamples.size(), 2000u);
  int clipped = 0;
  for (size_t i = 0; i < own.size(); i++) {
    double v = i < voiceSamples.size() ? voiceSamples[i] : 0;
    if (std::abs(v) > 1) clipped++;
    ASSERT_EQ(own[i], static_cast<int16_t>((v > 1 ? 1 : v < -1 ? -1 : v) * 32767)) << i;
  }
  EXPECT_GT(clipped, 0);
  // Asked for the bank's rate, the same recipe is the mean of each two, as before.
  Samples bank = Render(Head + voice);
  ASSERT_EQ(bank.size(), 20000u);
  for (size_t i = 0; 2 * i + 1 < voiceSamples.size(); i++) {
    double m = (voiceSamples[2 * i] + voiceSamples[2 * i + 1]) / 2;
    ASSERT_EQ(bank[i], static_cast<int16_t>((m > 1 ? 1 : m < -1 ? -1 : m) * 32767)) << i;
  }
  // Runs, repeats and loops count frames of 1/22050 s: two samples each.
  Samples placed = RenderOwn(Head + "f = 0.5\nrep 2 every 6000 {\n  synth [5000+1000] (saw, freq = f, sustain = 0.1,"
                                    " decay = 0.1, punch = 1, volume = 0.9)\n}\n", &rate);
  EXPECT_EQ(rate, 44100);
  for (size_t i = 0; i < placed.size(); i++) {
    size_t at = i >= 22000 ? i - 22000 : i - 10000;
    int16_t want = (i >= 10000 && i < 12000) || (i >= 22000 && i < 24000) ? own[at] : 0;
    ASSERT_EQ(placed[i], want) << i;
  }
}

TEST(SynthStatement, OtherStatementsOrTheRateLineKeepTheBanksRate) {
  int rate = 0;
  // Any other sound or processing works on frames at 22050 Hz: the recipe
  // stays there, its voice averaged down as before.
  std::string mixed = Head + "synth(saw, freq = 0.5, sustain = 0.1, decay = 0.1)\nsine 0.02 a(0.1)\n";
  EXPECT_EQ(RenderOwn(mixed, &rate), Render(mixed));
  EXPECT_EQ(rate, 22050);
  std::string scaled = Head + "synth(saw, freq = 0.5, sustain = 0.1, decay = 0.1)\nscale 0.5\n";
  EXPECT_EQ(RenderOwn(scaled, &rate).size(), 20000u);
  EXPECT_EQ(rate, 22050);
  // The header may say so for a voice alone, or ask for the voice's rate.
  std::string voice = "synth(saw, freq = 0.5, sustain = 0.1, decay = 0.1)\n";
  EXPECT_EQ(RenderOwn(Head + "rate 22050\n" + voice, &rate), Render(Head + voice));
  EXPECT_EQ(rate, 22050);
  EXPECT_EQ(RenderOwn("rate 44100\n" + Head + voice, &rate), RenderOwn(Head + voice, &rate));
  EXPECT_EQ(rate, 44100);
  RecipeError e = ErrorOf(Head + "rate 44100\n" + voice + "echo 2\n");
  EXPECT_EQ(e.line, 5);
  EXPECT_EQ(e.column, 1);
  EXPECT_EQ(e.message, "a recipe at rate 44100 holds only synth statements (with names, loops, ifs and rep)");
  e = ErrorOf(Head + "rate 32000\n" + voice);
  EXPECT_EQ(e.message, "rate is 22050 or 44100, not 32000");
  e = ErrorOf(Head + "rate 22050\nrate 22050\n" + voice);
  EXPECT_EQ(e.message, "rate is given twice");
  e = ErrorOf(Head + voice + "rate 44100\n");
  EXPECT_NE(e.message.find("'rate' belongs in the header"), std::string::npos) << e.message;
  // The word stays free as a name.
  RenderOwn(Head + "rate = 0.5\nsynth(freq = rate)\n", &rate);
  EXPECT_EQ(rate, 44100);
}

// Without the low-pass and the phaser the voice takes its quick path (the
// high-pass over a sample's sub-samples at once); a phaser too small to move
// takes the step-by-step one. They must be the same sound to rounding, every
// wave, sweeps and all.
TEST(SynthVoiceSpeed, TheQuickPathIsTheStepByStepSound) {
  for (int wave = SynthSquare; wave <= SynthTriangle; wave++) {
    SynthSettings s = DefaultSynthSettings();
    s.wave = wave;
    s.value[SynthFreq] = 0.45;
    s.value[SynthSlide] = -0.2;
    s.value[SynthDuty] = 0.3;
    s.value[SynthDutySweep] = 0.4;
    s.value[SynthVibrato] = 0.3;
    s.value[SynthVibratoSpeed] = 0.4;
    s.value[SynthHighPass] = 0.2;
    s.value[SynthHighPassSweep] = 0.3;
    s.value[SynthPunch] = 0.5;
    SynthSettings t = s;
    t.value[SynthPhaser] = 1e-9;
    std::vector<double> quick, step;
    SeedRandom(1);
    RenderSynthVoice(s, 1 << 20, &quick);
    SeedRandom(1);
    RenderSynthVoice(t, 1 << 20, &step);
    ASSERT_EQ(quick.size(), step.size()) << wave;
    ASSERT_GT(quick.size(), 10000u);
    double most = 0;
    for (size_t i = 0; i < quick.size(); i++) most = std::max(most, std::abs(quick[i] - step[i]));
    EXPECT_LT(most, 1e-9) << "wave " << wave;
  }
}

// The noise draws 32 numbers at each start of a period, and a pitch that
// jumps up (here at each repeat of a falling slide) can leave the phase past
// the new period, so one sample's eight sub-samples start two periods. The
// draws count them all, whether the sample is made by the quick path or
// step by step.
TEST(SynthVoiceSpeed, NoiseDrawsAtEveryStartOfAPeriod) {
  SynthSettings s = DefaultSynthSettings();
  s.wave = SynthNoise;
  s.value[SynthFreq] = 0.5;
  s.value[SynthSlide] = -0.9;
  s.value[SynthRepeat] = 0.9;
  // The phase counted on its own: the period grows by a factor each sample
  // and falls back at each repeat.
  const double start = 100 / (0.5 * 0.5 + 0.001), factor = 1 - std::pow(-0.9, 3) * 0.01;
  const int64_t repeat = static_cast<int64_t>(std::floor(std::pow(1 - 0.9, 2) * 20000 + 32));
  const int64_t length = SynthEnvelopeSamples(s);
  double exact = start;
  int phase = 0;
  int64_t starts = 0, twice = 0;
  for (int64_t i = 0; i < length; i++) {
    if ((i + 1) % repeat == 0) exact = start;
    exact *= factor;
    int period = static_cast<int>(exact), here = 0;
    for (int k = 0; k < SynthOversampling; k++)
      if (++phase >= period) {
        phase %= period;
        here++;
      }
    starts += here;
    twice += here == 2;
  }
  ASSERT_GT(twice, 0);
  for (double phaser : {0.0, 1e-9}) {
    s.value[SynthPhaser] = phaser;
    std::vector<double> samples;
    SeedRandom(3);
    EXPECT_EQ(RenderSynthVoice(s, length, &samples), 32 * (starts + 1)) << phaser;
    EXPECT_EQ(static_cast<int64_t>(samples.size()), length);
  }
}
