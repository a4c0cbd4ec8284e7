#include "base/settings.h"
#include "display/draw.h"
#include "gui/gui.h"
#include "input/input.h"
#include "world/world.h"

namespace zorta {

namespace {
void (*lastDrawing)() = nullptr;
int32_t lastDrawingCovers = 0;

bool ClipIsWholeScreen() {
  return ClipRect.left <= 0 && ClipRect.top <= 0 && ClipRect.right >= ScreenWidth - 1 &&
         ClipRect.bottom >= ScreenHeight - 1;
}
}  // namespace

void SetWorldFrameLastDrawing(void (*draw)(), int32_t coversClip) {
  lastDrawing = draw;
  lastDrawingCovers = draw != nullptr ? coversClip : 0;
}

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
  // Under a last drawing that fills the whole screen no pixel of the world is
  // ever seen: the world is drawn for its effects only (scrolls, surfaces,
  // flashes, callbacks, lost surfaces), without writing pixels. The world
  // draws into the View, whatever the clip, so the clip must be the screen.
  DrawingHidden = lastDrawingCovers && ClipIsWholeScreen() ? -1 : 0;
  DrawWorld();
  DrawingHidden = 0;
  // A callback's fatal error has released the display.
  if (ShutdownDone) return;
  if (lastDrawing != nullptr) lastDrawing();
}

}  // namespace zorta
