// zorta-tool's maps as JSON: `map info` says what the program will load, in
// output every JSON parser reads, and `map build` refuses every description
// that is not well formed, writing nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "map_json.h"
#include "test_util.h"
#include "world/map_codec.h"

using namespace zorta;

namespace {

class MapJson : public ::testing::Test {
 protected:
  WorkFolder folder;
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(folder.Enter("mapjson")); }
  void TearDown() override { folder.Leave(); }

  // `map info` of the file: its exit code, output and messages.
  int Info(const std::string& path, std::string* out, std::string* err = nullptr) {
    FILE* o = fopen("info.out", "wb");
    FILE* e = fopen("info.err", "wb");
    int rc = MapInfoJson(path.c_str(), o, e);
    fclose(o);
    fclose(e);
    *out = ReadWholeFile("info.out");
    if (err != nullptr) *err = ReadWholeFile("info.err");
    return rc;
  }
  int Build(const std::string& json, const std::string& outPath, std::string* err) {
    WriteWholeFile("in.json", json);
    FILE* e = fopen("build.err", "wb");
    int rc = MapBuildFromJson("in.json", outPath.c_str(), e);
    fclose(e);
    *err = ReadWholeFile("build.err");
    return rc;
  }
  // The text parses for Python's json module too.
  bool PythonReads(const std::string& text) {
    WriteWholeFile("check.json", text);
    return system("python3 -m json.tool check.json >/dev/null 2>&1") == 0;
  }
  // The library refuses a lone "\udcXX"; for looking at the rest, such
  // escapes are read as "\u00XX".
  nlohmann::json Parsed(std::string text) {
    for (size_t at = text.find("\\udc"); at != std::string::npos; at = text.find("\\udc", at)) text.replace(at, 4, "\\u00");
    nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    EXPECT_FALSE(j.is_discarded()) << text;
    return j;
  }
};

void WriteMapFile(const std::string& path, const MapDescription& m) {
  std::vector<uint8_t> b = EncodeMap(m);
  WriteBytes(path, Bytes(b.begin(), b.end()));
}

MapLayerDescription Layer(const std::string& name, const std::string& image = "", int32_t w = 1, int32_t h = 1) {
  MapLayerDescription l;
  l.name = name;
  l.image = image;
  l.width = w, l.height = h;
  if (w > 0 && h > 0) l.tiles.assign(static_cast<size_t>(w) * h, 1);
  return l;
}

TEST_F(MapJson, InfoOfLongAndNonAsciiNamesIsJsonEveryParserReads) {
  MapDescription m;
  m.layers = {Layer(std::string(255, 'N'), std::string(255, 'I')), Layer(std::string(255, 'A')),
              Layer("\xe5\xb1\xb1\xe5\xb7\x9d\xe6\xb5\xb7\xe7\xa9\xba\xe6\x98\x9f\xe6\x9c\x88\xe9\x9b\xb2"
                    "\xe9\x9b\xa8\xe9\x9b\xaa\xe9\xa2\xa8\xe6\x9e\x97\xe6\xa3\xae\xe7\x94\xb0\xe7\x95\x91\xe9\x81\x93",
                    "\xc3\xa9t\xc3\xa9.bmp"),
              Layer("bad\xff\xfe" "end\x01", "\xed\xa0\x80")};  // not UTF-8, a control byte, an encoded surrogate
  MapObjectDescription o;
  o.type = "T\xe9";  // Latin-1, not UTF-8
  m.objects = {o};
  WriteMapFile("names.map", m);
  std::string out;
  ASSERT_EQ(Info("names.map", &out), 0);
  EXPECT_TRUE(PythonReads(out)) << out;
  nlohmann::json j = Parsed(out);
  ASSERT_EQ(j["layers"].size(), 4u);
  EXPECT_EQ(j["layers"][0]["name"], std::string(255, 'N'));
  EXPECT_EQ(j["layers"][0]["image"], std::string(255, 'I'));
  EXPECT_EQ(j["layers"][2]["name"].get<std::string>(), m.layers[2].name);  // UTF-8 stays UTF-8
  EXPECT_EQ(j["layers"][2]["image"].get<std::string>(), m.layers[2].image);
  EXPECT_NE(out.find("\xc3\xa9t\xc3\xa9.bmp"), std::string::npos);
  // Bytes that are not UTF-8 are written U+DC00 + byte.
  EXPECT_NE(out.find("\"bad\\udcff\\udcfeend\\u0001\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"\\udced\\udca0\\udc80\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"T\\udce9\""), std::string::npos) << out;
  EXPECT_EQ(j["complete"], true);
}

