// BMP variants and PNG: files made by ImageMagick during the run and found
// in Debian's packages, each decoded equal to ImageMagick's own reading with
// pixels less than half opaque taken as magenta; files built byte by byte
// (and PNGs written through libpng) for the edges and for broken input.
#include "image_test_support.h"

#include <png.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "image/image_formats.h"

using namespace zorta;

namespace {

// Red, green, blue of every pixel, indices through the palette.
Bytes Colours(const Image& img) {
  Bytes out;
  size_t count = static_cast<size_t>(img.width) * img.height;
  for (size_t i = 0; i < count; i++) {
    if (img.bytesPerPixel == 1)
      out.insert(out.end(), img.palette + img.pixels[i] * 3, img.palette + img.pixels[i] * 3 + 3);
    else
      out.insert(out.end(), img.pixels + i * 3, img.pixels + i * 3 + 3);
  }
  return out;
}

// The CRC of a PNG chunk (type and data).
uint32_t ChunkCrc(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFF;
  for (size_t i = 0; i < n; i++) {
    c ^= p[i];
    for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
  }
  return c ^ 0xFFFFFFFF;
}

// Palette PNGs written through libpng, for what ImageMagick will not write.
Bytes WritePalettePng(int w, int h, int depth, const std::vector<png_color>& palette, const Bytes& alpha,
                      const Bytes& indices) {
  FILE* f = fopen("lib.png", "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    fclose(f);
    ADD_FAILURE() << "libpng could not write the test file";
    return {};
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, w, h, depth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!alpha.empty()) png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
  png_write_info(png, info);
  png_set_packing(png);
  for (int y = 0; y < h; y++) png_write_row(png, indices.data() + y * w);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  fclose(f);
  return ReadFile("lib.png");
}

// Little-endian BMP: file header, info header of `headerSize` bytes (width,
// height, depth, compression, colours used, masks from byte 40 on), then
// `between` (colour table or masks) and the pixel data.
Bytes Bmp(uint32_t headerSize, int32_t w, int32_t h, int bits, uint32_t compression, const Bytes& between,
          const Bytes& data, uint32_t colorsUsed = 0, std::vector<uint32_t> masks = {}) {
  Builder info;
  if (headerSize == 12) {
    info.U32(12).U16(static_cast<uint32_t>(w)).U16(static_cast<uint32_t>(h)).U16(1).U16(static_cast<uint32_t>(bits));
  } else {
    info.U32(headerSize).U32(static_cast<uint32_t>(w)).U32(static_cast<uint32_t>(h)).U16(1);
    info.U16(static_cast<uint32_t>(bits)).U32(compression).U32(static_cast<uint32_t>(data.size()));
    info.U32(2835).U32(2835).U32(colorsUsed).U32(0);
    for (uint32_t m : masks) info.U32(m);
    while (info.b.size() < headerSize) info.U8(0);
  }
  uint32_t offset = static_cast<uint32_t>(14 + info.b.size() + between.size());
  Builder f;
  f.U16(0x4D42).U32(static_cast<uint32_t>(offset + data.size())).U32(0).U32(offset);
  f.Raw(info.b).Raw(between).Raw(data);
  return f.b;
}

class Variants : public ImageTest {
 protected:
  Image img = {};
  char message[LoadMessageSize] = "";
  void TearDown() override {
    FreeImage(&img);
    ImageTest::TearDown();
  }
  // The format's loader on the file, and again from memory: same answer.
  int Load(int format, const std::string& path) {
    FreeImage(&img);
    message[0] = 0;
    int result = RunLoader(ImageFormats[format], path.c_str(), &img, message);
    Bytes bytes = ReadFile(path);
    FileHandle f = FileOpenMemory(bytes.data(), bytes.size(), ImageFormats[format].byteOrder);
    Image copy = {};
    char copyMessage[LoadMessageSize] = "";
    int copyResult = ImageFormats[format].load(f, &copy, copyMessage);
    FileClose(f);
    EXPECT_EQ(copyResult, result) << path;
    EXPECT_STREQ(copyMessage, message) << path;
    if (result && copyResult) {
      EXPECT_EQ(Colours(copy), Colours(img)) << path;
    }
    FreeImage(&copy);
    return result;
  }
  // Probed as the table probes; then decoded equal to ImageMagick's reading
  // of `reference` (the file itself unless named). Bits 0: indexed at the
  // depth the BMP file states.
  void ExpectAsMagick(const std::string& path, int format, int bits, const std::string& reference = "") {
    SCOPED_TRACE(path);
    for (int k = 0; k < ImageFormatCount; k++)
      EXPECT_EQ(RunProbe(ImageFormats[k], path.c_str(), message), k == format ? -1 : 0) << ImageFormats[k].testName;
    ASSERT_EQ(Load(format, path), -1) << message;
    if (bits == 0) {
      Bytes b = ReadFile(path);
      bits = format == FormatPNG ? b[24] : b[14] == 12 ? b[24] : b[28];
      ASSERT_LE(bits, 8);
    }
    EXPECT_EQ(img.bits, bits);
    EXPECT_EQ(img.bytesPerPixel, bits <= 8 ? 1 : 3);
    EXPECT_EQ(img.palette != nullptr, bits <= 8);
    Bytes expected = MagickKeyed(reference.empty() ? path : reference);
    ASSERT_EQ(expected.size(), static_cast<size_t>(img.width) * img.height * 3);
    EXPECT_EQ(Colours(img), expected);
  }
  void ExpectFailure(int format, const std::string& path, const char* text) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Load(format, path), 0);
    EXPECT_STREQ(message, text);
    EXPECT_EQ(img.pixels, nullptr);
    EXPECT_EQ(img.palette, nullptr);
    EXPECT_EQ(Boxes(), 0);
  }
};

