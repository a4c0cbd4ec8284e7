// Shared by the world tests: map files written from descriptions, GFX tile
// sets built byte by byte, a 32-bit display to read pixels back from, and a
// clean world per test.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/timing.h"
#include "display/display.h"
#include "display/draw.h"
#include "image/image_table.h"
#include "io/file.h"
#include "io/named_list.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/testing.h"
#include "reset.h"
#include "platform/window.h"
#include "world/map_codec.h"
#include "world/world.h"
#include "test_util.h"

using namespace zorta;


// Little-endian bytes, for the GFX files the tests write.
struct FileBytes {
  Bytes b;
  FileBytes& U8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); return *this; }
  FileBytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
  FileBytes& U32(uint32_t v) { return U16(v).U16(v >> 16); }
  FileBytes& F32(float f) { uint32_t v; memcpy(&v, &f, 4); return U32(v); }
  FileBytes& Str(const std::string& s) { b.insert(b.end(), s.begin(), s.end()); b.push_back(0); return *this; }
};

// A layer description; tiles row-major (width x height values).
inline MapLayerDescription MakeLayerDesc(const std::string& name, const std::string& image, int32_t w, int32_t h,
                                         const std::vector<uint16_t>& tiles, float parallaxX = 1, float parallaxY = 1,
                                         uint32_t wrapX = 0, uint32_t wrapY = 0, uint32_t enabled = 1) {
  MapLayerDescription l;
  l.name = name;
  l.image = image;
  l.width = w;
  l.height = h;
  l.tiles = tiles;
  l.parallaxX = parallaxX;
  l.parallaxY = parallaxY;
  l.wrapX = wrapX;
  l.wrapY = wrapY;
  l.enabled = enabled;
  return l;
}

// An object entry of the given type at (x, y), without points.
inline MapObjectDescription MakeObjectDesc(const std::string& type, float x, float y, int32_t spawnId = -1) {
  MapObjectDescription o;
  o.type = type;
  o.x = x;
  o.y = y;
  o.spawnId = spawnId;
  return o;
}

// A map of version 1 (selected layer 0) with object version 2 and no selection.
inline MapDescription MakeMapDesc(const std::vector<MapLayerDescription>& layers,
                                  const std::vector<MapObjectDescription>& objects = {}) {
  MapDescription m;
  m.version = 1;
  m.selectedLayer = 0;
  m.layers = layers;
  m.objectVersion = 2;
  m.objects = objects;
  m.selectedObject = -1;
  m.selectedPoint = -1;
  return m;
}

inline void WriteMap(const std::string& name, const Bytes& bytes) {
  mkdir("Maps", 0755);
  WriteBytes("Maps/" + name, bytes);
}
inline void WriteMap(const std::string& name, const MapDescription& map) { WriteMap(name, EncodeMap(map)); }

// The colour of block k of the test tile sets: distinct and never magenta.
inline void BlockColour(int k, uint8_t* r, uint8_t* g, uint8_t* b) {
  *r = static_cast<uint8_t>(20 + 30 * k);
  *g = static_cast<uint8_t>(200 - 20 * k);
  *b = static_cast<uint8_t>(40 + 10 * k);
}

// A 24-bit GFX tile set of `count` 32 x 32 blocks in one row; block k is
// cell k, drawn with `kinds[k]` (2 when not given). Blocks of kind 1 have a
// magenta left half.
inline void WriteTileSet(const std::string& path, int count, const std::vector<int>& kinds = {}) {
  int w = 32 * count, h = 32;
  FileBytes f;
  f.U32(0x47465831);
  f.U32(0x494E464F).U32(32).U32(w).U32(h).U32(24).U32(0).U32(0).U32(0).U32(0).U32(0);
  f.U32(0x494D4745).U32(w * h * 3);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      int k = x / 32;
      int kind = k < static_cast<int>(kinds.size()) ? kinds[k] : 2;
      uint8_t r, g, b;
      BlockColour(k, &r, &g, &b);
      if (kind == 1 && x % 32 < 16) r = 255, g = 0, b = 255;
      f.U8(r).U8(g).U8(b);
    }
  f.U32(0x4354424C).U32(4 + 40 * count).U32(count);
  for (int k = 0; k < count; k++) {
    int kind = k < static_cast<int>(kinds.size()) ? kinds[k] : 2;
    f.U32(32 * k).U32(0).U32(32).U32(32).U32(0).U32(0).U32(32).U32(32).U32(kind).U32(0);
  }
  f.U32(0x454E4446).U32(0);
  WriteBytes(path, f.b);
}

inline uint32_t BlockPixel(int k) {
  uint8_t r, g, b;
  BlockColour(k, &r, &g, &b);
  return PackColor(r, g, b, 32);
}

class WorldTest : public ::testing::Test {
 protected:
  WorkFolder folder;
  // Each test gets a fresh working folder, so Maps/ holds only its own maps.
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(folder.Enter("world"));
    ResetForTests();
    ScreenWidth = 640;
    ScreenHeight = 480;
    ColorDepth = 32;
    CreateLogFile();
    SurfacesLost = 0;
    ResetClipRect();
  }
  void TearDown() override {
    ResetSettings();  // a test may have ended in a fatal error
    FreeMap();
    FreeObjectTypes();
    FreeAllImages();
    ClearList(&LayerList);
    ClearList(&MapList);
    ClearList(&TileSetList);
    ClearList(&ObjectTypeList);
    ResetWorldState();
    ClearObjects();
    ReleaseAllSurfaceSlots();
    if (BackBuffer != nullptr) ReleaseWindowed();
    DisplaySeamReset();
    SeamReset();
    WinSeamReset();
    ClockSeamUseFake(false);
    folder.Leave();
  }
  void StartDisplay() {
    DisplaySeamSetDesktopDepth(32);
    SetUpWindowed();
    ASSERT_NE(BackBuffer, nullptr);
    ASSERT_EQ(ColorDepth, 32);
    ResetClipRect();
  }
  uint32_t Pixel(int x, int y) { return DisplaySeamReadPixel(BackBuffer, x, y); }
  void ClearScreen() { FillRect(0, 0, ScreenWidth, ScreenHeight, 0); }
};
