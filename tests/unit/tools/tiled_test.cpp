// Tiled maps: the tile decoders in every encoding (and their refusal of
// bombs by the size a layer declares), both file formats read alike, and the
// import's tiles, flips, scaling, main layer, objects and refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "png_file.h"
#include "test_util.h"
#include "tiled_import.h"
#include "world/tiled_read.h"

using namespace zorta;

namespace {

std::string Base64(const std::string& bytes) {
  static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t v = (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8) | uint8_t(bytes[i + 2]);
    for (int k = 3; k >= 0; k--) out += abc[(v >> (6 * k)) & 63];
  }
  if (i + 1 == bytes.size()) {
    uint32_t v = uint8_t(bytes[i]) << 16;
    out += std::string() + abc[v >> 18] + abc[(v >> 12) & 63] + "==";
  } else if (i + 2 == bytes.size()) {
    uint32_t v = (uint8_t(bytes[i]) << 16) | (uint8_t(bytes[i + 1]) << 8);
    out += std::string() + abc[v >> 18] + abc[(v >> 12) & 63] + abc[(v >> 6) & 63] + "=";
  }
  return out;
}

std::string Words(const std::vector<uint32_t>& ids) {
  std::string out;
  for (uint32_t v : ids)
    for (int k = 0; k < 4; k++) out += static_cast<char>(v >> (8 * k));
  return out;
}

