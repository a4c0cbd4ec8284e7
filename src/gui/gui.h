// In-engine windows: the window stack, mouse ownership and hit tests, keyboard
// focus, push buttons and the root window that runs the world frame. What a
// program uses is public (zorta/gui.h).
#pragma once
#include <cstdint>

#include "zorta/gui.h"

namespace zorta {

const int WindowSlots = 32;
extern GuiWindow* WindowStack[WindowSlots];  // slot 0 is the bottom

// What the RootWindow draws is registered by the program (the world frame);
// null draws nothing.
void SetRootWindowDraw(void (*draw)());

extern int32_t ClicksConsumed;

void UpdateMouseState();
// The GUI pass: mouse ownership, then every open window drawn bottom to top.
void DrawWindows();

// Empties the stack and forgets the mouse, focus and modal state (start-up and tests).
void ResetGuiState();

}  // namespace zorta
