// Map files: the versions and optional fields, layer names and selections,
// the image batch around a load, and files that end early or lie about
// their sizes; the names the program keeps.
#include "world_test_support.h"

using namespace zorta;

namespace {

class Map : public WorldTest {};

std::vector<int32_t> Messages;
std::vector<MapObject*> Placements;
void Recorder(LiveObject* o, int32_t message) {
  Messages.push_back(message);
  Placements.push_back(o->placement);
}

// The bytes of a map, decoded back so a test can find where its counts and
// blocks sit without knowing the layout.
struct Encoded {
  Bytes b;
  MapDescription at;
  explicit Encoded(const MapDescription& m) : b(EncodeMap(m)) { EXPECT_EQ(DecodeMap(b.data(), b.size(), &at), -1); }
  void PatchI32(size_t offset, int32_t v) {
    ASSERT_LE(offset + 4, b.size());
    for (int i = 0; i < 4; i++) b[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
  }
  void Cut(size_t n) { b.resize(n); }
};

TEST_F(Map, VersionsDecideWhichFieldsArePresent) {
  RegisterObjectType("Coin", Recorder, "", 0, 0, 0, 1, 0, 0);
  for (int version = 0; version <= 2; version++) {
    SCOPED_TRACE(version);
    MapDescription m = MakeMapDesc({MakeLayerDesc("A", "", 2, 1, {1, 2}), MakeLayerDesc("B", "", 1, 1, {3})});
    m.version = version;
    m.selectedLayer = 1;  // written only from version 1 on
    m.objectVersion = version;
    MapObjectDescription o = MakeObjectDesc("coin", 10.5f, 20);
    o.param = 7;
    o.x2 = 0.25f, o.y2 = 2, o.param2 = 9;  // written only from object version 2 on
    o.points = {{1, 2}};
    o.value = 42;
    o.flags = 0x18;  // written only from object version 1 on
    o.ints[3] = 44;
    o.reals[0] = 1.5f;
    o.ints[0] = 5;  // not announced by the flags: never written
    m.objects = {o};
    m.selectedObject = m.selectedPoint = 0;
    WriteMap("v.map", m);
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
    MapObject& e = MapObjectTable.entries[0];
    EXPECT_FLOAT_EQ(e.x, 10.5f);
    EXPECT_EQ(e.param, 7u);
    EXPECT_EQ(e.type, FindObjectType("Coin"));
    EXPECT_FLOAT_EQ(e.x2, version >= 2 ? 0.25f : 0.0f);
    EXPECT_EQ(e.param2, version >= 2 ? 9u : 0u);
    ASSERT_EQ(e.pointCount, 1);
    EXPECT_FLOAT_EQ(e.points[0].y, 2);
    EXPECT_EQ(e.value, 42);
    EXPECT_EQ(e.spawnId, -1);
    // Flags 0x18: int 4 and then real 1, nothing else.
    EXPECT_EQ(e.ints[0], 0);
    EXPECT_EQ(e.ints[3], version >= 1 ? 44 : 0);
    EXPECT_FLOAT_EQ(e.reals[0], version >= 1 ? 1.5f : 0.0f);
    EXPECT_FLOAT_EQ(e.reals[1], 0);
    // The type's callback saw the placement once, with message 3.
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], ObjectPlaced);
    EXPECT_EQ(Placements[0], &e);
    EXPECT_EQ(SelectedMapObject, &e);  // selected object 0
  }
}

