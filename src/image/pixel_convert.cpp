#include "image/pixel_convert.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace zorta {

namespace {

inline uint16_t LoadWord(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void StoreWord(uint8_t* p, uint32_t v) {
  uint16_t w = static_cast<uint16_t>(v);
  memcpy(p, &w, 2);
}
inline uint32_t Pack15(uint32_t r, uint32_t g, uint32_t b) { return ((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3); }
inline uint32_t Pack16(uint32_t r, uint32_t g, uint32_t b) { return ((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3); }

// Red, green and blue of one source pixel.
inline void SourceRGB(const uint8_t* s, int depth, const uint8_t* palette, uint32_t* r, uint32_t* g, uint32_t* b) {
  switch (depth) {
    case 15: {
      uint32_t v = LoadWord(s);
      *r = (v >> 7) & 0xF8;
      *g = (v >> 2) & 0xF8;
      *b = (v << 3) & 0xF8;
      break;
    }
    case 16: {
      uint32_t v = LoadWord(s);
      *r = (v >> 8) & 0xF8;
      *g = (v >> 3) & 0xFC;
      *b = (v << 3) & 0xF8;
      break;
    }
    case 24:
    case 32:
      *r = s[0];
      *g = s[1];
      *b = s[2];
      break;
    default:  // palette index
      if (palette != nullptr) {
        const uint8_t* e = palette + s[0] * 3;
        *r = e[0];
        *g = e[1];
        *b = e[2];
      } else {
        *r = *g = *b = s[0];
      }
      break;
  }
}

int BytesOf(int depth) {
  if (depth >= 1 && depth <= 8) return 1;
  if (depth == 15 || depth == 16) return 2;
  if (depth == 24) return 3;
  if (depth == 32) return 4;
  return 0;
}

}  // namespace

void ConvertPixels(void* destination, int destinationDepth, int destinationPitch, const void* source,
                   int sourceDepth, int sourcePitch, int width, int height, const uint8_t* palette, int dither) {
  if (destination == nullptr || source == nullptr || width <= 0 || height <= 0) return;
  int db = BytesOf(destinationDepth), sb = BytesOf(sourceDepth);
  if (db == 0 || sb == 0 || destinationDepth < 15) return;
  // 32-bit images have no 15- or 16-bit form.
  if (sourceDepth == 32 && db == 2) return;
  if (dither && sourceDepth == 24 && (destinationDepth == 15 || destinationDepth == 16)) {
    if (destinationDepth == 16)
      DitherPixels16(destination, destinationPitch, source, sourcePitch, width, height);
    else
      DitherPixels15(destination, destinationPitch, source, sourcePitch, width, height);
    return;
  }
  uint8_t* dRow = static_cast<uint8_t*>(destination);
  const uint8_t* sRow = static_cast<const uint8_t*>(source);
  for (int y = 0; y < height; y++) {
    uint8_t* d = dRow;
    const uint8_t* s = sRow;
    if (sourceDepth == destinationDepth && db == 2) {
      memcpy(d, s, static_cast<size_t>(width) * 2);
    } else if (sourceDepth == 15 && destinationDepth == 16) {
      for (int x = 0; x < width; x++, s += 2, d += 2) {
        uint32_t v = LoadWord(s);
        StoreWord(d, ((v & 0x7FE0) << 1) | (v & 0x1F));
      }
    } else if (sourceDepth == 16 && destinationDepth == 15) {
      for (int x = 0; x < width; x++, s += 2, d += 2) {
        uint32_t v = LoadWord(s);
        StoreWord(d, ((v >> 1) & 0x7FE0) | (v & 0x1F));
      }
    } else {
      uint32_t r, g, b;
      for (int x = 0; x < width; x++, s += sb, d += db) {
        SourceRGB(s, sourceDepth, palette, &r, &g, &b);
        switch (destinationDepth) {
          case 15: StoreWord(d, Pack15(r, g, b)); break;
          case 16: StoreWord(d, Pack16(r, g, b)); break;
          case 24:
            d[0] = static_cast<uint8_t>(b);
            d[1] = static_cast<uint8_t>(g);
            d[2] = static_cast<uint8_t>(r);
            break;
          default:
            d[0] = static_cast<uint8_t>(b);
            d[1] = static_cast<uint8_t>(g);
            d[2] = static_cast<uint8_t>(r);
            d[3] = 0;
            break;
        }
      }
    }
    dRow += static_cast<ptrdiff_t>(destinationPitch) * db;
    sRow += static_cast<ptrdiff_t>(sourcePitch) * sb;
  }
}

// Serpentine error diffusion over two rows of working values (blue, green,
// red in sixteenths of a level), with a spare entry at each end.
static void Dither(uint8_t* destination, int destinationPitch, const uint8_t* source, int sourcePitch, int width,
                   int height, int sixteen) {
  size_t entries = static_cast<size_t>(width) + 2;
  std::vector<int32_t> bufferA(entries * 3), bufferB(entries * 3);
  int32_t* current = bufferA.data();
  int32_t* next = bufferB.data();
  auto load = [&](int32_t* buffer, int y) {
    const uint8_t* s = source + static_cast<ptrdiff_t>(y) * sourcePitch * 3;
    for (int x = 0; x < width; x++) {
      int32_t* e = buffer + (x + 1) * 3;
      e[0] = s[x * 3 + 2] << 4;
      e[1] = s[x * 3 + 1] << 4;
      e[2] = s[x * 3 + 0] << 4;
    }
  };
  const int32_t greenMask = sixteen ? 0xFC0 : 0xF80;
  load(current, 0);
  for (int y = 0; y < height; y++) {
    if (y + 1 < height) load(next, y + 1);
    uint8_t* dRow = destination + static_cast<ptrdiff_t>(y) * destinationPitch * 2;
    int step = (y & 1) ? -1 : 1;
    int x = (y & 1) ? width - 1 : 0;
    for (int i = 0; i < width; i++, x += step) {
      int32_t* e = current + (x + 1) * 3;
      int32_t v[3];
      for (int c = 0; c < 3; c++) v[c] = e[c] < 0 ? 0 : (e[c] > 4080 ? 4080 : e[c]);
      uint32_t word;
      if (sixteen)
        word = ((v[2] & 0xF80) << 4) + ((v[1] >> 1) & 0x7E0) + (v[0] >> 7);
      else
        word = ((v[2] & 0xF80) << 3) + ((v[1] >> 2) & 0x3E0) + (v[0] >> 7);
      StoreWord(dRow + x * 2, word);
      int32_t err[3] = {(v[0] - (v[0] & 0xF80)) >> 4, (v[1] - (v[1] & greenMask)) >> 4,
                        (v[2] - (v[2] & 0xF80)) >> 4};
      int32_t* ahead = current + (x + 1 + step) * 3;
      int32_t* below = next + (x + 1) * 3;
      for (int c = 0; c < 3; c++) {
        ahead[c] += 5 * err[c];
        below[c] += 5 * err[c];
        below[c - 3] += 3 * err[c];
        below[c + 3] += 3 * err[c];
      }
    }
    int32_t* t = current;
    current = next;
    next = t;
  }
}

void DitherPixels16(void* destination, int destinationPitch, const void* source, int sourcePitch, int width,
                    int height) {
  if (destination == nullptr || source == nullptr || width <= 0 || height <= 0) return;
  Dither(static_cast<uint8_t*>(destination), destinationPitch, static_cast<const uint8_t*>(source), sourcePitch,
         width, height, 1);
}

void DitherPixels15(void* destination, int destinationPitch, const void* source, int sourcePitch, int width,
                    int height) {
  if (destination == nullptr || source == nullptr || width <= 0 || height <= 0) return;
  Dither(static_cast<uint8_t*>(destination), destinationPitch, static_cast<const uint8_t*>(source), sourcePitch,
         width, height, 0);
}

uint32_t ConvertColor(int destinationDepth, uint32_t value, int sourceDepth, const uint8_t* palette) {
  uint8_t src[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                    static_cast<uint8_t>(value >> 24)};
  uint8_t out[4] = {0, 0, 0, 0};
  ConvertPixels(out, destinationDepth, 1, src, sourceDepth, 1, 1, 1, palette, 0);
  return static_cast<uint32_t>(out[0]) | (static_cast<uint32_t>(out[1]) << 8) |
         (static_cast<uint32_t>(out[2]) << 16) | (static_cast<uint32_t>(out[3]) << 24);
}

void MirrorRows(void* first, int width, int rows, int depth, int pitch) {
  int bytes = depth == 15 || depth == 16 ? 2 : depth == 24 ? 3 : depth == 32 ? 4 : 0;
  if (first == nullptr || bytes == 0 || width <= 1) return;
  uint8_t* row = static_cast<uint8_t*>(first);
  for (int y = 0; y < rows; y++, row += static_cast<ptrdiff_t>(pitch) * bytes) {
    for (int k = 0; k < width / 2; k++) {
      uint8_t t[4];
      uint8_t* a = row + k * bytes;
      uint8_t* b = row + (width - 1 - k) * bytes;
      memcpy(t, a, bytes);
      memcpy(a, b, bytes);
      memcpy(b, t, bytes);
    }
  }
}

}  // namespace zorta
