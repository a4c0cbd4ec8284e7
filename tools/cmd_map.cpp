// zorta-tool map: inspect map files, write them from a JSON description, and
// cut an image into a GFX tile set, so maps can be made without a hex editor.
// The map file itself is read and written by the program's own map codec
// (map_json.h); this file has only the command line and the tile sets.
//
//   map info MAPFILE            what the program will load, as JSON
//   map build SPEC.json OUT     a map file from a JSON description
//   map tiles IMAGE OUT.gfx     32 x 32 tiles of an image as a GFX tile set
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "image_read.h"
#include "map_json.h"
#include "output_file.h"
#include "tool.h"

namespace zorta {

namespace {

// Little-endian words for the GFX tile set.
struct Writer {
  std::vector<uint8_t> bytes;
  void U16(uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void F32(float f) {
    uint32_t v;
    memcpy(&v, &f, 4);
    U32(v);
  }
  void Str(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
  }
};

// The command lines of map build, info and tiles, filled by CLI11 before the
// command runs.
std::string SpecPath, MapPath, ImagePath, OutPath;

int RunInfo() { return MapInfoJson(MapPath.c_str(), stdout, stderr); }

int RunBuild() { return MapBuildFromJson(SpecPath.c_str(), OutPath.c_str(), stderr); }

// ---- Tile sets. ----

int RunTiles() {
  const char* command = "map tiles";
  const char* argv[] = {"tiles", ImagePath.c_str(), OutPath.c_str()};
  Image img = {};
  std::string error;
  if (!OutputIsNotInput(OutPath, {ImagePath}, &error)) return ToolError(command, "%s", error.c_str());
  if (ReadToolImage(argv[1], &img, &error) == nullptr) return ToolError(command, "%s", error.c_str());
  std::unique_ptr<Image, void (*)(Image*)> hold(&img, [](Image* i) { FreeImage(i); });
  int indexed = img.bytesPerPixel == 1 && img.palette != nullptr;
  if ((img.bits != 24 && !indexed) || img.width < 32 || img.height < 32 || img.width % 32 || img.height % 32)
    return ToolError(command, "'%s': a tile set needs a 24-bit or palette image whose sides are multiples of 32",
                     argv[1]);
  // Palette images (PNG8, indexed BMP and ILBM) become 24 bits through their
  // palette, so their magenta entries stay the colour key.
  if (indexed) {
    size_t count = static_cast<size_t>(img.width) * img.height;
    uint8_t* rgb = static_cast<uint8_t*>(MemAlloc(count * 3));
    for (size_t i = 0; i < count; i++) memcpy(rgb + i * 3, img.palette + img.pixels[i] * 3, 3);
    MemFree(img.pixels);
    img.pixels = rgb;
    img.bits = 24;
    img.bytesPerPixel = 3;
  }
  Writer w;
  w.U32(0x47465831);
  w.U32(0x494E464F);  // INFO
  w.U32(32);
  w.U32(static_cast<uint32_t>(img.width));
  w.U32(static_cast<uint32_t>(img.height));
  w.U32(24);
  for (int i = 0; i < 5; i++) w.U32(0);
  size_t pixelBytes = static_cast<size_t>(img.width) * img.height * 3;
  w.U32(0x494D4745);  // IMGE
  w.U32(static_cast<uint32_t>(pixelBytes));
  w.bytes.insert(w.bytes.end(), img.pixels, img.pixels + pixelBytes);
  int columns = img.width / 32, rows = img.height / 32;
  w.U32(0x4354424C);  // CTBL
  w.U32(static_cast<uint32_t>(4 + 40 * columns * rows));
  w.U32(static_cast<uint32_t>(columns * rows));
  // Tile t is block t, row by row; a block holding magenta is drawn keyed.
  for (int r = 0; r < rows; r++) {
    for (int c = 0; c < columns; c++) {
      int keyed = 0;
      for (int y = 0; y < 32 && !keyed; y++)
        for (int x = 0; x < 32; x++) {
          const uint8_t* px = img.pixels + ((static_cast<size_t>(r) * 32 + y) * img.width + c * 32 + x) * 3;
          if (px[0] == 255 && px[1] == 0 && px[2] == 255) {
            keyed = 1;
            break;
          }
        }
      int32_t cell[10] = {c * 32, r * 32, 32, 32, 0, 0, 32, 32, keyed ? 1 : 2, 0};
      for (int32_t v : cell) w.U32(static_cast<uint32_t>(v));
    }
  }
  w.U32(0x454E4446);  // ENDF
  w.U32(0);
  if (!WriteOutputFile(argv[2], w.bytes.data(), w.bytes.size(), &error)) return ToolError(command, "%s", error.c_str());
  return 0;
}

void SetUp(CLI::App* tool) {
  CLI::App* map = AddToolCommand(tool, "map", "map info MAPFILE | map build SPEC.json OUT | map tiles IMAGE OUT.gfx",
                                 "inspect a map as JSON, write one from a JSON description, or cut a 24-bit or "
                                 "palette image into a GFX tile set of 32 x 32 tiles",
                                 nullptr);
  CLI::App* info = AddToolCommand(map, "info", "info MAPFILE", "print what the program will load from the map, as JSON",
                                  RunInfo);
  info->add_option("MAPFILE", MapPath, "the map file to read")->required()->type_name("");
  CLI::App* build = AddToolCommand(map, "build", "build SPEC.json OUT", "write a map file from a JSON description",
                                   RunBuild);
  build->add_option("SPEC.json", SpecPath, "the JSON description of the map")->required()->type_name("");
  build->add_option("OUT", OutPath, "the map file to write")->required()->type_name("");
  CLI::App* tiles = AddToolCommand(map, "tiles", "tiles IMAGE OUT.gfx",
                                   "cut a 24-bit or palette image whose sides are multiples of 32 into a GFX tile set",
                                   RunTiles);
  tiles->add_option("IMAGE", ImagePath, "the image to cut: BMP, ILBM, GFX, TGA or PNG, 24 bits or a palette")
      ->required()
      ->type_name("");
  tiles->add_option("OUT.gfx", OutPath, "the GFX tile set to write")->required()->type_name("");
}

ToolRegistration registration(SetUp);

}  // namespace

}  // namespace zorta
