#include "gui/gui.h"

#include <cstring>

#include "base/settings.h"
#include "display/draw.h"
#include "display/text.h"
#include "input/input.h"

namespace zorta {

namespace {
void DrawBaseWindow(GuiWindow* window) {
  FrameRect(window->x, window->y, window->w, window->h, PackColor(0, 128, 0, ColorDepth));
}

void (*rootWindowDraw)() = nullptr;
void DrawRootWindow(GuiWindow*) {
  if (rootWindowDraw != nullptr) rootWindowDraw();
}
const GuiWindowOps RootWindowOps = {DrawRootWindow};

// Step 2 of the clamp alone: pull the far edges back on screen. A window larger
// than the screen ends with a negative corner.
void ClampFarEdges(int32_t* x, int32_t* y, int32_t w, int32_t h) {
  if (static_cast<int64_t>(*x) + w >= ScreenWidth) *x = static_cast<int32_t>(static_cast<int64_t>(ScreenWidth) - w);
  if (static_cast<int64_t>(*y) + h >= ScreenHeight) *y = static_cast<int32_t>(static_cast<int64_t>(ScreenHeight) - h);
}

void ClampCorner(int32_t* x, int32_t* y, int32_t w, int32_t h) {
  if (*x < 0) *x = 0;
  if (*y < 0) *y = 0;
  ClampFarEdges(x, y, w, h);
}

// The inclusive far edge of a window, kept inside 32 bits for huge sizes.
int32_t ClipEdge(int32_t start, int32_t size) {
  int64_t edge = static_cast<int64_t>(start) + size - 1;
  return edge > INT32_MAX ? INT32_MAX : static_cast<int32_t>(edge);
}

bool Contains(const GuiWindow* window, int32_t px, int32_t py) {
  return window->x <= px && static_cast<int64_t>(px) < static_cast<int64_t>(window->x) + window->w &&
         window->y <= py && static_cast<int64_t>(py) < static_cast<int64_t>(window->y) + window->h;
}
}  // namespace

void SetRootWindowDraw(void (*draw)()) { rootWindowDraw = draw; }

const GuiWindowOps BaseWindowOps = {DrawBaseWindow};

GuiWindow* WindowStack[WindowSlots];
GuiWindow RootWindow(&RootWindowOps);

GuiMouseButtons GuiMouse = {};
GuiWindow* MouseWindow = nullptr;
GuiWindow* ModalWindow = nullptr;
GuiWindow* FocusWindow = nullptr;
int32_t ClicksConsumed = 0;

void ResetGuiState() {
  for (GuiWindow*& slot : WindowStack) {
    if (slot != nullptr) slot->open = 0;
    slot = nullptr;
  }
  GuiMouse = GuiMouseButtons{};
  MouseWindow = ModalWindow = FocusWindow = nullptr;
  ClicksConsumed = 0;
}

void OpenGuiWindow(GuiWindow* window, int32_t x, int32_t y, int32_t w, int32_t h) {
  ClampCorner(&x, &y, w, h);
  window->x = x;
  window->y = y;
  window->w = w;
  window->h = h;
  if (!window->open) {
    for (GuiWindow*& slot : WindowStack) {
      if (slot == nullptr) {
        slot = window;
        window->open = -1;
        break;
      }
    }
    if (!window->open) return;  // all slots taken: stays closed
  }
  RaiseGuiWindow(window);
}

void CloseGuiWindow(GuiWindow* window) {
  for (GuiWindow*& slot : WindowStack) {
    if (slot == window) slot = nullptr;
  }
  for (int i = 1; i < WindowSlots; i++) {
    if (WindowStack[i - 1] == nullptr && WindowStack[i] != nullptr) {
      WindowStack[i - 1] = WindowStack[i];
      WindowStack[i] = nullptr;
    }
  }
  window->open = 0;
}

void RaiseGuiWindow(GuiWindow* window) {
  for (int i = 1; i < WindowSlots; i++) {
    if (WindowStack[i - 1] == window && WindowStack[i] != nullptr) {
      WindowStack[i - 1] = WindowStack[i];
      WindowStack[i] = window;
    }
  }
}

void MoveGuiWindow(GuiWindow* window, int32_t x, int32_t y) {
  ClampCorner(&x, &y, window->w, window->h);
  window->x = x;
  window->y = y;
}

void ResizeGuiWindow(GuiWindow* window, int32_t w, int32_t h) {
  ClampFarEdges(&window->x, &window->y, w, h);
  window->w = w;
  window->h = h;
}

GuiWindow* WindowAt(int32_t x, int32_t y) {
  for (int i = WindowSlots - 1; i >= 0; i--) {
    if (WindowStack[i] != nullptr && Contains(WindowStack[i], x, y)) return WindowStack[i];
  }
  return nullptr;
}

int MouseLeftPressed() { return (!ClicksConsumed && !GuiMouse.LeftBefore && GuiMouse.LeftNow) ? -1 : 0; }
int MouseRightPressed() { return (!ClicksConsumed && !GuiMouse.RightBefore && GuiMouse.RightNow) ? -1 : 0; }
int MouseLeftHeld() { return GuiMouse.LeftNow ? -1 : 0; }
int MouseLeftReleased() { return (!ClicksConsumed && GuiMouse.LeftBefore && !GuiMouse.LeftNow) ? -1 : 0; }

int MouseInRect(int32_t x, int32_t y, int32_t w, int32_t h) {
  int64_t px = PointerX, py = PointerY;
  return (x <= px && px < static_cast<int64_t>(x) + w && y <= py && py < static_cast<int64_t>(y) + h) ? -1 : 0;
}

int IsClicked(GuiWindow* window) { return window == MouseWindow && window != nullptr ? MouseLeftPressed() : 0; }
int IsHeld(GuiWindow* window) { return window == MouseWindow && window != nullptr ? MouseLeftHeld() : 0; }
int IsReleased(GuiWindow* window) { return window == MouseWindow && window != nullptr ? MouseLeftReleased() : 0; }

int IsMouseOver(GuiWindow* window, int32_t rx, int32_t ry, int32_t w, int32_t h) {
  if (window == nullptr || window != MouseWindow) return 0;
  return MouseInRect(window->x + rx, window->y + ry, w, h);
}

void ConsumeClicks() { ClicksConsumed = -1; }
void RestoreClicks() { ClicksConsumed = 0; }

void SetFocusWindow(GuiWindow* window) {
  KeyboardGrabbed = window != nullptr ? -1 : 0;
  FocusWindow = window;
}

void DrawPressedOutline(int32_t x, int32_t y, int32_t w, int32_t h) {
  FrameRect(x, y, w, h, PackColor(0, 0, 0, ColorDepth));
}

void DrawHoverOutline(int32_t x, int32_t y, int32_t w, int32_t h) {
  FrameRect(x, y, w, h, PackColor(128, 128, 128, ColorDepth));
}

int GuiButton(GuiWindow* window, const char* label, int32_t rx, int32_t ry, int32_t w, int32_t h) {
  int32_t bx = window->x + rx, by = window->y + ry;
  FillRect(bx, by, w, h, PackColor(80, 80, 100, ColorDepth));
  FillRect(bx + 1, by + 1, w - 2, h - 2, PackColor(60, 60, 80, ColorDepth));
  PrintText(label, bx + w / 2 - TextWidth(label) / 2 - 1, by);
  // The pointer test uses the drawn rectangle moved one pixel right and down.
  if (!IsMouseOver(window, rx + 1, ry + 1, w, h)) return 0;
  if (IsHeld(window))
    DrawPressedOutline(bx, by, w, h);
  else
    DrawHoverOutline(bx, by, w, h);
  return IsReleased(window);
}

void UpdateMouseState() {
  GuiMouse.LeftBefore = GuiMouse.LeftNow;
  GuiMouse.RightBefore = GuiMouse.RightNow;
  GuiMouse.LeftNow = SampleLeftButton();
  GuiMouse.RightNow = SampleRightButton();
  if (ModalWindow != nullptr)
    MouseWindow = ModalWindow;
  else if (!GuiMouse.LeftBefore && !GuiMouse.RightBefore)
    // With both buttons up, or on the frame of a press, at the press's own
    // position: a pointer that moves and presses in one turn presses where it went.
    MouseWindow = WindowAt(PointerX, PointerY);
}

void DrawWindows() {
  UpdateMouseState();
  // Windows opened or raised by a Draw take their place next frame.
  GuiWindow* slots[WindowSlots];
  memcpy(slots, WindowStack, sizeof slots);
  KeyboardGrabbed = FocusWindow != nullptr ? -1 : 0;
  for (GuiWindow* window : slots) {
    // A window closed by an earlier Draw of this pass is skipped.
    if (window == nullptr || window->open != -1) continue;
    SetClipRect(window->x, window->y, ClipEdge(window->x, window->w), ClipEdge(window->y, window->h));
    if (window == FocusWindow) {
      KeyboardGrabbed = 0;
      window->ops->Draw(window);
      KeyboardGrabbed = -1;
    } else {
      window->ops->Draw(window);
    }
    ResetClipRect();
    if (ShutdownDone) break;  // a fatal error inside a Draw released the display
  }
  ClicksConsumed = 0;
}

}  // namespace zorta
