// Joystick stand-in: joyGetPos-shaped reading of the first two joysticks.
// Axes run from 0 to 65535 (centre 32767 or 32768), buttons are the three
// lowest bits of wButtons. Backed by SDL2's joystick API, opened on first use.
#pragma once
#include <cstdint>

namespace zorta {

enum : uint32_t {
  JOYSTICKID1 = 0,
  JOYSTICKID2 = 1,
  JOYERR_NOERROR = 0,
  JOYERR_PARMS = 165,
  JOYERR_UNPLUGGED = 167,
  JOY_BUTTON1 = 1,
  JOY_BUTTON2 = 2,
  JOY_BUTTON3 = 4,
};

struct JOYINFO {
  uint32_t wXpos;
  uint32_t wYpos;
  uint32_t wZpos;
  uint32_t wButtons;
};

uint32_t joyGetPos(uint32_t id, JOYINFO* info);

}  // namespace zorta
