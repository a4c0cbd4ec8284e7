// Pixel conversion between the image depths and the screen depths,
// dithering, single colours and mirroring.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "image/pixel_convert.h"

using namespace zorta;

namespace {

typedef std::vector<uint8_t> Bytes;

uint16_t Word(const Bytes& b, size_t i) { return static_cast<uint16_t>(b[i * 2] | (b[i * 2 + 1] << 8)); }

TEST(Convert, TableOfDepthPairs) {
  Bytes palette(768, 0);
  palette[7 * 3] = 255;
  palette[7 * 3 + 2] = 255;
  palette[3 * 3] = 200;
  palette[3 * 3 + 1] = 100;
  palette[3 * 3 + 2] = 50;
  const uint8_t indices[2] = {7, 3};
  Bytes out(8, 0xEE);
  ConvertPixels(out.data(), 16, 2, indices, 8, 2, 2, 1, palette.data(), 0);
  EXPECT_EQ(Word(out, 0), 0xF81F);  // magenta meets the colour key
  EXPECT_EQ(Word(out, 1), ((200 & 0xF8) << 8) | ((100 & 0xFC) << 3) | (50 >> 3));
  ConvertPixels(out.data(), 15, 2, indices + 1, 8, 1, 1, 1, palette.data(), 0);
  EXPECT_EQ(Word(out, 0), 0x6586);
  ConvertPixels(out.data(), 32, 2, indices, 8, 2, 2, 1, palette.data(), 0);
  EXPECT_EQ(out, (Bytes{255, 0, 255, 0, 50, 100, 200, 0}));

  const uint8_t rgb[3] = {200, 100, 50};
  ConvertPixels(out.data(), 15, 1, rgb, 24, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(Word(out, 0), 0x6586);
  Bytes three(3);
  ConvertPixels(three.data(), 24, 1, rgb, 24, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(three, (Bytes{50, 100, 200}));

  const uint8_t green16[2] = {0xE0, 0x07};
  ConvertPixels(three.data(), 24, 1, green16, 16, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(three, (Bytes{0x00, 0xFC, 0x00}));
  ConvertPixels(out.data(), 15, 1, green16, 16, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(Word(out, 0), 0x03E0);
  const uint8_t white15[2] = {0xFF, 0x7F};
  ConvertPixels(out.data(), 16, 1, white15, 15, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(Word(out, 0), 0xFFDF);  // green's low bit stays 0
  Bytes four(4, 0xEE);
  ConvertPixels(four.data(), 32, 1, white15, 15, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(four, (Bytes{0xF8, 0xF8, 0xF8, 0}));

  const uint8_t rgba[4] = {1, 2, 3, 4};
  ConvertPixels(four.data(), 32, 1, rgba, 32, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(four, (Bytes{3, 2, 1, 0}));
  // No 32-to-16 entry: the destination stays as it was.
  Bytes untouched(2, 0xEE);
  ConvertPixels(untouched.data(), 16, 1, rgba, 32, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(untouched, (Bytes{0xEE, 0xEE}));
  // Nor to 8 bits.
  ConvertPixels(untouched.data(), 8, 1, rgb, 24, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(untouched, (Bytes{0xEE, 0xEE}));
  // Indices without a palette are grey levels.
  ConvertPixels(three.data(), 24, 1, indices, 8, 1, 1, 1, nullptr, 0);
  EXPECT_EQ(three, (Bytes{7, 7, 7}));
}

TEST(Convert, PitchesAreInPixels) {
  // 2 x 2 source with pitch 3, destination pitch 4 (32 bits).
  const uint8_t src[] = {1, 2, 3, 4, 5, 6, 0, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0, 0};
  Bytes dst(4 * 4 * 2, 0xEE);
  ConvertPixels(dst.data(), 32, 4, src, 24, 3, 2, 2, nullptr, 0);
  EXPECT_EQ(Bytes(dst.begin(), dst.begin() + 8), (Bytes{3, 2, 1, 0, 6, 5, 4, 0}));
  EXPECT_EQ(dst[8], 0xEE);
  EXPECT_EQ(Bytes(dst.begin() + 16, dst.begin() + 24), (Bytes{9, 8, 7, 0, 12, 11, 10, 0}));
}

TEST(Convert, DitherKeepsExactLevelsAndMixesTheRest) {
  const int w = 16, h = 6;
  Bytes src(w * h * 3, 100);
  // A magenta block at the right stays exactly at the key.
  for (int y = 0; y < h; y++)
    for (int x = 12; x < w; x++) {
      src[(y * w + x) * 3] = 255;
      src[(y * w + x) * 3 + 1] = 0;
      src[(y * w + x) * 3 + 2] = 255;
    }
  Bytes out(w * h * 2);
  ConvertPixels(out.data(), 16, w, src.data(), 24, w, w, h, nullptr, -1);
  int saw12 = 0, saw13 = 0;
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      uint16_t v = Word(out, y * w + x);
      if (x >= 12) {
        EXPECT_EQ(v, 0xF81F) << x << "," << y;
        continue;
      }
      int r = v >> 11, g = (v >> 5) & 63, b = v & 31;
      EXPECT_EQ(g, 25);
      EXPECT_EQ(r, b);
      if (y == 0) {
        EXPECT_EQ(r, 12) << x;
      } else {
        EXPECT_TRUE(r == 12 || r == 13);
        saw12 += r == 12;
        saw13 += r == 13;
      }
    }
  }
  EXPECT_GT(saw12, 0);
  EXPECT_GT(saw13, 0);

  // 15 bits: green is 5 bits there and mixes too; without dither every
  // pixel is plain truncation.
  ConvertPixels(out.data(), 15, w, src.data(), 24, w, 12, h, nullptr, -1);
  int greens = 0;
  for (int i = w; i < w * h; i++)
    if (i % w < 12) greens |= 1 << ((Word(out, i) >> 5) & 31);
  EXPECT_EQ(greens, (1 << 12) | (1 << 13));
  ConvertPixels(out.data(), 16, w, src.data(), 24, w, w, h, nullptr, 0);
  for (int i = 0; i < w * h; i++) {
    if (i % w < 12) {
      EXPECT_EQ(Word(out, i), (12 << 11) | (25 << 5) | 12);
    }
  }
}

TEST(Convert, ConvertColorAndMirror) {
  EXPECT_EQ(ConvertColor(15, 0xF81F, 16, nullptr), 0x7C1Fu);
  EXPECT_EQ(ConvertColor(32, 0xF81F, 16, nullptr), 0xF800F8u);
  EXPECT_EQ(ConvertColor(24, 0x0000FF, 24, nullptr), 0xFF0000u);
  EXPECT_EQ(ConvertColor(16, 0xF81F, 16, nullptr), 0xF81Fu);

  uint16_t row[2][6] = {{0, 1, 2, 3, 4, 99}, {10, 11, 12, 13, 14, 99}};
  MirrorRows(row, 5, 2, 16, 6);
  EXPECT_EQ(std::vector<uint16_t>(row[0], row[0] + 6), (std::vector<uint16_t>{4, 3, 2, 1, 0, 99}));
  EXPECT_EQ(std::vector<uint16_t>(row[1], row[1] + 6), (std::vector<uint16_t>{14, 13, 12, 11, 10, 99}));
  uint8_t px[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  MirrorRows(px, 4, 1, 24, 4);
  EXPECT_EQ(Bytes(px, px + 12), (Bytes{10, 11, 12, 7, 8, 9, 4, 5, 6, 1, 2, 3}));
  MirrorRows(px, 4, 1, 8, 4);  // other depths are left alone
  EXPECT_EQ(px[0], 10);
}

}  // namespace
