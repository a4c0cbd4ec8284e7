#include "world/map.h"

#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/settings.h"
#include "image/image_formats.h"
#include "image/image_table.h"
#include "io/file.h"
#include "io/named_list.h"
#include "world/layers.h"
#include "world/map_codec.h"
#include "world/objects.h"
#include "world/tiled_import.h"
#include "world/tiled_read.h"
#include "world/world.h"

namespace zorta {

MapObjectTableState MapObjectTable = {nullptr, 0};
MapObject* SelectedMapObject = nullptr;

namespace {

void FreeLayer(MapLayer* layer) {
  if (layer == nullptr) return;
  if (MainLayer == layer) MainLayer = nullptr;
  MemFree(layer->tiles);
  MemFree(layer->workingTiles);
  MemFree(layer);
}

void DropLastLayer() {
  NamedItem* item = ItemAt(&LayerList, LayerList.count - 1);
  if (item == nullptr) return;
  FreeLayer(static_cast<MapLayer*>(item->data));
  RemoveItem(&LayerList, item);
}

// The whole file in memory, read through the file layer. False when it
// cannot be opened.
bool ReadWholeFile(const char* path, std::vector<uint8_t>* out) {
  FileHandle f = FileOpen(path, "rb", 0);
  if (f == nullptr) return false;
  int64_t size = FileBytesLeft(f);
  if (size > 0 && static_cast<uint64_t>(size) <= SIZE_MAX && size <= INT32_MAX) {
    out->resize(static_cast<size_t>(size));
    ReadBlock(f, out->data(), static_cast<int32_t>(size));
    if (FilePastEnd(f)) out->clear();
  }
  FileClose(f);
  return true;
}

// A new LayerList item holding the described layer. False when a fatal error
// (a full image table) freed the map under us.
bool BuildLayer(const MapLayerDescription& d, int32_t selectedLayer) {
  NamedItem* item = AddItem(&LayerList, ProgramName(d.name).c_str());
  if (item == nullptr) return true;
  MapLayer* layer = static_cast<MapLayer*>(MemAllocZero(sizeof(MapLayer)));
  item->data = layer;
  layer->enabled = d.enabled;
  layer->tag = d.tag;
  Image* image = RequestImage(ProgramName(d.image).c_str(), 0);
  if (ShutdownDone) return false;
  layer->image = image;
  layer->width = d.width;
  layer->height = d.height;
  layer->scrollX = d.scrollX;
  layer->scrollY = d.scrollY;
  layer->parallaxX = d.parallaxX;
  layer->parallaxY = d.parallaxY;
  layer->wrapX = d.wrapX;
  layer->wrapY = d.wrapY;
  if (!d.tiles.empty()) {
    layer->tiles = static_cast<uint16_t*>(MemAlloc(d.tiles.size() * sizeof(uint16_t)));
    memcpy(layer->tiles, d.tiles.data(), d.tiles.size() * sizeof(uint16_t));
  }
  LayerList.current = selectedLayer;
  return true;
}

// Fills the zero-filled *o from its description. False on a fatal error.
bool BuildObject(const MapObjectDescription& d, MapObject* o) {
  o->x = d.x;
  o->y = d.y;
  o->param = d.param;
  o->x2 = d.x2;
  o->y2 = d.y2;
  o->param2 = d.param2;
  NamedItem* typeItem = FindItem(&ObjectTypeList, ProgramName(d.type).c_str());
  if (typeItem == nullptr) typeItem = ItemAt(&ObjectTypeList, 0);
  o->type = typeItem != nullptr ? static_cast<ObjectType*>(typeItem->data) : nullptr;
  if (o->type != nullptr) {
    o->type->image = RequestImage(o->type->imageName, 0);
    if (ShutdownDone) return false;
  }
  if (!d.points.empty()) {
    o->points = static_cast<PathPoint*>(MemAlloc(d.points.size() * sizeof(PathPoint)));
    o->pointCount = static_cast<int32_t>(d.points.size());
    for (size_t i = 0; i < d.points.size(); i++) {
      o->points[i].x = d.points[i].x;
      o->points[i].y = d.points[i].y;
    }
  }
  o->closed = d.closed;
  o->value = d.value;
  o->spawnId = d.spawnId;
  // The type hears of its placement before the optional fields are read.
  if (o->type != nullptr && o->type->callback != nullptr) {
    LiveObject blank;
    memset(&blank, 0, sizeof blank);
    blank.placement = o;
    o->type->callback(&blank, ObjectPlaced);
    if (ShutdownDone) return false;
  }
  for (int i = 0; i < 4; i++) {
    o->ints[i] = d.ints[i];
    o->reals[i] = d.reals[i];
  }
  return true;
}

void BuildMap(const MapDescription& map) {
  for (const MapLayerDescription& layer : map.layers)
    if (!BuildLayer(layer, map.selectedLayer)) return;
  if (!map.objects.empty()) {
    size_t count = map.objects.size();
    MapObjectTable.entries = static_cast<MapObject*>(MemAllocZero(count * sizeof(MapObject)));
    MapObjectTable.count = 0;
    for (size_t i = 0; i < count; i++) {
      if (!BuildObject(map.objects[i], &MapObjectTable.entries[i])) return;
      MapObjectTable.count = static_cast<int32_t>(i + 1);
    }
  }
  // A file that ended early never got to its selection.
  if (!map.hasSelection || map.selectedObject < 0 || MapObjectTable.count == 0) return;
  int32_t selected = map.selectedObject < MapObjectTable.count ? map.selectedObject : 0;
  SelectedMapObject = &MapObjectTable.entries[selected];
  int32_t point = map.selectedPoint;
  if (point >= 0 && point < SelectedMapObject->pointCount)
    SelectedMapObject->selectedPoint = &SelectedMapObject->points[point];
  if (SelectedMapObject->type != nullptr) SelectByData(&ObjectTypeList, SelectedMapObject->type);
}

// The current map stays, and with it every image it and its live objects
// draw from: nothing is swept by this batch.
void KeepCurrentImages() {
  for (int i = 0; i < ImageTableSize; i++)
    if (ImageTable[i] != nullptr) ImageTable[i]->stale = 0;
  EndImageBatch(-1, -1);
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
  std::vector<uint8_t> bytes;
  bool opened = false;
  if (name != nullptr && strlen(name) <= static_cast<size_t>(MaxMapNameLength)) {
    snprintf(path, sizeof path, "Maps/%s", name);
    opened = ReadWholeFile(path, &bytes);
  }
  if (!opened) {
    KeepCurrentImages();
    return;
  }
  MapDescription map;
  MemoryImageFiles tileSets;
  // Not a map file: a map saved by Tiled is imported here, as `map import`
  // would, its tile sets kept in memory; anything else is an empty map.
  if (!DecodeMap(bytes.data(), bytes.size(), &map)) {
    std::string text(bytes.begin(), bytes.end());
    if (IsTiledMapData(text)) {
      TiledImport imported;
      std::string error;
      if (!ImportTiledData(path, text, &imported, &error)) {
        KeepCurrentImages();
        snprintf(ErrorText, sizeof ErrorText, "LoadMap() - %s", error.c_str());
        FatalError();
        return;
      }
      map = std::move(imported.map);
      for (ImportedTileSet& set : imported.tileSets) tileSets.emplace_back(set.path, std::move(set.bytes));
    }
  }
  bytes.clear();
  bytes.shrink_to_fit();
  FreeMap();
  HoldImagesInMemory(std::move(tileSets));
  BuildMap(map);
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

}  // namespace zorta
