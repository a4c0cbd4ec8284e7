// zorta-tool plot's cost: all 89 slot pictures and the contact sheet, as the
// command makes them, and the parts of one picture.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bank_access.h"
#include "plot.h"
#include "sfx/sound_bank.h"

using namespace zorta;

namespace {
std::vector<std::vector<int16_t>>& Waves() {
  static std::vector<std::vector<int16_t>> waves;
  if (waves.empty()) {
    FillBankAsProgram();
    for (int s = 0; s < SoundBankEffects; s++) waves.push_back(SlotFrames(s));
    FreeSoundBank();
  }
  return waves;
}

std::string Folder() {
  static std::string folder;
  if (folder.empty()) {
    char tmpl[] = "/tmp/zorta-bench-plot-XXXXXX";
    folder = mkdtemp(tmpl) != nullptr ? tmpl : ".";
  }
  return folder;
}

// What `zorta-tool plot OUTDIR` does after synthesis: 89 pictures of 800x480
// and the sheet, written to files.
void BM_PlotWholeBank(benchmark::State& state) {
  std::string error;
  for (auto _ : state) {
    for (int s = 0; s < SoundBankEffects; s++) {
      std::string path = Folder() + "/slot-" + std::to_string(s) + ".png";
      if (!WriteSlotPlot(s, Waves()[s], BankRate, PlotDefaultWidth, PlotDefaultHeight, path, &error))
        state.SkipWithError(error.c_str());
    }
    if (!WriteBankSheet(Waves(), BankRate, Folder() + "/bank.png", &error)) state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_PlotWholeBank)->Unit(benchmark::kMillisecond);

// One 800x480 picture of the longest slot (20, 32768 frames).
void BM_PlotOneSlot(benchmark::State& state) {
  std::string error;
  for (auto _ : state)
    if (!WriteSlotPlot(20, Waves()[20], BankRate, PlotDefaultWidth, PlotDefaultHeight, Folder() + "/one.png",
                       &error))
      state.SkipWithError(error.c_str());
}
BENCHMARK(BM_PlotOneSlot)->Unit(benchmark::kMillisecond);

// Its spectrogram alone: one 512-frame transform per panel column.
void BM_SpectrogramOneSlot(benchmark::State& state) {
  PlotLayout l = LayoutSlotPlot(PlotDefaultWidth, PlotDefaultHeight);
  for (auto _ : state) {
    Spectrogram s = ComputeSpectrogram(Waves()[20].data(), static_cast<int>(Waves()[20].size()), BankRate,
                                       PlotWindow, l.specW);
    benchmark::DoNotOptimize(s.db.data());
  }
}
BENCHMARK(BM_SpectrogramOneSlot)->Unit(benchmark::kMillisecond);

// The contact sheet alone (compressed hardest: it is meant for pages).
void BM_BankSheet(benchmark::State& state) {
  std::string error;
  for (auto _ : state)
    if (!WriteBankSheet(Waves(), BankRate, Folder() + "/bank.png", &error)) state.SkipWithError(error.c_str());
}
BENCHMARK(BM_BankSheet)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (Folder().rfind("/tmp/zorta-bench-plot-", 0) == 0) {
    std::string cmd = "rm -rf '" + Folder() + "'";
    if (system(cmd.c_str()) != 0) return 1;
  }
  return 0;
}
