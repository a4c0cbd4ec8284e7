// Inside the platform layer only: the SDL window behind the window stand-in.
#pragma once
#include <SDL.h>

namespace zorta {

SDL_Window* WinSdlWindow();

// True once after the window system has asked for the window's picture again
// (uncovered, shown, resized): the next presentation must put it on the screen
// even when it has not changed.
bool WinTakePictureDamage();

}  // namespace zorta
