#include "world/tiled_import.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>


namespace zorta {

namespace {

const int32_t Tile = 32;
const int32_t GfxColumns = 16;      // cells across a layer's tile set
const size_t MaxLayerTiles = 4096;  // distinct tiles one layer may use
const uint64_t MaxImagePixels = 1u << 26;

bool Fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

struct Rgba {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;  // 4 bytes a pixel, rows top first
};

bool ReadRgba(const std::string& path, Rgba* out, std::string* error) {
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return Fail(error, "image '" + path + "' is missing");
    return Fail(error, "image '" + path + "' is not a PNG Zorta can read (" + image.message + ")");
  }
  if (static_cast<uint64_t>(image.width) * image.height > MaxImagePixels) {
    png_image_free(&image);
    return Fail(error, "image '" + path + "' is larger than " + std::to_string(MaxImagePixels) + " pixels");
  }
  image.format = PNG_FORMAT_RGBA;
  out->width = static_cast<int32_t>(image.width);
  out->height = static_cast<int32_t>(image.height);
  out->pixels.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, out->pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return Fail(error, "image '" + path + "' cannot be read (" + image.message + ")");
  }
  return true;
}

// Where a tile's pixels come from: an image and the tile's rectangle in it.
struct TileSource {
  const Rgba* image;
  int32_t x, y;
};

struct Importer {
  const TiledMap* tiled;
  TiledImport* out;
  std::string* error;
  std::map<std::string, Rgba> images;
  int32_t tile = 0;  // the map's tile size in pixels
  size_t partlyTransparent = 0, opaqueMagenta = 0;
  std::vector<std::string> madeFrom;  // what each of out->tileSets holds, for messages
  std::map<const TiledTileSet*, int32_t> kept;  // tile sets gone over whole: their tile counts
};

const Rgba* Image(Importer* im, const std::string& path) {
  auto it = im->images.find(path);
  if (it != im->images.end()) return &it->second;
  Rgba rgba;
  std::string why;
  if (!ReadRgba(path, &rgba, &why)) {
    Fail(im->error, im->tiled->file + ": " + why);
    return nullptr;
  }
  return &(im->images[path] = std::move(rgba));
}

const TiledTileSet* SetOf(const TiledMap& tiled, uint32_t gid) {
  const TiledTileSet* found = nullptr;
  for (const TiledTileSet& set : tiled.tileSets)
    if (set.firstGid <= gid && (found == nullptr || set.firstGid > found->firstGid)) found = &set;
  return found;
}

const TiledTile* TileEntry(const TiledTileSet& set, int64_t id) {
  for (const TiledTile& t : set.tiles)
    if (t.id == id) return &t;
  return nullptr;
}

// The pixels of global tile id `gid` (flip bits cleared): its image and place.
bool FindTile(Importer* im, uint32_t gid, const std::string& layer, TileSource* src) {
  const TiledMap& tiled = *im->tiled;
  std::string where = tiled.file + ": layer '" + layer + "': tile " + std::to_string(gid);
  const TiledTileSet* set = SetOf(tiled, gid);
  if (set == nullptr) return Fail(im->error, where + " belongs to no tile set");
  if (set->tileWidth != im->tile || set->tileHeight != im->tile)
    return Fail(im->error, where + ": tile set '" + set->name + "' has " + std::to_string(set->tileWidth) + " x " +
                               std::to_string(set->tileHeight) + " tiles in a map of " + std::to_string(im->tile) +
                               " x " + std::to_string(im->tile) + " tiles");
  int64_t id = gid - set->firstGid;
  // Tiled draws an animated tile as its first frame.
  const TiledTile* entry = TileEntry(*set, id);
  if (entry != nullptr && entry->firstFrame >= 0) id = entry->firstFrame, entry = TileEntry(*set, id);
  if (set->image.empty()) {
    if (entry == nullptr || entry->image.empty())
      return Fail(im->error, where + ": tile set '" + set->name + "' has no image for it");
    src->image = Image(im, entry->image);
    if (src->image == nullptr) return false;
    if (src->image->width != im->tile || src->image->height != im->tile)
      return Fail(im->error, where + ": image '" + entry->image + "' is not " + std::to_string(im->tile) + " x " +
                                 std::to_string(im->tile) + " pixels");
    src->x = src->y = 0;
    return true;
  }
  src->image = Image(im, set->image);
  if (src->image == nullptr) return false;
  int64_t step = set->tileWidth + set->spacing;
  int64_t columns = (src->image->width - 2 * set->margin + set->spacing) / step;
  int64_t rows = (src->image->height - 2 * set->margin + set->spacing) / (set->tileHeight + set->spacing);
  if (columns <= 0 || id >= columns * rows)
    return Fail(im->error, where + " is beyond the " + std::to_string(columns > 0 ? columns * rows : 0) +
                               " tiles of image '" + set->image + "'");
  src->x = static_cast<int32_t>(set->margin + (id % columns) * step);
  src->y = static_cast<int32_t>(set->margin + (id / columns) * (set->tileHeight + set->spacing));
  return true;
}

