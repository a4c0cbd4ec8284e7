// The image table: sharing by name, batches, doubling, masks, freeing, and
// the reports of files that cannot be read.
#include "image_test_support.h"

#include "image/image_formats.h"

using namespace zorta;

namespace {

class Table : public ImageTest {};

// A 24-bit top-down BMP of w x h pixels, all of one colour.
void WriteBmp(const std::string& path, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  Builder f;
  f.U16(0x4D42).U32(0).U32(0).U32(54).U32(40).U32(w).U32(static_cast<uint32_t>(-h)).U16(1).U16(24);
  f.Raw(Bytes(24, 0));
  int pad = (4 - (w * 3) % 4) % 4;
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) f.U8(b).U8(g).U8(r);
    f.Raw(Bytes(pad, 0));
  }
  WriteBytes(path, f.b);
}

int Used() {
  int n = 0;
  for (Image* i : ImageTable) n += i != nullptr;
  return n;
}

TEST_F(Table, SharedByNameIgnoringCaseAndReadOnce) {
  WriteBmp("Hero.bmp", 2, 2, 1, 2, 3);
  Image* a = LoadImage("Hero.bmp", 0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(ImageTable[0], a);
  EXPECT_EQ(a->pixels[0], 1);
  remove("Hero.bmp");  // a second read would now fail
  Image* b = LoadImage("HERO.BMP", 1);
  EXPECT_EQ(b, a);
  EXPECT_STREQ(a->name, "Hero.bmp");
  EXPECT_EQ(a->dither, 1);
  EXPECT_EQ(Boxes(), 0);
  EXPECT_EQ(FindImage("hero.bmp"), a);
  EXPECT_EQ(FindImage("hero"), nullptr);
  EXPECT_EQ(LoadImage("", 0), nullptr);
  EXPECT_EQ(LoadImage(nullptr, 0), nullptr);
  EXPECT_EQ(Boxes(), 0);
  EXPECT_EQ(Used(), 1);
}

TEST_F(Table, MissingFileReportsEachProbeThenGivesUp) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadImage("missing.bmp", 0), nullptr);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err,
            "Error: TestBMP() - Couldn't open file 'missing.bmp'\n"
            "Error: TestILBM() - Couldn't open file 'missing.bmp'\n"
            "Error: TestGFX() - Couldn't open file 'missing.bmp'\n"
            "Error: TestTGA() - Couldn't open file 'missing.bmp'\n"
            "Error: Can't load image 'missing.bmp'\n");
  EXPECT_STREQ(ErrorText, "Can't load image 'missing.bmp'");
  EXPECT_EQ(Boxes(), 5);
  EXPECT_EQ(LastBox(), "Error: Can't load image 'missing.bmp'");
  EXPECT_EQ(Used(), 0);  // shutdown freed the table

  // A file no probe knows.
  ResetSettings();  // as after a new start
  WriteBytes("notes.txt", {'h', 'e', 'l', 'l', 'o', '\n'});
  EXPECT_EQ(LoadImage("notes.txt", 0), nullptr);
  EXPECT_STREQ(ErrorText, "Can't load image 'notes.txt'");

  // A long name is cut to fit the message buffer.
  ResetSettings();  // as after a new start
  std::string longName(400, 'x');
  EXPECT_EQ(LoadImage(longName.c_str(), 0), nullptr);
  EXPECT_EQ(strlen(ErrorText), sizeof ErrorText - 1);
  EXPECT_EQ(std::string(ErrorText).rfind("Can't load image 'xxx", 0), 0u);
}

