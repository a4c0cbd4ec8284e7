// zorta-tool convert and info, run as a separate process on real files.
#include "image_test_support.h"

#include <sys/stat.h>

using namespace zorta;

namespace {

class Tool : public ImageTest {
 protected:
  std::string tool;
  void SetUp() override {
    ImageTest::SetUp();
    tool = BuildDir() + "/zorta-tool";
    if (access(tool.c_str(), X_OK) != 0) GTEST_SKIP() << "zorta-tool is not built at " << tool;
  }
  // Exit status and standard error of a tool run.
  int Tool2(const std::string& args, std::string* err) {
    int rc = system((tool + " " + args + " 2>err.txt >out.txt").c_str());
    Bytes e = ReadFile("err.txt");
    *err = std::string(e.begin(), e.end());
    return WEXITSTATUS(rc);
  }
  std::string Out() {
    Bytes o = ReadFile("out.txt");
    return std::string(o.begin(), o.end());
  }
};

Bytes GfxFile(int bits, const Bytes& pixels, int w, int h, bool palette, uint32_t flags = 0) {
  Builder f;
  f.U32(0x47465831);
  f.U32(0x494E464F).U32(32).U32(w).U32(h).U32(bits).U32(0).U32(0).U32(0).U32(flags).U32(0);
  if (palette) {
    Bytes pal(768);
    for (int i = 0; i < 768; i++) pal[i] = static_cast<uint8_t>(i * 7);
    f.U32(0x434D4150).U32(768).Raw(pal);
  }
  f.U32(0x494D4745).U32(static_cast<uint32_t>(pixels.size())).Raw(pixels);
  f.U32(0x4354424C).U32(44).U32(1).U32(0).U32(1).U32(2).U32(1).U32(0).U32(0).U32(2).U32(1).U32(1).U32(0);
  f.U32(0x56454354).U32(0).U32(1).F32(0).F32(1).U32(0xFFFFFFFF).U32(0).F32(0).F32(0).F32(0).F32(1).U32(0).U32(0);
  f.U32(1).Text("walk\x01\"").U8(0).U32(2).Raw(Bytes(48, 0));
  f.U32(0x454E4446).U32(0);
  return f.b;
}

TEST_F(Tool, ConvertsEveryFormatToPng) {
  std::string err;
  WriteBytes("src.ppm", MakePPM(5, 3, PatternRGB(5, 3, 1)));
  Bytes expected = RunCapture("convert src.ppm -depth 8 rgb:-");
  RunCommand("convert src.ppm -type TrueColor BMP3:in.bmp");
  ASSERT_EQ(Tool2("convert in.bmp out.png", &err), 0) << err;
  EXPECT_EQ(RunCapture("convert out.png -depth 8 rgb:-"), expected);

  RunCommand("convert src.ppm -alpha set -channel A -fx 'j/3' +channel -type TrueColorAlpha -depth 8 in.tga");
  ASSERT_EQ(Tool2("convert in.tga out.png", &err), 0) << err;
  EXPECT_EQ(RunCapture("convert out.png -depth 8 rgba:-"), RunCapture("convert in.tga -depth 8 rgba:-"));

  WriteBytes("few.ppm", MakePPM(6, 2, {1, 2, 3, 4, 5, 6, 1, 2, 3, 9, 9, 9, 4, 5, 6, 1, 2, 3,
                                      9, 9, 9, 9, 9, 9, 1, 2, 3, 4, 5, 6, 4, 5, 6, 1, 2, 3}));
  RunCommand("ppmtoilbm -quiet few.ppm > in.ilbm");
  ASSERT_EQ(Tool2("convert in.ilbm out.png", &err), 0) << err;
  EXPECT_EQ(RunCapture("convert out.png -depth 8 rgb:-"), RunCapture("convert few.ppm -depth 8 rgb:-"));

  // 8 bits through the palette; 16 bits widened with zero low bits.
  WriteBytes("pal.gfx", GfxFile(8, {0, 1, 2, 3}, 2, 2, true));
  ASSERT_EQ(Tool2("convert pal.gfx out.png", &err), 0) << err;
  EXPECT_EQ(RunCapture("convert out.png -depth 8 rgb:-"),
            (Bytes{0, 7, 14, 21, 28, 35, 42, 49, 56, 63, 70, 77}));
  WriteBytes("w16.gfx", GfxFile(16, {0xE0, 0x07, 0x1F, 0xF8}, 2, 1, false));
  ASSERT_EQ(Tool2("convert w16.gfx out.png", &err), 0) << err;
  EXPECT_EQ(RunCapture("convert out.png -depth 8 rgb:-"), (Bytes{0, 0xFC, 0, 0xF8, 0, 0xF8}));
}

TEST_F(Tool, InfoDescribesTheImage) {
  std::string err;
  WriteBytes("w16.gfx", GfxFile(16, {0xE0, 0x07, 0x1F, 0xF8, 0, 0, 0, 0}, 2, 2, false, 2));
  ASSERT_EQ(Tool2("info w16.gfx", &err), 0) << err;
  std::string out = Out();
  EXPECT_NE(out.find("\"format\": \"GFX\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"width\": 4"), std::string::npos) << out;  // doubled on loading
  EXPECT_NE(out.find("\"bits\": 16"), std::string::npos);
  EXPECT_NE(out.find("\"palette\": false"), std::string::npos);
  EXPECT_NE(out.find("[0, 2, 4, 2, 0, 0, 4, 2, 1, 0]"), std::string::npos) << out;
  EXPECT_NE(out.find("\"bones\": 1"), std::string::npos);
  EXPECT_NE(out.find("{\"name\": \"walk\\u0001\\\"\", \"keys\": 2}"), std::string::npos) << out;
  if (system("python3 -c 'import json' 2>/dev/null") == 0) {
    EXPECT_EQ(system("python3 -c 'import json,sys; json.load(open(\"out.txt\"))'"), 0) << out;
  }
}

TEST_F(Tool, ErrorsGoToStderrWithTheLoadersMessage) {
  std::string err;
  Builder noInfo;
  noInfo.U32(0x47465831).U32(0x494D4745).U32(1).U8(0).U32(0x454E4446).U32(0);
  WriteBytes("bad.gfx", noInfo.b);
  EXPECT_NE(Tool2("convert bad.gfx never.png", &err), 0);
  EXPECT_EQ(err, "zorta-tool convert: LoadGFX() - File contains no info header\n");
  EXPECT_NE(access("never.png", F_OK), 0);
  EXPECT_NE(Tool2("info missing.tga", &err), 0);
  EXPECT_EQ(err, "zorta-tool info: cannot open 'missing.tga': No such file or directory\n");
  EXPECT_EQ(Out(), "");
  WriteBytes("text.txt", {'x'});
  EXPECT_NE(Tool2("info text.txt", &err), 0);
  EXPECT_EQ(err, "zorta-tool info: 'text.txt' is not a BMP, ILBM, GFX, TGA or PNG image\n");
  EXPECT_NE(Tool2("convert", &err), 0);
  WriteBytes("ok.gfx", GfxFile(16, {0, 0}, 1, 1, false));
  EXPECT_NE(Tool2("convert ok.gfx no-such-dir/out.png", &err), 0);
  EXPECT_NE(err.find("cannot write 'no-such-dir/out.png'"), std::string::npos) << err;
}

TEST_F(Tool, InfoKeepsUtf8NamesAndCarriesOtherBytes) {
  std::string err;
  WriteBytes("\xC3\xA9t\xC3\xA9.gfx", GfxFile(16, {0xE0, 0x07}, 1, 1, false));
  ASSERT_EQ(Tool2("info '\xC3\xA9t\xC3\xA9.gfx'", &err), 0) << err;
  EXPECT_NE(Out().find("\"file\": \"\xC3\xA9t\xC3\xA9.gfx\","), std::string::npos) << Out();
  // The name as a JSON reader sees it, written back as bytes the way
  // Python's surrogateescape writes U+DC80..U+DCFF.
  std::string script = "import json\nname = json.load(open('out.txt'))['file']\n"
                       "open('name.bin', 'wb').write(name.encode('utf-8', 'surrogateescape'))\n";
  WriteBytes("name.py", Bytes(script.begin(), script.end()));
  ASSERT_EQ(system("python3 name.py"), 0) << Out();
  EXPECT_EQ(ReadFile("name.bin"), (Bytes{0xC3, 0xA9, 't', 0xC3, 0xA9, '.', 'g', 'f', 'x'}));
  // Latin-1 bytes are not UTF-8: each comes out as U+DC00 + byte, which reads
  // back as the same bytes (Python's surrogateescape).
  WriteBytes("x\xFF\xE9y.gfx", GfxFile(16, {0xE0, 0x07}, 1, 1, false));
  ASSERT_EQ(Tool2("info 'x\xFF\xE9y.gfx'", &err), 0) << err;
  EXPECT_NE(Out().find("\"file\": \"x\\udcff\\udce9y.gfx\","), std::string::npos) << Out();
  ASSERT_EQ(system("python3 name.py"), 0) << Out();
  EXPECT_EQ(ReadFile("name.bin"), (Bytes{'x', 0xFF, 0xE9, 'y', '.', 'g', 'f', 'x'}));
  EXPECT_EQ(system("python3 -m json.tool out.txt >/dev/null"), 0) << Out();
}

TEST_F(Tool, ImageNamesAsWrittenOnWindows) {
  std::string err;
  mkdir("Sets", 0755);
  WriteBytes("Sets/Tile.gfx", GfxFile(16, {0xE0, 0x07}, 1, 1, false));
  ASSERT_EQ(Tool2("info 'sets\\TILE.GFX'", &err), 0) << err;
  EXPECT_NE(Out().find("\"format\": \"GFX\""), std::string::npos) << Out();
  ASSERT_EQ(Tool2("convert 'SETS\\tile.gfx' out.png", &err), 0) << err;
  EXPECT_EQ(RunCapture("convert out.png -depth 8 rgb:-"), (Bytes{0, 0xFC, 0}));
}

TEST_F(Tool, RefusedVariantsGetTheLoadersMessage) {
  std::string err;
  WriteBytes("src.ppm", MakePPM(5, 3, PatternRGB(5, 3, 2)));
  RunCommand("convert src.ppm -type TrueColor -depth 8 -compress None rgb24.tga");
  EXPECT_NE(Tool2("convert rgb24.tga never.png", &err), 0);
  EXPECT_EQ(err, "zorta-tool convert: LoadTGA() - Unsupported pixel depth\n");
  RunCommand("convert src.ppm -type Palette -compress None mapped.tga");
  EXPECT_NE(Tool2("info mapped.tga", &err), 0);
  EXPECT_EQ(err, "zorta-tool info: LoadTGA() - Unsupported image type\n");
  // A BMP holding a JPEG (compression 4).
  RunCommand("convert src.ppm -type Palette BMP3:pal.bmp");
  Bytes jpeg = ReadFile("pal.bmp");
  jpeg[30] = 4;
  WriteBytes("jpeg.bmp", jpeg);
  EXPECT_NE(Tool2("info jpeg.bmp", &err), 0);
  EXPECT_EQ(err, "zorta-tool info: LoadBMPVariant() - Unsupported compression\n");
  EXPECT_EQ(Out(), "");
  RunCommand("ppmtoilbm -quiet -dcbits 5 6 5 -dcforce src.ppm > dc.ilbm");
  EXPECT_NE(Tool2("convert dc.ilbm never.png", &err), 0);
  EXPECT_EQ(err, "zorta-tool convert: LoadILBM() - Unsupported direct colour layout\n");
  EXPECT_NE(access("never.png", F_OK), 0);

  // A BMP cut inside its header is still plainly a BMP.
  Bytes cut = ReadFile("pal.bmp");
  cut.resize(24);
  WriteBytes("cut.bmp", cut);
  EXPECT_NE(Tool2("info cut.bmp", &err), 0);
  EXPECT_EQ(err, "zorta-tool info: LoadBMP() - File is truncated\n");
  // Bytes that only begin like one are no image at all.
  WriteBytes("bm.txt", {'B', 'M', 'W', ' ', 'c', 'a', 'r', 's', ' ', 'a', 'n', 'd', ' ', 'm', 'o', 'r', 'e', '!', '\n'});
  EXPECT_NE(Tool2("info bm.txt", &err), 0);
  EXPECT_EQ(err, "zorta-tool info: 'bm.txt' is not a BMP, ILBM, GFX, TGA or PNG image\n");
  WriteBytes("zeros.bin", Bytes(64, 0));
  EXPECT_NE(Tool2("info zeros.bin", &err), 0);
  EXPECT_EQ(err, "zorta-tool info: 'zeros.bin' is not a BMP, ILBM, GFX, TGA or PNG image\n");
}

TEST_F(Tool, ReadsPngAndTheOtherBmpVariants) {
  std::string err;
  WriteBytes("src.ppm", MakePPM(5, 3, PatternRGB(5, 3, 4)));
  RunCommand("convert src.ppm -alpha set -channel A -fx 'i/4' +channel -depth 8 PNG32:in.png");
  ASSERT_EQ(Tool2("convert in.png out.png", &err), 0) << err;
  Bytes keyed = MagickKeyed("in.png");
  EXPECT_EQ(RunCapture("convert out.png -depth 8 rgb:-"), keyed);
  EXPECT_EQ(Bytes(keyed.begin(), keyed.begin() + 3), (Bytes{255, 0, 255}));  // alpha 0 in the first column
  ASSERT_EQ(Tool2("info in.png", &err), 0) << err;
  EXPECT_NE(Out().find("\"format\": \"PNG\""), std::string::npos) << Out();
  EXPECT_NE(Out().find("\"bits\": 24"), std::string::npos) << Out();

  RunCommand("convert src.ppm -type Palette BMP3:pal.bmp");
  ASSERT_EQ(Tool2("info pal.bmp", &err), 0) << err;
  EXPECT_NE(Out().find("\"format\": \"BMP\""), std::string::npos) << Out();
  EXPECT_NE(Out().find("\"bits\": 4"), std::string::npos) << Out();  // 15 colours
  EXPECT_NE(Out().find("\"palette\": true"), std::string::npos) << Out();
  ASSERT_EQ(Tool2("convert pal.bmp out.png", &err), 0) << err;
  EXPECT_EQ(RunCapture("convert out.png -depth 8 rgb:-"), RunCapture("convert src.ppm -depth 8 rgb:-"));

  // A broken PNG: the loader's message, no output file.
  Bytes cut = ReadFile("in.png");
  cut.resize(cut.size() / 2);
  WriteBytes("cut.png", cut);
  EXPECT_NE(Tool2("convert cut.png never.png", &err), 0);
  EXPECT_EQ(err, "zorta-tool convert: LoadPNG() - File is truncated\n");
  EXPECT_NE(access("never.png", F_OK), 0);
}

TEST_F(Tool, MapTilesTakesPngSheets) {
  std::string err;
  // 64 x 32: the second tile holds magenta (PNG8, a palette image) or
  // transparent pixels (PNG32): both are drawn keyed.
  RunCommand("convert -size 64x32 xc:'#204060' -fill magenta -draw 'rectangle 40,0 44,31' PNG8:sheet8.png");
  RunCommand("convert -size 64x32 xc:'#204060' -alpha set -channel A -fx 'i<40||i>44' +channel PNG32:sheet32.png");
  for (const char* sheet : {"sheet8.png", "sheet32.png"}) {
    SCOPED_TRACE(sheet);
    ASSERT_EQ(Tool2(std::string("map tiles ") + sheet + " tiles.gfx", &err), 0) << err;
    Image* image = LoadImage("tiles.gfx", 0);
    ASSERT_NE(image, nullptr) << ErrorText;
    EXPECT_EQ(image->bits, 24);
    ASSERT_EQ(image->cellCount, 2);
    EXPECT_EQ(image->cells[0].kind, 2);
    EXPECT_EQ(image->cells[1].kind, 1);
    EXPECT_EQ(Bytes(image->pixels, image->pixels + 3), (Bytes{0x20, 0x40, 0x60}));
    EXPECT_EQ(Bytes(image->pixels + 40 * 3, image->pixels + 41 * 3), (Bytes{255, 0, 255}));
    FreeAllImages();
  }
  // 16-bit GFX images are neither 24 bits nor a palette.
  WriteBytes("w16.gfx", GfxFile(16, Bytes(32 * 32 * 2, 0), 32, 32, false));
  EXPECT_NE(Tool2("map tiles w16.gfx tiles.gfx", &err), 0);
  EXPECT_EQ(err, "zorta-tool map tiles: 'w16.gfx': a tile set needs a 24-bit or palette image whose sides are multiples of 32\n");
}

}  // namespace
