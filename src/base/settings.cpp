#include "base/settings.h"

#include <cstdio>
#include <cstring>

namespace zorta {

int32_t ScreenWidth = 0;
int32_t ScreenHeight = 0;
int32_t ColorDepth = 0;
int32_t FullScreen = 0;
int32_t WindowX = 100;
int32_t WindowY = 100;
char ErrorText[256];
int32_t ShutdownDone = 0;

namespace {
void (*fatalErrorAction)() = nullptr;
}  // namespace

void FatalError() {
  if (fatalErrorAction != nullptr) {
    fatalErrorAction();
    return;
  }
  fprintf(stderr, "Error: %s\n", ErrorText);
}

void SetFatalErrorAction(void (*action)()) { fatalErrorAction = action; }

void ResetSettings() {
  ScreenWidth = ScreenHeight = ColorDepth = 0;
  FullScreen = 0;
  WindowX = WindowY = 100;
  memset(ErrorText, 0, sizeof ErrorText);
  ShutdownDone = 0;
}

}  // namespace zorta
