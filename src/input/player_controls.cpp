#include "input/input.h"

#include <cstring>

namespace zorta {

PlayerControl PlayerControls[PlayerCount];

void ApplyDefaultBindings() {
  static const int32_t player1[ControlCount] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_SHIFT, VK_CONTROL, VK_SPACE};
  memcpy(PlayerControls[0].bindings, player1, sizeof player1);
  memset(PlayerControls[1].bindings, 0, sizeof PlayerControls[1].bindings);
}

void ClearPlayerControls() {
  for (PlayerControl& p : PlayerControls) {
    p.current = 0;
    p.pressed = 0;
  }
}

void ClearPressedControls() {
  for (PlayerControl& p : PlayerControls) p.pressed = 0;
}

void UpdatePlayerControls() {
  for (int n = 0; n < PlayerCount; n++) {
    PlayerControl& p = PlayerControls[n];
    p.current = 0;
    if (p.UseJoystick) {
      // Player 2 has the second stick only when player 1 takes the first.
      int which = PlayerControls[0].UseJoystick ? n : 0;
      // While a window holds the keyboard every control reads up, the stick's too.
      if (!KeyboardGrabbed) p.current = static_cast<ControlBits>(ReadJoystick(which));
      p.pressed |= p.current & ~p.previous;
    } else {
      for (int i = 0; i < ControlCount; i++) {
        if (KeyHeld(p.bindings[i])) p.current |= 1u << i;
      }
      // KeyPressed repeats with the keyboard's auto-repeat; a control already
      // down in the last sample is no new press.
      for (int i = 0; i < ControlCount; i++) {
        ControlBits bit = 1u << i;
        if (KeyPressed(p.bindings[i]) && !(p.previous & bit)) p.pressed |= bit;
      }
    }
    p.previous = p.current;
  }
}

int BindControl(int player, ControlBits control, int key) {
  if (player < 0 || player >= PlayerCount || key < 0 || key > 255) return 0;
  for (int i = 0; i < ControlCount; i++) {
    if (control == (1u << i)) {
      PlayerControls[player].bindings[i] = key;
      return -1;
    }
  }
  return 0;
}

int SetUseJoystick(int player, int use) {
  if (player < 0 || player >= PlayerCount) return 0;
  PlayerControls[player].UseJoystick = use ? -1 : 0;
  return -1;
}

}  // namespace zorta
