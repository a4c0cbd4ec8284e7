// In-engine windows: the window stack, mouse ownership and hit tests, keyboard
// focus, push buttons and the root window that runs the world frame.
#pragma once
#include <cstdint>

namespace zorta {

struct GuiWindow;

// A window kind's one operation: paint the window and react to its input.
struct GuiWindowOps {
  void (*Draw)(GuiWindow* window);
};
extern const GuiWindowOps BaseWindowOps;

// Kinds extend this record with their own fields after these.
struct GuiWindow {
  const GuiWindowOps* ops;
  int32_t open;  // -1 while on the WindowStack
  int32_t x, y;
  int32_t w, h;

  constexpr GuiWindow() : ops(&BaseWindowOps), open(0), x(0), y(0), w(0), h(0) {}
  constexpr explicit GuiWindow(const GuiWindowOps* kind) : ops(kind), open(0), x(0), y(0), w(0), h(0) {}
  // Windows live for the whole run; a kind only gives back the base table.
  ~GuiWindow() { ops = &BaseWindowOps; }
  GuiWindow(const GuiWindow&) = delete;
  GuiWindow& operator=(const GuiWindow&) = delete;
};

const int WindowSlots = 32;
extern GuiWindow* WindowStack[WindowSlots];  // slot 0 is the bottom

// The full-screen window at the bottom of the stack. What it draws is
// registered by the program (the world frame); null draws nothing.
extern GuiWindow RootWindow;
void SetRootWindowDraw(void (*draw)());

// Mouse buttons as the GUI pass sampled them, this pass and the one before
// (true = -1); they change together, once per pass.
struct GuiMouseButtons {
  int32_t LeftNow, LeftBefore, RightNow, RightBefore;
};
extern GuiMouseButtons GuiMouse;
extern GuiWindow* MouseWindow;
extern GuiWindow* ModalWindow;
extern GuiWindow* FocusWindow;
extern int32_t ClicksConsumed;

void OpenGuiWindow(GuiWindow* window, int32_t x, int32_t y, int32_t w, int32_t h);
void CloseGuiWindow(GuiWindow* window);
void RaiseGuiWindow(GuiWindow* window);
void MoveGuiWindow(GuiWindow* window, int32_t x, int32_t y);
void ResizeGuiWindow(GuiWindow* window, int32_t w, int32_t h);
GuiWindow* WindowAt(int32_t x, int32_t y);

// Screen-level tests.
int MouseLeftPressed();
int MouseRightPressed();
int MouseLeftHeld();
int MouseLeftReleased();
int MouseInRect(int32_t x, int32_t y, int32_t w, int32_t h);

// Window-relative tests: false unless the window owns the mouse.
int IsClicked(GuiWindow* window);
int IsHeld(GuiWindow* window);
int IsReleased(GuiWindow* window);
int IsMouseOver(GuiWindow* window, int32_t rx, int32_t ry, int32_t w, int32_t h);

void ConsumeClicks();
void RestoreClicks();
void SetFocusWindow(GuiWindow* window);

// A push button inside the window; -1 on the frame the left button is released over it.
int GuiButton(GuiWindow* window, const char* label, int32_t rx, int32_t ry, int32_t w, int32_t h);
void DrawPressedOutline(int32_t x, int32_t y, int32_t w, int32_t h);
void DrawHoverOutline(int32_t x, int32_t y, int32_t w, int32_t h);

void UpdateMouseState();
// The GUI pass: mouse ownership, then every open window drawn bottom to top.
void DrawWindows();

// Empties the stack and forgets the mouse, focus and modal state (start-up and tests).
void ResetGuiState();

}  // namespace zorta