// zlib (windowBits 15) or gzip (31).
std::string Deflate(const std::string& data, int windowBits) {
  z_stream z = {};
  deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(&out[0]);
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string Zstd(const std::string& data) {
  std::string out(ZSTD_compressBound(data.size()), '\0');
  out.resize(ZSTD_compress(&out[0], out.size(), data.data(), data.size(), 3));
  return out;
}

TEST(TiledDecode, EveryEncodingGivesTheSameIds) {
  std::vector<uint32_t> ids = {0, 1, 7, 0x80000003u, 0x2000002Au, 0xFFFFFFFFu};
  std::string raw = Words(ids);
  std::vector<uint32_t> got;
  std::string error;
  ASSERT_TRUE(DecodeTileData(" 0,1,7,\n2147483651, 536870954,4294967295\n", "csv", "", 6, &got, &error)) << error;
  EXPECT_EQ(got, ids);
  std::string b64 = Base64(raw);
  b64.insert(4, "\n   ");  // Tiled indents its data
  ASSERT_TRUE(DecodeTileData(b64, "base64", "", 6, &got, &error)) << error;
  EXPECT_EQ(got, ids);
  ASSERT_TRUE(DecodeTileData(Base64(Deflate(raw, 15)), "base64", "zlib", 6, &got, &error)) << error;
  EXPECT_EQ(got, ids);
  ASSERT_TRUE(DecodeTileData(Base64(Deflate(raw, 31)), "base64", "gzip", 6, &got, &error)) << error;
  EXPECT_EQ(got, ids);
  ASSERT_TRUE(DecodeTileData(Base64(Zstd(raw)), "base64", "zstd", 6, &got, &error)) << error;
  EXPECT_EQ(got, ids);
}

TEST(TiledDecode, BombsAndDamageAreRefused) {
  // A megabyte of zeros for a layer of four cells (16 bytes).
  std::string big(1 << 20, '\0');
  std::vector<uint32_t> got;
  std::string error;
  EXPECT_FALSE(DecodeTileData(Base64(Deflate(big, 15)), "base64", "zlib", 4, &got, &error));
  EXPECT_EQ(error, "inflates to more than the 16 bytes it may hold");
  EXPECT_FALSE(DecodeTileData(Base64(Deflate(big, 31)), "base64", "gzip", 4, &got, &error));
  EXPECT_EQ(error, "inflates to more than the 16 bytes it may hold");
  // A zstd frame states its size: refused before a byte is inflated, even
  // when the rest of the frame is missing.
  std::string frame = Zstd(big);
  EXPECT_FALSE(DecodeTileData(Base64(frame.substr(0, 16)), "base64", "zstd", 4, &got, &error));
  EXPECT_EQ(error, "inflates to more than the 16 bytes it may hold");
  std::string raw = Words({1, 2, 3, 4});
  std::string zlib = Deflate(raw, 15);
  EXPECT_FALSE(DecodeTileData(Base64(zlib.substr(0, zlib.size() - 6)), "base64", "zlib", 4, &got, &error));
  EXPECT_EQ(error, "damaged compressed data");
  EXPECT_FALSE(DecodeTileData(Base64(Deflate(raw, 15)), "base64", "zlib", 5, &got, &error));
  EXPECT_EQ(error, "tile data holds 16 bytes for 5 cells (20 bytes)");
  EXPECT_FALSE(DecodeTileData(Base64(raw), "base64", "lzma", 4, &got, &error));
  EXPECT_EQ(error, "unknown compression 'lzma'");
  EXPECT_FALSE(DecodeTileData("1,2", "xml64", "", 2, &got, &error));
  EXPECT_EQ(error, "unknown encoding 'xml64'");
  EXPECT_FALSE(DecodeTileData("AB*D", "base64", "", 1, &got, &error));
  EXPECT_EQ(error, "not base64");
  EXPECT_FALSE(DecodeTileData("1,2,3", "csv", "", 2, &got, &error));
  EXPECT_EQ(error, "CSV tile data holds more values than the 2 cells");
  EXPECT_FALSE(DecodeTileData("1", "csv", "", 2, &got, &error));
  EXPECT_EQ(error, "CSV tile data holds 1 values for 2 cells");
  EXPECT_FALSE(DecodeTileData("4294967296", "csv", "", 1, &got, &error));
  EXPECT_EQ(error, "CSV tile data holds a value beyond 32 bits");
  EXPECT_FALSE(DecodeTileData("1,-2", "csv", "", 2, &got, &error));
  EXPECT_FALSE(DecodeTileData("", "csv", "", TiledMaxCells + 1, &got, &error));
}

// External tile sets for the in-memory maps below.
std::map<std::string, std::string> Files;
bool ReadFromFiles(const std::string& path, std::string* bytes, std::string* error) {
  auto it = Files.find(path);
  if (it == Files.end()) {
    *error = "'" + path + "' is missing";
    return false;
  }
  *bytes = it->second;
  return true;
}

TEST(TiledRead, TmxAndJsonReadAlike) {
  // An infinite map: two chunks, one left of and above the origin, in a
  // group that hides, fades, moves and slows what it holds; a tile set
  // beside the map in JSON.
  Files["maps/set.tsj"] =
      R"({"name": "s", "tilewidth": 16, "tileheight": 16, "margin": 1, "spacing": 2, "columns": 3,
          "image": "../art/s.png", "imagewidth": 52, "imageheight": 52,
          "properties": [{"name": "keepnumbers", "type": "bool", "value": false}],
          "tiles": [{"id": 4, "animation": [{"tileid": 2, "duration": 100}]}]})";
  std::string tmx = R"(<map orientation="orthogonal" width="4" height="4" tilewidth="16" tileheight="16" infinite="1">
 <tileset firstgid="1" source="set.tsj"/>
 <group name="g" visible="0" opacity="0.5" offsetx="3" parallaxx="0.5">
  <layer name="L" width="4" height="4" opacity="0.5" offsetx="2" parallaxx="0.5" parallaxy="2">
   <properties><property name="main" type="bool" value="true"/></properties>
   <data encoding="csv">
    <chunk x="-2" y="-1" width="2" height="1">1,2</chunk>
    <chunk x="1" y="1" width="1" height="2">3,2147483652</chunk>
   </data>
  </layer>
 </group>
 <objectgroup name="O"><object id="1" name="a" type="Walker" x="4" y="8"><polygon points="0,0 8,0 8,-4"/></object></objectgroup>
