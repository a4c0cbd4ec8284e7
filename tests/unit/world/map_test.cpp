// Map files: the versions and optional fields, layer names and selections,
// the image batch around a load, and files that end early or lie about
// their sizes.
#include "world_test_support.h"

namespace {

class Map : public WorldTest {};

std::vector<int32_t> Messages;
std::vector<MapObject*> Placements;
void Recorder(LiveObject* o, int32_t message) {
  Messages.push_back(message);
  Placements.push_back(o->placement);
}

// Object entry fields up to the type name, for each object version.
MapBytes& EntryHead(MapBytes& m, int version, float x, float y, uint32_t param) {
  m.F32(x).F32(y).U32(param);
  if (version >= 2) m.F32(0.25f).F32(2.0f).U32(9);
  return m;
}

TEST_F(Map, VersionsDecideWhichFieldsArePresent) {
  RegisterObjectType("Coin", Recorder, "", 0, 0, 0, 1, 0, 0);
  for (int version = 0; version <= 2; version++) {
    SCOPED_TRACE(version);
    MapBytes m;
    m.Magic().U32(version);
    if (version >= 1) m.U32(1);  // selected layer
    m.U32(2).Layer("A", "", 2, 1, {1, 2}).Layer("B", "", 1, 1, {3});
    m.U32(version).U32(1);
    EntryHead(m, version, 10.5f, 20, 7).Str("coin").U32(1).F32(1).F32(2).U32(0).U32(42).U32(static_cast<uint32_t>(-1));
    if (version >= 1) m.U32(0x18).U32(44).F32(1.5f);
    m.U32(0).U32(0);
    WriteMap("v.map", m.b);
    Messages.clear();
    Placements.clear();
    LoadMap("v.map");
    ASSERT_EQ(LayerList.count, 2);
    EXPECT_EQ(LayerList.current, version >= 1 ? 1 : 0);
    MapLayer* b = LayerAt(1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->tiles[0], 3);
    EXPECT_EQ(LayerAt(0)->tiles[1], 2);
    ASSERT_EQ(MapObjectTable.count, 1);
    MapObject& o = MapObjectTable.entries[0];
    EXPECT_FLOAT_EQ(o.x, 10.5f);
    EXPECT_EQ(o.param, 7u);
    EXPECT_EQ(o.type, FindObjectType("Coin"));
    EXPECT_FLOAT_EQ(o.x2, version >= 2 ? 0.25f : 0.0f);
    EXPECT_EQ(o.param2, version >= 2 ? 9u : 0u);
    ASSERT_EQ(o.pointCount, 1);
    EXPECT_FLOAT_EQ(o.points[0].y, 2);
    EXPECT_EQ(o.value, 42);
    EXPECT_EQ(o.spawnId, -1);
    // Flags 0x18: int 4 and then real 1, nothing else.
    EXPECT_EQ(o.ints[0], 0);
    EXPECT_EQ(o.ints[3], version >= 1 ? 44 : 0);
    EXPECT_FLOAT_EQ(o.reals[0], version >= 1 ? 1.5f : 0.0f);
    EXPECT_FLOAT_EQ(o.reals[1], 0);
    // The type's callback saw the placement once, with message 3.
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], ObjectPlaced);
    EXPECT_EQ(Placements[0], &o);
    EXPECT_EQ(SelectedMapObject, &o);  // selected object 0
  }
}

TEST_F(Map, TypeLookupFallsBackToTheFirstTypeOrNone) {
  MapBytes m;
  m.Magic().U32(1).U32(0).U32(0).U32(1).U32(2);
  m.F32(0).F32(0).U32(0).Str("nosuch").U32(0).U32(0).U32(0).U32(0).U32(0);
  m.F32(0).F32(0).U32(0).Str("SECOND").U32(0).U32(0).U32(0).U32(0).U32(0);
  m.U32(static_cast<uint32_t>(-1)).U32(static_cast<uint32_t>(-1));
  WriteMap("t.map", m.b);
  LoadMap("t.map");
  ASSERT_EQ(MapObjectTable.count, 2);
  EXPECT_EQ(MapObjectTable.entries[0].type, nullptr);
  EXPECT_EQ(SelectedMapObject, nullptr);
  ObjectType* first = RegisterObjectType("First", nullptr, "", 0, 0, 0, 1, 0, 0);
  ObjectType* second = RegisterObjectType("Second", nullptr, "", 0, 0, 0, 1, 0, 0);
  LoadMap("t.map");
  EXPECT_EQ(MapObjectTable.entries[0].type, first);
  EXPECT_EQ(MapObjectTable.entries[1].type, second);
}

