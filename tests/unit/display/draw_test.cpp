// Colours, clipping, fills, copies and the mask highlight, read back pixel by pixel.
#include <cstring>
#include <vector>

#include "display_fixture.h"
#include "platform/testing.h"

using namespace zorta;

namespace {

// Writes value(column, row) into every pixel of a 16-bit slot.
template <typename F>
void PaintSlot(SurfaceSlot* slot, F value) {
  uint8_t* p = static_cast<uint8_t*>(LockSurfaceSlot(slot, 0, 0, slot->width, slot->height));
  ASSERT_NE(p, nullptr);
  int32_t pitch = SurfaceSlotPitch(slot);
  for (int y = 0; y < slot->height; y++) {
    for (int x = 0; x < slot->width; x++) {
      uint16_t v = static_cast<uint16_t>(value(x, y));
      memcpy(p + (static_cast<size_t>(y) * pitch + x) * 2, &v, 2);
    }
  }
  UnlockSurfaceSlot(slot);
}

TEST(PackColorTest, PacksForEveryDepth) {
  EXPECT_EQ(PackColor(255, 255, 255, 16), 0xFFFFu);
  EXPECT_EQ(PackColor(255, 0, 0, 16), 0xF800u);
  EXPECT_EQ(PackColor(0, 0, 255, 15), 0x1Fu);
  EXPECT_EQ(PackColor(255, 0, 255, 15), 0x7C1Fu);
  EXPECT_EQ(PackColor(255, 0, 255, 16), 0xF81Fu);
  EXPECT_EQ(PackColor(255, 128, 0, 32), 0xFF8000u);
  EXPECT_EQ(PackColor(255, 128, 0, 24), 0xFF8000u);
  EXPECT_EQ(PackColor(200, 100, 50, 15), 0x6586u);
  EXPECT_EQ(PackColor(7, 3, 7, 16), 0u);  // the low bits are dropped
  EXPECT_EQ(PackColor(12, 200, 99, 8), 128u);
  EXPECT_EQ(PackColor(12, 200, 99, 12), 0u);
}

TEST_F(DisplayTest, SetClipRectKeepsEdgesGivenAsNegative) {
  ResetClipRect();
  SetClipRect(-1, 10, 5000, -1);
  EXPECT_EQ(ClipRect.left, 0);
  EXPECT_EQ(ClipRect.top, 10);
  EXPECT_EQ(ClipRect.right, 639);
  EXPECT_EQ(ClipRect.bottom, 479);
  SetClipRect(700, 3, 20, 9000);
  EXPECT_EQ(ClipRect.left, 700);  // stored unchanged
  EXPECT_EQ(ClipRect.right, 20);
  EXPECT_EQ(ClipRect.bottom, 479);
}

TEST_F(DisplayTest, FillRectIsClippedEdgeByEdge) {
  StartWindowed(16);
  EXPECT_EQ(FillRect(-5, 0, 10, 10, 0x1234), -1);
  for (int x = 0; x < 5; x++) EXPECT_EQ(Pixel(x, 9), 0x1234u) << x;
  EXPECT_EQ(Pixel(5, 0), 0u);
  EXPECT_EQ(Pixel(0, 10), 0u);
  EXPECT_EQ(FillRect(-10, 0, 10, 10, 0xFFFF), 0);
  EXPECT_EQ(Pixel(0, 0), 0x1234u);
  EXPECT_EQ(FillRect(5, 5, 0, 3, 0xFFFF), 0);
  EXPECT_EQ(FillRect(5, 5, 3, -1, 0xFFFF), 0);
  EXPECT_EQ(FillRect(640, 0, 5, 5, 0xFFFF), 0);
  // Right and bottom edges, and a clip rectangle inside the screen.
  EXPECT_EQ(FillRect(630, 470, 100, 100, 0x0F0F), -1);
  EXPECT_EQ(Pixel(639, 479), 0x0F0Fu);
  EXPECT_EQ(Pixel(629, 479), 0u);
  SetClipRect(100, 100, 109, 104);
  EXPECT_EQ(FillRect(90, 90, 100, 100, 0x00FF), -1);
  EXPECT_EQ(Pixel(100, 100), 0x00FFu);
  EXPECT_EQ(Pixel(109, 104), 0x00FFu);
  EXPECT_EQ(Pixel(110, 104), 0u);
  EXPECT_EQ(Pixel(109, 105), 0u);
  EXPECT_EQ(Pixel(99, 100), 0u);
  // Still-drawing is waited out.
  SeamStillDrawing("Blt", 3);
  EXPECT_EQ(FillRect(100, 100, 1, 1, 0x0001), -1);
  EXPECT_EQ(Pixel(100, 100), 0x0001u);
  // Any other failure draws nothing.
  SeamFailCall("Blt", 1);
  EXPECT_EQ(FillRect(101, 101, 1, 1, 0x0001), 0);
  EXPECT_EQ(SurfacesLost, 0);
}

TEST_F(DisplayTest, FillsAreExactInEveryDepth) {
  const int depths[] = {16, 24, 32};
  for (int depth : depths) {
    StartWindowed(depth);
    uint32_t c = PackColor(18, 52, 86, depth);
    // Small and full-width fills take different paths in the display layer.
    EXPECT_EQ(FillRect(3, 2, 30, 16, c), -1);
    EXPECT_EQ(FillRect(0, 100, 640, 2, c), -1);
    EXPECT_EQ(Pixel(3, 2), c) << depth;
    EXPECT_EQ(Pixel(32, 17), c) << depth;
    EXPECT_EQ(Pixel(33, 17), 0u) << depth;
    EXPECT_EQ(Pixel(2, 2), 0u) << depth;
    EXPECT_EQ(Pixel(639, 101), c) << depth;
    EXPECT_EQ(Pixel(639, 102), 0u) << depth;
    ReleaseWindowed();
  }
}

TEST_F(DisplayTest, FrameRectDrawsTheOutlineInside) {
  StartWindowed(16);
  EXPECT_EQ(FrameRect(0, 0, 1, 1, 0xABCD), -1);
  EXPECT_EQ(Pixel(0, 0), 0xABCDu);
  EXPECT_EQ(Pixel(1, 0), 0u);
  EXPECT_EQ(Pixel(0, 1), 0u);
  EXPECT_EQ(FrameRect(10, 10, 4, 3, 0x1111), -1);
  const char* expected[] = {"XXXX", "X..X", "XXXX"};
  for (int y = 0; y < 3; y++) {
    for (int x = 0; x < 4; x++) {
      EXPECT_EQ(Pixel(10 + x, 10 + y), expected[y][x] == 'X' ? 0x1111u : 0u) << x << "," << y;
    }
  }
  EXPECT_EQ(Pixel(14, 10), 0u);
  EXPECT_EQ(FrameRect(-50, -50, 10, 10, 0x2222), -1);  // nothing to draw, still -1
}

TEST_F(DisplayTest, BlitSlotMovesTheSourceWithTheClippedEdges) {
  StartWindowed(16);
  SurfaceSlot* slot = CreateSurfaceSlot(8, 8);
  ASSERT_NE(slot, nullptr);
  PaintSlot(slot, [](int x, int y) { return 0x100 * (y + 1) + x + 1; });
  EXPECT_EQ(BlitSlot(-3, 0, slot, 0, 0, 8, 8), -1);
  for (int x = 0; x < 5; x++) EXPECT_EQ(Pixel(x, 0), 0x100u + 4 + x) << x;
  EXPECT_EQ(Pixel(5, 0), 0u);
  EXPECT_EQ(Pixel(4, 7), 0x800u + 8);
  // Top and bottom edges against a clip rectangle.
  SetClipRect(100, 50, 639, 53);
  EXPECT_EQ(BlitSlot(100, 48, slot, 0, 0, 8, 8), -1);
  EXPECT_EQ(Pixel(100, 50), 0x300u + 1);
  EXPECT_EQ(Pixel(100, 53), 0x600u + 1);
  EXPECT_EQ(Pixel(100, 54), 0u);
  EXPECT_EQ(Pixel(100, 49), 0u);
  ResetClipRect();
  // Source rectangles are not checked against the slot; the display refuses them.
  EXPECT_EQ(BlitSlot(200, 0, slot, 4, 0, 8, 8), 0);
  EXPECT_EQ(Pixel(200, 0), 0u);
  EXPECT_EQ(BlitSlot(200, 0, nullptr, 0, 0, 8, 8), 0);
  EXPECT_EQ(BlitSlot(200, 0, &SurfacePool[40], 0, 0, 8, 8), 0);
}

TEST_F(DisplayTest, KeyedCopySkipsMagenta) {
  StartWindowed(16);
  uint32_t magenta = PackColor(255, 0, 255, 16);
  SurfaceSlot* slot = CreateSurfaceSlot(4, 1);
  ASSERT_NE(slot, nullptr);
  PaintSlot(slot, [&](int x, int) { return x % 2 == 0 ? magenta : 0x0421u; });
  SetSurfaceColorKey(slot, magenta);
  FillRect(0, 0, 8, 2, 0x7777);
  EXPECT_EQ(BlitSlotKeyed(0, 0, slot, 0, 0, 4, 1), -1);
  EXPECT_EQ(Pixel(0, 0), 0x7777u);
  EXPECT_EQ(Pixel(1, 0), 0x0421u);
  EXPECT_EQ(Pixel(2, 0), 0x7777u);
  EXPECT_EQ(Pixel(3, 0), 0x0421u);
  // The plain copy takes magenta too, and keyed copies still work afterwards.
  EXPECT_EQ(BlitSlot(0, 1, slot, 0, 0, 4, 1), -1);
  EXPECT_EQ(Pixel(0, 1), magenta);
  EXPECT_EQ(BlitSlotKeyed(4, 0, slot, 0, 0, 4, 1), -1);
  EXPECT_EQ(Pixel(4, 0), 0x7777u);
  EXPECT_EQ(Pixel(5, 0), 0x0421u);
}

TEST_F(DisplayTest, KeyedCopyIn32Bits) {
  StartWindowed(32);
  uint32_t magenta = PackColor(255, 0, 255, 32);
  SurfaceSlot* slot = CreateSurfaceSlot(2, 1);
  ASSERT_NE(slot, nullptr);
  uint32_t* p = static_cast<uint32_t*>(LockSurfaceSlot(slot, 0, 0, 2, 1));
  ASSERT_NE(p, nullptr);
  p[0] = magenta;
  p[1] = 0x123456;
  UnlockSurfaceSlot(slot);
  SetSurfaceColorKey(slot, magenta);
  FillRect(0, 0, 2, 1, 0xABCDEF);
  EXPECT_EQ(BlitSlotKeyed(0, 0, slot, 0, 0, 2, 1), -1);
  EXPECT_EQ(Pixel(0, 0), 0xABCDEFu);
  EXPECT_EQ(Pixel(1, 0), 0x123456u);
}

// Keyed and plain copies in every layout, over widths that do not fill whole
// groups of pixels and runs of key pixels anywhere in a row, pixel by pixel
// against the rule: a source pixel equal to the key leaves the screen's.
TEST_F(DisplayTest, KeyedCopiesKeepEveryNonKeyPixelInEveryDepth) {
  for (int depth : {15, 16, 24, 32}) {
    SCOPED_TRACE(depth);
    if (depth == 15) {
      FullScreen = -1;
      ColorDepth = 15;
      SetUpFullScreen();
      ASSERT_NE(BackBuffer, nullptr);
      ResetClipRect();
    } else {
      StartWindowed(depth);
    }
    ASSERT_EQ(ColorDepth, depth);
    const int bytes = (depth + 7) / 8, w = 37, h = 5;
    const uint32_t key = PackColor(255, 0, 255, depth);
    const uint32_t under = PackColor(10, 200, 30, depth);
    SurfaceSlot* slot = CreateSurfaceSlot(w, h);
    ASSERT_NE(slot, nullptr);
    uint8_t* p = static_cast<uint8_t*>(LockSurfaceSlot(slot, 0, 0, w, h));
    ASSERT_NE(p, nullptr);
    int32_t pitch = SurfaceSlotPitch(slot);
    std::vector<uint32_t> source;
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        // Keys alone, in runs, at both ends; near-keys differing in one bit.
        bool keyed = x % 3 == 0 || (x >= 8 && x < 17 && y % 2 == 0) || x == w - 1;
        uint32_t v = keyed ? key : x % 5 == 1 ? key ^ 1 : PackColor(5 * x, 40 * y, 7 * x + y, depth);
        source.push_back(v);
        memcpy(p + (static_cast<size_t>(y) * pitch + x) * bytes, &v, static_cast<size_t>(bytes));
      }
    UnlockSurfaceSlot(slot);
    SetSurfaceColorKey(slot, key);
    FillRect(0, 0, 100, 40, under);
    EXPECT_EQ(BlitSlotKeyed(3, 7, slot, 0, 0, w, h), -1);
    EXPECT_EQ(BlitSlot(50, 20, slot, 0, 0, w, h), -1);
    for (int y = 0; y < 40; y++)
      for (int x = 0; x < 100; x++) {
        uint32_t want = under;
        if (x >= 3 && x < 3 + w && y >= 7 && y < 7 + h && source[(y - 7) * w + x - 3] != key)
          want = source[(y - 7) * w + x - 3];
        if (x >= 50 && x < 50 + w && y >= 20 && y < 20 + h) want = source[(y - 20) * w + x - 50];
        ASSERT_EQ(Pixel(x, y), want) << x << "," << y;
      }
    ReleaseAllSurfaceSlots();
    if (FullScreen) {
      ReleaseFullScreen();
      FullScreen = 0;
    } else {
      ReleaseWindowed();
    }
  }
}

