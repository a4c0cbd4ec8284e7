// zorta-tool map: inspect map files, write them from a JSON description, and
// cut an image into a GFX tile set, so maps can be made without a hex editor.
// The map file itself is read and written by the program's own map codec
// (map_json.h); this file has only the command line and the tile sets.
//
//   map info MAPFILE            what the program will load, as JSON
//   map build SPEC.json OUT     a map file from a JSON description
//   map tiles IMAGE OUT.gfx     32 x 32 tiles of an image as a GFX tile set
//   map import MAP.tmx OUTDIR   a Tiled map as a map file and its tile sets
//   map render MAP OUT.png      a map file drawn as the program draws it
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "image_read.h"
#include "map_json.h"
#include "map_render.h"
#include "output_file.h"
#include "tiled_import.h"
#include "tool.h"

namespace zorta {

namespace {

// The command lines of map build, info, tiles, import and render, filled by
// CLI11 before the command runs.
std::string SpecPath, MapPath, ImagePath, OutPath;
int RenderScale = 1, RenderLayer = -1;

int RunInfo() { return MapInfoJson(MapPath.c_str(), stdout, stderr); }

int RunBuild() { return MapBuildFromJson(SpecPath.c_str(), OutPath.c_str(), stderr); }

int RunImport() { return MapImportCommand(MapPath.c_str(), OutPath.c_str(), stdout, stderr); }

int RunRender() { return MapRenderCommand(MapPath.c_str(), OutPath.c_str(), RenderScale, RenderLayer, stderr); }

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
  std::vector<uint8_t> bytes = GfxTileSet(img.pixels, img.width, img.height);
  if (!WriteOutputFile(argv[2], bytes.data(), bytes.size(), &error)) return ToolError(command, "%s", error.c_str());
  return 0;
}

void SetUp(CLI::App* tool) {
  CLI::App* map =
      AddToolCommand(tool, "map",
                     "map info MAPFILE | map build SPEC.json OUT | map tiles IMAGE OUT.gfx | map import MAP.tmx OUTDIR "
                     "| map render MAP OUT.png",
                     "inspect a map as JSON, write one from a JSON description, or cut a 24-bit or "
                     "palette image into a GFX tile set of 32 x 32 tiles, import a Tiled map, or draw a map to a PNG",
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
  CLI::App* import = AddToolCommand(map, "import", "import MAP.tmx|MAP.tmj OUTDIR",
                                    "write a Tiled map as OUTDIR/Maps/NAME.map and the tile sets it needs in "
                                    "OUTDIR/TileSets/, listing what could not be kept",
                                    RunImport);
  import->add_option("MAP", MapPath, "the Tiled map: TMX or JSON, also gzip-compressed")->required()->type_name("");
  import->add_option("OUTDIR", OutPath, "the data folder to write into")->required()->type_name("");
  CLI::App* render = AddToolCommand(map, "render", "render [--scale N] [--layer K] MAP OUT.png",
                                    "draw a map file as the program draws it, the whole map at camera 0", RunRender);
  render->add_option("MAP", MapPath, "the map file, in a Maps/ folder beside its TileSets/")->required()->type_name("");
  render->add_option("OUT.png", OutPath, "the picture to write")->required()->type_name("");
  render->add_option("--scale", RenderScale, "repeat each pixel N times across and down (1 to 16)")->type_name("N");
  render->add_option("--layer", RenderLayer, "draw only layer K, counted from 0 at the bottom")->type_name("K");
}

ToolRegistration registration(SetUp);

}  // namespace

}  // namespace zorta
