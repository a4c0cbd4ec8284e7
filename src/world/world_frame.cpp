#include "app/settings.h"
#include "gui/gui.h"
#include "input/input.h"
#include "world/world.h"

namespace {
void (*lastDrawing)() = nullptr;
}  // namespace

void SetWorldFrameLastDrawing(void (*draw)()) { lastDrawing = draw; }

// The RootWindow's Draw. Each logic step ends by hiding the frame's clicks and
// keys from the steps after it; the drawing that follows sees them again.
void WorldFrame() {
  UpdatePlayerControls();
  for (uint32_t i = 0; i < StepsDue; i++) {
    RunWorldStep();
    if (ShutdownDone) return;
    ClearPressedControls();
    ConsumeClicks();
    KeyboardGrabbed = -1;
  }
  RestoreClicks();
  KeyboardGrabbed = 0;
  DrawWorld();
  // A callback's fatal error has released the display.
  if (ShutdownDone) return;
  if (lastDrawing != nullptr) lastDrawing();
}
