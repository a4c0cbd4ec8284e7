#include "app/app.h"

int main(int, char**) {
  int rc = WinMain(nullptr, nullptr, "", 1);
  WinShutdownPlatform();
  return rc;
}