TEST_F(Map, TypeLookupFallsBackToTheFirstTypeOrNone) {
  MapDescription m = MakeMapDesc({}, {MakeObjectDesc("nosuch", 0, 0, 0), MakeObjectDesc("SECOND", 0, 0, 0)});
  m.objectVersion = 1;
  WriteMap("t.map", m);
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
    MapDescription m = MakeMapDesc({}, {MakeObjectDesc("B", 0, 0, 0), MakeObjectDesc("A", 0, 0, 0)});
    m.selectedLayer = 5;
    m.objectVersion = 1;
    m.objects[0].points = {{1, 1}, {2, 2}};
    m.selectedObject = selected;
    m.selectedPoint = point;
    return m;
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
  MapDescription m = MakeMapDesc({MakeLayerDesc("Back", "", 1, 1, {1}), MakeLayerDesc("Main", "", 2, 1, {1, 2}),
                                  MakeLayerDesc("main", "", 3, 1, {1, 2, 3})});
  WriteMap("m.map", m);
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

TEST_F(Map, NamesLongerThan255BytesAreCutAsTheCodecSays) {
  ObjectType* type = RegisterObjectType(std::string(255, 'T').c_str(), nullptr, "", 0, 0, 0, 1, 0, 0);
  RegisterObjectType("Other", nullptr, "", 0, 0, 0, 1, 0, 0);
  MapDescription m = MakeMapDesc({MakeLayerDesc(std::string(300, 'L'), std::string(300, 'i'), 1, 1, {1}),
                                  MakeLayerDesc(std::string(256, 'L'), "", 1, 1, {1}),
                                  MakeLayerDesc(std::string(255, 'l'), "", 1, 1, {1})},
                                 {MakeObjectDesc(std::string(400, 'T'), 0, 0)});
  WriteMap("n.map", m);
  LoadMap("n.map");
  ASSERT_EQ(LayerList.count, 3);
  std::vector<std::string> names = ProgramLayerNames(m);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names[0], std::string(255, 'L'));
  EXPECT_EQ(names[1], std::string(255, 'L') + "1");
  EXPECT_EQ(names[2], std::string(255, 'l') + "2");
  for (int i = 0; i < 3; i++) EXPECT_EQ(LayerList.items[i].name, names[i]);
  EXPECT_EQ(ProgramName(m.layers[0].image), std::string(255, 'i'));
  ASSERT_EQ(MapObjectTable.count, 1);
  EXPECT_EQ(MapObjectTable.entries[0].type, type);  // found by its first 255 bytes
}

