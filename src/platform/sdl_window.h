// Inside the platform layer only: the SDL window behind the window stand-in.
#pragma once
#include <SDL.h>

SDL_Window* WinSdlWindow();