TEST_F(Table, ALoadersFailureIsReportedOnceByTheTable) {
  // Files their probes take and their loaders refuse: the loader's message
  // is the one fatal error, after nothing from the probes.
  WriteBmp("cut.bmp", 3, 3, 1, 2, 3);
  Bytes bmp = ReadFile("cut.bmp");
  bmp.resize(bmp.size() - 4);
  WriteBytes("cut.bmp", bmp);
  Builder ilbm;
  ilbm.Text("FORM").BE32(4 + 28).Text("ILBM").Text("BMHD").BE32(20).BE16(16).BE16(1).BE32(0).U8(1).Raw(Bytes(11, 0));
  WriteBytes("nobody.ilbm", ilbm.b);
  Builder gfx;
  gfx.U32(0x47465831).U32(0x494D4745).U32(1).U8(0).U32(0x454E4446).U32(0);
  WriteBytes("noinfo.gfx", gfx.b);
  Builder tga;
  tga.U8(0).U8(0).U8(2).Raw(Bytes(9, 0)).U16(2).U16(2).U8(32).U8(0).Raw(Bytes(5, 0));
  WriteBytes("cut.tga", tga.b);
  struct Case { const char* name; const char* message; };
  for (Case c : {Case{"cut.bmp", "LoadBMP() - File is truncated"},
                 Case{"nobody.ilbm", "LoadILBM() - File contains no body"},
                 Case{"noinfo.gfx", "LoadGFX() - File contains no info header"},
                 Case{"cut.tga", "LoadTGA() - File is truncated"}}) {
    SCOPED_TRACE(c.name);
    ResetSettings();  // as after a new start
    int boxes = Boxes();
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadImage(c.name, 0), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, std::string("Error: ") + c.message + "\n");
    EXPECT_STREQ(ErrorText, c.message);
    EXPECT_EQ(Boxes(), boxes + 1);
    EXPECT_EQ(LastBox(), std::string("Error: ") + c.message);
    EXPECT_EQ(Used(), 0);  // shutdown freed the table
  }
}

TEST_F(Table, FullTableIsReported) {
  BeginImageBatch();
  for (int i = 0; i < 256; i++) ASSERT_NE(LoadImage(("img" + std::to_string(i)).c_str(), 0), nullptr);
  EXPECT_EQ(Boxes(), 0);
  EXPECT_EQ(LoadImage("IMG255", 0), ImageTable[255]);
  EXPECT_EQ(LoadImage("img256", 0), nullptr);
  EXPECT_STREQ(ErrorText, "LoadImage() - Out of Images");
  EXPECT_EQ(LastBox(), "Error: LoadImage() - Out of Images");
}

TEST_F(Table, BatchesFreeStaleImagesAndReadNewOnes) {
  WriteBmp("a.bmp", 1, 1, 10, 0, 0);
  WriteBmp("b.bmp", 1, 1, 20, 0, 0);
  WriteBmp("c.bmp", 2, 1, 255, 0, 255);
  // Asked for by the framework: the batches' to free.
  Image* a = RequestImage("a.bmp", 0);
  ASSERT_NE(RequestImage("b.bmp", 0), nullptr);
  BeginImageBatch();
  EXPECT_EQ(ImageTable[0]->stale, -1);
  EXPECT_EQ(LoadImage("A.BMP", 0), a);
  EXPECT_EQ(a->stale, 0);
  Image* c = LoadImage("c.bmp", 0);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->pixels, nullptr);  // read at the end of the batch
  EXPECT_EQ(ImageTable[2], c);
  EndImageBatch(0, -1);
  EXPECT_EQ(ImageBatch, 0);
  EXPECT_EQ(ImageTable[1], nullptr);  // b was not requested
  EXPECT_EQ(FindImage("b.bmp"), nullptr);
  ASSERT_NE(c->pixels, nullptr);
  EXPECT_EQ(c->pixels[0], 255);
  ASSERT_NE(c->mask, nullptr);
  EXPECT_EQ(c->mask[0], 0);
  ASSERT_NE(a->mask, nullptr);
  EXPECT_EQ(a->mask[0], 255);
  EXPECT_EQ(Boxes(), 0);

  // A new image that cannot be read stops the program; the table is emptied
  // by the shutdown without anything touching the freed records.
  BeginImageBatch();
  LoadImage("a.bmp", 0);
  LoadImage("gone.bmp", 0);
  LoadImage("c.bmp", 0);
  testing::internal::CaptureStderr();
  EndImageBatch(-1, -1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Error: TestTGA() - Couldn't open file 'gone.bmp'\nError: Can't load image 'gone.bmp'\n"),
            std::string::npos);
  EXPECT_EQ(Used(), 0);
}