</map>)";
  std::string json = R"({"orientation": "orthogonal", "width": 4, "height": 4, "tilewidth": 16, "tileheight": 16,
   "infinite": true, "tilesets": [{"firstgid": 1, "source": "set.tsj"}],
   "layers": [{"type": "group", "name": "g", "visible": false, "opacity": 0.5, "offsetx": 3, "parallaxx": 0.5,
     "layers": [{"type": "tilelayer", "name": "L", "opacity": 0.5, "offsetx": 2, "parallaxx": 0.5, "parallaxy": 2,
       "properties": [{"name": "main", "type": "bool", "value": true}],
       "chunks": [{"x": -2, "y": -1, "width": 2, "height": 1, "data": [1, 2]},
                  {"x": 1, "y": 1, "width": 1, "height": 2, "data": [3, 2147483652]}]}]},
     {"type": "objectgroup", "name": "O", "objects": [{"id": 1, "name": "a", "type": "Walker", "x": 4, "y": 8,
       "polygon": [{"x": 0, "y": 0}, {"x": 8, "y": 0}, {"x": 8, "y": -4}]}]}]})";
  for (const std::string& text : {tmx, json}) {
    TiledMap map;
    std::string error;
    ASSERT_TRUE(ParseTiledMap("maps/m", text, ReadFromFiles, &map, &error)) << error;
    ASSERT_EQ(map.tileSets.size(), 1u);
    const TiledTileSet& set = map.tileSets[0];
    EXPECT_EQ(set.image, "maps/../art/s.png");
    EXPECT_EQ(set.margin, 1);
    EXPECT_EQ(set.spacing, 2);
    ASSERT_EQ(set.tiles.size(), 1u);
    EXPECT_EQ(set.tiles[0].firstFrame, 2);
    const TiledProperty* keep = FindTiledProperty(set.properties, "keepnumbers");
    ASSERT_NE(keep, nullptr);
    EXPECT_EQ(keep->value, "false");
    ASSERT_EQ(map.layers.size(), 2u);
    const TiledLayer& l = map.layers[0];
    EXPECT_EQ(l.kind, TiledTileLayer);
    EXPECT_EQ(l.visible, 0);
    EXPECT_EQ(l.opacity, 0.25);
    EXPECT_EQ(l.offsetX, 5);
    EXPECT_EQ(l.parallaxX, 0.25);
    EXPECT_EQ(l.parallaxY, 2);
    EXPECT_EQ(l.inGroup, 1);
    EXPECT_EQ(l.x, -2);
    EXPECT_EQ(l.y, -1);
    EXPECT_EQ(l.width, 4);
    EXPECT_EQ(l.height, 4);
    std::vector<uint32_t> expect(16, 0);
    expect[0] = 1, expect[1] = 2, expect[2 * 4 + 3] = 3, expect[3 * 4 + 3] = 0x80000004u;
    EXPECT_EQ(l.gids, expect);
    ASSERT_EQ(map.layers[1].objects.size(), 1u);
    const TiledObject& o = map.layers[1].objects[0];
    EXPECT_EQ(o.type, "Walker");
    EXPECT_EQ(o.closed, 1);
    ASSERT_EQ(o.points.size(), 3u);
    EXPECT_EQ(o.points[2].y, -4);
  }
}

TEST(TiledRead, DamagedMapsGiveMessages) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"<map", "m.tmx: not valid XML at byte"},
      {"<map width=\"-3\"/>", "m.tmx: width '-3' is not a whole number from 0 to 16777216"},
      {"<map width=\"2\" height=\"1\"><tileset firstgid=\"1\" source=\"nope.tsx\"/></map>",
       "m.tmx: tile set 'nope.tsx' is missing"},
      {"<map width=\"2\" height=\"1\"><layer name=\"A\"><data encoding=\"csv\">1</data></layer></map>",
       "m.tmx: layer 'A': CSV tile data holds 1 values for 2 cells"},
      {"<map width=\"4096\" height=\"4097\"><layer name=\"A\"><data/></layer></map>",
       "m.tmx: layer 'A': more than 16777216 cells"},
      {"{\"width\": 1, \"height\": 1, \"layers\": [{\"type\": \"tilelayer\", \"name\": \"B\", \"data\": [-1]}]}",
       "m.tmx: layer 'B': \"data\" holds a value that is not a tile id"},
      {"{\"layers\": [{\"type\": \"wall\"}]}", "m.tmx: layer '': unknown layer type 'wall'"},
      {"[1, 2", "m.tmx: neither TMX nor a JSON map"},
      {"\x1f\x8b\x08\x00", "m.tmx: damaged compressed data"},
  };
  for (const Case& c : cases) {
    TiledMap map;
    std::string error;
    EXPECT_FALSE(ParseTiledMap("m.tmx", c.text, ReadFromFiles, &map, &error)) << c.text;
    EXPECT_EQ(error.substr(0, strlen(c.message)), c.message) << c.text;
  }
}

