#include "world/tiled_read.h"

#include <zlib.h>
#include <zstd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

namespace zorta {

namespace {

using Json = nlohmann::json;

bool Fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

// zlib or gzip (windowBits 15 or 31) into at most `limit` bytes; false when
// the stream is damaged or would give more. The output grows with what the
// stream gives, so a short stream never costs the whole limit.
bool Inflate(const uint8_t* data, size_t size, int windowBits, size_t limit, std::string* out, std::string* error) {
  z_stream z = {};
  if (inflateInit2(&z, windowBits) != Z_OK) return Fail(error, "cannot start inflating");
  out->clear();
  z.next_in = const_cast<uint8_t*>(data);
  z.avail_in = static_cast<uInt>(size > UINT32_MAX ? UINT32_MAX : size);
  uint8_t buffer[65536];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    rc = inflate(&z, Z_NO_FLUSH);
    size_t got = sizeof buffer - z.avail_out;
    if (out->size() + got > limit) {
      inflateEnd(&z);
      return Fail(error, "inflates to more than the " + std::to_string(limit) + " bytes it may hold");
    }
    out->append(reinterpret_cast<char*>(buffer), got);
    if (rc == Z_BUF_ERROR && got > 0) rc = Z_OK;  // room was short, not input
  }
  inflateEnd(&z);
  if (rc == Z_STREAM_END) return true;
  return Fail(error, "damaged compressed data");
}

bool DecodeBase64(const std::string& text, std::string* out, std::string* error) {
  out->clear();
  out->reserve(text.size() / 4 * 3);
  uint32_t acc = 0;
  int bits = 0, pad = 0;
  for (char ch : text) {
    int v;
    if (ch >= 'A' && ch <= 'Z')
      v = ch - 'A';
    else if (ch >= 'a' && ch <= 'z')
      v = ch - 'a' + 26;
    else if (ch >= '0' && ch <= '9')
      v = ch - '0' + 52;
    else if (ch == '+')
      v = 62;
    else if (ch == '/')
      v = 63;
    else if (ch == '=') {
      pad++;
      continue;
    } else if (ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t')
      continue;
    else
      return Fail(error, "not base64");
    if (pad) return Fail(error, "not base64");
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out->push_back(static_cast<char>((acc >> bits) & 0xFF));
    }
  }
  return true;
}

bool Decompress(const std::string& raw, const std::string& compression, size_t limit, std::string* out,
                std::string* error) {
  const uint8_t* data = reinterpret_cast<const uint8_t*>(raw.data());
  if (compression == "zlib") return Inflate(data, raw.size(), 15, limit, out, error);
  if (compression == "gzip") return Inflate(data, raw.size(), 15 + 16, limit, out, error);
  if (compression != "zstd") return Fail(error, "unknown compression '" + compression + "'");
  // A frame states its size: one larger than the layer is refused unread.
  unsigned long long stated = ZSTD_getFrameContentSize(data, raw.size());
  if (stated == ZSTD_CONTENTSIZE_ERROR) return Fail(error, "damaged compressed data");
  if (stated != ZSTD_CONTENTSIZE_UNKNOWN && stated > limit)
    return Fail(error, "inflates to more than the " + std::to_string(limit) + " bytes it may hold");
  ZSTD_DStream* z = ZSTD_createDStream();
  if (z == nullptr) return Fail(error, "cannot start inflating");
  out->clear();
  std::vector<char> buffer(ZSTD_DStreamOutSize());
  ZSTD_inBuffer in = {data, raw.size(), 0};
  size_t rc = 1;
  for (;;) {
    ZSTD_outBuffer o = {buffer.data(), buffer.size(), 0};
    rc = ZSTD_decompressStream(z, &o, &in);
    if (ZSTD_isError(rc)) break;
    if (out->size() + o.pos > limit) {
      ZSTD_freeDStream(z);
      return Fail(error, "inflates to more than the " + std::to_string(limit) + " bytes it may hold");
    }
    out->append(buffer.data(), o.pos);
    // Done, or out of input with nothing more to give.
    if (rc == 0 || (in.pos == in.size && o.pos < o.size)) break;
  }
  ZSTD_freeDStream(z);
  if (ZSTD_isError(rc)) return Fail(error, "damaged compressed data");
  if (rc != 0 || in.pos != in.size) return Fail(error, "damaged compressed data");
  return true;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Beside(const std::string& file, const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  return FolderOf(file) + name;
}

// A whole file given gzip-compressed (.tmx.gz) is inflated first.
bool Unwrap(const std::string& bytes, std::string* out, std::string* error) {
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0x1F && static_cast<uint8_t>(bytes[1]) == 0x8B) {
    return Inflate(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 15 + 16, TiledMaxFileBytes, out,
                   error);
  }
  *out = bytes;
  return true;
}

bool InRange(double v, double lo, double hi) { return v >= lo && v <= hi; }

// A tile set's whole-number fields, named alike in TMX and JSON, with the
// bounds both readers hold them to (0 where one is not given).
struct TileSetField {
  const char* name;
  int64_t lo, hi;
  int32_t TiledTileSet::*member;
};
const TileSetField TileSetFields[] = {
    {"tilewidth", 1, 4096, &TiledTileSet::tileWidth}, {"tileheight", 1, 4096, &TiledTileSet::tileHeight},
    {"margin", 0, 4096, &TiledTileSet::margin},       {"spacing", 0, 4096, &TiledTileSet::spacing},
    {"columns", 0, 1 << 20, &TiledTileSet::columns},  {"tilecount", 0, 1 << 24, &TiledTileSet::tileCount}};

// ---- TMX. ----

// What a group says applies to everything in it.
void Inherit(const TiledLayer& group, int depth, int64_t visible, double opacity, double ox, double oy, double px,
             double py, int64_t repeatX, int64_t repeatY, TiledLayer* layer) {
  layer->visible = group.visible && visible;
  layer->opacity = group.opacity * opacity;
  layer->offsetX = group.offsetX + ox;
  layer->offsetY = group.offsetY + oy;
  layer->parallaxX = group.parallaxX * px;
  layer->parallaxY = group.parallaxY * py;
  layer->repeatX = static_cast<int>(repeatX);
  layer->repeatY = static_cast<int>(repeatY);
  layer->tint = group.tint;
  layer->inGroup = depth > 0;
}

struct Reader {
  std::string mapFile;
  TiledFileReader reader;
  TiledMap* map;
  std::string* error;
  size_t cells = 0;
};

bool IntAttr(const pugi::xml_node& n, const char* name, int64_t lo, int64_t hi, int64_t fallback, int64_t* out,
             const std::string& where, std::string* error) {
  pugi::xml_attribute a = n.attribute(name);
  if (!a) {
    *out = fallback;
    return true;
  }
  char* end = nullptr;
  errno = 0;
  long long v = strtoll(a.value(), &end, 10);
  if (end == a.value() || *end != 0 || errno != 0 || v < lo || v > hi)
    return Fail(error, where + ": " + name + " '" + a.value() + "' is not a whole number from " + std::to_string(lo) +
                           " to " + std::to_string(hi));
  *out = v;
  return true;
}

bool RealAttr(const pugi::xml_node& n, const char* name, double fallback, double* out, const std::string& where,
              std::string* error) {
  pugi::xml_attribute a = n.attribute(name);
  if (!a) {
    *out = fallback;
    return true;
  }
  char* end = nullptr;
  double v = strtod(a.value(), &end);
  if (end == a.value() || *end != 0 || !std::isfinite(v) || !InRange(v, -1e9, 1e9))
    return Fail(error, where + ": " + name + " '" + a.value() + "' is not a number");
  *out = v;
  return true;
}

void XmlProperties(const pugi::xml_node& n, std::vector<TiledProperty>* out) {
  for (pugi::xml_node p : n.child("properties").children("property")) {
    TiledProperty prop;
    prop.name = p.attribute("name").value();
    prop.type = p.attribute("type").value();
    prop.value = p.attribute("value") ? p.attribute("value").value() : p.text().get();
    out->push_back(prop);
  }
}

bool XmlTileSetBody(const pugi::xml_node& ts, TiledTileSet* set, const std::string& file, std::string* error) {
  std::string where = file + ": tile set '" + std::string(ts.attribute("name").value()) + "'";
  int64_t v;
  set->file = file;
  set->name = ts.attribute("name").value();
  for (const TileSetField& f : TileSetFields) {
    if (!IntAttr(ts, f.name, f.lo, f.hi, 0, &v, where, error)) return false;
    set->*f.member = static_cast<int32_t>(v);
  }
  if (set->tileWidth == 0 || set->tileHeight == 0) return Fail(error, where + ": no tile size");
  pugi::xml_node offset = ts.child("tileoffset");
  if (offset) {
    if (!IntAttr(offset, "x", -4096, 4096, 0, &v, where, error)) return false;
    set->offsetX = static_cast<int32_t>(v);
    if (!IntAttr(offset, "y", -4096, 4096, 0, &v, where, error)) return false;
    set->offsetY = static_cast<int32_t>(v);
  }
  pugi::xml_node image = ts.child("image");
  if (image) {
    set->image = Beside(file, image.attribute("source").value());
    if (!IntAttr(image, "width", 0, 1 << 16, 0, &v, where, error)) return false;
    set->imageWidth = static_cast<int32_t>(v);
    if (!IntAttr(image, "height", 0, 1 << 16, 0, &v, where, error)) return false;
    set->imageHeight = static_cast<int32_t>(v);
  }
  for (pugi::xml_node t : ts.children("tile")) {
    TiledTile tile;
    if (!IntAttr(t, "id", 0, TiledGidMask, 0, &tile.id, where, error)) return false;
    pugi::xml_node ti = t.child("image");
    if (ti) {
      tile.image = Beside(file, ti.attribute("source").value());
      if (!IntAttr(ti, "width", 0, 1 << 16, 0, &v, where, error)) return false;
      tile.imageWidth = static_cast<int32_t>(v);
      if (!IntAttr(ti, "height", 0, 1 << 16, 0, &v, where, error)) return false;
      tile.imageHeight = static_cast<int32_t>(v);
    }
    pugi::xml_node frame = t.child("animation").child("frame");
    if (frame && !IntAttr(frame, "tileid", 0, TiledGidMask, 0, &tile.firstFrame, where, error)) return false;
    set->tiles.push_back(tile);
  }
  XmlProperties(ts, &set->properties);
  return true;
}

bool ParseJsonTileSet(const Json& j, TiledTileSet* set, const std::string& file, std::string* error);

// An external tile set, TSX or JSON by its first byte.
bool ReadExternalTileSet(Reader* r, const std::string& source, TiledTileSet* set) {
  std::string path = Beside(r->mapFile, source), bytes, plain;
  std::string readError;
  if (!r->reader(path, &bytes, &readError)) return Fail(r->error, r->mapFile + ": tile set " + readError);
  if (!Unwrap(bytes, &plain, &readError)) return Fail(r->error, path + ": " + readError);
  size_t first = plain.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && plain[first] == '<') {
    pugi::xml_document doc;
    pugi::xml_parse_result ok = doc.load_buffer(plain.data(), plain.size());
    if (!ok) return Fail(r->error, path + ": not valid XML: " + ok.description());
    pugi::xml_node ts = doc.child("tileset");
    if (!ts) return Fail(r->error, path + ": no <tileset>");
    return XmlTileSetBody(ts, set, path, r->error);
  }
  Json j = Json::parse(plain, nullptr, false);
  if (j.is_discarded() || !j.is_object()) return Fail(r->error, path + ": neither a TSX nor a JSON tile set");
  return ParseJsonTileSet(j, set, path, r->error);
}

