// The one reset of the test programs: the platform's test hooks, the shared
// settings, then each floor from the ground up, as far as the floor the test
// program links (ZORTA_TEST_HAS_<room> for each, set by tests/CMakeLists.txt
// from src/floors.txt).
// Below the shell nothing shows a fatal error, so the tests install an action
// that records it the way the shell's does: a message box titled "Error" and
// the program marked as shut down.
#pragma once
#include <cstdio>
#include <string>

#include "platform/testing.h"
#include "platform/window.h"

#ifdef ZORTA_TEST_HAS_base
#include "base/settings.h"
#endif
#ifdef ZORTA_TEST_HAS_app
#include "app/app.h"
#endif
#ifdef ZORTA_TEST_HAS_world
#include "world/world.h"
#endif
#ifdef ZORTA_TEST_HAS_gui
#include "gui/gui.h"
#endif
#ifdef ZORTA_TEST_HAS_input
#include "input/input.h"
#endif

using namespace zorta;

// Fatal errors seen since the last reset, with the last one's message.
inline int& FatalErrorsForTests() {
  static int count = 0;
  return count;
}
inline std::string& LastFatalErrorForTests() {
  static std::string text;
  return text;
}
#ifdef ZORTA_TEST_HAS_base
inline void RecordFatalErrorForTests() {
  FatalErrorsForTests()++;
  LastFatalErrorForTests() = ErrorText;
  ShutdownDone = -1;
  fprintf(stderr, "Error: %s\n", ErrorText);
  WinMessageBox(ErrorText, "Error");
}
#endif

inline void ResetForTests() {
  SeamReset();
  WinSeamReset();
  DisplaySeamReset();
  SoundSeamReset();
  FatalErrorsForTests() = 0;
  LastFatalErrorForTests().clear();
#if defined(ZORTA_TEST_HAS_app)
  ResetAppState();  // the settings too, and the shell's fatal-error action
#elif defined(ZORTA_TEST_HAS_base)
  ResetSettings();
  SetFatalErrorAction(RecordFatalErrorForTests);
#endif
#ifdef ZORTA_TEST_HAS_input
  ClearInput();
  KeyboardGrabbed = 0;
#endif
#ifdef ZORTA_TEST_HAS_gui
  ResetGuiState();
#endif
#ifdef ZORTA_TEST_HAS_world
  ResetWorldState();
  ClearObjects();
#endif
}
