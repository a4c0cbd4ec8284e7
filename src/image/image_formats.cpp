#include "image/image_formats.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "image/image_table.h"
#include "io/file.h"

namespace zorta {

// Formats the reason a loader gives up into its caller's message buffer.
static int Fail(char* message, const char* format, ...) __attribute__((format(printf, 2, 3)));
static int Fail(char* message, const char* format, ...) {
  if (message == nullptr) return 0;
  va_list ap;
  va_start(ap, format);
  vsnprintf(message, LoadMessageSize, format, ap);
  va_end(ap);
  return 0;
}

int LoadFail(char* message, const char* text) { return Fail(message, "%s", text); }

static int SizeInRange(int64_t width, int64_t height, int64_t bytesPerPixel) {
  if (width < 1 || height < 1 || bytesPerPixel < 1) return 0;
  if (width > MaxImageBytes || height > MaxImageBytes) return 0;
  return width * height * bytesPerPixel <= MaxImageBytes ? -1 : 0;
}

int ImageSizeInRange(int64_t width, int64_t height, int64_t bytesPerPixel) {
  return SizeInRange(width, height, bytesPerPixel);
}

// ---------------------------------------------------------------- BMP

int TestBMP(FileHandle f) {
  uint16_t signature = ReadU16(f);
  SkipN(f, 26);
  uint16_t bits = ReadU16(f);
  int past = FilePastEnd(f);
  return !past && signature == 0x4D42 && bits == 24 ? -1 : 0;
}

int LoadBMP(FileHandle f, Image* image, char* message) {
  SkipN(f, 10);
  uint32_t dataOffset = ReadI32(f);
  Skip4(f);
  int64_t width = static_cast<int32_t>(ReadI32(f));
  int64_t height = static_cast<int32_t>(ReadI32(f));
  Skip2(f);
  int bits = ReadU16(f);
  SkipN(f, 24);
  if (FilePastEnd(f)) return Fail(message, "LoadBMP() - File is truncated");
  if (bits != 24) return Fail(message, "LoadBMP() - Unsupported pixel depth");
  // A negative height stores the rows from the top, as BMP readers expect.
  int topDown = height < 0;
  if (topDown) height = -height;
  if (!SizeInRange(width, height, 3)) return Fail(message, "LoadBMP() - Image size is out of range");
  // Headers longer than the classic 40 bytes put the rows further on; the
  // data offset says where.
  int64_t left = FileBytesLeft(f);
  if (dataOffset > 54) {
    if (dataOffset - 54 > static_cast<uint64_t>(left)) return Fail(message, "LoadBMP() - File is truncated");
    SkipN(f, static_cast<int32_t>(dataOffset - 54));
    left -= dataOffset - 54;
  }
  int64_t rowBytes = width * 3;
  int64_t pad = (4 - rowBytes % 4) % 4;
  if (rowBytes * height + pad * (height - 1) > left) return Fail(message, "LoadBMP() - File is truncated");
  uint8_t* pixels = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(rowBytes * height)));
  for (int64_t i = 0; i < height; i++) {
    uint8_t* row = pixels + (topDown ? i : height - 1 - i) * rowBytes;
    ReadBlock(f, row, static_cast<int32_t>(rowBytes));
    for (int64_t x = 0; x < rowBytes; x += 3) {
      uint8_t b = row[x];
      row[x] = row[x + 2];
      row[x + 2] = b;
    }
    if (i + 1 < height) SkipN(f, static_cast<int32_t>(pad));
  }
  int past = FilePastEnd(f);
  if (past) {
    MemFree(pixels);
    return Fail(message, "LoadBMP() - File is truncated");
  }
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->bits = 24;
  image->bytesPerPixel = 3;
  image->pixels = pixels;
  image->palette = nullptr;
  return -1;
}

// ---------------------------------------------------------------- ILBM

const uint32_t IdFORM = 0x464F524D, IdILBM = 0x494C424D, IdBMHD = 0x424D4844, IdCMAP = 0x434D4150,
               IdBODY = 0x424F4459, IdCAMG = 0x43414D47, IdDCOL = 0x44434F4C, IdPCHG = 0x50434847,
               IdSHAM = 0x5348414D, IdCTBL = 0x4354424C;