TEST_F(DisplayTest, WrappedCopiesCutAtTheScreenEdges) {
  StartWindowed(16);
  SurfaceSlot* slot = CreateSurfaceSlot(40, 40);
  ASSERT_NE(slot, nullptr);
  PaintSlot(slot, [](int x, int y) { return (y << 8) | (x + 1); });
  for (int x : {630, -10}) {
    FillRect(0, 0, 640, 480, 0);
    EXPECT_EQ(BlitSlotWrapped(x, 5, slot, 2, 0, 32, 1, WrapHorizontal), -1);
    for (int i = 0; i < 10; i++) EXPECT_EQ(Pixel(630 + i, 5), 2u + i + 1) << x << ":" << i;
    for (int i = 0; i < 22; i++) EXPECT_EQ(Pixel(i, 5), 12u + i + 1) << x << ":" << i;
    EXPECT_EQ(Pixel(22, 5), 0u);
    EXPECT_EQ(Pixel(629, 5), 0u);
  }
  // y = -8 becomes 472: 8 rows at 0 from sy + 8 and 8 rows at 472 from sy.
  FillRect(0, 0, 640, 480, 0);
  EXPECT_EQ(BlitSlotWrapped(100, -8, slot, 0, 4, 1, 16, WrapFromAbove | WrapFromBelow), -1);
  for (int j = 0; j < 8; j++) {
    EXPECT_EQ(Pixel(100, j), static_cast<uint32_t>(((12 + j) << 8) | 1)) << j;
    EXPECT_EQ(Pixel(100, 472 + j), static_cast<uint32_t>(((4 + j) << 8) | 1)) << j;
  }
  EXPECT_EQ(Pixel(100, 8), 0u);
  EXPECT_EQ(Pixel(100, 471), 0u);
  // y past the bottom comes in from the top; both overflows give four pieces.
  FillRect(0, 0, 640, 480, 0);
  EXPECT_EQ(BlitSlotWrapped(638, 478 + 480, slot, 0, 0, 4, 4, WrapHorizontal | WrapFromBelow), -1);
  EXPECT_EQ(Pixel(638, 478), (0u << 8) | 1);
  EXPECT_EQ(Pixel(0, 478), (0u << 8) | 3);
  EXPECT_EQ(Pixel(639, 0), (2u << 8) | 2);
  EXPECT_EQ(Pixel(1, 1), (3u << 8) | 4);
  EXPECT_EQ(Pixel(2, 1), 0u);
  // Flag 2 alone leaves a y past the bottom alone: nothing is drawn.
  EXPECT_EQ(BlitSlotWrapped(0, 500, slot, 0, 0, 4, 4, WrapFromAbove), 0);
}