// ---- Import. ----

class TiledImportTest : public ::testing::Test {
 protected:
  WorkFolder folder;
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(folder.Enter("tiled"));
    // Two 8 x 8 tiles side by side, every pixel its own colour: tile 0's
    // pixel (x, y) is (x * 16, y * 16, 7); tile 1 is half transparent at
    // the top, clear below and has one opaque magenta pixel.
    std::vector<uint8_t> rgba(16 * 8 * 4);
    for (int y = 0; y < 8; y++)
      for (int x = 0; x < 16; x++) {
        uint8_t* p = &rgba[(y * 16 + x) * 4];
        p[0] = static_cast<uint8_t>(x * 16), p[1] = static_cast<uint8_t>(y * 16), p[2] = 7, p[3] = 255;
        if (x >= 8) p[3] = y < 4 ? 128 : 0;
      }
    memcpy(&rgba[(0 * 16 + 15) * 4], "\xff\x00\xff\xff", 4);
    WritePng("tiles8.png", 16, 8, rgba);
    // The same twice the size, for maps of 16-pixel tiles.
    std::vector<uint8_t> twice(32 * 16 * 4);
    for (int y = 0; y < 16; y++)
      for (int x = 0; x < 32; x++) memcpy(&twice[(y * 32 + x) * 4], &rgba[((y / 2) * 16 + x / 2) * 4], 4);
    WritePng("tiles16.png", 32, 16, twice);
    // Four 8 x 8 tiles in two rows, tile k all of red k * 60.
    std::vector<uint8_t> four(16 * 16 * 4, 255);
    for (int y = 0; y < 16; y++)
      for (int x = 0; x < 16; x++) four[(y * 16 + x) * 4] = static_cast<uint8_t>((y / 8 * 2 + x / 8) * 60);
    WritePng("four.png", 16, 16, four);
  }
  static void WritePng(const char* path, int width, int height, const std::vector<uint8_t>& rgba) {
    ASSERT_TRUE(WriteRgbaPng(path, width, height, rgba)) << path;
  }
  void TearDown() override {
    folder.Leave();
  }
  // A 2 x 2 map of `tile`-pixel tiles whose tile set has tiles `setWidth`
  // wide (0: as the map's) in tiles8.png or tiles16.png (or `image`).
  static std::string Map(int tile, const std::string& layers, const char* orientation = "orthogonal", int setWidth = 0,
                         const char* image = nullptr) {
    std::string t = std::to_string(tile);
    std::string png = image != nullptr ? image : tile == 16 ? "tiles16.png" : "tiles8.png";
    return "<map orientation=\"" + std::string(orientation) + "\" width=\"2\" height=\"2\" tilewidth=\"" + t +
           "\" tileheight=\"" + t + "\"><tileset firstgid=\"1\" name=\"t\" tilewidth=\"" +
           std::to_string(setWidth ? setWidth : tile) + "\" tileheight=\"" + t + "\"><image source=\"" + png +
           "\"/></tileset>" + layers + "</map>";
  }
  // A 2 x 2 map of 8-pixel tiles: tile set `name` (four.png, gids 1-4 and
  // up to 69999 past its tiles) keeps its numbers, tile set "u" (tiles8.png,
  // gids 70000-70001) does not.
  static std::string KeptMap(const std::string& layers, const char* name = "k") {
    return "<map orientation=\"orthogonal\" width=\"2\" height=\"2\" tilewidth=\"8\" tileheight=\"8\">"
           "<tileset firstgid=\"1\" name=\"" +
           std::string(name) +
           "\" tilewidth=\"8\" tileheight=\"8\"><properties><property name=\"keepnumbers\" type=\"bool\" "
           "value=\"true\"/></properties><image source=\"four.png\"/></tileset>"
           "<tileset firstgid=\"70000\" name=\"u\" tilewidth=\"8\" tileheight=\"8\"><image source=\"tiles8.png\"/>"
           "</tileset>" +
           layers + "</map>";
  }
  static std::string Layer(const char* name, const char* csv, const char* extra = "") {
    return std::string("<layer name=\"") + name + "\" width=\"2\" height=\"2\" " + extra + "><data encoding=\"csv\">" +
           csv + "</data></layer>";
  }
  bool Import(const std::string& text, TiledImport* out, std::string* error) {
    WriteWholeFile("m.tmx", text);
    TiledMap map;
    return ReadTiledMap("m.tmx", &map, error) && ImportTiledMap(map, "m", out, error);
  }
  // Pixel (x, y) of cell `cell` of a GFX tile set as the import writes it.
  static const uint8_t* CellPixel(const std::vector<uint8_t>& gfx, int cell, int x, int y) {
    int width = gfx[12] | (gfx[13] << 8);
    int cx = (cell % (width / 32)) * 32, cy = (cell / (width / 32)) * 32;
    return &gfx[52 + ((cy + y) * width + cx + x) * 3];
  }
};

