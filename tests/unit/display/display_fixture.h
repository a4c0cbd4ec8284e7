// Common state for the display tests: a 640 x 480 program with an empty log,
// every seam disarmed, and the display released again afterwards.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/settings.h"
#include "base/timing.h"
#include "display/display.h"
#include "display/draw.h"
#include "platform/display.h"
#include "platform/testing.h"
#include "reset.h"

using namespace zorta;

inline std::string ReadLog() {
  std::string text;
  FILE* f = fopen("log.txt", "rb");
  if (f == nullptr) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  fclose(f);
  return text;
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTests();
    ScreenWidth = 640;
    ScreenHeight = 480;
    ColorDepth = 16;
    CreateLogFile();
    SurfacesLost = 0;
  }
  void TearDown() override {
    SeamReset();
    ReleaseAllSurfaceSlots();
    if (FullScreen)
      ReleaseFullScreen();
    else
      ReleaseWindowed();
    DisplaySeamReset();
    EXPECT_EQ(DisplaySeamLiveSurfaces(), 0);
  }
  // A windowed display drawing at `depth` bits, with the clip reset.
  void StartWindowed(int depth) {
    DisplaySeamSetDesktopDepth(depth);
    SetUpWindowed();
    ASSERT_NE(BackBuffer, nullptr);
    ResetClipRect();
    CreateLogFile();
  }
  uint32_t Pixel(int x, int y) { return DisplaySeamReadPixel(BackBuffer, x, y); }
  uint32_t SlotPixel(SurfaceSlot* slot, int x, int y) { return DisplaySeamReadPixel(slot->surface, x, y); }
};