TEST_F(Map, SelectionOfObjectsPointsAndLayers) {
  RegisterObjectType("A", nullptr, "", 0, 0, 0, 1, 0, 0);
  ObjectType* b = RegisterObjectType("B", nullptr, "", 0, 0, 0, 1, 0, 0);
  auto make = [](int32_t selected, int32_t point) {
    MapBytes m;
    m.Magic().U32(1).U32(5).U32(0).U32(1).U32(2);
    m.F32(0).F32(0).U32(0).Str("B").U32(2).F32(1).F32(1).F32(2).F32(2).U32(0).U32(0).U32(0).U32(0);
    m.F32(0).F32(0).U32(0).Str("A").U32(0).U32(0).U32(0).U32(0).U32(0);
    m.U32(static_cast<uint32_t>(selected)).U32(static_cast<uint32_t>(point));
    return m.b;
  };
  WriteMap("s.map", make(2, 1));  // equal to the count: entry 0
  LoadMap("s.map");
  ASSERT_EQ(SelectedMapObject, &MapObjectTable.entries[0]);
  EXPECT_EQ(SelectedMapObject->selectedPoint, &MapObjectTable.entries[0].points[1]);
  EXPECT_EQ(ObjectTypeList.current, 1);
  EXPECT_EQ(CurrentItem(&ObjectTypeList)->data, b);
  WriteMap("s.map", make(-1, 0));
  LoadMap("s.map");
  EXPECT_EQ(SelectedMapObject, nullptr);
  WriteMap("s.map", make(1, 0));  // entry 1 has no points
  LoadMap("s.map");
  ASSERT_EQ(SelectedMapObject, &MapObjectTable.entries[1]);
  EXPECT_EQ(SelectedMapObject->selectedPoint, nullptr);
  WriteMap("s.map", make(0, 2));  // point beyond the path
  LoadMap("s.map");
  EXPECT_EQ(SelectedMapObject->selectedPoint, nullptr);
  EXPECT_EQ(LayerList.count, 0);
}

TEST_F(Map, TwoLayersNamedMainOnlyTheFirstIsTheMainLayer) {
  MapBytes m;
  m.Magic().U32(1).U32(0).U32(3);
  m.Layer("Back", "", 1, 1, {1}).Layer("Main", "", 2, 1, {1, 2}).Layer("main", "", 3, 1, {1, 2, 3});
  m.U32(2).U32(0).U32(0).U32(0);
  WriteMap("m.map", m.b);
  LoadMap("m.map");
  ASSERT_EQ(LayerList.count, 3);
  EXPECT_STREQ(LayerList.items[2].name, "main1");
  StartWorld();
  EXPECT_EQ(MainLayer, LayerAt(1));
  ASSERT_NE(MainLayer->workingTiles, nullptr);
  EXPECT_NE(MainLayer->workingTiles, MainLayer->tiles);
  EXPECT_EQ(MainLayer->workingTiles[1], 2);
  EXPECT_EQ(LayerAt(2)->workingTiles, nullptr);
  EXPECT_EQ(ObjectLayerIndex, 2);
  FreeMap();
  EXPECT_EQ(MainLayer, nullptr);
  EXPECT_EQ(LayerList.count, 0);
  EXPECT_EQ(WorldRunning, 0);
}