// Copies a tile into 32 x 32 cell `cell` of an RGB picture `columns` cells
// wide: scaled up by whole pixels, then the diagonal flip, then the
// horizontal and vertical ones, as Tiled applies them.
void PutTile(Importer* im, const TileSource& src, uint32_t flags, int32_t cell, int32_t columns,
             std::vector<uint8_t>* rgb) {
  int32_t scale = Tile / im->tile;
  int32_t cx = (cell % columns) * Tile, cy = (cell / columns) * Tile;
  for (int32_t y = 0; y < Tile; y++)
    for (int32_t x = 0; x < Tile; x++) {
      int32_t ux = flags & TiledFlipX ? Tile - 1 - x : x;
      int32_t uy = flags & TiledFlipY ? Tile - 1 - y : y;
      if (flags & TiledFlipDiagonal) std::swap(ux, uy);
      const uint8_t* p =
          &src.image->pixels[(static_cast<size_t>(src.y + uy / scale) * src.image->width + src.x + ux / scale) * 4];
      uint8_t* q = &(*rgb)[(static_cast<size_t>(cy + y) * columns * Tile + cx + x) * 3];
      // Our tiles are opaque or keyed: half transparent and more is keyed.
      if (p[3] != 0 && p[3] != 255) im->partlyTransparent++;
      if (p[3] < 128) {
        q[0] = 255, q[1] = 0, q[2] = 255;
        continue;
      }
      if (p[0] == 255 && p[1] == 0 && p[2] == 255) im->opaqueMagenta++;
      memcpy(q, p, 3);
    }
}

std::string Number(double v) {
  char text[64];
  snprintf(text, sizeof text, "%g", v);
  return text;
}

bool PropertyIsTrue(const std::vector<TiledProperty>& properties, const char* name) {
  const TiledProperty* p = FindTiledProperty(properties, name);
  return p != nullptr && (p->value == "true" || p->value == "1");
}

// The layer the program's camera follows: the one marked `main`, else the
// largest, the last of equals as the program would take.
size_t MainLayerIndex(const std::vector<const TiledLayer*>& layers) {
  for (size_t i = 0; i < layers.size(); i++)
    if (PropertyIsTrue(layers[i]->properties, "main")) return i;
  size_t best = 0;
  for (size_t i = 0; i < layers.size(); i++)
    if (layers[i]->width * layers[i]->height >= layers[best]->width * layers[best]->height) best = i;
  return best;
}

// Each file the import writes holds one thing: a layer's tiles or a tile set.
bool AddTileSet(Importer* im, ImportedTileSet&& set, const std::string& what) {
  for (size_t i = 0; i < im->out->tileSets.size(); i++)
    if (im->out->tileSets[i].path == set.path)
      return Fail(im->error, im->tiled->file + ": " + im->madeFrom[i] + " and " + what + " would both be '" + set.path +
                                 "' (rename the tile set)");
  im->out->tileSets.push_back(std::move(set));
  im->madeFrom.push_back(what);
  return true;
}

