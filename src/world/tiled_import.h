// A Tiled map as a Zorta map: each tile layer becomes a map layer with a
// tile set of its own holding exactly the tiles it uses (flipped and rotated
// tiles as prepared copies, small tiles scaled up to 32 pixels), object
// layers become placements, and whatever cannot be kept is listed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "world/tiled_read.h"
#include "world/map_codec.h"

namespace zorta {

struct ImportedTileSet {
  std::string path;  // relative to the data folder: "TileSets/NAME-K.gfx"
  std::vector<uint8_t> bytes;
};

struct TiledImport {
  MapDescription map;
  std::vector<ImportedTileSet> tileSets;
  int32_t scale = 1;               // 32 / the map's tile size
  std::vector<std::string> notes;  // what was changed or dropped, one line each
};

// The 24-bit GFX tile set of an RGB image whose sides are multiples of 32:
// cell t is the t-th 32 x 32 block, row by row, keyed where it holds magenta.
std::vector<uint8_t> GfxTileSet(const uint8_t* rgb, int32_t width, int32_t height);

// Converts a map read by ReadTiledMap; `name` names its tile sets. False with
// a message naming the file and what is wrong.
bool ImportTiledMap(const TiledMap& tiled, const std::string& name, TiledImport* out, std::string* error);

// The Tiled map read from path as `bytes`, its tile set files read beside it,
// converted as ImportTiledMap converts it under the map's TiledMapName.
bool ImportTiledData(const std::string& path, const std::string& bytes, TiledImport* out, std::string* error);

// The name a map file is imported under: its file name without the folder
// and without .tmx, .tmj, .json (and .gz).
std::string TiledMapName(const std::string& path);

}  // namespace zorta
