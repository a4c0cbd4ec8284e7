// The ground of the framework: the settings every floor reads, the one way
// to stop on an error, the millisecond clock, the random numbers and the log.
#pragma once
#include <cstdint>

namespace zorta {

/// Back-buffer width in pixels (640 unless the program changes it).
extern int32_t ScreenWidth;
/// Back-buffer height in pixels (480 unless the program changes it).
extern int32_t ScreenHeight;
/// Pixel depth: 15, 16, 24 or 32 once the display is set up.
extern int32_t ColorDepth;
/// -1 while the program runs full screen.
extern int32_t FullScreen;
/// The window's outer left edge in windowed mode.
extern int32_t WindowX;
/// The window's outer top edge in windowed mode.
extern int32_t WindowY;
/// The message of a fatal error, written before FatalError is called.
extern char ErrorText[256];
/// -1 once the program has shut down: the rest of the frame must not draw or play.
extern int32_t ShutdownDone;

/// Stops the program with the message in ErrorText (shutdown, message box, quit); returns to its caller.
void FatalError();

/// Milliseconds since the clock was first read.
uint32_t GetTicks();
/// Restarts the random numbers of RandomUnit from the seed.
void SeedRandom(double seed);
/// The next random number in [0, 1).
double RandomUnit();
/// Appends the text as it stands to "log.txt".
void WriteLog(const char* text);

}  // namespace zorta
