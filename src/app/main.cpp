#include "app/app.h"
#include "platform/text.h"

int main(int, char**) {
  int rc = WinMain(nullptr, nullptr, "", 1);
  TextShutdown();
  WinShutdownPlatform();
  return rc;
}
