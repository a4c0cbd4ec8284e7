// Image surfaces: each image converted into an off-screen surface in the
// screen's format, plus a copy with every cell mirrored when the image asks
// for one. Magenta is the transparent colour of both.
#pragma once

namespace zorta {

struct Image;
struct SurfaceSlot;

// Converts the pixels into the image's existing surfaces again.
void UploadImage(Image* image);
// Creates the surfaces the image lacks and fills them.
void CreateImageSurfaces(Image* image);
// Releases both surfaces and forgets them.
void ReleaseImageSurfaces(Image* image);

// The rotated and scaled copy used for skeleton bones. The source rectangle,
// scaled by scaleX and scaleY (a negative scale mirrors), is placed with its
// top-left corner at (x, y) and then turned by `angle` radians about its
// centre, the way bone angles turn (angle 0 points down the screen, a
// positive angle towards +x). Nearest-pixel sampling; magenta pixels, the
// image surfaces' transparent colour, are not drawn; the clip rectangle is
// obeyed. -1 when something was drawn, else 0.
struct SlotTransform {
  float angle;
  float scaleX, scaleY;
};
int DrawSlotTransformed(double x, double y, SurfaceSlot* slot, double sourceX, double sourceY, double width,
                        double height, const SlotTransform* transform);

}  // namespace zorta
