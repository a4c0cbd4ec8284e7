// libFuzzer target for Tiled maps: the TMX and JSON readers and the tile
// decoders. The input is a map (its first byte 'T' or anything else), whose
// external tile sets all read as the bytes after its first NUL, or (first
// byte 'D') tile data: a cell count, an encoding and a compression from the
// next bytes, the text after them. Whatever the input, the result is a map or
// a message, and decoded data has exactly the cells asked for.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "world/tiled_read.h"

using namespace zorta;

namespace {

std::string TileSetBytes;

bool ReadTileSet(const std::string&, std::string* bytes, std::string*) {
  *bytes = TileSetBytes;
  return true;
}

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string error;
  if (size >= 4 && data[0] == 'D') {
    static const char* encodings[] = {"csv", "base64", "base64", "base64", "base64", "xml"};
    static const char* compressions[] = {"", "", "zlib", "gzip", "zstd", ""};
    size_t count = (static_cast<size_t>(data[1]) << 8 | data[2]) * 4;
    int kind = data[3] % 6;
    std::vector<uint32_t> ids;
    bool ok = DecodeTileData(input.substr(4), encodings[kind], compressions[kind], count, &ids, &error);
    Check(ok ? ids.size() == count && error.empty() : !error.empty());
    return 0;
  }
  size_t nul = input.find('\0');
  TileSetBytes = nul == std::string::npos ? std::string() : input.substr(nul + 1);
  TiledMap map;
  bool ok = ParseTiledMap("fuzz/map", input.substr(0, nul), ReadTileSet, &map, &error);
  Check(ok || !error.empty());
  if (!ok) return 0;
  size_t cells = 0;
  for (const TiledLayer& layer : map.layers) {
    if (layer.kind != TiledTileLayer) continue;
    Check(layer.gids.size() == static_cast<size_t>(layer.width * layer.height));
    cells += layer.gids.size();
  }
  Check(cells <= TiledMaxCells);
  return 0;
}
