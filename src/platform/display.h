// Display stand-in: DirectDraw-shaped driver object, surfaces, clipper and
// presentation. Surfaces are SDL2 surfaces in one of four layouts (15: RGB555,
// 16: RGB565, 24: bytes blue-green-red, 32: bytes blue-green-red-0); the picture
// reaches the window through an SDL2 streaming texture of the same layout.
// Works headless: without a window or renderer nothing is shown, all else works.
#pragma once
#include <cstdint>

namespace zorta {

typedef int32_t HRESULT;

const HRESULT DD_OK = 0;
const HRESULT DDERR_WASSTILLDRAWING = static_cast<HRESULT>(0x8876021C);
const HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2);
const HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005);
const HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057);
const HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096);
const HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001);
const HRESULT DDERR_NOEXCLUSIVEMODE = static_cast<HRESULT>(0x887600E1);
const HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
const HRESULT DDERR_NOTFOUND = static_cast<HRESULT>(0x887600FF);

enum : uint32_t {
  // SetCooperativeLevel
  DDSCL_FULLSCREEN = 0x1,
  DDSCL_NORMAL = 0x8,
  DDSCL_EXCLUSIVE = 0x10,
  // surface description fields
  DDSD_CAPS = 0x1,
  DDSD_HEIGHT = 0x2,
  DDSD_WIDTH = 0x4,
  DDSD_PITCH = 0x8,
  DDSD_BACKBUFFERCOUNT = 0x20,
  // surface capabilities
  DDSCAPS_BACKBUFFER = 0x4,
  DDSCAPS_COMPLEX = 0x8,
  DDSCAPS_FLIP = 0x10,
  DDSCAPS_OFFSCREENPLAIN = 0x40,
  DDSCAPS_PRIMARYSURFACE = 0x200,
  // pixel format
  DDPF_RGB = 0x40,
  // blits
  DDBLT_COLORFILL = 0x400,
  DDBLT_WAIT = 0x1000000,
  DDBLTFAST_NOCOLORKEY = 0x0,
  DDBLTFAST_SRCCOLORKEY = 0x1,
  // Ours, not DirectDraw's: every check and result of the fill or copy, but no
  // pixel written; for drawing that something drawn later covers.
  DDBLT_NOPIXELS = 0x80000000,
  DDBLTFAST_NOPIXELS = 0x80000000,
  // colour keys
  DDCKEY_SRCBLT = 0x8,
};

struct RECT {
  int32_t left, top, right, bottom;  // right and bottom exclusive
};

struct DDPIXELFORMAT {
  uint32_t dwSize;  // 32
  uint32_t dwFlags;
  uint32_t dwFourCC;
  uint32_t dwRGBBitCount;
  uint32_t dwRBitMask;
  uint32_t dwGBitMask;
  uint32_t dwBBitMask;
  uint32_t dwRGBAlphaBitMask;
};

struct DDSURFACEDESC {
  uint32_t dwFlags;
  uint32_t dwHeight;
  uint32_t dwWidth;
  int32_t lPitch;  // bytes
  uint32_t dwBackBufferCount;
  uint32_t ddsCaps;
  void* lpSurface;
  DDPIXELFORMAT ddpfPixelFormat;
};

struct DDCOLORKEY {
  uint32_t dwColorSpaceLowValue;
  uint32_t dwColorSpaceHighValue;
};

struct DDBLTFX {
  uint32_t dwFillColor;
};

struct DirectDraw;
struct DirectDrawSurface;
struct DirectDrawClipper;

// The driver object.
HRESULT DirectDrawCreate(DirectDraw** out);
HRESULT DDSetCooperativeLevel(DirectDraw* dd, uint32_t flags);  // for the one main window
HRESULT DDSetDisplayMode(DirectDraw* dd, int width, int height, int bitsPerPixel);
HRESULT DDRestoreDisplayMode(DirectDraw* dd);
HRESULT DDCreateSurface(DirectDraw* dd, const DDSURFACEDESC* desc, DirectDrawSurface** out);
HRESULT DDCreateClipper(DirectDraw* dd, uint32_t flags, DirectDrawClipper** out);
// Also frees the clippers the object made; surfaces stay valid until released.
HRESULT DDRelease(DirectDraw* dd);

HRESULT DDClipperSetHWnd(DirectDrawClipper* clipper, uint32_t flags);  // binds to the main window

// Surfaces.
HRESULT DDSurfaceGetAttachedSurface(DirectDrawSurface* s, uint32_t caps, DirectDrawSurface** out);
HRESULT DDSurfaceGetPixelFormat(DirectDrawSurface* s, DDPIXELFORMAT* format);
HRESULT DDSurfaceSetClipper(DirectDrawSurface* s, DirectDrawClipper* clipper);
HRESULT DDSurfaceFlip(DirectDrawSurface* primary, DirectDrawSurface* override, uint32_t flags);
// Colour fill (DDBLT_COLORFILL, src null) or, into the primary surface, presentation
// of src; destRect null means the whole surface.
HRESULT DDSurfaceBlt(DirectDrawSurface* dst, const RECT* destRect, DirectDrawSurface* src, const RECT* srcRect,
                     uint32_t flags, const DDBLTFX* fx);
HRESULT DDSurfaceBltFast(DirectDrawSurface* dst, int x, int y, DirectDrawSurface* src, const RECT* srcRect,
                         uint32_t flags);
// rect null locks the whole surface; lpSurface is then the address of its corner.
HRESULT DDSurfaceLock(DirectDrawSurface* s, const RECT* rect, DDSURFACEDESC* desc, uint32_t flags);
HRESULT DDSurfaceUnlock(DirectDrawSurface* s, const RECT* rect);
HRESULT DDSurfaceGetSurfaceDesc(DirectDrawSurface* s, DDSURFACEDESC* desc);
HRESULT DDSurfaceSetColorKey(DirectDrawSurface* s, uint32_t flags, const DDCOLORKEY* key);
HRESULT DDSurfaceRestore(DirectDrawSurface* s);
HRESULT DDSurfaceIsLost(DirectDrawSurface* s);
// Releasing a flipping chain's primary also releases its attached back buffer.
HRESULT DDSurfaceRelease(DirectDrawSurface* s);

// The desktop's bits per pixel (8, 15, 16, 24 or 32).
int DDGetDesktopDepth();

}  // namespace zorta
