// Cost of one world frame: a map of four 200 x 200-tile layers with 500 live
// objects, one logic step (objects moved by their callbacks, camera limit) and
// the drawing of every layer and object, at 16 and 32 bits; and the two halves
// apart.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_screen.h"
#include "display/display.h"
#include "display/draw.h"
#include "image/image_table.h"
#include "io/named_list.h"
#include "platform/display.h"
#include "world/map_codec.h"
#include "world/world.h"

using namespace zorta;

namespace {

struct Bytes {
  std::vector<uint8_t> b;
  Bytes& U8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); return *this; }
  Bytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
  Bytes& U32(uint32_t v) { return U16(v).U16(v >> 16); }
  Bytes& F32(float f) { uint32_t v; memcpy(&v, &f, 4); return U32(v); }
  Bytes& Str(const char* s) { while (*s) U8(static_cast<uint8_t>(*s++)); return U8(0); }
  void Write(const char* path) {
    FILE* f = fopen(path, "wb");
    if (f == nullptr) abort();
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
  }
};

// A 24-bit GFX of `count` 32 x 32 cells in a row, every other one keyed
// (magenta border), with boxes for sprites.
void WriteSheet(const char* path, int count) {
  int w = 32 * count;
  Bytes f;
  f.U32(0x47465831).U32(0x494E464F).U32(32).U32(w).U32(32).U32(24).U32(0).U32(0).U32(0).U32(0).U32(0);
  f.U32(0x494D4745).U32(w * 32 * 3);
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < w; x++) {
      int k = x / 32, border = x % 32 < 4 || x % 32 > 27 || y < 4 || y > 27;
      if (k % 2 == 1 && border)
        f.U8(255).U8(0).U8(255);
      else
        f.U8(30 * k).U8(x % 256).U8(y * 8);
    }
  f.U32(0x4354424C).U32(4 + 40 * count).U32(count);
  for (int k = 0; k < count; k++)
    f.U32(32 * k).U32(0).U32(32).U32(32).U32(0).U32(0).U32(32).U32(32).U32(k % 2 ? 1 : 2).U32(0);
  f.U32(0x454E4446).U32(0);
  f.Write(path);
}

void WriteMap() {
  const int size = 200;
  MapDescription m;
  m.version = 1;
  m.selectedLayer = 1;
  const char* names[4] = {"Back", "Main", "Front", "Top"};
  const float parallax[4] = {0.5f, 1, 1, 1.5f};
  for (int l = 0; l < 4; l++) {
    MapLayerDescription layer;
    layer.name = names[l];
    layer.image = "tiles.gfx";
    layer.width = layer.height = size;
    layer.parallaxX = layer.parallaxY = parallax[l];
    layer.wrapX = layer.wrapY = l == 0;
    for (int i = 0; i < size * size; i++) {
      // Back and Main full, Front and Top sparse.
      uint32_t v = static_cast<uint32_t>(1 + (i * 7 + l * 3) % 7);
      if (l >= 2 && (i * 13 + l) % 5 != 0) v = 0;
      layer.tiles.push_back(static_cast<uint16_t>(v));
    }
    m.layers.push_back(layer);
  }
  m.objectVersion = 2;
  m.selectedObject = m.selectedPoint = -1;
  mkdir("Maps", 0755);
  Bytes bytes;
  bytes.b = EncodeMap(m);
  bytes.Write("Maps/bench.map");
}

void Mover(LiveObject* o, int32_t message) {
  if (message != ObjectStep) return;
  o->x += o->placement == nullptr ? 0.75f : 0;
  o->y += 0.25f;
  if (o->x > 6000) o->x = 100;
  if (o->y > 6000) o->y = 100;
  o->frame = o->frame + 0.05f >= 8 ? 0 : o->frame + 0.05f;
}

bool ready = false;
char folder[] = "/tmp/zorta-bench-world-XXXXXX";

void RemoveFolder() {
  std::string command = std::string("rm -rf '") + folder + "'";
  if (system(command.c_str()) != 0) {
  }
}

void StartWorldFrame(int depth) {
  if (!ready) {
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) abort();
    atexit(RemoveFolder);
    WriteSheet("tiles.gfx", 8);
    WriteSheet("sprites.gfx", 8);
    WriteMap();
    RegisterObjectType("Mover", Mover, "sprites.gfx", 0, 0.5f, 1, 1, 2, 0);
    ready = true;
  }
  FreeMap();
  FreeAllImages();
  StartBenchScreen(depth);
  LoadMap("bench.map");
  StartWorld();
  ObjectType* type = FindObjectType("Mover");
  for (int i = 0; i < 500; i++)
    SpawnObject(type, static_cast<float>(40 + (i * 37) % 1200), static_cast<float>(40 + (i * 53) % 900), i & 1,
                nullptr);
  if (LayerList.count != 4 || MainLayer == nullptr || DisplayList.head < 0) abort();
}

int Live() {
  int n = 0;
  for (int32_t at = DisplayList.head; at >= 0; at = ObjectPool[at].next) n++;
  return n;
}

// The camera wanders over the map so the layers scroll and wrap.
void MoveCamera(int frame) {
  SetCamera(static_cast<float>(300 + 250 * std::sin(frame * 0.01)), static_cast<float>(200 + 150 * std::cos(frame * 0.013)),
            -1);
}

void BM_WorldFrame(benchmark::State& state) {
  StartWorldFrame(static_cast<int>(state.range(0)));
  int frame = 0;
  for (auto _ : state) {
    MoveCamera(frame++);
    RunWorldStep();
    DrawWorld();
  }
  state.counters["objects"] = Live();
}

void BM_LogicStep(benchmark::State& state) {
  StartWorldFrame(32);
  for (auto _ : state) RunWorldStep();
  state.counters["objects"] = Live();
}

void BM_DrawWorld(benchmark::State& state) {
  StartWorldFrame(static_cast<int>(state.range(0)));
  int frame = 0;
  for (auto _ : state) {
    MoveCamera(frame++);
    DrawWorld();
  }
}

void BM_DrawLayersOnly(benchmark::State& state) {
  StartWorldFrame(static_cast<int>(state.range(0)));
  ClearObjects();
  int frame = 0;
  for (auto _ : state) {
    MoveCamera(frame++);
    DrawWorld();
  }
}

}  // namespace

BENCHMARK(BM_WorldFrame)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LogicStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawWorld)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawLayersOnly)->Arg(16)->Arg(32)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
