// Drawing of an image's mask: the highlight of the opaque pixels, plain,
// mirrored and wrapped across the screen's edges.
#pragma once
#include <cstdint>

namespace zorta {

struct Image;

// Paints the opaque pixels of the image's mask in light grey. Mirrored when
// `mirror` is set and the image has a mirrored surface. 0 without a mask.
int DrawMaskHighlight(int32_t x, int32_t y, const Image* image, int32_t sx, int32_t sy, int32_t w, int32_t h,
                      int32_t mirror);
int DrawMaskWrapped(int32_t x, int32_t y, const Image* image, int32_t sx, int32_t sy, int32_t w, int32_t h,
                    int32_t mirror, int32_t flags);

}  // namespace zorta