TEST_F(TiledImportTest, FlipsBecomePreparedCopiesScaledUp) {
  // 8-pixel tiles, scaled up 4 times; tile 1 as it is, flipped across,
  // rotated (diagonal + across), and flipped both ways.
  TiledImport out;
  std::string error;
  ASSERT_TRUE(Import(Map(8, Layer("L", "1,2147483649,2684354561,3221225473")), &out, &error)) << error;
  EXPECT_EQ(out.scale, 4);
  ASSERT_EQ(out.map.layers.size(), 1u);
  const MapLayerDescription& l = out.map.layers[0];
  EXPECT_EQ(l.image, "TileSets/m-1.gfx");
  EXPECT_EQ(l.tiles, (std::vector<uint16_t>{1, 2, 3, 4}));
  const std::vector<uint8_t>& gfx = out.tileSets[0].bytes;
  // The source pixel (sx, sy) of tile 0, scaled: (sx * 16, sy * 16, 7).
  auto source = [&](int cell, int x, int y, int sx, int sy) {
    const uint8_t* p = CellPixel(gfx, cell, x, y);
    EXPECT_EQ(p[0], sx * 16) << "cell " << cell << " at " << x << "," << y;
    EXPECT_EQ(p[1], sy * 16) << "cell " << cell << " at " << x << "," << y;
  };
  for (int y = 0; y < 32; y += 5)
    for (int x = 0; x < 32; x += 3) {
      source(1, x, y, x / 4, y / 4);
      source(2, x, y, 7 - x / 4, y / 4);
      // Diagonal first, then across: a quarter turn clockwise.
      source(3, x, y, y / 4, 7 - x / 4);
      source(4, x, y, 7 - x / 4, 7 - y / 4);
    }
}