// Amiga display modes in the CAMG chunk that change what the planes mean.
const uint32_t CamgHAM = 0x800, CamgEHB = 0x80;

int TestILBM(FileHandle f) {
  uint32_t form = ReadI32(f);
  Skip4(f);
  uint32_t type = ReadI32(f);
  int past = FilePastEnd(f);
  return !past && form == IdFORM && type == IdILBM ? -1 : 0;
}

size_t UnpackByteRun1(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t dstLen) {
  size_t in = 0, out = 0;
  while (out < dstLen && in < srcLen) {
    uint8_t c = src[in++];
    if (c < 128) {
      size_t n = static_cast<size_t>(c) + 1;
      if (n > srcLen - in) n = srcLen - in;
      if (n > dstLen - out) n = dstLen - out;
      memcpy(dst + out, src + in, n);
      in += c + 1u;
      out += n;
    } else if (c > 128) {
      if (in >= srcLen) break;
      size_t n = 257u - c;
      if (n > dstLen - out) n = dstLen - out;
      memset(dst + out, src[in++], n);
      out += n;
    }
  }
  return out;
}

// Hold-and-modify: the top two planes of each pixel say whether the rest is
// a palette index or replaces the high bits of blue, red or green, keeping
// the low bits of the pixel before; every row starts from black. Indices in,
// red, green, blue out.
static void DecodeHAM(const uint8_t* indices, int width, int height, int planes, const uint8_t* palette,
                      uint8_t* out) {
  int valueBits = planes - 2, shift = 8 - valueBits;
  unsigned valueMask = (1u << valueBits) - 1, keepMask = (1u << shift) - 1;
  for (int y = 0; y < height; y++) {
    unsigned rgb[3] = {0, 0, 0};
    for (int x = 0; x < width; x++) {
      unsigned v = *indices++, value = v & valueMask;
      switch (v >> valueBits) {
        case 0:
          for (int k = 0; k < 3; k++) rgb[k] = palette[value * 3 + k];
          break;
        case 1:
          rgb[2] = (value << shift) | (rgb[2] & keepMask);
          break;
        case 2:
          rgb[0] = (value << shift) | (rgb[0] & keepMask);
          break;
        default:
          rgb[1] = (value << shift) | (rgb[1] & keepMask);
          break;
      }
      for (int k = 0; k < 3; k++) *out++ = static_cast<uint8_t>(rgb[k]);
    }
  }
}

// Extra-half-brite: a palette with fewer entries than the planes can index
// is followed by its own entries at half brightness.
static void AddHalfBrite(uint8_t* palette, int entries, int planes) {
  if (entries >= (1 << planes)) return;
  for (int i = 0; i < entries && entries + i < 256; i++)
    for (int k = 0; k < 3; k++) palette[(entries + i) * 3 + k] = palette[i * 3 + k] / 2;
}

// Interleaved planes to chunky pixels: bit p of output byte g comes from
// plane 8g + p, the leftmost pixel in each plane byte's top bit. Planes
// beyond `planes` (a mask plane) are stored but not used. Eight pixels at a
// time: Spread[b] has byte j set to 1 when pixel j of plane byte b is set.
static uint64_t Spread[256];

static void PlanarToChunky(const uint8_t* planar, int width, int height, int planes, int storedPlanes,
                           int rowWidth, uint8_t* out) {
  if (Spread[255] == 0)
    for (int b = 0; b < 256; b++)
      for (int j = 0; j < 8; j++)
        if (b & (0x80 >> j)) Spread[b] |= uint64_t(1) << (8 * j);
  int bytesPerPixel = (planes + 7) / 8;
  size_t planeRow = static_cast<size_t>(rowWidth / 8);
  for (int y = 0; y < height; y++) {
    const uint8_t* rowBase = planar + static_cast<size_t>(y) * storedPlanes * planeRow;
    uint8_t* dst = out + static_cast<size_t>(y) * width * bytesPerPixel;
    for (int g = 0; g < bytesPerPixel; g++) {
      int first = 8 * g, count = planes - first < 8 ? planes - first : 8;
      for (int x = 0; x < width; x += 8) {
        uint64_t acc = 0;
        for (int p = 0; p < count; p++) acc |= Spread[rowBase[(first + p) * planeRow + x / 8]] << p;
        int n = width - x < 8 ? width - x : 8;
        for (int j = 0; j < n; j++) dst[static_cast<size_t>(x + j) * bytesPerPixel + g] = static_cast<uint8_t>(acc >> (8 * j));
      }
    }
  }
}

