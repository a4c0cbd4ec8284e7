// Cost of one frame of the example game at its busiest: a level of four tile
// layers (one wrapping, with parallax) holding 500 live objects of the game's
// own types (two players, 400 coins, 97 enemies on their paths, the goal),
// one logic step of the game's rules and the drawing of the layers, the
// objects and the score line, at 16 and 32 bits; and the step alone. Then
// what a restart costs a designer who saves the level in Tiled: the level's
// Tiled map imported as the program loads it from Maps/ (its tile set read and
// converted), against its map file decoded.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "bench_screen.h"
#include "game.h"
#include "input/input.h"
#include "io/named_list.h"
#include "screen.h"
#include "world/map.h"
#include "world/map_codec.h"
#include "world/tiled_import.h"
#include "world/world.h"

using namespace zorta;

namespace {

const int Width = 60, Height = 40;
char folder[] = "/tmp/zorta-bench-game-XXXXXX";
bool ready = false;

void RemoveFolder() {
  std::string command = std::string("rm -rf '") + folder + "'";
  if (system(command.c_str()) != 0) {
  }
}

float Centre(int cell) { return static_cast<float>(cell * 32 + 16); }

MapLayerDescription Layer(const char* name, int w, int h, float parallax, uint32_t wrap) {
  MapLayerDescription l;
  l.name = name;
  l.image = "TileSets/game-tiles.gfx";
  l.width = w;
  l.height = h;
  l.parallaxX = l.parallaxY = parallax;
  l.wrapX = l.wrapY = wrap;
  l.tiles.assign(static_cast<size_t>(w) * h, 0);
  return l;
}

void WriteLevel() {
  MapDescription m;
  m.selectedLayer = 2;
  MapLayerDescription far = Layer("Far", 10, 8, 0.5f, 1);
  far.tiles.assign(80, 4);
  MapLayerDescription floor = Layer("Floor", Width, Height, 1, 0);
  MapLayerDescription main = Layer("Main", Width, Height, 1, 0);
  MapLayerDescription trees = Layer("Trees", Width, Height, 1, 0);
  for (int y = 0; y < Height; y++)
    for (int x = 0; x < Width; x++) {
      size_t i = static_cast<size_t>(y) * Width + x;
      bool edge = x == 0 || y == 0 || x == Width - 1 || y == Height - 1;
      floor.tiles[i] = (x * 7 + y * 3) % 17 == 0 ? 0 : 1;  // holes show the far layer
      main.tiles[i] = edge ? WallTile : 0;
      trees.tiles[i] = (x * 5 + y * 11) % 23 == 0 ? 6 : 0;
    }
  m.layers = {far, floor, main, trees};
  auto place = [&](const char* type, int column, int row) {
    MapObjectDescription o;
    o.type = type;
    o.x = Centre(column);
    o.y = Centre(row);
    m.objects.push_back(o);
    return &m.objects.back();
  };
  place("Player", 2, 2)->flags = 1;
  MapObjectDescription* two = place("Player", 2, 3);
  two->flags = 1;
  two->ints[0] = 1;
  for (int i = 0; i < 400; i++) place("Coin", 2 + i % 40 + (i / 40) % 2, 6 + i / 40 * 3);
  for (int i = 0; i < 97; i++) {
    MapObjectDescription* e = place("Enemy", 3 + (i * 7) % 50, 6 + (i * 3) % 30);
    e->points = {{e->x + 96, e->y}, {e->x + 96, e->y + 64}, {e->x, e->y + 64}};
    e->closed = 1;
  }
  place("Goal", Width - 3, Height - 3);
  mkdir("Maps", 0755);
  std::vector<uint8_t> bytes = EncodeMap(m);
  FILE* f = fopen("Maps/bench.map", "wb");
  if (f == nullptr) abort();
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

void StartGame(int depth) {
  if (!ready) {
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) abort();
    atexit(RemoveFolder);
    std::string copy = std::string("cp -r '") + ZORTA_GAME_RUN + "/TileSets' .";
    if (system(copy.c_str()) != 0) abort();
    WriteLevel();
    RegisterGameTypes();
    ListFolder(&MapList, "Maps/*.*", 0, 0);
    ready = true;
  }
  StopWorld();
  StartBenchScreen(depth);
  ResetGame(1);
  GameStep = RunGameStep;
  if (!NewGame("bench.map")) abort();
  int live = 0;
  for (int32_t at = DisplayList.head; at >= 0; at = ObjectPool[at].next) live++;
  if (live != 500 || LayerList.count != 4) abort();
  // Every layer and object has its picture: nothing is skipped for want of one.
  for (int i = 0; i < 4; i++)
    if (LayerAt(i)->image == nullptr) abort();
  if (Players[0].object == nullptr || Players[0].object->image == nullptr) abort();
}

// Player 1 walks the empty top corridor to and fro; player 2 joins and
// follows, so the camera and the layers keep moving.
void Controls(int step) {
  ControlBits way = (step / 800) % 2 ? ControlLeft : ControlRight;
  PlayerControls[0].current = way;
  PlayerControls[1].current = way;
}

void BM_GameFrame(benchmark::State& state) {
  StartGame(static_cast<int>(state.range(0)));
  int step = 0;
  for (auto _ : state) {
    Controls(step++);
    RunWorldStep();
    ClearPressedControls();
    DrawWorld();
    DrawGameScreen();
  }
  int live = 0;
  for (int32_t at = DisplayList.head; at >= 0; at = ObjectPool[at].next) live++;
  state.counters["objects"] = live;
}

void BM_GameStep(benchmark::State& state) {
  StartGame(32);
  int step = 0;
  for (auto _ : state) {
    Controls(step++);
    RunWorldStep();
    ClearPressedControls();
  }
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void BM_LevelFromMapFile(benchmark::State& state) {
  std::string bytes = FileText(ZORTA_GAME_RUN "/Maps/level1.map");
  if (bytes.empty()) state.SkipWithError("no level1.map: build the game first");
  for (auto _ : state) {
    MapDescription map;
    if (!DecodeMap(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &map))
      state.SkipWithError("level1.map does not decode");
    benchmark::DoNotOptimize(map.layers.data());
  }
}

void BM_LevelFromTiledMap(benchmark::State& state) {
  std::string path = ZORTA_GAME_LEVELS "/level1.tmx", text = FileText(path);
  for (auto _ : state) {
    TiledImport imported;
    std::string error;
    if (!ImportTiledData(path, text, &imported, &error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(imported.map.layers.data());
  }
}

}  // namespace

BENCHMARK(BM_GameFrame)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GameStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelFromMapFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelFromTiledMap)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
