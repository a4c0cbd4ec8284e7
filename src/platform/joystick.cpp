#include "platform/joystick.h"

#include <SDL.h>

#ifdef ZORTA_TESTING
#include "platform/testing.h"
#endif

namespace zorta {

namespace {
#ifdef ZORTA_TESTING
enum ScriptState { Real, Scripted, Unplugged };
#endif

struct Stick {
  SDL_Joystick* device;
#ifdef ZORTA_TESTING
  ScriptState script;  // a scripted stick stands in for the device in tests
  JOYINFO scripted;
#endif
};
Stick sticks[2];
bool subsystemTried = false;
bool subsystemUp = false;

// SDL's axes run -32768..32767; the Windows call reports 0..65535.
uint32_t AxisValue(SDL_Joystick* device, int axis) {
  if (SDL_JoystickNumAxes(device) <= axis) return 32767;
  return static_cast<uint32_t>(static_cast<int32_t>(SDL_JoystickGetAxis(device, axis)) + 32768);
}

SDL_Joystick* OpenDevice(uint32_t id) {
  if (!subsystemTried) {
    subsystemTried = true;
    subsystemUp = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
  }
  if (!subsystemUp) return nullptr;
  Stick& s = sticks[id];
  if (s.device != nullptr && !SDL_JoystickGetAttached(s.device)) {
    SDL_JoystickClose(s.device);
    s.device = nullptr;
  }
  if (s.device == nullptr && SDL_NumJoysticks() > static_cast<int>(id)) s.device = SDL_JoystickOpen(static_cast<int>(id));
  return s.device;
}
}  // namespace

uint32_t joyGetPos(uint32_t id, JOYINFO* info) {
  if (id > JOYSTICKID2 || info == nullptr) return JOYERR_PARMS;
#ifdef ZORTA_TESTING
  Stick& s = sticks[id];
  if (s.script == Scripted) {
    *info = s.scripted;
    return JOYERR_NOERROR;
  }
  if (s.script == Unplugged) return JOYERR_UNPLUGGED;
#endif
  SDL_Joystick* device = OpenDevice(id);
  if (device == nullptr) return JOYERR_UNPLUGGED;
  SDL_JoystickUpdate();
  info->wXpos = AxisValue(device, 0);
  info->wYpos = AxisValue(device, 1);
  info->wZpos = AxisValue(device, 2);
  info->wButtons = 0;
  for (int b = 0; b < 3 && b < SDL_JoystickNumButtons(device); b++) {
    if (SDL_JoystickGetButton(device, b)) info->wButtons |= 1u << b;
  }
  return JOYERR_NOERROR;
}

#ifdef ZORTA_TESTING
void JoystickSeamSet(uint32_t id, uint32_t x, uint32_t y, int button1, int button2, int button3) {
  if (id > JOYSTICKID2) return;
  Stick& s = sticks[id];
  s.script = Scripted;
  s.scripted = JOYINFO{x, y, 32767, 0};
  if (button1) s.scripted.wButtons |= JOY_BUTTON1;
  if (button2) s.scripted.wButtons |= JOY_BUTTON2;
  if (button3) s.scripted.wButtons |= JOY_BUTTON3;
}

void JoystickSeamUnplug(uint32_t id) {
  if (id <= JOYSTICKID2) sticks[id].script = Unplugged;
}

void JoystickSeamReset() {
  for (Stick& s : sticks) s.script = Real;
}
#endif

}  // namespace zorta
