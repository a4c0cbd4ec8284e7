#include "platform/display.h"

#include <SDL.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/hooks.h"
#include "platform/sdl_window.h"
#include "platform/window.h"
#include "platform/x11_present.h"

namespace zorta {

struct DirectDraw {
  uint32_t cooperativeLevel;
  int modeSet;  // -1 while a display mode is in force
  int modeWidth, modeHeight, modeBits;
  SDL_Renderer* renderer;
  X11Presenter* x11;  // where SDL has no renderer for the window's visual
  SDL_Window* rendererWindow;
  int rendererFailed;
  SDL_Texture* texture;
  uint32_t textureFormat;
  int textureWidth, textureHeight;
  std::vector<DirectDrawClipper*> clippers;
  // The picture last put on the screen and where, to skip showing it again.
  std::vector<uint8_t> shown;
  int shownValid;
  uint32_t shownFormat;
  int shownWidth, shownHeight;
  SDL_Rect shownTo;
  int shownWindowW, shownWindowH;
};

struct DirectDrawClipper {
  DirectDraw* owner;
  int bound;  // -1 once bound to the main window
};

struct DirectDrawSurface {
  DirectDraw* owner;  // null once the driver object is gone
  uint32_t caps;
  int width, height;
  int bits;        // of the pixels: 15, 16, 24 or 32; 0 for a primary, which has none
  int formatBits;  // the layout it reports
  uint32_t masks[3];
  SDL_Surface* sdl;
  uint8_t* pixels;
  int lost;
  int hasKey;
  uint32_t key;
  int sdlKeyOn;
  DirectDrawSurface* attached;  // the back buffer of a flipping chain
  DirectDrawSurface* parent;    // the chain's primary, for the back buffer
  DirectDrawClipper* clipper;
};

namespace {
std::vector<DirectDrawSurface*> liveSurfaces;
std::vector<DirectDraw*> liveObjects;
// What tests script and count, in the test build only.
#ifdef ZORTA_TESTING
int desktopDepthOverride = 0;
int refusedDepth = 0;
uint32_t modeMasks[3] = {0, 0, 0};
int pitchPadding = 0;  // pixels
bool libraryFillOnly = false;
int presentCount = 0;
int pictureUploads = 0;
void (*onPresent)() = nullptr;
int fullScreenShown = 0;
#endif

bool EnsureVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

uint32_t SdlFormatFor(int bits, const uint32_t masks[3]) {
  switch (bits) {
    case 15: return SDL_PIXELFORMAT_RGB555;
    case 16: return masks[0] + masks[1] + masks[2] == 0x7FFF ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
    case 24: return SDL_PIXELFORMAT_BGR24;
    case 32: return SDL_PIXELFORMAT_RGB888;
    default: return SDL_PIXELFORMAT_UNKNOWN;
  }
}

void DefaultMasks(int bits, uint32_t masks[3]) {
  if (bits == 15) {
    masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
  } else if (bits == 16) {
    masks[0] = 0xF800, masks[1] = 0x7E0, masks[2] = 0x1F;
  } else {
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }
}

// The layout new surfaces of this driver object get: the display mode's in
// exclusive mode, the desktop's otherwise.
void CurrentLayout(const DirectDraw* dd, int* bits, uint32_t masks[3]) {
  if (dd->modeSet) {
    *bits = dd->modeBits;
    DefaultMasks(*bits, masks);
#ifdef ZORTA_TESTING
    if (*bits == 16 && (modeMasks[0] | modeMasks[1] | modeMasks[2]) != 0) {
      masks[0] = modeMasks[0], masks[1] = modeMasks[1], masks[2] = modeMasks[2];
    }
#endif
  } else {
    *bits = DDGetDesktopDepth();
    // A window's picture reaches the desktop through a texture that SDL
    // converts, so a 5-5-5 desktop can take the 5-6-5 surfaces its reported
    // 16 bits promise the program.
    if (*bits == 15) *bits = 16;
    DefaultMasks(*bits, masks);
  }
}

DirectDrawSurface* NewSurface(DirectDraw* dd, uint32_t caps, int w, int h, int bits, const uint32_t masks[3],
                              HRESULT* result) {
  DirectDrawSurface* s = new DirectDrawSurface();
  s->owner = dd;
  s->caps = caps;
  s->width = w;
  s->height = h;
  s->bits = bits;
  s->formatBits = bits;
  s->masks[0] = masks[0], s->masks[1] = masks[1], s->masks[2] = masks[2];
  *result = DD_OK;
  if (bits != 0) {
    uint32_t format = SdlFormatFor(bits, masks);
    if (format == SDL_PIXELFORMAT_UNKNOWN || w <= 0 || h <= 0 || w > 16384 || h > 16384) {
      delete s;
      *result = format == SDL_PIXELFORMAT_UNKNOWN ? DDERR_UNSUPPORTED : DDERR_INVALIDPARAMS;
      return nullptr;
    }
    int bytes = SDL_BYTESPERPIXEL(format);
    // Rows start on 4-byte boundaries and, as callers count pitches in whole
    // pixels, every pitch is a whole number of pixels (3-byte pixels too).
    int align = bytes == 3 ? 12 : 4;
    int pitch = (w * bytes + align - 1) / align * align;
#ifdef ZORTA_TESTING
    pitch += pitchPadding * bytes;
#endif
    s->pixels = static_cast<uint8_t*>(calloc(static_cast<size_t>(pitch) * h, 1));
    if (s->pixels != nullptr) s->sdl = SDL_CreateRGBSurfaceWithFormatFrom(s->pixels, w, h, bytes * 8, pitch, format);
    if (s->sdl == nullptr) {
      free(s->pixels);
      delete s;
      *result = DDERR_OUTOFMEMORY;
      return nullptr;
    }
  }
  liveSurfaces.push_back(s);
  return s;
}

void FreeSurface(DirectDrawSurface* s) {
  liveSurfaces.erase(std::remove(liveSurfaces.begin(), liveSurfaces.end(), s), liveSurfaces.end());
  if (s->sdl != nullptr) SDL_FreeSurface(s->sdl);
  free(s->pixels);
  delete s;
}

bool IsLive(DirectDrawSurface* s) {
  return s != nullptr && std::find(liveSurfaces.begin(), liveSurfaces.end(), s) != liveSurfaces.end();
}

bool RectInside(const RECT& r, int w, int h) {
  return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.left < r.right && r.top < r.bottom;
}

RECT WholeRect(const DirectDrawSurface* s) { return RECT{0, 0, s->width, s->height}; }

void DestroyRenderer(DirectDraw* dd) {
  if (dd->texture != nullptr) SDL_DestroyTexture(dd->texture);
  dd->texture = nullptr;
  // The window may have been destroyed (and its renderer with it) before us.
  SDL_Window* w = WinSdlWindow();
  if (dd->renderer != nullptr && w == dd->rendererWindow && SDL_GetRenderer(w) == dd->renderer) {
    SDL_DestroyRenderer(dd->renderer);
  }
  if (dd->x11 != nullptr && w == dd->rendererWindow) X11PresenterDestroy(dd->x11);
  dd->renderer = nullptr;
  dd->x11 = nullptr;
  dd->rendererWindow = nullptr;
  dd->shownValid = 0;
}

// A way to show pictures in the main window: an SDL renderer or, where SDL
// has none for the window's visual, the X11 one. Made once per window; a
// failure is kept (and told once on stderr) so that frames do not retry it.
bool EnsurePresenter(DirectDraw* dd, SDL_Window* w) {
  if (dd->rendererWindow != w || (dd->renderer != nullptr && SDL_GetRenderer(w) != dd->renderer)) {
    // A new window: whatever was made for the old one went with it.
    dd->renderer = nullptr;
    dd->x11 = nullptr;
    dd->texture = nullptr;
    dd->rendererWindow = nullptr;
    dd->rendererFailed = 0;
    dd->shownValid = 0;
  }
  if (dd->renderer != nullptr || dd->x11 != nullptr) return true;
  if (dd->rendererFailed) return false;
  bool refused = SeamShouldFail("CreateRenderer");
  if (!refused) dd->renderer = SDL_CreateRenderer(w, -1, 0);
  if (dd->renderer == nullptr) {
    std::string why = refused ? "refused" : SDL_GetError();
    dd->x11 = X11PresenterCreate(w);
    if (dd->x11 == nullptr) {
      dd->rendererFailed = -1;
      fprintf(stderr, "zorta: the picture cannot be shown in this window: %s\n", why.c_str());
      return false;
    }
  }
  dd->rendererWindow = w;
  return true;
}

// Where a picture of `srcW` x `srcH` goes in a full-screen window of `winW` x
// `winH`: the largest whole multiple that fits (a smaller fit if none does),
// centred, with black around it.
SDL_Rect FitRect(int srcW, int srcH, int winW, int winH) {
  SDL_Rect r = {0, 0, srcW, srcH};
  if (winW <= 0 || winH <= 0) return r;
  int factor = std::min(winW / srcW, winH / srcH);
  if (factor >= 1) {
    r.w = srcW * factor;
    r.h = srcH * factor;
  } else if (static_cast<int64_t>(winW) * srcH <= static_cast<int64_t>(winH) * srcW) {
    r.w = winW;
    r.h = static_cast<int>(static_cast<int64_t>(winW) * srcH / srcW);
  } else {
    r.h = winH;
    r.w = static_cast<int>(static_cast<int64_t>(winH) * srcW / srcH);
  }
  r.x = (winW - r.w) / 2;
  r.y = (winH - r.h) / 2;
  return r;
}

// Whether `src` is, pixel for pixel, the picture last shown at `to` in a window
// of the same size with nothing drawn over it since: then showing it again
// changes nothing on the screen. Otherwise it becomes the picture last shown,
// which Show forgets again when the picture does not reach the screen.
// Most frames of a resting program repeat the one before, and a comparison
// costs a fraction of an upload and presentation.
bool AlreadyShown(DirectDraw* dd, const DirectDrawSurface* src, const SDL_Rect& to, int winW, int winH) {
  bool damaged = WinTakePictureDamage();
  const SDL_Surface* sdl = src->sdl;
  size_t row = static_cast<size_t>(sdl->w) * sdl->format->BytesPerPixel;
  size_t size = row * static_cast<size_t>(sdl->h);
  bool same = !damaged && dd->shownValid && dd->shownFormat == sdl->format->format && dd->shownWidth == sdl->w &&
              dd->shownHeight == sdl->h && dd->shownTo.x == to.x && dd->shownTo.y == to.y &&
              dd->shownTo.w == to.w && dd->shownTo.h == to.h && dd->shownWindowW == winW &&
              dd->shownWindowH == winH && dd->shown.size() == size;
  const uint8_t* from = static_cast<const uint8_t*>(sdl->pixels);
  int y = 0;
  for (; same && y < sdl->h; y++) {
    if (memcmp(dd->shown.data() + row * y, from + static_cast<size_t>(sdl->pitch) * y, row) != 0) same = false;
  }
  if (same) return true;
  // Rows before y are known to be equal already.
  if (dd->shown.size() != size) {
    dd->shown.resize(size);
    y = 0;
  } else if (y > 0) {
    y--;
  }
  for (; y < sdl->h; y++) memcpy(dd->shown.data() + row * y, from + static_cast<size_t>(sdl->pitch) * y, row);
  dd->shownValid = -1;
  dd->shownFormat = sdl->format->format;
  dd->shownWidth = sdl->w;
  dd->shownHeight = sdl->h;
  dd->shownTo = to;
  dd->shownWindowW = winW;
  dd->shownWindowH = winH;
  return false;
}

// Puts the surface on the screen through the SDL renderer, black around it
// when `clear`; false when SDL could not. SDL_RenderPresent tells nothing.
bool RenderPicture(DirectDraw* dd, DirectDrawSurface* src, const SDL_Rect& to, bool clear) {
  uint32_t format = src->sdl->format->format;
  if (dd->texture == nullptr || dd->textureFormat != format || dd->textureWidth != src->width ||
      dd->textureHeight != src->height) {
    if (dd->texture != nullptr) SDL_DestroyTexture(dd->texture);
    dd->texture = nullptr;
    if (!SeamShouldFail("CreateTexture"))
      dd->texture = SDL_CreateTexture(dd->renderer, format, SDL_TEXTUREACCESS_STREAMING, src->width, src->height);
    if (dd->texture == nullptr) return false;
    dd->textureFormat = format;
    dd->textureWidth = src->width;
    dd->textureHeight = src->height;
  }
  if (SeamShouldFail("UpdateTexture") || SDL_UpdateTexture(dd->texture, nullptr, src->pixels, src->sdl->pitch) != 0)
    return false;
  if (clear && (SDL_SetRenderDrawColor(dd->renderer, 0, 0, 0, 255) != 0 || SDL_RenderClear(dd->renderer) != 0))
    return false;
  if (SDL_RenderCopy(dd->renderer, dd->texture, nullptr, &to) != 0) return false;
  SDL_RenderPresent(dd->renderer);
  return true;
}

// Shows a surface in the window, into `dst` (window coordinates); null: a
// full-screen picture, fitted to the window with the pointer mapped back.
void Show(DirectDraw* dd, DirectDrawSurface* src, const SDL_Rect* dst) {
#ifdef ZORTA_TESTING
  presentCount++;
  if (onPresent != nullptr) onPresent();
#endif
  SDL_Window* w = WinSdlWindow();
  if (dd == nullptr || w == nullptr || src->sdl == nullptr) return;
  if (!EnsurePresenter(dd, w)) return;
  // A window's picture fills its client area; only a full-screen one is
  // fitted to what the window system gave.
  int winW = 0, winH = 0;
  SDL_Rect to;
  if (dst != nullptr) {
    to = *dst;
    if (dd->x11 != nullptr) SDL_GetWindowSize(w, &winW, &winH);
    WinClearPictureMapping();
  } else {
    if (dd->renderer == nullptr || SDL_GetRendererOutputSize(dd->renderer, &winW, &winH) != 0) {
      SDL_GetWindowSize(w, &winW, &winH);
    }
    to = FitRect(src->width, src->height, winW, winH);
    WinSetPictureMapping(to.x, to.y, to.w, to.h, src->width, src->height);
  }
  if (AlreadyShown(dd, src, to, winW, winH)) return;
  bool shown = dd->x11 != nullptr ? X11PresenterShow(dd->x11, src->sdl, to, winW, winH) != 0
                                  : RenderPicture(dd, src, to, dst == nullptr && (to.w != winW || to.h != winH));
  if (!shown) {
    // Not on the screen, so not the picture shown: the next frame goes up
    // even when it is the same, and even though the window's damage was taken.
    dd->shownValid = 0;
    return;
  }
#ifdef ZORTA_TESTING
  pictureUploads++;
#endif
}

// SDL_FillRect uses non-temporal stores: on 32-bit surfaces a 30 x 16 fill
// costs some 9 microseconds, thirty times a plain fill, and even at 16 bits
// small fills run at half speed; a full-screen fill is pushed out of the cache
// the next drawing wants it in. So 2- and 4-byte pixels are filled here: one
// row by hand, the others copied from it. 3-byte pixels still go to SDL.
void FillRows(DirectDrawSurface* s, const RECT& r, uint32_t colour) {
  int w = r.right - r.left;
  int bytes = s->sdl->format->BytesPerPixel;
  size_t pitch = static_cast<size_t>(s->sdl->pitch);
  uint8_t* first = s->pixels + static_cast<size_t>(r.top) * pitch + static_cast<size_t>(r.left) * bytes;
  if (bytes == 4) {
    uint32_t* p = reinterpret_cast<uint32_t*>(first);
    for (int x = 0; x < w; x++) p[x] = colour;
  } else {
    uint16_t* p = reinterpret_cast<uint16_t*>(first);
    for (int x = 0; x < w; x++) p[x] = static_cast<uint16_t>(colour);
  }
  uint8_t* row = first + pitch;
  for (int y = r.top + 1; y < r.bottom; y++, row += pitch) memcpy(row, first, static_cast<size_t>(w) * bytes);
}

// A copy between surfaces of one layout, as SDL's blits make it: whole rows
// where nothing is keyed, else every source pixel but the key's. Tiles and
// sprites are small; SDL's general blit costs more in setting up than in
// copying them, and its keyed loop takes a pixel at a time.
#ifdef __SSE2__
// Four 32-bit or eight 16-bit pixels at a time: where the source equals the
// key the destination stays, elsewhere it takes the source.
inline __m128i KeyedBlend(__m128i source, __m128i destination, __m128i isKey) {
  return _mm_or_si128(_mm_and_si128(isKey, destination), _mm_andnot_si128(isKey, source));
}
#endif

void CopyKeyedRow32(uint8_t* to, const uint8_t* from, int w, uint32_t key) {
  int i = 0;
#ifdef __SSE2__
  const __m128i k = _mm_set1_epi32(static_cast<int>(key));
  for (; i + 4 <= w; i += 4) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i * 4));
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i * 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i * 4), KeyedBlend(s, d, _mm_cmpeq_epi32(s, k)));
  }
