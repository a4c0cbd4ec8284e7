#include "world/map_codec.h"

#include <algorithm>
#include <cstring>

#include "io/named_list.h"
#include "world/layers.h"

namespace zorta {

namespace {

// The file starts with the bytes "MRDT" "LVEL", read as two little-endian int32.
const uint32_t MapMagic1 = 0x5444524D;
const uint32_t MapMagic2 = 0x4C45564C;

// Layers wider or taller than this would overflow 32-bit pixel sizes.
const int32_t MaxLayerTiles = INT32_MAX / TileSize;

// Bounded little-endian reads: a read past the end yields zero and marks the
// reader, so a caller checks once after a group of fields.
struct ByteReader {
  const uint8_t* data;
  size_t size;
  size_t at;
  bool ended;

  size_t Left() const { return ended ? 0 : size - at; }
  bool Has(size_t n) {
    if (ended || size - at < n) {
      ended = true;
      at = size;
      return false;
    }
    return true;
  }
  uint32_t U32() {
    if (!Has(4)) return 0;
    uint32_t v = data[at] | data[at + 1] << 8 | data[at + 2] << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
    at += 4;
    return v;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  uint16_t U16() {
    if (!Has(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data[at] | data[at + 1] << 8);
    at += 2;
    return v;
  }
  float F32() {
    uint32_t v = U32();
    float f;
    memcpy(&f, &v, 4);
    return f;
  }
  // Up to the NUL, which must be in the data.
  std::string Str() {
    if (ended) return std::string();
    const void* nul = memchr(data + at, 0, size - at);
    if (nul == nullptr) {
      ended = true;
      at = size;
      return std::string();
    }
    size_t n = static_cast<size_t>(static_cast<const uint8_t*>(nul) - (data + at));
    std::string s(reinterpret_cast<const char*>(data + at), n);
    at += n + 1;
    return s;
  }
};

struct ByteWriter {
  std::vector<uint8_t> bytes;
  void U16(uint32_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
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

// Smallest number of bytes one object entry takes in the file.
size_t MinEntryBytes(int32_t version) {
  size_t n = 12 + 1 + 4 + 12;  // x, y, param; name NUL; point count; closed, value, spawn id
  if (version >= 2) n += 12;
  if (version >= 1) n += 4;
  return n;
}

int Stop(MapDescription* out, size_t at, const char* reason) {
  out->complete = 0;
  out->hasSelection = 0;
  out->offset = at;  // the start of the block that could not be read
  out->reason = reason;
  return -1;
}

// One layer block; false when the file ran out or the block cannot be what it claims.
bool DecodeLayer(ByteReader* r, MapLayerDescription* layer, const char** reason) {
  layer->name = r->Str();
  layer->reserved = r->I32();
  layer->enabled = r->U32();
  layer->tag = r->U32();
  layer->image = r->Str();
  layer->width = r->I32();
  layer->height = r->I32();
  layer->scrollX = r->F32();
  layer->scrollY = r->F32();
  layer->parallaxX = r->F32();
  layer->parallaxY = r->F32();
  layer->wrapX = r->U32();
  layer->wrapY = r->U32();
  if (r->ended) {
    *reason = "the file ends inside a layer block";
    return false;
  }
  // A layer with no area has no cells, whatever its other side says.
  if (layer->width <= 0 || layer->height <= 0) return true;
  if (layer->width > MaxLayerTiles || layer->height > MaxLayerTiles) {
    *reason = "a layer is too large";
    return false;
  }
  uint64_t cells = static_cast<uint64_t>(layer->width) * static_cast<uint64_t>(layer->height);
  // The cells must be in the file before anything is allocated for them.
  if (cells * 2 > r->Left()) {
    *reason = "a layer has more cells than the file holds";
    return false;
  }
  layer->tiles.resize(static_cast<size_t>(cells));
  for (uint16_t& t : layer->tiles) t = r->U16();
  return true;
}

bool DecodeObject(ByteReader* r, int32_t version, MapObjectDescription* o, const char** reason) {
  o->x = r->F32();
  o->y = r->F32();
  o->param = r->U32();
  if (version >= 2) {
    o->x2 = r->F32();
    o->y2 = r->F32();
    o->param2 = r->U32();
  } else {
    o->x2 = o->y2 = 0;
    o->param2 = 0;
  }
  o->type = r->Str();
  int32_t points = r->I32();
  if (r->ended) {
    *reason = "the file ends inside an object entry";
    return false;
  }
  if (points > 0) {
    if (static_cast<uint64_t>(points) * 8 > r->Left()) {
      *reason = "an object entry has more points than the file holds";
      return false;
    }
    o->points.resize(static_cast<size_t>(points));
    for (MapPointDescription& p : o->points) {
      p.x = r->F32();
      p.y = r->F32();
    }
  }
  o->closed = r->U32();
  o->value = r->I32();
  o->spawnId = r->I32();
  o->flags = version >= 1 ? r->U32() : 0;
  for (int i = 0; i < 4; i++) o->ints[i] = (o->flags & (1u << i)) ? r->I32() : 0;
  for (int i = 0; i < 4; i++) o->reals[i] = (o->flags & (16u << i)) ? r->F32() : 0;
  if (r->ended) {
    *reason = "the file ends inside an object entry";
    return false;
  }
  return true;
}

bool SameFloat(float a, float b) { return memcmp(&a, &b, sizeof a) == 0; }

bool SameLayer(const MapLayerDescription& a, const MapLayerDescription& b) {
  return a.name == b.name && a.reserved == b.reserved && a.enabled == b.enabled && a.tag == b.tag &&
         a.image == b.image && a.width == b.width && a.height == b.height && SameFloat(a.scrollX, b.scrollX) &&
         SameFloat(a.scrollY, b.scrollY) && SameFloat(a.parallaxX, b.parallaxX) &&
         SameFloat(a.parallaxY, b.parallaxY) && a.wrapX == b.wrapX && a.wrapY == b.wrapY && a.tiles == b.tiles;
}

bool SameObject(const MapObjectDescription& a, const MapObjectDescription& b) {
  if (!(SameFloat(a.x, b.x) && SameFloat(a.y, b.y) && a.param == b.param && SameFloat(a.x2, b.x2) &&
        SameFloat(a.y2, b.y2) && a.param2 == b.param2 && a.type == b.type && a.points.size() == b.points.size() &&
        a.closed == b.closed && a.value == b.value && a.spawnId == b.spawnId && a.flags == b.flags))
    return false;
  for (size_t i = 0; i < a.points.size(); i++)
    if (!SameFloat(a.points[i].x, b.points[i].x) || !SameFloat(a.points[i].y, b.points[i].y)) return false;
  for (int i = 0; i < 4; i++)
    if (a.ints[i] != b.ints[i] || !SameFloat(a.reals[i], b.reals[i])) return false;
  return true;
}

}  // namespace

int DecodeMap(const uint8_t* data, size_t size, MapDescription* out) {
  *out = MapDescription();
  out->version = 0;
  out->objectVersion = 0;
  ByteReader r{data, data != nullptr ? size : 0, 0, false};
  uint32_t magic1 = r.U32(), magic2 = r.U32();
  if (r.ended || magic1 != MapMagic1 || magic2 != MapMagic2) {
    out->complete = 0;
    out->hasSelection = 0;
    out->offset = 0;
    out->reason = "not a map file (no MRDT LVEL magic)";
    return 0;
  }
  size_t at = r.at;
  out->version = r.I32();
  out->selectedLayer = out->version >= 1 ? r.I32() : 0;
  out->layerCountOffset = r.at;
  out->storedLayerCount = r.I32();
  if (r.ended) return Stop(out, at, "the file ends inside its header");
  // Never reserve more layers than the rest of the file could hold.
  out->layers.reserve(std::min<size_t>(out->storedLayerCount > 0 ? out->storedLayerCount : 0, r.Left() / 45));
  for (int32_t i = 0; i < out->storedLayerCount; i++) {
    at = r.at;
    MapLayerDescription layer;
    const char* reason = nullptr;
    if (!DecodeLayer(&r, &layer, &reason)) return Stop(out, at, reason);
    out->layers.push_back(std::move(layer));
    out->layerEnds.push_back(r.at);
  }
  at = r.at;
  out->objectVersion = r.I32();
  out->objectCountOffset = r.at;
  out->storedObjectCount = r.I32();
  if (r.ended) return Stop(out, at, "the file ends before its object section");
  int32_t count = out->storedObjectCount;
  out->objects.reserve(std::min<size_t>(count > 0 ? count : 0, r.Left() / MinEntryBytes(out->objectVersion)));
  for (int32_t i = 0; i < count; i++) {
    at = r.at;
    MapObjectDescription o;
    const char* reason = nullptr;
    if (!DecodeObject(&r, out->objectVersion, &o, &reason)) return Stop(out, at, reason);
    out->objects.push_back(std::move(o));
    out->objectEnds.push_back(r.at);
  }
  at = r.at;
  int32_t selectedObject = r.I32();
  int32_t selectedPoint = r.I32();
  if (r.ended) return Stop(out, at, "the file ends inside its selection");
  out->selectedObject = selectedObject;
  out->selectedPoint = selectedPoint;
  out->offset = r.at;
  out->trailingBytes = size - r.at;
  return -1;
}

std::vector<uint8_t> EncodeMap(const MapDescription& map) {
  ByteWriter w;
  w.U32(MapMagic1);
  w.U32(MapMagic2);
  w.I32(map.version);
  if (map.version >= 1) w.I32(map.selectedLayer);
  w.I32(static_cast<int32_t>(map.layers.size()));
  for (const MapLayerDescription& l : map.layers) {
    w.Str(l.name);
    w.I32(l.reserved);
    w.U32(l.enabled);
    w.U32(l.tag);
    w.Str(l.image);
    w.I32(l.width);
    w.I32(l.height);
    w.F32(l.scrollX);
    w.F32(l.scrollY);
    w.F32(l.parallaxX);
    w.F32(l.parallaxY);
    w.U32(l.wrapX);
    w.U32(l.wrapY);
    for (uint16_t t : l.tiles) w.U16(t);
  }
  w.I32(map.objectVersion);
  w.I32(static_cast<int32_t>(map.objects.size()));
  for (const MapObjectDescription& o : map.objects) {
    w.F32(o.x);
    w.F32(o.y);
    w.U32(o.param);
    if (map.objectVersion >= 2) {
      w.F32(o.x2);
      w.F32(o.y2);
      w.U32(o.param2);
    }
    w.Str(o.type);
    w.I32(static_cast<int32_t>(o.points.size()));
    for (const MapPointDescription& p : o.points) {
      w.F32(p.x);
      w.F32(p.y);
    }
    w.U32(o.closed);
    w.I32(o.value);
    w.I32(o.spawnId);
    if (map.objectVersion >= 1) {
      w.U32(o.flags);
      for (int i = 0; i < 4; i++)
        if (o.flags & (1u << i)) w.I32(o.ints[i]);
      for (int i = 0; i < 4; i++)
        if (o.flags & (16u << i)) w.F32(o.reals[i]);
    }
  }
  w.I32(map.selectedObject);
  w.I32(map.selectedPoint);
  return w.bytes;
}

int SameMapContents(const MapDescription& a, const MapDescription& b) {
  if (a.version != b.version || a.selectedLayer != b.selectedLayer || a.layers.size() != b.layers.size() ||
      a.objectVersion != b.objectVersion || a.objects.size() != b.objects.size() ||
      a.selectedObject != b.selectedObject ||
      a.selectedPoint != b.selectedPoint)
    return 0;
  for (size_t i = 0; i < a.layers.size(); i++)
    if (!SameLayer(a.layers[i], b.layers[i])) return 0;
  for (size_t i = 0; i < a.objects.size(); i++)
    if (!SameObject(a.objects[i], b.objects[i])) return 0;
  return -1;
}

std::string ProgramName(const std::string& name) {
  return name.size() > MapNameLimit ? name.substr(0, MapNameLimit) : name;
}

std::vector<std::string> ProgramLayerNames(const MapDescription& map) {
  NamedList scratch = {};
  std::vector<std::string> names;
  names.reserve(map.layers.size());
  for (const MapLayerDescription& l : map.layers) {
    NamedItem* item = AddItem(&scratch, ProgramName(l.name).c_str());
    names.push_back(item != nullptr && item->name != nullptr ? item->name : "");
  }
  ClearList(&scratch);
  return names;
}

}  // namespace zorta