int LoadILBM(FileHandle f, Image* image, char* message) {
  Skip4(f);
  int64_t remaining = static_cast<int64_t>(ReadI32(f)) - 4;
  Skip4(f);
  int width = 0, height = 0, planes = 0, masking = 0, compression = 0;
  uint32_t modes = 0;      // CAMG
  int paletteEntries = 0;  // in the latest CMAP
  int directBits = -1;     // DCOL: 8 when red, green and blue have 8 bits each, else 0
  int multiPalette = 0;    // palettes that change down the picture
  uint8_t* palette = nullptr;
  uint8_t* body = nullptr;
  int64_t bodySize = 0;
  int truncated = 0;
  while (remaining >= 8 && !FilePastEnd(f)) {
    uint32_t id = ReadI32(f);
    uint32_t n = ReadI32(f);
    if (FilePastEnd(f)) break;
    if (id == IdBMHD) {
      width = static_cast<int16_t>(ReadU16(f));
      height = static_cast<int16_t>(ReadU16(f));
      Skip4(f);
      planes = static_cast<int8_t>(ReadU8(f));
      masking = static_cast<int8_t>(ReadU8(f));
      compression = static_cast<int8_t>(ReadU8(f));
      Skip1(f);
      Skip2(f);
      Skip2(f);
      Skip4(f);
      // A longer header keeps the following chunks where their lengths say.
      if (n > 20) SkipN(f, static_cast<int32_t>(n - 20 > 0x7FFFFFFF ? 0x7FFFFFFF : n - 20));
    } else if (id == IdCMAP) {
      if (n > FileBytesLeft(f)) {
        truncated = -1;
        break;
      }
      MemFree(palette);
      palette = static_cast<uint8_t*>(MemAllocZero(768));
      // Entries past 256 have nowhere to go.
      ReadBlock(f, palette, static_cast<int32_t>(n < 768 ? n : 768));
      if (n > 768) SkipN(f, static_cast<int32_t>(n - 768));
      paletteEntries = static_cast<int>((n < 768 ? n : 768) / 3);
    } else if (id == IdCAMG && n >= 4) {
      modes = ReadI32(f);
      SkipN(f, static_cast<int32_t>(n - 4 > 0x7FFFFFFF ? 0x7FFFFFFF : n - 4));
    } else if (id == IdDCOL && n >= 3) {
      uint8_t r = ReadU8(f), g = ReadU8(f), b = ReadU8(f);
      directBits = r == 8 && g == 8 && b == 8 ? 8 : 0;
      SkipN(f, static_cast<int32_t>(n - 3 > 0x7FFFFFFF ? 0x7FFFFFFF : n - 3));
    } else if (id == IdBODY) {
      if (n > FileBytesLeft(f) || n > MaxImageBytes) {
        truncated = -1;
        break;
      }
      MemFree(body);
      body = static_cast<uint8_t*>(MemAlloc(n > 0 ? n : 1));
      bodySize = n;
      ReadBlock(f, body, static_cast<int32_t>(n));
    } else {
      if (id == IdPCHG || id == IdSHAM || id == IdCTBL) multiPalette = -1;
      if (n > FileBytesLeft(f)) break;  // an unknown chunk cut short: nothing more to find
      SkipN(f, static_cast<int32_t>(n));
    }
    if (n & 1) {
      Skip1(f);
      remaining -= 1;
    }
    remaining -= static_cast<int64_t>(n) + 8;
  }

  if (planes == 0) {
    MemFree(body);
    MemFree(palette);
    return Fail(message, "LoadILBM() - File contains no bitmap header");
  }
  if (body == nullptr) {
    MemFree(palette);
    if (truncated) return Fail(message, "LoadILBM() - File is truncated");
    return Fail(message, "LoadILBM() - File contains no body");
  }
  // Direct colour other than 8 bits each of red, green and blue needs no
  // palette, so it is refused before one is asked for.
  if (directBits >= 0 && !(planes == 24 && directBits == 8)) {
    MemFree(body);
    MemFree(palette);
    return Fail(message, "LoadILBM() - Unsupported direct colour layout");
  }
  if (palette == nullptr && planes <= 8) {
    MemFree(body);
    if (truncated) return Fail(message, "LoadILBM() - File is truncated");
    return Fail(message, "LoadILBM() - File contains no palette");
  }
  // HAM needs at least one bit of value; with fewer planes the mode flag is
  // ignored, and so it is for 24 planes of red, green and blue.
  int ham = (modes & CamgHAM) && planes >= 3 && planes <= 8;
  const char* problem = nullptr;
  if (truncated)
    problem = "LoadILBM() - File is truncated";
  else if (planes < 0 || (planes > 8 && planes != 24 && planes != 32))
    // Indices past 8 bits have no palette to go to; direct colour is read as
    // red, green, blue (and alpha at 32 planes), other depths have no layout.
    problem = "LoadILBM() - Unsupported number of planes";
  else if (multiPalette)
    problem = "LoadILBM() - Unsupported multi-palette image";
  else if (!SizeInRange(width, height, ham ? 3 : (planes + 7) / 8))
    problem = "LoadILBM() - Image size is out of range";
  if (problem != nullptr) {
    MemFree(body);
    MemFree(palette);
    return Fail(message, "%s", problem);
  }

  int rowWidth = ((width + 15) / 16) * 16;
  // A mask plane (masking 1) follows the colour planes of every row.
  int storedPlanes = planes + (masking == 1 ? 1 : 0);
  int64_t planarSize = static_cast<int64_t>(rowWidth / 8) * height * storedPlanes;
  uint8_t* planar = body;
  if (compression != 0) {
    // ByteRun1 at best turns 2 bytes into 128, so a short body cannot fill
    // a huge bitmap; refuse before allocating for it.
    if (planarSize > bodySize * 64 + 128) {
      MemFree(body);
      MemFree(palette);
      return Fail(message, "LoadILBM() - File is truncated");
    }
    planar = static_cast<uint8_t*>(MemAllocZero(static_cast<size_t>(planarSize)));
    size_t got = UnpackByteRun1(body, static_cast<size_t>(bodySize), planar, static_cast<size_t>(planarSize));
    MemFree(body);
    if (got < static_cast<size_t>(planarSize)) {
      MemFree(planar);
      MemFree(palette);
      return Fail(message, "LoadILBM() - File is truncated");
    }
  } else if (bodySize < planarSize) {
    MemFree(body);
    MemFree(palette);
    return Fail(message, "LoadILBM() - File is truncated");
  }
  int bytesPerPixel = (planes + 7) / 8;
  uint8_t* pixels = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(width) * height * bytesPerPixel));
  PlanarToChunky(planar, width, height, planes, storedPlanes, rowWidth, pixels);
  MemFree(planar);
  int bits = planes;
  if (ham) {
    uint8_t* rgb = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(width) * height * 3));
    DecodeHAM(pixels, width, height, planes, palette, rgb);
    MemFree(pixels);
    pixels = rgb;
    bits = 24;
    bytesPerPixel = 3;
  } else if ((modes & CamgEHB) && planes <= 8) {
    AddHalfBrite(palette, paletteEntries, planes);
  }

  image->width = width;
  image->height = height;
  image->bits = bits;
  image->bytesPerPixel = bytesPerPixel;
  image->pixels = pixels;
  image->palette = palette;
  return -1;
}

