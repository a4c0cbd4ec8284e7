// zorta-tool map build, info and tiles run as separate processes, their files
// loaded by the program's own code; and the example map shipped beside the
// program.
#include "world_test_support.h"

using namespace zorta;

namespace {

std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  *status = pclose(p);
  return out;
}

class MapTool : public WorldTest {
 protected:
  std::string tool;
  void SetUp() override {
    WorldTest::SetUp();
    tool = BuildDir() + "/zorta-tool";
    if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "zorta-tool is not built at " << tool;
  }
};

TEST_F(MapTool, BuiltMapsLoadAndDescribeThemselves) {
  FILE* f = fopen("spec.json", "w");
  fputs(R"({"version": 0, "layers": [
      {"name": "Main", "width": 3, "height": 2, "tiles": [[1, 2, 3], [0, 0, 7]], "parallax": [0.5, 1], "wrap": [1, 0]},
      {"name": "Main", "width": 2, "height": 1, "fill": 4, "enabled": 0}],
    "objectVersion": 1,
    "objects": [{"x": 1.5, "y": -2, "type": "T\u00e9", "points": [[1, 2], [3, 4]], "closed": 1, "spawnId": -1,
                 "flags": 24, "ints": [null, null, null, 44], "reals": [2.5]}],
    "selectedObject": 1, "selectedPoint": 1})",
        f);
  fclose(f);
  int status = 0;
  RunCommand(tool + " map build spec.json Maps-x.map 2>&1", &status);
  ASSERT_EQ(status, 0);
  mkdir("Maps", 0755);
  ASSERT_EQ(rename("Maps-x.map", "Maps/x.map"), 0);
  LoadMap("x.map");
  ASSERT_EQ(LayerList.count, 2);
  EXPECT_EQ(LayerList.current, 0);  // version 0: no selected-layer field
  EXPECT_STREQ(LayerList.items[1].name, "Main1");
  MapLayer* main = LayerAt(0);
  EXPECT_EQ(main->tiles[5], 7);
  EXPECT_FLOAT_EQ(main->parallaxX, 0.5f);
  EXPECT_EQ(main->wrapX, 1u);
  EXPECT_EQ(LayerAt(1)->tiles[1], 4);
  EXPECT_EQ(LayerAt(1)->enabled, 0u);
  ASSERT_EQ(MapObjectTable.count, 1);
  MapObject& o = MapObjectTable.entries[0];
  EXPECT_EQ(o.ints[3], 44);
  EXPECT_FLOAT_EQ(o.reals[0], 2.5f);
  EXPECT_EQ(o.closed, 1u);
  EXPECT_EQ(SelectedMapObject, &o);
  EXPECT_EQ(SelectedMapObject->selectedPoint, &o.points[1]);
  std::string info = RunCommand(tool + " map info Maps/x.map", &status);
  ASSERT_EQ(status, 0);
  EXPECT_NE(info.find("\"version\": 0,"), std::string::npos) << info;
  EXPECT_NE(info.find("\"tiles\": {\"cells\": 6, \"empty\": 2, \"distinct\": 5, \"highest\": 7}"), std::string::npos)
      << info;
  EXPECT_NE(info.find("\"type\": \"T\u00e9\""), std::string::npos) << info;  // UTF-8 kept as it is
  EXPECT_NE(info.find("\"flags\": 24,"), std::string::npos) << info;
  EXPECT_NE(info.find("\"ints\": [null, null, null, 44],"), std::string::npos) << info;
  EXPECT_NE(info.find("\"reals\": [2.5, null, null, null]"), std::string::npos) << info;
  EXPECT_NE(info.find("\"complete\": true"), std::string::npos);
  // A cut file is described as far as it goes.
  Bytes whole = ReadFile("Maps/x.map");
  WriteBytes("cut.map", Bytes(whole.begin(), whole.begin() + 60));
  info = RunCommand(tool + " map info cut.map", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(info.find("\"complete\": false"), std::string::npos) << info;
  EXPECT_EQ(info.find("\"name\": \"Main\""), std::string::npos) << info;
  // Bad descriptions and files are refused with a message, and nothing is written.
  WriteBytes("bad.json", Bytes{'{', '"', 'l', 'a', 'y', 'e', 'r', 's', '"', ':', ' ', '[', '{', '"', 't', 'i', 'l',
                               'e', 's', '"', ':', '[', '1', ']', ',', '"', 'w', 'i', 'd', 't', 'h', '"', ':', '2',
                               ',', '"', 'h', 'e', 'i', 'g', 'h', 't', '"', ':', '1', '}', ']', '}'});
  std::string err = RunCommand(tool + " map build bad.json bad.map 2>&1", &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(err.find("width x height"), std::string::npos) << err;
  EXPECT_NE(access("bad.map", F_OK), 0);
  err = RunCommand(tool + " map info spec.json 2>&1", &status);
  EXPECT_NE(status, 0);
  EXPECT_NE(err.find("not a map file"), std::string::npos) << err;
}

TEST_F(MapTool, TileSetsFromImageMagickPictures) {
  if (system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
  ASSERT_EQ(system("convert -size 64x32 xc:'#204060' -fill magenta -draw 'rectangle 32,0 40,31' "
                   "-type TrueColor BMP3:tiles.bmp"),
            0);
  int status = 0;
  RunCommand(tool + " map tiles tiles.bmp tiles.gfx 2>&1", &status);
  ASSERT_EQ(status, 0);
  Image* image = LoadImage("tiles.gfx", 0);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->cellCount, 2);
  EXPECT_EQ(image->cells[0].kind, 2);
  EXPECT_EQ(image->cells[1].kind, 1);  // holds magenta: keyed
  EXPECT_EQ(image->cells[1].x, 32);
  EXPECT_EQ(image->pixels[0], 0x20);
  std::string err = RunCommand(tool + " map tiles spec.json x.gfx 2>&1", &status);
  EXPECT_NE(status, 0);
}

TEST_F(MapTool, TheShippedExampleMapLoadsAndRuns) {
  std::string run = BuildDir() + "/run";
  if (access((run + "/Maps").c_str(), F_OK) != 0) GTEST_SKIP() << "no run folder";
  ASSERT_EQ(system(("cp -r '" + run + "/Maps' '" + run + "/TileSets' .").c_str()), 0);
  StartDisplay();
  ListFolder(&MapList, "Maps/*.*", 0, 0);
  ListFolder(&TileSetList, "TileSets/*.*", 0, 0);
  ASSERT_GE(MapList.count, 1);
  LoadFirstMap();
  ASSERT_EQ(LayerList.count, 3);
  ASSERT_NE(MainLayer, nullptr);
  EXPECT_STREQ(LayerList.items[1].name, "Main");
  ASSERT_NE(MainLayer->image, nullptr);
  EXPECT_EQ(MainLayer->image->cellCount, 8);
  EXPECT_EQ(MapObjectTable.count, 2);
  DrawWorld();
  // The bottom rows of the main layer are ground (tile 1).
  EXPECT_NE(Pixel(5, 470), 0u);
}

}  // namespace