class MaskTest : public DisplayTest {
 protected:
  // A 4 x 2 mask:  X X . X
  //                . X . .
  const uint8_t mask[8] = {1, 1, 0, 1, 0, 1, 0, 0};
  const uint32_t grey = PackColor(240, 240, 240, 16);
  std::string Row(int x, int y, int w) {
    std::string s;
    for (int i = 0; i < w; i++) s += Pixel(x + i, y) == grey ? 'X' : Pixel(x + i, y) == 0 ? '.' : '?';
    return s;
  }
};

TEST_F(MaskTest, HighlightPaintsOpaquePixelsPlainAndMirrored) {
  StartWindowed(16);
  EXPECT_EQ(HighlightMask(10, 10, mask, 4, 2, 0, 0, 0, 4, 2), -1);
  EXPECT_EQ(Row(10, 10, 5), "XX.X.");
  EXPECT_EQ(Row(10, 11, 5), ".X...");
  EXPECT_EQ(HighlightMask(20, 10, mask, 4, 2, -1, 0, 0, 4, 2), -1);
  EXPECT_EQ(Row(20, 10, 4), "X.XX");
  EXPECT_EQ(Row(20, 11, 4), "..X.");
  // Part of the mask: columns 1 to 3 of row 0.
  EXPECT_EQ(HighlightMask(30, 10, mask, 4, 2, 0, 1, 0, 3, 1), -1);
  EXPECT_EQ(Row(30, 10, 4), "X.X.");
  EXPECT_EQ(HighlightMask(40, 10, nullptr, 4, 2, 0, 0, 0, 4, 2), 0);
}

