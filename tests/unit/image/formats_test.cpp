// The four loaders against files made by ImageMagick and netpbm during the
// run, and against files built byte by byte for the edge cases and for
// broken input.
#include "image_test_support.h"

#include "image/image_formats.h"

using namespace zorta;

namespace {

// Everything a loader leaves in an Image, and its answer, for comparing two
// reads of the same bytes.
std::string Outcome(int result, const char* message, const Image& img) {
  std::string out = std::to_string(result) + (result ? "" : std::string(" ") + message);
  if (!result) return out;
  auto add = [&out](const void* p, size_t n) { out.append(static_cast<const char*>(p), n); };
  add(&img.width, sizeof img.width);
  add(&img.height, sizeof img.height);
  add(&img.bits, sizeof img.bits);
  add(&img.bytesPerPixel, sizeof img.bytesPerPixel);
  add(&img.flags, sizeof img.flags);
  add(&img.infoValue, sizeof img.infoValue);
  add(&img.mirrorWanted, sizeof img.mirrorWanted);
  add(img.pixels, static_cast<size_t>(img.width) * img.height * img.bytesPerPixel);
  out += img.palette != nullptr ? "palette" : "none";
  if (img.palette != nullptr) add(img.palette, 768);
  add(&img.cellCount, sizeof img.cellCount);
  if (img.cellCount > 0) add(img.cells, sizeof(ImageCell) * img.cellCount);
  if (img.skeleton != nullptr) {
    const Skeleton& k = *img.skeleton;
    out += "skeleton " + std::to_string(k.boneCount) + " " + std::to_string(k.animationCount);
    for (int i = 0; i < k.boneCount; i++) {
      const Bone& b = k.bones[i];
      add(&b.baseAngle, offsetof(Bone, parent));
      out += std::to_string(b.parent != nullptr ? b.parent - k.bones : -1);
      add(&b.frame, offsetof(Bone, evaluated) - offsetof(Bone, frame));
    }
    for (int a = 0; a < k.animationCount; a++) {
      add(k.animations[a].name, sizeof k.animations[a].name);
      add(k.animations[a].keys, sizeof(BoneKey) * k.animations[a].keyCount * k.boneCount);
    }
  }
  return out;
}

class Formats : public ImageTest {
 protected:
  Image img = {};
  char message[LoadMessageSize] = "";
  void TearDown() override {
    FreeImage(&img);
    ImageTest::TearDown();
  }
  Bytes Pixels() const {
    return Bytes(img.pixels, img.pixels + static_cast<size_t>(img.width) * img.height * img.bytesPerPixel);
  }
  // The probe of the format on the file.
  int Test(int format, const char* path) { return RunProbe(ImageFormats[format], path, message); }
  // The loader of the format on the file, into img. Every load is made a
  // second time through a memory handle over the file's bytes, which must
  // come to the same answer, message and image.
  int Load(int format, const char* path) {
    int result = RunLoader(ImageFormats[format], path, &img, message);
    if (access(path, R_OK) == 0) {
      Bytes bytes = ReadFile(path);
      FileHandle f = FileOpenMemory(bytes.data(), bytes.size(), ImageFormats[format].byteOrder);
      Image copy = {};
      char copyMessage[LoadMessageSize] = "";
      int copyResult = ImageFormats[format].load(f, &copy, copyMessage);
      FileClose(f);
      EXPECT_EQ(Outcome(copyResult, copyMessage, copy), Outcome(result, message, img)) << path;
      FreeImage(&copy);
    }
    return result;
  }
  // A loader failure: result 0, the exact message, the record untouched,
  // and nothing reported: only the image table reports.
  void ExpectFailure(int result, const char* text) {
    SCOPED_TRACE(text);
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(message, text);
    EXPECT_STREQ(ErrorText, "");
    EXPECT_EQ(Boxes(), 0);
    EXPECT_EQ(img.pixels, nullptr);
    EXPECT_EQ(img.palette, nullptr);
  }
};

// ---------------------------------------------------------------- BMP

Bytes BmpHeader(int32_t w, int32_t h, int bits = 24) {
  Builder b;
  b.U16(0x4D42).U32(0).U32(0).U32(54).U32(40).U32(static_cast<uint32_t>(w)).U32(static_cast<uint32_t>(h));
  b.U16(1).U16(static_cast<uint32_t>(bits)).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
  return b.b;
}

TEST_F(Formats, BmpFromImageMagickMatchesItsOwnReading) {
  for (int w = 1; w <= 5; w++) {
    for (const char* kind : {"BMP3", "BMP"}) {
      WriteBytes("in.ppm", MakePPM(w, 3, PatternRGB(w, 3, w)));
      std::string out = std::string("im_") + kind + std::to_string(w) + ".bmp";
      RunCommand(std::string("convert in.ppm -type TrueColor ") + kind + ":" + out);
      Bytes expected = RunCapture("convert " + out + " -depth 8 rgb:-");
      ASSERT_EQ(Test(FormatBMP, out.c_str()), -1) << out;
      ASSERT_EQ(Load(FormatBMP, out.c_str()), -1) << out;
      EXPECT_EQ(img.width, w);
      EXPECT_EQ(img.height, 3);
      EXPECT_EQ(img.bits, 24);
      EXPECT_EQ(img.bytesPerPixel, 3);
      EXPECT_EQ(img.palette, nullptr);
      EXPECT_EQ(Pixels(), expected) << out;
      FreeImage(&img);
    }
  }
}

TEST_F(Formats, BmpRowsPaddingAndOrientation) {
  // 3 pixels wide: 9 bytes of pixels and 3 of padding per row; the first row
  // in the file is the bottom one, stored blue, green, red.
  Builder b;
  b.Raw(BmpHeader(3, 2));
  b.U8(0xFF).U8(0).U8(0).U8(1).U8(2).U8(3).U8(4).U8(5).U8(6).U8(0xEE).U8(0xEE).U8(0xEE);
  b.U8(7).U8(8).U8(9).U8(10).U8(11).U8(12).U8(13).U8(14).U8(15).U8(0xEE).U8(0xEE).U8(0xEE);
  WriteBytes("pad.bmp", b.b);
  ASSERT_EQ(Load(FormatBMP, "pad.bmp"), -1);
  EXPECT_EQ(Pixels(), (Bytes{9, 8, 7, 12, 11, 10, 15, 14, 13, 0, 0, 0xFF, 3, 2, 1, 6, 5, 4}));
  FreeImage(&img);

  // A negative height stores the rows from the top; the last row needs no
  // padding bytes after it.
  Builder t;
  t.Raw(BmpHeader(1, -2)).U8(1).U8(2).U8(3).U8(0).U8(4).U8(5).U8(6);
  WriteBytes("topdown.bmp", t.b);
  ASSERT_EQ(Load(FormatBMP, "topdown.bmp"), -1);
  EXPECT_EQ(img.height, 2);
  EXPECT_EQ(Pixels(), (Bytes{3, 2, 1, 6, 5, 4}));
}

TEST_F(Formats, BmpProbeAndBrokenFiles) {
  WriteBytes("eight.bmp", BmpHeader(2, 2, 8));
  EXPECT_EQ(Test(FormatBMP, "eight.bmp"), 0);
  WriteBytes("tiny.bmp", {0x42, 0x4D});
  EXPECT_EQ(Test(FormatBMP, "tiny.bmp"), 0);
  EXPECT_EQ(Boxes(), 0);

  Builder cut;
  cut.Raw(BmpHeader(4, 4)).Raw(Bytes(40, 1));
  WriteBytes("cut.bmp", cut.b);
  ExpectFailure(Load(FormatBMP, "cut.bmp"), "LoadBMP() - File is truncated");
  Bytes header = BmpHeader(4, 4);
  header.resize(30);
  WriteBytes("header.bmp", header);
  ExpectFailure(Load(FormatBMP, "header.bmp"), "LoadBMP() - File is truncated");
  WriteBytes("huge.bmp", BmpHeader(0x10000, 0x10000));
  ExpectFailure(Load(FormatBMP, "huge.bmp"), "LoadBMP() - Image size is out of range");
  WriteBytes("wrap.bmp", BmpHeader(0x7FFFFFFF, INT32_MIN));
  ExpectFailure(Load(FormatBMP, "wrap.bmp"), "LoadBMP() - Image size is out of range");
  WriteBytes("zero.bmp", BmpHeader(0, 5));
  ExpectFailure(Load(FormatBMP, "zero.bmp"), "LoadBMP() - Image size is out of range");
  ExpectFailure(Load(FormatBMP, "eight.bmp"), "LoadBMP() - Unsupported pixel depth");
  ExpectFailure(Load(FormatBMP, "gone.bmp"), "LoadBMP() - Couldn't open file 'gone.bmp'");
}

// ---------------------------------------------------------------- ILBM

// Expected indices or colours: the PPM's pixels looked up in the palette.
Bytes ThroughPalette(const Image& img) {
  Bytes out;
  for (int i = 0; i < img.width * img.height; i++) {
    const uint8_t* e = img.palette + img.pixels[i] * 3;
    out.insert(out.end(), e, e + 3);
  }
  return out;
}

// An image of `colours` distinct colours, so ppmtoilbm can keep it indexed.
Bytes FewColours(int w, int h, int colours) {
  Bytes out;
  for (int i = 0; i < w * h; i++) {
    int c = (i * 7 + i / w) % colours;
    out.push_back(static_cast<uint8_t>(c * 37));
    out.push_back(static_cast<uint8_t>(255 - c * 11));
    out.push_back(static_cast<uint8_t>(c * 5));
  }
  return out;
}

TEST_F(Formats, IlbmFromPpmtoilbmMatchesTheSource) {
  struct Case { int planes; int colours; int w; int h; };
  for (Case c : {Case{1, 2, 20, 3}, Case{3, 6, 17, 4}, Case{5, 32, 33, 5}, Case{8, 200, 20, 20}}) {
    for (const char* compress : {"-compress", "-nocompress"}) {
      WriteBytes("src.ppm", MakePPM(c.w, c.h, FewColours(c.w, c.h, c.colours)));
      RunCommand("ppmtoilbm -quiet -fixplanes " + std::to_string(c.planes) + " " + compress + " src.ppm > out.ilbm");
      Bytes expected = RunCapture("convert src.ppm -depth 8 rgb:-");
      SCOPED_TRACE(std::to_string(c.planes) + " planes " + compress);
      ASSERT_EQ(Test(FormatILBM, "out.ilbm"), -1);
      ASSERT_EQ(Load(FormatILBM, "out.ilbm"), -1) << message;
      EXPECT_EQ(img.width, c.w);
      EXPECT_EQ(img.height, c.h);
      EXPECT_EQ(img.bits, c.planes);
      EXPECT_EQ(img.bytesPerPixel, 1);
      ASSERT_NE(img.palette, nullptr);
      int top = 0;
      for (int i = 0; i < c.w * c.h; i++) top = img.pixels[i] > top ? img.pixels[i] : top;
      EXPECT_LT(top, 1 << c.planes);
      EXPECT_EQ(ThroughPalette(img), expected);
      FreeImage(&img);
    }
  }
  // 24 planes: red, green, blue bytes and no palette needed.
  WriteBytes("deep.ppm", MakePPM(21, 4, PatternRGB(21, 4, 9)));
  RunCommand("ppmtoilbm -quiet -24force deep.ppm > deep.ilbm");
  ASSERT_EQ(Load(FormatILBM, "deep.ilbm"), -1) << message;
  EXPECT_EQ(img.bits, 24);
  EXPECT_EQ(img.bytesPerPixel, 3);
  EXPECT_EQ(Pixels(), RunCapture("convert deep.ppm -depth 8 rgb:-"));
}

struct Ilbm {
  Builder body;  // chunks after the form type
  Ilbm& Chunk(const char* id, const Bytes& data) {
    body.Text(id).BE32(static_cast<uint32_t>(data.size())).Raw(data);
    if (data.size() & 1) body.U8(0);
    return *this;
  }
  Ilbm& Bmhd(int w, int h, int planes, int compression, int masking = 0) {
    Builder b;
    b.BE16(w).BE16(h).BE32(0).U8(planes).U8(masking).U8(compression).U8(0).BE16(0).BE16(0x0A0B).BE32(0);
    return Chunk("BMHD", b.b);
  }
  Bytes File() const {
    Builder f;
    f.Text("FORM").BE32(static_cast<uint32_t>(body.b.size() + 4)).Text("ILBM").Raw(body.b);
    return f.b;
  }
};

TEST_F(Formats, IlbmByteByByte) {
  // Odd-length chunk before the header, 24 planes without CMAP, 2 x 1 pixels.
  Ilbm a;
  a.Chunk("ANNO", {'h', 'i', '!'}).Bmhd(2, 1, 24, 0);
  Bytes body;
  for (int p = 0; p < 24; p++) {
    // pixel 0 gets 0x123456 as red 0x12 (planes 0..7) ..., pixel 1 gets all ones
    uint32_t rgb = 0x563412;  // byte g from planes 8g..8g+7
    int bit0 = (rgb >> p) & 1;
    body.push_back(static_cast<uint8_t>((bit0 << 7) | 0x40));
    body.push_back(0);
  }
  a.Chunk("BODY", body);
  WriteBytes("deep.ilbm", a.File());
  ASSERT_EQ(Load(FormatILBM, "deep.ilbm"), -1) << message;
  EXPECT_EQ(img.palette, nullptr);
  EXPECT_EQ(Pixels(), (Bytes{0x12, 0x34, 0x56, 0xFF, 0xFF, 0xFF}));
  FreeImage(&img);

  // ByteRun1 with a run that reaches past the bitmap and an over-long CMAP:
  // 16 x 2, one plane: two rows of 2 bytes.
  Ilbm r;
  Bytes cmap(800, 0);
  cmap[3] = 200;
  r.Bmhd(16, 2, 1, 1).Chunk("CMAP", cmap).Chunk("BODY", {0x80, 0x01, 0x00, 0x01, 0xFC, 0xAA});
  WriteBytes("run.ilbm", r.File());
  ASSERT_EQ(Load(FormatILBM, "run.ilbm"), -1) << message;
  EXPECT_EQ(img.pixels[0], 0);
  EXPECT_EQ(img.pixels[7], 0);
  EXPECT_EQ(img.pixels[8], 0);
  EXPECT_EQ(img.pixels[15], 1);
  EXPECT_EQ(img.pixels[16], 1);  // 0xAA run: 1 0 1 0 ...
  EXPECT_EQ(img.pixels[17], 0);
  EXPECT_EQ(img.palette[3], 200);

  // A mask plane after the colour planes is not taken for a colour.
  FreeImage(&img);
  Ilbm m;
  m.Bmhd(16, 1, 1, 0, 1).Chunk("CMAP", Bytes(6, 9)).Chunk("BODY", {0x80, 0x00, 0xFF, 0xFF});
  WriteBytes("mask.ilbm", m.File());
  ASSERT_EQ(Load(FormatILBM, "mask.ilbm"), -1) << message;
  EXPECT_EQ(img.pixels[0], 1);
  EXPECT_EQ(img.pixels[1], 0);
}

TEST_F(Formats, IlbmMissingChunksAndBrokenFiles) {
  Bytes cmap(6, 1);
  Ilbm noHeader;
  noHeader.Chunk("CMAP", cmap).Chunk("BODY", Bytes(4, 0));
  WriteBytes("a.ilbm", noHeader.File());
  ExpectFailure(Load(FormatILBM, "a.ilbm"), "LoadILBM() - File contains no bitmap header");
  Ilbm noBody;
  noBody.Bmhd(16, 1, 1, 0).Chunk("CMAP", cmap);
  WriteBytes("b.ilbm", noBody.File());
  ExpectFailure(Load(FormatILBM, "b.ilbm"), "LoadILBM() - File contains no body");
  Ilbm noPalette;
  noPalette.Bmhd(16, 1, 8, 0).Chunk("BODY", Bytes(16, 0));
  WriteBytes("c.ilbm", noPalette.File());
  ExpectFailure(Load(FormatILBM, "c.ilbm"), "LoadILBM() - File contains no palette");
  Ilbm tooDeep;
  tooDeep.Bmhd(16, 1, 33, 0).Chunk("BODY", Bytes(66, 0));
  WriteBytes("d.ilbm", tooDeep.File());
  ExpectFailure(Load(FormatILBM, "d.ilbm"), "LoadILBM() - Unsupported number of planes");
  Ilbm shortBody;
  shortBody.Bmhd(16, 4, 2, 0).Chunk("CMAP", cmap).Chunk("BODY", Bytes(15, 0));
  WriteBytes("e.ilbm", shortBody.File());
  ExpectFailure(Load(FormatILBM, "e.ilbm"), "LoadILBM() - File is truncated");
  Ilbm packedShort;
  packedShort.Bmhd(16, 4, 2, 1).Chunk("CMAP", cmap).Chunk("BODY", {0xFE, 0x00, 0x01, 0x07});
  WriteBytes("f.ilbm", packedShort.File());
  ExpectFailure(Load(FormatILBM, "f.ilbm"), "LoadILBM() - File is truncated");
  Ilbm huge;
  huge.Bmhd(8000, 8000, 8, 1).Chunk("CMAP", cmap).Chunk("BODY", {0x81, 0x00});
  WriteBytes("g.ilbm", huge.File());
  ExpectFailure(Load(FormatILBM, "g.ilbm"), "LoadILBM() - File is truncated");
  Ilbm negative;
  negative.Bmhd(0xFFF0, 4, 1, 0).Chunk("CMAP", cmap).Chunk("BODY", Bytes(8, 0));
  WriteBytes("h.ilbm", negative.File());
  ExpectFailure(Load(FormatILBM, "h.ilbm"), "LoadILBM() - Image size is out of range");
  // A BODY whose length runs past the end of the file.
  Ilbm cut;
  cut.Bmhd(16, 1, 1, 0).Chunk("CMAP", cmap).Chunk("BODY", Bytes(2, 0));
  Bytes file = cut.File();
  file[file.size() - 4] = 0x40;  // length 0x4002
  WriteBytes("i.ilbm", file);
  ExpectFailure(Load(FormatILBM, "i.ilbm"), "LoadILBM() - File is truncated");
  ExpectFailure(Load(FormatILBM, "none.ilbm"), "LoadILBM() - Couldn't open file 'none.ilbm'");
}

// Interleaved plane rows (rows padded to 16 pixels) holding the given pixel
// values of `planes` bits.
Bytes Planar(const std::vector<std::vector<uint32_t>>& rows, int planes) {
  Bytes out;
  for (const auto& row : rows) {
    size_t rowBytes = (row.size() + 15) / 16 * 2;
    for (int p = 0; p < planes; p++) {
      Bytes plane(rowBytes, 0);
      for (size_t x = 0; x < row.size(); x++)
        if ((row[x] >> p) & 1) plane[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      out.insert(out.end(), plane.begin(), plane.end());
    }
  }
  return out;
}

// Values of `bits` bits from a fixed sequence, `h` rows of `w`.
std::vector<std::vector<uint32_t>> SomeValues(int w, int h, int bits, int seed) {
  Bytes noise = PatternRGB(w, h, seed);
  std::vector<std::vector<uint32_t>> rows(h);
  for (int i = 0; i < w * h; i++) {
    uint32_t v = noise[i * 3] | (noise[i * 3 + 1] << 8) | (noise[i * 3 + 2] << 16);
    rows[i / w].push_back(v & ((1u << bits) - 1));
  }
  return rows;
}

Bytes BigEndian32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

// netpbm's reading of an ILBM as red, green, blue bytes.
Bytes IlbmtoppmPixels(const std::string& path) {
  int status = -1;
  Bytes out = RunCapture("ilbmtoppm -quiet " + path + " | convert ppm:- -depth 8 rgb:-", &status);
  EXPECT_EQ(status, 0) << path;
  return out;
}

TEST_F(Formats, IlbmHoldAndModifyMatchesIlbmtoppm) {
  // ppmtoilbm's HAM6 and HAM8: 24-bit images, colour for colour as netpbm
  // reads them back.
  WriteBytes("src.ppm", MakePPM(21, 2, PatternRGB(21, 2, 11)));
  for (const char* mode : {"-ham6", "-ham8"}) {
    for (const char* compress : {"-compress", "-nocompress"}) {
      SCOPED_TRACE(std::string(mode) + " " + compress);
      RunCommand(std::string("ppmtoilbm -quiet ") + mode + " " + compress + " src.ppm > ham.ilbm");
      ASSERT_EQ(Load(FormatILBM, "ham.ilbm"), -1) << message;
      EXPECT_EQ(img.width, 21);
      EXPECT_EQ(img.bits, 24);
      EXPECT_EQ(img.bytesPerPixel, 3);
      EXPECT_EQ(Pixels(), IlbmtoppmPixels("ham.ilbm"));
      FreeImage(&img);
    }
  }

  // Every control code at random, with a palette whose colour 0 is not
  // black and a plane count ppmtoilbm does not choose by itself.
  for (int planes : {5, 6, 8}) {
    SCOPED_TRACE(std::to_string(planes) + " planes");
    Bytes cmap = PatternRGB(64, 1, planes);
    cmap.resize(static_cast<size_t>(3) << (planes - 2));
    Ilbm h;
    h.Bmhd(19, 3, planes, 0).Chunk("CAMG", BigEndian32(0x800)).Chunk("CMAP", cmap);
    h.Chunk("BODY", Planar(SomeValues(19, 3, planes, planes), planes));
    WriteBytes("any.ilbm", h.File());
    ASSERT_EQ(Load(FormatILBM, "any.ilbm"), -1) << message;
    EXPECT_EQ(img.bits, 24);
    EXPECT_EQ(Pixels(), IlbmtoppmPixels("any.ilbm"));
    FreeImage(&img);
  }

  // Each row starts from black, whatever colour 0 is; a change of one
  // channel keeps the low bits the channel had.
  Ilbm e;
  e.Bmhd(3, 2, 6, 0).Chunk("CAMG", BigEndian32(0x800)).Chunk("CMAP", {200, 100, 50, 0x12, 0x34, 0x56});
  e.Chunk("BODY", Planar({{0x26, 0x01, 0x2A}, {0x11, 0x3F, 0x00}}, 6));
  WriteBytes("edge.ilbm", e.File());
  ASSERT_EQ(Load(FormatILBM, "edge.ilbm"), -1) << message;
  EXPECT_EQ(Pixels(), (Bytes{0x60, 0, 0, 0x12, 0x34, 0x56, 0xA2, 0x34, 0x56,  //
                             0, 0, 0x10, 0, 0xF0, 0x10, 200, 100, 50}));
  EXPECT_EQ(Pixels(), IlbmtoppmPixels("edge.ilbm"));
}

TEST_F(Formats, IlbmExtraHalfBriteMatchesIlbmtoppm) {
  // 32 colours and their halves; a palette of all 64 is taken as it is; a
  // shorter one is followed by its own halves.
  Bytes colours = PatternRGB(64, 1, 21);
  struct Case { int entries; int valueBits; };
  for (Case c : {Case{32, 6}, Case{64, 6}, Case{16, 5}}) {
    SCOPED_TRACE(std::to_string(c.entries) + " entries");
    Ilbm h;
    h.Bmhd(20, 3, 6, 1).Chunk("CAMG", BigEndian32(0x80));
    h.Chunk("CMAP", Bytes(colours.begin(), colours.begin() + c.entries * 3));
    Bytes planar = Planar(SomeValues(20, 3, c.valueBits, c.entries), 6);
    // Packed, one literal run per plane row of 4 bytes.
    Bytes packed;
    for (size_t i = 0; i < planar.size(); i += 4) {
      packed.push_back(3);
      packed.insert(packed.end(), planar.begin() + i, planar.begin() + i + 4);
    }
    h.Chunk("BODY", packed);
    WriteBytes("ehb.ilbm", h.File());
    ASSERT_EQ(Load(FormatILBM, "ehb.ilbm"), -1) << message;
    EXPECT_EQ(img.bits, 6);
    EXPECT_EQ(img.bytesPerPixel, 1);
    ASSERT_NE(img.palette, nullptr);
    EXPECT_EQ(ThroughPalette(img), IlbmtoppmPixels("ehb.ilbm"));
    if (c.entries < 64) {
      for (int i = 0; i < c.entries * 3; i++) EXPECT_EQ(img.palette[c.entries * 3 + i], colours[i] / 2) << i;
    }
    FreeImage(&img);
  }
}

TEST_F(Formats, IlbmVariantsWithoutALayoutAreRefused) {
  WriteBytes("src.ppm", MakePPM(17, 2, PatternRGB(17, 2, 5)));
  Bytes cmap = PatternRGB(256, 1, 1);
  struct Case { int planes; bool palette; };
  for (Case c : {Case{12, false}, Case{31, false}, Case{16, false}, Case{9, true}}) {
    SCOPED_TRACE(std::to_string(c.planes) + " planes");
    Ilbm d;
    d.Bmhd(17, 2, c.planes, 0);
    if (c.palette) d.Chunk("CMAP", cmap);
    d.Chunk("BODY", Planar(SomeValues(17, 2, c.planes > 24 ? 24 : c.planes, 3), c.planes));
    WriteBytes("deep.ilbm", d.File());
    ExpectFailure(Load(FormatILBM, "deep.ilbm"), "LoadILBM() - Unsupported number of planes");
  }
  // 32 planes are red, green, blue and alpha, a byte each.
  Ilbm rgba;
  rgba.Bmhd(3, 1, 32, 0).Chunk("BODY", Planar({{0x78563412u, 0xFF000000u, 0x00ABCDEFu}}, 32));
  WriteBytes("rgba.ilbm", rgba.File());
  ASSERT_EQ(Load(FormatILBM, "rgba.ilbm"), -1) << message;
  EXPECT_EQ(img.bits, 32);
  EXPECT_EQ(Pixels(), (Bytes{0x12, 0x34, 0x56, 0x78, 0, 0, 0, 0xFF, 0xEF, 0xCD, 0xAB, 0}));
  FreeImage(&img);
  // Direct colour through a DCOL chunk: 8 bits a channel reads like any
  // 24-plane file, other splits have no layout here.
  RunCommand("ppmtoilbm -quiet -dcbits 8 8 8 -dcforce src.ppm > dc888.ilbm");
  ASSERT_EQ(Load(FormatILBM, "dc888.ilbm"), -1) << message;
  EXPECT_EQ(Pixels(), RunCapture("convert src.ppm -depth 8 rgb:-"));
  FreeImage(&img);
  RunCommand("ppmtoilbm -quiet -dcbits 5 6 5 -dcforce src.ppm > dc565.ilbm");
  ExpectFailure(Load(FormatILBM, "dc565.ilbm"), "LoadILBM() - Unsupported direct colour layout");
  RunCommand("ppmtoilbm -quiet -dcbits 10 8 6 -dcforce src.ppm > dc1086.ilbm");
  ExpectFailure(Load(FormatILBM, "dc1086.ilbm"), "LoadILBM() - Unsupported direct colour layout");

  // Palettes changed line by line cannot be held by one palette.
  Ilbm m;
  m.Bmhd(16, 1, 2, 0).Chunk("CMAP", Bytes(12, 7)).Chunk("PCHG", Bytes(20, 0)).Chunk("BODY", Bytes(4, 0));
  WriteBytes("pchg.ilbm", m.File());
  ExpectFailure(Load(FormatILBM, "pchg.ilbm"), "LoadILBM() - Unsupported multi-palette image");

  // The HAM flag means nothing to 24 planes of red, green and blue.
  Ilbm t;
  t.Bmhd(2, 1, 24, 0).Chunk("CAMG", BigEndian32(0x880));
  t.Chunk("BODY", Planar({{0x563412, 0xFFFFFF}}, 24));
  WriteBytes("ham24.ilbm", t.File());
  ASSERT_EQ(Load(FormatILBM, "ham24.ilbm"), -1) << message;
  EXPECT_EQ(img.bits, 24);
  EXPECT_EQ(Pixels(), (Bytes{0x12, 0x34, 0x56, 0xFF, 0xFF, 0xFF}));
}

// ---------------------------------------------------------------- GFX

struct Gfx {
  Builder f;
  Gfx() { f.U32(0x47465831); }
  Gfx& Chunk(uint32_t id, const Bytes& data) {
    f.U32(id).U32(static_cast<uint32_t>(data.size())).Raw(data);
    return *this;
  }
  Gfx& Info(int w, int h, int bits, int palettes = 0, uint32_t flags = 0, uint32_t mirror = 0, int value = 0) {
    Builder b;
    b.U32(w).U32(h).U32(bits).U32(value).U32(mirror).U32(palettes).U32(flags).U32(0);
    return Chunk(0x494E464F, b.b);
  }
  Gfx& Imge(const Bytes& px) { return Chunk(0x494D4745, px); }
  Gfx& Cmap(uint8_t r, uint8_t g, uint8_t b, int entry = 1) {
    Bytes pal(768, 0);
    pal[entry * 3] = r;
    pal[entry * 3 + 1] = g;
    pal[entry * 3 + 2] = b;
    return Chunk(0x434D4150, pal);
  }
  Gfx& Ctbl(const std::vector<std::vector<int32_t>>& cells) {
    Builder b;
    b.U32(static_cast<uint32_t>(cells.size()));
    for (const auto& c : cells)
      for (int k = 0; k < 10; k++) b.U32(static_cast<uint32_t>(k < static_cast<int>(c.size()) ? c[k] : 0));
    return Chunk(0x4354424C, b.b);
  }
  Gfx& Endf() { return Chunk(0x454E4446, {}); }
};

TEST_F(Formats, GfxPaletteBankColoursEachCell) {
  // 4 x 2 image, all index 1; cell 0 covers x 0..1 of row 0, cell 1 covers
  // x 1..2 of row 1; pixel (3, *) and (2, 0) lie outside every cell.
  Gfx g;
  g.Info(4, 2, 8, 2).Cmap(255, 0, 0).Cmap(0, 0, 255).Imge(Bytes(8, 1));
  g.Ctbl({{0, 0, 2, 1, 0, 0, 2, 1, 1, 0}, {1, 1, 2, 1, 0, 0, 2, 1, 2, 1}}).Endf();
  WriteBytes("bank.gfx", g.f.b);
  ASSERT_EQ(Test(FormatGFX, "bank.gfx"), -1);
  ASSERT_EQ(Load(FormatGFX, "bank.gfx"), -1) << message;
  EXPECT_EQ(img.bits, 24);
  EXPECT_EQ(img.bytesPerPixel, 3);
  EXPECT_EQ(img.palette, nullptr);
  ASSERT_EQ(img.cellCount, 2);
  EXPECT_EQ(img.cells[1].kind, 2);
  EXPECT_EQ(img.cells[1].flags, 1);
  Bytes R = {255, 0, 0}, B = {0, 0, 255}, K = {0, 0, 0};
  Bytes expected;
  for (const Bytes* p : {&R, &R, &K, &K, &K, &B, &B, &K}) expected.insert(expected.end(), p->begin(), p->end());
  EXPECT_EQ(Pixels(), expected);
  FreeImage(&img);

  // Cells reaching outside the image are cut to it; a cell without a bank
  // palette of its own stays black; a CMAP beyond the count is dropped.
  Gfx h;
  h.Info(2, 2, 8, 1).Cmap(0, 255, 0).Cmap(9, 9, 9).Imge(Bytes(4, 1));
  h.Ctbl({{-5, 1, 100, 100}, {0, 0, 2, 2}, {1000000, -1000000, 2000000000, 2000000000}}).Endf();
  WriteBytes("outside.gfx", h.f.b);
  ASSERT_EQ(Load(FormatGFX, "outside.gfx"), -1) << message;
  EXPECT_EQ(Pixels(), (Bytes{0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0}));
}

TEST_F(Formats, GfxFieldsAndSkeleton) {
  Gfx g;
  g.Info(2, 1, 16, 0, 0x2, 7, -9).Imge({0x1F, 0xF8, 0xE0, 0x07});
  Builder v;
  v.U32(3);  // bones: 0 -> parent 1, 1 -> parent 0 (a cycle), 2 -> parent 99
  int parents[3] = {1, 0, 99};
  for (int i = 0; i < 3; i++) {
    v.F32(0.5f * i).F32(10.0f).U32(static_cast<uint32_t>(parents[i])).U32(i).F32(1).F32(2).F32(0.25f).F32(1.5f);
    v.U32(0xDEADBEEF).U32(i);
  }
  v.U32(1).Text("a-name-that-is-far-longer-than-thirty-one-characters").U8(0).U32(2);
  for (int k = 0; k < 6; k++) v.F32(k).F32(1).F32(0).F32(1).F32(1).U32(k);
  g.Chunk(0x56454354, v.b).Chunk(0x12345678, {1, 2, 3}).Endf();
  WriteBytes("skel.gfx", g.f.b);
  ASSERT_EQ(Load(FormatGFX, "skel.gfx"), -1) << message;
  EXPECT_EQ(img.bits, 16);
  EXPECT_EQ(img.bytesPerPixel, 2);
  EXPECT_EQ(img.flags, 2u);
  EXPECT_EQ(img.mirrorWanted, 7u);
  EXPECT_EQ(img.infoValue, -9);
  EXPECT_EQ(Pixels(), (Bytes{0x1F, 0xF8, 0xE0, 0x07}));
  ASSERT_NE(img.skeleton, nullptr);
  Skeleton* s = img.skeleton;
  ASSERT_EQ(s->boneCount, 3);
  EXPECT_EQ(s->bones[0].parent, nullptr);  // the cycle is cut at its first bone
  EXPECT_EQ(s->bones[1].parent, &s->bones[0]);
  EXPECT_EQ(s->bones[2].parent, nullptr);  // index out of range
  EXPECT_EQ(s->bones[2].baseAngle, 1.0f);
  EXPECT_EQ(s->bones[2].frame, 2);
  EXPECT_EQ(s->bones[2].drawScale, 1.5f);
  EXPECT_EQ(s->bones[0].word1, 0xDEADBEEFu);
  EXPECT_EQ(s->bones[0].evaluated, 0);
  ASSERT_EQ(s->animationCount, 1);
  EXPECT_STREQ(s->animations[0].name, "a-name-that-is-far-longer-than-");
  ASSERT_EQ(s->animations[0].keyCount, 2);
  EXPECT_EQ(s->animations[0].keys[5].angle, 5.0f);
  EXPECT_EQ(s->animations[0].keys[5].value, 5);
}

TEST_F(Formats, GfxMissingChunksAndBrokenFiles) {
  Gfx noInfo;
  noInfo.Imge(Bytes(4, 0)).Cmap(1, 2, 3).Endf();
  WriteBytes("a.gfx", noInfo.f.b);
  ExpectFailure(Load(FormatGFX, "a.gfx"), "LoadGFX() - File contains no info header");
  Gfx noImage;
  noImage.Info(2, 2, 8).Cmap(1, 2, 3).Endf();
  WriteBytes("b.gfx", noImage.f.b);
  ExpectFailure(Load(FormatGFX, "b.gfx"), "LoadGFX() - File contains no image buffer");
  Gfx noPalette;
  noPalette.Info(2, 2, 8).Imge(Bytes(4, 0)).Endf();
  WriteBytes("c.gfx", noPalette.f.b);
  ExpectFailure(Load(FormatGFX, "c.gfx"), "LoadGFX() - File contains no palette");
  Gfx noEnd;
  noEnd.Info(2, 2, 24).Imge(Bytes(12, 0));
  WriteBytes("d.gfx", noEnd.f.b);
  ExpectFailure(Load(FormatGFX, "d.gfx"), "LoadGFX() - File is truncated");
  Gfx small;
  small.Info(4, 4, 24).Imge(Bytes(47, 0)).Endf();
  WriteBytes("e.gfx", small.f.b);
  ExpectFailure(Load(FormatGFX, "e.gfx"), "LoadGFX() - Image buffer is too small");
  Gfx deep;
  deep.Info(1, 1, 64).Imge(Bytes(8, 0)).Endf();
  WriteBytes("f.gfx", deep.f.b);
  ExpectFailure(Load(FormatGFX, "f.gfx"), "LoadGFX() - Unsupported pixel depth");
  Gfx deepest;
  deepest.Info(1, 1, 0x7FFFFFFE).Imge(Bytes(8, 0)).Endf();
  WriteBytes("f2.gfx", deepest.f.b);
  ExpectFailure(Load(FormatGFX, "f2.gfx"), "LoadGFX() - Unsupported pixel depth");
  Gfx huge;
  huge.Info(65536, 65536, 32).Imge(Bytes(4, 0)).Endf();
  WriteBytes("g.gfx", huge.f.b);
  ExpectFailure(Load(FormatGFX, "g.gfx"), "LoadGFX() - Image size is out of range");
  Gfx cells;
  cells.Info(1, 1, 24).Imge(Bytes(3, 0));
  cells.f.U32(0x4354424C).U32(0).U32(0x10000000);  // far more cells than bytes
  WriteBytes("h.gfx", cells.f.b);
  ExpectFailure(Load(FormatGFX, "h.gfx"), "LoadGFX() - File is truncated");
  Gfx bones;
  bones.Info(1, 1, 24).Imge(Bytes(3, 0));
  bones.f.U32(0x56454354).U32(0).U32(2).Raw(Bytes(80, 0)).U32(1).U8(0).U32(0x7FFFFFFF);
  WriteBytes("i.gfx", bones.f.b);
  ExpectFailure(Load(FormatGFX, "i.gfx"), "LoadGFX() - File is truncated");
  Gfx skip;
  skip.Info(1, 1, 24).Imge(Bytes(3, 0)).Chunk(0x41414141, {});
  skip.f.b[skip.f.b.size() - 4] = 0xFF;  // unknown chunk claiming 255 bytes
  WriteBytes("j.gfx", skip.f.b);
  ExpectFailure(Load(FormatGFX, "j.gfx"), "LoadGFX() - File is truncated");
  ExpectFailure(Load(FormatGFX, "none.gfx"), "LoadGFX() - Couldn't open file 'none.gfx'");

  // A negative palette count passes the palette check; the image keeps no
  // palette and later conversion reads it as grey levels.
  Gfx negative;
  negative.Info(1, 1, 8, -1).Imge({5}).Endf();
  WriteBytes("k.gfx", negative.f.b);
  ASSERT_EQ(Load(FormatGFX, "k.gfx"), -1);
  EXPECT_EQ(img.palette, nullptr);
  EXPECT_EQ(img.bits, 8);
}

// ---------------------------------------------------------------- TGA

Bytes TgaHeader(int type, int w, int h, int bits = 32, int idLength = 0) {
  Builder b;
  b.U8(idLength).U8(0).U8(type).U16(0).U16(0).U8(0).U16(0).U16(0).U16(w).U16(h).U8(bits).U8(0x28);
  return b.b;
}

TEST_F(Formats, TgaFromImageMagickMatchesItsOwnReading) {
  WriteBytes("src.ppm", MakePPM(7, 5, PatternRGB(7, 5, 3)));
  for (const char* options : {"", "-compress RLE"}) {
    RunCommand(std::string("convert src.ppm -alpha set -channel A -fx 'i/7' +channel -type TrueColorAlpha ") + options +
        " -depth 8 out.tga");
    Bytes expected = RunCapture("convert out.tga -depth 8 rgba:-");
    SCOPED_TRACE(options);
    ASSERT_EQ(Test(FormatTGA, "out.tga"), -1);
    ASSERT_EQ(Load(FormatTGA, "out.tga"), -1) << message;
    EXPECT_EQ(img.width, 7);
    EXPECT_EQ(img.height, 5);
    EXPECT_EQ(img.bits, 32);
    EXPECT_EQ(Pixels(), expected);
    FreeImage(&img);
  }
}

TEST_F(Formats, TgaByteByByte) {
  Builder b;
  b.Raw(TgaHeader(2, 2, 1)).U8(0x10).U8(0x20).U8(0x30).U8(0x40).U8(1).U8(2).U8(3).U8(4);
  WriteBytes("plain.tga", b.b);
  ASSERT_EQ(Load(FormatTGA, "plain.tga"), -1);
  EXPECT_EQ(Pixels(), (Bytes{0x30, 0x20, 0x10, 0x40, 3, 2, 1, 4}));
  FreeImage(&img);

  // Run-length packets, one of them running across the row end, after an
  // identification field.
  Builder r;
  r.Raw(TgaHeader(10, 2, 2, 32, 3)).Text("abc");
  r.U8(0x82).U8(1).U8(2).U8(3).U8(4);   // three copies
  r.U8(0x01).U8(5).U8(6).U8(7).U8(8).U8(9).U8(9).U8(9).U8(9);  // two literals, one too many
  WriteBytes("rle.tga", r.b);
  ASSERT_EQ(Load(FormatTGA, "rle.tga"), -1) << message;
  EXPECT_EQ(Pixels(), (Bytes{3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 7, 6, 5, 8}));
  FreeImage(&img);

  WriteBytes("24.tga", TgaHeader(2, 1, 1, 24));
  EXPECT_EQ(Test(FormatTGA, "24.tga"), 0);
  WriteBytes("mapped.tga", TgaHeader(1, 1, 1, 32));
  EXPECT_EQ(Test(FormatTGA, "mapped.tga"), 0);
  ExpectFailure(Load(FormatTGA, "mapped.tga"), "LoadTGA() - Unsupported image type");
  ExpectFailure(Load(FormatTGA, "24.tga"), "LoadTGA() - Unsupported pixel depth");
  Builder cut;
  cut.Raw(TgaHeader(2, 2, 2)).Raw(Bytes(15, 0));
  WriteBytes("cut.tga", cut.b);
  ExpectFailure(Load(FormatTGA, "cut.tga"), "LoadTGA() - File is truncated");
  Builder cutRle;
  cutRle.Raw(TgaHeader(10, 100, 100)).U8(0xFF).U8(1).U8(2).U8(3).U8(4);
  WriteBytes("cutrle.tga", cutRle.b);
  ExpectFailure(Load(FormatTGA, "cutrle.tga"), "LoadTGA() - File is truncated");
  WriteBytes("empty.tga", TgaHeader(2, 0, 5));
  ExpectFailure(Load(FormatTGA, "empty.tga"), "LoadTGA() - Image size is out of range");
}

TEST_F(Formats, ByteRun1StopsAtTheExpectedSize) {
  uint8_t out[6];
  memset(out, 0xEE, sizeof out);
  const uint8_t packed[] = {0x80, 0x02, 'a', 'b', 'c', 0xFE, 'x', 0xFD, 'y'};
  EXPECT_EQ(UnpackByteRun1(packed, sizeof packed, out, 5), 5u);
  EXPECT_EQ(Bytes(out, out + 6), (Bytes{'a', 'b', 'c', 'x', 'x', 0xEE}));
  // A literal run cut short by the end of the data copies what is there.
  const uint8_t cut[] = {0x05, 'p', 'q'};
  EXPECT_EQ(UnpackByteRun1(cut, sizeof cut, out, 6), 2u);
  const uint8_t lone[] = {0xF0};
  EXPECT_EQ(UnpackByteRun1(lone, sizeof lone, out, 6), 0u);
}

// ---------------------------------------------------------------- handles

int FatalErrors = 0;
void CountFatalError() { FatalErrors++; }

TEST_F(Formats, LoadersAnswerWithoutReporting) {
  FatalErrors = 0;
  SetFatalErrorAction(CountFatalError);
  snprintf(ErrorText, sizeof ErrorText, "%s", "left as it was");
  Builder cutBmp;
  cutBmp.Raw(BmpHeader(4, 4)).Raw(Bytes(40, 1));
  Ilbm noBody;
  noBody.Bmhd(16, 1, 1, 0).Chunk("CMAP", Bytes(6, 1));
  Gfx noInfo;
  noInfo.Imge(Bytes(4, 0)).Endf();
  struct Case { int format; Bytes bytes; const char* text; const char* probeUnopened; const char* loadUnopened; };
  const Case cases[] = {
      {FormatBMP, cutBmp.b, "LoadBMP() - File is truncated", "TestBMP() - Couldn't open file 'absent'",
       "LoadBMP() - Couldn't open file 'absent'"},
      {FormatILBM, noBody.File(), "LoadILBM() - File contains no body", "TestILBM() - Couldn't open file 'absent'",
       "LoadILBM() - Couldn't open file 'absent'"},
      {FormatGFX, noInfo.f.b, "LoadGFX() - File contains no info header", "TestGFX() - Couldn't open file 'absent'",
       "LoadGFX() - Couldn't open file 'absent'"},
      {FormatTGA, TgaHeader(1, 1, 1), "LoadTGA() - Unsupported image type", "TestTGA() - Couldn't open file 'absent'",
       "LoadTGA() - Couldn't open file 'absent'"},
  };
  for (const Case& c : cases) {
    const ImageFormat& format = ImageFormats[c.format];
    SCOPED_TRACE(format.name);
    FileHandle f = FileOpenMemory(c.bytes.data(), c.bytes.size(), format.byteOrder);
    EXPECT_EQ(format.load(f, &img, message), 0);
    FileClose(f);
    EXPECT_STREQ(message, c.text);
    EXPECT_EQ(img.pixels, nullptr);
    // A file that is not there: the message of whoever opens it.
    EXPECT_EQ(RunProbe(format, "absent", message), 0);
    EXPECT_STREQ(message, c.probeUnopened);
    EXPECT_EQ(RunLoader(format, "absent", &img, message), 0);
    EXPECT_STREQ(message, c.loadUnopened);
  }
  // A probe that opened the file leaves the message empty.
  WriteBytes("plain.txt", {'t', 'e', 'x', 't'});
  EXPECT_EQ(RunProbe(ImageFormats[FormatGFX], "plain.txt", message), 0);
  EXPECT_STREQ(message, "");
  EXPECT_STREQ(ErrorText, "left as it was");
  EXPECT_EQ(FatalErrors, 0);
  EXPECT_EQ(Boxes(), 0);
}

TEST_F(Formats, HandlesInDifferentByteOrdersOpenAtOnce) {
  // A big-endian ILBM and a little-endian BMP open side by side, each read
  // after the other was opened.
  Ilbm i;
  i.Bmhd(16, 1, 1, 0).Chunk("CMAP", {0, 0, 0, 10, 20, 30}).Chunk("BODY", {0xA0, 0x00});
  WriteBytes("pair.ilbm", i.File());
  Builder b;
  b.Raw(BmpHeader(2, 1)).U8(1).U8(2).U8(3).U8(4).U8(5).U8(6);
  WriteBytes("pair.bmp", b.b);
  FileHandle ilbm = FileOpen("pair.ilbm", "rb", ImageFormats[FormatILBM].byteOrder);
  FileHandle bmp = FileOpen("pair.bmp", "rb", ImageFormats[FormatBMP].byteOrder);
  ASSERT_NE(ilbm, nullptr);
  ASSERT_NE(bmp, nullptr);
  ASSERT_EQ(LoadILBM(ilbm, &img, message), -1) << message;
  EXPECT_EQ(img.width, 16);
  EXPECT_EQ(Pixels(), (Bytes{1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(img.palette[3], 10);
  FreeImage(&img);
  FileHandle probe = FileOpen("pair.ilbm", "rb", ImageFormats[FormatILBM].byteOrder);
  EXPECT_EQ(TestILBM(probe), -1);
  ASSERT_EQ(LoadBMP(bmp, &img, message), -1) << message;
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(img.height, 1);
  EXPECT_EQ(Pixels(), (Bytes{3, 2, 1, 6, 5, 4}));
  FileClose(probe);
  FileClose(bmp);
  FileClose(ilbm);
}

TEST_F(Formats, MemoryAndFileHandlesReadAlike) {
  // Files of other programs and broken ones, each read through a file
  // handle and through a memory handle over its bytes: the probes agree,
  // and the loaders give the same answer, message and image.
  WriteBytes("src.ppm", MakePPM(6, 3, PatternRGB(6, 3, 4)));
  RunCommand("convert src.ppm -type TrueColor BMP3:good.bmp");
  RunCommand("convert src.ppm -alpha set -type TrueColorAlpha -depth 8 good.tga");
  RunCommand("convert src.ppm -alpha set -type TrueColorAlpha -depth 8 -compress RLE rle.tga");
  RunCommand("ppmtoilbm -quiet -24force src.ppm > deep.ilbm");
  WriteBytes("few.ppm", MakePPM(17, 3, FewColours(17, 3, 5)));
  RunCommand("ppmtoilbm -quiet -compress few.ppm > packed.ilbm");
  Gfx bank;
  bank.Info(4, 2, 8, 2).Cmap(255, 0, 0).Cmap(0, 0, 255).Imge(Bytes(8, 1));
  bank.Ctbl({{0, 0, 2, 1, 0, 0, 2, 1, 1, 0}, {1, 1, 2, 1, 0, 0, 2, 1, 2, 1}}).Endf();
  WriteBytes("bank.gfx", bank.f.b);
  Gfx cut;
  cut.Info(2, 2, 24).Imge(Bytes(12, 0));
  WriteBytes("cut.gfx", cut.f.b);
  Bytes shortBmp = ReadFile("good.bmp");
  shortBmp.resize(shortBmp.size() - 5);
  WriteBytes("short.bmp", shortBmp);
  Ilbm noPalette;
  noPalette.Bmhd(16, 1, 8, 0).Chunk("BODY", Bytes(16, 0));
  WriteBytes("nopal.ilbm", noPalette.File());

  struct Case { int format; const char* path; int loads; };
  for (Case c : {Case{FormatBMP, "good.bmp", -1}, Case{FormatBMP, "short.bmp", 0}, Case{FormatILBM, "deep.ilbm", -1},
                 Case{FormatILBM, "packed.ilbm", -1}, Case{FormatILBM, "nopal.ilbm", 0},
                 Case{FormatGFX, "bank.gfx", -1}, Case{FormatGFX, "cut.gfx", 0}, Case{FormatTGA, "good.tga", -1},
                 Case{FormatTGA, "rle.tga", -1}}) {
    const ImageFormat& format = ImageFormats[c.format];
    SCOPED_TRACE(c.path);
    Bytes bytes = ReadFile(c.path);
    ASSERT_FALSE(bytes.empty());
    FileHandle fromMemory = FileOpenMemory(bytes.data(), bytes.size(), format.byteOrder);
    EXPECT_EQ(format.test(fromMemory), -1);
    FileClose(fromMemory);
    EXPECT_EQ(RunProbe(format, c.path, message), -1);

    char fileMessage[LoadMessageSize] = "";
    int fileResult = RunLoader(format, c.path, &img, fileMessage);
    EXPECT_EQ(fileResult, c.loads) << fileMessage;
    Image copy = {};
    fromMemory = FileOpenMemory(bytes.data(), bytes.size(), format.byteOrder);
    int memoryResult = format.load(fromMemory, &copy, message);
    FileClose(fromMemory);
    EXPECT_EQ(Outcome(memoryResult, message, copy), Outcome(fileResult, fileMessage, img));
    FreeImage(&copy);
    FreeImage(&img);
  }
}

}  // namespace
