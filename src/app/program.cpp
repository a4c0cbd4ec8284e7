// The demo program: the shell with the demo screen drawn over the world.
#include "app/app.h"
#include "app/demo_screen.h"
#include "world/world.h"

namespace zorta {

void ConnectSubsystems() {
  ConnectShell();
  // The demo screen's first fill covers the whole clip.
  SetWorldFrameLastDrawing(DrawDemoScreen, -1);
}

int WinMain(void* instance, void*, const char*, int showCommand) {
  ConnectSubsystems();
  return RunShell(instance, showCommand, nullptr);
}

}  // namespace zorta