// A tile set with the bool property `keepnumbers` goes over whole, as
// TileSets/NAME.gfx with its own columns, so its local tile k is cell k for
// every layer that draws from it (a game may test cells by value).
bool KeepsNumbers(const TiledTileSet& set) { return PropertyIsTrue(set.properties, "keepnumbers"); }

bool KeptTileSet(Importer* im, const TiledTileSet& set, const std::string& layer, int32_t* count) {
  auto done = im->kept.find(&set);
  if (done != im->kept.end()) return *count = done->second, true;
  std::string where = im->tiled->file + ": tile set '" + set.name + "' keeps its tile numbers";
  if (set.name.empty() || set.name == "." || set.name == ".." || set.name.find_first_of("/\\") != std::string::npos)
    return Fail(im->error, where + ", and its name cannot name a file");
  if (set.image.empty()) return Fail(im->error, where + ", so it needs one image for all its tiles");
  const Rgba* image = Image(im, set.image);
  if (image == nullptr) return false;
  int64_t columns = (image->width - 2 * set.margin + set.spacing) / (set.tileWidth + set.spacing);
  int64_t rows = (image->height - 2 * set.margin + set.spacing) / (set.tileHeight + set.spacing);
  if (columns <= 0 || rows <= 0 || columns * rows > static_cast<int64_t>(MaxLayerTiles))
    return Fail(im->error, where + ", and image '" + set.image + "' holds " +
                               std::to_string(columns > 0 && rows > 0 ? columns * rows : 0) + " tiles, not 1 to " +
                               std::to_string(MaxLayerTiles));
  std::vector<uint8_t> rgb(static_cast<size_t>(columns * rows) * Tile * Tile * 3, 0);
  for (int32_t id = 0; id < columns * rows; id++) {
    TileSource src;
    if (!FindTile(im, set.firstGid + static_cast<uint32_t>(id), layer, &src)) return false;
    PutTile(im, src, 0, id, static_cast<int32_t>(columns), &rgb);
  }
  ImportedTileSet out;
  out.path = "TileSets/" + set.name + ".gfx";
  out.bytes = GfxTileSet(rgb.data(), static_cast<int32_t>(columns) * Tile, static_cast<int32_t>(rows) * Tile);
  if (!AddTileSet(im, std::move(out), "tile set '" + set.name + "'")) return false;
  *count = im->kept[&set] = static_cast<int32_t>(columns * rows);
  return true;
}

// The cells of a layer drawn from a tile set that keeps its numbers: each
// holds its tile's local id, 0 the empty cell. Ids past the tile set's tiles
// are kept as values a game may test, never drawn (Tiled shows them missing).
bool KeptCells(Importer* im, const TiledLayer& layer, const TiledTileSet& set, int64_t originX, int64_t originY,
               int64_t width, MapLayerDescription* d) {
  std::string where = im->tiled->file + ": layer '" + layer.name + "'";
  std::string keeps = "tile set '" + set.name + "' keeps its tile numbers";
  int32_t count = 0;
  if (!KeptTileSet(im, set, layer.name, &count)) return false;
  std::map<int64_t, size_t> past;  // cells of each id past the tile set's tiles
  for (int64_t row = 0; row < layer.height; row++)
    for (int64_t col = 0; col < layer.width; col++) {
      uint32_t v = layer.gids[static_cast<size_t>(row * layer.width + col)] & ~TiledFlipHex;
      uint32_t gid = v & TiledGidMask;
      if (gid == 0) continue;
      std::string at = where + ": the tile at column " + std::to_string(col) + ", row " + std::to_string(row);
      if (SetOf(*im->tiled, gid) != &set)
        return Fail(im->error, at + " is not from tile set '" + set.name + "', and " + keeps +
                                   " (a layer draws from it alone)");
      if (v != gid)
        return Fail(im->error, at + " is flipped or rotated, and " + keeps + " (a flipped copy has no number)");
      int64_t id = gid - set.firstGid;
      if (id == 0) return Fail(im->error, at + " is tile 0, and " + keeps + ": 0 is the empty cell");
      if (id > UINT16_MAX)
        return Fail(im->error, at + " is tile " + std::to_string(id) + ", and " + keeps + ": a cell holds at most " +
                                   std::to_string(UINT16_MAX));
      if (id >= count) past[id]++;
      d->tiles[static_cast<size_t>((row + layer.y - originY) * width + col + layer.x - originX)] =
          static_cast<uint16_t>(id);
    }
  d->image = "TileSets/" + set.name + ".gfx";
  for (const auto& p : past)
    im->out->notes.push_back("layer '" + layer.name + "': tile " + std::to_string(p.first) + " in " +
                             std::to_string(p.second) + (p.second == 1 ? " cell" : " cells") + " is past the " +
                             std::to_string(count) + " tiles of tile set '" + set.name +
                             "': kept as the value, never drawn");
  return true;
}

