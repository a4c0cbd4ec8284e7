// Shared by the image subcommands: reads an image file the way the program
// does, without a window, keeping the loader's message for the caller.
#pragma once
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "image/image_formats.h"
#include "image/image_table.h"
#include "platform/path.h"

namespace zorta {

// The format of a file that plainly is a BMP or TGA in a variant its probes
// turn down (a BMP cut inside its header, a colour-mapped TGA), or null. Running
// that format's loader gives the reason in its own words. ILBM and GFX need
// nothing here: their probes check only the magic.
inline const ImageFormat* RefusedVariant(const uint8_t* h, size_t n) {
  if (n < 18) return nullptr;
  uint32_t headerSize = h[14] | (h[15] << 8) | (h[16] << 16) | (static_cast<uint32_t>(h[17]) << 24);
  if (h[0] == 'B' && h[1] == 'M') {
    // The sizes of the BMP info headers that exist.
    for (uint32_t known : {12u, 16u, 40u, 52u, 56u, 64u, 108u, 124u})
      if (headerSize == known) return &ImageFormats[FormatBMP];
    return nullptr;
  }
  // TGA has no magic: a colour-map type, an image type and a depth that
  // exist, a size, and no colour map described where there is none.
  int mapType = h[1], type = h[2], depth = h[16];
  int width = h[12] | (h[13] << 8), height = h[14] | (h[15] << 8);
  int mapLength = h[5] | (h[6] << 8), mapEntryBits = h[7];
  int typeKnown = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
  int depthKnown = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
  int mapped = type == 1 || type == 9;
  if (mapType > 1 || !typeKnown || !depthKnown || width == 0 || height == 0) return nullptr;
  if (mapped ? mapType != 1 : (mapType == 0 && (mapLength != 0 || mapEntryBits != 0))) return nullptr;
  return &ImageFormats[FormatTGA];
}

// Reads the file into `image` (GFX doubling included). On failure returns
// null and puts the reason in *error; on success returns the format name.
inline const char* ReadToolImage(const char* path, Image* image, std::string* error) {
  // Found as the loaders find it: Windows folder separators, any letter case.
  FILE* f = fopen(HostPath(path).c_str(), "rb");
  if (f == nullptr) {
    *error = std::string("cannot open '") + path + "': " + strerror(errno);
    return nullptr;
  }
  uint8_t head[18];
  size_t headLength = fread(head, 1, sizeof head, f);
  fclose(f);
  char message[LoadMessageSize];
  std::string unopened;  // a probe's message: the file could not be opened after all
  for (const ImageFormat& format : ImageFormats) {
    if (!RunProbe(format, path, message)) {
      if (message[0]) unopened = message;
      continue;
    }
    if (!RunLoader(format, path, image, message)) {
      *error = message;
      return nullptr;
    }
    if (format.load == LoadGFX && (image->flags & 2)) DoubleImage(image);
    return format.name;
  }
  if (!unopened.empty()) {
    *error = unopened;
    return nullptr;
  }
  // No probe said yes: a refused variant of a format gets its loader's
  // message. The program itself would not read it, so neither does the tool,
  // whatever the loader answers.
  const ImageFormat* refused = RefusedVariant(head, headLength);
  if (refused != nullptr) {
    Image scratch = {};
    if (!RunLoader(*refused, path, &scratch, message)) {
      *error = message;
      return nullptr;
    }
    FreeImage(&scratch);
  }
  *error = std::string("'") + path + "' is not a BMP, ILBM, GFX, TGA or PNG image";
  return nullptr;
}

}  // namespace zorta
