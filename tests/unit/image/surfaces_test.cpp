// Images in display surfaces: conversion into the screen's depth, the
// mirrored copy, colour keys, lost surfaces and mode switches.
#include "image_test_support.h"

#include "display/display.h"
#include "display/draw.h"
#include "image/image_surfaces.h"
#include "platform/display.h"
#include "platform/testing.h"

using namespace zorta;

namespace {

class Surfaces : public ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    SeamReset();
    DisplaySeamReset();
    ScreenWidth = 640;
    ScreenHeight = 480;
    SurfacesLost = 0;
  }
  void TearDown() override {
    FreeAllImages();
    SeamReset();
    ReleaseAllSurfaceSlots();
    if (FullScreen)
      ReleaseFullScreen();
    else
      ReleaseWindowed();
    DisplaySeamReset();
    EXPECT_EQ(DisplaySeamLiveSurfaces(), 0);
    ImageTest::TearDown();
  }
  void Start(int depth) {
    DisplaySeamSetDesktopDepth(depth);
    ColorDepth = depth;
    SetUpWindowed();
    ASSERT_NE(BackBuffer, nullptr);
    ASSERT_EQ(ColorDepth, depth);
    ResetClipRect();
  }
  // An image record in the table, as a loader would leave it.
  Image* Add(int w, int h, int bits, const Bytes& pixels) {
    Image* img = static_cast<Image*>(calloc(1, sizeof(Image)));
    img->name = StrDup(("mem" + std::to_string(next++)).c_str());
    img->width = w;
    img->height = h;
    img->bits = bits;
    img->bytesPerPixel = (bits + 7) / 8;
    img->pixels = static_cast<uint8_t*>(malloc(pixels.size()));
    memcpy(img->pixels, pixels.data(), pixels.size());
    for (Image*& slot : ImageTable)
      if (slot == nullptr) {
        slot = img;
        break;
      }
    return img;
  }
  uint32_t At(SurfaceSlot* s, int x, int y) { return DisplaySeamReadPixel(s->surface, x, y); }
  uint32_t Screen(int x, int y) { return DisplaySeamReadPixel(BackBuffer, x, y); }
  int next = 0;
};

TEST_F(Surfaces, PaletteImageOnA16BitScreenKeysMagenta) {
  Start(16);
  DisplaySeamSetPitchPadding(3);
  Image* img = Add(3, 1, 8, {7, 1, 7});
  img->palette = static_cast<uint8_t*>(calloc(768, 1));
  img->palette[7 * 3] = 255;
  img->palette[7 * 3 + 2] = 255;
  img->palette[1 * 3 + 1] = 255;
  CreateImageSurfaces(img);
  ASSERT_NE(img->surface, nullptr);
  EXPECT_EQ(img->mirrorSurface, nullptr);
  EXPECT_EQ(At(img->surface, 0, 0), 0xF81Fu);
  EXPECT_EQ(At(img->surface, 1, 0), 0x07E0u);
  FillRect(0, 0, 10, 10, 0x1234);
  EXPECT_EQ(BlitSlotKeyed(0, 0, img->surface, 0, 0, 3, 1), -1);
  EXPECT_EQ(Screen(0, 0), 0x1234u);
  EXPECT_EQ(Screen(1, 0), 0x07E0u);
  EXPECT_EQ(Screen(2, 0), 0x1234u);
}

TEST_F(Surfaces, SixteenBitImageOn24And15BitScreens) {
  Start(24);
  Image* img = Add(2, 1, 16, {0xE0, 0x07, 0x1F, 0xF8});
  CreateImageSurfaces(img);
  EXPECT_EQ(At(img->surface, 0, 0), 0x00FC00u);
  EXPECT_EQ(At(img->surface, 1, 0), 0xF800F8u);
  // Its magenta (F81F) becomes F8 00 F8 on this screen, and that is its key.
  FillRect(0, 0, 4, 4, 0x123456);
  BlitSlotKeyed(0, 0, img->surface, 0, 0, 2, 1);
  EXPECT_EQ(Screen(0, 0), 0x00FC00u);
  EXPECT_EQ(Screen(1, 0), 0x123456u);
}

// A 15-bit GFX image holds magenta as 7C1F; on every screen depth that word,
// converted, is the surface's key and the background shows through it.
class FifteenBitKey : public Surfaces, public ::testing::WithParamInterface<int> {};