// ---------------------------------------------------------------- GFX

// CTBL, the cell table, has the same value as ILBM's colour-table chunk above.
const uint32_t IdGFX = 0x47465831, IdINFO = 0x494E464F, IdIMGE = 0x494D4745, IdVECT = 0x56454354,
               IdENDF = 0x454E4446;

int TestGFX(FileHandle f) {
  uint32_t magic = ReadI32(f);
  int past = FilePastEnd(f);
  return !past && magic == IdGFX ? -1 : 0;
}

void FreeSkeleton(Skeleton* skeleton) {
  if (skeleton == nullptr) return;
  if (skeleton->animations != nullptr)
    for (int i = 0; i < skeleton->animationCount; i++) MemFree(skeleton->animations[i].keys);
  MemFree(skeleton->animations);
  MemFree(skeleton->bones);
  MemFree(skeleton);
}

// A parent index out of range means no parent; a chain of parents that comes
// back to a bone is cut at that bone, so walking up always ends.
static void LinkBones(Bone* bones, const int32_t* parents, int count) {
  for (int i = 0; i < count; i++) {
    int p = parents[i];
    bones[i].parent = p >= 0 && p < count ? &bones[p] : nullptr;
  }
  for (int i = 0; i < count; i++) {
    const Bone* b = bones[i].parent;
    for (int steps = 0; b != nullptr && steps <= count; steps++) {
      if (b == &bones[i]) {
        bones[i].parent = nullptr;
        break;
      }
      b = b->parent;
    }
  }
}

