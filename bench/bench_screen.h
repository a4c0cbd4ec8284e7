// Shared by the benchmarks that draw: a fresh windowed 640 x 480 display on a
// desktop of the given depth, with the clip reset.
#pragma once
#include "base/settings.h"
#include "display/display.h"
#include "display/draw.h"
#include "platform/display.h"
#include "platform/testing.h"

using namespace zorta;

inline void StartBenchScreen(int depth) {
  ReleaseAllSurfaceSlots();
  ReleaseWindowed();
  ScreenWidth = 640;
  ScreenHeight = 480;
  DisplaySeamSetDesktopDepth(depth);
  SetUpWindowed();
  ResetClipRect();
}
