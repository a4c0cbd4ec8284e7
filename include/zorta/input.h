// Keys, the mouse, joysticks and the two players' controls, as each frame
// samples them.
#pragma once
#include <cstdint>

#include "zorta/base.h"

namespace zorta {

/// Key codes of KeyPressed, KeyHeld and BindControl; a letter or digit key is its upper-case character ('A', '7').
enum : int {
  KeyBackspace = 8,  // Backspace
  KeyTab = 9,        // Tab
  KeyReturn = 13,  // Enter
  KeyShift = 16,     // either Shift key
  KeyControl = 17,   // either Ctrl key
  KeyAlt = 18,       // either Alt key
  KeyPause = 19,     // Pause
  KeyCapsLock = 20,  // Caps Lock
  KeyEscape = 27,    // Esc
  KeySpace = 32,     // the space bar
  KeyPageUp = 33,    // Page Up; keypad 9 too while Num Lock is off
  KeyPageDown = 34,  // Page Down; keypad 3 too while Num Lock is off
  KeyEnd = 35,       // End; keypad 1 too while Num Lock is off
  KeyHome = 36,      // Home; keypad 7 too while Num Lock is off
  KeyLeft = 37,      // cursor left; keypad 4 too while Num Lock is off
  KeyUp = 38,        // cursor up; keypad 8 too while Num Lock is off
  KeyRight = 39,     // cursor right; keypad 6 too while Num Lock is off
  KeyDown = 40,      // cursor down; keypad 2 too while Num Lock is off
  KeyPrintScreen = 44,  // Print Screen
  KeyInsert = 45,    // Insert; keypad 0 too while Num Lock is off
  KeyDelete = 46,    // Delete; the keypad's point too while Num Lock is off
  KeyNumpad0 = 96,  // up to KeyNumpad0 + 9
  KeyMultiply = 106,  // keypad *
  KeyAdd = 107,       // keypad +
  KeySubtract = 109,  // keypad -
  KeyDecimal = 110,   // keypad point, while Num Lock is on
  KeyDivide = 111,    // keypad /
  KeyF1 = 112,  // up to KeyF1 + 11, F12
};

/// Each key's state by key code: 0 up, 1 went down, 2 held, 3 released.
extern uint8_t KeyState[256];
/// -1 when a key went down since the last frame.
extern int32_t AnyKeyDown;
/// -1 while a window of the framework holds the keyboard: the key tests then read nothing.
extern int32_t KeyboardGrabbed;
/// The pointer's position in screen pixels.
extern int32_t PointerX;
/// The pointer's position in screen pixels.
extern int32_t PointerY;
/// -1 while the left mouse button is down.
extern int32_t LeftButtonDown;
/// -1 while the right mouse button is down.
extern int32_t RightButtonDown;

/// -1 when the key went down since the last frame.
int KeyPressed(int key);
/// -1 while the key is down.
int KeyHeld(int key);
/// -1 when any key went down since the last frame.
int AnyKeyPressed();
/// -1 when the left button is down or was pressed since the last frame.
int SampleLeftButton();
/// -1 when the right button is down or was pressed since the last frame.
int SampleRightButton();
/// The control bits joystick `which` (0 first, else second) reads now.
int ReadJoystick(int which);
/// -1 when joystick `which` (0 first, any other value second) is connected.
int JoystickPresent(int which);

/// Bits of a player's controls: four directions and three buttons.
enum : uint32_t {
  ControlLeft = 1,      // stick left; player 0's key by default: KeyLeft
  ControlRight = 2,     // stick right; KeyRight
  ControlUp = 4,        // stick up; KeyUp
  ControlDown = 8,      // stick down; KeyDown
  ControlButton1 = 16,  // joystick button 1; KeyShift
  ControlButton2 = 32,  // joystick button 2; KeyControl
  ControlButton3 = 64,  // joystick button 3; KeySpace
};
/// A set of Control* bits.
typedef uint32_t ControlBits;
/// Controls per player.
const int ControlCount = 7;
/// Players with controls of their own.
const int PlayerCount = 2;

/// One player's controls: from seven bound keys or a joystick.
struct PlayerControl {
  int32_t bindings[ControlCount];  // key code per control, in bit order; 0 = none
  int32_t UseJoystick;             // -1: read the joystick instead of the keys
  ControlBits current;             // down in this frame's sample
  ControlBits previous;            // down in the previous sample
  ControlBits pressed;             // went down since the pressed bits were last cleared
};
/// Player 0's and player 1's controls, sampled each frame; the logic steps read them.
extern PlayerControl PlayerControls[PlayerCount];

/// Empties current and pressed of both players.
void ClearPlayerControls();
/// Empties pressed of both players (done after each logic step).
void ClearPressedControls();
/// Binds one control (its bit, 1 to 64) of player 0 or 1 to a key; -1, or 0 for a bad player or bit.
int BindControl(int player, ControlBits control, int key);
/// Gives player 0 or 1 the joystick (-1) or the keys (0); -1, or 0 for a bad player.
int SetUseJoystick(int player, int use);

}  // namespace zorta
