// Key states, mouse buttons and pointer, joystick.
#pragma once
#include <cstdint>

#include "platform/window.h"

extern uint8_t KeyState[256];  // 0 up, 1 went down, 2 held, 3 released
extern int32_t AnyKeyDown;      // -1 when a key went down since the last UpdateInput
extern int32_t KeyboardGrabbed;
extern int32_t PointerX;
extern int32_t PointerY;
extern int32_t LeftButtonDown;
extern int32_t RightButtonDown;
extern int32_t CaptureCount;

int KeyPressed(int key);
int KeyHeld(int key);
int AnyKeyPressed();
void UpdateInput();
void ClearInput();
void CaptureMouse();
void ReleaseMouse();
int ReadJoystick(int which);

// Message handlers, called by the window procedure.
void OnKeyDown(WPARAM key);
void OnKeyUp(WPARAM key);
void OnLeftButtonDown();
void OnLeftButtonUp();
void OnRightButtonDown();
void OnRightButtonUp();

// Player controls.
void ApplyDefaultBindings();
void ClearPlayerControls();