bool AddCells(Reader* r, int64_t count, const std::string& where) {
  if (count < 0 || static_cast<uint64_t>(count) > TiledMaxCells || r->cells + count > TiledMaxCells)
    return Fail(r->error, where + ": more than " + std::to_string(TiledMaxCells) + " cells");
  r->cells += static_cast<size_t>(count);
  return true;
}

struct Chunk {
  int64_t x, y, w, h;
  std::vector<uint32_t> ids;
};

// An infinite map's layer: the rectangle around all its chunks, each placed in it.
bool PlaceChunks(Reader* r, const std::vector<Chunk>& chunks, TiledLayer* layer, const std::string& where) {
  int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (size_t i = 0; i < chunks.size(); i++) {
    const Chunk& c = chunks[i];
    if (i == 0 || c.x < x0) x0 = c.x;
    if (i == 0 || c.y < y0) y0 = c.y;
    if (i == 0 || c.x + c.w > x1) x1 = c.x + c.w;
    if (i == 0 || c.y + c.h > y1) y1 = c.y + c.h;
  }
  if (!AddCells(r, (x1 - x0) * (y1 - y0), where)) return false;
  layer->x = x0;
  layer->y = y0;
  layer->width = x1 - x0;
  layer->height = y1 - y0;
  layer->gids.assign(static_cast<size_t>(layer->width * layer->height), 0);
  for (const Chunk& c : chunks)
    for (int64_t row = 0; row < c.h; row++)
      for (int64_t col = 0; col < c.w; col++)
        layer->gids[static_cast<size_t>((c.y - y0 + row) * layer->width + (c.x - x0 + col))] =
            c.ids[static_cast<size_t>(row * c.w + col)];
  return true;
}

