// Maps saved by Tiled in Maps/: loaded as the map file and tile sets that
// importing them writes, with nothing written beside them; a broken one stops
// with the loader's message; JSON is taken for Tiled's only by its content.

#include "png_file.h"
#include "world/tiled_import.h"
#include "world_test_support.h"

using namespace zorta;

namespace {

class TiledMaps : public WorldTest {
 protected:
  // Maps/tiles.png: two 32 x 32 tiles side by side, every pixel its own
  // colour, so that a flipped copy differs from the tile.
  static void WriteTilePng() {
    std::vector<uint8_t> rgba(64 * 32 * 4);
    for (int y = 0; y < 32; y++)
      for (int x = 0; x < 64; x++) {
        uint8_t* p = &rgba[(y * 64 + x) * 4];
        p[0] = static_cast<uint8_t>(x * 4), p[1] = static_cast<uint8_t>(y * 8), p[2] = x < 32 ? 10 : 90, p[3] = 255;
      }
    mkdir("Maps", 0755);
    ASSERT_TRUE(WriteRgbaPng("Maps/tiles.png", 64, 32, rgba));
  }
  static std::string Tmx(const char* image) {
    return std::string(R"(<map orientation="orthogonal" width="3" height="2" tilewidth="32" tileheight="32">)") +
           R"(<tileset firstgid="1" name="t" tilewidth="32" tileheight="32"><image source=")" + image +
           R"("/></tileset>)"
           R"(<layer name="Back" width="3" height="2"><data encoding="csv">1,1,1,2,2,2</data></layer>)"
           R"(<layer name="Walls" width="3" height="2"><properties><property name="main" value="true"/></properties>)"
           R"(<data encoding="csv">2,0,2147483649,0,1,1073741826</data></layer>)"
           R"(<objectgroup name="Things"><object name="a" type="Coin" x="40" y="50">)"
           R"(<properties><property name="param" value="7"/></properties></object>)"
           R"(<object type="Coin" x="8" y="16"><polyline points="0,0 32,0 32,32"/></object></objectgroup></map>)";
  }
};

// What a loaded level holds: each layer's name, cells and tile-set pixels,
// and each placement.
std::string LevelNow() {
  std::string s;
  for (int i = 0; i < LayerList.count; i++) {
    MapLayer* l = LayerAt(i);
    s += std::string("layer ") + LayerList.items[i].name + " " + std::to_string(l->width) + "x" +
         std::to_string(l->height) + (l == MainLayer ? " main" : "") + ":";
    for (int k = 0; k < l->width * l->height; k++) s += " " + std::to_string(l->tiles[k]);
    if (l->image == nullptr || l->image->pixels == nullptr) {
      s += " no image\n";
      continue;
    }
    size_t n = static_cast<size_t>(l->image->width) * l->image->height * l->image->bytesPerPixel;
    uint32_t sum = 0;
    for (size_t k = 0; k < n; k++) sum = sum * 31 + l->image->pixels[k];
    s += " image " + std::to_string(l->image->width) + "x" + std::to_string(l->image->height) + " sum " +
         std::to_string(sum) + "\n";
  }
  for (int32_t i = 0; i < MapObjectTable.count; i++) {
    const MapObject& o = MapObjectTable.entries[i];
    s += "object " + std::string(o.type == FindObjectType("Coin") ? "Coin" : "other") + " " + std::to_string(o.x) +
         "," + std::to_string(o.y) + " param " + std::to_string(o.param) + " points";
    for (int32_t k = 0; k < o.pointCount; k++) s += " " + std::to_string(o.points[k].x) + "," + std::to_string(o.points[k].y);
    s += "\n";
  }
  return s;
}

TEST_F(TiledMaps, LoadAsTheirImportedMapFile) {
  RegisterObjectType("Coin", nullptr, "", 0, 0, 0, 1, 0, 0);
  WriteTilePng();
  std::string tmx = Tmx("tiles.png");
  WriteBytes("Maps/level.tmx", Bytes(tmx.begin(), tmx.end()));
  LoadMap("level.tmx");
  ASSERT_FALSE(ShutdownDone) << ErrorText;
  std::string fromTiled = LevelNow();
  ASSERT_EQ(LayerList.count, 2) << fromTiled;
  EXPECT_EQ(fromTiled.find("no image"), std::string::npos) << fromTiled;
  EXPECT_EQ(MapObjectTable.count, 2);
  struct stat st;
  EXPECT_NE(stat("TileSets", &st), 0) << "the load wrote tile sets";

  // The map file and tile sets that importing writes, loaded from disk.
  TiledImport imported;
  std::string error;
  ASSERT_TRUE(ImportTiledData("Maps/level.tmx", tmx, &imported, &error)) << error;
  WriteMap("level.map", imported.map);
  mkdir("TileSets", 0755);
  for (const ImportedTileSet& set : imported.tileSets) WriteBytes(set.path, set.bytes);
  LoadMap("level.map");
  ASSERT_FALSE(ShutdownDone) << ErrorText;
  EXPECT_EQ(LevelNow(), fromTiled);

  // Loaded again after that, the Tiled map still draws from its own tiles.
  LoadMap("level.tmx");
  EXPECT_EQ(LevelNow(), fromTiled);
}