TEST_P(FifteenBitKey, MagentaIsTransparentAtEveryDepth) {
  int depth = GetParam();
  if (depth == 15) {
    // Only a full-screen mode reporting 5-5-5 masks makes a 15-bit screen.
    DisplaySeamSetModeMasks(0x7C00, 0x3E0, 0x1F);
    FullScreen = -1;
    ColorDepth = 16;
    SetUpFullScreen();
    ASSERT_EQ(ColorDepth, 15);
    ResetClipRect();
  } else {
    Start(depth);
  }
  Builder g;
  g.U32(0x47465831);
  g.U32(0x494E464F).U32(32).U32(3).U32(1).U32(15).U32(0).U32(0).U32(0).U32(0).U32(0);
  g.U32(0x494D4745).U32(6).U16(0x7C1F).U16(0x03E0).U16(0x7C1F);
  g.U32(0x454E4446).U32(0);
  WriteBytes("key15.gfx", g.b);
  Image* img = LoadImage("key15.gfx", 0);
  ASSERT_NE(img, nullptr) << ErrorText;
  CreateImageSurfaces(img);
  ASSERT_NE(img->surface, nullptr);
  uint32_t background = PackColor(16, 200, 64, depth);
  FillRect(0, 0, 8, 8, background);
  EXPECT_EQ(BlitSlotKeyed(1, 1, img->surface, 0, 0, 3, 1), -1);
  EXPECT_EQ(Screen(1, 1), background);
  EXPECT_EQ(Screen(2, 1), PackColor(0, 248, 0, depth));
  EXPECT_EQ(Screen(3, 1), background);
}

INSTANTIATE_TEST_SUITE_P(ScreenDepths, FifteenBitKey, ::testing::Values(15, 16, 24, 32));

TEST_F(Surfaces, MirroredCopyTurnsCellsExceptTheKeptOnes) {
  Start(32);
  Bytes px;
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 8; x++) px.insert(px.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0});
  Image* img = Add(8, 2, 24, px);
  img->mirrorWanted = 1;
  img->cellCount = 3;
  img->cells = static_cast<ImageCell*>(calloc(3, sizeof(ImageCell)));
  img->cells[0] = {0, 0, 5, 2, 0, 0, 5, 2, 1, 0};
  img->cells[1] = {5, 0, 3, 1, 0, 0, 3, 1, 1, 1};     // kept out of mirroring
  img->cells[2] = {5, 1, 30, -4 + 5, 0, 0, 0, 0, 1, 0};  // reaches outside: cut to the image
  CreateImageSurfaces(img);
  ASSERT_NE(img->mirrorSurface, nullptr);
  for (int x = 0; x < 5; x++) {
    EXPECT_EQ(At(img->surface, x, 0), static_cast<uint32_t>(x << 16));
    EXPECT_EQ(At(img->mirrorSurface, x, 0), static_cast<uint32_t>((4 - x) << 16)) << x;
    EXPECT_EQ(At(img->mirrorSurface, x, 1), static_cast<uint32_t>(((4 - x) << 16) | (1 << 8))) << x;
  }
  for (int x = 5; x < 8; x++) EXPECT_EQ(At(img->mirrorSurface, x, 0), static_cast<uint32_t>(x << 16));
  for (int x = 5; x < 8; x++)
    EXPECT_EQ(At(img->mirrorSurface, x, 1), static_cast<uint32_t>(((12 - x) << 16) | (1 << 8)));
}

TEST_F(Surfaces, DitherOptionReachesTheSurface) {
  Start(16);
  Image* img = Add(8, 4, 24, Bytes(8 * 4 * 3, 100));
  img->dither = -1;
  CreateImageSurfaces(img);
  int thirteen = 0;
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 8; x++) {
      uint32_t v = At(img->surface, x, y);
      EXPECT_EQ((v >> 5) & 63, 25u);
      thirteen += (v >> 11) == 13;
      if (y == 0) {
        EXPECT_EQ(v >> 11, 12u);
      }
    }
  EXPECT_GT(thirteen, 0);
}

