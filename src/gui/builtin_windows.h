// The framework's ready-made windows: a list to pick from, a message shown
// until any key or button, and a modal yes/no question. Each exists once.
#pragma once
#include <cstdint>

#include "gui/gui.h"
#include "io/named_list.h"

namespace zorta {

const int ListPopupMaxRows = 30;

struct ListPopupKind : GuiWindow {
  int32_t anchorX, anchorY;  // where the popup goes whenever its list is rebuilt
  NamedList* source;         // not owned
  NamedList shown;           // owned; each item's value is its source index
  int32_t chosen;            // source index of the entry last clicked
  int32_t rows;              // visible rows, at most 30
  int32_t firstRow;          // shown index of the top visible row
  uint8_t filter;            // 'A'..'Z', or 0 for every entry

  ListPopupKind();
  ~ListPopupKind();
};

struct MessageWindowKind : GuiWindow {
  char text[512];  // "#" separates lines

  MessageWindowKind();
};

struct ConfirmDialogKind : GuiWindow {
  void (*callback)(int32_t answer);  // -1 yes, 0 no; or none
  char text[256];

  ConfirmDialogKind();
};

extern ListPopupKind ListPopup;
extern MessageWindowKind MessageWindow;
extern ConfirmDialogKind ConfirmDialog;

// Openers for game code. Each fills its window, opens it (clamped to the
// screen), and gives it the keyboard; texts longer than the window's buffer
// are cut at the buffer.
// The popup lists every entry of `source`, w pixels wide, at (x, y), which
// becomes its anchor; `chosen` reads -1 until an entry is clicked.
void OpenListPopup(NamedList* source, int32_t x, int32_t y, int32_t w);
void OpenMessageWindow(const char* text, int32_t x, int32_t y, int32_t w, int32_t h);
// The message window on the lines of `body` ("#" between them) and then the
// line `last`, w pixels wide at (x, y), as tall as its lines. A body too long
// for the window's buffer or for the screen is cut after its last whole line
// that fits, marked by a line "...", so that `last` always shows.
void OpenMessageEndingWith(const char* body, const char* last, int32_t x, int32_t y, int32_t w);
// Also takes the mouse (ModalWindow) until the question is answered.
void OpenConfirmDialog(const char* question, void (*callback)(int32_t answer), int32_t x, int32_t y, int32_t w,
                       int32_t h);

}  // namespace zorta