TEST_F(TiledImportTest, TransparencyMainLayerAndObjects) {
  std::string objects =
      "<objectgroup name=\"O\" offsetx=\"1\"><object name=\"w\" type=\"Walker\" x=\"2\" y=\"3\" width=\"4\">"
      "<properties><property name=\"param\" type=\"int\" value=\"9\"/><property name=\"real1\" value=\"0.5\"/>"
      "<property name=\"int2\" value=\"-3\"/><property name=\"colour\" value=\"red\"/></properties>"
      "<polyline points=\"0,0 4,-1\"/></object></objectgroup>";
  TiledImport out;
  std::string error;
  ASSERT_TRUE(
      Import(Map(16, Layer("Back", "2,0,0,0", "opacity=\"0.5\"") + Layer("Top", "0,0,0,1") + objects), &out, &error))
      << error;
  // Pixels at least half opaque are drawn, the others keyed (magenta).
  const std::vector<uint8_t>& gfx = out.tileSets[0].bytes;
  EXPECT_EQ(memcmp(CellPixel(gfx, 1, 0, 0), "\x80\x00\x07", 3), 0);
  EXPECT_EQ(memcmp(CellPixel(gfx, 1, 0, 31), "\xff\x00\xff", 3), 0);
  // Both layers are as large: the last is the main one, under its own name.
  EXPECT_EQ(out.map.layers[1].name, "Top");
  EXPECT_EQ(out.map.selectedLayer, 1);
  ASSERT_EQ(out.map.objects.size(), 1u);
  const MapObjectDescription& o = out.map.objects[0];
  EXPECT_EQ(o.type, "Walker");
  EXPECT_EQ(o.x, 6);  // (2 + 1) x 2
  EXPECT_EQ(o.y, 6);
  ASSERT_EQ(o.points.size(), 2u);
  EXPECT_EQ(o.points[1].x, 14);
  EXPECT_EQ(o.points[1].y, 4);
  EXPECT_EQ(o.param, 9u);
  EXPECT_EQ(o.reals[1], 0.5f);
  EXPECT_EQ(o.ints[2], -3);
  EXPECT_EQ(o.flags, (1u << 2) | (16u << 1));
  EXPECT_EQ(o.y2, 1) << "drawn at scale 0";
  std::string notes;
  for (const std::string& n : out.notes) notes += n + "\n";
  EXPECT_NE(notes.find("16 pixel tiles scaled up 2 times to 32\n"), std::string::npos) << notes;
  EXPECT_NE(notes.find("layer 'Back': opacity 0.5 dropped, drawn opaque\n"), std::string::npos) << notes;
  EXPECT_NE(notes.find("object 'w' (Walker) of layer 'O': property 'colour' dropped\n"), std::string::npos) << notes;
  EXPECT_NE(notes.find("object 'w' (Walker) of layer 'O': size dropped\n"), std::string::npos) << notes;
  EXPECT_NE(notes.find("496 partly transparent pixels of the imported tile sets made opaque"), std::string::npos)
      << notes;
  EXPECT_NE(notes.find("16 opaque magenta pixels of the imported tile sets will be transparent"), std::string::npos)
      << notes;

  // A layer marked main takes the name the program looks for.
  ASSERT_TRUE(Import(Map(16, Layer("Back", "1,0,0,0",
                                   "><properties><property name=\"main\" type=\"bool\" value=\"true\"/></properties") +
                                 Layer("Main", "1,1,1,1")),
                     &out, &error))
      << error;
  EXPECT_EQ(out.map.layers[0].name, "Main");
  EXPECT_EQ(out.map.layers[1].name, "Main (not main)");
  EXPECT_EQ(out.map.selectedLayer, 0);
}

