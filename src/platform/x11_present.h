// Inside the platform layer only: a way to show the picture where SDL's
// renderers cannot, in windows of an X server with 8 or fewer bits per pixel
// (SDL knows no pixel format for them). Colours go through a 6 x 6 x 6 cube
// allocated in the window's colour map; the picture is put with XPutImage.
#pragma once
#include <SDL.h>

namespace zorta {

struct X11Presenter;

// Null when the window is not an X11 window, or its visual is not one served here.
X11Presenter* X11PresenterCreate(SDL_Window* window);
void X11PresenterDestroy(X11Presenter* p);
// Shows `src` scaled into `dst` (window coordinates), black elsewhere in the
// window of size `windowW` x `windowH`. -1 on success.
int X11PresenterShow(X11Presenter* p, SDL_Surface* src, const SDL_Rect& dst, int windowW, int windowH);

}  // namespace zorta