#endif
  for (; i < w; i++) {
    uint32_t v;
    memcpy(&v, from + i * 4, 4);
    if (v != key) memcpy(to + i * 4, &v, 4);
  }
}

void CopyKeyedRow16(uint8_t* to, const uint8_t* from, int w, uint32_t key) {
  int i = 0;
  const uint16_t key16 = static_cast<uint16_t>(key);
#ifdef __SSE2__
  const __m128i k = _mm_set1_epi16(static_cast<int16_t>(key16));
  for (; i + 8 <= w; i += 8) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i * 2));
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i * 2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i * 2), KeyedBlend(s, d, _mm_cmpeq_epi16(s, k)));
  }
#endif
  for (; i < w; i++) {
    uint16_t v;
    memcpy(&v, from + i * 2, 2);
    if (v != key16) memcpy(to + i * 2, &v, 2);
  }
}

void CopyKeyedRow24(uint8_t* to, const uint8_t* from, int w, uint32_t key) {
  for (int i = 0; i < w; i++, to += 3, from += 3) {
    uint32_t v = static_cast<uint32_t>(from[0]) | static_cast<uint32_t>(from[1]) << 8 |
                 static_cast<uint32_t>(from[2]) << 16;
    if (v != (key & 0xFFFFFF)) to[0] = from[0], to[1] = from[1], to[2] = from[2];
  }
}

