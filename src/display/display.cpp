#include "display/display.h"

#include <cstdio>

#include "base/settings.h"
#include "base/timing.h"
#include "input/input.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace zorta {

DirectDraw* DirectDrawObject = nullptr;
DirectDrawSurface* PrimarySurface = nullptr;
DirectDrawSurface* BackBuffer = nullptr;
DirectDrawClipper* Clipper = nullptr;
int32_t SurfacesLost = 0;
SurfaceSlot SurfacePool[SurfaceSlotCount];

namespace {
void LogStep(const char* step, bool ok) {
  char line[96];
  snprintf(line, sizeof line, "%s: %s\n", step, ok ? "Ok" : "Failed");
  WriteLog(line);
}

void LogValue(const char* format, uint32_t value) {
  char line[96];
  snprintf(line, sizeof line, format, value);
  WriteLog(line);
}

void LogScreen() {
  char line[64];
  snprintf(line, sizeof line, "Screen Width: %d\n", ScreenWidth);
  WriteLog(line);
  snprintf(line, sizeof line, "Screen Height: %d\n", ScreenHeight);
  WriteLog(line);
  snprintf(line, sizeof line, "Screen Depth: %d\n", ColorDepth);
  WriteLog(line);
}

int PartnerDepth(int depth) {
  switch (depth) {
    case 15: return 16;
    case 16: return 15;
    case 24: return 32;
    case 32: return 24;
    default: return depth;
  }
}

int BytesPerPixel() { return (ColorDepth + 7) / 8; }

void* LockSurface(DirectDrawSurface* surface, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (surface == nullptr) return nullptr;
  RECT r = {x, y, x + w, y + h};
  DDSURFACEDESC desc;
  HRESULT result;
  do {
    result = DDSurfaceLock(surface, &r, &desc, 0);
  } while (result == DDERR_WASSTILLDRAWING);
  return result == DD_OK ? desc.lpSurface : nullptr;
}

int32_t SurfacePitch(DirectDrawSurface* surface) {
  DDSURFACEDESC desc;
  if (surface == nullptr || DDSurfaceGetSurfaceDesc(surface, &desc) != DD_OK || BytesPerPixel() <= 0) return 0;
  return desc.lPitch / BytesPerPixel();
}

bool SlotUsable(const SurfaceSlot* slot) {
  return slot != nullptr && slot->inUse && slot->surface != nullptr;
}
}  // namespace