// `data` says how the cells are written, `body` holds them (the same node, or
// one of an infinite map's chunks).
bool XmlData(Reader* r, const pugi::xml_node& data, const pugi::xml_node& body, size_t count,
             std::vector<uint32_t>* ids, const std::string& where) {
  std::string encoding = data.attribute("encoding").value();
  if (encoding.empty()) {
    // Plain XML: one <tile gid=".."/> a cell.
    ids->clear();
    for (pugi::xml_node t : body.children("tile")) {
      if (ids->size() == count) return Fail(r->error, where + ": more tiles than cells");
      int64_t gid;
      if (!IntAttr(t, "gid", 0, UINT32_MAX, 0, &gid, where, r->error)) return false;
      ids->push_back(static_cast<uint32_t>(gid));
    }
    if (ids->size() != count) return Fail(r->error, where + ": fewer tiles than cells");
    return true;
  }
  std::string decodeError;
  if (!DecodeTileData(body.text().get(), encoding, data.attribute("compression").value(), count, ids, &decodeError))
    return Fail(r->error, where + ": " + decodeError);
  return true;
}

bool XmlTileLayer(Reader* r, const pugi::xml_node& n, TiledLayer* layer, const std::string& where) {
  pugi::xml_node data = n.child("data");
  if (!data) return Fail(r->error, where + ": no <data>");
  if (!r->map->infinite) {
    int64_t w, h;
    if (!IntAttr(n, "width", 0, 1 << 24, r->map->width, &w, where, r->error)) return false;
    if (!IntAttr(n, "height", 0, 1 << 24, r->map->height, &h, where, r->error)) return false;
    if (!AddCells(r, w * h, where)) return false;
    layer->width = w;
    layer->height = h;
    return XmlData(r, data, data, static_cast<size_t>(w * h), &layer->gids, where);
  }
  std::vector<Chunk> chunks;
  for (pugi::xml_node c : data.children("chunk")) {
    Chunk chunk;
    if (!IntAttr(c, "x", -(1 << 24), 1 << 24, 0, &chunk.x, where, r->error) ||
        !IntAttr(c, "y", -(1 << 24), 1 << 24, 0, &chunk.y, where, r->error) ||
        !IntAttr(c, "width", 1, 1 << 12, 0, &chunk.w, where, r->error) ||
        !IntAttr(c, "height", 1, 1 << 12, 0, &chunk.h, where, r->error))
      return false;
    if (!AddCells(r, chunk.w * chunk.h, where)) return false;
    if (!XmlData(r, data, c, static_cast<size_t>(chunk.w * chunk.h), &chunk.ids, where)) return false;
    chunks.push_back(std::move(chunk));
  }
  return PlaceChunks(r, chunks, layer, where);
}

