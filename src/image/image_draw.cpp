#include "image/image_draw.h"

#include "display/draw.h"
#include "image/image_table.h"

namespace zorta {

int DrawMaskHighlight(int32_t x, int32_t y, const Image* image, int32_t sx, int32_t sy, int32_t w, int32_t h,
                      int32_t mirror) {
  if (image == nullptr) return 0;
  int32_t mirrored = mirror && image->mirrorSurface != nullptr ? -1 : 0;
  return HighlightMask(x, y, image->mask, image->width, image->height, mirrored, sx, sy, w, h);
}

int DrawMaskWrapped(int32_t x, int32_t y, const Image* image, int32_t sx, int32_t sy, int32_t w, int32_t h,
                    int32_t mirror, int32_t flags) {
  if (image == nullptr) return 0;
  int32_t mirrored = mirror && image->mirrorSurface != nullptr ? -1 : 0;
  return HighlightMaskWrapped(x, y, image->mask, image->width, image->height, mirrored, sx, sy, w, h, flags);
}

}  // namespace zorta
