// Drawing into the picture of the next frame: colours, the clip rectangle,
// rectangles and text. Every drawing call answers -1 when it drew, 0 when it
// did not.
#pragma once
#include <cstdint>

#include "zorta/input.h"

namespace zorta {

/// Red, green and blue (0..255) as a pixel of the given depth (pass ColorDepth).
uint32_t PackColor(int32_t red, int32_t green, int32_t blue, int32_t depth);

/// An inclusive rectangle of screen pixels.
struct ClipRectangle {
  int32_t left;    // leftmost column drawn
  int32_t top;     // topmost row drawn
  int32_t right;   // rightmost column drawn
  int32_t bottom;  // bottom row drawn
};
/// The rectangle every drawing call but text keeps to.
extern ClipRectangle ClipRect;
/// Sets ClipRect's inclusive edges, cut to the screen; a negative value keeps that edge.
void SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
/// ClipRect back to the whole screen.
void ResetClipRect();

/// How a drawing wraps across the screen's edges (LiveObject::wrap).
enum : int32_t {
  WrapHorizontal = 1,  // x is wrapped by ScreenWidth; what crosses the right edge goes on at the left
  WrapFromAbove = 2,  // a negative y has ScreenHeight added
  WrapFromBelow = 4,  // a y of ScreenHeight or more has it subtracted
};

/// Fills w x h pixels at (x, y) with a PackColor colour.
int FillRect(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
/// Draws the one-pixel outline of the w x h rectangle at (x, y).
int FrameRect(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);

/// White text in 8-point "MS Sans Serif" with its cell's top-left corner at (x, y); cut by the screen only.
int PrintText(const char* text, int32_t x, int32_t y);
/// The width in pixels PrintText gives the text.
int32_t TextWidth(const char* text);
/// White text in the font of that face name and point size.
int DrawTextFont(const char* text, int32_t x, int32_t y, const char* face, int32_t points);
/// The width in pixels DrawTextFont gives the text.
int32_t MeasureTextFont(const char* text, const char* face, int32_t points);

/// Switches to the depth (15, 16, 24 or 32) in a window (0) or full screen (-1).
void ChangeDisplayMode(int depth, int fullScreen);

}  // namespace zorta
