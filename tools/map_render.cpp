#include "map_render.h"

#include <ftw.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/settings.h"
#include "display/display.h"
#include "io/named_list.h"
#include "output_file.h"
#include "platform/path.h"
#include "platform/window.h"
#include "tiled_import.h"
#include "world/tiled_read.h"
#include "world/map_codec.h"
#include "world/world.h"

namespace zorta {

namespace {

const uint32_t Unpainted = 0xFF00FF;  // left by no layer: transparent in the PNG
const int64_t MaxSide = 16384;

int RenderError(FILE* err, const std::string& text) {
  fprintf(err, "zorta-tool map render: %s\n", text.c_str());
  return 1;
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

LRESULT WindowMessages(uint32_t message, WPARAM wParam, LPARAM lParam) {
  return WinDefWindowProc(message, wParam, lParam);
}

bool IsTiledMap(const std::string& path) {
  for (const char* ext : {".tmx", ".tmj", ".json", ".tmx.gz", ".tmj.gz", ".json.gz"}) {
    size_t n = strlen(ext);
    if (path.size() > n && path.compare(path.size() - n, n, ext) == 0) return true;
  }
  return false;
}

// A temporary folder, removed with everything in it.
struct Scratch {
  std::string path;
  bool Make(std::string* error) {
    char name[] = "/tmp/zorta-render-XXXXXX";
    if (mkdtemp(name) == nullptr) {
      *error = std::string("cannot make a scratch folder: ") + strerror(errno);
      return false;
    }
    path = name;
    return true;
  }
  bool Enter(const std::string& data, std::string* error) {
    if (!Make(error)) return false;
    if (symlink((data + "/Maps").c_str(), (path + "/Maps").c_str()) != 0 ||
        symlink((data + "/TileSets").c_str(), (path + "/TileSets").c_str()) != 0 || !EnterFolder(path.c_str(), error)) {
      *error = "cannot use a scratch folder beside '" + data + "'";
      return false;
    }
    return true;
  }
  ~Scratch() {
    if (path.empty()) return;
    // Links are removed, never followed.
    nftw(path.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return remove(p); }, 16,
         FTW_DEPTH | FTW_PHYS);
  }
};

}  // namespace

int MapRenderCommand(const char* mapPath, const char* outPath, int scale, int onlyLayer, FILE* err) {
  if (scale < 1 || scale > 16) return RenderError(err, "--scale must be a whole number from 1 to 16");
  std::string map = mapPath, out = Absolute(outPath), error;
  if (!OutputIsNotInput(out, {map}, &error)) return RenderError(err, error);
  // A Tiled map is imported first, into a folder of its own.
  Scratch imported;
  if (IsTiledMap(map)) {
    TiledImport unused;
    std::string mapFile;
    if (!imported.Make(&error) || !ImportTiledFile(map, imported.path + "/data", &unused, &mapFile, &error))
      return RenderError(err, error);
    map = mapFile;
  }
  std::string bytes;
  if (!ReadTiledFile(map, &bytes, &error)) return RenderError(err, error);
  MapDescription d;
  if (!DecodeMap(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &d))
    return RenderError(err, "'" + map + "' is not a map file");
  if (onlyLayer >= static_cast<int>(d.layers.size()))
    return RenderError(
        err, "--layer " + std::to_string(onlyLayer) + ": the map has " + std::to_string(d.layers.size()) + " layers");
  int64_t w = 0, h = 0;
  for (const MapLayerDescription& l : d.layers) {
    if (static_cast<int64_t>(l.width) * TileSize > w) w = static_cast<int64_t>(l.width) * TileSize;
    if (static_cast<int64_t>(l.height) * TileSize > h) h = static_cast<int64_t>(l.height) * TileSize;
  }
  if (w == 0 || h == 0) return RenderError(err, "'" + map + "' has no tiles to draw");
  if (w * scale > MaxSide || h * scale > MaxSide)
    return RenderError(err, "'" + map + "' would be larger than " + std::to_string(MaxSide) + " pixels a side");
  // The map names its tile sets from the folder above Maps/.
  size_t slash = map.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : map.substr(0, slash);
  std::string name = slash == std::string::npos ? map : map.substr(slash + 1);
  std::string data = Absolute(folder + "/..");
  // What the program would stop at, said once, before any display is made.
  for (const MapLayerDescription& l : d.layers) {
    struct stat st;
    if (!l.image.empty() && stat((data + "/" + l.image).c_str(), &st) != 0)
      return RenderError(err, "'" + map + "' draws from '" + l.image + "', which is missing beside its Maps/ folder");
  }
  // The display's set-up writes the program's log.txt where it runs: it runs
  // in a scratch folder that sees the data folder's Maps/ and TileSets/.
  Scratch scratch;
  if (!scratch.Enter(data, &error)) return RenderError(err, error);
  WinUseHeadlessDrivers();
  ScreenWidth = static_cast<int32_t>(w);
  ScreenHeight = static_cast<int32_t>(h);
  if (!WinCreateWindow("zorta-tool", 0, 0, ScreenWidth, ScreenHeight, WindowMessages))
    return RenderError(err, std::string("no display: ") + WinLastError());
  SetUpWindowed();
  if (BackBuffer == nullptr || ColorDepth != 32) return RenderError(err, "no 32-bit display to draw on");
  LoadMap(name.c_str());
  if (ErrorText[0] != 0) return RenderError(err, ErrorText);
  StartLevel();
  if (onlyLayer >= 0)
    for (int i = 0; i < LayerList.count; i++)
      if (i != onlyLayer) LayerAt(i)->enabled = 0;
  uint32_t* pixels = static_cast<uint32_t*>(LockBackBuffer(0, 0, ScreenWidth, ScreenHeight));
  if (pixels == nullptr) return RenderError(err, "cannot draw");
  int32_t pitch = BackBufferPitch();
  for (int32_t y = 0; y < ScreenHeight; y++)
    for (int32_t x = 0; x < ScreenWidth; x++) pixels[static_cast<size_t>(y) * pitch + x] = Unpainted;
  UnlockBackBuffer();
  SetCamera(0, 0, 0);
  DrawWorld();
  if (ErrorText[0] != 0) return RenderError(err, ErrorText);
  pixels = static_cast<uint32_t*>(LockBackBuffer(0, 0, ScreenWidth, ScreenHeight));
  if (pixels == nullptr) return RenderError(err, "cannot read the picture back");
  pitch = BackBufferPitch();
  int64_t ow = w * scale, oh = h * scale;
  std::vector<uint8_t> rgba(static_cast<size_t>(ow * oh * 4));
  for (int64_t y = 0; y < oh; y++)
    for (int64_t x = 0; x < ow; x++) {
      uint32_t p = pixels[static_cast<size_t>(y / scale) * pitch + x / scale] & 0xFFFFFF;
      uint8_t* q = &rgba[static_cast<size_t>((y * ow + x) * 4)];
      q[0] = static_cast<uint8_t>(p >> 16);
      q[1] = static_cast<uint8_t>(p >> 8);
      q[2] = static_cast<uint8_t>(p);
      q[3] = p == Unpainted ? 0 : 255;
      if (p == Unpainted) q[0] = q[1] = q[2] = 0;
    }
  UnlockBackBuffer();
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<uint32_t>(ow);
  image.height = static_cast<uint32_t>(oh);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr))
    return RenderError(err, "cannot make the PNG");
  std::vector<uint8_t> png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr))
    return RenderError(err, "cannot make the PNG");
  if (!WriteOutputFile(out, png.data(), size, &error)) return RenderError(err, error);
  return 0;
}

}  // namespace zorta