// An image the program loads outside a batch is its own: a map load that
// does not use it leaves it (it was freed there, and the reads below were a
// use after free), while what the map loaded in its batch is still swept.
TEST_F(Table, ImagesTheProgramLoadsOutlastMapLoads) {
  WriteBmp("hud.bmp", 1, 1, 10, 20, 30);
  WriteBmp("tiles.bmp", 1, 1, 40, 50, 60);
  Image* hud = LoadImage("hud.bmp", 0);
  ASSERT_NE(hud, nullptr);
  BeginImageBatch();  // a map that draws from tiles.bmp
  Image* tiles = LoadImage("tiles.bmp", 0);
  EndImageBatch(-1, -1);
  ASSERT_NE(tiles->pixels, nullptr);
  // The program asks for the map's image too: now it keeps that one as well.
  EXPECT_EQ(LoadImage("TILES.BMP", 0), tiles);
  WriteBmp("other.bmp", 1, 1, 70, 80, 90);
  BeginImageBatch();  // the next map uses neither
  Image* other = LoadImage("other.bmp", 0);
  EndImageBatch(-1, -1);
  EXPECT_EQ(FindImage("hud.bmp"), hud);
  EXPECT_EQ(Bytes(hud->pixels, hud->pixels + 3), (Bytes{10, 20, 30}));
  ASSERT_NE(hud->mask, nullptr);
  EXPECT_EQ(hud->mask[0], 255);
  EXPECT_EQ(FindImage("tiles.bmp"), tiles);
  EXPECT_EQ(Bytes(tiles->pixels, tiles->pixels + 3), (Bytes{40, 50, 60}));
  BeginImageBatch();  // and a map without images sweeps what the last one loaded
  EndImageBatch(-1, -1);
  EXPECT_EQ(FindImage("other.bmp"), nullptr);
  EXPECT_NE(FindImage("hud.bmp"), nullptr);
  EXPECT_EQ(Used(), 2);
  (void)other;
}

// Given back, an image goes at once when only the program asked for it, and
// with the map when the map (or its objects) asked for it too.
TEST_F(Table, ReleasedImagesGoAtOnceOrWithTheMap) {
  WriteBmp("hud.bmp", 1, 1, 10, 20, 30);
  WriteBmp("tiles.bmp", 1, 1, 40, 50, 60);
  WriteBmp("sprite.bmp", 1, 1, 70, 80, 90);
  Image* hud = LoadImage("hud.bmp", 0);
  BeginImageBatch();
  LoadImage("hud.bmp", 0);  // the program's image, used by the map as well
  LoadImage("tiles.bmp", 0);
  EndImageBatch(-1, -1);
  Image* tiles = LoadImage("tiles.bmp", 0);
  Image* sprite = LoadImage("sprite.bmp", 0);
  EXPECT_EQ(RequestImage("sprite.bmp", 0), sprite);  // an object type draws from it too
  ReleaseImage(nullptr);
  ReleaseImage(hud);
  ReleaseImage(tiles);
  ReleaseImage(sprite);
  EXPECT_EQ(Used(), 3);
  EXPECT_EQ(Bytes(tiles->pixels, tiles->pixels + 3), (Bytes{40, 50, 60}));
  BeginImageBatch();
  LoadImage("tiles.bmp", 0);
  EndImageBatch(-1, -1);
  EXPECT_EQ(FindImage("hud.bmp"), nullptr);
  EXPECT_EQ(FindImage("sprite.bmp"), nullptr);
  EXPECT_EQ(FindImage("tiles.bmp"), tiles);
  // Loaded after the batch and asked for by nothing else: freed at once.
  Image* again = LoadImage("hud.bmp", 0);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Used(), 2);
  ReleaseImage(again);
  EXPECT_EQ(FindImage("hud.bmp"), nullptr);
  EXPECT_EQ(Used(), 1);
  ReleaseImage(tiles);  // given back already: the batches decide
  EXPECT_EQ(FindImage("tiles.bmp"), tiles);
}

