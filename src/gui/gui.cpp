#include "gui/gui.h"

// Filled in with the window stack.
GuiWindow RootWindow;

void OpenGuiWindow(GuiWindow* window, int x, int y, int w, int h) {
  window->x = x;
  window->y = y;
  window->w = w;
  window->h = h;
}
void DrawWindows() {}
