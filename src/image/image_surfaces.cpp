#include "image/image_surfaces.h"

#include "image/image_table.h"

// Filled in with the display's surface pool.
void UploadImage(Image*) {}
void CreateImageSurfaces(Image*) {}
void ReleaseImageSurfaces(Image* image) {
  image->surface = nullptr;
  image->mirrorSurface = nullptr;
}

int DrawSlotTransformed(double, double, SurfaceSlot*, double, double, double, double, const SlotTransform*) {
  return 0;
}
