// Text output: white, transparent text straight into the BackBuffer. Text is
// cut by the surface's edges only, not by the clip rectangle.
#pragma once
#include <cstdint>

namespace zorta {

// (x, y) is the top-left corner of the text's cell.
int PrintText(const char* text, int32_t x, int32_t y);  // 8-point "MS Sans Serif"
int32_t TextWidth(const char* text);
int DrawTextFont(const char* text, int32_t x, int32_t y, const char* face, int32_t points);
int32_t MeasureTextFont(const char* text, const char* face, int32_t points);

}  // namespace zorta