TEST_F(MaskTest, HighlightClipsMirroredFromTheOtherSide) {
  StartWindowed(16);
  // Cut on the left: plain drops mask columns 0 and 1, mirrored drops 3 and 2.
  EXPECT_EQ(HighlightMask(-2, 10, mask, 4, 2, 0, 0, 0, 4, 1), -1);
  EXPECT_EQ(Row(0, 10, 3), ".X.");
  EXPECT_EQ(HighlightMask(-2, 20, mask, 4, 2, -1, 0, 0, 4, 1), -1);
  EXPECT_EQ(Row(0, 20, 3), "XX.");
  // Cut on the right: mirrored starts further right in the mask.
  EXPECT_EQ(HighlightMask(637, 30, mask, 4, 2, -1, 0, 0, 4, 1), -1);
  EXPECT_EQ(Row(636, 30, 4), ".X.X");
  EXPECT_EQ(HighlightMask(637, 40, mask, 4, 2, 0, 0, 0, 4, 1), -1);
  EXPECT_EQ(Row(636, 40, 4), ".XX.");
  EXPECT_EQ(HighlightMask(640, 40, mask, 4, 2, 0, 0, 0, 4, 1), 0);
}

TEST_F(MaskTest, HighlightInOtherDepthsAndFailures) {
  StartWindowed(24);
  EXPECT_EQ(HighlightMask(0, 0, mask, 4, 2, 0, 0, 0, 4, 2), -1);
  EXPECT_EQ(Pixel(0, 0), 0xF0F0F0u);
  EXPECT_EQ(Pixel(2, 0), 0u);
  EXPECT_EQ(Pixel(1, 1), 0xF0F0F0u);
  ReleaseWindowed();
  StartWindowed(32);
  EXPECT_EQ(HighlightMask(0, 0, mask, 4, 2, 0, 0, 0, 4, 2), -1);
  EXPECT_EQ(Pixel(3, 0), 0xF0F0F0u);
  EXPECT_EQ(Pixel(0, 1), 0u);
  // A failed lock draws nothing and still reports -1.
  SeamFailCall("Lock", 1);
  EXPECT_EQ(HighlightMask(10, 0, mask, 4, 2, 0, 0, 0, 4, 2), -1);
  EXPECT_EQ(Pixel(10, 0), 0u);
  // A source rectangle outside the mask is not read.
  EXPECT_EQ(HighlightMask(20, 0, mask, 4, 2, 0, 2, 0, 4, 2), 0);
  EXPECT_EQ(HighlightMask(20, 0, mask, 4, 2, 0, 0, 1, 4, 2), 0);
  EXPECT_EQ(Pixel(20, 0), 0u);
}

