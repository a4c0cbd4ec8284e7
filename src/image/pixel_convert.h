// Conversion of decoded pixels into the screen's pixel formats: 15 bits
// (5-5-5 word), 16 bits (5-6-5 word), 24 bits (blue, green, red) and 32 bits
// (blue, green, red, 0). Pitches are counted in pixels.
#pragma once
#include <cstdint>

namespace zorta {

// Source depths 8 (palette indices; fewer bits are indices too), 15, 16, 24
// (red, green, blue) and 32 (red, green, blue, alpha); pairs without a
// conversion leave the destination untouched. An indexed source without a
// palette is read as grey levels.
void ConvertPixels(void* destination, int destinationDepth, int destinationPitch, const void* source,
                   int sourceDepth, int sourcePitch, int width, int height, const uint8_t* palette, int dither);
// Error diffusion of 24-bit pixels onto 16-bit (5-6-5) and 15-bit screens.
void DitherPixels16(void* destination, int destinationPitch, const void* source, int sourcePitch, int width,
                    int height);
void DitherPixels15(void* destination, int destinationPitch, const void* source, int sourcePitch, int width,
                    int height);
uint32_t ConvertColor(int destinationDepth, uint32_t value, int sourceDepth, const uint8_t* palette);
// Reverses each of `rows` rows of `width` pixels in place.
void MirrorRows(void* first, int width, int rows, int depth, int pitch);

}  // namespace zorta