bool XmlObjects(Reader* r, const pugi::xml_node& n, TiledLayer* layer, const std::string& where) {
  for (pugi::xml_node o : n.children("object")) {
    TiledObject obj;
    obj.name = o.attribute("name").value();
    obj.type = o.attribute("type") ? o.attribute("type").value() : o.attribute("class").value();
    obj.templateFile = o.attribute("template").value();
    int64_t gid, visible;
    if (!RealAttr(o, "x", 0, &obj.x, where, r->error) || !RealAttr(o, "y", 0, &obj.y, where, r->error) ||
        !RealAttr(o, "width", 0, &obj.width, where, r->error) ||
        !RealAttr(o, "height", 0, &obj.height, where, r->error) ||
        !RealAttr(o, "rotation", 0, &obj.rotation, where, r->error) ||
        !IntAttr(o, "gid", 0, UINT32_MAX, 0, &gid, where, r->error) ||
        !IntAttr(o, "visible", 0, 1, 1, &visible, where, r->error))
      return false;
    obj.gid = static_cast<uint32_t>(gid);
    obj.visible = static_cast<int>(visible);
    if (o.child("ellipse")) obj.shape = "ellipse";
    if (o.child("point")) obj.shape = "point";
    if (o.child("text")) obj.shape = "text";
    pugi::xml_node line = o.child("polyline");
    if (!line) {
      line = o.child("polygon");
      obj.closed = line ? 1 : 0;
    }
    if (line) {
      // "x,y x,y ..."
      const char* p = line.attribute("points").value();
      while (*p) {
        char* end = nullptr;
        TiledPoint pt;
        pt.x = strtod(p, &end);
        if (end == p || *end != ',')
          return Fail(r->error, where + ": points '" + line.attribute("points").value() + "' are not x,y pairs");
        p = end + 1;
        pt.y = strtod(p, &end);
        if (end == p || !std::isfinite(pt.x) || !std::isfinite(pt.y) || !InRange(pt.x, -1e9, 1e9) ||
            !InRange(pt.y, -1e9, 1e9))
          return Fail(r->error, where + ": points '" + line.attribute("points").value() + "' are not x,y pairs");
        p = end;
        while (*p == ' ') p++;
        if (obj.points.size() >= (1u << 16)) return Fail(r->error, where + ": more than 65536 points");
        obj.points.push_back(pt);
      }
    }
    XmlProperties(o, &obj.properties);
    layer->objects.push_back(obj);
  }
  return true;
}

bool XmlLayers(Reader* r, const pugi::xml_node& parent, const TiledLayer& group, int depth) {
  if (depth > 32) return Fail(r->error, r->mapFile + ": groups nested more than 32 deep");
  for (pugi::xml_node n : parent.children()) {
    std::string tag = n.name();
    if (tag != "layer" && tag != "objectgroup" && tag != "imagelayer" && tag != "group") continue;
    TiledLayer layer;
    layer.name = n.attribute("name").value();
    std::string where = r->mapFile + ": layer '" + layer.name + "'";
    int64_t visible, repeatX, repeatY;
    double opacity, ox, oy, px, py;
    if (!IntAttr(n, "visible", 0, 1, 1, &visible, where, r->error) ||
        !RealAttr(n, "opacity", 1, &opacity, where, r->error) || !RealAttr(n, "offsetx", 0, &ox, where, r->error) ||
        !RealAttr(n, "offsety", 0, &oy, where, r->error) || !RealAttr(n, "parallaxx", 1, &px, where, r->error) ||
        !RealAttr(n, "parallaxy", 1, &py, where, r->error) ||
        !IntAttr(n, "repeatx", 0, 1, 0, &repeatX, where, r->error) ||
        !IntAttr(n, "repeaty", 0, 1, 0, &repeatY, where, r->error))
      return false;
    Inherit(group, depth, visible, opacity, ox, oy, px, py, repeatX, repeatY, &layer);
    if (n.attribute("tintcolor")) layer.tint = n.attribute("tintcolor").value();
    XmlProperties(n, &layer.properties);
    if (tag == "group") {
      if (!XmlLayers(r, n, layer, depth + 1)) return false;
      continue;
    }
    if (tag == "layer") {
      layer.kind = TiledTileLayer;
      if (!XmlTileLayer(r, n, &layer, where)) return false;
    } else if (tag == "objectgroup") {
      layer.kind = TiledObjectLayer;
      if (!XmlObjects(r, n, &layer, where)) return false;
    } else {
      layer.kind = TiledImageLayer;
    }
    r->map->layers.push_back(std::move(layer));
  }
  return true;
}

