#include "display/draw.h"

#include <cstring>

#include "base/settings.h"

namespace zorta {

ClipRectangle ClipRect = {0, 0, 0, 0};
int32_t DrawingHidden = 0;

namespace {
// Clips a destination rectangle against ClipRect, moving the source corner
// with the cut edges. For a mirrored mask the source runs right to left, so a
// cut on the left keeps sx and a cut on the right moves it. False: nothing left.
bool ClipDestination(int32_t* x, int32_t* y, int32_t* w, int32_t* h, int32_t* sx, int32_t* sy, bool mirrored) {
  int64_t X = *x, Y = *y, W = *w, H = *h, SX = *sx, SY = *sy;
  if (X < ClipRect.left) {
    W -= ClipRect.left - X;
    if (W <= 0) return false;
    if (!mirrored) SX += ClipRect.left - X;
    X = ClipRect.left;
  }
  if (X + W - 1 > ClipRect.right) {
    if (mirrored) SX += X + W - 1 - ClipRect.right;
    W = ClipRect.right - X + 1;
    if (W <= 0) return false;
  }
  if (Y < ClipRect.top) {
    H -= ClipRect.top - Y;
    if (H <= 0) return false;
    SY += ClipRect.top - Y;
    Y = ClipRect.top;
  }
  if (Y + H - 1 > ClipRect.bottom) {
    H = ClipRect.bottom - Y + 1;
    if (H <= 0) return false;
  }
  // Source corners pushed out of 32 bits cannot name any pixel.
  if (SX < INT32_MIN || SX > INT32_MAX || SY < INT32_MIN || SY > INT32_MAX) return false;
  *x = static_cast<int32_t>(X), *y = static_cast<int32_t>(Y), *w = static_cast<int32_t>(W);
  *h = static_cast<int32_t>(H), *sx = static_cast<int32_t>(SX), *sy = static_cast<int32_t>(SY);
  return true;
}

int BlitResult(HRESULT result) {
  if (result == DD_OK) return -1;
  if (result == DDERR_SURFACELOST) SurfacesLost = -1;
  return 0;
}

int CopySlot(int32_t x, int32_t y, SurfaceSlot* slot, int32_t sx, int32_t sy, int32_t w, int32_t h, uint32_t flags) {
  if (BackBuffer == nullptr || slot == nullptr || !slot->inUse || slot->surface == nullptr) return 0;
  if (!ClipDestination(&x, &y, &w, &h, &sx, &sy, false)) return 0;
  RECT source = {sx, sy, sx + w, sy + h};
  if (DrawingHidden) flags |= DDBLTFAST_NOPIXELS;
  HRESULT result;
  do {
    result = DDSurfaceBltFast(BackBuffer, x, y, slot->surface, &source, flags);
  } while (result == DDERR_WASSTILLDRAWING);
  return BlitResult(result);
}

struct Piece {
  int32_t x, y, sx, sy, w, h;
};

// Cuts a rectangle at the screen edges into up to four pieces, in drawing order.
int CutWrapped(int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t flags, bool mirrored,
               Piece pieces[4]) {
  const int32_t W = ScreenWidth, H = ScreenHeight;
  int32_t g = 0, k = 0;
  if (flags & WrapHorizontal) {
    if (x < 0) x += W;
    if (x >= W) x -= W;
    if (static_cast<int64_t>(x) + w > W) {
      g = x + w - W;
      w = W - x;
    }
  }
  if (flags & (WrapFromAbove | WrapFromBelow)) {
    if ((flags & WrapFromAbove) && y < 0) y += H;
    if ((flags & WrapFromBelow) && y >= H) y -= H;
    if (static_cast<int64_t>(y) + h > H) {
      k = y + h - H;
      h = H - y;
    }
  }
  // A mirrored image has its columns the other way round in the source.
  int32_t sxAtX = mirrored ? sx + g : sx;
  int32_t sxAtZero = mirrored ? sx : sx + w;
  int n = 0;
  if (k == 0) {
    pieces[n++] = Piece{x, y, sxAtX, sy, w, h};
    if (g > 0) pieces[n++] = Piece{0, y, sxAtZero, sy, g, h};
  } else if (g == 0) {
    pieces[n++] = Piece{x, 0, sxAtX, sy + h, w, k};
    pieces[n++] = Piece{x, y, sxAtX, sy, w, h};
  } else {
    pieces[n++] = Piece{x, y, sxAtX, sy, w, h};
    pieces[n++] = Piece{0, y, sxAtZero, sy, g, h};
    pieces[n++] = Piece{x, 0, sxAtX, sy + h, w, k};
    pieces[n++] = Piece{0, 0, sxAtZero, sy + h, g, k};
  }
  return n;
}
}  // namespace

uint32_t PackColor(int32_t r, int32_t g, int32_t b, int32_t depth) {
  uint32_t R = static_cast<uint32_t>(r), G = static_cast<uint32_t>(g), B = static_cast<uint32_t>(b);
  switch (depth) {
    case 8: return 128;
    case 15: return ((R & 0xF8) << 7) + ((G & 0xF8) << 2) + (B >> 3);
    case 16: return ((R & 0xF8) << 8) + ((G & 0xFC) << 3) + (B >> 3);
    case 24:
    case 32: return (R << 16) + (G << 8) + B;
    default: return 0;
  }
}

void SetClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (left >= 0) ClipRect.left = left;
  if (top >= 0) ClipRect.top = top;
  if (right >= 0) ClipRect.right = right < ScreenWidth - 1 ? right : ScreenWidth - 1;
  if (bottom >= 0) ClipRect.bottom = bottom < ScreenHeight - 1 ? bottom : ScreenHeight - 1;
}

