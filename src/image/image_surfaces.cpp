#include "image/image_surfaces.h"

#include <cmath>
#include <cstring>

#include "base/settings.h"
#include "display/display.h"
#include "display/draw.h"
#include "image/image_table.h"
#include "image/pixel_convert.h"

namespace zorta {

// Converts the pixels into one locked surface; for the mirrored surface every
// cell not kept out of mirroring is then turned left to right. Cells are cut
// to the image so a stray rectangle cannot reach outside the surface.
static void FillSurface(Image* image, SurfaceSlot* slot, int mirror) {
  uint8_t* p = static_cast<uint8_t*>(LockSurfaceSlot(slot, 0, 0, image->width, image->height));
  if (p == nullptr) return;
  int32_t pitch = SurfaceSlotPitch(slot);
  ConvertPixels(p, ColorDepth, pitch, image->pixels, image->bits, image->width, image->width, image->height,
                image->palette, image->dither);
  if (mirror) {
    int bytes = (ColorDepth + 7) / 8;
    for (int i = 0; i < image->cellCount; i++) {
      const ImageCell& c = image->cells[i];
      if (c.flags & 1) continue;
      int64_t x0 = c.x < 0 ? 0 : c.x, y0 = c.y < 0 ? 0 : c.y;
      int64_t x1 = static_cast<int64_t>(c.x) + c.width, y1 = static_cast<int64_t>(c.y) + c.height;
      if (x1 > image->width) x1 = image->width;
      if (y1 > image->height) y1 = image->height;
      if (x1 <= x0 || y1 <= y0) continue;
      MirrorRows(p + (static_cast<int64_t>(pitch) * y0 + x0) * bytes, static_cast<int>(x1 - x0),
                 static_cast<int>(y1 - y0), ColorDepth, pitch);
    }
  }
  UnlockSurfaceSlot(slot);
}

void UploadImage(Image* image) {
  if (image == nullptr) return;
  // The key is magenta as the surface holds it: 15- and 16-bit images come
  // up to deeper screens with zero low bits, F8 00 F8 rather than FF 00 FF.
  uint32_t key = PackColor(255, 0, 255, ColorDepth);
  if (image->bits == 15 || image->bits == 16)
    key = ConvertColor(ColorDepth, PackColor(255, 0, 255, image->bits), image->bits, image->palette);
  if (image->surface != nullptr) {
    if (image->pixels != nullptr) FillSurface(image, image->surface, 0);
    SetSurfaceColorKey(image->surface, key);
  }
  if (image->mirrorSurface != nullptr) {
    if (image->pixels != nullptr) FillSurface(image, image->mirrorSurface, -1);
    SetSurfaceColorKey(image->mirrorSurface, key);
  }
}

void CreateImageSurfaces(Image* image) {
  // A record whose file could not be read has nothing to show.
  if (image == nullptr || image->surface != nullptr || image->pixels == nullptr) return;
  image->surface = CreateSurfaceSlot(image->width, image->height);
  if (image->mirrorWanted && image->mirrorSurface == nullptr)
    image->mirrorSurface = CreateSurfaceSlot(image->width, image->height);
  UploadImage(image);
}

void ReleaseImageSurfaces(Image* image) {
  if (image == nullptr) return;
  if (image->surface != nullptr) ReleaseSurfaceSlot(image->surface);
  if (image->mirrorSurface != nullptr) ReleaseSurfaceSlot(image->mirrorSurface);
  image->surface = nullptr;
  image->mirrorSurface = nullptr;
}

int DrawSlotTransformed(double x, double y, SurfaceSlot* slot, double sourceX, double sourceY, double width,
                        double height, const SlotTransform* transform) {
  if (slot == nullptr || !slot->inUse || transform == nullptr) return 0;
  int bytes = (ColorDepth + 7) / 8;
  if (ColorDepth != 15 && ColorDepth != 16 && ColorDepth != 24 && ColorDepth != 32) return 0;
  // The source rectangle in whole pixels, inside the slot.
  int64_t sx0 = static_cast<int64_t>(std::floor(sourceX)), sy0 = static_cast<int64_t>(std::floor(sourceY));
  int64_t sw = static_cast<int64_t>(std::floor(width)), sh = static_cast<int64_t>(std::floor(height));
  if (!(width >= 1 && height >= 1 && width < 1e6 && height < 1e6)) return 0;
  if (sx0 < 0 || sy0 < 0 || sx0 + sw > slot->width || sy0 + sh > slot->height) return 0;
  double scaleX = transform->scaleX, scaleY = transform->scaleY, angle = transform->angle;
  if (!(std::fabs(scaleX) >= 1e-6 && std::fabs(scaleY) >= 1e-6 && std::fabs(scaleX) < 1e4 &&
        std::fabs(scaleY) < 1e4 && std::isfinite(angle) && std::isfinite(x) && std::isfinite(y)))
    return 0;
  double w = sw * std::fabs(scaleX), h = sh * std::fabs(scaleY);
  double cx = x + w / 2, cy = y + h / 2;
  double c = std::cos(angle), s = std::sin(angle);
  double ex = (w * std::fabs(c) + h * std::fabs(s)) / 2, ey = (w * std::fabs(s) + h * std::fabs(c)) / 2;
  // The turned rectangle's bounding box, cut to the clip rectangle.
  double left = std::floor(cx - ex), top = std::floor(cy - ey);
  double right = std::ceil(cx + ex) - 1, bottom = std::ceil(cy + ey) - 1;
  if (left < ClipRect.left) left = ClipRect.left;
  if (top < ClipRect.top) top = ClipRect.top;
  if (right > ClipRect.right) right = ClipRect.right;
  if (bottom > ClipRect.bottom) bottom = ClipRect.bottom;
  if (right < left || bottom < top) return 0;
  int32_t dx = static_cast<int32_t>(left), dy = static_cast<int32_t>(top);
  int32_t dw = static_cast<int32_t>(right - left) + 1, dh = static_cast<int32_t>(bottom - top) + 1;
  const uint8_t* src = static_cast<const uint8_t*>(
      LockSurfaceSlot(slot, static_cast<int32_t>(sx0), static_cast<int32_t>(sy0), static_cast<int32_t>(sw),
                      static_cast<int32_t>(sh)));
  if (src == nullptr) return 0;
  int32_t srcPitch = SurfaceSlotPitch(slot);
  uint8_t* dst = static_cast<uint8_t*>(LockBackBuffer(dx, dy, dw, dh));
  if (dst == nullptr) {
    UnlockSurfaceSlot(slot);
    return 0;
  }
  int32_t dstPitch = BackBufferPitch();
  // Both magentas an image surface can carry as its key.
  uint32_t key1 = PackColor(255, 0, 255, ColorDepth);
  uint32_t key2 = ConvertColor(ColorDepth, PackColor(255, 0, 255, 16), 16, nullptr);
  int drawn = 0;
  for (int32_t j = 0; j < dh; j++) {
    uint8_t* row = dst + static_cast<int64_t>(j) * dstPitch * bytes;
    double py = dy + j + 0.5 - cy;
    for (int32_t i = 0; i < dw; i++) {
      double px = dx + i + 0.5 - cx;
      // Undo the turn, then the scale, measured from the rectangle's centre.
      double u = (px * c - py * s) / scaleX + sw / 2.0;
      double v = (px * s + py * c) / scaleY + sh / 2.0;
      if (!(u >= 0 && v >= 0 && u < sw && v < sh)) continue;
      const uint8_t* p = src + (static_cast<int64_t>(v) * srcPitch + static_cast<int64_t>(u)) * bytes;
      uint32_t value = 0;
      memcpy(&value, p, bytes);
      if (value == key1 || value == key2) continue;
      memcpy(row + static_cast<int64_t>(i) * bytes, p, bytes);
      drawn = -1;
    }
  }
  UnlockBackBuffer();
  UnlockSurfaceSlot(slot);
  return drawn;
}

}  // namespace zorta