TEST_F(MaskTest, WrappedHighlightSwapsColumnsWhenMirrored) {
  StartWindowed(16);
  // A 32 x 1 mask with one opaque column, number 3.
  std::vector<uint8_t> wide(32, 0);
  wide[3] = 1;
  EXPECT_EQ(HighlightMaskWrapped(630, 0, wide.data(), 32, 1, 0, 0, 0, 32, 1, WrapHorizontal), -1);
  EXPECT_EQ(Pixel(633, 0), grey);
  // Mirrored, column 3 lands 3 from the right end of the image: x 630 + 31 - 3 - 640 = 18.
  EXPECT_EQ(HighlightMaskWrapped(630, 1, wide.data(), 32, 1, -1, 0, 0, 32, 1, WrapHorizontal), -1);
  EXPECT_EQ(Row(0, 1, 32), std::string(18, '.') + "X" + std::string(13, '.'));
  EXPECT_EQ(Row(630, 1, 10), "..........");
  // Mirrored without overflow is the plain mirrored highlight.
  EXPECT_EQ(HighlightMaskWrapped(100, 2, wide.data(), 32, 1, -1, 0, 0, 32, 1, WrapHorizontal), -1);
  EXPECT_EQ(Pixel(128, 2), grey);
}

// Hidden drawing gives every primitive's result and lost-surface report,
// and writes no pixel.
TEST_F(DisplayTest, HiddenDrawingReportsAsDrawingAndWritesNothing) {
  StartWindowed(16);
  SurfaceSlot* slot = CreateSurfaceSlot(8, 8);
  ASSERT_NE(slot, nullptr);
  PaintSlot(slot, [](int x, int y) { return 0x100 * (y + 1) + x + 1; });
  SetSurfaceColorKey(slot, 0x101);
  const uint8_t mask[4] = {1, 1, 1, 1};
  DrawingHidden = -1;
  EXPECT_EQ(FillRect(0, 0, 640, 480, 0x3456), -1);
  EXPECT_EQ(FillRect(-10, 0, 10, 10, 0x3456), 0);
  EXPECT_EQ(BlitSlot(-3, 0, slot, 0, 0, 8, 8), -1);
  EXPECT_EQ(BlitSlotKeyed(20, 0, slot, 0, 0, 8, 8), -1);
  EXPECT_EQ(BlitSlot(200, 0, slot, 4, 0, 8, 8), 0);  // refused by the display, as when shown
  EXPECT_EQ(BlitSlotWrapped(636, 0, slot, 0, 0, 8, 8, WrapHorizontal), -1);
  EXPECT_EQ(HighlightMask(40, 0, mask, 2, 2, 0, 0, 0, 2, 2), -1);
  for (int y = 0; y < 10; y++)
    for (int x = 0; x < 640; x++) ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
  EXPECT_EQ(SurfacesLost, 0);
  // Lost surfaces are seen as when drawing.
  DisplaySeamLoseSurfaces();
  EXPECT_EQ(BlitSlotKeyed(20, 0, slot, 0, 0, 8, 8), 0);
  EXPECT_EQ(SurfacesLost, -1);
  SurfacesLost = 0;
  EXPECT_EQ(FillRect(0, 0, 8, 8, 1), 0);
  EXPECT_EQ(SurfacesLost, -1);
  RestoreSurfaces();
  // Shown again, the same calls draw.
  DrawingHidden = 0;
  EXPECT_EQ(BlitSlotKeyed(20, 0, slot, 0, 0, 8, 8), -1);
  EXPECT_EQ(Pixel(20, 0), 0u);  // keyed
  EXPECT_EQ(Pixel(21, 0), 0x102u);
  EXPECT_EQ(HighlightMask(40, 0, mask, 2, 2, 0, 0, 0, 2, 2), -1);
  EXPECT_EQ(Pixel(41, 1), PackColor(240, 240, 240, 16));
}

}  // namespace
