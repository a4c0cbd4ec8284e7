#include "input/input.h"

// Filled in with the player controls.
void ApplyDefaultBindings() {}
void ClearPlayerControls() {}
int ReadJoystick(int) { return 0; }
