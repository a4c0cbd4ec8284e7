#include "platform/window.h"

#include <SDL.h>

#include <cstring>
#include <deque>
#include <string>

#include "platform/sdl_window.h"
#include "platform/hooks.h"

namespace zorta {

namespace {
SDL_Window* window = nullptr;
WindowProc windowProc = nullptr;
std::deque<MSG> queue;
std::string lastError;
bool capture = false;
int cursorCount = 0;
int borderLeft = 0, borderTop = 0;
bool pictureMapped = false;
int pictureX = 0, pictureY = 0, pictureW = 1, pictureH = 1, pictureSrcW = 1, pictureSrcH = 1;
bool headless = false;
// What tests script and count, in the test build only.
#ifdef ZORTA_TESTING
std::deque<MSG> arriveOnWait;  // scripted messages that arrive only while the loop waits
bool scriptedCursor = false;
int scriptedX = 0, scriptedY = 0;
std::deque<SDL_Event> pendingPointer;  // scripted pointer events, not yet pumped
int messageBoxes = 0;
std::string lastMessageBox;
int waits = 0;
#endif

STICKYKEYS stickyKeys = {sizeof(STICKYKEYS), 0x1FE};
FILTERKEYS filterKeys = {sizeof(FILTERKEYS), 0x7E, 1000, 500, 500, 0};

bool pictureDamaged = false;

LRESULT Send(uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (windowProc == nullptr) return 0;
  return windowProc(message, wParam, lParam);
}

void Post(uint32_t message, WPARAM wParam, LPARAM lParam) { queue.push_back(MSG{message, wParam, lParam}); }

int FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) q--;
  return static_cast<int>(q);
}

// Window pixels to the pixels of the full-screen picture, where one is shown.
void ToPicture(int* x, int* y) {
  if (!pictureMapped) return;
  *x = FloorDiv(static_cast<int64_t>(*x - pictureX) * pictureSrcW, pictureW);
  *y = FloorDiv(static_cast<int64_t>(*y - pictureY) * pictureSrcH, pictureH);
}

// A mouse message's lParam: where it happened, in the pixels the cursor reads in.
LPARAM PointerLParam(int x, int y) {
  ToPicture(&x, &y);
  return MakeLParam(x, y);
}

void TranslateEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT:
      // Also raised by SIGINT and SIGTERM: treat it as a close request.
      if (window != nullptr) Post(WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT:
      if (window == nullptr || e.window.windowID != SDL_GetWindowID(window)) break;
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          Post(WM_CLOSE, 0, 0);
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          Post(WM_ACTIVATEAPP, 1, 0);
          Post(WM_SETFOCUS, 0, 0);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          Post(WM_KILLFOCUS, 0, 0);
          Post(WM_ACTIVATEAPP, 0, 0);
          break;
        case SDL_WINDOWEVENT_EXPOSED:
          pictureDamaged = true;
          Post(WM_PAINT, 0, 0);
          break;
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          pictureDamaged = true;
          break;
        default:
          break;
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      int vk = WinVirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode, e.key.keysym.mod);
      if (vk == 0) break;
      // As on Windows, keys pressed with Alt held, Alt itself and F10 are system keys.
      bool sys = (e.key.keysym.mod & KMOD_ALT) != 0 || vk == VK_MENU || vk == VK_F10;
      uint32_t msg = e.type == SDL_KEYDOWN ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
      LPARAM lp = e.key.repeat ? (1 << 30) : 0;
      Post(msg, static_cast<WPARAM>(vk), lp);
      break;
    }
    case SDL_MOUSEMOTION:
      Post(WM_MOUSEMOVE, 0, PointerLParam(e.motion.x, e.motion.y));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      bool left = e.button.button == SDL_BUTTON_LEFT;
      bool right = e.button.button == SDL_BUTTON_RIGHT;
      if (!left && !right) break;
      LPARAM lp = PointerLParam(e.button.x, e.button.y);
      if (e.type == SDL_MOUSEBUTTONDOWN) {
        // Every second click of a series arrives as a double click, as with CS_DBLCLKS.
        bool dbl = e.button.clicks >= 2 && e.button.clicks % 2 == 0;
        Post(left ? (dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : (dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN), 0, lp);
      } else {
        Post(left ? WM_LBUTTONUP : WM_RBUTTONUP, 0, lp);
      }
      break;
    }
    default:
      break;
  }
}


