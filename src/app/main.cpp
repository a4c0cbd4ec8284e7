#include "app/app.h"
#include "platform/text.h"

int main(int, char**) {
  int rc = zorta::WinMain(nullptr, nullptr, "", 1);
  zorta::TextShutdown();
  zorta::WinShutdownPlatform();
  return rc;
}