void CopyRows(DirectDrawSurface* dst, int x, int y, const DirectDrawSurface* src, const RECT& r, bool keyed) {
  int bytes = src->sdl->format->BytesPerPixel;
  int w = r.right - r.left, h = r.bottom - r.top;
  size_t srcPitch = static_cast<size_t>(src->sdl->pitch), dstPitch = static_cast<size_t>(dst->sdl->pitch);
  const uint8_t* from = src->pixels + static_cast<size_t>(r.top) * srcPitch + static_cast<size_t>(r.left) * bytes;
  uint8_t* to = dst->pixels + static_cast<size_t>(y) * dstPitch + static_cast<size_t>(x) * bytes;
  for (int row = 0; row < h; row++, from += srcPitch, to += dstPitch) {
    if (!keyed)
      memcpy(to, from, static_cast<size_t>(w) * bytes);
    else if (bytes == 4)
      CopyKeyedRow32(to, from, w, src->key);
    else if (bytes == 2)
      CopyKeyedRow16(to, from, w, src->key);
    else
      CopyKeyedRow24(to, from, w, src->key);
  }
}
}  // namespace

HRESULT DirectDrawCreate(DirectDraw** out) {
  *out = nullptr;
  if (SeamShouldFail("DirectDrawCreate")) return DDERR_GENERIC;
  DirectDraw* dd = new DirectDraw();
  liveObjects.push_back(dd);
  *out = dd;
  return DD_OK;
}