TEST_F(MapJson, InfoGivesTheNamesTheProgramUsesBesideTheFilesOwn) {
  MapDescription m;
  m.layers = {Layer(std::string(300, 'L'), std::string(256, 'i')), Layer(std::string(256, 'L')), Layer("main"),
              Layer("Main")};
  WriteMapFile("long.map", m);
  std::string out;
  ASSERT_EQ(Info("long.map", &out), 0);
  EXPECT_TRUE(PythonReads(out));
  nlohmann::json j = Parsed(out);
  ASSERT_EQ(j["layers"].size(), 4u);
  EXPECT_EQ(j["layers"][0]["name"], std::string(255, 'L'));
  EXPECT_EQ(j["layers"][0]["fileName"], std::string(300, 'L'));
  EXPECT_EQ(j["layers"][0]["image"], std::string(255, 'i'));
  EXPECT_EQ(j["layers"][0]["fileImage"], std::string(256, 'i'));
  EXPECT_EQ(j["layers"][1]["name"], std::string(255, 'L') + "1");
  EXPECT_EQ(j["layers"][1]["fileName"], std::string(256, 'L'));
  EXPECT_FALSE(j["layers"][2].contains("fileName"));
  EXPECT_EQ(j["layers"][3]["name"], "Main1");
  EXPECT_EQ(j["layers"][3]["fileName"], "Main");
}

TEST_F(MapJson, InfoSaysWhereAndWhyTheProgramStops) {
  // A zero-area layer is complete and the program goes on past it.
  MapDescription m;
  m.layers = {Layer("Wide", "", 100000000, 0), Layer("B", "", 2, 2)};
  MapObjectDescription a, b;
  a.type = "A";
  m.objects = {a, b};
  m.selectedObject = 1;
  WriteMapFile("z.map", m);
  std::string out;
  ASSERT_EQ(Info("z.map", &out), 0);
  nlohmann::json j = Parsed(out);
  EXPECT_EQ(j["layers"].size(), 2u);
  EXPECT_EQ(j["layers"][0]["tiles"]["cells"], 0);
  EXPECT_EQ(j["objects"].size(), 2u);
  EXPECT_EQ(j["complete"], true);
  EXPECT_EQ(j["selectedObject"], 1);
  // Cut 20 bytes into the second entry: one entry, no selection, the offset
  // of the entry that is dropped.
  std::vector<uint8_t> bytes = EncodeMap(m);
  MapDescription at;
  ASSERT_EQ(DecodeMap(bytes.data(), bytes.size(), &at), -1);
  WriteBytes("cut.map", Bytes(bytes.begin(), bytes.begin() + static_cast<long>(at.objectEnds[0] + 20)));
  ASSERT_EQ(Info("cut.map", &out), 0);
  EXPECT_TRUE(PythonReads(out));
  j = Parsed(out);
  EXPECT_EQ(j["complete"], false);
  EXPECT_EQ(j["objects"].size(), 1u);
  EXPECT_EQ(j["objectCount"], 2);
  EXPECT_TRUE(j["selectedObject"].is_null());
  EXPECT_EQ(j["offset"], at.objectEnds[0]);
  EXPECT_EQ(j["reason"], "the file ends inside an object entry");
  // Not a map, or no file: a message and exit 1.
  WriteWholeFile("text.map", "hello, world");
  std::string err;
  EXPECT_EQ(Info("text.map", &out, &err), 1);
  EXPECT_NE(err.find("not a map file"), std::string::npos) << err;
  EXPECT_EQ(Info("missing.map", &out, &err), 1);
  EXPECT_NE(err.find("cannot open 'missing.map'"), std::string::npos) << err;
}

