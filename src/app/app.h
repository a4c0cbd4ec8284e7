// The application shell: settings, the window procedure, start-up, the frame
// loop and shutdown.
#pragma once
#include <cstdint>

#include "base/settings.h"
#include "platform/window.h"
#include "zorta/app.h"

namespace zorta {

extern char WindowTitle[64];
extern int32_t AppActive;
extern int32_t EscapeQuits;

const uint32_t MinFrameTime = 4;

// The demo program: the shell wired to the demo screen (program.cpp).
int WinMain(void* instance, void* previousInstance, const char* commandLine, int showCommand);
// Wires the layers' callbacks upward: ConnectShell, and the world frame ends
// with the demo screen. Called by WinMain before start-up.
void ConnectSubsystems();

// The shell's own wiring, for any program on the framework: the RootWindow
// draws the world frame; a display mode change releases and recreates the
// images' surfaces. What the world frame draws last is the program's choice
// (SetWorldFrameLastDrawing).
void ConnectShell();
// Start-up, the frame loop until WM_QUIT, and the window's end; the exit
// code. `setUp` (or null) runs once the defaults are applied and the bank is
// built, before the window exists: a program registers its object types,
// bindings and caption there.
int RunShell(void* instance, int showCommand, void (*setUp)());
// What a run of the shell does beside the frames: whether it builds the bank
// and starts the user's sounds, the program's set-up before the window and
// once the display is up, and how many frames it runs (0: until closed).
struct ShellRun {
  int32_t soundBank = -1;
  void (*beforeWindow)() = nullptr;
  void (*afterWindow)() = nullptr;
  uint32_t frames = 0;
};
int RunShellWith(void* instance, int showCommand, const ShellRun& run);
// Frames run (presented) since the shell started.
extern uint32_t FramesRun;
void InitApp();
void ApplyDefaults();
int CreateMainWindow(void* instance, int showCommand);
void PostWindowInit();
void RunFrame();
// One turn of the frame loop: -1 to go on, 0 when WM_QUIT arrived (its exit
// code in *exitCode).
int RunLoopTurn(int* exitCode);
LRESULT MainWindowProc(uint32_t message, WPARAM wParam, LPARAM lParam);
void Shutdown();
// What FatalError does once the shell runs: Shutdown, the message box titled
// "Error", WM_QUIT. Installed by InitApp.
void ShowFatalError();
// Reports a failed recipe of the user's Sounds/ folder: a log line and the
// message window with file, line, column and message.
void ShowUserSoundError(const char* file, int line, int column, const char* message);
// Starts making the user's sounds at start-up without waiting for them: the
// errors of every broken start-up file show together in one window.
void LoadUserSoundsAtStart();
// Each frame: puts the user's sounds made since in their slots and looks at
// the folder; the start-up window of errors is complete once all are made.
void PollUserSoundsInFrame();

void SaveAccessibilityKeys();
void DisableAccessibilityKeys();
void RestoreAccessibilityKeys();

// Puts the shell back to its state at program start, the settings and the
// fatal-error action with it (for tests).
void ResetAppState();

}  // namespace zorta
