// Maps made in Tiled, read from either of its formats (TMX, its XML, and its
// JSON) into one plain description, before anything is converted. Tile data
// in every encoding Tiled writes is decoded here, each compressed block
// bounded by the size its layer declares before it is inflated.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorta {

// Flip bits of a global tile id; the rest of the value is the id itself.
const uint32_t TiledFlipX = 0x80000000u;
const uint32_t TiledFlipY = 0x40000000u;
const uint32_t TiledFlipDiagonal = 0x20000000u;
const uint32_t TiledFlipHex = 0x10000000u;
const uint32_t TiledGidMask = 0x0FFFFFFFu;

// Bounds on what a map may claim: cells of one layer and of all layers, and
// the bytes of a file (compressed or not).
const size_t TiledMaxCells = 1u << 24;
const size_t TiledMaxFileBytes = 64u << 20;

struct TiledProperty {
  std::string name, type, value;  // values as text, whichever format held them
};

struct TiledTile {
  int64_t id = 0;
  std::string image;  // image collections: the tile's own picture
  int32_t imageWidth = 0, imageHeight = 0;
  int64_t firstFrame = -1;  // an animation's first tile, -1 when none
};

struct TiledTileSet {
  uint32_t firstGid = 0;
  std::string file;  // where it was read from (the map or a .tsx/.tsj)
  std::string name;
  int32_t tileWidth = 0, tileHeight = 0, margin = 0, spacing = 0, columns = 0, tileCount = 0;
  std::string image;  // the path as resolved beside the file, empty for collections
  int32_t imageWidth = 0, imageHeight = 0;
  int32_t offsetX = 0, offsetY = 0;
  std::vector<TiledTile> tiles;
  std::vector<TiledProperty> properties;
};

struct TiledPoint {
  double x = 0, y = 0;
};

struct TiledObject {
  std::string name, type, shape;  // shape: "", "ellipse", "point" or "text"
  double x = 0, y = 0, width = 0, height = 0, rotation = 0;
  uint32_t gid = 0;
  int visible = 1;
  int closed = 0;  // a polygon rather than a polyline
  std::string templateFile;
  std::vector<TiledPoint> points;
  std::vector<TiledProperty> properties;
};

enum TiledLayerKind { TiledTileLayer, TiledObjectLayer, TiledImageLayer };

struct TiledLayer {
  TiledLayerKind kind = TiledTileLayer;
  std::string name;
  int visible = 1;
  double opacity = 1, offsetX = 0, offsetY = 0, parallaxX = 1, parallaxY = 1;
  int repeatX = 0, repeatY = 0;
  std::string tint;
  int inGroup = 0;
  // Tile layers: the cells' rectangle (infinite maps: around every chunk).
  int64_t x = 0, y = 0, width = 0, height = 0;
  std::vector<uint32_t> gids;
  std::vector<TiledObject> objects;
  std::vector<TiledProperty> properties;
};

struct TiledMap {
  std::string file, orientation;
  int32_t width = 0, height = 0, tileWidth = 0, tileHeight = 0;
  int infinite = 0;
  std::vector<TiledTileSet> tileSets;  // by firstGid, as the map lists them
  std::vector<TiledLayer> layers;      // bottom first, groups flattened
};

// Reads a tile set file for a map (path as the map names it, resolved by the
// caller); false with a message. The fuzz target passes one that fails.
typedef bool (*TiledFileReader)(const std::string& path, std::string* bytes, std::string* error);
bool ReadTiledFile(const std::string& path, std::string* bytes, std::string* error);

// Tile data as a layer's text holds it: "csv", or "base64" with compression
// "", "zlib", "gzip" or "zstd". Exactly `count` ids or a message; compressed
// data that would inflate past count x 4 bytes is refused without inflating it.
bool DecodeTileData(const std::string& text, const std::string& encoding, const std::string& compression,
                    size_t count, std::vector<uint32_t>* gids, std::string* error);

// The whole map from the file's bytes: TMX when it starts with '<', JSON
// otherwise (either may be gzip-compressed as a whole). External tile sets
// are read through `reader`, relative to the map's folder.
bool ParseTiledMap(const std::string& path, const std::string& bytes, TiledFileReader reader, TiledMap* map,
                   std::string* error);
// -1 when the bytes are a map Tiled wrote: TMX, Tiled's JSON (an object that
// names its orientation or Tiled's version), or either gzip-compressed; 0 for
// anything else, such as a map file or the JSON that `map build` reads.
int IsTiledMapData(const std::string& bytes);
// ParseTiledMap of the file at path.
bool ReadTiledMap(const std::string& path, TiledMap* map, std::string* error);

// A property's value, or null.
const TiledProperty* FindTiledProperty(const std::vector<TiledProperty>& properties, const char* name);

}  // namespace zorta
