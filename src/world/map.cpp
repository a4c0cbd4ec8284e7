#include "world/map.h"

#include <cstdio>
#include <cstring>

#include "app/settings.h"
#include "image/image_table.h"
#include "io/file.h"
#include "io/named_list.h"
#include "world/layers.h"
#include "world/objects.h"
#include "world/world.h"

MapObjectTableState MapObjectTable = {nullptr, 0};
MapObject* SelectedMapObject = nullptr;

namespace {

const int32_t MapMagic1 = 0x5444524D;  // "MRDT"
const int32_t MapMagic2 = 0x4C45564C;  // "LVEL"

// Layers wider or taller than this would overflow 32-bit pixel sizes.
const int32_t MaxLayerTiles = INT32_MAX / TileSize;

int32_t ReadInt(FileHandle f) { return static_cast<int32_t>(ReadI32(f)); }

void FreeLayer(MapLayer* layer) {
  if (layer == nullptr) return;
  if (MainLayer == layer) MainLayer = nullptr;
  MemFree(layer->tiles);
  MemFree(layer->workingTiles);
  MemFree(layer);
}

// Removes the last layer of the LayerList (one whose block was cut short).
void DropLastLayer() {
  NamedItem* item = ItemAt(&LayerList, LayerList.count - 1);
  if (item == nullptr) return;
  FreeLayer(static_cast<MapLayer*>(item->data));
  RemoveItem(&LayerList, item);
}

// Smallest number of bytes one object entry takes in the file.
int64_t MinEntryBytes(int32_t version) {
  int64_t n = 12 + 1 + 4 + 12;  // x, y, param; name NUL; point count; closed, value, spawn id
  if (version >= 2) n += 12;
  if (version >= 1) n += 4;
  return n;
}

// Reads one layer block into a new LayerList item. 0 when the file ran out
// or the block cannot be what it claims; the item is then removed again.
int ReadLayer(FileHandle f, int32_t selectedLayer) {
  char* name = ReadStringCopy(f);
  if (FilePastEnd(f)) {
    MemFree(name);
    return 0;
  }
  NamedItem* item = AddItem(&LayerList, name != nullptr ? name : "");
  MemFree(name);
  MapLayer* layer = static_cast<MapLayer*>(MemAllocZero(sizeof(MapLayer)));
  item->data = layer;
  ReadI32(f);  // reserved
  layer->enabled = ReadRaw32(f);
  layer->tag = ReadRaw32(f);
  char* imageName = ReadStringCopy(f);
  if (FilePastEnd(f)) {
    MemFree(imageName);
    DropLastLayer();
    return 0;
  }
  Image* image = LoadImage(imageName, 0);
  MemFree(imageName);
  // A fatal error (a full image table) has freed the map under us.
  if (ShutdownDone) return 0;
  layer->image = image;
  layer->width = ReadInt(f);
  layer->height = ReadInt(f);
  layer->scrollX = ReadF32(f);
  layer->scrollY = ReadF32(f);
  layer->parallaxX = ReadF32(f);
  layer->parallaxY = ReadF32(f);
  layer->wrapX = ReadRaw32(f);
  layer->wrapY = ReadRaw32(f);
  if (FilePastEnd(f) || layer->width > MaxLayerTiles || layer->height > MaxLayerTiles) {
    DropLastLayer();
    return 0;
  }
  if (layer->width > 0 && layer->height > 0) {
    int64_t cells = static_cast<int64_t>(layer->width) * layer->height;
    // The cells must be in the file before anything is allocated for them.
    if (cells * 2 > FileBytesLeft(f)) {
      DropLastLayer();
      return 0;
    }
    layer->tiles = static_cast<uint16_t*>(MemAlloc(static_cast<size_t>(cells) * sizeof(uint16_t)));
    for (int64_t i = 0; i < cells; i++) layer->tiles[i] = ReadU16(f);
  }
  LayerList.current = selectedLayer;
  return -1;
}

// Reads one object entry into *o (zero-filled). 0 when the file ran out or
// the entry cannot be what it claims; *o then owns nothing.
int ReadObject(FileHandle f, int32_t version, MapObject* o) {
  o->x = ReadF32(f);
  o->y = ReadF32(f);
  o->param = ReadRaw32(f);
  if (version >= 2) {
    o->x2 = ReadF32(f);
    o->y2 = ReadF32(f);
    o->param2 = ReadRaw32(f);
  }
  char* typeName = ReadStringCopy(f);
  if (FilePastEnd(f)) {
    MemFree(typeName);
    return 0;
  }
  NamedItem* typeItem = FindItem(&ObjectTypeList, typeName != nullptr ? typeName : "");
  MemFree(typeName);
  if (typeItem == nullptr) typeItem = ItemAt(&ObjectTypeList, 0);
  o->type = typeItem != nullptr ? static_cast<ObjectType*>(typeItem->data) : nullptr;
  if (o->type != nullptr) {
    o->type->image = LoadImage(o->type->imageName, 0);
    if (ShutdownDone) return 0;
  }
  int32_t points = ReadInt(f);
  if (FilePastEnd(f)) return 0;
  if (points > 0) {
    if (static_cast<int64_t>(points) * 8 > FileBytesLeft(f)) return 0;
    o->points = static_cast<PathPoint*>(MemAlloc(static_cast<size_t>(points) * sizeof(PathPoint)));
    o->pointCount = points;
    for (int32_t i = 0; i < points; i++) {
      o->points[i].x = ReadF32(f);
      o->points[i].y = ReadF32(f);
    }
  }
  o->closed = ReadRaw32(f);
  o->value = ReadInt(f);
  o->spawnId = ReadInt(f);
  if (FilePastEnd(f)) {
    MemFree(o->points);
    o->points = nullptr;
    o->pointCount = 0;
    return 0;
  }
  if (o->type != nullptr && o->type->callback != nullptr) {
    LiveObject blank;
    memset(&blank, 0, sizeof blank);
    blank.placement = o;
    o->type->callback(&blank, ObjectPlaced);
    if (ShutdownDone) return 0;
  }
  if (version >= 1) {
    uint32_t flags = ReadRaw32(f);
    for (int i = 0; i < 4; i++)
      if (flags & (1u << i)) o->ints[i] = ReadInt(f);
    for (int i = 0; i < 4; i++)
      if (flags & (16u << i)) o->reals[i] = ReadF32(f);
  }
  if (FilePastEnd(f)) {
    MemFree(o->points);
    o->points = nullptr;
    o->pointCount = 0;
    return 0;
  }
  return -1;
}

void ReadObjectSection(FileHandle f) {
  int32_t version = ReadInt(f);
  int32_t count = ReadInt(f);
  if (FilePastEnd(f) || count <= 0) {
    count = 0;
  } else {
    // Never more entries than the rest of the file can hold.
    int64_t room = FileBytesLeft(f) / MinEntryBytes(version);
    if (count > room) count = static_cast<int32_t>(room);
  }
  if (count > 0) {
    MapObjectTable.entries = static_cast<MapObject*>(MemAllocZero(static_cast<size_t>(count) * sizeof(MapObject)));
    MapObjectTable.count = 0;
    for (int32_t i = 0; i < count; i++) {
      MapObject* o = &MapObjectTable.entries[i];
      int ok = ReadObject(f, version, o);
      if (ShutdownDone) return;
      if (!ok) {
        memset(o, 0, sizeof *o);
        return;  // the table keeps the entries read completely
      }
      MapObjectTable.count = i + 1;
    }
  }
  int32_t selected = ReadInt(f);
  int32_t point = ReadInt(f);
  if (FilePastEnd(f) || selected < 0) return;
  if (selected >= MapObjectTable.count) selected = 0;
  if (MapObjectTable.count == 0) return;
  SelectedMapObject = &MapObjectTable.entries[selected];
  if (point >= 0 && SelectedMapObject->pointCount > 0 && point < SelectedMapObject->pointCount)
    SelectedMapObject->selectedPoint = &SelectedMapObject->points[point];
  if (SelectedMapObject->type != nullptr) SelectByData(&ObjectTypeList, SelectedMapObject->type);
}

void ReadMapFile(FileHandle f) {
  int32_t magic1 = ReadInt(f);
  int32_t magic2 = ReadInt(f);
  if (magic1 != MapMagic1 || magic2 != MapMagic2) return;
  int32_t version = ReadInt(f);
  int32_t selectedLayer = version >= 1 ? ReadInt(f) : 0;
  int32_t layers = ReadInt(f);
  if (FilePastEnd(f)) return;
  for (int32_t i = 0; i < layers; i++) {
    if (!ReadLayer(f, selectedLayer)) return;
  }
  ReadObjectSection(f);
}

}  // namespace