HRESULT DDSetCooperativeLevel(DirectDraw* dd, uint32_t flags) {
  if (dd == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("SetCooperativeLevel")) return DDERR_GENERIC;
  dd->cooperativeLevel = flags;
  return DD_OK;
}

HRESULT DDSetDisplayMode(DirectDraw* dd, int width, int height, int bits) {
  if (dd == nullptr || width <= 0 || height <= 0) return DDERR_INVALIDPARAMS;
  if ((dd->cooperativeLevel & DDSCL_EXCLUSIVE) == 0) return DDERR_NOEXCLUSIVEMODE;
  if (SeamShouldFail("SetDisplayMode")) return DDERR_UNSUPPORTED;
  if (bits != 15 && bits != 16 && bits != 24 && bits != 32) return DDERR_UNSUPPORTED;
#ifdef ZORTA_TESTING
  if (refusedDepth != 0 && bits == refusedDepth) return DDERR_UNSUPPORTED;
#endif
  SDL_Window* w = WinSdlWindow();
  if (w != nullptr) {
    // The pixels are ours in any depth; the window system only has to give
    // the window the screen. A mode of exactly this size where it has one;
    // else the desktop's own, the picture centred on it (and the pointer
    // mapped back). Only a window that cannot go full screen is a failure.
    uint32_t masks[3];
    DefaultMasks(bits, masks);
    SDL_DisplayMode want = {SdlFormatFor(bits, masks), width, height, 0, nullptr}, got;
    int display = SDL_GetWindowDisplayIndex(w);
    bool exact = SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &want, &got) != nullptr &&
                 got.w == width && got.h == height;
    int result = -1;
    if (exact && SDL_SetWindowDisplayMode(w, &got) == 0) result = SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN);
    if (result != 0) result = SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (result != 0) {
      fprintf(stderr, "zorta: no full-screen display: %s\n", SDL_GetError());
      return DDERR_UNSUPPORTED;
    }
  }
  dd->modeSet = -1;
  dd->modeWidth = width;
  dd->modeHeight = height;
  dd->modeBits = bits;
