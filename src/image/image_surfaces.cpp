#include "image/image_surfaces.h"

#include "app/app.h"
#include "display/display.h"
#include "display/draw.h"
#include "image/image_table.h"
#include "image/pixel_convert.h"

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
  uint32_t key = PackColor(255, 0, 255, ColorDepth);
  if (image->bits == 16) key = ConvertColor(ColorDepth, PackColor(255, 0, 255, 16), 16, image->palette);
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

int DrawSlotTransformed(double, double, SurfaceSlot*, double, double, double, double, const SlotTransform*) {
  return 0;
}