// Pictures of 2, 16 and up to 200 distinct colours, and one with an alpha ramp.
void MakeSources(int w, int h) {
  Bytes rgb;
  for (int i = 0; i < w * h; i++) {
    int c = (i * 7 + i / w) % 200;
    rgb.insert(rgb.end(), {static_cast<uint8_t>(c * 37), static_cast<uint8_t>(255 - c), static_cast<uint8_t>(c * 5)});
  }
  WriteBytes("many.ppm", MakePPM(w, h, rgb));
  WriteBytes("true.ppm", MakePPM(w, h, PatternRGB(w, h, w)));
  RunCommand("convert many.ppm -colors 2 two.ppm && convert many.ppm -colors 16 sixteen.ppm");
  std::string n = std::to_string(w + h);
  RunCommand("convert true.ppm -alpha set -channel A -fx 'i/" + n + "+j/" + n + "' +channel -depth 8 ramp.png");
}

TEST_F(Variants, BmpFromImageMagickAtEveryDepthAndHeader) {
  // Bits 0: a colour table at the depth ImageMagick picked for the colours.
  struct Case { const char* from; const char* options; int bits; };
  const Case cases[] = {
      {"two.ppm", "-type Palette BMP3:", 0},          {"sixteen.ppm", "-type Palette BMP3:", 0},
      {"many.ppm", "-type Palette BMP3:", 0},         {"many.ppm", "-type Palette BMP:", 0},
      {"many.ppm", "-type Palette -compress RLE BMP3:", 0},
      {"two.ppm", "-type Palette BMP2:", 0},          {"many.ppm", "-type Palette BMP2:", 0},
      {"true.ppm", "-type TrueColor BMP2:", 24},
      {"true.ppm", "-define bmp:subtype=RGB565 BMP:", 24}, {"true.ppm", "-define bmp:subtype=RGB555 BMP:", 24},
      {"ramp.png", "-define bmp:subtype=ARGB1555 BMP:", 24},
      {"ramp.png", "BMP:", 24},  // 32 bits, bit fields with alpha, 124-byte header
      {"ramp.png", "-define bmp3:alpha=true BMP3:", 24},  // 32 bits, alpha in the fourth byte
      {"true.ppm", "-alpha set -alpha opaque -define bmp3:alpha=true BMP3:", 24},
  };
  for (int w : {1, 5, 13, 40}) {
    MakeSources(w, 3);
    int n = 0;
    for (const Case& c : cases) {
      std::string out = "v" + std::to_string(n++) + ".bmp";
      RunCommand(std::string("convert ") + c.from + " " + c.options + out);
      // ImageMagick 6 misreads its own run-length files where a run covers
      // the row padding; the picture they were made from is the reference.
      ExpectAsMagick(out, FormatBMPVariant, c.bits, strstr(c.options, "RLE") ? c.from : "");
    }
  }
  // The files are what they are meant to be: packed, 16 and 32 bits deep.
  EXPECT_EQ(ReadFile("v4.bmp")[30], 1);
  EXPECT_EQ(ReadFile("v2.bmp")[28], 8);
  EXPECT_EQ(ReadFile("v8.bmp")[28], 16);
  EXPECT_EQ(ReadFile("v12.bmp")[28], 32);
  EXPECT_EQ(ReadFile("v13.bmp")[28], 32);
}

TEST_F(Variants, FourBitChannelsReachFullScale) {
  // ImageMagick 6 reads a 4-bit channel v as 16 v (white as 240); the loader
  // widens it to 17 v, so white stays white.
  MakeSources(6, 2);
  RunCommand("convert ramp.png -define bmp:subtype=ARGB4444 BMP:argb.bmp");
  ASSERT_EQ(Load(FormatBMPVariant, "argb.bmp"), -1) << message;
  Bytes magick = MagickKeyed("argb.bmp");
  Bytes expected;
  for (size_t i = 0; i < magick.size(); i += 3) {
    bool key = magick[i] == 255 && magick[i + 1] == 0 && magick[i + 2] == 255;
    for (int k = 0; k < 3; k++) expected.push_back(key ? magick[i + k] : static_cast<uint8_t>(magick[i + k] / 16 * 17));
  }
  EXPECT_EQ(Colours(img), expected);
  RunCommand("convert -size 2x1 xc:white -alpha set -define bmp:subtype=ARGB4444 BMP:white.bmp");
  ASSERT_EQ(Load(FormatBMPVariant, "white.bmp"), -1) << message;
  EXPECT_EQ(Colours(img), Bytes(6, 255));
}