#ifdef ZORTA_TESTING
  fullScreenShown = -1;
#endif
  return DD_OK;
}

HRESULT DDRestoreDisplayMode(DirectDraw* dd) {
  if (dd == nullptr) return DDERR_INVALIDPARAMS;
  if (dd->modeSet) {
    dd->modeSet = 0;
#ifdef ZORTA_TESTING
    fullScreenShown = 0;
#endif
    WinClearPictureMapping();
    SDL_Window* w = WinSdlWindow();
    if (w != nullptr) SDL_SetWindowFullscreen(w, 0);
  }
  return DD_OK;
}

HRESULT DDCreateSurface(DirectDraw* dd, const DDSURFACEDESC* desc, DirectDrawSurface** out) {
  *out = nullptr;
  if (dd == nullptr || desc == nullptr || (desc->dwFlags & DDSD_CAPS) == 0) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("CreateSurface")) return DDERR_OUTOFMEMORY;
  int bits = 0;
  uint32_t masks[3];
  CurrentLayout(dd, &bits, masks);
  HRESULT result = DD_OK;
  if (desc->ddsCaps & DDSCAPS_PRIMARYSURFACE) {
    bool chain = (desc->ddsCaps & DDSCAPS_FLIP) != 0;
    if (chain) {
      // A flipping chain needs exclusive mode and one back buffer.
      if (!dd->modeSet) return DDERR_NOEXCLUSIVEMODE;
      if ((desc->dwFlags & DDSD_BACKBUFFERCOUNT) == 0 || desc->dwBackBufferCount != 1) return DDERR_INVALIDPARAMS;
    }
    // The screen is no use if nothing can be shown on it: say so here, where
    // the set-up can report it, rather than drop every frame later.
    SDL_Window* window = WinSdlWindow();
    if (window != nullptr && !EnsurePresenter(dd, window)) return DDERR_UNSUPPORTED;
    int w = dd->modeSet ? dd->modeWidth : 0, h = dd->modeSet ? dd->modeHeight : 0;
    uint32_t none[3] = {0, 0, 0};
    DirectDrawSurface* primary = NewSurface(dd, desc->ddsCaps, w, h, 0, none, &result);
    if (primary == nullptr) return result;
    primary->masks[0] = masks[0], primary->masks[1] = masks[1], primary->masks[2] = masks[2];
    if (chain) {
      DirectDrawSurface* back = NewSurface(dd, DDSCAPS_BACKBUFFER, w, h, bits, masks, &result);
      if (back == nullptr) {
        FreeSurface(primary);
        return result;
      }
      back->parent = primary;
      primary->attached = back;
    }
    // The primary reports the display's layout even without pixels of its own.
    primary->formatBits = bits;
    *out = primary;
    return DD_OK;
  }
  if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
  DirectDrawSurface* s = NewSurface(dd, desc->ddsCaps, static_cast<int>(desc->dwWidth),
                                    static_cast<int>(desc->dwHeight), bits, masks, &result);
  if (s == nullptr) return result;
  *out = s;
  return DD_OK;
}