void PumpSdl() {
#ifdef ZORTA_TESTING
  // As with SDL, the cursor reads where an event put it once the event is pumped.
  for (; !pendingPointer.empty(); pendingPointer.pop_front()) {
    const SDL_Event& e = pendingPointer.front();
    scriptedCursor = true;
    scriptedX = e.type == SDL_MOUSEMOTION ? e.motion.x : e.button.x;
    scriptedY = e.type == SDL_MOUSEMOTION ? e.motion.y : e.button.y;
    TranslateEvent(e);
  }
#endif
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) TranslateEvent(e);
}
}  // namespace

SDL_Window* WinSdlWindow() { return window; }

bool WinTakePictureDamage() {
  bool damaged = pictureDamaged;
  pictureDamaged = false;
  return damaged;
}

int WinCreateWindow(const char* title, int x, int y, int w, int h, WindowProc proc) {
  windowProc = proc;
  if (SeamShouldFail("CreateWindow")) {
    lastError = "window creation refused";
    return 0;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) < 0) {
    lastError = SDL_GetError();
    return 0;
  }
  // Mouse clicks that activate the window also count as clicks, as on Windows.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // An OpenGL renderer would make SDL recreate the window (new id, position
  // lost); a 640 x 480 streaming texture is cheap to show in software.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
#ifdef _WIN32
  // Alt+F4 is an ordinary key here: only the close button and the system
  // menu ask the program to end.
  SDL_SetHint(SDL_HINT_WINDOWS_NO_CLOSE_ON_ALT_F4, "1");
#endif
#ifdef __EMSCRIPTEN__
  // Keys reach the program while its picture has the focus; the page's text
  // box keeps its own.
  SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
#endif
  window = SDL_CreateWindow(title, x, y, w, h, SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    lastError = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    return 0;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  headless = driver != nullptr && (strcmp(driver, "dummy") == 0 || strcmp(driver, "offscreen") == 0);
  SDL_ShowWindow(window);
  // The position is that of the outer frame: move the client area by the
  // decorations, once the window manager has told us their size.
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0 && (top > 0 || left > 0)) {
    borderLeft = left;
    borderTop = top;
    SDL_SetWindowPosition(window, x + left, y + top);
  }
  SDL_RaiseWindow(window);
  if (headless) {
    // Without a window system nothing else hands out the focus.
    Send(WM_ACTIVATEAPP, 1, 0);
    Send(WM_SETFOCUS, 0, 0);
  }
  return -1;
}

const char* WinLastError() { return lastError.c_str(); }

void WinUseHeadlessDrivers() {
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
}
int WinWindowExists() { return window != nullptr ? -1 : 0; }

void WinDestroyWindow() {
  if (window == nullptr) return;
  Send(WM_DESTROY, 0, 0);
  if (capture) SDL_CaptureMouse(SDL_FALSE);
  capture = false;
  SDL_DestroyWindow(window);
  window = nullptr;
}

int WinPeekMessage() {
  if (queue.empty()) PumpSdl();
  return queue.empty() ? 0 : -1;
}

int WinGetMessage(MSG* msg) {
  while (queue.empty()) WinWaitMessage();
  *msg = queue.front();
  queue.pop_front();
  return msg->message == WM_QUIT ? 0 : -1;
}

void WinDispatchMessage(const MSG* msg) { Send(msg->message, msg->wParam, msg->lParam); }