TEST_F(Map, MissingOrUnopenableMapKeepsTheMapAndItsImages) {
  mkdir("TileSets", 0755);
  WriteTileSet("TileSets/t.gfx", 3);
  MapBytes m;
  m.Magic().U32(1).U32(0).U32(1).Layer("Main", "TileSets/t.gfx", 2, 2, {1, 2, 0, 1});
  m.U32(2).U32(1).F32(3).F32(4).U32(0).F32(0).F32(1).U32(0).Str("").U32(0).U32(0).U32(0).U32(0).U32(0);
  m.U32(0).U32(0);
  WriteMap("a.map", m.b);
  LoadMap("a.map");
  ASSERT_EQ(LayerList.count, 1);
  Image* tiles = LayerAt(0)->image;
  ASSERT_NE(tiles, nullptr);
  ASSERT_NE(tiles->pixels, nullptr);
  StartWorld();
  EXPECT_EQ(WorldRunning, -1);
  LoadMap("missing.map");
  LoadMap(std::string(300, 'x').c_str());  // does not fit the path: refused
  LoadMap(nullptr);
  ASSERT_EQ(LayerList.count, 1);
  ASSERT_EQ(MapObjectTable.count, 1);
  EXPECT_FLOAT_EQ(MapObjectTable.entries[0].y, 4);
  EXPECT_EQ(SelectedMapObject, &MapObjectTable.entries[0]);
  EXPECT_EQ(WorldRunning, -1);  // the level was not stopped either
  EXPECT_EQ(LayerAt(0)->image, tiles);
  EXPECT_EQ(ImageTable[0], tiles);  // not swept by the batch
  EXPECT_NE(tiles->pixels, nullptr);
  EXPECT_EQ(ImageBatch, 0);
  // A name of exactly 250 characters still fits; a wrong magic empties the map.
  std::string longName(250, 'y');
  WriteMap(longName, Bytes{'n', 'o', 'p', 'e', 0, 0, 0, 0});
  LoadMap(longName.c_str());
  EXPECT_EQ(LayerList.count, 0);
  EXPECT_EQ(ImageTable[0], nullptr);  // nothing asks for the tile set now
}

// A map with two layers and two objects using every optional part.
Bytes FullMap() {
  MapBytes m;
  m.Magic().U32(2).U32(1).U32(2);
  m.Layer("Back", "", 3, 2, {1, 2, 3, 4, 5, 6}).Layer("Main", "", 2, 2, {1, 0, 0, 1});
  m.U32(2).U32(2);
  m.F32(1).F32(2).U32(3).F32(4).F32(5).U32(6).Str("thing").U32(2).F32(1).F32(1).F32(2).F32(2);
  m.U32(1).U32(7).U32(static_cast<uint32_t>(-1)).U32(0xFF);
  for (int i = 0; i < 4; i++) m.U32(i);
  for (int i = 0; i < 4; i++) m.F32(i * 0.5f);
  m.F32(9).F32(9).U32(0).F32(0).F32(1).U32(0).Str("").U32(0).U32(0).U32(0).U32(5).U32(0);
  m.U32(1).U32(0);
  return m.b;
}

TEST_F(Map, AFileCutAnywhereKeepsWhatWasReadCompletely) {
  Bytes full = FullMap();
  WriteMap("cut.map", full);
  LoadMap("cut.map");
  ASSERT_EQ(LayerList.count, 2);
  ASSERT_EQ(MapObjectTable.count, 2);
  EXPECT_EQ(SelectedMapObject, &MapObjectTable.entries[1]);
  // Where the blocks end in the file.
  size_t header = 20;
  size_t layer1 = header + 5 + 4 * 3 + 1 + 4 * 8 + 12;
  size_t layer2 = layer1 + 5 + 4 * 3 + 1 + 4 * 8 + 8;
  size_t entry1 = layer2 + 8 + 24 + 6 + 4 + 16 + 16 + 16 + 16;
  size_t entry2 = entry1 + 24 + 1 + 4 * 5;
  ASSERT_EQ(entry2 + 8, full.size());
  for (size_t n = 0; n < full.size(); n++) {
    SCOPED_TRACE(n);
    WriteMap("cut.map", Bytes(full.begin(), full.begin() + static_cast<long>(n)));
    LoadMap("cut.map");
    int layers = n >= layer2 ? 2 : n >= layer1 ? 1 : 0;
    int objects = n >= entry2 ? 2 : n >= entry1 ? 1 : 0;
    EXPECT_EQ(LayerList.count, layers);
    EXPECT_EQ(MapObjectTable.count, objects);
    EXPECT_EQ(SelectedMapObject, nullptr);  // the selection comes last
    for (int i = 0; i < LayerList.count; i++) EXPECT_NE(LayerAt(i)->tiles, nullptr);
    StartWorld();  // whatever stayed loaded makes a level
  }
}

