// The settings every layer reads and the one way to stop on an error. They
// live at the ground so that nothing below the shell needs the shell; the
// shell fills them in at start-up and installs what a fatal error does.
#pragma once
#include <cstdint>

namespace zorta {

extern int32_t ScreenWidth;   // back-buffer size in pixels
extern int32_t ScreenHeight;
extern int32_t ColorDepth;    // 15, 16, 24 or 32 once the display is set up
extern int32_t FullScreen;    // -1 in full screen
extern int32_t WindowX;       // the window's outer top-left corner in windowed mode
extern int32_t WindowY;
extern char ErrorText[256];   // the message of a fatal error, written before FatalError
// -1 once the shell has shut down: the display and sound are gone and the
// rest of the current frame must not touch them.
extern int32_t ShutdownDone;

// Stops the program with the message in ErrorText, through the action the
// shell installed (shutdown, message box, quit). Returns to its caller.
void FatalError();
// Installs the action of FatalError; null: only the message on stderr.
void SetFatalErrorAction(void (*action)());

// Back to the state at program start (for tests).
void ResetSettings();

}  // namespace zorta
