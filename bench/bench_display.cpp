// Cost of the display work of one demo frame: a full-screen fill, 500 button
// fills of 30 x 16, 90 short labels and one present, at 16 and 32 bits.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "bench_screen.h"
#include "base/settings.h"
#include "display/display.h"
#include "display/draw.h"
#include "display/text.h"
#include "platform/display.h"
#include "platform/testing.h"
#include "platform/window.h"

using namespace zorta;

namespace {

void StartDisplay(int depth) {
  StartBenchScreen(depth);
}

void ButtonFills() {
  int x = 2, y = 20;
  for (int i = 0; i < 500; i++) {
    FillRect(x, y, 30, 16, PackColor(64, 64, 64, ColorDepth));
    if (y + 18 < ScreenHeight - 16) {
      y += 18;
    } else {
      y = 20;
      x += 32;
    }
  }
}

void Labels() {
  char text[16];
  int x = 2, y = 20;
  for (int i = 1; i <= 90; i++) {
    snprintf(text, sizeof text, "%d", i);
    PrintText(text, x + 5, y);
    y += 18;
    if (y > 452) y = 20, x += 32;
  }
}

void BM_FullScreenFill(benchmark::State& state) {
  StartDisplay(static_cast<int>(state.range(0)));
  for (auto _ : state) FillRect(0, 0, 640, 480, 0);
}

void BM_ButtonFills500(benchmark::State& state) {
  StartDisplay(static_cast<int>(state.range(0)));
  for (auto _ : state) ButtonFills();
}

// The same 500 fills with SDL_FillRect for every size.
void BM_ButtonFills500LibraryFill(benchmark::State& state) {
  StartDisplay(static_cast<int>(state.range(0)));
  DisplaySeamUseLibraryFill(true);
  for (auto _ : state) ButtonFills();
  DisplaySeamUseLibraryFill(false);
}

void BM_Labels90(benchmark::State& state) {
  StartDisplay(static_cast<int>(state.range(0)));
  for (auto _ : state) Labels();
}

void BM_Present(benchmark::State& state) {
  StartDisplay(static_cast<int>(state.range(0)));
  for (auto _ : state) Present();
}

void BM_DemoFrameDisplayWork(benchmark::State& state) {
  StartDisplay(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    FillRect(0, 0, 640, 480, 0);
    FillRect(0, 0, 640, 15, PackColor(0, 0, 128, ColorDepth));
    PrintText("--- Zorta Demo ---     <Click A Sound To Play It>     ", 128, 0);
    ButtonFills();
    Labels();
    Present();
  }
}

BENCHMARK(BM_FullScreenFill)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ButtonFills500)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ButtonFills500LibraryFill)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Labels90)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Present)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DemoFrameDisplayWork)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Headless unless a display was asked for.
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  if (!WinCreateWindow("Zorta", 100, 100, 640, 480, nullptr)) {
    fprintf(stderr, "bench_display: no window: %s\n", WinLastError());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  ReleaseAllSurfaceSlots();
  ReleaseWindowed();
  WinDestroyWindow();
  return 0;
}
