// Compiled with the Windows build, never run: a game that includes
// <windows.h> before the public header, whose macros (LoadImage among them)
// and key codes must leave the framework's names usable.
#include <windows.h>

#include <zorta/zorta.h>

using namespace zorta;

int WindowsFirst() {
  zorta::Image* image = LoadImage("hero.png", 0);
  int held = KeyHeld(KeyLeft) + KeyHeld(VK_RIGHT);
  return (image != nullptr ? 1 : 0) + held + (zorta::LoadImage("tiles.gfx", 1) != nullptr ? 1 : 0);
}
