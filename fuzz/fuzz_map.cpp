// libFuzzer target: LoadMap on any input, then a level started from whatever
// stayed loaded, a few logic steps and the drawing of every layer and object
// (without a display the copies draw nothing, but every cell, remap entry and
// frame is still looked up).
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "fuzz_common.h"
#include "display/draw.h"
#include "io/named_list.h"
#include "world/world.h"

using namespace zorta;

namespace {

int Steps = 0;
void Walker(LiveObject* o, int32_t message) {
  if (message == ObjectStep && ++Steps % 3 == 0) o->remove = -1;
  if (message == ObjectSpawned) o->frame = o->placement != nullptr ? o->placement->reals[0] : 0;
}

// A GFX tile set of four 32 x 32 cells that seed maps can name.
void WriteTileSet(const char* path) {
  std::vector<uint8_t> b;
  auto u32 = [&b](uint32_t v) {
    for (int i = 0; i < 4; i++) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  u32(0x47465831);
  u32(0x494E464F), u32(32), u32(128), u32(32), u32(24);
  for (int i = 0; i < 5; i++) u32(0);
  u32(0x494D4745), u32(128 * 32 * 3);
  b.resize(b.size() + 128 * 32 * 3, 0x40);
  u32(0x4354424C), u32(4 + 160), u32(4);
  for (int k = 0; k < 4; k++) {
    int32_t cell[10] = {32 * k, 0, 32, 32, 0, 0, 32, 32, 1 + k % 2, 0};
    for (int32_t v : cell) u32(static_cast<uint32_t>(v));
  }
  u32(0x454E4446), u32(0);
  FILE* f = fopen(path, "wb");
  if (f == nullptr) return;
  fwrite(b.data(), 1, b.size(), f);
  fclose(f);
}

}  // namespace

// Maps/ and the tile set live in a private folder, so runs leave no files in
// the source tree. The fuzzer itself keeps its own working folder (its corpus
// paths are relative), so each input steps into the private one and back.
char PrivateDir[64];
char OwnDir[4096];

void RemovePrivateDir() {
  std::string command = std::string("rm -rf '") + PrivateDir + "'";
  if (system(command.c_str()) != 0) {
  }
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  snprintf(PrivateDir, sizeof PrivateDir, "%s", "/tmp/zorta-fuzz-map-XXXXXX");
  if (mkdtemp(PrivateDir) == nullptr || getcwd(OwnDir, sizeof OwnDir) == nullptr || chdir(PrivateDir) != 0) abort();
  mkdir("Maps", 0755);
  mkdir("TileSets", 0755);
  WriteTileSet("t.gfx");
  WriteTileSet("TileSets/example.gfx");  // named by the shipped example
  if (chdir(OwnDir) != 0) abort();
  atexit(RemovePrivateDir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (chdir(PrivateDir) != 0) abort();
  static bool linked = false;
  if (!linked) {
    // Maps/in.map is the fuzzer's input, through the in-memory file.
    std::string target = InputPath(data, 0);
    unlink("Maps/in.map");
    if (symlink(target.c_str(), "Maps/in.map") != 0) abort();
    linked = true;
  }
  InputPath(data, size);
  ScreenWidth = 640;
  ScreenHeight = 480;
  ColorDepth = 16;
  ResetClipRect();
  if (ObjectTypeList.count == 0) {
    RegisterObjectType("Walker", Walker, "", 0, 0.5f, 1, 1, 3, 0);
    RegisterObjectType("Grid", nullptr, "", 0, 0, 0, 1, 0, ObjectTypeInGrid);
  }
  LoadMap("in.map");
  if (!ShutdownDone) {
    StartWorld();
    YSortDepth = 3;
    // Scrambled remaps must still stay inside the cell tables.
    for (int i = 0; i < ImageTableSize; i++) {
      Image* image = ImageTable[i];
      if (image == nullptr || image->tileRemap == nullptr) continue;
      for (int32_t k = 0; k < image->cellCount; k++)
        image->tileRemap[k] = static_cast<uint16_t>(size > 0 ? data[(k * 7) % size] * 257u : k);
    }
    for (int step = 0; step < 4 && !ShutdownDone; step++) {
      RunWorldStep();
      SetCamera(static_cast<float>(step * 250), static_cast<float>(step * 90), step & 1 ? -1 : 0);
      DrawWorld();
    }
  }
  // Leave nothing for the next input, as a fatal error would.
  FreeMap();
  FreeAllImages();
  ClearList(&LayerList);
  ResetWorldState();
  ResetAfterInput();
  if (chdir(OwnDir) != 0) abort();
  return 0;
}
