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

// `count` layers, all named Main, of one empty tile and no tile set; no objects.
std::string WriteSameNamedMap(int count) {
  Bytes m;
  m.U32(0x5444524D).U32(0x4C45564C).U32(1).U32(0).U32(static_cast<uint32_t>(count));
  for (int l = 0; l < count; l++) {
    m.Str("Main").U32(0).U32(1).U32(0).Str("").U32(1).U32(1);
    m.F32(0).F32(0).F32(1).F32(1).U32(0).U32(0).U16(0);
  }
  m.U32(2).U32(0).U32(static_cast<uint32_t>(-1)).U32(static_cast<uint32_t>(-1));
  std::string name = "same" + std::to_string(count) + ".map";
  m.Write(("Maps/" + name).c_str());
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
