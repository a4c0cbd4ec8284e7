// Tile layers: camera and scroll limits, wrapping copies, truncation of the
// scroll, tile values against the tile set and its remap, read back from the
// back buffer.
#include "world_test_support.h"

using namespace zorta;

namespace {

class Layers : public WorldTest {
 protected:
  // A layer of w x h tiles drawing from an 4-block tile set (cells 0..3).
  MapLayer* MakeLayer(int32_t w, int32_t h, const std::vector<uint16_t>& tiles, std::vector<int> kinds = {}) {
    mkdir("TileSets", 0755);
    WriteTileSet("TileSets/t.gfx", 4, kinds);
    MapDescription m = MakeMapDesc({MakeLayerDesc("Main", "TileSets/t.gfx", w, h, tiles)});
    m.selectedObject = m.selectedPoint = 0;
    WriteMap("l.map", m);
    LoadMap("l.map");
    StartWorld();
    return LayerAt(0);
  }
};

TEST_F(Layers, CameraLimitsFollowTheMainLayer) {
  StartDisplay();
  MapLayer* layer = MakeLayer(40, 15, std::vector<uint16_t>(600, 1));
  ASSERT_EQ(MainLayer, layer);
  // Sizes changed only for the limits; drawing below uses the real one.
  layer->width = 20;
  for (float x : {1.0f, 37.5f, 5000.0f}) {
    SetCamera(x, 0, -1);
    EXPECT_EQ(Camera.x, 0);  // the layer exactly fills the view
  }
  SetCamera(-50, -3, 0);  // without the limit, stored as given
  EXPECT_EQ(Camera.ix, -50);
  EXPECT_EQ(Camera.offsetY, -3);
  layer->width = 30;
  SetCamera(1000, 7.9f, -1);
  EXPECT_EQ(Camera.x, 320);
  EXPECT_EQ(Camera.iy, 0);
  layer->wrapX = 1;
  SetCamera(1000, 0, -1);
  EXPECT_EQ(Camera.x, 1000);
  // The world frame scrolls each layer with the camera times its parallax.
  layer->wrapX = 0;
  layer->width = 40;
  layer->parallaxX = 0.5f;
  SetCamera(100, 0, -1);
  DrawWorld();
  EXPECT_FLOAT_EQ(layer->scrollX, 50);
  layer->manualScroll = -1;
  layer->scrollX = 3;
  DrawWorld();
  EXPECT_FLOAT_EQ(layer->scrollX, 3);
}

TEST_F(Layers, WrappingLayerDrawsFourCopies) {
  StartDisplay();
  // Ten tiles wide (320 pixels), tile 1 only in column 0.
  std::vector<uint16_t> tiles(10, 0);
  tiles[0] = 1;
  MapLayer* layer = MakeLayer(10, 1, tiles);
  layer->wrapX = 1;
  ClearScreen();
  SetLayerScroll(layer, 700, 0, 0);
  DrawLayer(layer);
  // Copies at 60, -260, -580, -900: column 0 lands at 260 and 580.
  EXPECT_EQ(Pixel(260, 5), BlockPixel(1));
  EXPECT_EQ(Pixel(291, 5), BlockPixel(1));
  EXPECT_EQ(Pixel(580, 5), BlockPixel(1));
  EXPECT_EQ(Pixel(259, 5), 0u);
  EXPECT_EQ(Pixel(292, 5), 0u);
  EXPECT_EQ(Pixel(0, 5), 0u);
  EXPECT_EQ(Pixel(579, 5), 0u);
  EXPECT_EQ(Pixel(260, 32), 0u);  // one row only
}

TEST_F(Layers, ScrollTruncatesTowardsZero) {
  StartDisplay();
  MapLayer* layer = MakeLayer(3, 1, {1, 2, 3});
  ClearScreen();
  SetLayerScroll(layer, 5.7f, 0, 0);
  DrawLayer(layer);
  // The first column starts at -5, not -6.
  EXPECT_EQ(Pixel(26, 0), BlockPixel(1));
  EXPECT_EQ(Pixel(27, 0), BlockPixel(2));
  EXPECT_EQ(Pixel(90, 0), BlockPixel(3));
  EXPECT_EQ(Pixel(91, 0), 0u);
  // A negative scroll places the layer right of the left edge.
  ClearScreen();
  SetLayerScroll(layer, -40, -10, 0);
  DrawLayer(layer);
  EXPECT_EQ(Pixel(39, 10), 0u);
  EXPECT_EQ(Pixel(40, 10), BlockPixel(1));
  EXPECT_EQ(Pixel(40, 9), 0u);
}

TEST_F(Layers, TileValuesRemapsAndKinds) {
  StartDisplay();
  // Cell 2 is keyed (magenta left half), cell 3 has kind 0 and is never drawn.
  MapLayer* layer = MakeLayer(6, 1, {0, 1, 2, 3, 4, 65535}, {2, 2, 1, 0});
  Image* image = layer->image;
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->cellCount, 4);
  ASSERT_NE(image->tileRemap, nullptr);
  for (int i = 0; i < 4; i++) EXPECT_EQ(image->tileRemap[i], i);
  uint32_t under = PackColor(1, 2, 3, 32);
  FillRect(0, 0, 640, 32, under);
  DrawLayer(layer);
  EXPECT_EQ(Pixel(0, 0), under);            // value 0: empty
  EXPECT_EQ(Pixel(32, 0), BlockPixel(1));
  EXPECT_EQ(Pixel(64, 0), under);           // keyed: magenta half not copied
  EXPECT_EQ(Pixel(80, 0), BlockPixel(2));
  EXPECT_EQ(Pixel(96, 0), under);           // kind 0
  EXPECT_EQ(Pixel(128, 0), under);          // value equal to cellCount
  EXPECT_EQ(Pixel(160, 0), under);
  // Remapped: 1 draws cell 2; 0 stays empty whatever the table holds; a
  // remapped value beyond the cells draws nothing.
  image->tileRemap[0] = 1;
  image->tileRemap[1] = 2;
  image->tileRemap[2] = 60000;
  FillRect(0, 0, 640, 32, under);
  DrawLayer(layer);
  EXPECT_EQ(Pixel(0, 0), under);
  EXPECT_EQ(Pixel(32, 0), under);
  EXPECT_EQ(Pixel(48, 0), BlockPixel(2));
  EXPECT_EQ(Pixel(80, 0), under);
  // A level start puts the table back to identity; the working tiles are what
  // is drawn.
  StartWorld();
  EXPECT_EQ(image->tileRemap[2], 2);
  MainLayer->workingTiles[1] = 3;
  FillRect(0, 0, 640, 32, under);
  DrawLayer(layer);
  EXPECT_EQ(Pixel(32, 0), under);
  EXPECT_EQ(layer->tiles[1], 1);
}

TEST_F(Layers, LayerWithoutImageOrTilesIsSkipped) {
  StartDisplay();
  MapLayer* layer = MakeLayer(2, 1, {1, 1});
  ClearScreen();
  Image* image = layer->image;
  layer->image = nullptr;
  DrawLayer(layer);
  EXPECT_EQ(Pixel(0, 0), 0u);
  layer->image = image;
  layer->enabled = 0;
  DrawWorld();
  EXPECT_EQ(Pixel(0, 0), 0u);
  layer->enabled = 1;
  DrawWorld();
  EXPECT_EQ(Pixel(0, 0), BlockPixel(1));
}

}  // namespace