TEST_F(Map, CountsAndSizesThatDoNotFitTheFileEndTheLoad) {
  // A huge layer count with one layer present: that layer stays.
  MapBytes m;
  m.Magic().U32(1).U32(0).U32(0x7FFFFFFF).Layer("One", "", 1, 1, {1});
  WriteMap("h.map", m.b);
  LoadMap("h.map");
  EXPECT_EQ(LayerList.count, 1);
  // Width x height that overflows 32 bits, or is larger than the file.
  const int32_t sizes[][2] = {{65536, 65536}, {0x7FFFFFFF, 2}, {2, 0x7FFFFFFF}, {0x40000000, 0x40000000}, {4, 4}};
  for (auto& s : sizes) {
    SCOPED_TRACE(s[0]);
    MapBytes k;
    k.Magic().U32(1).U32(0).U32(2).Layer("Ok", "", 1, 1, {1});
    k.Layer("Big", "", s[0], s[1], {1, 2, 3});  // far fewer cells than claimed
    k.U32(2).U32(0).U32(0).U32(0);
    WriteMap("h.map", k.b);
    LoadMap("h.map");
    EXPECT_EQ(LayerList.count, 1);
    EXPECT_EQ(MapObjectTable.count, 0);
  }
  // Zero and negative sizes give a layer without cells, and reading goes on.
  MapBytes z;
  z.Magic().U32(1).U32(0).U32(2).Layer("Neg", "", -5, 3, {}).Layer("Zero", "", 4, 0, {});
  z.U32(0).U32(1).F32(0).F32(0).U32(0).Str("").U32(static_cast<uint32_t>(-3)).U32(0).U32(0).U32(0);
  z.U32(0).U32(0);
  WriteMap("z.map", z.b);
  LoadMap("z.map");
  ASSERT_EQ(LayerList.count, 2);
  EXPECT_EQ(LayerAt(0)->tiles, nullptr);
  EXPECT_EQ(LayerAt(1)->tiles, nullptr);
  ASSERT_EQ(MapObjectTable.count, 1);
  EXPECT_EQ(MapObjectTable.entries[0].pointCount, 0);
  StartWorld();
  EXPECT_EQ(MainLayer, LayerAt(1));
  EXPECT_EQ(MainLayer->workingTiles, nullptr);
  // Huge object and point counts.
  MapBytes o;
  o.Magic().U32(1).U32(0).U32(0).U32(2).U32(0x7FFFFFFF);
  o.F32(0).F32(0).U32(0).F32(0).F32(0).U32(0).Str("").U32(0).U32(0).U32(0).U32(0).U32(0);
  o.F32(0).F32(0).U32(0).F32(0).F32(0).U32(0).Str("").U32(0x40000000).F32(1).F32(1);
  WriteMap("o.map", o.b);
  LoadMap("o.map");
  EXPECT_EQ(MapObjectTable.count, 1);
  // A name without its NUL at the end of the file.
  MapBytes s;
  s.Magic().U32(1).U32(0).U32(1);
  s.b.insert(s.b.end(), 300, 'a');
  WriteMap("s.map", s.b);
  LoadMap("s.map");
  EXPECT_EQ(LayerList.count, 0);
}

TEST_F(Map, ImagesOfAFormerMapAreFreedAndNewOnesRead) {
  mkdir("TileSets", 0755);
  WriteTileSet("TileSets/a.gfx", 2);
  WriteTileSet("TileSets/b.gfx", 4);
  MapBytes a, b;
  a.Magic().U32(1).U32(0).U32(1).Layer("L", "TileSets/a.gfx", 1, 1, {1}).U32(2).U32(0).U32(0).U32(0);
  b.Magic().U32(1).U32(0).U32(1).Layer("L", "TileSets/b.gfx", 1, 1, {1}).U32(2).U32(0).U32(0).U32(0);
  WriteMap("a.map", a.b);
  WriteMap("b.map", b.b);
  LoadMap("a.map");
  ASSERT_NE(ImageTable[0], nullptr);
  EXPECT_EQ(ImageTable[0]->cellCount, 2);
  LoadMap("b.map");
  ASSERT_NE(LayerAt(0)->image, nullptr);
  EXPECT_EQ(LayerAt(0)->image->cellCount, 4);
  int used = 0;
  for (Image* i : ImageTable) used += i != nullptr;
  EXPECT_EQ(used, 1);
}

}  // namespace
