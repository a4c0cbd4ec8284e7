// BMP files beyond the 24-bit ones that TestBMP and LoadBMP read: colour
// tables with 1, 2, 4 or 8 bits per pixel (kept as indices), 16 and 32 bits
// through bit fields, RLE8 and RLE4, and the OS/2 headers. Harmless slips in
// a header (a file size that disagrees, a colour count larger than the
// table, a data offset of 0) are let through as other readers let them
// through; every length that decides how far a read goes is checked first.
#include <cstring>

#include "image/image_formats.h"
#include "image/image_table.h"
#include "io/file.h"

namespace zorta {

namespace {

// BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS and BI_ALPHABITFIELDS.
const uint32_t CompressNone = 0, CompressRLE8 = 1, CompressRLE4 = 2, CompressBitFields = 3,
               CompressAlphaBitFields = 6;

// OS/2 1.x headers are 12 bytes; OS/2 2.x ones 16 to 64; Windows ones 40,
// 52, 56, 108 and 124. Longer headers are read as the longest known one.
int HeaderSizeKnown(uint32_t size) { return size == 12 || (size >= 16 && size <= 4096) ? -1 : 0; }

// OS/2 2.x uses compression 3 and 4 for Huffman and RLE24, not bit fields.
int IsOS2Version2(uint32_t size) { return size >= 16 && size <= 64 && size != 40 && size != 52 && size != 56; }

uint32_t Word32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint32_t Word16(const uint8_t* p) { return p[0] | (p[1] << 8); }

// One colour channel of a bit-field pixel, widened to 8 bits.
struct Channel {
  uint32_t mask;
  int shift;  // of the mask's lowest bit
  int span;   // from its lowest bit to its highest
  uint8_t widen[256];
};

// Up to 8 bits the channel's bits are repeated to fill the byte (5 bits
// abcde give abcdeabc), so full scale stays full scale. Wider channels are
// taken to 16 bits and rounded down to 8.
void SetUpChannel(Channel* c, uint32_t mask) {
  c->mask = mask;
  c->shift = 0;
  c->span = 0;
  if (mask == 0) return;
  while (!((mask >> c->shift) & 1)) c->shift++;
  int top = 31;
  while (!((mask >> top) & 1)) top--;
  c->span = top - c->shift + 1;
  if (c->span > 8) return;
  for (uint32_t v = 0; v < (1u << c->span); v++) {
    unsigned out = 0;
    for (int at = 8; at > 0;) {
      at -= c->span;
      out |= at >= 0 ? v << at : v >> -at;
    }
    c->widen[v] = static_cast<uint8_t>(out);
  }
}

inline uint8_t ChannelValue(const Channel& c, uint32_t pixel) {
  if (c.span == 0) return 0;
  uint32_t v = (pixel & c.mask) >> c.shift;
  if (c.span <= 8) return c.widen[v];
  uint32_t q = c.span >= 16 ? v >> (c.span - 16) : v << (16 - c.span);
  return static_cast<uint8_t>(((q + 128) - ((q + 128) >> 8)) >> 8);
}

struct BitFields {
  Channel red, green, blue, alpha;
};

// A bit-field row to red, green, blue; pixels less than half opaque become
// the transparent colour.
void DecodeBitFieldRow(const uint8_t* row, int64_t width, int bits, const BitFields& fields, uint8_t* out) {
  int hasAlpha = fields.alpha.span > 0;
  for (int64_t x = 0; x < width; x++, out += 3) {
    uint32_t pixel = bits == 16 ? Word16(row + x * 2) : Word32(row + x * 4);
    if (hasAlpha && ChannelValue(fields.alpha, pixel) < 128) {
      out[0] = 255;
      out[1] = 0;
      out[2] = 255;
      continue;
    }
    out[0] = ChannelValue(fields.red, pixel);
    out[1] = ChannelValue(fields.green, pixel);
    out[2] = ChannelValue(fields.blue, pixel);
  }
}

// Indices past the colour table read as index 0.
void DecodeIndexRow(const uint8_t* row, int64_t width, int bits, int entries, uint8_t* out) {
  if (bits == 8) {
    for (int64_t x = 0; x < width; x++) out[x] = row[x] < entries ? row[x] : 0;
    return;
  }
  int perByte = 8 / bits;
  unsigned mask = (1u << bits) - 1;
  for (int64_t x = 0; x < width; x++) {
    int shift = 8 - bits * (1 + static_cast<int>(x % perByte));
    unsigned v = (row[x / perByte] >> shift) & mask;
    out[x] = static_cast<uint8_t>(static_cast<int>(v) < entries ? v : 0);
  }
}

// RLE8 and RLE4: pairs of a count and a value (a run), or of 0 and an escape:
// 0 end of row, 1 end of picture, 2 a move right and up by the next two
// bytes, 3 and more that many literal pixels padded to a 16-bit boundary.
// Rows run from the bottom of the picture; pixels the stream never reaches
// stay index 0, and pixels beyond a row's end are dropped. A stream that
// stops early ends the picture there.
void DecodeRLE(const uint8_t* s, size_t n, int rle4, int64_t width, int64_t height, int topDown, int entries,
               uint8_t* out) {
  int64_t x = 0, y = 0;
  size_t i = 0;
  auto put = [&](unsigned v) {
    if (x < width && y < height) out[(topDown ? y : height - 1 - y) * width + x] = static_cast<uint8_t>(
                                     static_cast<int>(v) < entries ? v : 0);
    x++;
  };
  while (i + 1 < n && y < height) {
    unsigned count = s[i], value = s[i + 1];
    i += 2;
    if (count > 0) {
      for (unsigned k = 0; k < count && x < width; k++) put(rle4 ? (k & 1 ? value & 15 : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      y++;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (i + 1 >= n) break;
      x += s[i];
      y += s[i + 1];
      i += 2;
    } else {
      size_t bytes = rle4 ? (value + 1) / 2 : value;
      if (bytes > n - i) break;
      for (unsigned k = 0; k < value; k++) {
        unsigned b = s[i + (rle4 ? k / 2 : k)];
        put(rle4 ? (k & 1 ? b & 15 : b >> 4) : b);
      }
      i += bytes + (bytes & 1);
    }
  }
}

int Truncated(char* message) { return LoadFail(message, "LoadBMPVariant() - File is truncated"); }

}  // namespace

int TestBMPVariant(FileHandle f) {
  uint16_t signature = ReadU16(f);
  SkipN(f, 12);
  uint32_t headerSize = ReadI32(f);
  // Through the depth field: a header cut before it is no picture to read.
  SkipN(f, headerSize == 12 ? 6 : 10);
  ReadU16(f);
  int past = FilePastEnd(f);
  return !past && signature == 0x4D42 && HeaderSizeKnown(headerSize) ? -1 : 0;
}

int LoadBMPVariant(FileHandle f, Image* image, char* message) {
  SkipN(f, 10);
  uint32_t dataOffset = ReadI32(f);
  uint32_t headerSize = ReadI32(f);
  if (FilePastEnd(f)) return Truncated(message);
  if (!HeaderSizeKnown(headerSize)) return LoadFail(message, "LoadBMPVariant() - Unsupported header size");
  // The header past its size field; fields a short header lacks read as 0.
  uint8_t h[120];
  memset(h, 0, sizeof h);
  uint32_t stored = headerSize - 4, kept = stored < sizeof h ? stored : sizeof h;
  ReadBlock(f, h, static_cast<int32_t>(kept));
  if (stored > kept) {
    if (stored - kept > FileBytesLeft(f)) return Truncated(message);
    SkipN(f, static_cast<int32_t>(stored - kept));
  }
  if (FilePastEnd(f)) return Truncated(message);
  int64_t position = 14 + static_cast<int64_t>(headerSize);

  int64_t width, height;
  int bits, entrySize = 4;
  uint32_t compression = 0, colorsUsed = 0;
  if (headerSize == 12) {
    width = static_cast<int16_t>(Word16(h));
    height = static_cast<int16_t>(Word16(h + 2));
    bits = static_cast<int>(Word16(h + 6));
    entrySize = 3;
  } else {
    width = static_cast<int32_t>(Word32(h));
    height = static_cast<int32_t>(Word32(h + 4));
    bits = static_cast<int>(Word16(h + 10));
    compression = Word32(h + 12);
    colorsUsed = Word32(h + 28);
  }

  int known = compression == CompressNone || compression == CompressRLE8 || compression == CompressRLE4 ||
              ((compression == CompressBitFields || compression == CompressAlphaBitFields) &&
               !IsOS2Version2(headerSize));
  if (!known) return LoadFail(message, "LoadBMPVariant() - Unsupported compression");
  if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return LoadFail(message, "LoadBMPVariant() - Unsupported pixel depth");
  int fits = compression == CompressNone || (compression == CompressRLE8 && bits == 8) ||
             (compression == CompressRLE4 && bits == 4) ||
             (compression >= CompressBitFields && bits >= 16 && bits != 24);
  if (!fits) return LoadFail(message, "LoadBMPVariant() - Unsupported compression");
  int indexed = bits <= 8;
  int topDown = height < 0;
  if (topDown) height = -height;
  if (!ImageSizeInRange(width, height, indexed ? 1 : 3))
    return LoadFail(message, "LoadBMPVariant() - Image size is out of range");

  // Bit fields: in the header from 52 bytes on, else in the 12 or 16 bytes
  // after it. Without them, 16 bits are 5-5-5 and 32 bits 8-8-8 with no alpha.
  BitFields fields;
  if (!indexed && bits != 24) {
    uint32_t masks[4] = {bits == 16 ? 0x7C00u : 0xFF0000u, bits == 16 ? 0x3E0u : 0xFF00u, bits == 16 ? 0x1Fu : 0xFFu,
                         0};
    if (compression != CompressNone) {
      int count = compression == CompressAlphaBitFields ? 4 : 3;
      if (headerSize >= 52) {
        for (int k = 0; k < 3; k++) masks[k] = Word32(h + 36 + 4 * k);
        masks[3] = headerSize >= 56 ? Word32(h + 48) : 0;
      } else {
        uint8_t m[16];
        ReadBlock(f, m, 4 * count);
        if (FilePastEnd(f)) return Truncated(message);
        for (int k = 0; k < count; k++) masks[k] = Word32(m + 4 * k);
        position += 4 * count;
      }
    }
    if (bits == 16)
      for (uint32_t& m : masks) m &= 0xFFFF;
    SetUpChannel(&fields.red, masks[0]);
    SetUpChannel(&fields.green, masks[1]);
    SetUpChannel(&fields.blue, masks[2]);
    SetUpChannel(&fields.alpha, masks[3]);
  }

  // The colour table: as many entries as the header says, at most what the
  // depth can index, and no further than the data offset when that is sane.
  uint8_t* palette = nullptr;
  int entries = 0;
  if (indexed) {
    int64_t most = int64_t(1) << bits;
    entries = static_cast<int>(colorsUsed == 0 || colorsUsed > most ? most : colorsUsed);
    if (dataOffset >= position) {
      int64_t room = (dataOffset - position) / entrySize;
      if (room < entries) entries = static_cast<int>(room);
    }
    if (static_cast<int64_t>(entries) * entrySize > FileBytesLeft(f)) return Truncated(message);
    palette = static_cast<uint8_t*>(MemAllocZero(768));
    for (int i = 0; i < entries; i++) {
      uint8_t e[4];
      ReadBlock(f, e, entrySize);
      palette[i * 3] = e[2];
      palette[i * 3 + 1] = e[1];
      palette[i * 3 + 2] = e[0];
    }
    position += static_cast<int64_t>(entries) * entrySize;
  }
  if (dataOffset > position) {
    if (dataOffset - position > FileBytesLeft(f)) {
      MemFree(palette);
      return Truncated(message);
    }
    SkipN(f, static_cast<int32_t>(dataOffset - position));
  }

  int bytesPerPixel = indexed ? 1 : 3;
  int64_t left = FileBytesLeft(f);
  uint8_t* pixels = nullptr;
  if (compression == CompressRLE8 || compression == CompressRLE4) {
    // Two bytes can fill at most 255 pixels: a short stream cannot ask for a
    // huge picture. A longer stream than any picture needs is not read past.
    if (width * height > (left + 2) * 128) {
      MemFree(palette);
      return Truncated(message);
    }
    size_t n = static_cast<size_t>(left < MaxImageBytes ? left : MaxImageBytes);
    uint8_t* stream = static_cast<uint8_t*>(MemAlloc(n > 0 ? n : 1));
    ReadBlock(f, stream, static_cast<int32_t>(n));
    pixels = static_cast<uint8_t*>(MemAllocZero(static_cast<size_t>(width * height)));
    DecodeRLE(stream, n, compression == CompressRLE4, width, height, topDown, entries, pixels);
    MemFree(stream);
  } else {
    // Rows padded to 32 bits; the last row may come without its padding.
    int64_t rowBytes = (width * bits + 31) / 32 * 4, usedBytes = (width * bits + 7) / 8;
    if (rowBytes * (height - 1) + usedBytes > left) {
      MemFree(palette);
      return Truncated(message);
    }
    // 32 bits without bit fields under the 40-byte header: the fourth byte
    // is alpha unless it is 0 throughout, as writers that leave it unused do.
    int guessAlpha = bits == 32 && compression == CompressNone && headerSize == 40, anyAlpha = 0;
    uint8_t* alpha = guessAlpha ? static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(width * height))) : nullptr;
    uint8_t* row = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(rowBytes)));
    pixels = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(width * height * bytesPerPixel)));
    for (int64_t i = 0; i < height; i++) {
      int64_t y = topDown ? i : height - 1 - i;
      uint8_t* out = pixels + y * width * bytesPerPixel;
      ReadBlock(f, row, static_cast<int32_t>(i + 1 < height ? rowBytes : usedBytes));
      if (indexed) {
        DecodeIndexRow(row, width, bits, entries, out);
      } else if (bits == 24) {
        for (int64_t x = 0; x < width; x++) {
          out[x * 3] = row[x * 3 + 2];
          out[x * 3 + 1] = row[x * 3 + 1];
          out[x * 3 + 2] = row[x * 3];
        }
      } else {
        DecodeBitFieldRow(row, width, bits, fields, out);
        if (guessAlpha)
          for (int64_t x = 0; x < width; x++) anyAlpha |= alpha[y * width + x] = row[x * 4 + 3];
      }
    }
    if (anyAlpha)
      for (int64_t k = 0; k < width * height; k++)
        if (alpha[k] < 128) memcpy(pixels + k * 3, "\xFF\x00\xFF", 3);
    MemFree(alpha);
    MemFree(row);
  }
  if (FilePastEnd(f)) {
    MemFree(pixels);
    MemFree(palette);
    return Truncated(message);
  }
  image->width = static_cast<int32_t>(width);
  image->height = static_cast<int32_t>(height);
  image->bits = indexed ? bits : 24;
  image->bytesPerPixel = bytesPerPixel;
  image->pixels = pixels;
  image->palette = palette;
  return -1;
}

}  // namespace zorta
