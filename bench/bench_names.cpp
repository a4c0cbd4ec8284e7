// Cost of unique names: AddItem of one name many times over (each add takes
// the next free number), and the load of a map whose layers all share one
// name, at several counts to show how it grows.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "io/named_list.h"
#include "world/map.h"
#include "world/map_codec.h"

using namespace zorta;

namespace {

// `count` layers, all named Main, of one empty tile and no tile set; no objects.
std::string WriteSameNamedMap(int count) {
  MapDescription m;
  m.version = 1;
  m.selectedLayer = 0;
  MapLayerDescription layer;
  layer.name = "Main";
  layer.width = layer.height = 1;
  layer.tiles = {0};
  m.layers.assign(static_cast<size_t>(count), layer);
  m.objectVersion = 2;
  m.selectedObject = m.selectedPoint = -1;
  std::vector<uint8_t> bytes = EncodeMap(m);
  std::string name = "same" + std::to_string(count) + ".map";
  FILE* f = fopen(("Maps/" + name).c_str(), "wb");
  if (f == nullptr) abort();
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
  return name;
}

bool ready = false;
char folder[] = "/tmp/zorta-bench-names-XXXXXX";

void RemoveFolder() {
  std::string command = std::string("rm -rf '") + folder + "'";
  if (system(command.c_str()) != 0) {
  }
}

void EnterFolder() {
  if (ready) return;
  if (mkdtemp(folder) == nullptr || chdir(folder) != 0) abort();
  atexit(RemoveFolder);
  mkdir("Maps", 0755);
  ready = true;
}

void BM_AddItemSameName(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  NamedList list = {};
  for (auto _ : state) {
    for (int i = 0; i < count; i++) AddItem(&list, "Layer");
    state.PauseTiming();
    if (list.count != count) abort();
    ClearList(&list);
    state.ResumeTiming();
  }
  state.counters["names"] = count;
}

void BM_LoadMapSameNamedLayers(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  EnterFolder();
  std::string name = WriteSameNamedMap(count);
  for (auto _ : state) {
    LoadMap(name.c_str());  // frees the map of the previous round first
    if (LayerList.count != count) abort();
  }
  FreeMap();
  state.counters["layers"] = count;
}

}  // namespace

BENCHMARK(BM_AddItemSameName)->Arg(1000)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMapSameNamedLayers)->Arg(1000)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