TEST_F(Surfaces, LostSurfacesAreFilledAgainAndLockFailuresKeepTheKey) {
  Start(16);
  Image* img = Add(2, 1, 24, {255, 0, 0, 255, 0, 255});
  CreateImageSurfaces(img);
  EXPECT_EQ(At(img->surface, 0, 0), 0xF800u);
  DisplaySeamLoseSurfaces();
  RestoreSurfaces();
  UploadAllImages();
  EXPECT_EQ(At(img->surface, 0, 0), 0xF800u);
  EXPECT_EQ(At(img->surface, 1, 0), 0xF81Fu);

  // A lock that fails leaves the contents; the key is still set.
  memset(img->pixels, 0, 3);
  SeamFailCall("Lock", 1);
  UploadImage(img);
  EXPECT_EQ(At(img->surface, 0, 0), 0xF800u);
  FillRect(0, 0, 2, 1, 0x0001);
  BlitSlotKeyed(0, 0, img->surface, 0, 0, 2, 1);
  EXPECT_EQ(Screen(0, 0), 0xF800u);
  EXPECT_EQ(Screen(1, 0), 0x0001u);
}

TEST_F(Surfaces, ModeSwitchAndBatchesRenewSurfaces) {
  Start(16);
  Image* img = Add(1, 1, 24, {10, 20, 30});
  CreateAllImageSurfaces();
  ASSERT_NE(img->surface, nullptr);
  EXPECT_EQ(DisplaySeamLiveSurfaces() > 0, true);
  ReleaseAllImageSurfaces();
  EXPECT_EQ(img->surface, nullptr);
  CreateAllImageSurfaces();
  ASSERT_NE(img->surface, nullptr);
  EXPECT_EQ(At(img->surface, 0, 0), PackColor(10, 20, 30, 16));

  // An image without pixels (its file could not be read) gets no surface.
  Image* empty = Add(1, 1, 24, {0, 0, 0});
  free(empty->pixels);
  empty->pixels = nullptr;
  CreateImageSurfaces(empty);
  EXPECT_EQ(empty->surface, nullptr);

  // A batch that drops an image with a surface renews every surface.
  Image* other = Add(1, 1, 24, {1, 2, 3});
  CreateImageSurfaces(other);
  EXPECT_EQ(DisplaySeamLiveSurfaces(), 2 + 2);  // with the two display surfaces
  SurfaceSlot* before = img->surface;
  UploadImage(img);
  BeginImageBatch();
  LoadImage(img->name, 0);
  EndImageBatch(-1, 0);
  EXPECT_EQ(FindImage("mem1"), nullptr);
  EXPECT_EQ(FindImage("mem2"), nullptr);
  EXPECT_EQ(DisplaySeamLiveSurfaces(), 1 + 2);
  ASSERT_NE(img->surface, nullptr);
  EXPECT_EQ(img->surface, before);  // released and made again in the lowest slot
  EXPECT_EQ(At(img->surface, 0, 0), PackColor(10, 20, 30, 16));

  // A full pool leaves the image without a surface and nothing breaks.
  ReleaseAllImageSurfaces();
  for (int i = 0; i < SurfaceSlotCount; i++) CreateSurfaceSlot(1, 1);
  CreateImageSurfaces(img);
  EXPECT_EQ(img->surface, nullptr);
  UploadAllImages();
}

}  // namespace

