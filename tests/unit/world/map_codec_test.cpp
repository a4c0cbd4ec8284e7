// The map codec on its own: descriptions survive a round trip through the
// bytes, and a file that is not whole says where and why it stopped.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "world/map_codec.h"

using namespace zorta;

namespace {

MapDescription Sample() {
  MapDescription m;
  m.version = 3;
  m.selectedLayer = -2;
  MapLayerDescription l;
  l.name = "Main";
  l.reserved = 99;
  l.image = "TileSets/t.gfx";
  l.width = 3, l.height = 2;
  l.tiles = {0, 1, 65535, 4, 5, 6};
  l.scrollX = -1.5f, l.parallaxY = NAN;
  l.wrapX = 0x80000000u;
  MapLayerDescription empty;
  empty.name = "\xff\xfe";
  empty.width = 100000000, empty.height = 0;
  m.layers = {l, empty};
  m.objectVersion = 2;
  MapObjectDescription o;
  o.type = "Walker";
  o.points = {{1, 2}, {3, 4}};
  o.x2 = 2;
  o.flags = 0x1FF;  // bit 8 is kept but announces nothing
  o.ints[2] = -7;
  o.reals[3] = 0.25f;
  m.objects = {o, MapObjectDescription()};
  m.selectedObject = 1, m.selectedPoint = 7;
  return m;
}

TEST(MapCodec, DescriptionsSurviveTheBytes) {
  MapDescription m = Sample();
  std::vector<uint8_t> bytes = EncodeMap(m);
  bytes.push_back(0xAB);  // one byte after the selection
  MapDescription back;
  ASSERT_EQ(DecodeMap(bytes.data(), bytes.size(), &back), -1);
  EXPECT_EQ(back.complete, -1);
  EXPECT_EQ(back.hasSelection, -1);
  EXPECT_EQ(back.offset, bytes.size() - 1);
  EXPECT_EQ(back.trailingBytes, 1u);
  EXPECT_EQ(back.reason, "");
  EXPECT_EQ(SameMapContents(m, back), -1);
  EXPECT_EQ(back.layers[1].width, 100000000);
  EXPECT_TRUE(std::isnan(back.layers[0].parallaxY));
  back.objects[0].reals[3] = 0.5f;
  EXPECT_EQ(SameMapContents(m, back), 0);
}

TEST(MapCodec, OlderVersionsDropTheirFieldsAndMoreRecentOnesKeepThem) {
  MapDescription m = Sample();
  m.version = 0;
  m.objectVersion = 0;
  std::vector<uint8_t> bytes = EncodeMap(m);
  MapDescription back;
  ASSERT_EQ(DecodeMap(bytes.data(), bytes.size(), &back), -1);
  EXPECT_EQ(back.selectedLayer, 0);
  EXPECT_EQ(back.objects[0].flags, 0u);
  EXPECT_EQ(back.objects[0].ints[2], 0);
  EXPECT_EQ(back.objects[0].points.size(), 2u);
  // Version 1 has the flags and what they announce, not the second pair.
  m.objectVersion = 1;
  bytes = EncodeMap(m);
  ASSERT_EQ(DecodeMap(bytes.data(), bytes.size(), &back), -1);
  EXPECT_EQ(back.objects[0].flags, 0x1FFu);
  EXPECT_EQ(back.objects[0].ints[2], -7);
  EXPECT_EQ(back.objects[0].reals[3], 0.25f);
  EXPECT_EQ(back.objects[0].x2, 0.0f);
}

TEST(MapCodec, ACutFileSaysWhereAndWhyItStopped) {
  std::vector<uint8_t> bytes = EncodeMap(Sample());
  MapDescription whole;
  ASSERT_EQ(DecodeMap(bytes.data(), bytes.size(), &whole), -1);
  ASSERT_EQ(whole.objectEnds.size(), 2u);
  MapDescription cut;
  ASSERT_EQ(DecodeMap(bytes.data(), whole.objectEnds[0] + 20, &cut), -1);
  EXPECT_EQ(cut.complete, 0);
  EXPECT_EQ(cut.hasSelection, 0);
  EXPECT_EQ(cut.objects.size(), 1u);
  EXPECT_EQ(cut.offset, whole.objectEnds[0]);
  EXPECT_EQ(cut.reason, "the file ends inside an object entry");
  EXPECT_EQ(cut.storedObjectCount, 2);
  ASSERT_EQ(DecodeMap(bytes.data(), whole.layerEnds[0] + 3, &cut), -1);
  EXPECT_EQ(cut.layers.size(), 1u);
  EXPECT_EQ(cut.objects.size(), 0u);
  EXPECT_EQ(cut.offset, whole.layerEnds[0]);
  EXPECT_EQ(cut.reason, "the file ends inside a layer block");
  // Every prefix decodes without reading past it.
  for (size_t n = 0; n < bytes.size(); n++) {
    std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(n));
    MapDescription d;
    DecodeMap(prefix.data(), prefix.size(), &d);
    EXPECT_EQ(d.complete, 0) << n;
    EXPECT_LE(d.offset, n);
  }
}

TEST(MapCodec, BytesWithoutTheMagicAreNoMap) {
  const uint8_t nope[] = {'n', 'o', 'p', 'e', 0, 0, 0, 0, 1, 0, 0, 0};
  MapDescription d;
  EXPECT_EQ(DecodeMap(nope, sizeof nope, &d), 0);
  EXPECT_EQ(d.layers.size(), 0u);
  EXPECT_EQ(d.complete, 0);
  EXPECT_EQ(DecodeMap(nullptr, 0, &d), 0);
}

TEST(MapCodec, ProgramNamesAreCutThenMadeUnique) {
  MapDescription m;
  for (const std::string& n : {std::string("Layer"), std::string("layer"), std::string("LAYER"),
                               std::string(300, 'L'), std::string(256, 'L'), std::string(255, 'L') + "1"}) {
    MapLayerDescription l;
    l.name = n;
    m.layers.push_back(l);
  }
  std::vector<std::string> names = ProgramLayerNames(m);
  ASSERT_EQ(names.size(), 6u);
  EXPECT_EQ(names[1], "layer1");
  EXPECT_EQ(names[2], "LAYER2");
  EXPECT_EQ(names[3], std::string(255, 'L'));
  EXPECT_EQ(names[4], std::string(255, 'L') + "1");
  EXPECT_EQ(names[5], std::string(255, 'L') + "2");  // cut to 255 L's, which are taken
  EXPECT_EQ(ProgramName(std::string(255, 'x')), std::string(255, 'x'));
}

}  // namespace