bool ParseTmx(Reader* r, const std::string& text) {
  pugi::xml_document doc;
  pugi::xml_parse_result ok = doc.load_buffer(text.data(), text.size());
  if (!ok)
    return Fail(r->error,
                r->mapFile + ": not valid XML at byte " + std::to_string(ok.offset) + ": " + ok.description());
  pugi::xml_node m = doc.child("map");
  if (!m) return Fail(r->error, r->mapFile + ": no <map>");
  TiledMap* map = r->map;
  std::string where = r->mapFile;
  map->orientation = m.attribute("orientation").value();
  int64_t v;
  if (!IntAttr(m, "width", 0, 1 << 24, 0, &v, where, r->error)) return false;
  map->width = static_cast<int32_t>(v);
  if (!IntAttr(m, "height", 0, 1 << 24, 0, &v, where, r->error)) return false;
  map->height = static_cast<int32_t>(v);
  if (!IntAttr(m, "tilewidth", 1, 4096, 1, &v, where, r->error)) return false;
  map->tileWidth = static_cast<int32_t>(v);
  if (!IntAttr(m, "tileheight", 1, 4096, 1, &v, where, r->error)) return false;
  map->tileHeight = static_cast<int32_t>(v);
  if (!IntAttr(m, "infinite", 0, 1, 0, &v, where, r->error)) return false;
  map->infinite = static_cast<int>(v);
  for (pugi::xml_node ts : m.children("tileset")) {
    TiledTileSet set;
    int64_t first;
    if (!IntAttr(ts, "firstgid", 1, TiledGidMask, 1, &first, where, r->error)) return false;
    set.firstGid = static_cast<uint32_t>(first);
    bool read = ts.attribute("source") ? ReadExternalTileSet(r, ts.attribute("source").value(), &set)
                                       : XmlTileSetBody(ts, &set, r->mapFile, r->error);
    if (!read) return false;
    map->tileSets.push_back(std::move(set));
  }
  return XmlLayers(r, m, TiledLayer(), 0);
}

// ---- JSON. ----

bool JsonInt(const Json& j, const char* key, int64_t lo, int64_t hi, int64_t fallback, int64_t* out,
             const std::string& where, std::string* error) {
  auto it = j.find(key);
  if (it == j.end() || it->is_null()) {
    *out = fallback;
    return true;
  }
  if (it->is_boolean()) {
    *out = it->get<bool>() ? 1 : 0;
    return true;
  }
  if (!it->is_number_integer() || (it->is_number_unsigned() && it->get<uint64_t>() > static_cast<uint64_t>(hi)) ||
      it->get<int64_t>() < lo || it->get<int64_t>() > hi)
    return Fail(error, where + ": \"" + key + "\" is not a whole number from " + std::to_string(lo) + " to " +
                           std::to_string(hi));
  *out = it->get<int64_t>();
  return true;
}

bool JsonReal(const Json& j, const char* key, double fallback, double* out, const std::string& where,
              std::string* error) {
  auto it = j.find(key);
  if (it == j.end() || it->is_null()) {
    *out = fallback;
    return true;
  }
  if (!it->is_number() || !InRange(it->get<double>(), -1e9, 1e9))
    return Fail(error, where + ": \"" + key + "\" is not a number");
  *out = it->get<double>();
  return true;
}