HRESULT DDCreateClipper(DirectDraw* dd, uint32_t, DirectDrawClipper** out) {
  *out = nullptr;
  if (dd == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("CreateClipper")) return DDERR_OUTOFMEMORY;
  DirectDrawClipper* c = new DirectDrawClipper();
  c->owner = dd;
  dd->clippers.push_back(c);
  *out = c;
  return DD_OK;
}

HRESULT DDRelease(DirectDraw* dd) {
  if (dd == nullptr) return DDERR_INVALIDPARAMS;
  DDRestoreDisplayMode(dd);
  DestroyRenderer(dd);
  for (DirectDrawSurface* s : liveSurfaces) {
    if (s->owner == dd) s->owner = nullptr;
    for (DirectDrawClipper* c : dd->clippers) {
      if (s->clipper == c) s->clipper = nullptr;
    }
  }
  for (DirectDrawClipper* c : dd->clippers) delete c;
  liveObjects.erase(std::remove(liveObjects.begin(), liveObjects.end(), dd), liveObjects.end());
  delete dd;
  return DD_OK;
}

HRESULT DDClipperSetHWnd(DirectDrawClipper* clipper, uint32_t) {
  if (clipper == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("SetHWnd")) return DDERR_GENERIC;
  clipper->bound = -1;
  return DD_OK;
}

HRESULT DDSurfaceGetAttachedSurface(DirectDrawSurface* s, uint32_t caps, DirectDrawSurface** out) {
  *out = nullptr;
  if (s == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("GetAttachedSurface")) return DDERR_NOTFOUND;
  if ((caps & DDSCAPS_BACKBUFFER) == 0 || s->attached == nullptr) return DDERR_NOTFOUND;
  *out = s->attached;
  return DD_OK;
}

HRESULT DDSurfaceGetPixelFormat(DirectDrawSurface* s, DDPIXELFORMAT* format) {
  if (s == nullptr || format == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("GetPixelFormat")) return DDERR_GENERIC;
  int bits = s->formatBits;
  memset(format, 0, sizeof *format);
  format->dwSize = sizeof *format;
  format->dwFlags = DDPF_RGB;
  // As with DirectDraw, a 5-5-5 layout reports 16 bits; the masks tell it apart.
  format->dwRGBBitCount = bits == 15 ? 16 : static_cast<uint32_t>(bits);
  format->dwRBitMask = s->masks[0];
  format->dwGBitMask = s->masks[1];
  format->dwBBitMask = s->masks[2];
  return DD_OK;
}

HRESULT DDSurfaceSetClipper(DirectDrawSurface* s, DirectDrawClipper* clipper) {
  if (s == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("SetClipper")) return DDERR_GENERIC;
  s->clipper = clipper;
  return DD_OK;
}

HRESULT DDSurfaceFlip(DirectDrawSurface* primary, DirectDrawSurface*, uint32_t) {
  if (primary == nullptr || primary->attached == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldReportStillDrawing("Flip")) return DDERR_WASSTILLDRAWING;
  Show(primary->owner, primary->attached, nullptr);
  return DD_OK;
}