// Reads a VECT chunk; null when its counts promise more than the file holds.
static Skeleton* ReadSkeleton(FileHandle f) {
  int64_t boneCount = static_cast<int32_t>(ReadI32(f));
  if (boneCount < 0) boneCount = 0;
  if (boneCount * 40 > FileBytesLeft(f)) return nullptr;
  Skeleton* s = static_cast<Skeleton*>(MemAllocZero(sizeof(Skeleton)));
  s->boneCount = static_cast<int32_t>(boneCount);
  s->bones = static_cast<Bone*>(MemAllocZero(sizeof(Bone) * (boneCount > 0 ? boneCount : 1)));
  int32_t* parents = static_cast<int32_t*>(MemAlloc(sizeof(int32_t) * (boneCount > 0 ? boneCount : 1)));
  for (int64_t i = 0; i < boneCount; i++) {
    Bone& b = s->bones[i];
    b.baseAngle = ReadF32(f);
    b.length = ReadF32(f);
    parents[i] = static_cast<int32_t>(ReadI32(f));
    b.frame = static_cast<int32_t>(ReadI32(f));
    b.value1 = ReadF32(f);
    b.value2 = ReadF32(f);
    b.baseDrawAngle = ReadF32(f);
    b.drawScale = ReadF32(f);
    b.word1 = ReadRaw32(f);
    b.word2 = ReadRaw32(f);
  }
  LinkBones(s->bones, parents, static_cast<int>(boneCount));
  MemFree(parents);
  int64_t animationCount = static_cast<int32_t>(ReadI32(f));
  if (animationCount < 0) animationCount = 0;
  // Every animation takes at least its NUL and its key count.
  if (FilePastEnd(f) || animationCount * 5 > FileBytesLeft(f)) {
    FreeSkeleton(s);
    return nullptr;
  }
  s->animations =
      static_cast<BoneAnimation*>(MemAllocZero(sizeof(BoneAnimation) * (animationCount > 0 ? animationCount : 1)));
  for (int64_t a = 0; a < animationCount; a++) {
    BoneAnimation& anim = s->animations[a];
    s->animationCount = static_cast<int32_t>(a + 1);
    ReadStringInto(f, anim.name, sizeof anim.name);  // longer names are cut to 31
    int64_t keyCount = static_cast<int32_t>(ReadI32(f));
    if (keyCount < 0) keyCount = 0;
    int64_t entries = keyCount * boneCount;
    if (FilePastEnd(f) || entries * 24 > FileBytesLeft(f)) {
      FreeSkeleton(s);
      return nullptr;
    }
    anim.keyCount = static_cast<int32_t>(keyCount);
    anim.keys = static_cast<BoneKey*>(MemAlloc(sizeof(BoneKey) * (entries > 0 ? entries : 1)));
    for (int64_t k = 0; k < entries; k++) {
      BoneKey& key = anim.keys[k];
      key.angle = ReadF32(f);
      key.lengthScale = ReadF32(f);
      key.drawAngle = ReadF32(f);
      key.drawScaleX = ReadF32(f);
      key.drawScaleY = ReadF32(f);
      key.value = static_cast<int32_t>(ReadI32(f));
    }
  }
  s->animationCount = static_cast<int32_t>(animationCount);
  if (FilePastEnd(f)) {
    FreeSkeleton(s);
    return nullptr;
  }
  return s;
}

// Everything LoadGFX gathers before it hands the result over.
struct GfxParts {
  int32_t width, height, bits, infoValue, paletteCount;
  uint32_t mirrorWanted, flags;
  uint8_t* pixels;
  int64_t pixelBytes;
  uint8_t* palette;
  uint8_t* bank;
  int32_t bankCount;  // bank palettes read so far
  ImageCell* cells;
  int32_t cellCount;
  Skeleton* skeleton;
};