TEST_F(Variants, BmpBuiltByteByByteReadsAsImageMagickReadsIt) {
  Bytes table;  // four entries blue, green, red, 0
  for (int i = 0; i < 4; i++) table.insert(table.end(), {static_cast<uint8_t>(i * 60), static_cast<uint8_t>(i), 200, 0});
  struct Case { const char* name; Bytes file; int bits; };
  std::vector<Case> cases;
  // RLE4: a run alternating two indices, a literal run of 4, end of row, a
  // move, a run, and a stream that stops without its end mark.
  cases.push_back({"rle4.bmp", Bmp(40, 8, 4, 4, 2, table, {4, 0x12, 0, 4, 0x30, 0x21, 0, 0, 0, 2, 2, 1, 3, 0x33}, 4), 4});
  // RLE8 with an end of row in mid-row, a literal run of 3 (padded), a move
  // and the end of the picture; pixels never reached are index 0.
  cases.push_back({"rle8.bmp", Bmp(40, 5, 4, 8, 1, table, {2, 3, 0, 0, 0, 3, 1, 2, 3, 0, 0, 2, 1, 1, 1, 2, 0, 1}, 4), 8});
  // Rows from the top (negative height) at 8 and 16 bits.
  cases.push_back({"top8.bmp", Bmp(40, 3, -2, 8, 0, table, {0, 1, 2, 0, 3, 2, 1, 0}, 4), 8});
  cases.push_back({"top16.bmp", Bmp(40, 2, -2, 16, 0, {}, {0x1F, 0x7C, 0xE0, 0x03, 0x00, 0x7C, 0xFF, 0x7F}), 24});
  // 32 bits, 40-byte header, the fourth byte 0 everywhere: opaque.
  cases.push_back({"x32.bmp", Bmp(40, 2, 1, 32, 0, {}, {10, 20, 30, 0, 40, 50, 60, 0}), 24});
  // OS/2 1.x: 12-byte header, three-byte colour table entries.
  cases.push_back({"os2.bmp", Bmp(12, 9, 2, 1, 0, {0, 0, 0, 255, 128, 0}, {0xA5, 0x80, 0, 0, 0x5A, 0x7F, 0, 0}), 1});
  // A file size of 0 and indices past the table (index 0 then).
  Bytes slips = Bmp(40, 3, 2, 4, 0, table, {0x01, 0x20, 0, 0, 0xF3, 0x90, 0, 0}, 4);
  slips[2] = slips[3] = slips[4] = slips[5] = 0;
  cases.push_back({"slips.bmp", slips, 4});
  for (const Case& c : cases) {
    WriteBytes(c.name, c.file);
    ExpectAsMagick(c.name, FormatBMPVariant, c.bits);
  }

  // Slips ImageMagick refuses and the loader lets through, reading the same
  // picture: a colour count beyond what 4 bits index, a count of 0 with a
  // table cut short by the data offset, a last row without its padding.
  Bytes reference = Colours(img);
  Bytes many = Bmp(40, 3, 2, 4, 0, table, {0x01, 0x20, 0, 0, 0xF3, 0x90, 0, 0}, 300);
  Bytes none = Bmp(40, 3, 2, 4, 0, table, {0x01, 0x20, 0, 0, 0xF3, 0x90, 0, 0}, 0);
  Bytes unpadded = Bmp(40, 3, 2, 4, 0, table, {0x01, 0x20, 0, 0, 0xF3, 0x90}, 4);
  for (const Bytes& file : {many, none, unpadded}) {
    WriteBytes("slip.bmp", file);
    ASSERT_EQ(Load(FormatBMPVariant, "slip.bmp"), -1) << message;
    EXPECT_EQ(Colours(img), reference);
  }

  // 2 bits per index (Windows CE), which ImageMagick does not read: the same
  // picture as the 8-bit file of the same indices, which it does.
  WriteBytes("two.bmp", Bmp(40, 5, 2, 2, 0, table, {0x1B, 0x40, 0, 0, 0xE4, 0xC0, 0, 0}, 4));
  WriteBytes("eight.bmp", Bmp(40, 5, 2, 8, 0, table, {0, 1, 2, 3, 1, 0, 0, 0, 3, 2, 1, 0, 3, 0, 0, 0}, 4));
  ExpectAsMagick("eight.bmp", FormatBMPVariant, 8);
  Bytes eight = Colours(img);
  ASSERT_EQ(Load(FormatBMPVariant, "two.bmp"), -1) << message;
  EXPECT_EQ(img.bits, 2);
  EXPECT_EQ(Colours(img), eight);
}

TEST_F(Variants, ChannelsWiderThanAByteReachFullScale) {
  // 10 bits of red, 11 of green and of blue, rounded to 8 bits.
  WriteBytes("wide.bmp", Bmp(40, 3, 1, 32, 3, Builder().U32(0xFFC00000).U32(0x3FF800).U32(0x7FF).b,
                             Builder().U32(0xFFFFFFFF).U32(0x12345678).U32(0x80200401).b));
  ExpectAsMagick("wide.bmp", FormatBMPVariant, 24);
  EXPECT_EQ(Bytes(img.pixels, img.pixels + 3), Bytes(3, 255));
  EXPECT_EQ(img.pixels[6], 128);  // red 512 of 1023
}