TEST_F(TiledImportTest, RefusalsWriteNothing) {
  struct Case {
    std::string text;
    const char* message;
  } cases[] = {
      {Map(24, ""),
       "m.tmx: tiles of 24 x 24 pixels cannot be imported: Zorta's tiles are 32 x 32 pixels; maps of 32, "
       "16 or 8 pixel square tiles import (16 and 8 scaled up 2 and 4 times)"},
      {Map(8, "", "staggered"), "m.tmx: staggered maps cannot be imported, only orthogonal ones"},
      {Map(16, Layer("L", "3,0,0,0")), "m.tmx: layer 'L': tile 3 is beyond the 2 tiles of image 'tiles16.png'"},
      {Map(8, Layer("L", "0,0,0,0"), "orthogonal", 0, "gone.png"), "m.tmx: image 'gone.png' is missing"},
      {Map(16, Layer("L", "1,0,0,0"), "orthogonal", 9),
       "m.tmx: layer 'L': tile 1: tile set 't' has 9 x 16 tiles in a map of 16 x 16 tiles"},
      {KeptMap(Layer("L", "2,0,0,70000")),
       "m.tmx: layer 'L': the tile at column 1, row 1 is not from tile set 'k', and tile set 'k' keeps its tile "
       "numbers (a layer draws from it alone)"},
      {KeptMap(Layer("L", "70001,2,0,0")),
       "m.tmx: layer 'L': the tile at column 0, row 0 is not from tile set 'k', and tile set 'k' keeps its tile "
       "numbers (a layer draws from it alone)"},
      {KeptMap(Layer("L", "0,2147483650,0,0")),
       "m.tmx: layer 'L': the tile at column 1, row 0 is flipped or rotated, and tile set 'k' keeps its tile numbers "
       "(a flipped copy has no number)"},
      {KeptMap(Layer("L", "0,0,1,0")),
       "m.tmx: layer 'L': the tile at column 0, row 1 is tile 0, and tile set 'k' keeps its tile numbers: 0 is the "
       "empty cell"},
      {KeptMap(Layer("L", "0,0,65538,0")),
       "m.tmx: layer 'L': the tile at column 0, row 1 is tile 65537, and tile set 'k' keeps its tile numbers: a cell "
       "holds at most 65535"},
      {KeptMap(Layer("A", "70000,0,0,0") + Layer("B", "2,0,0,0"), "m-1"),
       "m.tmx: the tiles of layer 'A' and tile set 'm-1' would both be 'TileSets/m-1.gfx' (rename the tile set)"},
      {KeptMap(Layer("L", "2,0,0,0"), "../k"),
       "m.tmx: tile set '../k' keeps its tile numbers, and its name cannot name a file"},
  };
  for (const Case& c : cases) {
    WriteWholeFile("m.tmx", c.text);
    FILE* out = fopen("out.txt", "wb");
    FILE* err = fopen("err.txt", "wb");
    EXPECT_EQ(MapImportCommand("m.tmx", "data", out, err), 1) << c.text;
    fclose(out);
    fclose(err);
    EXPECT_EQ(ReadWholeFile("err.txt"), std::string("zorta-tool map import: ") + c.message + "\n") << c.text;
    struct stat st;
    EXPECT_NE(stat("data", &st), 0) << "written for " << c.text;
  }
}

TEST_F(TiledImportTest, KeptNumbersShareTheirTileSet) {
  // Two layers keep tile set k's numbers and share its one tile set, whole
  // and in its own columns; a layer of tile set u is renumbered as before.
  // Ids past k's four tiles stay as values, and are listed.
  TiledImport out;
  std::string error;
  ASSERT_TRUE(Import(KeptMap(Layer("A", "4,0,10,2") + Layer("B", "70000,0,0,0") + Layer("C", "0,3,10,10")), &out,
                     &error))
      << error;
  ASSERT_EQ(out.map.layers.size(), 3u);
  EXPECT_EQ(out.map.layers[0].tiles, (std::vector<uint16_t>{3, 0, 9, 1}));
  EXPECT_EQ(out.map.layers[0].image, "TileSets/k.gfx");
  EXPECT_EQ(out.map.layers[1].tiles, (std::vector<uint16_t>{1, 0, 0, 0}));
  EXPECT_EQ(out.map.layers[1].image, "TileSets/m-2.gfx");
  EXPECT_EQ(out.map.layers[2].tiles, (std::vector<uint16_t>{0, 2, 9, 9}));
  EXPECT_EQ(out.map.layers[2].image, "TileSets/k.gfx");
  ASSERT_EQ(out.tileSets.size(), 2u);
  EXPECT_EQ(out.tileSets[0].path, "TileSets/k.gfx");
  const std::vector<uint8_t>& gfx = out.tileSets[0].bytes;
  EXPECT_EQ(gfx[12], 64);  // two columns of tiles scaled up 4 times
  EXPECT_EQ(gfx[16], 64);
  for (int cell = 0; cell < 4; cell++) EXPECT_EQ(CellPixel(gfx, cell, 31, 31)[0], cell * 60) << "cell " << cell;
  EXPECT_EQ(out.notes, (std::vector<std::string>{
                           "8 pixel tiles scaled up 4 times to 32",
                           "layer 'A': tile 9 in 1 cell is past the 4 tiles of tile set 'k': kept as the value, "
                           "never drawn",
                           "layer 'C': tile 9 in 2 cells is past the 4 tiles of tile set 'k': kept as the value, "
                           "never drawn",
                       }));
}

