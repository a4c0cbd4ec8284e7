// The one reset of the test programs: the platform's test hooks, the shared
// settings, then each floor from the ground up, as far as the floor the test
// program links (ZORTA_TEST_FLOOR_<room>, set by tests/CMakeLists.txt).
// Below the shell nothing shows a fatal error, so the tests install an action
// that records it the way the shell's does: a message box titled "Error" and
// the program marked as shut down.
#pragma once
#include <cstdio>
#include <string>

#include "app/settings.h"
#include "platform/testing.h"
#include "platform/window.h"

#if defined(ZORTA_TEST_FLOOR_app)
#define ZORTA_TEST_HAS_APP 1
#endif
#if defined(ZORTA_TEST_HAS_APP) || defined(ZORTA_TEST_FLOOR_world) || defined(ZORTA_TEST_FLOOR_game)
#define ZORTA_TEST_HAS_WORLD 1
#endif
#if defined(ZORTA_TEST_HAS_WORLD) || defined(ZORTA_TEST_FLOOR_gui)
#define ZORTA_TEST_HAS_GUI 1
#endif
#if defined(ZORTA_TEST_HAS_WORLD) || defined(ZORTA_TEST_FLOOR_image) || defined(ZORTA_TEST_FLOOR_tools)
#define ZORTA_TEST_HAS_IMAGE 1
#endif
#if defined(ZORTA_TEST_HAS_IMAGE) || defined(ZORTA_TEST_HAS_GUI) || defined(ZORTA_TEST_FLOOR_display)
#define ZORTA_TEST_HAS_DISPLAY 1
#endif
#if defined(ZORTA_TEST_HAS_DISPLAY) || defined(ZORTA_TEST_FLOOR_input)
#define ZORTA_TEST_HAS_INPUT 1
#endif

#ifdef ZORTA_TEST_HAS_APP
#include "app/app.h"
#endif
#ifdef ZORTA_TEST_HAS_WORLD
#include "world/world.h"
#endif
#ifdef ZORTA_TEST_HAS_GUI
#include "gui/gui.h"
#endif
#ifdef ZORTA_TEST_HAS_INPUT
#include "input/input.h"
#endif

// Fatal errors seen since the last reset, with the last one's message.
inline int& FatalErrorsForTests() {
  static int count = 0;
  return count;
}
inline std::string& LastFatalErrorForTests() {
  static std::string text;
  return text;
}
inline void RecordFatalErrorForTests() {
  FatalErrorsForTests()++;
  LastFatalErrorForTests() = ErrorText;
  ShutdownDone = -1;
  fprintf(stderr, "Error: %s\n", ErrorText);
  WinMessageBox(ErrorText, "Error");
}

inline void ResetForTests() {
  SeamReset();
  WinSeamReset();
  DisplaySeamReset();
  SoundSeamReset();
  FatalErrorsForTests() = 0;
  LastFatalErrorForTests().clear();
#ifdef ZORTA_TEST_HAS_APP
  ResetAppState();  // the settings too, and the shell's fatal-error action
#else
  ResetSettings();
  SetFatalErrorAction(RecordFatalErrorForTests);
#endif
#ifdef ZORTA_TEST_HAS_INPUT
  ClearInput();
  KeyboardGrabbed = 0;
#endif
#ifdef ZORTA_TEST_HAS_GUI
  ResetGuiState();
#endif
#ifdef ZORTA_TEST_HAS_WORLD
  ResetWorldState();
  ClearObjects();
#endif
}
