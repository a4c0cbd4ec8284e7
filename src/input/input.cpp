#include "input/input.h"

#include <cstring>

#include "base/settings.h"
#include "platform/joystick.h"

namespace zorta {

// The public key codes are the window system's own: a key reported by it
// reaches KeyState under the code a program asks for.
constexpr int KeyCodePairs[][2] = {
    {KeyBackspace, VK_BACK}, {KeyTab, VK_TAB}, {KeyReturn, VK_RETURN}, {KeyShift, VK_SHIFT},
    {KeyControl, VK_CONTROL}, {KeyAlt, VK_MENU}, {KeyPause, VK_PAUSE}, {KeyCapsLock, VK_CAPITAL},
    {KeyEscape, VK_ESCAPE}, {KeySpace, VK_SPACE}, {KeyPageUp, VK_PRIOR}, {KeyPageDown, VK_NEXT},
    {KeyEnd, VK_END}, {KeyHome, VK_HOME}, {KeyLeft, VK_LEFT}, {KeyUp, VK_UP},
    {KeyRight, VK_RIGHT}, {KeyDown, VK_DOWN}, {KeyPrintScreen, VK_SNAPSHOT}, {KeyInsert, VK_INSERT},
    {KeyDelete, VK_DELETE}, {KeyNumpad0, VK_NUMPAD0}, {KeyMultiply, VK_MULTIPLY}, {KeyAdd, VK_ADD},
    {KeySubtract, VK_SUBTRACT}, {KeyDecimal, VK_DECIMAL}, {KeyDivide, VK_DIVIDE}, {KeyF1, VK_F1},
};
constexpr bool KeyCodesMatch() {
  for (const auto& pair : KeyCodePairs)
    if (pair[0] != pair[1]) return false;
  return true;
}
static_assert(KeyCodesMatch(), "public key codes differ from the window system's");

uint8_t KeyState[256];
int32_t AnyKeyDown = 0;
int32_t KeyboardGrabbed = 0;
int32_t PointerX = 0;
int32_t PointerY = 0;
int32_t LeftButtonDown = 0;
int32_t RightButtonDown = 0;
int32_t CaptureCount = 0;

namespace {
// A press no frame has sampled yet (set by the button-down message, cleared
// by UpdateInput): a tap whose release comes in the same turn is not lost.
int32_t leftPressUnseen = 0;
int32_t rightPressUnseen = 0;
}  // namespace

int KeyPressed(int key) { return (KeyState[key & 0xFF] == 1 && !KeyboardGrabbed) ? -1 : 0; }

int KeyHeld(int key) {
  uint8_t s = KeyState[key & 0xFF];
  return ((s == 1 || s == 2) && !KeyboardGrabbed) ? -1 : 0;
}

int AnyKeyPressed() { return KeyboardGrabbed ? 0 : AnyKeyDown; }

void UpdateInput() {
  int x = 0, y = 0;
  if (WinGetCursorPos(&x, &y)) {
    if (!FullScreen) WinScreenToClient(&x, &y);
    PointerX = x;
    PointerY = y;
  }
  AnyKeyDown = 0;
  leftPressUnseen = rightPressUnseen = 0;
  for (uint8_t& s : KeyState) {
    if (s == 1)
      s = 2;
    else if (s == 3)
      s = 0;
  }
}

void ClearInput() {
  memset(KeyState, 0, sizeof KeyState);
  AnyKeyDown = 0;
  ClearPlayerControls();
  LeftButtonDown = 0;
  RightButtonDown = 0;
  leftPressUnseen = rightPressUnseen = 0;
}

int SampleLeftButton() { return (LeftButtonDown || leftPressUnseen) ? -1 : 0; }
int SampleRightButton() { return (RightButtonDown || rightPressUnseen) ? -1 : 0; }

void CaptureMouse() {
  if (CaptureCount > 0) {
    CaptureCount++;
  } else {
    WinSetCapture();
    CaptureCount = 1;
  }
}

void ReleaseMouse() {
  CaptureCount--;
  if (CaptureCount <= 0) {
    WinReleaseCapture();
    CaptureCount = 0;
  }
}

void OnKeyDown(WPARAM key) {
  if (key < 256) {
    KeyState[key] = 1;
    AnyKeyDown = -1;
  }
}

void OnKeyUp(WPARAM key) {
  if (key < 256 && KeyState[key] != 0) KeyState[key] = 3;
}

void OnLeftButtonDown() {
  CaptureMouse();
  LeftButtonDown = -1;
  leftPressUnseen = -1;
}

namespace {
// The first press of a turn places the pointer: the frame that sees it judges
// it there, and the next UpdateInput samples the pointer anew.
void PlacePress(int32_t x, int32_t y) {
  if (leftPressUnseen || rightPressUnseen) return;
  PointerX = x;
  PointerY = y;
}
}  // namespace

void OnLeftButtonDown(int32_t x, int32_t y) {
  PlacePress(x, y);
  OnLeftButtonDown();
}

void OnRightButtonDown(int32_t x, int32_t y) {
  PlacePress(x, y);
  OnRightButtonDown();
}

void OnLeftButtonUp() {
  LeftButtonDown = 0;
  ReleaseMouse();
}

void OnRightButtonDown() {
  CaptureMouse();
  RightButtonDown = -1;
  rightPressUnseen = -1;
}

void OnRightButtonUp() {
  RightButtonDown = 0;
  ReleaseMouse();
}

int JoystickPresent(int which) {
  JOYINFO info;
  return joyGetPos(which == 0 ? JOYSTICKID1 : JOYSTICKID2, &info) == JOYERR_NOERROR ? -1 : 0;
}

int ReadJoystick(int which) {
  JOYINFO info;
  if (joyGetPos(which == 0 ? JOYSTICKID1 : JOYSTICKID2, &info) != JOYERR_NOERROR) return 0;
  int bits = 0;
  if (info.wXpos < 14000) bits += 1;
  if (info.wXpos > 50000) bits += 2;
  if (info.wYpos < 14000) bits += 4;
  if (info.wYpos > 50000) bits += 8;
  if (info.wButtons & JOY_BUTTON1) bits += 16;
  if (info.wButtons & JOY_BUTTON2) bits += 32;
  if (info.wButtons & JOY_BUTTON3) bits += 64;
  return bits;
}

}  // namespace zorta