static void FreeGfxParts(GfxParts& g) {
  MemFree(g.pixels);
  MemFree(g.palette);
  MemFree(g.bank);
  MemFree(g.cells);
  FreeSkeleton(g.skeleton);
  memset(&g, 0, sizeof g);
}

// Colours an 8-bit image through the palette bank: cell i through bank
// palette i, everything outside the cells black. Cell rectangles are cut to
// the image; cells without a palette of their own stay black.
static uint8_t* ApplyPaletteBank(const GfxParts& g) {
  int64_t w = g.width, h = g.height;
  uint8_t* out = static_cast<uint8_t*>(MemAllocZero(static_cast<size_t>(w * h * 3)));
  for (int i = 0; i < g.cellCount && i < g.bankCount; i++) {
    const ImageCell& c = g.cells[i];
    const uint8_t* pal = g.bank + static_cast<size_t>(i) * 768;
    int64_t x0 = c.x < 0 ? 0 : c.x, y0 = c.y < 0 ? 0 : c.y;
    int64_t x1 = static_cast<int64_t>(c.x) + c.width, y1 = static_cast<int64_t>(c.y) + c.height;
    if (x1 > w) x1 = w;
    if (y1 > h) y1 = h;
    for (int64_t y = y0; y < y1; y++) {
      for (int64_t x = x0; x < x1; x++) {
        const uint8_t* e = pal + g.pixels[y * w + x] * 3;
        uint8_t* d = out + (y * w + x) * 3;
        d[0] = e[0];
        d[1] = e[1];
        d[2] = e[2];
      }
    }
  }
  return out;
}