// The tile set whose numbers the layer keeps, or null.
const TiledTileSet* KeptSetOf(const TiledMap& tiled, const TiledLayer& layer) {
  bool any = false;
  for (const TiledTileSet& set : tiled.tileSets) any = any || KeepsNumbers(set);
  if (!any) return nullptr;
  for (uint32_t v : layer.gids) {
    const TiledTileSet* set = (v & TiledGidMask) != 0 ? SetOf(tiled, v & TiledGidMask) : nullptr;
    if (set != nullptr && KeepsNumbers(*set)) return set;
  }
  return nullptr;
}

void LayerNotes(Importer* im, const TiledLayer& layer) {
  std::vector<std::string>& notes = im->out->notes;
  std::string named = "layer '" + layer.name + "': ";
  if (layer.opacity != 1) notes.push_back(named + "opacity " + Number(layer.opacity) + " dropped, drawn opaque");
  if (!layer.tint.empty()) notes.push_back(named + "tint " + layer.tint + " dropped");
  if (layer.offsetX != 0 || layer.offsetY != 0)
    notes.push_back(named + "offset " + Number(layer.offsetX) + ", " + Number(layer.offsetY) + " dropped");
}

bool ImportTileLayer(Importer* im, const TiledLayer& layer, const std::string& name, size_t index, int64_t originX,
                     int64_t originY, int64_t width, int64_t height, MapLayerDescription* d) {
  std::string where = im->tiled->file + ": layer '" + layer.name + "'";
  d->name = layer.name;
  d->enabled = layer.visible ? 1 : 0;
  d->width = static_cast<int32_t>(width);
  d->height = static_cast<int32_t>(height);
  d->parallaxX = static_cast<float>(layer.parallaxX);
  d->parallaxY = static_cast<float>(layer.parallaxY);
  d->wrapX = layer.repeatX || PropertyIsTrue(layer.properties, "repeatx") ? 1 : 0;
  d->wrapY = layer.repeatY || PropertyIsTrue(layer.properties, "repeaty") ? 1 : 0;
  d->tiles.assign(static_cast<size_t>(width * height), 0);
  const TiledTileSet* kept = KeptSetOf(*im->tiled, layer);
  if (kept != nullptr) {
    if (!KeptCells(im, layer, *kept, originX, originY, width, d)) return false;
    LayerNotes(im, layer);
    return true;
  }
  // Each distinct value (flips included) is a cell, in the order first met.
  std::map<uint32_t, uint16_t> cells;
  std::vector<uint32_t> order;
  for (int64_t row = 0; row < layer.height; row++)
    for (int64_t col = 0; col < layer.width; col++) {
      uint32_t v = layer.gids[static_cast<size_t>(row * layer.width + col)] & ~TiledFlipHex;
      if ((v & TiledGidMask) == 0) continue;
      auto it = cells.find(v);
      if (it == cells.end()) {
        if (order.size() == MaxLayerTiles)
          return Fail(im->error, where + ": uses more than " + std::to_string(MaxLayerTiles) + " different tiles");
        order.push_back(v);
        it = cells.emplace(v, static_cast<uint16_t>(order.size())).first;
      }
      d->tiles[static_cast<size_t>((row + layer.y - originY) * width + col + layer.x - originX)] = it->second;
    }
  int32_t rows = static_cast<int32_t>((order.size() + 1 + GfxColumns - 1) / GfxColumns);
  std::vector<uint8_t> rgb(static_cast<size_t>(GfxColumns) * Tile * rows * Tile * 3, 0);
  for (size_t i = 0; i < order.size(); i++) {
    TileSource src;
    if (!FindTile(im, order[i] & TiledGidMask, layer.name, &src)) return false;
    PutTile(im, src, order[i], static_cast<int32_t>(i + 1), GfxColumns, &rgb);
  }
  ImportedTileSet set;
  set.path = "TileSets/" + name + "-" + std::to_string(index) + ".gfx";
  set.bytes = GfxTileSet(rgb.data(), GfxColumns * Tile, rows * Tile);
  d->image = set.path;
  if (!AddTileSet(im, std::move(set), "the tiles of layer '" + layer.name + "'")) return false;
  LayerNotes(im, layer);
  return true;
}

