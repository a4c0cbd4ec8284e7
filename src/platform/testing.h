// Test hooks of the platform stand-ins: fault injection, call recording and
// the scripted state of each stand-in. They exist only in the test build of
// the platform library (zorta_platform_testing); the program and the tool
// link the product build, which has none of them. Include this header only
// from tests, benchmarks and fuzz targets.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/window.h"

namespace zorta {

// Faults, shared by the stand-ins: a named platform call fails.
// Makes the named call (for example "FSOUND_Init" or "CreateSurface") fail the
// next `times` times it is made; a negative count fails it until SeamReset.
void SeamFailCall(const char* name, int times = -1);
// Returns true when the named call should fail now, consuming one armed failure.
bool SeamShouldFail(const char* name);
// Like SeamFailCall, for results that ask the caller to try again
// (DDERR_WASSTILLDRAWING): the next `times` calls report it.
void SeamStillDrawing(const char* name, int times);
bool SeamShouldReportStillDrawing(const char* name);

// Recording of calls, for tests that check which platform calls were made.
void SeamRecordCalls(bool on);
bool SeamRecording();  // whether calls are being recorded now
void SeamRecord(const std::string& call);
const std::vector<std::string>& SeamCalls();
void SeamClearCalls();

// Disarms every failure and clears the record.
void SeamReset();

// Window. Scripted state for the window stand-in.
void WinSeamSetCursorPos(int x, int y);  // the cursor reads here from now on
void WinSeamReleaseCursor();              // back to the real cursor
// Pointer events in window pixels, as the window system reports them: they
// wait until the loop next reads its messages, and from then on the cursor
// reads where the last of them happened.
void WinSeamMouseMove(int x, int y);
void WinSeamMouseButton(int right, int down, int x, int y);
int WinSeamMessageBoxCount();
const char* WinSeamLastMessageBox();      // "caption: text"
void WinSeamGetAccessibility(STICKYKEYS* sticky, FILTERKEYS* filter);
// A message that arrives only once the loop waits for one (WinWaitMessage).
void WinSeamPostOnWait(uint32_t message, WPARAM wParam, LPARAM lParam);
int WinSeamWaitCount();
// Dispatches messages to `proc` without creating a window.
void WinSeamSetWindowProc(WindowProc proc);
// The window system reports part of the window uncovered (as after another
// window moved away), through the same event path as a real one.
void WinSeamExposeWindow();
void WinSeamReset();                      // empties the queue and forgets the scripted state
// Faults: "CreateWindow".

// Clock. A fake clock replaces the real one: its counter runs at 1 MHz
// (or the frequency set after ClockSeamUseFake), advances only through
// ClockSeamAdvance* and through SleepMs, which also records the requested
// sleeps. The uptime follows the microseconds advanced, not raw counts.
void ClockSeamUseFake(bool on);
void ClockSeamAdvanceMicros(int64_t micros);
void ClockSeamSetFrequency(int64_t countsPerSecond);
void ClockSeamAdvanceCounts(int64_t counts);
void ClockSeamSetNoCounter(bool absent);
void ClockSeamSetUptime(uint32_t ms);
uint32_t ClockSeamTotalSleptMs();
int ClockSeamSleepCount();
uint32_t ClockSeamLastSleepMs();

// Display. Calls fail by name through SeamFailCall: "DirectDrawCreate",
// "SetCooperativeLevel", "SetDisplayMode", "CreateSurface", "GetAttachedSurface",
// "GetPixelFormat", "CreateClipper", "SetHWnd", "SetClipper", "Blt", "BltFast",
// "Lock", "GetSurfaceDesc", "CreateRenderer", "CreateTexture" and "UpdateTexture"
// (the picture does not reach the window), and "GetDC" of the text stand-in;
// "Flip", "Lock", "Blt" and "BltFast" report DDERR_WASSTILLDRAWING through
// SeamStillDrawing.
void DisplaySeamSetDesktopDepth(int bits);  // 0: read it from SDL again
void DisplaySeamRefuseDepth(int bits);      // SetDisplayMode refuses this depth (0: none)
// Masks a 16-bit display mode reports (and whose layout its surfaces get);
// all 0 for the usual 5-6-5.
void DisplaySeamSetModeMasks(uint32_t red, uint32_t green, uint32_t blue);
void DisplaySeamSetPitchPadding(int pixels);  // extra pixels at the end of every new surface row
void DisplaySeamLoseSurfaces();              // every live surface reports DDERR_SURFACELOST
// A pixel of any surface in its own layout (24 bits: blue | green << 8 | red << 16);
// 0xFFFFFFFF outside the surface or for a surface without pixels.
uint32_t DisplaySeamReadPixel(DirectDrawSurface* s, int x, int y);
// Every colour fill through SDL_FillRect (to measure it against the row fill).
void DisplaySeamUseLibraryFill(bool on);
int DisplaySeamLiveSurfaces();
int DisplaySeamPresentCount();
// Presentations that put a picture on the screen: one that repeats the
// picture last shown, with nothing over the window since, puts none.
int DisplaySeamPictureUploads();
// Called at every presentation of a picture (for tests that act once a given
// number of frames has been shown); null for none.
void DisplaySeamOnPresent(void (*callback)());
int DisplaySeamFullScreen();  // -1 while a display mode is set
void DisplaySeamReset();

// Text.
const char* TextSeamFontFile(const char* face);  // the font file a face name resolved to ("" when none)
int TextSeamFontOpens();                          // how many times a font file was opened

// Sound: the version the library reports (3.71 unless set), whether output
// is open and whether it is paused. Calls can be made to fail through
// SeamFailCall("FSOUND_Init"), ("FSOUND_Sample_Alloc"), ("FSOUND_Sample_Lock");
// the calls the program makes (GetVersion, Init, Close, Sample_Alloc, _Lock,
// _Unlock, PlaySound, SetPaused) are recorded, e.g. "FSOUND_PlaySound(-1,0x...)".
void SoundSeamSetVersion(float version);
bool SoundSeamOutputOpen();
bool SoundSeamPaused();
int SoundSeamPlayCount();
void SoundSeamReset();

// Joystick: a scripted joystick replaces the real device `id` (0 or 1) until
// JoystickSeamUnplug or JoystickSeamReset; -1 for a button that is down.
void JoystickSeamSet(uint32_t id, uint32_t x, uint32_t y, int button1, int button2, int button3);
void JoystickSeamUnplug(uint32_t id);  // scripted: reads as not attached
void JoystickSeamReset();              // back to the real devices

}  // namespace zorta
