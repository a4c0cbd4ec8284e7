// The synth statement: one sound of each wave rendered from its recipe, and
// the same parameters through jsfxr in Node, the tools' reference, timed in
// the same run (its renders per second reported as a counter) when the
// build folder has it (the test jsfxr_install puts it there).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/timing.h"
#include "sfx/recipe.h"

using namespace zorta;

namespace {
// A blip of about half a second: sustain 0.3 and decay 0.4, 12501 frames.
const char* const Params = "freq = 0.4, sustain = 0.3, decay = 0.4, slide = 0.1, lpf = 0.8, hpf = 0.05";
const char* const Waves[] = {"square", "saw", "sine", "noise", "triangle"};
const int JsfxrWave[] = {0, 1, 2, 3, 1};

void BM_SynthStatement(benchmark::State& state) {
  const char* wave = Waves[state.range(0)];
  std::string text = std::string("frames 12600\nvolume 200\nseed 0\nsynth(") + wave + ", " + Params + ")\n";
  std::vector<int16_t> frames;
  RecipeError error;
  for (auto _ : state) {
    if (!RenderRecipe(text.data(), text.size(), &frames, nullptr, &error)) state.SkipWithError(error.message.c_str());
    benchmark::DoNotOptimize(frames.data());
  }
  state.SetLabel(wave);
}
BENCHMARK(BM_SynthStatement)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// jsfxr renders the same sound 40 times in one Node process and reports its
// milliseconds per render (the process's start is not counted); the
// sawtooth at duty 1 is our saw, at duty 0 our triangle.
void BM_JsfxrSameSound(benchmark::State& state) {
  int w = static_cast<int>(state.range(0));
  std::string script =
      "const j=require('" ZORTA_JSFXR_DIR "/jsfxr');const p=new j.Params();"
      "Object.assign(p,{wave_type:" + std::to_string(JsfxrWave[w]) +
      ",p_base_freq:0.4,p_env_sustain:0.3,p_env_decay:0.4,p_freq_ramp:0.1,p_lpf_freq:0.8,p_hpf_freq:0.05,"
      "p_duty:" + (w == 1 ? "1" : "0") + ",sample_rate:22050,sample_size:16});"
      "for(let i=0;i<10;i++)new j.SoundEffect(p).getRawBuffer();"
      "const t=process.hrtime.bigint();for(let i=0;i<40;i++)new j.SoundEffect(p).getRawBuffer();"
      "console.log(Number(process.hrtime.bigint()-t)/40e6);";
  std::string command = "node -e \"" + script + "\" 2>/dev/null";
  double ms = 0;
  for (auto _ : state) {
    FILE* node = popen(command.c_str(), "r");
    if (node == nullptr || fscanf(node, "%lf", &ms) != 1) {
      if (node != nullptr) pclose(node);
      state.SkipWithError("jsfxr did not run: run the test jsfxr_install first");
      return;
    }
    pclose(node);
  }
  state.counters["ms_per_render"] = ms;
  state.SetLabel(Waves[w]);
}
BENCHMARK(BM_JsfxrSameSound)->DenseRange(0, 4)->Iterations(1)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
