// Colours, the clip rectangle and the drawing primitives. Every primitive
// draws into the BackBuffer and returns -1 when it drew, 0 when it did not.
// The primitives a program calls are public (zorta/display.h); the copies
// from surfaces stay here.
#pragma once
#include <cstdint>

#include "display/display.h"
#include "zorta/display.h"

namespace zorta {

// While set (-1), the primitives do all they do (clipping, locks, results,
// lost surfaces) except write pixels: for drawing that is covered before the
// picture is shown.
extern int32_t DrawingHidden;

int BlitSlot(int32_t x, int32_t y, SurfaceSlot* slot, int32_t sx, int32_t sy, int32_t w, int32_t h);
int BlitSlotKeyed(int32_t x, int32_t y, SurfaceSlot* slot, int32_t sx, int32_t sy, int32_t w, int32_t h);
int BlitSlotWrapped(int32_t x, int32_t y, SurfaceSlot* slot, int32_t sx, int32_t sy, int32_t w, int32_t h,
                    int32_t flags);

// The mask highlight on a mask of maskWidth x maskHeight bytes (non-zero where
// opaque). `mirrored` is set when the image is drawn mirrored and has a mirrored
// surface. A source rectangle that leaves the mask draws nothing.
int HighlightMask(int32_t x, int32_t y, const uint8_t* mask, int32_t maskWidth, int32_t maskHeight,
                  int32_t mirrored, int32_t sx, int32_t sy, int32_t w, int32_t h);
int HighlightMaskWrapped(int32_t x, int32_t y, const uint8_t* mask, int32_t maskWidth, int32_t maskHeight,
                         int32_t mirrored, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t flags);

}  // namespace zorta
