#include "display/draw.h"
#include "gui/gui.h"
#include "input/input.h"
#include "sfx/demo_screen.h"
#include "world/world.h"

// The world frame before maps and objects exist: sample the controls, let each
// due logic step hide the frame's clicks and keys from the steps after it,
// show them again to the drawing, then the demo screen. Map, objects and the
// step clock slot into this order.
namespace {
uint32_t stepsDue = 0;  // set by the step clock once it exists
}

void WorldFrame() {
  UpdatePlayerControls();
  for (uint32_t i = 0; i < stepsDue; i++) {
    ClearPressedControls();
    ConsumeClicks();
    KeyboardGrabbed = -1;
  }
  RestoreClicks();
  KeyboardGrabbed = 0;
  DrawDemoScreen();
}