HRESULT DDSurfaceBlt(DirectDrawSurface* dst, const RECT* destRect, DirectDrawSurface* src, const RECT* srcRect,
                     uint32_t flags, const DDBLTFX* fx) {
  if (dst == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("Blt")) return DDERR_GENERIC;
  if (flags & DDBLT_WAIT) {
    // The driver itself waits until the blitter is free.
    while (SeamShouldReportStillDrawing("Blt")) {
    }
  } else if (SeamShouldReportStillDrawing("Blt")) {
    return DDERR_WASSTILLDRAWING;
  }
  if (dst->caps & DDSCAPS_PRIMARYSURFACE) {
    // Presentation of a whole off-screen surface into the window.
    if (src == nullptr || src->sdl == nullptr || srcRect != nullptr) return DDERR_UNSUPPORTED;
    if (dst->lost || src->lost) return DDERR_SURFACELOST;
    SDL_Rect to = {0, 0, 0, 0};
    const SDL_Rect* toPtr = nullptr;
    if (destRect != nullptr) {
      // Screen coordinates of the client area back into window coordinates.
      int ox = 0, oy = 0;
      WinClientToScreen(&ox, &oy);
      to = SDL_Rect{destRect->left - ox, destRect->top - oy, destRect->right - destRect->left,
                    destRect->bottom - destRect->top};
      if (to.w <= 0 || to.h <= 0) return DDERR_INVALIDRECT;
      toPtr = &to;
    }
    Show(dst->owner, src, toPtr);
    return DD_OK;
  }
  if ((flags & DDBLT_COLORFILL) == 0 || fx == nullptr || src != nullptr) return DDERR_UNSUPPORTED;
  if (dst->sdl == nullptr) return DDERR_UNSUPPORTED;
  RECT r = destRect != nullptr ? *destRect : WholeRect(dst);
  if (!RectInside(r, dst->width, dst->height)) return DDERR_INVALIDRECT;
  if (dst->lost) return DDERR_SURFACELOST;
  if (flags & DDBLT_NOPIXELS) return DD_OK;
#ifdef ZORTA_TESTING
  bool rowFill = dst->bits != 24 && !libraryFillOnly;
#else
  bool rowFill = dst->bits != 24;
#endif
  if (rowFill) {
    FillRows(dst, r, fx->dwFillColor);
  } else {
    SDL_Rect sr = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    SDL_FillRect(dst->sdl, &sr, fx->dwFillColor);
  }
  return DD_OK;
}

HRESULT DDSurfaceBltFast(DirectDrawSurface* dst, int x, int y, DirectDrawSurface* src, const RECT* srcRect,
                         uint32_t flags) {
  if (dst == nullptr || src == nullptr || dst->sdl == nullptr || src->sdl == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("BltFast")) return DDERR_GENERIC;
  if (SeamShouldReportStillDrawing("BltFast")) return DDERR_WASSTILLDRAWING;
  RECT r = srcRect != nullptr ? *srcRect : WholeRect(src);
  // Like DirectDraw's fast copy, nothing is clipped: a rectangle that leaves
  // either surface is refused.
  if (!RectInside(r, src->width, src->height)) return DDERR_INVALIDRECT;
  RECT d = {x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
  if (!RectInside(d, dst->width, dst->height)) return DDERR_INVALIDRECT;
  if (dst->lost || src->lost) return DDERR_SURFACELOST;
  if (flags & DDBLTFAST_NOPIXELS) return DD_OK;
  bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) != 0 && src->hasKey;
  if (src != dst && src->sdl->format->format == dst->sdl->format->format) {
    CopyRows(dst, x, y, src, r, keyed);
    return DD_OK;
  }
  if (keyed) {
    if (!src->sdlKeyOn) {
      SDL_SetColorKey(src->sdl, SDL_TRUE, src->key);
      src->sdlKeyOn = -1;
    }
  } else if (src->sdlKeyOn) {
    SDL_SetColorKey(src->sdl, SDL_FALSE, 0);
    src->sdlKeyOn = 0;
  }
  SDL_Rect from = {r.left, r.top, r.right - r.left, r.bottom - r.top};
  SDL_Rect to = {x, y, from.w, from.h};
  SDL_BlitSurface(src->sdl, &from, dst->sdl, &to);
  return DD_OK;
}

HRESULT DDSurfaceLock(DirectDrawSurface* s, const RECT* rect, DDSURFACEDESC* desc, uint32_t) {
  if (s == nullptr || desc == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("Lock")) return DDERR_GENERIC;
  if (SeamShouldReportStillDrawing("Lock")) return DDERR_WASSTILLDRAWING;
  if (s->sdl == nullptr) return DDERR_UNSUPPORTED;
  RECT r = rect != nullptr ? *rect : WholeRect(s);
  if (!RectInside(r, s->width, s->height)) return DDERR_INVALIDRECT;
  DDSurfaceGetSurfaceDesc(s, desc);
  int bytes = s->sdl->format->BytesPerPixel;
  desc->lpSurface = s->pixels + static_cast<size_t>(r.top) * s->sdl->pitch + static_cast<size_t>(r.left) * bytes;
  return DD_OK;
}

HRESULT DDSurfaceUnlock(DirectDrawSurface* s, const RECT*) {
  if (s == nullptr) return DDERR_INVALIDPARAMS;
  return DD_OK;
}