// Our placements carry these fields; properties of these names set them.
bool SetField(MapObjectDescription* o, const TiledProperty& p) {
  const char* v = p.value.c_str();
  char* end = nullptr;
  double number = strtod(v, &end);
  if (end == v || *end != 0 || !std::isfinite(number)) return false;
  auto whole = [&](int64_t lo, int64_t hi) { return number == std::floor(number) && number >= lo && number <= hi; };
  if (p.name == "param" && whole(0, UINT32_MAX)) return o->param = static_cast<uint32_t>(number), true;
  if (p.name == "param2" && whole(0, UINT32_MAX)) return o->param2 = static_cast<uint32_t>(number), true;
  if (p.name == "value" && whole(INT32_MIN, INT32_MAX)) return o->value = static_cast<int32_t>(number), true;
  if (p.name == "spawnId" && whole(INT32_MIN, INT32_MAX)) return o->spawnId = static_cast<int32_t>(number), true;
  if (p.name == "x2") return o->x2 = static_cast<float>(number), true;
  if (p.name == "y2") return o->y2 = static_cast<float>(number), true;
  for (int i = 0; i < 4; i++) {
    if (p.name == "int" + std::to_string(i) && whole(INT32_MIN, INT32_MAX)) {
      o->ints[i] = static_cast<int32_t>(number);
      o->flags |= 1u << i;
      return true;
    }
    if (p.name == "real" + std::to_string(i)) {
      o->reals[i] = static_cast<float>(number);
      o->flags |= 16u << i;
      return true;
    }
  }
  return false;
}

void ImportObjects(Importer* im, const TiledLayer& layer, double originX, double originY) {
  std::vector<std::string>& notes = im->out->notes;
  int32_t scale = Tile / im->tile;
  for (const TiledObject& o : layer.objects) {
    MapObjectDescription d;
    d.type = o.type;
    d.y2 = 1;  // the placement's scale, as a map built from JSON has it unless told
    d.x = static_cast<float>((o.x + layer.offsetX - originX) * scale);
    d.y = static_cast<float>((o.y + layer.offsetY - originY) * scale);
    for (const TiledPoint& p : o.points) {
      MapPointDescription q;
      q.x = static_cast<float>((o.x + p.x + layer.offsetX - originX) * scale);
      q.y = static_cast<float>((o.y + p.y + layer.offsetY - originY) * scale);
      d.points.push_back(q);
    }
    d.closed = o.closed ? 1 : 0;
    std::string named = "object '" + o.name + "' (" + (o.type.empty() ? std::string("no type") : o.type) +
                        ") of layer '" + layer.name + "': ";
    for (const TiledProperty& p : o.properties)
      if (!SetField(&d, p)) notes.push_back(named + "property '" + p.name + "' dropped");
    if (o.gid != 0) notes.push_back(named + "its tile picture dropped (its type draws it)");
    if (!o.shape.empty()) notes.push_back(named + o.shape + " shape dropped, its position kept");
    if (o.width != 0 || o.height != 0) notes.push_back(named + "size dropped");
    if (o.rotation != 0) notes.push_back(named + "rotation dropped");
    if (!o.visible) notes.push_back(named + "hidden in Tiled, placed all the same");
    if (!o.templateFile.empty()) notes.push_back(named + "template '" + o.templateFile + "' not read");
    im->out->map.objects.push_back(d);
  }
}

}  // namespace