TEST_F(Table, DoubledGfxImage) {
  // 3 x 2, 8 bits, flag bit 1, one cell (1, 1, 2, 1, ...).
  Builder f;
  f.U32(0x47465831);
  f.U32(0x494E464F).U32(32).U32(3).U32(2).U32(8).U32(0).U32(0).U32(0).U32(2).U32(0);
  Bytes pal(768, 0);
  f.U32(0x434D4150).U32(768).Raw(pal);
  f.U32(0x494D4745).U32(6).Raw({1, 2, 3, 4, 5, 6});
  f.U32(0x4354424C).U32(44).U32(1).U32(1).U32(1).U32(2).U32(1).U32(3).U32(4).U32(5).U32(6).U32(7).U32(8);
  f.U32(0x454E4446).U32(0);
  WriteBytes("twice.gfx", f.b);
  Image* img = LoadImage("twice.gfx", 0);
  ASSERT_NE(img, nullptr) << ErrorText;
  EXPECT_EQ(img->width, 6);
  EXPECT_EQ(img->height, 4);
  EXPECT_EQ(Bytes(img->pixels, img->pixels + 24),
            (Bytes{1, 1, 2, 2, 3, 3, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 4, 4, 5, 5, 6, 6}));
  const ImageCell& c = img->cells[0];
  EXPECT_EQ(std::vector<int32_t>({c.x, c.y, c.width, c.height, c.offsetX, c.offsetY, c.boxWidth, c.boxHeight,
                                  c.kind, c.flags}),
            std::vector<int32_t>({2, 2, 4, 2, 6, 8, 10, 12, 7, 8}));

  // Every pixel size doubles the same way.
  for (int bpp = 2; bpp <= 4; bpp++) {
    Image t = {};
    t.width = 2;
    t.height = 1;
    t.bytesPerPixel = bpp;
    t.pixels = static_cast<uint8_t*>(malloc(2 * bpp));
    for (int i = 0; i < 2 * bpp; i++) t.pixels[i] = static_cast<uint8_t>(i + 1);
    DoubleImage(&t);
    ASSERT_EQ(t.width, 4);
    for (int row = 0; row < 2; row++)
      for (int x = 0; x < 4; x++)
        for (int k = 0; k < bpp; k++)
          EXPECT_EQ(t.pixels[(row * 4 + x) * bpp + k], (x / 2) * bpp + k + 1);
    FreeImage(&t);
  }
}

TEST_F(Table, MaskPicksTheTransparentColour) {
  Image img = {};
  img.width = 4;
  img.height = 1;
  img.bits = 8;
  img.bytesPerPixel = 1;
  img.pixels = static_cast<uint8_t*>(malloc(4));
  memcpy(img.pixels, "\x05\x09\x00\x01", 4);
  img.palette = static_cast<uint8_t*>(calloc(768, 1));
  for (int e : {5, 9, 255}) {
    img.palette[e * 3] = 255;
    img.palette[e * 3 + 2] = 255;
  }
  BuildMask(&img);
  EXPECT_EQ(Bytes(img.mask, img.mask + 4), (Bytes{255, 0, 255, 255}));
  img.palette[9 * 3] = 0;
  img.palette[5 * 3] = 0;
  BuildMask(&img);  // no magenta among 0..254: index 0
  EXPECT_EQ(Bytes(img.mask, img.mask + 4), (Bytes{255, 255, 0, 255}));
  FreeImage(&img);

  Image w = {};
  w.width = 2;
  w.height = 1;
  w.bits = 16;
  w.bytesPerPixel = 2;
  w.pixels = static_cast<uint8_t*>(malloc(4));
  memcpy(w.pixels, "\x1F\xF8\x1F\x7C", 4);
  BuildMask(&w);
  EXPECT_EQ(Bytes(w.mask, w.mask + 2), (Bytes{0, 255}));
  w.bits = 15;
  BuildMask(&w);
  EXPECT_EQ(Bytes(w.mask, w.mask + 2), (Bytes{255, 0}));
  FreeImage(&w);
}

TEST_F(Table, FreeImageClearsEverything) {
  Image img = {};
  img.name = StrDup("x");
  img.pixels = static_cast<uint8_t*>(malloc(4));
  img.mask = static_cast<uint8_t*>(malloc(4));
  img.palette = static_cast<uint8_t*>(malloc(768));
  img.cells = static_cast<ImageCell*>(malloc(sizeof(ImageCell)));
  img.tileRemap = static_cast<uint16_t*>(malloc(2));
  img.skeleton = static_cast<Skeleton*>(calloc(1, sizeof(Skeleton)));
  img.width = 9;
  FreeImage(&img);
  Image zero = {};
  EXPECT_EQ(memcmp(&img, &zero, sizeof img), 0);
}

}  // namespace
