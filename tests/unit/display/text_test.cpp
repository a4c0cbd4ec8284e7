// Text output into the back buffer through the text layer.
#include "display/text.h"

#include "display_fixture.h"
#include "platform/testing.h"

using namespace zorta;

namespace {

TEST_F(DisplayTest, EmptyTextDrawsNothingAndMeasuresZero) {
  StartWindowed(16);
  EXPECT_EQ(TextWidth(""), 0);
  PrintText("", 10, 10);
  for (int y = 0; y < 30; y++) {
    for (int x = 0; x < 30; x++) ASSERT_EQ(Pixel(x, y), 0u);
  }
}

TEST_F(DisplayTest, MeasuringIsStableAndGrowsWithTheText) {
  int32_t one = TextWidth("8");
  EXPECT_GT(one, 2);
  EXPECT_LT(one, 12);
  EXPECT_EQ(TextWidth("88"), 2 * one);
  for (int i = 0; i < 50; i++) ASSERT_EQ(TextWidth("Click A Sound"), TextWidth("Click A Sound"));
  EXPECT_GT(MeasureTextFont("88", "MS Sans Serif", 16), TextWidth("88"));
  // Measuring needs no display at all.
  EXPECT_EQ(BackBuffer, nullptr);
}

TEST_F(DisplayTest, LabelIsWhiteOnTheUnchangedBackground) {
  const int depths[] = {16, 24, 32};
  for (int depth : depths) {
    StartWindowed(depth);
    uint32_t background = PackColor(64, 64, 64, depth);
    uint32_t white = PackColor(255, 255, 255, depth);
    FillRect(0, 0, 100, 40, background);
    PrintText("88", 10, 10);
    int whites = 0;
    int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
    for (int y = 0; y < 40; y++) {
      for (int x = 0; x < 100; x++) {
        uint32_t p = Pixel(x, y);
        ASSERT_TRUE(p == background || p == white) << depth << " at " << x << "," << y;
        if (p == white) {
          whites++;
          minX = std::min(minX, x), maxX = std::max(maxX, x);
          minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
      }
    }
    EXPECT_GT(whites, 10) << depth;
    // The glyphs sit inside the text's cell, whose top-left corner is (10, 10).
    EXPECT_GE(minX, 10);
    EXPECT_LT(maxX, 10 + TextWidth("88"));
    EXPECT_GE(minY, 10);
    EXPECT_LT(maxY, 10 + 16);
    ReleaseWindowed();
  }
}

TEST_F(DisplayTest, TextIsCutByTheSurfaceEdgeNotByTheClip) {
  StartWindowed(16);
  SetClipRect(0, 0, 100, 100);
  PrintText("8888", 635, 465);
  int whites = 0;
  for (int y = 465; y < 480; y++) {
    for (int x = 635; x < 640; x++) whites += Pixel(x, y) == 0xFFFF;
  }
  EXPECT_GT(whites, 0);
  // And from the other sides.
  PrintText("8888", -5, -5);
  whites = 0;
  for (int y = 0; y < 10; y++) {
    for (int x = 0; x < 20; x++) whites += Pixel(x, y) == 0xFFFF;
  }
  EXPECT_GT(whites, 0);
  PrintText("8888", 5000, -5000);  // entirely outside: nothing, no fault
}

TEST_F(DisplayTest, TextDrawsNothingWithoutADeviceContext) {
  PrintText("88", 10, 10);  // no display at all
  StartWindowed(16);
  DisplaySeamLoseSurfaces();
  EXPECT_EQ(PrintText("88", 10, 10), 0);
  RestoreSurfaces();
  for (int y = 0; y < 30; y++) {
    for (int x = 0; x < 40; x++) ASSERT_EQ(Pixel(x, y), 0u);
  }
  SeamFailCall("GetDC", 1);
  EXPECT_EQ(PrintText("88", 10, 10), 0);
  EXPECT_EQ(PrintText("88", 10, 10), -1);
}

// A name in UTF-8 ("\xC3\xA9t\xC3\xA9", été) is drawn as its three letters, as the
// same name in Latin-1 is; bytes that are not UTF-8 stay Latin-1.
TEST_F(DisplayTest, Utf8TextIsDrawnAsUtf8) {
  StartWindowed(16);
  const char* utf8 = "\xC3\xA9t\xC3\xA9";
  const char* latin1 = "\xE9t\xE9";
  EXPECT_EQ(TextWidth(utf8), TextWidth(latin1));
  EXPECT_LT(TextWidth(utf8), TextWidth("\xC3\xA9t\xC3\xA9" "x"));
  auto drawn = [&](const char* text) {
    FillRect(0, 0, 100, 30, 0);
    PrintText(text, 10, 10);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 30; y++)
      for (int x = 0; x < 100; x++) pixels.push_back(Pixel(x, y));
    return pixels;
  };
  std::vector<uint32_t> a = drawn(utf8), b = drawn(latin1);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, drawn("\xC3t\xC3"));
}

TEST_F(DisplayTest, FontsAreOpenedOnce) {
  StartWindowed(16);
  PrintText("1", 0, 0);
  TextWidth("1");
  int opens = TextSeamFontOpens();
  for (int i = 0; i < 100; i++) {
    PrintText("42", 0, 0);
    TextWidth("42");
  }
  EXPECT_EQ(TextSeamFontOpens(), opens);
}

}  // namespace