std::vector<uint8_t> GfxTileSet(const uint8_t* rgb, int32_t width, int32_t height) {
  std::vector<uint8_t> bytes;
  auto u32 = [&bytes](uint32_t v) {
    for (int i = 0; i < 4; i++) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  u32(0x47465831);
  u32(0x494E464F);  // INFO
  u32(32);
  u32(static_cast<uint32_t>(width));
  u32(static_cast<uint32_t>(height));
  u32(24);
  for (int i = 0; i < 5; i++) u32(0);
  size_t pixelBytes = static_cast<size_t>(width) * height * 3;
  u32(0x494D4745);  // IMGE
  u32(static_cast<uint32_t>(pixelBytes));
  bytes.insert(bytes.end(), rgb, rgb + pixelBytes);
  int32_t columns = width / Tile, rows = height / Tile;
  u32(0x4354424C);  // CTBL
  u32(static_cast<uint32_t>(4 + 40 * columns * rows));
  u32(static_cast<uint32_t>(columns * rows));
  // Tile t is block t, row by row; a block holding magenta is drawn keyed.
  for (int32_t r = 0; r < rows; r++)
    for (int32_t c = 0; c < columns; c++) {
      int keyed = 0;
      for (int32_t y = 0; y < Tile && !keyed; y++)
        for (int32_t x = 0; x < Tile; x++) {
          const uint8_t* px = rgb + ((static_cast<size_t>(r) * Tile + y) * width + c * Tile + x) * 3;
          if (px[0] == 255 && px[1] == 0 && px[2] == 255) {
            keyed = 1;
            break;
          }
        }
      int32_t cell[10] = {c * Tile, r * Tile, Tile, Tile, 0, 0, Tile, Tile, keyed ? 1 : 2, 0};
      for (int32_t v : cell) u32(static_cast<uint32_t>(v));
    }
  u32(0x454E4446);  // ENDF
  u32(0);
  return bytes;
}

bool ImportTiledMap(const TiledMap& tiled, const std::string& name, TiledImport* out, std::string* error) {
  *out = TiledImport();
  if (!tiled.orientation.empty() && tiled.orientation != "orthogonal")
    return Fail(error, tiled.file + ": " + tiled.orientation + " maps cannot be imported, only orthogonal ones");
  if (tiled.tileWidth != tiled.tileHeight || (tiled.tileWidth != 32 && tiled.tileWidth != 16 && tiled.tileWidth != 8))
    return Fail(error, tiled.file + ": tiles of " + std::to_string(tiled.tileWidth) + " x " +
                           std::to_string(tiled.tileHeight) +
                           " pixels cannot be imported: Zorta's tiles are 32 x 32 pixels; maps of 32, 16 or 8 pixel "
                           "square tiles import (16 and 8 scaled up 2 and 4 times)");
  Importer im = {&tiled, out, error, {}, tiled.tileWidth, 0, 0, {}, {}};
  out->scale = Tile / tiled.tileWidth;
  if (out->scale > 1)
    out->notes.push_back(std::to_string(tiled.tileWidth) + " pixel tiles scaled up " + std::to_string(out->scale) +
                         " times to 32");
  std::vector<const TiledLayer*> tileLayers;
  for (const TiledLayer& layer : tiled.layers)
    if (layer.kind == TiledTileLayer) tileLayers.push_back(&layer);
  // Our layers all start at the origin: an infinite map's layers share the
  // rectangle around every chunk, and its objects move with it.
  int64_t x0 = 0, y0 = 0, x1 = tiled.width, y1 = tiled.height;
  if (tiled.infinite) {
    for (size_t i = 0; i < tileLayers.size(); i++) {
      const TiledLayer& l = *tileLayers[i];
      if (i == 0 || l.x < x0) x0 = l.x;
      if (i == 0 || l.y < y0) y0 = l.y;
      if (i == 0 || l.x + l.width > x1) x1 = l.x + l.width;
      if (i == 0 || l.y + l.height > y1) y1 = l.y + l.height;
    }
    if ((x1 - x0) * (y1 - y0) * static_cast<int64_t>(tileLayers.size()) > static_cast<int64_t>(TiledMaxCells))
      return Fail(error, tiled.file + ": its layers would hold more than " + std::to_string(TiledMaxCells) + " cells");
  }
  size_t main = MainLayerIndex(tileLayers);
  for (size_t i = 0; i < tileLayers.size(); i++) {
    const TiledLayer& l = *tileLayers[i];
    int64_t w = tiled.infinite ? x1 - x0 : l.width, h = tiled.infinite ? y1 - y0 : l.height;
    MapLayerDescription d;
    if (!ImportTileLayer(&im, l, name, i + 1, tiled.infinite ? x0 : 0, tiled.infinite ? y0 : 0, w, h, &d)) return false;
    if (l.inGroup) out->notes.push_back("layer '" + l.name + "': taken out of its group");
    out->map.layers.push_back(std::move(d));
  }
  // The program's camera follows the layer named "Main", else the last.
  if (!tileLayers.empty()) {
    for (size_t i = 0; i < out->map.layers.size(); i++) {
      std::string& n = out->map.layers[i].name;
      if (i != main && strcasecmp(n.c_str(), "Main") == 0) {
        n += " (not main)";
        out->notes.push_back("layer 'Main': renamed '" + n + "', another layer is the main one");
      }
    }
    std::string& n = out->map.layers[main].name;
    if (n != "Main" && main + 1 != out->map.layers.size()) {
      out->notes.push_back("layer '" + n + "': renamed 'Main', the layer the camera follows");
      n = "Main";
    }
    out->map.selectedLayer = static_cast<int32_t>(main);
  }
  for (const TiledLayer& layer : tiled.layers) {
    if (layer.kind == TiledObjectLayer)
      ImportObjects(&im, layer, static_cast<double>(x0) * tiled.tileWidth, static_cast<double>(y0) * tiled.tileHeight);
    if (layer.kind == TiledImageLayer) out->notes.push_back("image layer '" + layer.name + "' dropped");
  }
  // Images that only objects use are checked all the same.
  for (const TiledTileSet& set : tiled.tileSets) {
    if (!set.image.empty() && Image(&im, set.image) == nullptr) return false;
    for (const TiledTile& t : set.tiles)
      if (!t.image.empty()) {
        struct stat st;
        if (stat(t.image.c_str(), &st) != 0) return Fail(error, tiled.file + ": image '" + t.image + "' is missing");
      }
  }
  if (im.partlyTransparent)
    out->notes.push_back(
        std::to_string(im.partlyTransparent) +
        " partly transparent pixels of the imported tile sets made opaque (half and more) or transparent");
  if (im.opaqueMagenta)
    out->notes.push_back(std::to_string(im.opaqueMagenta) +
                         " opaque magenta pixels of the imported tile sets will be transparent");
  return true;
}

bool ImportTiledData(const std::string& path, const std::string& bytes, TiledImport* out, std::string* error) {
  TiledMap tiled;
  return ParseTiledMap(path, bytes, ReadTiledFile, &tiled, error) &&
         ImportTiledMap(tiled, TiledMapName(path), out, error);
}

std::string TiledMapName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (const char* ext : {".gz", ".tmx", ".tmj", ".json"}) {
    size_t n = strlen(ext);
    if (name.size() > n && name.compare(name.size() - n, n, ext) == 0) name.resize(name.size() - n);
  }
  return name;
}


}  // namespace zorta
