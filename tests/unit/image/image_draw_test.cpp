// The mask highlight of an image: mirrored only where the image has a
// mirrored surface, wrapped across the screen's edge.
#include <string>

#include "../display/display_fixture.h"
#include "display/draw.h"
#include "image/image_draw.h"
#include "image/image_table.h"

using namespace zorta;

namespace {

class ImageDrawTest : public DisplayTest {
 protected:
  const uint32_t grey = PackColor(240, 240, 240, 16);
  std::string Row(int x, int y, int w) {
    std::string s;
    for (int i = 0; i < w; i++) s += Pixel(x + i, y) == grey ? 'X' : Pixel(x + i, y) == 0 ? '.' : '?';
    return s;
  }
};

}  // namespace

namespace {

TEST_F(ImageDrawTest, ImageHighlightMirrorsOnlyWithAMirroredSurface) {
  StartWindowed(16);
  uint8_t opaque[8] = {1, 1, 0, 1, 0, 1, 0, 0};
  Image image = {};
  image.width = 4;
  image.height = 2;
  image.mask = opaque;
  EXPECT_EQ(DrawMaskHighlight(10, 10, &image, 0, 0, 4, 1, -1), -1);
  EXPECT_EQ(Row(10, 10, 4), "XX.X");  // no mirrored surface: drawn plain
  image.mirrorSurface = CreateSurfaceSlot(4, 2);
  ASSERT_NE(image.mirrorSurface, nullptr);
  EXPECT_EQ(DrawMaskHighlight(10, 11, &image, 0, 0, 4, 1, -1), -1);
  EXPECT_EQ(Row(10, 11, 4), "X.XX");
  EXPECT_EQ(DrawMaskWrapped(638, 12, &image, 0, 0, 4, 1, 0, WrapHorizontal), -1);
  EXPECT_EQ(Row(638, 12, 2) + Row(0, 12, 2), "XX.X");
  image.mask = nullptr;
  EXPECT_EQ(DrawMaskHighlight(10, 20, &image, 0, 0, 4, 1, 0), 0);
}

}  // namespace
