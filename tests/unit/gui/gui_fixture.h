// A 640 x 480 display at 16 bits, an empty window stack and no input.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/settings.h"
#include "display/display.h"
#include "display/draw.h"
#include "gui/gui.h"
#include "input/input.h"
#include "platform/display.h"
#include "platform/sound.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "reset.h"

using namespace zorta;

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetForTests();
    ScreenWidth = 640;
    ScreenHeight = 480;
    ColorDepth = 16;
    DisplaySeamSetDesktopDepth(16);
    SetUpWindowed();
    ResetClipRect();
    PointerX = PointerY = -1000;
  }
  void TearDown() override {
    ResetGuiState();
    ClearInput();
    KeyboardGrabbed = 0;
    ReleaseAllSurfaceSlots();
    ReleaseWindowed();
    DisplaySeamReset();
    SeamReset();
    SoundSeamReset();
  }
  static uint32_t Pixel(int x, int y) { return DisplaySeamReadPixel(BackBuffer, x, y); }
  static uint32_t Colour(int r, int g, int b) { return PackColor(r, g, b, ColorDepth); }
  // One frame as the loop runs it: the GUI pass, then the pointer and key ageing.
  static void Frame(int x, int y, bool left, bool right = false) {
    PointerX = x;
    PointerY = y;
    LeftButtonDown = left ? -1 : 0;
    RightButtonDown = right ? -1 : 0;
    DrawWindows();
    UpdateKeysOnly();
  }
  static void UpdateKeysOnly() {
    int px = PointerX, py = PointerY;
    UpdateInput();  // ages the keys; the pointer stays where the test put it
    PointerX = px;
    PointerY = py;
  }
  static int PlayCalls() {
    const auto& calls = SeamCalls();
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const std::string& c) {
      return c.rfind("FSOUND_PlaySound(", 0) == 0;
    }));
  }
};
