// In-engine windows: a stack of windows drawn over the world, which of them
// owns the mouse and the keyboard, push buttons, and the framework's
// ready-made windows (a list to pick from, a message, a yes/no question).
#pragma once
#include <cstdint>

#include "zorta/display.h"
#include "zorta/io.h"

namespace zorta {

/// A window on the stack; kinds extend it.
struct GuiWindow;

/// A window kind's one operation: paint the window and react to its input.
struct GuiWindowOps {
  void (*Draw)(GuiWindow* window);  // once a frame, bottom window first, clipped to the window
};
/// The operations of a plain window, which draws nothing.
extern const GuiWindowOps BaseWindowOps;

/// A window's place on the screen; a kind adds its own fields after these.
struct GuiWindow {
  const GuiWindowOps* ops;  // the kind's operations; BaseWindowOps for a plain window
  int32_t open;  // -1 while on the window stack
  int32_t x, y;  // top-left corner in screen pixels, kept on the screen by the open and move calls
  int32_t w, h;  // size in pixels

  // A closed plain window.
  constexpr GuiWindow() : ops(&BaseWindowOps), open(0), x(0), y(0), w(0), h(0) {}
  // A closed window of the kind with those operations.
  constexpr explicit GuiWindow(const GuiWindowOps* kind) : ops(kind), open(0), x(0), y(0), w(0), h(0) {}
  // Windows live for the whole run; a kind only gives back the base table.
  ~GuiWindow() { ops = &BaseWindowOps; }
  GuiWindow(const GuiWindow&) = delete;
  GuiWindow& operator=(const GuiWindow&) = delete;
};

/// The full-screen window at the bottom of the stack, which draws the world.
extern GuiWindow RootWindow;

/// Mouse buttons as this frame and the one before saw them (-1 down); they change once a frame.
struct GuiMouseButtons {
  int32_t LeftNow, LeftBefore, RightNow, RightBefore;  // -1 down, 0 up
};
/// The mouse buttons of this frame's window pass.
extern GuiMouseButtons GuiMouse;
/// The window that owns the mouse this frame, or null.
extern GuiWindow* MouseWindow;
/// The window that holds the mouse until it closes (a question), or null.
extern GuiWindow* ModalWindow;
/// The window that holds the keyboard, or null: while one does, the key tests read nothing.
extern GuiWindow* FocusWindow;

/// Puts the window on top of the stack at (x, y), w x h pixels.
void OpenGuiWindow(GuiWindow* window, int32_t x, int32_t y, int32_t w, int32_t h);
/// Takes the window off the stack.
void CloseGuiWindow(GuiWindow* window);
/// Moves the window one place up the stack.
void RaiseGuiWindow(GuiWindow* window);
/// Moves the window's top-left corner to (x, y).
void MoveGuiWindow(GuiWindow* window, int32_t x, int32_t y);
/// Gives the window a new size.
void ResizeGuiWindow(GuiWindow* window, int32_t w, int32_t h);
/// The topmost open window under the screen pixel, or null.
GuiWindow* WindowAt(int32_t x, int32_t y);

/// -1 on the frame the left button went down (unless the clicks are consumed).
int MouseLeftPressed();
/// -1 on the frame the right button went down (unless the clicks are consumed).
int MouseRightPressed();
/// -1 while the left button is down.
int MouseLeftHeld();
/// -1 on the frame the left button came up (unless the clicks are consumed).
int MouseLeftReleased();
/// -1 while the pointer is inside the w x h rectangle at screen pixel (x, y).
int MouseInRect(int32_t x, int32_t y, int32_t w, int32_t h);

/// MouseLeftPressed, for the window that owns the mouse only.
int IsClicked(GuiWindow* window);
/// MouseLeftHeld, for the window that owns the mouse only.
int IsHeld(GuiWindow* window);
/// MouseLeftReleased, for the window that owns the mouse only.
int IsReleased(GuiWindow* window);
/// -1 while the window owns the mouse and the pointer is inside its rectangle (rx, ry, w, h).
int IsMouseOver(GuiWindow* window, int32_t rx, int32_t ry, int32_t w, int32_t h);

/// Makes the press and release tests read nothing for the rest of the frame.
void ConsumeClicks();
/// Undoes ConsumeClicks.
void RestoreClicks();
/// Gives the window the keyboard (null: back to the game).
void SetFocusWindow(GuiWindow* window);

/// A push button inside the window; -1 on the frame the left button is released over it.
int GuiButton(GuiWindow* window, const char* label, int32_t rx, int32_t ry, int32_t w, int32_t h);
/// The outline of a pressed button.
void DrawPressedOutline(int32_t x, int32_t y, int32_t w, int32_t h);
/// The outline of a button under the pointer.
void DrawHoverOutline(int32_t x, int32_t y, int32_t w, int32_t h);

/// Most rows the list popup shows at once.
const int ListPopupMaxRows = 30;

/// The list popup: the entries of a NamedList to pick one from.
struct ListPopupKind : GuiWindow {
  int32_t anchorX, anchorY;  // where the popup goes whenever its list is rebuilt
  NamedList* source;         // not owned
  NamedList shown;           // owned; each item's value is its source index
  int32_t chosen;            // source index of the entry last clicked
  int32_t rows;              // visible rows, at most 30
  int32_t firstRow;          // shown index of the top visible row
  uint8_t filter;            // 'A'..'Z', or 0 for every entry

  // Closed, with no source.
  ListPopupKind();
  // Frees the shown list.
  ~ListPopupKind();
};

/// The message window: lines of text shown until any key or button.
struct MessageWindowKind : GuiWindow {
  char text[512];  // "#" separates lines

  // Closed, with no text.
  MessageWindowKind();
};

/// The confirm dialog: a modal yes/no question.
struct ConfirmDialogKind : GuiWindow {
  void (*callback)(int32_t answer);  // -1 yes, 0 no; or none
  char text[256];  // the question, shown on one line

  // Closed, with no question and no callback.
  ConfirmDialogKind();
};

/// The one list popup.
extern ListPopupKind ListPopup;
/// The one message window.
extern MessageWindowKind MessageWindow;
/// The one confirm dialog.
extern ConfirmDialogKind ConfirmDialog;

// The openers fill their window, open it (kept on the screen) and give it the
// keyboard; texts longer than the window's buffer are cut at the buffer.
/// Lists every entry of source, w pixels wide at (x, y); ListPopup.chosen reads -1 until one is clicked.
void OpenListPopup(NamedList* source, int32_t x, int32_t y, int32_t w);
/// Shows the text ("#" between lines) in a w x h window at (x, y).
void OpenMessageWindow(const char* text, int32_t x, int32_t y, int32_t w, int32_t h);
// A body too long for the window's buffer or for the screen is cut after its
// last whole line that fits, marked by a line "...", so that `last` always shows.
/// Shows the lines of body ("#" between them) and then the line last, w pixels wide at (x, y), as tall as its lines.
void OpenMessageEndingWith(const char* body, const char* last, int32_t x, int32_t y, int32_t w);
/// Asks the question in a modal window; callback gets -1 for yes, 0 for no.
void OpenConfirmDialog(const char* question, void (*callback)(int32_t answer), int32_t x, int32_t y, int32_t w,
                       int32_t h);

}  // namespace zorta