TEST_F(Variants, BmpRefusals) {
  Bytes table(16, 7);
  struct Case { const char* name; Bytes file; const char* text; };
  Bytes cutRow = Bmp(40, 4, 4, 8, 0, table, Bytes(15, 1), 4);
  Bytes cutTable = Bmp(40, 4, 4, 8, 0, table, {}, 4);
  cutTable.resize(14 + 40 + 9);
  Bytes cutMasks = Bmp(40, 1, 1, 16, 3, {}, {});
  cutMasks.resize(14 + 40 + 6);
  Bytes cutHeader = Bmp(124, 1, 1, 32, 3, {}, {});
  cutHeader.resize(100);
  Bytes farData = Bmp(40, 1, 1, 8, 0, table, {0, 0, 0, 0}, 4);
  farData[10] = 0xFF;
  farData[11] = 0xFF;
  const Case cases[] = {
      {"cutrow.bmp", cutRow, "LoadBMPVariant() - File is truncated"},
      {"cuttable.bmp", cutTable, "LoadBMPVariant() - File is truncated"},
      {"cutmasks.bmp", cutMasks, "LoadBMPVariant() - File is truncated"},
      {"cutheader.bmp", cutHeader, "LoadBMPVariant() - File is truncated"},
      {"fardata.bmp", farData, "LoadBMPVariant() - File is truncated"},
      // A short run-length stream cannot ask for a huge picture.
      {"bigrle.bmp", Bmp(40, 16000, 16000, 8, 1, table, {0, 1}, 4), "LoadBMPVariant() - File is truncated"},
      {"jpeg.bmp", Bmp(40, 1, 1, 24, 4, {}, {0, 0, 0, 0}), "LoadBMPVariant() - Unsupported compression"},
      {"rle8at4.bmp", Bmp(40, 1, 1, 4, 1, table, {0, 1}, 4), "LoadBMPVariant() - Unsupported compression"},
      {"fields8.bmp", Bmp(40, 1, 1, 8, 3, table, {0, 0, 0, 0}, 4), "LoadBMPVariant() - Unsupported compression"},
      {"huffman.bmp", Bmp(64, 1, 1, 1, 3, table, {0, 0, 0, 0}, 2), "LoadBMPVariant() - Unsupported compression"},
      {"deep.bmp", Bmp(40, 1, 1, 64, 0, {}, Bytes(8, 0)), "LoadBMPVariant() - Unsupported pixel depth"},
      {"three.bmp", Bmp(40, 1, 1, 3, 0, table, Bytes(4, 0)), "LoadBMPVariant() - Unsupported pixel depth"},
      {"huge.bmp", Bmp(40, 0x10000, 0x10000, 8, 0, table, {}, 4), "LoadBMPVariant() - Image size is out of range"},
      {"zero.bmp", Bmp(40, 0, 5, 8, 0, table, {}, 4), "LoadBMPVariant() - Image size is out of range"},
      {"wrap.bmp", Bmp(40, 1, INT32_MIN, 16, 0, {}, {}), "LoadBMPVariant() - Image size is out of range"},
  };
  for (const Case& c : cases) {
    WriteBytes(c.name, c.file);
    ExpectFailure(FormatBMPVariant, c.name, c.text);
  }
  // The probe wants the signature, a header size that exists and the header
  // as far as the depth.
  Bytes odd = Bmp(40, 1, 1, 8, 0, table, {0, 0, 0, 0}, 4);
  odd[14] = 11;
  WriteBytes("odd.bmp", odd);
  EXPECT_EQ(RunProbe(ImageFormats[FormatBMPVariant], "odd.bmp", message), 0);
  Bytes shortHead = Bmp(40, 1, 1, 8, 0, table, {}, 4);
  shortHead.resize(29);
  WriteBytes("short.bmp", shortHead);
  EXPECT_EQ(RunProbe(ImageFormats[FormatBMPVariant], "short.bmp", message), 0);
  shortHead.resize(30);
  WriteBytes("short.bmp", shortHead);
  EXPECT_EQ(RunProbe(ImageFormats[FormatBMPVariant], "short.bmp", message), -1);
  // Quiet about a file it cannot open: the first four probes have said so.
  EXPECT_EQ(RunProbe(ImageFormats[FormatBMPVariant], "absent.bmp", message), 0);
  EXPECT_STREQ(message, "");
  EXPECT_EQ(RunProbe(ImageFormats[FormatPNG], "absent.png", message), 0);
  EXPECT_STREQ(message, "");
  ExpectFailure(FormatBMPVariant, "odd.bmp", "LoadBMPVariant() - Unsupported header size");
}

