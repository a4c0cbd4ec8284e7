// Colours, the clip rectangle and the drawing primitives. Every primitive
// draws into the BackBuffer and returns -1 when it drew, 0 when it did not.
#pragma once
#include <cstdint>

#include "display/display.h"

namespace zorta {

// Inclusive clipping rectangle obeyed by every primitive here (not by text).
struct ClipRectangle {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
extern ClipRectangle ClipRect;

// While set (-1), the primitives do all they do (clipping, locks, results,
// lost surfaces) except write pixels: for drawing that is covered before the
// picture is shown.
extern int32_t DrawingHidden;

// Wrap flags of the wrapping primitives.
enum : int32_t {
  WrapHorizontal = 1,
  WrapFromAbove = 2,  // a negative y has ScreenHeight added
  WrapFromBelow = 4,  // a y of ScreenHeight or more has it subtracted
};

// Red, green and blue (0..255) as a pixel of the given depth.
uint32_t PackColor(int32_t red, int32_t green, int32_t blue, int32_t depth);

void SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
void ResetClipRect();

int FillRect(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
int FrameRect(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
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
