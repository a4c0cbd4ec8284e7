// Key states, mouse buttons and pointer, joystick.
#pragma once
#include <cstdint>

#include "platform/window.h"

namespace zorta {

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
// The button as a frame sees it: down, or pressed since the last UpdateInput.
// A click whose press and release arrive in one turn thus reads down for one frame.
int SampleLeftButton();
int SampleRightButton();
int ReadJoystick(int which);
// -1 when joystick `which` (0 first, any other value second) can be read: a
// game gives it to a player only where one is connected.
int JoystickPresent(int which);

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

// Player controls: four directions and three buttons per player, from seven
// bound keys or a joystick.
enum : uint32_t {
  ControlLeft = 1,
  ControlRight = 2,
  ControlUp = 4,
  ControlDown = 8,
  ControlButton1 = 16,
  ControlButton2 = 32,
  ControlButton3 = 64,
};
typedef uint32_t ControlBits;
const int ControlCount = 7;
const int PlayerCount = 2;

struct PlayerControl {
  int32_t bindings[ControlCount];  // virtual-key code per control, in bit order; 0 = none
  int32_t UseJoystick;             // -1: read the joystick instead of the keys
  ControlBits current;             // down in this frame's sample
  ControlBits previous;            // down in the previous sample
  ControlBits pressed;             // went down since the pressed bits were last cleared
};
extern PlayerControl PlayerControls[PlayerCount];

void UpdatePlayerControls();
void ApplyDefaultBindings();
void ClearPlayerControls();       // current and pressed of both players
void ClearPressedControls();      // pressed of both players, after each logic step
// For game code: rebind one control (its bit, 1 to 64) of player 0 or 1, or
// switch a player to the joystick. -1 on success, 0 for a bad player or bit.
int BindControl(int player, ControlBits control, int key);
int SetUseJoystick(int player, int use);

}  // namespace zorta