TEST_F(Variants, PngOfEveryColourTypeAndDepth) {
  MakeSources(7, 5);
  RunCommand("convert true.ppm -alpha set -channel A -fx 'i>3?1:0' +channel -depth 8 binary.png");
  struct Case { std::string command; int bits; };
  const Case cases[] = {
      {"many.ppm PNG8:", 0},
      {"binary.png PNG8:", 0},  // tRNS on the palette
      {"sixteen.ppm -type Palette", 0},
      {"many.ppm -colors 4 -type Palette -depth 2", 0},
      {"true.ppm PNG24:", 24},
      {"binary.png PNG24:", 24},  // tRNS naming one colour
      {"ramp.png PNG32:", 24},
      {"true.ppm PNG48:", 24},
      {"ramp.png PNG64:", 24},
      {"binary.png -define png:color-type=2 -define png:bit-depth=16", 24},  // 16-bit tRNS colour
      {"true.ppm -interlace PNG PNG24:", 24},
      {"ramp.png -interlace PNG PNG32:", 24},
      {"binary.png -interlace PNG PNG8:", 0},
      {"true.ppm -colorspace Gray", 24},
      {"true.ppm -colorspace Gray -depth 16", 24},
      {"true.ppm -colorspace Gray -depth 4", 24},
      {"true.ppm -colorspace Gray -depth 2", 24},
      {"true.ppm -colorspace Gray -depth 1", 24},
      {"ramp.png -colorspace Gray -define png:color-type=4", 24},
      {"ramp.png -colorspace Gray -depth 16 -define png:color-type=4", 24},
      {"binary.png -colorspace Gray -define png:color-type=0 -define png:bit-depth=8", 24},  // grey tRNS
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string out = "p" + std::to_string(n++) + ".png";
    RunCommand("convert " + c.command + (c.command.back() == ':' ? "" : " ") + out);
    ExpectAsMagick(out, FormatPNG, c.bits);
  }
  // The files are of the kinds named: colour type and depth from IHDR.
  auto ihdr = [](const std::string& path) {
    Bytes b = ReadFile(path);
    return std::make_pair(static_cast<int>(b[25]), static_cast<int>(b[24]));
  };
  EXPECT_EQ(ihdr("p0.png"), std::make_pair(3, 8));
  EXPECT_LT(ihdr("p3.png").second, 8);
  EXPECT_EQ(ihdr("p9.png"), std::make_pair(2, 16));
  EXPECT_EQ(ihdr("p17.png"), std::make_pair(0, 1));
  EXPECT_EQ(ihdr("p19.png"), std::make_pair(4, 16));
  EXPECT_EQ(ihdr("p20.png"), std::make_pair(0, 8));
  EXPECT_EQ(ReadFile("p11.png")[28], 1);  // interlaced
}

TEST_F(Variants, PalettePngKeysEveryTransparentEntryThroughOneIndex) {
  // Entries 1 and 3 are transparent, entry 5 opaque magenta: all three end
  // up on the one index the mask uses, the last magenta entry below 255.
  std::vector<png_color> pal(8);
  for (int i = 0; i < 8; i++) pal[i] = {static_cast<png_byte>(i * 30), static_cast<png_byte>(i), 9};
  pal[5] = {255, 0, 255};
  Bytes alpha = {255, 0, 255, 127, 128};
  Bytes indices = {0, 1, 2, 3, 4, 5, 6, 7};
  WriteBytes("keyed.png", WritePalettePng(4, 2, 4, pal, alpha, indices));
  ASSERT_EQ(Load(FormatPNG, "keyed.png"), -1) << message;
  EXPECT_EQ(img.bits, 4);
  EXPECT_EQ(Bytes(img.pixels, img.pixels + 8), (Bytes{0, 5, 2, 5, 4, 5, 6, 7}));
  EXPECT_EQ(Colours(img), MagickKeyed("keyed.png"));
  BuildMask(&img);
  EXPECT_EQ(Bytes(img.mask, img.mask + 8), (Bytes{255, 0, 255, 0, 255, 0, 255, 255}));

  // Only entry 255 transparent: the mask never looks there, so the file is
  // read as 24 bits instead.
  std::vector<png_color> full(256);
  for (int i = 0; i < 256; i++) full[i] = {static_cast<png_byte>(i), static_cast<png_byte>(255 - i), 3};
  Bytes last(256, 255);
  last[255] = 0;
  WriteBytes("last.png", WritePalettePng(2, 1, 8, full, last, {255, 7}));
  ASSERT_EQ(Load(FormatPNG, "last.png"), -1) << message;
  EXPECT_EQ(img.bits, 24);
  EXPECT_EQ(img.palette, nullptr);
  EXPECT_EQ(Colours(img), (Bytes{255, 0, 255, 7, 248, 3}));
  EXPECT_EQ(Colours(img), MagickKeyed("last.png"));
}

