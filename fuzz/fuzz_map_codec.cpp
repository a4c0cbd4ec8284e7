// libFuzzer target, differential: whatever the map codec accepts encodes and
// decodes again to the same description, and the program's loader builds
// exactly the world the description holds (layers with the names the codec
// predicts, cells, placements, selection).
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_common.h"
#include "io/named_list.h"
#include "world/map_codec.h"
#include "world/world.h"

using namespace zorta;

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool SameBits(float a, float b) { return memcmp(&a, &b, sizeof a) == 0; }

void CompareWorld(const MapDescription& d) {
  std::vector<std::string> names = ProgramLayerNames(d);
  Check(LayerList.count == static_cast<int32_t>(d.layers.size()));
  for (size_t i = 0; i < d.layers.size(); i++) {
    const MapLayerDescription& l = d.layers[i];
    MapLayer* layer = LayerAt(static_cast<int>(i));
    Check(layer != nullptr && names[i] == LayerList.items[i].name);
    Check(layer->width == l.width && layer->height == l.height && layer->enabled == l.enabled &&
          layer->tag == l.tag && layer->wrapX == l.wrapX && layer->wrapY == l.wrapY);
    Check(SameBits(layer->scrollX, l.scrollX) && SameBits(layer->parallaxY, l.parallaxY));
    Check((layer->tiles == nullptr) == l.tiles.empty());
    if (!l.tiles.empty()) Check(memcmp(layer->tiles, l.tiles.data(), l.tiles.size() * 2) == 0);
  }
  if (!d.layers.empty()) Check(LayerList.current == d.selectedLayer);
  Check(MapObjectTable.count == static_cast<int32_t>(d.objects.size()));
  for (size_t i = 0; i < d.objects.size(); i++) {
    const MapObjectDescription& o = d.objects[i];
    const MapObject& e = MapObjectTable.entries[i];
    Check(SameBits(e.x, o.x) && SameBits(e.y2, o.y2) && e.param == o.param && e.param2 == o.param2);
    Check(e.pointCount == static_cast<int32_t>(o.points.size()) && e.closed == o.closed && e.value == o.value &&
          e.spawnId == o.spawnId);
    for (int k = 0; k < 4; k++) Check(e.ints[k] == o.ints[k] && SameBits(e.reals[k], o.reals[k]));
    for (size_t k = 0; k < o.points.size(); k++) Check(SameBits(e.points[k].x, o.points[k].x));
  }
  // The selection only when the file got that far.
  MapObject* expected = nullptr;
  if (d.hasSelection && d.selectedObject >= 0 && !d.objects.empty())
    expected = &MapObjectTable.entries[d.selectedObject < MapObjectTable.count ? d.selectedObject : 0];
  Check(SelectedMapObject == expected);
}

}  // namespace

char PrivateDir[64];
char OwnDir[4096];

void RemovePrivateDir() {
  std::string command = std::string("rm -rf '") + PrivateDir + "'";
  if (system(command.c_str()) != 0) {
  }
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  snprintf(PrivateDir, sizeof PrivateDir, "%s", "/tmp/zorta-fuzz-codec-XXXXXX");
  if (mkdtemp(PrivateDir) == nullptr || getcwd(OwnDir, sizeof OwnDir) == nullptr || chdir(PrivateDir) != 0) abort();
  mkdir("Maps", 0755);
  if (chdir(OwnDir) != 0) abort();
  atexit(RemovePrivateDir);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MapDescription first;
  int isMap = DecodeMap(data, size, &first);
  Check(first.offset <= size);
  if (isMap) {
    std::vector<uint8_t> again = EncodeMap(first);
    MapDescription second;
    Check(DecodeMap(again.data(), again.size(), &second) == -1);
    Check(second.complete == -1 && second.trailingBytes == 0 && second.offset == again.size());
    Check(SameMapContents(first, second) == -1);
  } else {
    Check(first.layers.empty() && first.objects.empty());
  }

  if (chdir(PrivateDir) != 0) abort();
  static bool linked = false;
  if (!linked) {
    std::string target = InputPath(data, 0);
    unlink("Maps/in.map");
    if (symlink(target.c_str(), "Maps/in.map") != 0) abort();
    linked = true;
  }
  InputPath(data, size);
  if (ObjectTypeList.count == 0) {
    RegisterObjectType("Walker", nullptr, "", 0, 0.5f, 1, 1, 3, 0);
    RegisterObjectType("Grid", nullptr, "", 0, 0, 0, 1, 0, ObjectTypeInGrid);
  }
  LoadMap("in.map");
  // A fatal error (a full image table) ends the load early, as it ends the program.
  if (!ShutdownDone) CompareWorld(first);
  FreeMap();
  FreeAllImages();
  ClearList(&LayerList);
  ResetWorldState();
  ResetAfterInput();
  if (chdir(OwnDir) != 0) abort();
  return 0;
}
