// The map file's bytes and a plain description of them, both ways. This is
// the one place that knows the layout; the loader, zorta-tool, the tests and
// the benchmarks go through it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zorta {

// Names and strings the program keeps: longer ones are cut to this many bytes.
const size_t MapNameLimit = 255;

struct MapLayerDescription {
  std::string name;  // as the file holds it (see ProgramLayerNames)
  int32_t reserved = 0;
  uint32_t enabled = 1;
  uint32_t tag = 0;
  std::string image;  // tile-set image file name, empty for none
  int32_t width = 0, height = 0;
  float scrollX = 0, scrollY = 0;
  float parallaxX = 1, parallaxY = 1;
  uint32_t wrapX = 0, wrapY = 0;
  // Row-major, width x height cells when both sides are positive, else none.
  // EncodeMap writes the cells as they are, so a test can make a layer claim
  // more cells than the file holds.
  std::vector<uint16_t> tiles;
};

struct MapPointDescription {
  float x = 0, y = 0;
};

struct MapObjectDescription {
  float x = 0, y = 0;
  uint32_t param = 0;
  float x2 = 0, y2 = 0;  // object version 2 and up
  uint32_t param2 = 0;   // object version 2 and up
  std::string type;
  std::vector<MapPointDescription> points;
  uint32_t closed = 0;
  int32_t value = 0;
  int32_t spawnId = -1;
  // Object version 1 and up: bits 0-3 announce ints[0..3], bits 4-7
  // reals[0..3]; higher bits are kept but mean nothing. Absent fields are 0.
  uint32_t flags = 0;
  int32_t ints[4] = {0, 0, 0, 0};
  float reals[4] = {0, 0, 0, 0};
};

struct MapDescription {
  int32_t version = 1;
  int32_t selectedLayer = 0;  // 0 when the version has no such field
  std::vector<MapLayerDescription> layers;
  int32_t objectVersion = 2;
  std::vector<MapObjectDescription> objects;
  int32_t selectedObject = -1;  // as stored; negative: none
  int32_t selectedPoint = -1;

  // What decoding kept. A file that ends early, or whose counts and sizes do
  // not fit what it holds, keeps the layers and entries read completely before
  // that point; its selection is then never read (hasSelection 0).
  int complete = -1;        // -1 when the whole file up to the selection was read
  int hasSelection = -1;    // -1 when the two selection fields were read
  size_t offset = 0;        // byte where decoding stopped (the end of the selection when complete)
  std::string reason;       // why decoding stopped early, empty when complete
  int32_t storedLayerCount = 0;   // the counts as the file states them
  int32_t storedObjectCount = 0;
  size_t trailingBytes = 0;       // bytes after the selection
  // Where the two counts sit in the file (0 when not reached).
  size_t layerCountOffset = 0, objectCountOffset = 0;
  // Where each complete layer block and object entry ends in the file.
  std::vector<size_t> layerEnds, objectEnds;
};

// Decodes size bytes. -1 when they start with the map magic (the description
// then holds every complete layer and entry, see complete/offset/reason); 0
// when they are not a map file at all, which the program loads as an empty
// map. Never reads outside the bytes, and allocates only for what they hold.
int DecodeMap(const uint8_t* data, size_t size, MapDescription* out);
// The file's bytes for a description; counts are the sizes of its vectors.
std::vector<uint8_t> EncodeMap(const MapDescription& map);
// -1 when the two describe the same file contents (the decode record aside);
// reals compare bit for bit.
int SameMapContents(const MapDescription& a, const MapDescription& b);

// A string as the program keeps it: cut to MapNameLimit bytes.
std::string ProgramName(const std::string& name);
// The layer names the program gives the description's layers, in order: cut
// to MapNameLimit bytes and made unique as the LayerList makes them.
std::vector<std::string> ProgramLayerNames(const MapDescription& map);

}  // namespace zorta