// PNGs written through libpng and read back to the pixels written, with no
// ImageMagick: the PNG path on a system without it (the Windows run).
Bytes WritePng(const char* name, int w, int h, int colourType, int depth, int interlace, const Bytes& rows) {
  FILE* f = fopen(name, "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    fclose(f);
    ADD_FAILURE() << "libpng could not write " << name;
    return {};
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, w, h, depth, colourType, interlace, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  size_t rowBytes = rows.size() / h;
  int passes = png_set_interlace_handling(png);
  for (int pass = 0; pass < passes; pass++)
    for (int y = 0; y < h; y++) png_write_row(png, rows.data() + y * rowBytes);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  fclose(f);
  return ReadFile(name);
}

TEST_F(Variants, PngWrittenThroughLibpngReadsBackToItsPixels) {
  const int w = 9, h = 7;  // odd sides: every Adam7 pass holds a partial block
  Bytes rgb;
  for (int i = 0; i < w * h; i++)
    rgb.insert(rgb.end(), {static_cast<uint8_t>(i * 4), static_cast<uint8_t>(250 - i), static_cast<uint8_t>(i * 37)});
  for (int interlace : {PNG_INTERLACE_NONE, PNG_INTERLACE_ADAM7}) {
    SCOPED_TRACE(interlace);
    WritePng("rgb.png", w, h, PNG_COLOR_TYPE_RGB, 8, interlace, rgb);
    ASSERT_EQ(Load(FormatPNG, "rgb.png"), -1) << message;
    EXPECT_EQ(img.bits, 24);
    EXPECT_EQ(Colours(img), rgb);

    // Alpha below one half is magenta, from one half up it is dropped.
    Bytes rgba, keyed;
    const uint8_t alphas[] = {0, 127, 128, 255};
    for (int i = 0; i < w * h; i++) {
      uint8_t a = alphas[i % 4];
      rgba.insert(rgba.end(), {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2], a});
      if (a < 128)
        keyed.insert(keyed.end(), {255, 0, 255});
      else
        keyed.insert(keyed.end(), {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]});
    }
    WritePng("rgba.png", w, h, PNG_COLOR_TYPE_RGB_ALPHA, 8, interlace, rgba);
    ASSERT_EQ(Load(FormatPNG, "rgba.png"), -1) << message;
    EXPECT_EQ(Colours(img), keyed);

    // 16-bit grey at multiples of 257, which every rounding takes to k.
    Bytes grey16, grey;
    for (int i = 0; i < w * h; i++) {
      uint8_t k = static_cast<uint8_t>(i * 4 + 3);
      grey16.insert(grey16.end(), {k, k});
      grey.insert(grey.end(), {k, k, k});
    }
    WritePng("grey16.png", w, h, PNG_COLOR_TYPE_GRAY, 16, interlace, grey16);
    ASSERT_EQ(Load(FormatPNG, "grey16.png"), -1) << message;
    EXPECT_EQ(Colours(img), grey);
  }
}