void WinWaitMessage() {
#ifdef ZORTA_TESTING
  waits++;
#endif
  PumpSdl();
  if (!queue.empty()) return;
#ifdef ZORTA_TESTING
  if (!arriveOnWait.empty()) {
    queue.push_back(arriveOnWait.front());
    arriveOnWait.pop_front();
    return;
  }
#endif
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
#ifdef __EMSCRIPTEN__
  // The page must not block: the browser's loop calls again next frame.
  return;
#endif
  // SDL holds some window events back (on X11 the focus-in comes some 200 ms
  // after the window is mapped) and hands them out only when events are
  // pumped: wake now and then to pump, or the activation waits for the next
  // input of the user.
  while (queue.empty()) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 100)) {
      TranslateEvent(e);
    } else {
      PumpSdl();
    }
  }
}

void WinPostMessage(uint32_t message, WPARAM wParam, LPARAM lParam) { Post(message, wParam, lParam); }
void WinPostQuitMessage(int exitCode) { Post(WM_QUIT, static_cast<WPARAM>(exitCode), 0); }

LRESULT WinDefWindowProc(uint32_t message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) WinDestroyWindow();
  return 0;
}

void WinSetCapture() {
  capture = true;
  if (window != nullptr) SDL_CaptureMouse(SDL_TRUE);
}
void WinReleaseCapture() {
  capture = false;
  if (window != nullptr) SDL_CaptureMouse(SDL_FALSE);
}
int WinHasCapture() { return capture ? -1 : 0; }

int WinGetCursorPos(int* x, int* y) {
#ifdef ZORTA_TESTING
  if (scriptedCursor) {
    int wx = 0, wy = 0;
    if (window != nullptr) SDL_GetWindowPosition(window, &wx, &wy);
    *x = scriptedX + wx;
    *y = scriptedY + wy;
    return -1;
  }
#endif
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return 0;
  if (window != nullptr && pictureMapped) {
    int wx = 0, wy = 0;
    if (SDL_GetMouseFocus() == window) {
      SDL_GetMouseState(x, y);
    } else {
      SDL_GetGlobalMouseState(x, y);
      SDL_GetWindowPosition(window, &wx, &wy);
      *x -= wx;
      *y -= wy;
    }
    ToPicture(x, y);
    return -1;
  }
  // Over the window, the position from its own motion events: on X servers
  // without XInput2 raw events (Xvfb) the global state is never refreshed.
  if (window != nullptr && SDL_GetMouseFocus() == window) {
    int wx = 0, wy = 0;
    SDL_GetMouseState(x, y);
    SDL_GetWindowPosition(window, &wx, &wy);
    *x += wx;
    *y += wy;
    return -1;
  }
  SDL_GetGlobalMouseState(x, y);
  return -1;
}

void WinSetPictureMapping(int x, int y, int w, int h, int srcW, int srcH) {
  if (w <= 0 || h <= 0 || srcW <= 0 || srcH <= 0) return;
  pictureMapped = true;
  pictureX = x, pictureY = y, pictureW = w, pictureH = h, pictureSrcW = srcW, pictureSrcH = srcH;
}

void WinClearPictureMapping() { pictureMapped = false; }

void WinScreenToClient(int* x, int* y) {
  if (window == nullptr) return;
  int wx = 0, wy = 0;
  SDL_GetWindowPosition(window, &wx, &wy);
  *x -= wx;
  *y -= wy;
}

void WinClientToScreen(int* x, int* y) {
  if (window == nullptr) return;
  int wx = 0, wy = 0;
  SDL_GetWindowPosition(window, &wx, &wy);
  *x += wx;
  *y += wy;
}

int WinShowCursor(int show) {
  cursorCount += show ? 1 : -1;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCount;
}

void WinGetWindowRect(int* x, int* y, int* w, int* h) {
  int cx = 0, cy = 0, cw = 0, ch = 0;
  if (window != nullptr) {
    SDL_GetWindowPosition(window, &cx, &cy);
    SDL_GetWindowSize(window, &cw, &ch);
  }
  int top = 0, left = 0, bottom = 0, right = 0;
  if (window != nullptr && SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) {
    top = left = bottom = right = 0;
  }
  *x = cx - left;
  *y = cy - top;
  *w = cw + left + right;
  *h = ch + top + bottom;
}