TEST_F(MapJson, BuildRefusesWhatIsNotAWellFormedDescription) {
  struct Case {
    const char* json;
    const char* where;
  } cases[] = {
      {R"({"layers": [{"width": 3, "height": 2, "tiles": [[1, 2, 3], [4, 5]]}]})", "/layers/0/tiles/1"},
      {R"({"layers": [{"width": 2, "height": 1, "tiles": [1]}]})", "/layers/0/tiles"},
      {R"({"layers": {"name": "Main"}})", "/layers"},
      {R"({"objects": [{"x": "12", "y": 3}]})", "/objects/0/x"},
      {R"({"objects": [{"points": [[1, "2"]]}]})", "/objects/0/points/0/1"},
      {R"({"objects": [{"ints": ["4"]}]})", "/objects/0/ints/0"},
      {R"({"layers": [{"name": "Main", "colour": 3}]})", "/layers/0/colour"},
      {R"({"verison": 1})", "/verison"},
      {R"({"layers": [{"name": 7}]})", "/layers/0/name"},
      {R"({"layers": [{"name": "a\u0000b"}]})", "/layers/0/name"},
      {R"({"layers": [{"width": 2, "height": 1, "tiles": [1, 70000]}]})", "/layers/0/tiles/1"},
      {R"({"selectedObject": 2147483648})", "/selectedObject"},
      {R"({"objects": [{"x": 1e300}]})", "/objects/0/x"},
      {R"([1, 2])", "/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    std::string err;
    EXPECT_EQ(Build(c.json, "out.map", &err), 1);
    EXPECT_NE(err.find("in.json: " + std::string(c.where) + ": "), std::string::npos) << err;
    EXPECT_NE(access("out.map", F_OK), 0);
  }
  // Not JSON at all, or text after it.
  for (const char* json : {R"({"layers": []} trailing)", R"({"layers": [})", R"({"layers": []}{})"}) {
    SCOPED_TRACE(json);
    std::string err;
    EXPECT_EQ(Build(json, "out.map", &err), 1);
    EXPECT_NE(err.find("in.json: not valid JSON"), std::string::npos) << err;
    EXPECT_NE(access("out.map", F_OK), 0);
  }
}

// What the parser finds is said in the tool's words, with line and column in
// the file as written; a key given twice and a map too large for memory are
// refused like any other fault, before anything is made or written.
TEST_F(MapJson, BuildNamesEveryFaultBeforeWritingAnything) {
  struct Case {
    const char* json;
    const char* message;
  } cases[] = {
      {"{\"layers\": [\n  {\"name\": \"a\",}\n]}", "in.json: not valid JSON at line 2, column 16: "},
      {R"({"layers": [{"name": "\udce9", x)", "in.json: not valid JSON at line 1, column 32: "},
      {R"({"layers": [{"name": "a", "name": "b"}]})", "in.json: /layers/0/name: is given more than once"},
      {R"({"version": 1, "objects": [], "version": 2})", "in.json: /version: is given more than once"},
      {R"({"objects": [{}, {"points": [[1, 2]], "x": 1, "x": 2}]})", "in.json: /objects/1/x: is given more than once"},
      {R"({"layers": [{"width": 8192, "height": 8192, "fill": 1}, {"width": 8192, "height": 1, "fill": 1}]})",
       "in.json: /layers/1: the map is too large (more than 67108864 cells in all its layers)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    std::string err;
    EXPECT_EQ(Build(c.json, "out.map", &err), 1);
    EXPECT_EQ(err.rfind(std::string("zorta-tool map build: ") + c.message, 0), 0u) << err;
    EXPECT_EQ(err.find("json.exception"), std::string::npos) << err;
    EXPECT_NE(access("out.map", F_OK), 0);
  }
  // Written over itself, under its own name or another: refused, untouched.
  const char* json = R"({"layers": [{"name": "Main", "width": 1, "height": 1, "tiles": [5]}]})";
  ASSERT_EQ(symlink("in.json", "same.json"), 0);
  for (const char* out : {"in.json", "./in.json", "same.json"}) {
    SCOPED_TRACE(out);
    std::string err;
    EXPECT_EQ(Build(json, out, &err), 1);
    EXPECT_EQ(err, "zorta-tool map build: will not write over the input 'in.json' (give another output)\n");
    EXPECT_EQ(ReadWholeFile("in.json"), json);
  }
  std::string out, err;
  EXPECT_EQ(Info("missing.map", &out, &err), 1);
  EXPECT_EQ(err.rfind("zorta-tool map info: cannot open 'missing.map'", 0), 0u) << err;
}

TEST_F(MapJson, BytesRoundTripThroughInfoAndBuild) {
  std::string err;
  ASSERT_EQ(Build(R"({"version": 2, "selectedLayer": 1,
      "layers": [{"name": "x\udcff\u00e9\ue000\ud83d\ude00", "width": 2, "height": 1, "tiles": [7, 8],
                  "wrap": [true, 0], "parallax": [0.5, 1]}],
      "objectVersion": 1,
      "objects": [{"x": 0.1, "type": "\udce9", "flags": 24, "ints": [null, null, null, 44], "reals": [2.5]}],
      "selectedObject": 0})",
                  "rt.map", &err),
            0)
      << err;
  Bytes b = ReadFile("rt.map");
  MapDescription m;
  ASSERT_EQ(DecodeMap(b.data(), b.size(), &m), -1);
  ASSERT_EQ(m.layers.size(), 1u);
  EXPECT_EQ(m.layers[0].name, "x\xff\xc3\xa9\xee\x80\x80\xf0\x9f\x98\x80");
  EXPECT_EQ(m.layers[0].wrapX, 1u);
  EXPECT_EQ(m.objects[0].type, "\xe9");
  EXPECT_EQ(m.objects[0].x2, 0.0f);  // object version 1 has no second pair
  EXPECT_EQ(m.objects[0].flags, 24u);
  EXPECT_EQ(m.objects[0].ints[3], 44);
  EXPECT_EQ(m.objects[0].reals[0], 2.5f);  // flags 0x18: int 4 and real 1
  std::string out;
  ASSERT_EQ(Info("rt.map", &out), 0);
  EXPECT_TRUE(PythonReads(out));
  EXPECT_NE(out.find("\"x\\udcff\xc3\xa9\xee\x80\x80\xf0\x9f\x98\x80\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"x\": 0.1,"), std::string::npos) << out;
}

TEST_F(MapJson, TheExampleDescriptionBuildsTheShippedMap) {
  std::string source = ZORTA_SOURCE_DIR;
  std::string err;
  FILE* e = fopen("build.err", "wb");
  ASSERT_EQ(MapBuildFromJson((source + "/tools/example-map/example.json").c_str(), "example.map", e), 0);
  fclose(e);
  EXPECT_EQ(ReadFile("example.map"), ReadFile(source + "/data/Maps/example.map"));
  std::string out;
  ASSERT_EQ(Info(source + "/data/Maps/example.map", &out), 0);
  EXPECT_TRUE(PythonReads(out));
  nlohmann::json j = Parsed(out);
  EXPECT_EQ(j["layers"][1]["name"], "Main");
  EXPECT_EQ(j["complete"], true);
}

}  // namespace