int LoadGFX(FileHandle f, Image* image, char* message) {
  GfxParts g;
  memset(&g, 0, sizeof g);
  int haveImage = 0, ended = 0, broken = 0;
  Skip4(f);
  while (!ended && !broken) {
    uint32_t id = ReadI32(f);
    uint32_t length = ReadI32(f);
    if (FilePastEnd(f)) {
      broken = -1;  // the file ends before its ENDF
      break;
    }
    switch (id) {
      case IdINFO:
        g.width = static_cast<int32_t>(ReadI32(f));
        g.height = static_cast<int32_t>(ReadI32(f));
        g.bits = static_cast<int32_t>(ReadI32(f));
        g.infoValue = static_cast<int32_t>(ReadI32(f));
        g.mirrorWanted = ReadRaw32(f);
        g.paletteCount = static_cast<int32_t>(ReadI32(f));
        g.flags = ReadI32(f);
        Skip4(f);
        break;
      case IdIMGE:
        if (length > FileBytesLeft(f) || length > MaxImageBytes) {
          broken = -1;
          break;
        }
        MemFree(g.pixels);
        g.pixels = static_cast<uint8_t*>(MemAlloc(length > 0 ? length : 1));
        g.pixelBytes = length;
        ReadBlock(f, g.pixels, static_cast<int32_t>(length));
        haveImage = -1;
        break;
      case IdCMAP: {
        uint8_t block[768];
        ReadBlock(f, block, sizeof block);
        if (g.paletteCount <= 0) {
          if (g.palette == nullptr) g.palette = static_cast<uint8_t*>(MemAlloc(768));
          memcpy(g.palette, block, 768);
        } else if (g.bankCount < g.paletteCount) {
          // The bank grows with the CMAP chunks actually present; any beyond
          // the announced count are dropped.
          g.bank = static_cast<uint8_t*>(MemRealloc(g.bank, static_cast<size_t>(g.bankCount + 1) * 768));
          memcpy(g.bank + static_cast<size_t>(g.bankCount) * 768, block, 768);
          g.bankCount++;
        }
        break;
      }
      case IdCTBL: {
        int64_t count = static_cast<int32_t>(ReadI32(f));
        if (count < 0) count = 0;
        if (count * 40 > FileBytesLeft(f)) {
          broken = -1;
          break;
        }
        MemFree(g.cells);
        g.cells = static_cast<ImageCell*>(MemAlloc(sizeof(ImageCell) * (count > 0 ? count : 1)));
        g.cellCount = static_cast<int32_t>(count);
        for (int64_t i = 0; i < count; i++) {
          int32_t* w = &g.cells[i].x;
          for (int k = 0; k < 10; k++) w[k] = static_cast<int32_t>(ReadI32(f));
        }
        break;
      }
      case IdVECT: {
        Skeleton* s = ReadSkeleton(f);
        if (s == nullptr) {
          broken = -1;
          break;
        }
        FreeSkeleton(g.skeleton);
        g.skeleton = s;
        break;
      }
      case IdENDF:
        ended = -1;
        break;
      default:
        if (length > FileBytesLeft(f)) {
          broken = -1;
          break;
        }
        SkipN(f, static_cast<int32_t>(length));
        break;
    }
    if (FilePastEnd(f)) broken = -1;
  }

  if (g.bits == 0) {
    FreeGfxParts(g);
    return Fail(message, "LoadGFX() - File contains no info header");
  }
  if (!haveImage) {
    FreeGfxParts(g);
    if (broken) return Fail(message, "LoadGFX() - File is truncated");
    return Fail(message, "LoadGFX() - File contains no image buffer");
  }
  if (g.palette == nullptr && g.bits <= 8 && g.paletteCount == 0) {
    FreeGfxParts(g);
    if (broken) return Fail(message, "LoadGFX() - File is truncated");
    return Fail(message, "LoadGFX() - File contains no palette");
  }
  const char* problem = nullptr;
  // Widened: a hostile depth near the top of the range must not overflow.
  int bytesPerPixel = static_cast<int>((static_cast<int64_t>(g.bits) + 7) / 8);
  if (broken)
    problem = "LoadGFX() - File is truncated";
  else if (g.bits < 0 || g.bits > 32)
    problem = "LoadGFX() - Unsupported pixel depth";
  else if (!SizeInRange(g.width, g.height, bytesPerPixel))
    problem = "LoadGFX() - Image size is out of range";
  else if (g.pixelBytes < static_cast<int64_t>(g.width) * g.height * bytesPerPixel)
    problem = "LoadGFX() - Image buffer is too small";
  if (problem != nullptr) {
    FreeGfxParts(g);
    return Fail(message, "%s", problem);
  }
  if (g.paletteCount > 0 && g.bits == 8) {
    uint8_t* coloured = ApplyPaletteBank(g);
    MemFree(g.pixels);
    g.pixels = coloured;
    g.bits = 24;
    bytesPerPixel = 3;
  }
  MemFree(g.bank);
  image->width = g.width;
  image->height = g.height;
  image->bits = g.bits;
  image->bytesPerPixel = bytesPerPixel;
  image->infoValue = g.infoValue;
  image->mirrorWanted = g.mirrorWanted;
  image->flags = g.flags;
  image->palette = g.palette;
  image->cells = g.cells;
  image->cellCount = g.cellCount;
  image->pixels = g.pixels;
  image->skeleton = g.skeleton;
  return -1;
}

// ---------------------------------------------------------------- TGA

int TestTGA(FileHandle f) {
  Skip2(f);
  uint8_t type = ReadU8(f);
  SkipN(f, 13);
  uint8_t depth = ReadU8(f);
  int past = FilePastEnd(f);
  return !past && (type == 2 || type == 10) && depth == 32 ? -1 : 0;
}