TEST_F(TiledMaps, JsonIsTiledsOnlyByItsContent) {
  RegisterObjectType("Coin", nullptr, "", 0, 0, 0, 1, 0, 0);
  WriteTilePng();
  std::string json = R"({"orientation": "orthogonal", "width": 1, "height": 1, "tilewidth": 32, "tileheight": 32,
    "tilesets": [{"firstgid": 1, "name": "t", "tilewidth": 32, "tileheight": 32, "image": "tiles.png",
                  "imagewidth": 64, "imageheight": 32}],
    "layers": [{"type": "tilelayer", "name": "Main", "width": 1, "height": 1, "data": [2]}]})";
  WriteBytes("Maps/tiled.json", Bytes(json.begin(), json.end()));
  LoadMap("tiled.json");
  ASSERT_FALSE(ShutdownDone) << ErrorText;
  ASSERT_EQ(LayerList.count, 1);
  EXPECT_EQ(LayerAt(0)->tiles[0], 1);
  // Neither a map file nor Tiled's: an empty map, as before.
  std::string ours = R"({"layers": [{"name": "Main", "width": 1, "height": 1, "tiles": [1]}]})";
  WriteBytes("Maps/ours.json", Bytes(ours.begin(), ours.end()));
  LoadMap("ours.json");
  EXPECT_FALSE(ShutdownDone) << ErrorText;
  EXPECT_EQ(LayerList.count, 0);
}

// A tile set that keeps its numbers loads whole, its local tile ids in the
// cells; one of its tiles flipped stops the load as `map import` refuses it.
TEST_F(TiledMaps, KeptNumbersLoadAsImported) {
  WriteTilePng();
  std::string map = R"(<map orientation="orthogonal" width="2" height="1" tilewidth="32" tileheight="32">)"
                    R"(<tileset firstgid="1" name="t" tilewidth="32" tileheight="32"><properties>)"
                    R"(<property name="keepnumbers" type="bool" value="true"/></properties>)"
                    R"(<image source="tiles.png"/></tileset>)"
                    R"(<layer name="A" width="2" height="1"><data encoding="csv">0,2</data></layer>)"
                    R"(<layer name="Main" width="2" height="1"><data encoding="csv">2,CELL</data></layer></map>)";
  std::string tmx = map;
  tmx.replace(tmx.find("CELL"), 4, "2");
  WriteBytes("Maps/kept.tmx", Bytes(tmx.begin(), tmx.end()));
  LoadMap("kept.tmx");
  ASSERT_FALSE(ShutdownDone) << ErrorText;
  ASSERT_EQ(LayerList.count, 2);
  for (int i = 0; i < 2; i++) {
    EXPECT_EQ(LayerAt(i)->tiles[1], 1);
    ASSERT_NE(LayerAt(i)->image, nullptr);
    EXPECT_EQ(LayerAt(i)->image->width, 64) << "layer " << i << " is not the whole tile set";
  }
  tmx = map;
  tmx.replace(tmx.find("CELL"), 4, "1073741826");
  WriteBytes("Maps/kept.tmx", Bytes(tmx.begin(), tmx.end()));
  LoadMap("kept.tmx");
  EXPECT_TRUE(ShutdownDone);
  EXPECT_STREQ(ErrorText,
               "LoadMap() - Maps/kept.tmx: layer 'Main': the tile at column 1, row 0 is flipped or rotated, and tile "
               "set 't' keeps its tile numbers (a flipped copy has no number)");
}

TEST_F(TiledMaps, BrokenOneStopsWithItsMessage) {
  WriteTilePng();
  std::string tmx = Tmx("gone.png");
  WriteBytes("Maps/bad.tmx", Bytes(tmx.begin(), tmx.end()));
  LoadMap("bad.tmx");
  EXPECT_TRUE(ShutdownDone);
  EXPECT_STREQ(ErrorText, "LoadMap() - Maps/bad.tmx: image 'Maps/gone.png' is missing");
  EXPECT_EQ(LayerList.count, 0);
}

}  // namespace