// A map's files are put in place all together or not at all: an output that
// cannot be written keeps every earlier file as it was.
TEST_F(TiledImportTest, AllFilesOrNone) {
  WriteWholeFile("m.tmx", Map(8, Layer("A", "1,0,0,0") + Layer("B", "2,0,0,0")));
  ASSERT_EQ(mkdir("data", 0777), 0);
  ASSERT_EQ(mkdir("data/TileSets", 0777), 0);
  WriteWholeFile("data/TileSets/m-1.gfx", "old");
  ASSERT_EQ(mkdir("data/TileSets/m-2.gfx", 0777), 0);
  WriteWholeFile("data/TileSets/m-2.gfx/x", "");
  FILE* out = fopen("out.txt", "wb");
  FILE* err = fopen("err.txt", "wb");
  EXPECT_EQ(MapImportCommand("m.tmx", "data", out, err), 1);
  fclose(out);
  fclose(err);
  EXPECT_EQ(ReadWholeFile("err.txt"), "zorta-tool map import: 'data/TileSets/m-2.gfx' is there and is not a file\n");
  EXPECT_TRUE(ReadWholeFile("data/TileSets/m-1.gfx") == "old") << "the earlier tile set was replaced";
  struct stat st;
  EXPECT_NE(stat("data/Maps/m.map", &st), 0);
  // Once the way is clear, everything arrives and nothing is left behind.
  ASSERT_EQ(unlink("data/TileSets/m-2.gfx/x"), 0);
  ASSERT_EQ(rmdir("data/TileSets/m-2.gfx"), 0);
  out = fopen("out.txt", "wb");
  EXPECT_EQ(MapImportCommand("m.tmx", "data", out, stderr), 0);
  fclose(out);
  EXPECT_EQ(ReadWholeFile("out.txt").substr(0, 33), "data/Maps/m.map: 2 layers, 0 obje");
  EXPECT_NE(ReadWholeFile("data/TileSets/m-1.gfx"), "old");
  EXPECT_EQ(stat("data/TileSets/m-2.gfx", &st), 0);
  EXPECT_EQ(stat(("data/.import-" + std::to_string(getpid())).c_str(), &st), -1);
}

TEST_F(TiledImportTest, NoInputIsWrittenOver) {
  // The tile set's picture kept where the import would put the layer's tile
  // set: refused, the picture whole.
  ASSERT_EQ(mkdir("data", 0777), 0);
  ASSERT_EQ(mkdir("data/TileSets", 0777), 0);
  std::string picture = ReadWholeFile("tiles8.png");
  WriteWholeFile("data/TileSets/m-1.gfx", picture);
  WriteWholeFile("m.tmx", Map(8, Layer("A", "1,0,0,0"), "orthogonal", 0, "data/TileSets/m-1.gfx"));
  FILE* out = fopen("out.txt", "wb");
  FILE* err = fopen("err.txt", "wb");
  EXPECT_EQ(MapImportCommand("m.tmx", "data", out, err), 1);
  fclose(out);
  fclose(err);
  EXPECT_EQ(ReadWholeFile("err.txt"),
            "zorta-tool map import: will not write over the input 'data/TileSets/m-1.gfx' (give another output)\n");
  EXPECT_TRUE(ReadWholeFile("data/TileSets/m-1.gfx") == picture) << "the picture was written over";
  struct stat st;
  EXPECT_NE(stat("data/Maps/m.map", &st), 0);
}

}  // namespace