int LoadTGA(FileHandle f, Image* image, char* message) {
  uint8_t idLength = ReadU8(f);
  uint8_t mapType = ReadU8(f);
  uint8_t type = ReadU8(f);
  Skip2(f);
  uint16_t mapLength = ReadU16(f);
  uint8_t mapEntryBits = ReadU8(f);
  Skip4(f);
  int width = ReadU16(f);
  int height = ReadU16(f);
  int bits = ReadU8(f);
  Skip1(f);
  if (FilePastEnd(f)) return Fail(message, "LoadTGA() - File is truncated");
  if (type != 2 && type != 10) return Fail(message, "LoadTGA() - Unsupported image type");
  if (bits != 32) return Fail(message, "LoadTGA() - Unsupported pixel depth");
  if (!SizeInRange(width, height, 4)) return Fail(message, "LoadTGA() - Image size is out of range");
  // The identification field and any colour map come before the pixels.
  SkipN(f, idLength);
  if (mapType == 1) SkipN(f, static_cast<int32_t>(mapLength) * ((mapEntryBits + 7) / 8));
  int64_t count = static_cast<int64_t>(width) * height;
  uint8_t* pixels = nullptr;
  int truncated = 0;
  if (type == 2) {
    if (count * 4 > FileBytesLeft(f)) {
      truncated = -1;
    } else {
      pixels = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(count * 4)));
      ReadBlock(f, pixels, static_cast<int32_t>(count * 4));
    }
  } else {
    // Run-length packets: a count byte, then one pixel repeated (top bit
    // set) or that many literal pixels. A packet may run across rows.
    if (count > FileBytesLeft(f) * 128) {
      truncated = -1;
    } else {
      pixels = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(count * 4)));
      int64_t done = 0;
      while (done < count && !FilePastEnd(f)) {
        uint8_t head = ReadU8(f);
        int64_t n = (head & 0x7F) + 1;
        if (n > count - done) n = count - done;
        uint8_t* d = pixels + done * 4;
        if (head & 0x80) {
          uint8_t px[4];
          ReadBlock(f, px, 4);
          for (int64_t k = 0; k < n; k++) memcpy(d + k * 4, px, 4);
        } else {
          ReadBlock(f, d, static_cast<int32_t>(n * 4));
          if ((head & 0x7F) + 1 > n) SkipN(f, static_cast<int32_t>(((head & 0x7F) + 1 - n) * 4));
        }
        done += n;
      }
      if (done < count) truncated = -1;
    }
  }
  if (FilePastEnd(f)) truncated = -1;
  if (truncated) {
    MemFree(pixels);
    return Fail(message, "LoadTGA() - File is truncated");
  }
  for (int64_t i = 0; i < count; i++) {
    uint8_t* p = pixels + i * 4;
    uint8_t b = p[0];
    p[0] = p[2];
    p[2] = b;
  }
  image->width = width;
  image->height = height;
  image->bits = bits;
  image->bytesPerPixel = 4;
  image->pixels = pixels;
  image->palette = nullptr;
  return -1;
}

// ---------------------------------------------------------------- by path

const ImageFormat ImageFormats[ImageFormatCount] = {
    {"BMP", 0, "TestBMP", "LoadBMP", TestBMP, LoadBMP, 0},
    {"ILBM", 1, "TestILBM", "LoadILBM", TestILBM, LoadILBM, 0},
    {"GFX", 0, "TestGFX", "LoadGFX", TestGFX, LoadGFX, 0},
    {"TGA", 0, "TestTGA", "LoadTGA", TestTGA, LoadTGA, 0},
    {"BMP", 0, "TestBMPVariant", "LoadBMPVariant", TestBMPVariant, LoadBMPVariant, -1},
    {"PNG", 1, "TestPNG", "LoadPNG", TestPNG, LoadPNG, -1},
};

MemoryImageFiles ImagesInMemory;

const std::vector<uint8_t>* ImageInMemory(const char* path) {
  for (const auto& file : ImagesInMemory)
    if (NamesEqual(file.first.c_str(), path)) return &file.second;
  return nullptr;
}

static FileHandle OpenImageFile(const char* path, int byteOrder) {
  const std::vector<uint8_t>* bytes = ImageInMemory(path);
  if (bytes != nullptr) return FileOpenMemory(bytes->data(), bytes->size(), byteOrder);
  return FileOpen(path, "rb", byteOrder);
}

int RunProbe(const ImageFormat& format, const char* path, char* message) {
  if (message != nullptr) message[0] = 0;
  FileHandle f = OpenImageFile(path, format.byteOrder);
  if (f == nullptr) {
    if (format.quietProbe) return 0;
    return Fail(message, "%s() - Couldn't open file '%s'", format.testName, path);
  }
  int result = format.test(f);
  FileClose(f);
  return result;
}

int RunLoader(const ImageFormat& format, const char* path, Image* image, char* message) {
  FileHandle f = OpenImageFile(path, format.byteOrder);
  if (f == nullptr) return Fail(message, "%s() - Couldn't open file '%s'", format.loadName, path);
  int result = format.load(f, image, message);
  FileClose(f);
  return result;
}

}  // namespace zorta
