// The synth voice: one sound of each kind generated from its seed and
// rendered through its recipe at the voice's 44100 Hz, as `zorta-tool new`
// and the program make it, and the same parameters through jsfxr in Node,
// the tools' reference, timed in the same run when the build folder has it
// (the test jsfxr_install puts it there). Both sides are CPU time; the
// counter `ratio` is jsfxr's over ours, and the end of the run prints its
// median over the kinds.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/timing.h"
#include "sfx/recipe.h"

using namespace zorta;

namespace {
// jsfxr's names of our parameters, in SynthParam order.
const char* const JsfxrNames[SynthParamCount] = {
    "p_env_attack", "p_env_sustain", "p_env_punch", "p_env_decay", "p_base_freq", "p_freq_limit",
    "p_freq_ramp",  "p_freq_dramp",  "p_vib_strength", "p_vib_speed", "p_arp_mod", "p_arp_speed",
    "p_duty",       "p_duty_ramp",   "p_repeat_speed", "p_pha_offset", "p_pha_ramp", "p_lpf_freq",
    "p_lpf_ramp",   "p_lpf_resonance", "p_hpf_freq", "p_hpf_ramp", "sound_vol"};

// Every repetition's ratio, by kind.
std::vector<double> Ratios[SynthKindCount];

double ThreadCpuMs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// jsfxr's CPU milliseconds per render of the settings (its process's start
// not counted, its garbage collector's threads counted), -1 when it did not
// run. Its sawtooth at duty 1 is our saw, at duty 0 our triangle.
double JsfxrMs(const SynthSettings& s) {
  const int wave[] = {0, 1, 2, 3, 1};
  std::string values = "wave_type:" + std::to_string(wave[s.wave < 5 ? s.wave : 0]);
  for (int i = 0; i < SynthParamCount; i++) {
    char number[40];
    snprintf(number, sizeof number, "%.17g", s.value[i]);
    values += std::string(",") + JsfxrNames[i] + ":" + number;
  }
  if (s.wave == SynthSawtooth || s.wave == SynthTriangle)
    values += std::string(",p_duty:") + (s.wave == SynthSawtooth ? "1" : "0") + ",p_duty_ramp:0";
  std::string script =
      "const j=require('" ZORTA_JSFXR_DIR "/jsfxr');const p=new j.Params();"
      "Object.assign(p,{" + values + ",sample_rate:44100,sample_size:16});"
      "for(let i=0;i<10;i++)new j.SoundEffect(p).getRawBuffer();"
      "const c=process.cpuUsage();for(let i=0;i<40;i++)new j.SoundEffect(p).getRawBuffer();"
      "const u=process.cpuUsage(c);console.log((u.user+u.system)/40e3);";
  std::string command = "node -e \"" + script + "\" 2>/dev/null";
  FILE* node = popen(command.c_str(), "r");
  if (node == nullptr) return -1;
  double ms = -1;
  if (fscanf(node, "%lf", &ms) != 1) ms = -1;
  pclose(node);
  return ms;
}

void BM_SynthKind(benchmark::State& state) {
  int kind = static_cast<int>(state.range(0));
  std::vector<int16_t> samples;
  RecipeError error;
  SynthSettings settings = GenerateSynth(kind, 1);
  double start = ThreadCpuMs();
  for (auto _ : state) {
    settings = GenerateSynth(kind, 1);
    std::string text = SynthRecipeText(settings, 255, "");
    int rate = 0;
    if (!RenderRecipe(text.data(), text.size(), &samples, nullptr, &error, &rate) || rate != 44100)
      state.SkipWithError(error.message.c_str());
    benchmark::DoNotOptimize(samples.data());
  }
  double ours = (ThreadCpuMs() - start) / static_cast<double>(state.iterations());
  state.SetLabel(std::string(SynthKindNames[kind]) + ", " + std::to_string(samples.size()) + " samples");
  // After the loop: the framework's timing has stopped.
  double theirs = JsfxrMs(settings);
  if (theirs <= 0) return;  // no jsfxr: ours alone
  state.counters["ours_ms"] = ours;
  state.counters["jsfxr_ms"] = theirs;
  state.counters["ratio"] = theirs / ours;
  Ratios[kind].push_back(theirs / ours);
}
BENCHMARK(BM_SynthKind)->DenseRange(0, SynthKindCount - 1)->Unit(benchmark::kMillisecond);

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::vector<double> perKind;
  for (int k = 0; k < SynthKindCount; k++)
    if (!Ratios[k].empty()) perKind.push_back(Median(Ratios[k]));
  if (perKind.empty()) {
    printf("jsfxr did not run: run the test jsfxr_install first (ctest -R jsfxr_install)\n");
  } else {
    printf("jsfxr / ours, CPU time per sound generated and rendered, median over %zu kinds: %.1fx (lowest %.1fx)\n",
           perKind.size(), Median(perKind), *std::min_element(perKind.begin(), perKind.end()));
  }
  return 0;
}
