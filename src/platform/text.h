// Text stand-in: a GDI-shaped device context on a display surface. Fonts are
// found by face name through fontconfig (on Windows: the fonts the system
// registers, with a shipped DejaVu Sans to fall back on) and drawn by SDL2_ttf without
// antialiasing, at 96 pixels per inch. Fonts are cached inside this layer, so
// creating and deleting one per call costs no file access.
#pragma once
#include <cstdint>

#include "platform/display.h"

namespace zorta {

struct TextDC;
struct TextFont;
typedef TextDC* HDC;
typedef TextFont* HFONT;
typedef uint32_t COLORREF;

struct SIZE {
  int32_t cx;
  int32_t cy;
};

enum : int {
  TRANSPARENT = 1,
  OPAQUE = 2,
  LOGPIXELSY = 90,
  FW_NORMAL = 400,
  ANSI_CHARSET = 0,
  OUT_RASTER_PRECIS = 6,
  CLIP_DEFAULT_PRECIS = 0,
  NONANTIALIASED_QUALITY = 3,
  VARIABLE_PITCH = 2,
};

inline COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// a * b / c rounded to the nearest whole number (halves away from zero); -1 when c is 0.
int MulDiv(int a, int b, int c);

// The device context of a surface: the surface stays locked until ReleaseDC.
// Fails with DDERR_SURFACELOST while the surface is lost.
HRESULT DDSurfaceGetDC(DirectDrawSurface* surface, HDC* dc);
HRESULT DDSurfaceReleaseDC(DirectDrawSurface* surface, HDC dc);
// A context for measuring only, on no surface (the screen's resolution).
HDC GetScreenDC();
void ReleaseScreenDC(HDC dc);

int GetDeviceCaps(HDC dc, int index);
int SetBkMode(HDC dc, int mode);
COLORREF SetTextColor(HDC dc, COLORREF colour);
// height < 0: character height in pixels without internal leading. Null when
// no font at all can be had.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, uint32_t italic,
                  uint32_t underline, uint32_t strikeOut, uint32_t charSet, uint32_t outPrecision,
                  uint32_t clipPrecision, uint32_t quality, uint32_t pitchAndFamily, const char* face);
HFONT SelectObject(HDC dc, HFONT font);  // returns the previous font
int DeleteObject(HFONT font);
// (x, y) is the top-left corner of the text's cell; drawn pixels are cut by
// the surface's edges only.
int TextOutA(HDC dc, int x, int y, const char* text, int length);
int GetTextExtentPoint32A(HDC dc, const char* text, int length, SIZE* size);

// Closes every cached font and forgets the rendered strings; for program exit.
void TextShutdown();

}  // namespace zorta
