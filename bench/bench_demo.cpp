// One demo frame as the loop runs it: the GUI pass (root window, world frame,
// demo screen with 89 labels and the hovered button) and the presentation,
// measured apart, at 16 and 32 bits per pixel. The window is SDL's dummy
// video driver's (a software renderer), unless SDL_VIDEODRIVER says otherwise.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench_screen.h"
#include "app/app.h"
#include "display/display.h"
#include "display/draw.h"
#include "gui/gui.h"
#include "input/input.h"
#include "platform/display.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "sfx/sound_bank.h"

namespace {

LRESULT IgnoreMessages(uint32_t, WPARAM, LPARAM) { return 0; }

void StartDemo(int depth) {
  if (!WinWindowExists()) WinCreateWindow("Zorta", 100, 100, 640, 480, IgnoreMessages);
  StartBenchScreen(depth);
  ResetGuiState();
  ConnectSubsystems();
  OpenGuiWindow(&RootWindow, 0, 0, ScreenWidth, ScreenHeight);
  for (int i = 0; i < SoundBankEffects; i++) {
    if (SoundBank[i] == nullptr)
      SoundBank[i] = FSOUND_Sample_Alloc(FSOUND_UNMANAGED, 64, FSOUND_16BITS | FSOUND_MONO | FSOUND_SIGNED, 22050,
                                         255, 128, 255);
  }
  PointerX = 300;  // over a blank button
  PointerY = 200;
}

void BM_DemoFrameDrawing(benchmark::State& state) {
  StartDemo(static_cast<int>(state.range(0)));
  for (auto _ : state) DrawWindows();
}

void BM_DemoFramePresent(benchmark::State& state) {
  StartDemo(static_cast<int>(state.range(0)));
  DrawWindows();
  for (auto _ : state) Present();
}

BENCHMARK(BM_DemoFrameDrawing)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DemoFramePresent)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