void SetUpFullScreen() {
  if (DirectDrawCreate(&DirectDrawObject) != DD_OK) {
    LogStep("DD Create", false);
    return;
  }
  LogStep("DD Create", true);
  if (DDSetCooperativeLevel(DirectDrawObject, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK) {
    LogStep("DD Set Cooperative Level", false);
    return;
  }
  LogStep("DD Set Cooperative Level", true);
  if (DDSetDisplayMode(DirectDrawObject, ScreenWidth, ScreenHeight, ColorDepth) != DD_OK) {
    ColorDepth = PartnerDepth(ColorDepth);
    if (DDSetDisplayMode(DirectDrawObject, ScreenWidth, ScreenHeight, ColorDepth) != DD_OK) {
      LogStep("DD Set Display Mode", false);
      return;
    }
  }
  LogStep("DD Set Display Mode", true);

  DDSURFACEDESC desc = {};
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.ddsCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  desc.dwBackBufferCount = 1;
  if (DDCreateSurface(DirectDrawObject, &desc, &PrimarySurface) != DD_OK) {
    LogStep("DD Create Primary Surface", false);
  } else {
    LogStep("DD Create Primary Surface", true);
    LogStep("DD Create Back Surface",
            DDSurfaceGetAttachedSurface(PrimarySurface, DDSCAPS_BACKBUFFER, &BackBuffer) == DD_OK);
    if (ColorDepth == 15 || ColorDepth == 16) {
      DDPIXELFORMAT format = {};
      format.dwSize = sizeof format;
      format.dwFlags = DDPF_RGB;
      // Without an answer the masks are unknown: keep the depth as it is.
      if (DDSurfaceGetPixelFormat(PrimarySurface, &format) == DD_OK &&
          format.dwRBitMask + format.dwGBitMask + format.dwBBitMask != 0xFFFF) {
        ColorDepth = 15;
      }
      LogValue("Pixel Format R Mask: %8x\n", format.dwRBitMask);
      LogValue("Pixel Format G Mask: %8x\n", format.dwGBitMask);
      LogValue("Pixel Format B Mask: %8x\n", format.dwBBitMask);
    }
  }
  LogScreen();
  WinSetPopupStyle(-1);
  WinSetWindowPos(0, -32, ScreenWidth, ScreenHeight + 32);
}

void SetUpWindowed() {
  if (DDGetDesktopDepth() < 15) {
    ColorDepth = 16;
    FullScreen = -1;
    SetUpFullScreen();
    return;
  }
  if (DirectDrawCreate(&DirectDrawObject) != DD_OK) {
    LogStep("DD Create", false);
    return;
  }
  LogStep("DD Create", true);
  if (DDSetCooperativeLevel(DirectDrawObject, DDSCL_NORMAL) != DD_OK) {
    LogStep("DD Set Cooperative Level", false);
    return;
  }
  LogStep("DD Set Cooperative Level", true);

  // Each failure from here on skips the remaining display steps only.
  do {
    DDSURFACEDESC desc = {};
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps = DDSCAPS_PRIMARYSURFACE;
    if (DDCreateSurface(DirectDrawObject, &desc, &PrimarySurface) != DD_OK) {
      LogStep("DD Create Primary Surface", false);
      break;
    }
    LogStep("DD Create Primary Surface", true);

    desc = DDSURFACEDESC{};
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwHeight = static_cast<uint32_t>(ScreenHeight);
    desc.dwWidth = static_cast<uint32_t>(ScreenWidth);
    desc.ddsCaps = DDSCAPS_OFFSCREENPLAIN;
    if (DDCreateSurface(DirectDrawObject, &desc, &BackBuffer) != DD_OK) {
      LogStep("DD Create Back Surface", false);
      break;
    }
    LogStep("DD Create Back Surface", true);

    // In a window the program draws in the desktop's format.
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof format;
    if (DDSurfaceGetPixelFormat(BackBuffer, &format) == DD_OK) ColorDepth = static_cast<int32_t>(format.dwRGBBitCount);

    if (DDCreateClipper(DirectDrawObject, 0, &Clipper) != DD_OK) {
      LogStep("DD Create Clipper", false);
      break;
    }
    LogStep("DD Create Clipper", true);
    if (DDClipperSetHWnd(Clipper, 0) != DD_OK) {
      LogStep("DD Clipper Set hWnd", false);
      break;
    }
    LogStep("DD Clipper Set hWnd", true);
    LogStep("DD Clipper Set Primary", DDSurfaceSetClipper(PrimarySurface, Clipper) == DD_OK);
  } while (false);

  LogScreen();
  WinSetPopupStyle(0);
  WinSetWindowPos(WindowX, WindowY, ScreenWidth, ScreenHeight);
}

void ReleaseFullScreen() {
  if (DirectDrawObject == nullptr) return;
  DDRestoreDisplayMode(DirectDrawObject);
  if (PrimarySurface != nullptr) {
    DDSurfaceRelease(PrimarySurface);  // also releases the attached back buffer
    PrimarySurface = nullptr;
    BackBuffer = nullptr;
  }
  DDRelease(DirectDrawObject);
  DirectDrawObject = nullptr;
  // The driver object took its clipper with it.
  Clipper = nullptr;
}

void ReleaseWindowed() {
  if (DirectDrawObject == nullptr) return;
  if (BackBuffer != nullptr) {
    DDSurfaceRelease(BackBuffer);
    BackBuffer = nullptr;
  }
  if (PrimarySurface != nullptr) {
    DDSurfaceSetClipper(PrimarySurface, nullptr);
    Clipper = nullptr;
    DDSurfaceRelease(PrimarySurface);
    PrimarySurface = nullptr;
  }
  DDRelease(DirectDrawObject);
  DirectDrawObject = nullptr;
  Clipper = nullptr;
}

namespace {
void (*releaseScreenSurfaces)() = nullptr;
void (*createScreenSurfaces)() = nullptr;
}  // namespace

void SetDisplayModeChangeActions(void (*release)(), void (*create)()) {
  releaseScreenSurfaces = release;
  createScreenSurfaces = create;
}

void ChangeDisplayMode(int depth, int fullScreen) {
  FSOUND_SetPaused(FSOUND_ALL, -1);
  if (releaseScreenSurfaces != nullptr) releaseScreenSurfaces();
  if (FullScreen) {
    ReleaseFullScreen();
  } else {
    int x = 0, y = 0, w = 0, h = 0;
    WinGetWindowRect(&x, &y, &w, &h);
    WindowX = x;
    WindowY = y;
    ReleaseWindowed();
  }
  int32_t wasFullScreen = FullScreen;
  ColorDepth = depth;
  FullScreen = fullScreen;
  if (fullScreen)
    SetUpFullScreen();
  else
    SetUpWindowed();
  if (FullScreen != wasFullScreen) WinShowCursor(fullScreen ? 0 : 1);
  if (createScreenSurfaces != nullptr) createScreenSurfaces();
  ClearInput();
  FSOUND_SetPaused(FSOUND_ALL, 0);
}

void Present() {
  // After a failed set-up step there may be nothing to show, or nothing to show it on.
  if (PrimarySurface == nullptr || BackBuffer == nullptr) return;
  if (FullScreen) {
    while (DDSurfaceFlip(PrimarySurface, nullptr, 0) == DDERR_WASSTILLDRAWING) {
    }
    return;
  }
  int w = 0, h = 0;
  WinGetClientSize(&w, &h);
  int left = 0, top = 0, right = w, bottom = h;
  WinClientToScreen(&left, &top);
  WinClientToScreen(&right, &bottom);
  RECT r = {left, top, right, bottom};
  DDSurfaceBlt(PrimarySurface, &r, BackBuffer, nullptr, DDBLT_WAIT, nullptr);
}

SurfaceSlot* CreateSurfaceSlot(int32_t width, int32_t height) {
  SurfaceSlot* slot = nullptr;
  for (int i = 0; i < SurfaceSlotCount; i++) {
    if (!SurfacePool[i].inUse) {
      slot = &SurfacePool[i];
      break;
    }
  }
  if (slot == nullptr || DirectDrawObject == nullptr) return nullptr;
  DDSURFACEDESC desc = {};
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH;
  desc.dwHeight = static_cast<uint32_t>(height);
  desc.dwWidth = static_cast<uint32_t>(width);
  desc.ddsCaps = DDSCAPS_OFFSCREENPLAIN;
  if (width <= 0 || height <= 0 || DDCreateSurface(DirectDrawObject, &desc, &slot->surface) != DD_OK) {
    slot->surface = nullptr;
    return nullptr;
  }
  slot->width = width;
  slot->height = height;
  slot->inUse = -1;
  return slot;
}

void ReleaseSurfaceSlot(SurfaceSlot* slot) {
  if (slot == nullptr) return;
  if (slot->surface != nullptr) DDSurfaceRelease(slot->surface);
  slot->surface = nullptr;
  slot->inUse = 0;
}

void ReleaseAllSurfaceSlots() {
  for (int i = 0; i < SurfaceSlotCount; i++) {
    if (SurfacePool[i].inUse) ReleaseSurfaceSlot(&SurfacePool[i]);
  }
}

void* LockSurfaceSlot(SurfaceSlot* slot, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (!SlotUsable(slot)) return nullptr;
  return LockSurface(slot->surface, x, y, w, h);
}

void UnlockSurfaceSlot(SurfaceSlot* slot) {
  if (SlotUsable(slot)) DDSurfaceUnlock(slot->surface, nullptr);
}

int32_t SurfaceSlotPitch(SurfaceSlot* slot) { return SlotUsable(slot) ? SurfacePitch(slot->surface) : 0; }

void SetSurfaceColorKey(SurfaceSlot* slot, uint32_t colour) {
  if (!SlotUsable(slot)) return;
  DDCOLORKEY key = {colour, colour};
  DDSurfaceSetColorKey(slot->surface, DDCKEY_SRCBLT, &key);
}

void* LockBackBuffer(int32_t x, int32_t y, int32_t w, int32_t h) { return LockSurface(BackBuffer, x, y, w, h); }

void UnlockBackBuffer() {
  if (BackBuffer != nullptr) DDSurfaceUnlock(BackBuffer, nullptr);
}

int32_t BackBufferPitch() { return SurfacePitch(BackBuffer); }

void RestoreSurfaces() {
  if (PrimarySurface != nullptr) DDSurfaceRestore(PrimarySurface);
  if (BackBuffer != nullptr) DDSurfaceRestore(BackBuffer);
  for (int i = 0; i < SurfaceSlotCount; i++) {
    if (SurfacePool[i].inUse && SurfacePool[i].surface != nullptr) DDSurfaceRestore(SurfacePool[i].surface);
  }
  SurfacesLost = 0;
}

}  // namespace zorta