HRESULT DDSurfaceGetSurfaceDesc(DirectDrawSurface* s, DDSURFACEDESC* desc) {
  if (s == nullptr || desc == nullptr) return DDERR_INVALIDPARAMS;
  if (SeamShouldFail("GetSurfaceDesc")) return DDERR_GENERIC;
  memset(desc, 0, sizeof *desc);
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH;
  desc->dwWidth = static_cast<uint32_t>(s->width);
  desc->dwHeight = static_cast<uint32_t>(s->height);
  desc->lPitch = s->sdl != nullptr ? s->sdl->pitch : 0;
  desc->ddsCaps = s->caps;
  desc->dwBackBufferCount = s->attached != nullptr ? 1 : 0;
  int bits = s->formatBits;
  desc->ddpfPixelFormat.dwSize = sizeof desc->ddpfPixelFormat;
  desc->ddpfPixelFormat.dwFlags = DDPF_RGB;
  desc->ddpfPixelFormat.dwRGBBitCount = bits == 15 ? 16 : static_cast<uint32_t>(bits);
  desc->ddpfPixelFormat.dwRBitMask = s->masks[0];
  desc->ddpfPixelFormat.dwGBitMask = s->masks[1];
  desc->ddpfPixelFormat.dwBBitMask = s->masks[2];
  return DD_OK;
}

HRESULT DDSurfaceSetColorKey(DirectDrawSurface* s, uint32_t flags, const DDCOLORKEY* key) {
  if (s == nullptr || (flags & DDCKEY_SRCBLT) == 0) return DDERR_INVALIDPARAMS;
  if (key == nullptr) {
    s->hasKey = 0;
  } else {
    s->hasKey = -1;
    s->key = key->dwColorSpaceLowValue;
  }
  if (s->sdlKeyOn) {
    SDL_SetColorKey(s->sdl, SDL_FALSE, 0);
    s->sdlKeyOn = 0;
  }
  return DD_OK;
}

HRESULT DDSurfaceRestore(DirectDrawSurface* s) {
  if (s == nullptr) return DDERR_INVALIDPARAMS;
  s->lost = 0;
  return DD_OK;
}

HRESULT DDSurfaceIsLost(DirectDrawSurface* s) {
  if (s == nullptr) return DDERR_INVALIDPARAMS;
  return s->lost ? DDERR_SURFACELOST : DD_OK;
}

HRESULT DDSurfaceRelease(DirectDrawSurface* s) {
  if (!IsLive(s)) return DDERR_INVALIDPARAMS;
  // The back buffer lives and dies with its chain.
  if (s->parent != nullptr) return DD_OK;
  if (s->attached != nullptr) FreeSurface(s->attached);
  FreeSurface(s);
  return DD_OK;
}

int DDGetDesktopDepth() {
#ifdef ZORTA_TESTING
  if (desktopDepthOverride != 0) return desktopDepthOverride;
#endif
  if (!EnsureVideo()) return 32;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
  // SDL names 32-bit pixels with an unused byte "24 bits"; Windows calls them 32.
  if (SDL_BYTESPERPIXEL(mode.format) == 4) return 32;
  return SDL_BITSPERPIXEL(mode.format);
}

#ifdef ZORTA_TESTING
void DisplaySeamSetDesktopDepth(int bits) { desktopDepthOverride = bits; }
void DisplaySeamRefuseDepth(int bits) { refusedDepth = bits; }
void DisplaySeamSetModeMasks(uint32_t red, uint32_t green, uint32_t blue) {
  modeMasks[0] = red, modeMasks[1] = green, modeMasks[2] = blue;
}
void DisplaySeamSetPitchPadding(int pixels) { pitchPadding = pixels < 0 ? 0 : pixels; }
void DisplaySeamLoseSurfaces() {
  for (DirectDrawSurface* s : liveSurfaces) s->lost = -1;
}

uint32_t DisplaySeamReadPixel(DirectDrawSurface* s, int x, int y) {
  if (!IsLive(s) || s->sdl == nullptr || x < 0 || y < 0 || x >= s->width || y >= s->height) return 0xFFFFFFFF;
  const uint8_t* p = s->pixels + static_cast<size_t>(y) * s->sdl->pitch;
  switch (s->sdl->format->BytesPerPixel) {
    case 2: {
      uint16_t v;
      memcpy(&v, p + x * 2, 2);
      return v;
    }
    case 3:
      return p[x * 3] | (p[x * 3 + 1] << 8) | (p[x * 3 + 2] << 16);
    default: {
      uint32_t v;
      memcpy(&v, p + x * 4, 4);
      return v;
    }
  }
}

void DisplaySeamUseLibraryFill(bool on) { libraryFillOnly = on; }

int DisplaySeamLiveSurfaces() { return static_cast<int>(liveSurfaces.size()); }
int DisplaySeamPresentCount() { return presentCount; }
int DisplaySeamPictureUploads() { return pictureUploads; }
void DisplaySeamOnPresent(void (*callback)()) { onPresent = callback; }
int DisplaySeamFullScreen() { return fullScreenShown; }

void DisplaySeamReset() {
  desktopDepthOverride = 0;
  refusedDepth = 0;
  modeMasks[0] = modeMasks[1] = modeMasks[2] = 0;
  pitchPadding = 0;
  presentCount = 0;
  pictureUploads = 0;
  onPresent = nullptr;
  libraryFillOnly = false;
}
#endif

}  // namespace zorta
