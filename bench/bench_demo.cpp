// One demo frame as the loop runs it: the GUI pass (root window, world frame,
// demo screen with 89 labels and the hovered button) and the presentation,
// measured apart, at 16 and 32 bits per pixel, without a map and beside the
// shipped example map (as `make run` starts the program); and whole frames
// whose picture changes every time (the pointer going from one button to
// another), which have to be put on the screen. The window is SDL's dummy
// video driver's (a software renderer), unless SDL_VIDEODRIVER says otherwise.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "bench_screen.h"
#include "app/app.h"
#include "display/display.h"
#include "display/draw.h"
#include "gui/gui.h"
#include "input/input.h"
#include "image/image_table.h"
#include "io/named_list.h"
#include "platform/display.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "sfx/sound_bank.h"
#include "world/world.h"

using namespace zorta;

namespace {

LRESULT IgnoreMessages(uint32_t, WPARAM, LPARAM) { return 0; }

char folder[] = "/tmp/zorta-bench-demo-XXXXXX";

void RemoveFolder() {
  std::string command = std::string("rm -rf '") + folder + "'";
  if (system(command.c_str()) != 0) {
  }
}

// The program's working folder as `make run` prepares it: the shipped data.
void EnterRunFolder() {
  static bool made = false;
  if (made) return;
  if (mkdtemp(folder) == nullptr) abort();
  atexit(RemoveFolder);
  std::string command = std::string("cp -r '") + ZORTA_DATA_DIR + "'/. '" + folder + "/'";
  if (system(command.c_str()) != 0 || chdir(folder) != 0) abort();
  made = true;
}

// map 0: no map; 1: the world started as the program starts it, beside the
// shipped example map.
void StartDemo(int depth, int map = 0) {
  if (!WinWindowExists()) WinCreateWindow("Zorta", 100, 100, 640, 480, IgnoreMessages);
  FreeMap();
  FreeAllImages();
  ClearList(&MapList);
  ClearList(&TileSetList);
  StartBenchScreen(depth);
  ResetGuiState();
  ConnectSubsystems();
  OpenGuiWindow(&RootWindow, 0, 0, ScreenWidth, ScreenHeight);
  if (map) {
    EnterRunFolder();
    ListFolder(&TileSetList, "TileSets/*.*", 0, 0);
    ListFolder(&MapList, "Maps/*.*", 0, 0);
    LoadFirstMap();
    if (LayerList.count == 0) abort();
    StepsDue = 1;
  }
  for (int i = 0; i < SoundBankEffects; i++) {
    if (SoundBank[i] == nullptr)
      SoundBank[i] = FSOUND_Sample_Alloc(FSOUND_UNMANAGED, 64, FSOUND_16BITS | FSOUND_MONO | FSOUND_SIGNED, 22050,
                                         255, 128, 255);
  }
  PointerX = 300;  // over a blank button
  PointerY = 200;
}

void BM_DemoFrameDrawing(benchmark::State& state) {
  StartDemo(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) DrawWindows();
}

// The same picture again: compared with the one shown, not put on the screen.
void BM_DemoFramePresent(benchmark::State& state) {
  StartDemo(static_cast<int>(state.range(0)));
  DrawWindows();
  for (auto _ : state) Present();
}

// Drawing and presenting frames that differ: the lit button moves each time.
void BM_DemoFrameChanging(benchmark::State& state) {
  StartDemo(static_cast<int>(state.range(0)), 1);
  int frame = 0;
  for (auto _ : state) {
    PointerX = frame++ % 2 == 0 ? 300 : 340;
    DrawWindows();
    Present();
  }
}

BENCHMARK(BM_DemoFrameDrawing)->ArgsProduct({{16, 32}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DemoFramePresent)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DemoFrameChanging)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
