#include <SDL.h>

#include "app/app.h"

int main(int, char**) {
  int rc = WinMain(nullptr, nullptr, "", 1);
  SDL_Quit();
  return rc;
}