// A full-screen window belongs to the window system: its frame, place and
// size come back when it leaves full screen.
static bool FullScreenWindow() { return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0; }

void WinSetPopupStyle(int popup) {
  if (window == nullptr || FullScreenWindow()) return;
  bool borderless = (SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS) != 0;
  // Re-applying the same style makes some window managers forget the frame
  // size for a moment, which would misplace the next move.
  if (borderless != (popup != 0)) SDL_SetWindowBordered(window, popup ? SDL_FALSE : SDL_TRUE);
}

void WinSetWindowPos(int x, int y, int w, int h) {
  if (window == nullptr || FullScreenWindow()) return;
  SDL_SetWindowSize(window, w, h);
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0 || (top == 0 && left == 0)) {
    top = borderTop;
    left = borderLeft;
  }
  if (SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS) top = left = 0;
  SDL_SetWindowPosition(window, x + left, y + top);
}

void WinGetClientSize(int* w, int* h) {
  *w = *h = 0;
  if (window != nullptr) SDL_GetWindowSize(window, w, h);
}

void WinMessageBox(const char* text, const char* caption) {
#ifdef ZORTA_TESTING
  messageBoxes++;
  lastMessageBox = std::string(caption) + ": " + text;
#endif
  // Without a screen there is nobody to click the box away.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || strcmp(driver, "dummy") == 0 || strcmp(driver, "offscreen") == 0) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, window);
}

void WinShutdownPlatform() { SDL_Quit(); }

int WinSystemParametersInfo(uint32_t action, uint32_t param, void* pv, uint32_t) {
  switch (action) {
    case SPI_GETSTICKYKEYS:
      if (param != sizeof(STICKYKEYS) || pv == nullptr) return 0;
      memcpy(pv, &stickyKeys, sizeof stickyKeys);
      return -1;
    case SPI_SETSTICKYKEYS:
      if (param != sizeof(STICKYKEYS) || pv == nullptr) return 0;
      memcpy(&stickyKeys, pv, sizeof stickyKeys);
      return -1;
    case SPI_GETFILTERKEYS:
      if (param != sizeof(FILTERKEYS) || pv == nullptr) return 0;
      memcpy(pv, &filterKeys, sizeof filterKeys);
      return -1;
    case SPI_SETFILTERKEYS:
      if (param != sizeof(FILTERKEYS) || pv == nullptr) return 0;
      memcpy(&filterKeys, pv, sizeof filterKeys);
      return -1;
    default:
      return 0;
  }
}

namespace {
// Windows' code for a key its layout gives no name.
const int UnnamedKey = 0xFF;

// Keys named after their character on the US layout, or after their function.
int UsVirtualKey(int32_t k) {
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + (k - SDLK_F1);
  if (k >= SDLK_F13 && k <= SDLK_F24) return VK_F12 + 1 + (k - SDLK_F13);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return VK_NUMPAD0 + 1 + (k - SDLK_KP_1);
  switch (k) {
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_PRINTSCREEN: return VK_SNAPSHOT;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LGUI: return VK_LWIN;
    case SDLK_RGUI: return VK_RWIN;
    case SDLK_APPLICATION: return VK_APPS;
    case SDLK_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDLK_SCROLLLOCK: return VK_SCROLL;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    default: return 0;
  }
}

// Characters that have no key of their own on the US layout get the codes a
// German layout gives them on Windows.
int GermanVirtualKey(int32_t k) {
  switch (k) {
    case 0xFC: return VK_OEM_1;  // u umlaut
    case SDLK_PLUS: return VK_OEM_PLUS;
    case SDLK_HASH: return VK_OEM_2;
    case 0xF6: return VK_OEM_3;  // o umlaut
    case 0xDF: return VK_OEM_4;  // sharp s
    case SDLK_CARET: return VK_OEM_5;
    case 0xB4: return VK_OEM_6;  // acute accent
    case 0xE4: return VK_OEM_7;  // a umlaut
    case SDLK_LESS: return VK_OEM_102;
    default: return 0;
  }
}

// A key SDL gives no usable keycode (a dead key under X11, a character of
// another layout), by its position: letters and digits as on every layout,
// punctuation as on a German keyboard, so that a German key gets one code
// whether or not SDL names its character.
int PositionVirtualKey(int32_t scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_1;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_PLUS;
    case SDL_SCANCODE_BACKSLASH: case SDL_SCANCODE_NONUSHASH: return VK_OEM_2;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_3;
    case SDL_SCANCODE_MINUS: return VK_OEM_4;
    case SDL_SCANCODE_GRAVE: return VK_OEM_5;
    case SDL_SCANCODE_EQUALS: return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_102;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_MINUS;
    default: break;
  }
  // Function, cursor, keypad and modifier keys: SDL's keycode is the scancode's.
  int vk = UsVirtualKey(SDL_SCANCODE_TO_KEYCODE(scancode));
  return vk != 0 ? vk : UnnamedKey;
}

