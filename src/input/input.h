// Key states, mouse buttons and pointer, joystick. What a program reads is
// public (zorta/input.h); the message handlers the window procedure calls
// and the per-frame updates stay here.
#pragma once
#include <cstdint>

#include "platform/window.h"
#include "zorta/input.h"

namespace zorta {

extern int32_t CaptureCount;

void UpdateInput();
void ClearInput();
void CaptureMouse();
void ReleaseMouse();

// Message handlers, called by the window procedure.
void OnKeyDown(WPARAM key);
void OnKeyUp(WPARAM key);
// A press reads where the pointer was last sampled; given a position (the
// client or picture pixel the window system reported with the press), the
// frame that first sees the press judges it there, even when the pointer
// moved to it in the same turn.
void OnLeftButtonDown();
void OnLeftButtonDown(int32_t x, int32_t y);
void OnLeftButtonUp();
void OnRightButtonDown();
void OnRightButtonDown(int32_t x, int32_t y);
void OnRightButtonUp();

void UpdatePlayerControls();
void ApplyDefaultBindings();

}  // namespace zorta