std::string JsonString(const Json& j, const char* key) {
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

void JsonProperties(const Json& j, std::vector<TiledProperty>* out) {
  auto it = j.find("properties");
  if (it == j.end() || !it->is_array()) return;
  for (const Json& p : *it) {
    if (!p.is_object()) continue;
    TiledProperty prop;
    prop.name = JsonString(p, "name");
    prop.type = JsonString(p, "type");
    auto value = p.find("value");
    if (value != p.end()) prop.value = value->is_string() ? value->get<std::string>() : value->dump();
    out->push_back(prop);
  }
}

bool ParseJsonTileSet(const Json& j, TiledTileSet* set, const std::string& file, std::string* error) {
  std::string where = file + ": tile set '" + JsonString(j, "name") + "'";
  int64_t v;
  set->file = file;
  set->name = JsonString(j, "name");
  for (const TileSetField& f : TileSetFields) {
    if (!JsonInt(j, f.name, f.lo, f.hi, 0, &v, where, error)) return false;
    set->*f.member = static_cast<int32_t>(v);
  }
  if (set->tileWidth == 0 || set->tileHeight == 0) return Fail(error, where + ": no tile size");
  auto offset = j.find("tileoffset");
  if (offset != j.end() && offset->is_object()) {
    if (!JsonInt(*offset, "x", -4096, 4096, 0, &v, where, error)) return false;
    set->offsetX = static_cast<int32_t>(v);
    if (!JsonInt(*offset, "y", -4096, 4096, 0, &v, where, error)) return false;
    set->offsetY = static_cast<int32_t>(v);
  }
  if (!JsonString(j, "image").empty()) {
    set->image = Beside(file, JsonString(j, "image"));
    if (!JsonInt(j, "imagewidth", 0, 1 << 16, 0, &v, where, error)) return false;
    set->imageWidth = static_cast<int32_t>(v);
    if (!JsonInt(j, "imageheight", 0, 1 << 16, 0, &v, where, error)) return false;
    set->imageHeight = static_cast<int32_t>(v);
  }
  auto tiles = j.find("tiles");
  if (tiles != j.end() && tiles->is_array()) {
    for (const Json& t : *tiles) {
      if (!t.is_object()) return Fail(error, where + ": a tile that is not an object");
      TiledTile tile;
      if (!JsonInt(t, "id", 0, TiledGidMask, 0, &tile.id, where, error)) return false;
      if (!JsonString(t, "image").empty()) {
        tile.image = Beside(file, JsonString(t, "image"));
        if (!JsonInt(t, "imagewidth", 0, 1 << 16, 0, &v, where, error)) return false;
        tile.imageWidth = static_cast<int32_t>(v);
        if (!JsonInt(t, "imageheight", 0, 1 << 16, 0, &v, where, error)) return false;
        tile.imageHeight = static_cast<int32_t>(v);
      }
      auto anim = t.find("animation");
      if (anim != t.end() && anim->is_array() && !anim->empty() && anim->front().is_object() &&
          !JsonInt(anim->front(), "tileid", 0, TiledGidMask, 0, &tile.firstFrame, where, error))
        return false;
      set->tiles.push_back(tile);
    }
  }
  JsonProperties(j, &set->properties);
  return true;
}

bool JsonData(Reader* r, const Json& layer, const Json& holder, size_t count, std::vector<uint32_t>* ids,
              const std::string& where) {
  auto data = holder.find("data");
  if (data == holder.end()) return Fail(r->error, where + ": no \"data\"");
  if (data->is_array()) {
    if (data->size() != count)
      return Fail(r->error, where + ": \"data\" holds " + std::to_string(data->size()) + " values for " +
                                std::to_string(count) + " cells");
    ids->assign(count, 0);
    for (size_t i = 0; i < count; i++) {
      const Json& v = (*data)[i];
      if (!v.is_number_unsigned() || v.get<uint64_t>() > UINT32_MAX)
        return Fail(r->error, where + ": \"data\" holds a value that is not a tile id");
      (*ids)[i] = static_cast<uint32_t>(v.get<uint64_t>());
    }
    return true;
  }
  if (!data->is_string()) return Fail(r->error, where + ": \"data\" is neither a list nor text");
  std::string decodeError;
  if (!DecodeTileData(data->get<std::string>(), JsonString(layer, "encoding"), JsonString(layer, "compression"), count,
                      ids, &decodeError))
    return Fail(r->error, where + ": " + decodeError);
  return true;
}

bool JsonTileLayer(Reader* r, const Json& n, TiledLayer* layer, const std::string& where) {
  if (!r->map->infinite) {
    int64_t w, h;
    if (!JsonInt(n, "width", 0, 1 << 24, r->map->width, &w, where, r->error)) return false;
    if (!JsonInt(n, "height", 0, 1 << 24, r->map->height, &h, where, r->error)) return false;
    if (!AddCells(r, w * h, where)) return false;
    layer->width = w;
    layer->height = h;
    return JsonData(r, n, n, static_cast<size_t>(w * h), &layer->gids, where);
  }
  auto chunks = n.find("chunks");
  if (chunks == n.end() || !chunks->is_array()) return Fail(r->error, where + ": no \"chunks\"");
  std::vector<Chunk> list;
  for (const Json& c : *chunks) {
    if (!c.is_object()) return Fail(r->error, where + ": a chunk that is not an object");
    Chunk chunk;
    if (!JsonInt(c, "x", -(1 << 24), 1 << 24, 0, &chunk.x, where, r->error) ||
        !JsonInt(c, "y", -(1 << 24), 1 << 24, 0, &chunk.y, where, r->error) ||
        !JsonInt(c, "width", 1, 1 << 12, 1, &chunk.w, where, r->error) ||
        !JsonInt(c, "height", 1, 1 << 12, 1, &chunk.h, where, r->error))
      return false;
    if (!AddCells(r, chunk.w * chunk.h, where)) return false;
    if (!JsonData(r, n, c, static_cast<size_t>(chunk.w * chunk.h), &chunk.ids, where)) return false;
    list.push_back(std::move(chunk));
  }
  return PlaceChunks(r, list, layer, where);
}

bool JsonPoints(Reader* r, const Json& list, TiledObject* obj, const std::string& where) {
  if (!list.is_array() || list.size() > (1u << 16)) return Fail(r->error, where + ": points are not a list");
  for (const Json& p : list) {
    if (!p.is_object()) return Fail(r->error, where + ": a point that is not an object");
    TiledPoint pt;
    if (!JsonReal(p, "x", 0, &pt.x, where, r->error) || !JsonReal(p, "y", 0, &pt.y, where, r->error)) return false;
    obj->points.push_back(pt);
  }
  return true;
}

bool JsonObjects(Reader* r, const Json& n, TiledLayer* layer, const std::string& where) {
  auto objects = n.find("objects");
  if (objects == n.end()) return true;
  if (!objects->is_array()) return Fail(r->error, where + ": \"objects\" is not a list");
  for (const Json& o : *objects) {
    if (!o.is_object()) return Fail(r->error, where + ": an object that is not an object");
    TiledObject obj;
    obj.name = JsonString(o, "name");
    obj.type = o.contains("type") ? JsonString(o, "type") : JsonString(o, "class");
    obj.templateFile = JsonString(o, "template");
    int64_t gid, visible;
    if (!JsonReal(o, "x", 0, &obj.x, where, r->error) || !JsonReal(o, "y", 0, &obj.y, where, r->error) ||
        !JsonReal(o, "width", 0, &obj.width, where, r->error) ||
        !JsonReal(o, "height", 0, &obj.height, where, r->error) ||
        !JsonReal(o, "rotation", 0, &obj.rotation, where, r->error) ||
        !JsonInt(o, "gid", 0, UINT32_MAX, 0, &gid, where, r->error) ||
        !JsonInt(o, "visible", 0, 1, 1, &visible, where, r->error))
      return false;
    obj.gid = static_cast<uint32_t>(gid);
    obj.visible = static_cast<int>(visible);
    for (const char* shape : {"ellipse", "point"})
      if (o.contains(shape) && o[shape].is_boolean() && o[shape].get<bool>()) obj.shape = shape;
    if (o.contains("text")) obj.shape = "text";
    if (o.contains("polyline") && !JsonPoints(r, o["polyline"], &obj, where)) return false;
    if (o.contains("polygon")) {
      obj.closed = 1;
      if (!JsonPoints(r, o["polygon"], &obj, where)) return false;
    }
    JsonProperties(o, &obj.properties);
    layer->objects.push_back(obj);
  }
  return true;
}

bool JsonLayers(Reader* r, const Json& list, const TiledLayer& group, int depth) {
  if (depth > 32) return Fail(r->error, r->mapFile + ": groups nested more than 32 deep");
  if (!list.is_array()) return Fail(r->error, r->mapFile + ": \"layers\" is not a list");
  for (const Json& n : list) {
    if (!n.is_object()) return Fail(r->error, r->mapFile + ": a layer that is not an object");
    TiledLayer layer;
    layer.name = JsonString(n, "name");
    std::string where = r->mapFile + ": layer '" + layer.name + "'";
    std::string type = JsonString(n, "type");
    int64_t visible, repeatX, repeatY;
    double opacity, ox, oy, px, py;
    if (!JsonInt(n, "visible", 0, 1, 1, &visible, where, r->error) ||
        !JsonReal(n, "opacity", 1, &opacity, where, r->error) || !JsonReal(n, "offsetx", 0, &ox, where, r->error) ||
        !JsonReal(n, "offsety", 0, &oy, where, r->error) || !JsonReal(n, "parallaxx", 1, &px, where, r->error) ||
        !JsonReal(n, "parallaxy", 1, &py, where, r->error) ||
        !JsonInt(n, "repeatx", 0, 1, 0, &repeatX, where, r->error) ||
        !JsonInt(n, "repeaty", 0, 1, 0, &repeatY, where, r->error))
      return false;
    Inherit(group, depth, visible, opacity, ox, oy, px, py, repeatX, repeatY, &layer);
    if (n.contains("tintcolor")) layer.tint = JsonString(n, "tintcolor");
    JsonProperties(n, &layer.properties);
    if (type == "group") {
      auto inner = n.find("layers");
      if (inner != n.end() && !JsonLayers(r, *inner, layer, depth + 1)) return false;
      continue;
    }
    if (type == "tilelayer") {
      layer.kind = TiledTileLayer;
      if (!JsonTileLayer(r, n, &layer, where)) return false;
    } else if (type == "objectgroup") {
      layer.kind = TiledObjectLayer;
      if (!JsonObjects(r, n, &layer, where)) return false;
    } else if (type == "imagelayer") {
      layer.kind = TiledImageLayer;
    } else {
      return Fail(r->error, where + ": unknown layer type '" + type + "'");
    }
    r->map->layers.push_back(std::move(layer));
  }
  return true;
}

bool ParseJson(Reader* r, const std::string& text) {
  Json m = Json::parse(text, nullptr, false);
  if (m.is_discarded() || !m.is_object()) return Fail(r->error, r->mapFile + ": neither TMX nor a JSON map");
  TiledMap* map = r->map;
  std::string where = r->mapFile;
  map->orientation = JsonString(m, "orientation");
  int64_t v;
  if (!JsonInt(m, "width", 0, 1 << 24, 0, &v, where, r->error)) return false;
  map->width = static_cast<int32_t>(v);
  if (!JsonInt(m, "height", 0, 1 << 24, 0, &v, where, r->error)) return false;
  map->height = static_cast<int32_t>(v);
  if (!JsonInt(m, "tilewidth", 1, 4096, 1, &v, where, r->error)) return false;
  map->tileWidth = static_cast<int32_t>(v);
  if (!JsonInt(m, "tileheight", 1, 4096, 1, &v, where, r->error)) return false;
  map->tileHeight = static_cast<int32_t>(v);
  if (!JsonInt(m, "infinite", 0, 1, 0, &v, where, r->error)) return false;
  map->infinite = static_cast<int>(v);
  auto sets = m.find("tilesets");
  if (sets != m.end()) {
    if (!sets->is_array()) return Fail(r->error, where + ": \"tilesets\" is not a list");
    for (const Json& ts : *sets) {
      if (!ts.is_object()) return Fail(r->error, where + ": a tile set that is not an object");
      TiledTileSet set;
      int64_t first;
      if (!JsonInt(ts, "firstgid", 1, TiledGidMask, 1, &first, where, r->error)) return false;
      set.firstGid = static_cast<uint32_t>(first);
      bool read = ts.contains("source") ? ReadExternalTileSet(r, JsonString(ts, "source"), &set)
                                        : ParseJsonTileSet(ts, &set, r->mapFile, r->error);
      if (!read) return false;
      map->tileSets.push_back(std::move(set));
    }
  }
  auto layers = m.find("layers");
  if (layers == m.end()) return true;
  return JsonLayers(r, *layers, TiledLayer(), 0);
}

}  // namespace