MapLayer* LayerAt(int index) {
  NamedItem* item = ItemAt(&LayerList, index);
  return item != nullptr ? static_cast<MapLayer*>(item->data) : nullptr;
}

void LoadMap(const char* name) {
  SetCamera(0, 0, 0);
  BeginImageBatch();
  for (int i = 0; i < ObjectTypeList.count; i++) {
    ObjectType* type = static_cast<ObjectType*>(ObjectTypeList.items[i].data);
    if (type != nullptr) type->image = nullptr;
  }
  char path[256];
  FileHandle f = nullptr;
  if (name != nullptr && strlen(name) <= static_cast<size_t>(MaxMapNameLength)) {
    snprintf(path, sizeof path, "Maps/%s", name);
    f = FileOpen(path, "rb", 0);
  }
  if (f == nullptr) {
    // The current map stays, and with it every image it and its live
    // objects draw from: nothing is swept by this batch.
    for (int i = 0; i < ImageTableSize; i++)
      if (ImageTable[i] != nullptr) ImageTable[i]->stale = 0;
    EndImageBatch(-1, -1);
    return;
  }
  FreeMap();
  ReadMapFile(f);
  FileClose(f);
  if (ShutdownDone) return;
  EndImageBatch(-1, -1);
}

void FreeMap() {
  StopWorld();
  FreeObjectGrid();
  for (int32_t i = 0; i < MapObjectTable.count; i++) {
    MapObject* o = &MapObjectTable.entries[i];
    MemFree(o->points);
    FreePath(o);
  }
  MemFree(MapObjectTable.entries);
  MapObjectTable.entries = nullptr;
  MapObjectTable.count = 0;
  SelectedMapObject = nullptr;
  while (LayerList.count > 0) DropLastLayer();
  MainLayer = nullptr;
}