namespace {

TEST_F(Surfaces, TransformedCopyTurnsScalesAndKeys) {
  Start(16);
  // Three pixels A, B, magenta... then C: a 4 x 1 strip.
  const uint16_t A = 0x001F, B = 0x07E0, C = 0x1234;
  Image* img = Add(4, 1, 16, {0x1F, 0x00, 0xE0, 0x07, 0x1F, 0xF8, 0x34, 0x12});
  CreateImageSurfaces(img);
  FillRect(0, 0, 64, 64, 0x0001);
  SlotTransform plain = {0, 1, 1};
  EXPECT_EQ(DrawSlotTransformed(10, 10, img->surface, 0, 0, 4, 1, &plain), -1);
  EXPECT_EQ(Screen(10, 10), A);
  EXPECT_EQ(Screen(11, 10), B);
  EXPECT_EQ(Screen(12, 10), 0x0001u);  // magenta is not drawn
  EXPECT_EQ(Screen(13, 10), C);
  EXPECT_EQ(Screen(14, 10), 0x0001u);

  // A quarter turn stands the first three pixels up, the first at the bottom.
  SlotTransform turned = {1.57079633f, 1, 1};
  FillRect(0, 0, 64, 64, 0x0001);
  EXPECT_EQ(DrawSlotTransformed(20, 20, img->surface, 0, 0, 3, 1, &turned), -1);
  EXPECT_EQ(Screen(21, 19), 0x0001u);
  EXPECT_EQ(Screen(21, 20), B);
  EXPECT_EQ(Screen(21, 21), A);
  EXPECT_EQ(Screen(20, 20), 0x0001u);
  EXPECT_EQ(Screen(22, 20), 0x0001u);

  // Twice the size, mirrored by a negative scale.
  SlotTransform big = {0, -2, 2};
  FillRect(0, 0, 64, 64, 0x0001);
  EXPECT_EQ(DrawSlotTransformed(30, 30, img->surface, 0, 0, 2, 1, &big), -1);
  for (int y = 30; y < 32; y++) {
    EXPECT_EQ(Screen(30, y), B);
    EXPECT_EQ(Screen(31, y), B);
    EXPECT_EQ(Screen(32, y), A);
    EXPECT_EQ(Screen(33, y), A);
  }
  EXPECT_EQ(Screen(34, 30), 0x0001u);

  // The clip rectangle holds; nothing outside the slot is read.
  SetClipRect(0, 0, 40, 40);
  EXPECT_EQ(DrawSlotTransformed(41, 10, img->surface, 0, 0, 4, 1, &plain), 0);
  EXPECT_EQ(DrawSlotTransformed(10, 10, img->surface, 2, 0, 4, 1, &plain), 0);
  EXPECT_EQ(DrawSlotTransformed(10, 10, nullptr, 0, 0, 4, 1, &plain), 0);
  SlotTransform flat = {0, 0, 1};
  EXPECT_EQ(DrawSlotTransformed(10, 10, img->surface, 0, 0, 4, 1, &flat), 0);
}

// Sprites from a PNG ImageMagick wrote: any size of picture, cells of any
// size that divide it, drawn keyed; cells that do not divide it are refused.
TEST_F(Surfaces, SpritesCutAPictureOfAnySizeIntoItsCells) {
  Start(32);
  // 48 x 24: two 24 x 24 cells, the second with a magenta corner.
  Bytes rgb = PatternRGB(48, 24, 5);
  for (int i = 0; i < 3; i++) rgb[(24 + 0) * 3 + i] = i == 1 ? 0 : 255;
  WriteBytes("two.ppm", MakePPM(48, 24, rgb));
  RunCommand("convert two.ppm two.png");
  auto pixel = [&](int x, int y) {
    const uint8_t* p = &rgb[(y * 48 + x) * 3];
    return static_cast<uint32_t>(p[2] | p[1] << 8 | p[0] << 16);
  };
  int whole = LoadSprite("two.png", 48, 24);
  int cells = LoadSprite("two.png", 24, 24);
  ASSERT_GE(whole, 0) << ErrorText;
  ASSERT_GE(cells, 0);
  EXPECT_NE(whole, cells);
  FillRect(0, 0, 100, 100, 0x010203);
  DrawSprite(cells, 1, 10, 20);
  EXPECT_EQ(Screen(10, 20), 0x010203u);  // magenta stays transparent
  EXPECT_EQ(Screen(11, 20), pixel(25, 0));
  EXPECT_EQ(Screen(33, 43), pixel(47, 23));
  EXPECT_EQ(Screen(34, 43), 0x010203u);
  DrawSprite(cells, 2, 50, 50);  // past the last cell: nothing
  DrawSprite(whole + 100, 0, 50, 50);
  EXPECT_EQ(Screen(50, 50), 0x010203u);

  // The picture stays while a sprite holds it, and goes with the last.
  ReleaseSprite(whole);
  ASSERT_NE(FindImage("two.png"), nullptr);
  DrawSprite(cells, 0, 60, 60);
  EXPECT_EQ(Screen(60, 60), pixel(0, 0));
  ReleaseSprite(cells);
  EXPECT_EQ(FindImage("two.png"), nullptr);
  EXPECT_EQ(FatalErrorsForTests(), 0);

  EXPECT_EQ(LoadSprite("two.png", 20, 24), -1);
  EXPECT_EQ(LastFatalErrorForTests(), "LoadSprite() - Cells of 20 x 24 pixels do not divide 'two.png' (48 x 24)");
  EXPECT_EQ(FindImage("two.png"), nullptr);
  EXPECT_EQ(LoadSprite("two.png", 0, 24), -1);
  EXPECT_EQ(LastFatalErrorForTests(), "LoadSprite() - 'two.png' cannot be cut into cells of 0 x 24 pixels");
}

}  // namespace