// With NumLock off the keypad's digits and point are cursor keys, as on Windows.
int KeypadCursorKey(int vk) {
  static const int cursor[10] = {VK_INSERT, VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,
                                 VK_CLEAR,  VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR};
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return cursor[vk - VK_NUMPAD0];
  if (vk == VK_DECIMAL) return VK_DELETE;
  return vk;
}
}  // namespace

int WinVirtualKeyFromSdl(int32_t keycode, int32_t scancode, uint16_t mod) {
  int vk = UsVirtualKey(keycode);
  if (vk == 0) vk = GermanVirtualKey(keycode);
  if (vk == 0 && scancode != SDL_SCANCODE_UNKNOWN) vk = PositionVirtualKey(scancode);
  if ((mod & KMOD_NUM) == 0) vk = KeypadCursorKey(vk);
  return vk;
}

#ifdef ZORTA_TESTING
void WinSeamSetCursorPos(int x, int y) {
  scriptedCursor = true;
  scriptedX = x;
  scriptedY = y;
}
void WinSeamReleaseCursor() { scriptedCursor = false; }
void WinSeamMouseMove(int x, int y) {
  SDL_Event e = {};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  pendingPointer.push_back(e);
}
void WinSeamMouseButton(int right, int down, int x, int y) {
  SDL_Event e = {};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = right ? SDL_BUTTON_RIGHT : SDL_BUTTON_LEFT;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  pendingPointer.push_back(e);
}
int WinSeamMessageBoxCount() { return messageBoxes; }
const char* WinSeamLastMessageBox() { return lastMessageBox.c_str(); }
void WinSeamGetAccessibility(STICKYKEYS* sticky, FILTERKEYS* filter) {
  *sticky = stickyKeys;
  *filter = filterKeys;
}
void WinSeamPostOnWait(uint32_t message, WPARAM wParam, LPARAM lParam) {
  arriveOnWait.push_back(MSG{message, wParam, lParam});
}
int WinSeamWaitCount() { return waits; }
void WinSeamSetWindowProc(WindowProc proc) { windowProc = proc; }
void WinSeamExposeWindow() {
  if (window == nullptr) return;
  SDL_Event e = {};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = SDL_GetWindowID(window);
  e.window.event = SDL_WINDOWEVENT_EXPOSED;
  TranslateEvent(e);
}

void WinSeamReset() {
  queue.clear();
  arriveOnWait.clear();
  pendingPointer.clear();
  waits = 0;
  scriptedCursor = false;
  pictureMapped = false;
  pictureDamaged = false;
  messageBoxes = 0;
  lastMessageBox.clear();
  capture = false;
  stickyKeys = {sizeof(STICKYKEYS), 0x1FE};
  filterKeys = {sizeof(FILTERKEYS), 0x7E, 1000, 500, 500, 0};
}
#endif

}  // namespace zorta