bool ReadTiledFile(const std::string& path, std::string* bytes, std::string* error) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return Fail(error, "'" + path + "' cannot be read: " + strerror(errno));
  bytes->clear();
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
    bytes->append(buffer, n);
    if (bytes->size() > TiledMaxFileBytes) {
      fclose(f);
      return Fail(error, "'" + path + "' is larger than " + std::to_string(TiledMaxFileBytes) + " bytes");
    }
  }
  bool bad = ferror(f) != 0;
  fclose(f);
  if (bad) return Fail(error, "'" + path + "' cannot be read");
  return true;
}

bool DecodeTileData(const std::string& text, const std::string& encoding, const std::string& compression, size_t count,
                    std::vector<uint32_t>* gids, std::string* error) {
  if (count > TiledMaxCells) return Fail(error, "more than " + std::to_string(TiledMaxCells) + " cells");
  gids->clear();
  if (encoding == "csv") {
    if (!compression.empty()) return Fail(error, "CSV tile data cannot be compressed");
    size_t i = 0;
    const char* p = text.c_str();
    for (;;) {
      while (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t') p++;
      if (*p == 0) break;
      if (*p < '0' || *p > '9') return Fail(error, "CSV tile data holds something that is not a tile id");
      uint64_t v = 0;
      while (*p >= '0' && *p <= '9') {
        v = v * 10 + static_cast<uint64_t>(*p++ - '0');
        if (v > UINT32_MAX) return Fail(error, "CSV tile data holds a value beyond 32 bits");
      }
      if (i == count)
        return Fail(error, "CSV tile data holds more values than the " + std::to_string(count) + " cells");
      gids->push_back(static_cast<uint32_t>(v));
      i++;
      while (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t') p++;
      if (*p == ',') p++;
    }
    if (i != count)
      return Fail(error,
                  "CSV tile data holds " + std::to_string(i) + " values for " + std::to_string(count) + " cells");
    return true;
  }
  if (encoding != "base64") return Fail(error, "unknown encoding '" + encoding + "'");
  std::string raw, plain;
  if (!DecodeBase64(text, &raw, error)) return false;
  const std::string* bytes = &raw;
  if (!compression.empty()) {
    if (!Decompress(raw, compression, count * 4, &plain, error)) return false;
    bytes = &plain;
  }
  if (bytes->size() != count * 4)
    return Fail(error, "tile data holds " + std::to_string(bytes->size()) + " bytes for " + std::to_string(count) +
                           " cells (" + std::to_string(count * 4) + " bytes)");
  const uint8_t* b = reinterpret_cast<const uint8_t*>(bytes->data());
  gids->assign(count, 0);
  for (size_t i = 0; i < count; i++)
    (*gids)[i] = b[i * 4] | (b[i * 4 + 1] << 8) | (b[i * 4 + 2] << 16) | (static_cast<uint32_t>(b[i * 4 + 3]) << 24);
  return true;
}

bool ParseTiledMap(const std::string& path, const std::string& bytes, TiledFileReader reader, TiledMap* map,
                   std::string* error) {
  *map = TiledMap();
  map->file = path;
  std::string text, unwrapError;
  if (!Unwrap(bytes, &text, &unwrapError)) return Fail(error, path + ": " + unwrapError);
  Reader r = {path, reader, map, error, 0};
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && text[first] == '<') return ParseTmx(&r, text);
  return ParseJson(&r, text);
}

int IsTiledMapData(const std::string& bytes) {
  if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0x1F && static_cast<uint8_t>(bytes[1]) == 0x8B) return -1;
  size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return 0;
  if (bytes[first] == '<') return -1;
  if (bytes[first] != '{') return 0;
  Json m = Json::parse(bytes, nullptr, false);
  return m.is_object() && (m.contains("orientation") || m.contains("tiledversion")) ? -1 : 0;
}

bool ReadTiledMap(const std::string& path, TiledMap* map, std::string* error) {
  std::string bytes;
  if (!ReadTiledFile(path, &bytes, error)) return false;
  return ParseTiledMap(path, bytes, ReadTiledFile, map, error);
}

const TiledProperty* FindTiledProperty(const std::vector<TiledProperty>& properties, const char* name) {
  for (const TiledProperty& p : properties)
    if (p.name == name) return &p;
  return nullptr;
}

}  // namespace zorta
