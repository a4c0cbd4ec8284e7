// In-engine windows.
#pragma once

struct GuiWindow {
  int x, y, w, h;
};
extern GuiWindow RootWindow;

void OpenGuiWindow(GuiWindow* window, int x, int y, int w, int h);
void DrawWindows();