void ResetClipRect() {
  ClipRect.left = 0;
  ClipRect.top = 0;
  ClipRect.right = ScreenWidth - 1;
  ClipRect.bottom = ScreenHeight - 1;
}

int FillRect(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  if (BackBuffer == nullptr) return 0;
  int32_t sx = 0, sy = 0;
  if (!ClipDestination(&x, &y, &w, &h, &sx, &sy, false)) return 0;
  if (w <= 0 || h <= 0) return 0;
  RECT r = {x, y, x + w, y + h};
  DDBLTFX fx = {colour};
  uint32_t flags = DrawingHidden ? DDBLT_COLORFILL | DDBLT_NOPIXELS : DDBLT_COLORFILL;
  HRESULT result;
  do {
    result = DDSurfaceBlt(BackBuffer, &r, nullptr, nullptr, flags, &fx);
  } while (result == DDERR_WASSTILLDRAWING);
  return BlitResult(result);
}

int FrameRect(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  FillRect(x, y, w, 1, colour);
  FillRect(x, y, 1, h, colour);
  FillRect(x, y + h - 1, w, 1, colour);
  FillRect(x + w - 1, y, 1, h, colour);
  return -1;
}

int BlitSlot(int32_t x, int32_t y, SurfaceSlot* slot, int32_t sx, int32_t sy, int32_t w, int32_t h) {
  return CopySlot(x, y, slot, sx, sy, w, h, DDBLTFAST_NOCOLORKEY);
}

int BlitSlotKeyed(int32_t x, int32_t y, SurfaceSlot* slot, int32_t sx, int32_t sy, int32_t w, int32_t h) {
  return CopySlot(x, y, slot, sx, sy, w, h, DDBLTFAST_SRCCOLORKEY);
}

int BlitSlotWrapped(int32_t x, int32_t y, SurfaceSlot* slot, int32_t sx, int32_t sy, int32_t w, int32_t h,
                    int32_t flags) {
  Piece pieces[4];
  int n = CutWrapped(x, y, sx, sy, w, h, flags, false, pieces);
  int result = 0;
  for (int i = 0; i < n; i++) {
    const Piece& p = pieces[i];
    result = BlitSlotKeyed(p.x, p.y, slot, p.sx, p.sy, p.w, p.h);
  }
  return result;
}

int HighlightMask(int32_t x, int32_t y, const uint8_t* mask, int32_t maskWidth, int32_t maskHeight,
                  int32_t mirrored, int32_t sx, int32_t sy, int32_t w, int32_t h) {
  if (mask == nullptr) return 0;
  bool mirror = mirrored != 0;
  if (!ClipDestination(&x, &y, &w, &h, &sx, &sy, mirror)) return 0;
  // Never read outside the mask, whatever rectangle the caller asked for.
  if (sx < 0 || sy < 0 || static_cast<int64_t>(sx) + w > maskWidth || static_cast<int64_t>(sy) + h > maskHeight) {
    return 0;
  }
  int32_t pitch = BackBufferPitch();
  uint8_t* row = static_cast<uint8_t*>(LockBackBuffer(x, y, w, h));
  if (row == nullptr) return -1;
  uint32_t colour = PackColor(240, 240, 240, ColorDepth);
  int bytes = (ColorDepth + 7) / 8;
  const uint8_t* source = mask + static_cast<size_t>(sy) * maskWidth + sx;
  uint16_t c16 = static_cast<uint16_t>(colour);
  uint8_t c24[3] = {static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                    static_cast<uint8_t>(colour >> 16)};
  for (int32_t j = 0; j < h && !DrawingHidden; j++) {
    for (int32_t i = 0; i < w; i++) {
      uint8_t m = mirror ? source[w - 1 - i] : source[i];
      if (m == 0) continue;
      switch (ColorDepth) {
        case 15:
        case 16: memcpy(row + i * 2, &c16, 2); break;
        case 24: memcpy(row + i * 3, c24, 3); break;
        case 32: memcpy(row + i * 4, &colour, 4); break;
        default: break;
      }
    }
    source += maskWidth;
    row += static_cast<size_t>(pitch) * bytes;
  }
  UnlockBackBuffer();
  return -1;
}

int HighlightMaskWrapped(int32_t x, int32_t y, const uint8_t* mask, int32_t maskWidth, int32_t maskHeight,
                         int32_t mirrored, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t flags) {
  Piece pieces[4];
  int n = CutWrapped(x, y, sx, sy, w, h, flags, mirrored != 0, pieces);
  int result = 0;
  for (int i = 0; i < n; i++) {
    const Piece& p = pieces[i];
    result = HighlightMask(p.x, p.y, mask, maskWidth, maskHeight, mirrored, p.sx, p.sy, p.w, p.h);
  }
  return result;
}

}  // namespace zorta
