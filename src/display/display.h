// Display set-up and presentation, the pool of off-screen surfaces that hold
// converted images, and lost-surface recovery.
#pragma once
#include <cstdint>

#include "platform/display.h"
#include "zorta/display.h"

namespace zorta {

// Display objects, each null when absent.
extern DirectDraw* DirectDrawObject;
extern DirectDrawSurface* PrimarySurface;
extern DirectDrawSurface* BackBuffer;
extern DirectDrawClipper* Clipper;
// -1 when a fill or copy found the surfaces lost; cleared by RestoreSurfaces.
extern int32_t SurfacesLost;

struct SurfaceSlot {
  int32_t inUse;  // -1 while the slot holds a surface
  int32_t width;
  int32_t height;
  DirectDrawSurface* surface;
};

const int SurfaceSlotCount = 64;
extern SurfaceSlot SurfacePool[SurfaceSlotCount];

void SetUpFullScreen();
void SetUpWindowed();
void ReleaseFullScreen();
void ReleaseWindowed();
// What holds surfaces in the screen's depth (the image table) is told around
// a mode change: `release` before the old display goes, `create` once the new
// one is up. Registered by the program; null: nothing to tell.
void SetDisplayModeChangeActions(void (*release)(), void (*create)());
void Present();

// The lowest free slot with a new off-screen surface, or null.
SurfaceSlot* CreateSurfaceSlot(int32_t width, int32_t height);
void ReleaseSurfaceSlot(SurfaceSlot* slot);
void ReleaseAllSurfaceSlots();
// Address of pixel (x, y) of a locked w x h rectangle, or null. Rows lie one
// pitch apart; unlock before the next Present.
void* LockSurfaceSlot(SurfaceSlot* slot, int32_t x, int32_t y, int32_t w, int32_t h);
void UnlockSurfaceSlot(SurfaceSlot* slot);
int32_t SurfaceSlotPitch(SurfaceSlot* slot);  // in pixels
void SetSurfaceColorKey(SurfaceSlot* slot, uint32_t colour);
void* LockBackBuffer(int32_t x, int32_t y, int32_t w, int32_t h);
void UnlockBackBuffer();
int32_t BackBufferPitch();  // in pixels

void RestoreSurfaces();

}  // namespace zorta
