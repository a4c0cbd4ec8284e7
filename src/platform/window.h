// Window stand-in: the one top-level window, its message queue with the
// Windows message ids and virtual-key codes the program handles, mouse
// capture, the cursor, a message box and the accessibility-key settings.
// Backed by SDL2 video and events.
#pragma once
#include <cstdint>

namespace zorta {

typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef LRESULT (*WindowProc)(uint32_t message, WPARAM wParam, LPARAM lParam);

enum : uint32_t {
  WM_DESTROY = 0x0002,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_ACTIVATEAPP = 0x001C,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_RBUTTONDBLCLK = 0x0206,
};

// Windows virtual-key codes.
enum : int {
  VK_BACK = 8, VK_TAB = 9, VK_CLEAR = 12, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
  VK_PAUSE = 19, VK_CAPITAL = 20, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34,
  VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40,
  VK_SNAPSHOT = 44, VK_INSERT = 45, VK_DELETE = 46, VK_LWIN = 91, VK_RWIN = 92, VK_APPS = 93,
  VK_NUMPAD0 = 96, VK_MULTIPLY = 106, VK_ADD = 107, VK_SUBTRACT = 109, VK_DECIMAL = 110,
  VK_DIVIDE = 111, VK_F1 = 112, VK_F10 = 121, VK_F12 = 123, VK_NUMLOCK = 144, VK_SCROLL = 145,
  VK_OEM_1 = 186, VK_OEM_PLUS = 187, VK_OEM_COMMA = 188, VK_OEM_MINUS = 189, VK_OEM_PERIOD = 190,
  VK_OEM_2 = 191, VK_OEM_3 = 192, VK_OEM_4 = 219, VK_OEM_5 = 220, VK_OEM_6 = 221, VK_OEM_7 = 222,
  VK_OEM_102 = 226,
};

struct MSG {
  uint32_t message;
  WPARAM wParam;
  LPARAM lParam;
};

inline LPARAM MakeLParam(int lo, int hi) {
  return static_cast<LPARAM>((static_cast<uint32_t>(hi & 0xFFFF) << 16) | static_cast<uint32_t>(lo & 0xFFFF));
}
// The pointer position of a mouse message, signed: a captured pointer left
// or above the window reads negative.
inline int LParamX(LPARAM lp) { return static_cast<int16_t>(static_cast<uint32_t>(lp) & 0xFFFF); }
inline int LParamY(LPARAM lp) { return static_cast<int16_t>((static_cast<uint32_t>(lp) >> 16) & 0xFFFF); }

// Creates the window: caption `title`, a fixed client area of w x h whose
// outer top-left corner is at (x, y), minimisable, not resizable. Shows it
// and gives it the focus; the activation messages go to `proc`.
// -1 on success, 0 on failure (WinLastError tells why).
int WinCreateWindow(const char* title, int x, int y, int w, int h, WindowProc proc);
const char* WinLastError();
// Has SDL start its video and audio on the dummy drivers: no window is shown
// and no sound heard, all else works. Only before SDL starts them.
void WinUseHeadlessDrivers();
int WinWindowExists();
void WinDestroyWindow();  // sends WM_DESTROY to the window procedure

// Message queue.
int WinPeekMessage();          // -1 when a message is waiting
int WinGetMessage(MSG* msg);   // 0 for WM_QUIT, else -1
void WinDispatchMessage(const MSG* msg);
void WinWaitMessage();         // blocks until a message is waiting
void WinPostMessage(uint32_t message, WPARAM wParam, LPARAM lParam);
void WinPostQuitMessage(int exitCode);
LRESULT WinDefWindowProc(uint32_t message, WPARAM wParam, LPARAM lParam);
// Calls `turn(context)` until it returns 0. On the desktop a plain loop that
// then returns; in the browser each call is one frame of the page's own loop,
// which paces it, and this call never returns (the page lives on).
void WinRunLoop(int (*turn)(void* context), void* context);
// -1 where the program may start threads of its own; 0 on a web page, whose
// work all runs on the browser's one thread.
int WinThreadsAvailable();
// On a web page, where the visitor adds a file (a sound typed or dropped on
// the page, saved by it in the page's file system): `added` is called with
// the file's name once a turn, after the turn, until it answers -1 or some
// seconds have passed. Never called on the desktop.
void WinSetAddedFileHandler(int (*added)(const char* name));

// Mouse and cursor.
void WinSetCapture();
void WinReleaseCapture();
int WinHasCapture();
int WinGetCursorPos(int* x, int* y);   // desktop coordinates; -1 on success
void WinScreenToClient(int* x, int* y);
void WinClientToScreen(int* x, int* y);
int WinShowCursor(int show);           // returns the new display count
// While a full-screen picture of pictureW x pictureH is shown at (x, y) in
// w x h window pixels, the cursor reads in picture pixels, as on a screen of
// the picture's size. Set by the display at each full-screen presentation.
void WinSetPictureMapping(int x, int y, int w, int h, int pictureW, int pictureH);
void WinClearPictureMapping();

// Geometry, used by the display when it switches between window and full screen.
void WinGetWindowRect(int* x, int* y, int* w, int* h);  // outer rectangle
void WinSetPopupStyle(int popup);                     // -1: borderless; 0: caption and system menu
void WinSetWindowPos(int x, int y, int w, int h);      // outer position, client size
void WinGetClientSize(int* w, int* h);

void WinMessageBox(const char* text, const char* caption);
// Ends the platform layer at program exit (after the window is gone).
void WinShutdownPlatform();

// Accessibility settings, kept in memory (no effect on Linux).
struct STICKYKEYS {
  uint32_t cbSize;
  uint32_t dwFlags;
};
struct FILTERKEYS {
  uint32_t cbSize;
  uint32_t dwFlags;
  uint32_t iWaitMSec;
  uint32_t iDelayMSec;
  uint32_t iRepeatMSec;
  uint32_t iBounceMSec;
};
enum : uint32_t {
  SPI_GETFILTERKEYS = 0x0032,
  SPI_SETFILTERKEYS = 0x0033,
  SPI_GETSTICKYKEYS = 0x003A,
  SPI_SETSTICKYKEYS = 0x003B,
  SKF_HOTKEYACTIVE = 0x4,
  FKF_HOTKEYACTIVE = 0x4,
};
int WinSystemParametersInfo(uint32_t action, uint32_t param, void* pv, uint32_t winIni);

// Virtual-key code for a key SDL reports: its keycode, its scancode (the
// key's position) and the modifier state, of which NumLock counts.
// 0 when neither the keycode nor the scancode names a key.
int WinVirtualKeyFromSdl(int32_t keycode, int32_t scancode, uint16_t mod);

}  // namespace zorta
