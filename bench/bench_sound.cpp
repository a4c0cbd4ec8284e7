// Start-up synthesis cost: the whole bank against a bare loop of as many sin
// calls as the bank needs, and each primitive per million frames.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/timing.h"
#include "sfx/builtin_recipes.h"
#include "sfx/primitives.h"
#include "sfx/recipe.h"
#include "sfx/sample.h"
#include "sfx/sound_bank.h"

using namespace zorta;

namespace {
const int Million = 1000000;

// What the bank spends in sin: about 1.1 million calls.
void BM_BareSinLoop(benchmark::State& state) {
  for (auto _ : state) {
    double phase = 0, sum = 0;
    for (int i = 0; i < 1100000; i++) {
      sum += std::sin(3.141592654 * phase);
      phase += 0.0137;
      if (phase >= 2) phase -= 2;
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_BareSinLoop)->Unit(benchmark::kMillisecond);

// As at start-up: sound output opened, then the 89 recipes.
void BM_BuildSoundBank(benchmark::State& state) {
  for (auto _ : state) {
    SeedRandom(0);
    BuildSoundBank();
    state.PauseTiming();
    FreeSoundBank();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BuildSoundBank)->Unit(benchmark::kMillisecond);

// The 89 recipes alone, without the sound output's own conversions.
void BM_FillSoundBank(benchmark::State& state) {
  for (auto _ : state) {
    SeedRandom(0);
    FillSoundBank();
    state.PauseTiming();
    FreeSoundBank();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FillSoundBank)->Unit(benchmark::kMillisecond);

// What FillSoundBank adds once, on its first call: parsing and compiling the
// 89 built-in recipe texts.
void BM_CompileBuiltinRecipes(benchmark::State& state) {
  for (auto _ : state) {
    for (int slot = 0; slot < BuiltinRecipeCount; slot++) {
      CompiledRecipe recipe;
      RecipeError error;
      benchmark::DoNotOptimize(
          CompileRecipe(BuiltinRecipeText[slot], strlen(BuiltinRecipeText[slot]), &recipe, &error));
    }
  }
}
BENCHMARK(BM_CompileBuiltinRecipes)->Unit(benchmark::kMicrosecond);

enum Primitive { Noise, Sine, SineModulated, Saw, Pulse, PulseSweep, Scale, Norm, Smoothing, Trem, Echo4 };

// One primitive over a million frames per iteration.
void BM_Primitive(benchmark::State& state, Primitive which) {
  std::vector<int16_t> buf(Million);
  for (int i = 0; i < Million; i++) buf[i] = static_cast<int16_t>((i * 37) % 20000 - 10000);
  int16_t* b = buf.data();
  SeedRandom(0);
  ResetOscillator();
  for (auto _ : state) {
    switch (which) {
      case Noise: AddNoise(b, Million, 0.3333333333333333); break;
      case Sine: AddSine(b, Million, 0.02, 0.06, 0, 0, 0.3333333333333333); break;
      case SineModulated: AddSine(b, Million, 0.02, 0.06, 0.001, 0.01, 0.3333333333333333); break;
      case Saw: AddSaw(b, Million, 0.02, 0.06, 0, 0, 0.3333333333333333); break;
      case Pulse: AddPulse(b, Million, 0, 0, 0.02, 0.06, 0, 0, 0.3333333333333333); break;
      case PulseSweep: AddPulse(b, Million, 0, 1, 0.02, 0.06, 0, 0, 0.3333333333333333); break;
      case Scale: ScaleSamples(b, Million, 0.75); break;
      case Norm: Normalize(b, Million); break;
      case Smoothing: Smooth(b, Million); break;
      case Trem: Tremolo(b, Million, 0.014, 1); break;
      case Echo4: Echo(b, Million, 4); break;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * Million);
}
BENCHMARK_CAPTURE(BM_Primitive, AddNoise, Noise)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, AddSine, Sine)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, AddSine_modulated, SineModulated)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, AddSaw, Saw)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, AddPulse, Pulse)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, AddPulse_width_sweep, PulseSweep)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, ScaleSamples, Scale)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, Normalize, Norm)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, Smooth, Smoothing)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, Tremolo, Trem)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Primitive, Echo_4_taps, Echo4)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
  // Opening sound output must not need a sound device here.
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