TEST_F(Variants, BrokenPngsEndInAMessage) {
  RunCommand("convert -size 40x30 plasma:fractal -depth 8 PNG24:good.png");
  Bytes good = ReadFile("good.png");
  ASSERT_EQ(Load(FormatPNG, "good.png"), -1) << message;
  // Cut inside the image data, and inside the header.
  Bytes cut(good.begin(), good.begin() + good.size() / 2);
  WriteBytes("cut.png", cut);
  ExpectFailure(FormatPNG, "cut.png", "LoadPNG() - File is truncated");
  WriteBytes("cut.png", Bytes(good.begin(), good.begin() + 20));
  ExpectFailure(FormatPNG, "cut.png", "LoadPNG() - File is truncated");
  // A damaged header: libpng's words in ours.
  Bytes bad = good;
  bad[29] ^= 0xFF;  // IHDR's CRC
  WriteBytes("crc.png", bad);
  ExpectFailure(FormatPNG, "crc.png", "LoadPNG() - File is damaged (IHDR: CRC error)");
  // Damaged image data: the first byte of the first IDAT's data.
  bad = good;
  size_t at = 8;
  while (at + 8 < bad.size() && memcmp(&bad[at + 4], "IDAT", 4) != 0)
    at += 12 + ((bad[at] << 24) | (bad[at + 1] << 16) | (bad[at + 2] << 8) | bad[at + 3]);
  ASSERT_LT(at + 8, bad.size());
  uint32_t length = (bad[at] << 24) | (bad[at + 1] << 16) | (bad[at + 2] << 8) | bad[at + 3];
  bad[at + 8 + length] ^= 0x55;  // its CRC
  WriteBytes("idat.png", bad);
  ExpectFailure(FormatPNG, "idat.png", "LoadPNG() - File is damaged (IDAT: CRC error)");
  // The zlib stream's header broken under a right CRC: zlib's words.
  bad = good;
  bad[at + 8] ^= 0x55;
  uint32_t crc = ChunkCrc(&bad[at + 4], length + 4);
  for (int k = 0; k < 4; k++) bad[at + 8 + length + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
  WriteBytes("zlib.png", bad);
  ExpectFailure(FormatPNG, "zlib.png", "LoadPNG() - File is damaged (IDAT: incorrect header check)");
  // A size libpng accepts and the loaders do not.
  Builder huge;
  huge.U8(0x89).Text("PNG\r\n").U8(0x1A).U8('\n').BE32(13).Text("IHDR").BE32(60000).BE32(60000).U8(8).U8(2);
  huge.U8(0).U8(0).U8(0);
  huge.BE32(ChunkCrc(huge.b.data() + 12, 17));
  huge.BE32(0).Text("IDAT").BE32(ChunkCrc(reinterpret_cast<const uint8_t*>("IDAT"), 4));
  WriteBytes("huge.png", huge.b);
  ExpectFailure(FormatPNG, "huge.png", "LoadPNG() - Image size is out of range");
  EXPECT_EQ(RunProbe(ImageFormats[FormatPNG], "good.png", message), -1);
  WriteBytes("sig.png", Bytes(good.begin(), good.begin() + 7));
  EXPECT_EQ(RunProbe(ImageFormats[FormatPNG], "sig.png", message), 0);
}

// A zlib stream of zeros that stops partway through its block: a literal,
// then `matches` copies of 258 bytes, each 13 bits in deflate's fixed codes.
Bytes DeflatedZeros(int matches) {
  Bytes out = {0x78, 0x01};
  uint32_t acc = 0;
  int held = 0;
  auto put = [&](uint32_t value, int bits) {
    acc |= value << held;
    for (held += bits; held >= 8; held -= 8, acc >>= 8) out.push_back(static_cast<uint8_t>(acc));
  };
  auto code = [&](uint32_t value, int bits) {  // Huffman codes go in from their top bit
    while (bits-- > 0) put((value >> bits) & 1, 1);
  };
  put(0, 1);  // not the last block
  put(1, 2);  // fixed codes
  code(0x30, 8);  // literal 0
  for (int i = 0; i < matches; i++) {
    code(0xC5, 8);  // length 258
    code(0, 5);     // distance 1
  }
  if (held > 0) out.push_back(static_cast<uint8_t>(acc));
  return out;
}

// A PNG of the declared size whose only image data is `idat`, then IEND.
Bytes ClaimPng(const char* name, uint32_t w, uint32_t h, int colourType, int depth, int interlace, const Bytes& idat) {
  Builder file;
  file.U8(0x89).Text("PNG\r\n").U8(0x1A).U8('\n').BE32(13).Text("IHDR").BE32(w).BE32(h).U8(depth).U8(colourType);
  file.U8(0).U8(0).U8(interlace);
  file.BE32(ChunkCrc(file.b.data() + 12, 17));
  size_t at = file.b.size();
  file.BE32(static_cast<uint32_t>(idat.size())).Text("IDAT").Raw(idat);
  file.BE32(ChunkCrc(file.b.data() + at + 4, idat.size() + 4));
  file.BE32(0).Text("IEND").BE32(0xAE426082);
  WriteBytes(name, file.b);
  return file.b;
}

#ifndef _WIN32
// How far the address space grows, in MB, while the PNG loader reads the
// file: measured in a child, whose peak starts at its size when forked.
int64_t PngLoadPeakGrowthMb(const char* path) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t child = fork();
  if (child == 0) {
    auto statusKb = [](const char* key) {
      int64_t kb = -1;
      FILE* f = fopen("/proc/self/status", "r");
      char line[256];
      while (f != nullptr && fgets(line, sizeof line, f) != nullptr)
        if (strncmp(line, key, strlen(key)) == 0) kb = atoll(line + strlen(key));
      if (f != nullptr) fclose(f);
      return kb;
    };
    int64_t start = statusKb("VmSize:");
    Image img = {};
    char message[LoadMessageSize];
    RunLoader(ImageFormats[FormatPNG], path, &img, message);
    FreeImage(&img);
    int64_t growth = (statusKb("VmPeak:") - start) / 1024;
    ssize_t written = write(fds[1], &growth, sizeof growth);
    _exit(written == sizeof growth ? 0 : 1);
  }
  close(fds[1]);
  int64_t growth = -1;
  if (read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return growth;
}
#endif

// Reading the file takes no more than a few MB (where that can be measured).
void ExpectLittleAllocated(const char* path) {
#ifndef _WIN32
  int64_t growth = PngLoadPeakGrowthMb(path);
  EXPECT_GE(growth, 0);
  EXPECT_LT(growth, 32);
#else
  (void)path;
#endif
}

// Deflate makes at most 1032 bytes of each byte, so a file's size bounds the
// picture it can hold. One that declares more is refused before anything is
// allocated for it (it had the picture and a copy with alpha allocated, some
// 600 MB for a 9400 x 9400 16-bit file with alpha, before its first row);
// one compressed as far as deflate goes still loads. Nor is a chunk longer
// than the file read into memory.
TEST_F(Variants, PngsThatDeclareMoreThanTheyHoldAreRefusedBeforeAllocating) {
  struct Claim {
    int colourType, depth, interlace;
  } claims[] = {{PNG_COLOR_TYPE_RGB_ALPHA, 16, PNG_INTERLACE_ADAM7},
                {PNG_COLOR_TYPE_RGB_ALPHA, 8, PNG_INTERLACE_NONE},
                {PNG_COLOR_TYPE_GRAY, 8, PNG_INTERLACE_ADAM7}};
  for (const Claim& c : claims) {
    SCOPED_TRACE(testing::Message() << "colour type " << c.colourType << ", depth " << c.depth);
    Bytes file = ClaimPng("claim.png", 9400, 9400, c.colourType, c.depth, c.interlace, DeflatedZeros(12000));
    EXPECT_LT(file.size(), 20000u);
    ExpectFailure(FormatPNG, "claim.png", "LoadPNG() - File is truncated");
    ExpectLittleAllocated("claim.png");
  }

  // An ancillary chunk that declares nearly 2 GB, in a file of 60 bytes.
  Bytes head = ClaimPng("chunk.png", 2, 1, PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_NONE, {});
  Builder chunk;
  chunk.Raw(Bytes(head.begin(), head.begin() + 33)).BE32(0x71000000).Text("sPLT").Text("palette");
  WriteBytes("chunk.png", chunk.b);
  ExpectFailure(FormatPNG, "chunk.png", "LoadPNG() - File is truncated");
  ExpectLittleAllocated("chunk.png");

  const int w = 2000, h = 2000;
  for (int interlace : {PNG_INTERLACE_NONE, PNG_INTERLACE_ADAM7}) {
    Bytes black = WritePng("black.png", w, h, PNG_COLOR_TYPE_GRAY, 1, interlace, Bytes(w / 8 * h, 0));
    EXPECT_LT(black.size() * 800, static_cast<size_t>(w) * h / 8);  // close to deflate's limit
    ASSERT_EQ(Load(FormatPNG, "black.png"), -1) << message;
    EXPECT_EQ(Colours(img), Bytes(static_cast<size_t>(w) * h * 3, 0));
  }
}

// Up to `most` files under /usr/share with the extension, every `stride`-th
// by size, so small and large ones (and with them several kinds) come up.
std::vector<std::string> SharedFiles(const char* extension, int most, int stride) {
  Bytes list = RunCapture(std::string("find /usr/share -xdev -type f -iname '*.") + extension +
                          "' -size -256k -printf '%s %p\\n' 2>/dev/null | sort -n | awk 'NR % " +
                          std::to_string(stride) + " == 0' | head -" + std::to_string(most) + " | cut -d' ' -f2-");
  std::vector<std::string> out;
  std::string line;
  for (uint8_t c : list) {
    if (c != '\n') {
      line += static_cast<char>(c);
    } else if (!line.empty()) {
      out.push_back(line);
      line.clear();
    }
  }
  return out;
}

TEST_F(Variants, FilesFromDebianPackages) {
  std::vector<std::string> bmps = SharedFiles("bmp", 20, 1), pngs = SharedFiles("png", 40, 50);
  if (bmps.empty() && pngs.empty()) GTEST_SKIP() << "no BMP or PNG files under /usr/share";
  int checked = 0;
  for (const std::string& path : bmps) {
    if (RunCapture("convert '" + path + "' -depth 8 rgba:- 2>/dev/null").empty()) continue;
    if (access(path.c_str(), R_OK) != 0) continue;
    std::string local = "debian" + std::to_string(checked++) + ".bmp";
    WriteBytes(local, ReadFile(path));
    SCOPED_TRACE(path);
    int format = RunProbe(ImageFormats[FormatBMP], local.c_str(), message) ? FormatBMP : FormatBMPVariant;
    ASSERT_EQ(Load(format, local), -1) << message;
    EXPECT_EQ(Colours(img), MagickKeyed(local));
  }
  for (const std::string& path : pngs) {
    if (RunCapture("convert '" + path + "' -depth 8 rgba:- 2>/dev/null").empty()) continue;
    std::string local = "debian" + std::to_string(checked++) + ".png";
    WriteBytes(local, ReadFile(path));
    SCOPED_TRACE(path);
    ASSERT_EQ(Load(FormatPNG, local), -1) << message;
    EXPECT_EQ(Colours(img), MagickKeyed(local));
  }
  RecordProperty("files", checked);
}

TEST_F(Variants, TheTableReadsTheNewFormatsAfterTheFourOthers) {
  MakeSources(4, 4);
  RunCommand("convert ramp.png PNG32:hero.png && convert many.ppm -type Palette BMP3:tiles.bmp");
  Image* png = LoadImage("hero.png", 0);
  ASSERT_NE(png, nullptr) << ErrorText;
  EXPECT_EQ(png->bits, 24);
  EXPECT_EQ(Colours(*png), MagickKeyed("hero.png"));
  Image* bmp = LoadImage("tiles.bmp", 0);
  ASSERT_NE(bmp, nullptr) << ErrorText;
  EXPECT_EQ(bmp->bytesPerPixel, 1);
  EXPECT_NE(bmp->palette, nullptr);
  EXPECT_EQ(Boxes(), 0);
  // Transparent pixels are masked like any magenta.
  BuildMask(png);
  EXPECT_EQ(png->mask[0], 0);  // alpha 0 in the top-left corner
  EXPECT_EQ(png->mask[15], 255);

  // A loader's failure is reported once, by the table.
  Bytes cut = ReadFile("hero.png");
  cut.resize(cut.size() / 2);
  WriteBytes("cut.png", cut);
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadImage("cut.png", 0), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: LoadPNG() - File is truncated\n");
}

}  // namespace