TEST_F(Map, MissingOrUnopenableMapKeepsTheMapAndItsImages) {
  mkdir("TileSets", 0755);
  WriteTileSet("TileSets/t.gfx", 3);
  MapDescription m = MakeMapDesc({MakeLayerDesc("Main", "TileSets/t.gfx", 2, 2, {1, 2, 0, 1})},
                                 {MakeObjectDesc("", 3, 4, 0)});
  m.objects[0].y2 = 1;
  m.selectedObject = m.selectedPoint = 0;
  WriteMap("a.map", m);
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
MapDescription FullMap() {
  MapDescription m = MakeMapDesc({MakeLayerDesc("Back", "", 3, 2, {1, 2, 3, 4, 5, 6}),
                                  MakeLayerDesc("Main", "", 2, 2, {1, 0, 0, 1})});
  m.version = 2;
  m.selectedLayer = 1;
  MapObjectDescription a = MakeObjectDesc("thing", 1, 2);
  a.param = 3, a.x2 = 4, a.y2 = 5, a.param2 = 6;
  a.points = {{1, 1}, {2, 2}};
  a.closed = 1, a.value = 7, a.flags = 0xFF;
  for (int i = 0; i < 4; i++) a.ints[i] = i, a.reals[i] = i * 0.5f;
  MapObjectDescription b = MakeObjectDesc("", 9, 9, 5);
  b.y2 = 1;
  m.objects = {a, b};
  m.selectedObject = 1;
  m.selectedPoint = 0;
  return m;
}

TEST_F(Map, AFileCutAnywhereKeepsWhatWasReadCompletely) {
  Encoded full(FullMap());
  WriteMap("cut.map", full.b);
  LoadMap("cut.map");
  ASSERT_EQ(LayerList.count, 2);
  ASSERT_EQ(MapObjectTable.count, 2);
  EXPECT_EQ(SelectedMapObject, &MapObjectTable.entries[1]);
  ASSERT_EQ(full.at.layerEnds.size(), 2u);
  ASSERT_EQ(full.at.objectEnds.size(), 2u);
  for (size_t n = 0; n < full.b.size(); n++) {
    SCOPED_TRACE(n);
    WriteMap("cut.map", Bytes(full.b.begin(), full.b.begin() + static_cast<long>(n)));
    LoadMap("cut.map");
    int layers = 0, objects = 0;
    for (size_t end : full.at.layerEnds) layers += n >= end;
    for (size_t end : full.at.objectEnds) objects += n >= end;
    EXPECT_EQ(LayerList.count, layers);
    EXPECT_EQ(MapObjectTable.count, objects);
    EXPECT_EQ(SelectedMapObject, nullptr);  // the selection comes last
    for (int i = 0; i < LayerList.count; i++) EXPECT_NE(LayerAt(i)->tiles, nullptr);
    StartWorld();  // whatever stayed loaded makes a level
  }
}

TEST_F(Map, AnEntryCutShortIsDroppedAndTheSelectionNotRead) {
  RegisterObjectType("Z", nullptr, "", 0, 0, 0, 1, 0, 0);
  RegisterObjectType("A", nullptr, "", 0, 0, 0, 1, 0, 0);
  // The cut entry starts with x = y = 0: read as a selection they would pick
  // entry 0 and its type.
  MapDescription m = MakeMapDesc({}, {MakeObjectDesc("A", 5, 5), MakeObjectDesc("A", 0, 0)});
  m.selectedObject = 1;
  m.selectedPoint = -1;
  Encoded e(m);
  e.Cut(e.at.objectEnds[0] + 20);
  WriteMap("c.map", e.b);
  int32_t typeBefore = ObjectTypeList.current;
  LoadMap("c.map");
  ASSERT_EQ(MapObjectTable.count, 1);
  EXPECT_FLOAT_EQ(MapObjectTable.entries[0].x, 5);
  EXPECT_EQ(SelectedMapObject, nullptr);
  EXPECT_EQ(ObjectTypeList.current, typeBefore);
  // Entries announced beyond what the file holds end the same way.
  Encoded more(m);
  more.PatchI32(more.at.objectCountOffset, 3);
  WriteMap("c.map", more.b);
  LoadMap("c.map");
  EXPECT_EQ(MapObjectTable.count, 2);
  EXPECT_EQ(SelectedMapObject, nullptr);
}

TEST_F(Map, ALayerWithoutAreaHasNoCellsWhateverItsOtherSide) {
  const int32_t sides[][2] = {{100000000, 0}, {0, 100000000}, {-1, 0x7FFFFFFF}, {0x7FFFFFFF, -3}};
  for (auto& s : sides) {
    SCOPED_TRACE(std::to_string(s[0]) + " x " + std::to_string(s[1]));
    MapDescription m = MakeMapDesc({MakeLayerDesc("Main", "", s[0], s[1], {}), MakeLayerDesc("B", "", 2, 2, {1, 2, 3, 4})},
                                   {MakeObjectDesc("", 1, 1)});
    m.selectedObject = 0;
    WriteMap("z.map", m);
    LoadMap("z.map");
    ASSERT_EQ(LayerList.count, 2);
    EXPECT_EQ(LayerAt(0)->width, s[0]);
    EXPECT_EQ(LayerAt(0)->tiles, nullptr);
    EXPECT_EQ(LayerAt(1)->tiles[3], 4);
    ASSERT_EQ(MapObjectTable.count, 1);
    EXPECT_EQ(SelectedMapObject, &MapObjectTable.entries[0]);
    StartWorld();  // a cell-less main layer still makes a level
    EXPECT_EQ(MainLayer, LayerAt(0));
    RunWorldStep();
  }
}

TEST_F(Map, CountsAndSizesThatDoNotFitTheFileEndTheLoad) {
  // A huge layer count with one layer present: that layer stays.
  Encoded h(MakeMapDesc({MakeLayerDesc("One", "", 1, 1, {1})}));
  h.Cut(h.at.layerEnds[0]);
  h.PatchI32(h.at.layerCountOffset, 0x7FFFFFFF);
  WriteMap("h.map", h.b);
  LoadMap("h.map");
  EXPECT_EQ(LayerList.count, 1);
  // Width x height that overflows 32 bits, or is larger than the file.
  const int32_t sizes[][2] = {{65536, 65536}, {0x7FFFFFFF, 2}, {2, 0x7FFFFFFF}, {0x40000000, 0x40000000}, {4, 4}};
  for (auto& s : sizes) {
    SCOPED_TRACE(s[0]);
    MapDescription k = MakeMapDesc({MakeLayerDesc("Ok", "", 1, 1, {1}),
                                    MakeLayerDesc("Big", "", s[0], s[1], {1, 2, 3})});  // far fewer cells than claimed
    WriteMap("h.map", k);
    LoadMap("h.map");
    EXPECT_EQ(LayerList.count, 1);
    EXPECT_EQ(MapObjectTable.count, 0);
  }
  // Zero and negative sizes give a layer without cells, and reading goes on;
  // so does a negative point count.
  MapDescription z = MakeMapDesc({MakeLayerDesc("Neg", "", -5, 3, {}), MakeLayerDesc("Zero", "", 4, 0, {})},
                                 {MakeObjectDesc("", 0, 0, 0)});
  z.objectVersion = 0;
  z.selectedObject = z.selectedPoint = 0;
  Encoded ze(z);
  ze.PatchI32(ze.at.objectCountOffset + 4 + 12 + 1, -3);  // the entry's point count
  WriteMap("z.map", ze.b);
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
  MapDescription o = MakeMapDesc({}, {MakeObjectDesc("", 0, 0, 0), MakeObjectDesc("", 0, 0, 0)});
  o.objects[1].points = {{1, 1}};
  Encoded oe(o);
  oe.Cut(oe.at.objectEnds[0] + 12 + 12 + 1 + 4 + 8);  // the second entry's first point
  oe.PatchI32(oe.at.objectCountOffset, 0x7FFFFFFF);
  oe.PatchI32(oe.at.objectEnds[0] + 12 + 12 + 1, 0x40000000);
  WriteMap("o.map", oe.b);
  LoadMap("o.map");
  EXPECT_EQ(MapObjectTable.count, 1);
  // A name without its NUL at the end of the file.
  Encoded s(MakeMapDesc({MakeLayerDesc(std::string(300, 'a'), "", 0, 0, {})}));
  s.Cut(s.at.layerCountOffset + 4 + 300);
  WriteMap("s.map", s.b);
  LoadMap("s.map");
  EXPECT_EQ(LayerList.count, 0);
}

TEST_F(Map, ImagesOfAFormerMapAreFreedAndNewOnesRead) {
  mkdir("TileSets", 0755);
  WriteTileSet("TileSets/a.gfx", 2);
  WriteTileSet("TileSets/b.gfx", 4);
  WriteMap("a.map", MakeMapDesc({MakeLayerDesc("L", "TileSets/a.gfx", 1, 1, {1})}));
  WriteMap("b.map", MakeMapDesc({MakeLayerDesc("L", "TileSets/b.gfx", 1, 1, {1})}));
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

TEST_F(Map, PngImagesServeLayersObjectTypesAndTheTileSetListing) {
  if (system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
  mkdir("TileSets", 0755);
  ASSERT_EQ(system("convert -size 8x4 xc:'#102030' PNG24:TileSets/sky.png && "
                   "convert -size 2x2 xc:red -alpha set -channel A -fx 'i' +channel PNG32:hero.png"),
            0);
  RegisterObjectType("Hero", nullptr, "hero.png", 0, 0, 0, 1, 0, 0);
  // Named as a map made on Windows names it.
  WriteMap("p.map", MakeMapDesc({MakeLayerDesc("Main", "TileSets\\SKY.PNG", 1, 1, {0})}, {MakeObjectDesc("Hero", 1, 1)}));
  LoadMap("p.map");
  ASSERT_EQ(LayerList.count, 1);
  Image* sky = LayerAt(0)->image;
  ASSERT_NE(sky, nullptr) << ErrorText;
  ASSERT_NE(sky->pixels, nullptr);
  EXPECT_EQ(sky->bits, 24);
  EXPECT_EQ(sky->pixels[2], 0x30);
  ASSERT_EQ(MapObjectTable.count, 1);
  Image* hero = MapObjectTable.entries[0].type->image;
  ASSERT_NE(hero, nullptr);
  ASSERT_NE(hero->mask, nullptr);  // the batch built it: alpha 0 in the first column is keyed
  EXPECT_EQ(Bytes(hero->mask, hero->mask + 4), (Bytes{0, 255, 0, 255}));
  ListFolder(&TileSetList, "TileSets/*.*", 0, 0);
  ASSERT_EQ(TileSetList.count, 1);
  EXPECT_STREQ(TileSetList.items[0].name, "sky.png");
}

}  // namespace
