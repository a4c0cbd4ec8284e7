#include "display/text.h"

#include <cstring>

#include "display/display.h"
#include "platform/text.h"

namespace zorta {

namespace {
HFONT CreateTextFont(HDC dc, const char* face, int32_t points) {
  int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_RASTER_PRECIS, CLIP_DEFAULT_PRECIS,
                     NONANTIALIASED_QUALITY, VARIABLE_PITCH, face);
}
}  // namespace

int PrintText(const char* text, int32_t x, int32_t y) { return DrawTextFont(text, x, y, "MS Sans Serif", 8); }

int32_t TextWidth(const char* text) { return MeasureTextFont(text, "MS Sans Serif", 8); }

int DrawTextFont(const char* text, int32_t x, int32_t y, const char* face, int32_t points) {
  HDC dc = nullptr;
  // While the back buffer is missing or lost there is nothing to draw on.
  if (text == nullptr || BackBuffer == nullptr || DDSurfaceGetDC(BackBuffer, &dc) != DD_OK) return 0;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  HFONT font = CreateTextFont(dc, face, points);
  HFONT previous = SelectObject(dc, font);
  TextOutA(dc, x, y, text, static_cast<int>(strlen(text)));
  SelectObject(dc, previous);
  DeleteObject(font);
  return DDSurfaceReleaseDC(BackBuffer, dc) == DD_OK ? -1 : 0;
}

int32_t MeasureTextFont(const char* text, const char* face, int32_t points) {
  if (text == nullptr) return 0;
  // Measuring needs no pixels: the screen's context gives the same extent
  // while the back buffer is missing or lost.
  HDC dc = GetScreenDC();
  HFONT font = CreateTextFont(dc, face, points);
  HFONT previous = SelectObject(dc, font);
  SIZE size = {0, 0};
  GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
  SelectObject(dc, previous);
  DeleteObject(font);
  ReleaseScreenDC(dc);
  return size.cx;
}

}  // namespace zorta
