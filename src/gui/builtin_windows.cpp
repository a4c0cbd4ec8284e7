#include "gui/builtin_windows.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/settings.h"
#include "display/draw.h"
#include "display/text.h"
#include "input/input.h"

namespace zorta {

namespace {
void DrawListPopup(GuiWindow* window);
void DrawMessageWindow(GuiWindow* window);
void DrawConfirmDialog(GuiWindow* window);
const GuiWindowOps ListPopupOps = {DrawListPopup};
const GuiWindowOps MessageWindowOps = {DrawMessageWindow};
const GuiWindowOps ConfirmDialogOps = {DrawConfirmDialog};

// Shows the source entries whose first letter (upper-cased) is the filter, or
// all of them, and sizes the popup to them.
void RebuildShown(ListPopupKind* popup) {
  ClearList(&popup->shown);
  if (popup->source == nullptr) return;
  for (int32_t j = 0; j < popup->source->count; j++) {
    const char* name = popup->source->items[j].name;
    uint8_t first = name != nullptr ? static_cast<uint8_t>(name[0]) : 0;
    if (first >= 'a' && first <= 'z') first = static_cast<uint8_t>(first - 'a' + 'A');
    if (popup->filter != 0 && popup->filter != first) continue;
    NamedItem* item = AddItem(&popup->shown, name != nullptr ? name : "");
    if (item != nullptr) item->value = j;
  }
  popup->rows = popup->shown.count < ListPopupMaxRows ? popup->shown.count : ListPopupMaxRows;
  popup->firstRow = 0;
  ResizeGuiWindow(popup, popup->w, popup->rows * 12 + 8);
}

void DrawListPopup(GuiWindow* window) {
  ListPopupKind* popup = static_cast<ListPopupKind*>(window);
  FillRect(popup->x, popup->y, popup->w, popup->h, PackColor(24, 24, 32, ColorDepth));
  FrameRect(popup->x, popup->y, popup->w, popup->h, PackColor(128, 128, 128, ColorDepth));
  if (popup->source != nullptr) {
    for (int32_t i = 0; i < popup->rows; i++) {
      NamedItem* e = ItemAt(&popup->shown, popup->firstRow + i);
      if (e == nullptr) break;  // never past the shown entries
      int32_t r = 4 + 12 * i;
      if (IsMouseOver(popup, 0, r, popup->w, 12)) {
        FillRect(popup->x + 1, popup->y + r + 1, popup->w - 2, 10, PackColor(60, 60, 80, ColorDepth));
        if (IsClicked(popup)) popup->chosen = static_cast<int32_t>(e->value);
      }
      PrintText(e->name, popup->x + 4, popup->y + r);
    }
  }
  // The pointer at or past the top or bottom edge scrolls, wherever it is across.
  if (PointerY <= popup->y) {
    if (popup->firstRow > 0) popup->firstRow--;
  } else if (static_cast<int64_t>(PointerY) >= static_cast<int64_t>(popup->y) + popup->h - 1) {
    popup->firstRow++;
    if (popup->firstRow + popup->rows > popup->shown.count) popup->firstRow = popup->shown.count - popup->rows;
    if (popup->firstRow < 0) popup->firstRow = 0;
  }
  // A press anywhere closes: on an entry it has just chosen it.
  if (MouseLeftPressed() || MouseRightPressed() || KeyPressed(VK_ESCAPE)) {
    CloseGuiWindow(popup);
    SetFocusWindow(nullptr);
  }
  for (int letter = 'A'; letter <= 'Z'; letter++) {
    if (!KeyPressed(letter)) continue;
    popup->filter = static_cast<uint8_t>(letter);
    RebuildShown(popup);
    MoveGuiWindow(popup, popup->anchorX, popup->anchorY);
  }
}

void DrawMessageWindow(GuiWindow* window) {
  MessageWindowKind* message = static_cast<MessageWindowKind*>(window);
  FillRect(message->x, message->y, message->w, message->h, PackColor(32, 32, 32, ColorDepth));
  FrameRect(message->x, message->y, message->w, message->h, PackColor(128, 128, 128, ColorDepth));
  const char* p = message->text;
  const char* end = message->text + sizeof message->text;
  int32_t lineY = message->y + 8;
  int afterMark = 0;
  while (p < end && *p != 0) {
    // A line ends before a "#", but the character right after one always
    // begins the next line, even another "#". A leading "#" ends an empty line.
    char line[256];
    size_t n = 0;
    while (p < end && *p != 0 && (afterMark || *p != '#')) {
      if (n < sizeof line - 1) line[n++] = *p;  // a longer line is cut
      p++;
      afterMark = 0;
    }
    line[n] = 0;
    PrintText(line, message->x + 8, lineY);
    lineY += 14;
    if (p < end && *p == '#') {
      p++;
      afterMark = -1;
    }
  }
  if (GuiMouse.LeftNow || GuiMouse.RightNow || AnyKeyPressed()) {
    SetFocusWindow(nullptr);
    CloseGuiWindow(message);
  }
}

void Answer(ConfirmDialogKind* dialog, int32_t answer) {
  if (dialog->callback != nullptr) dialog->callback(answer);
  CloseGuiWindow(dialog);
  SetFocusWindow(nullptr);
  ModalWindow = nullptr;
}

void DrawConfirmDialog(GuiWindow* window) {
  ConfirmDialogKind* dialog = static_cast<ConfirmDialogKind*>(window);
  FillRect(dialog->x, dialog->y, dialog->w, dialog->h, PackColor(32, 32, 32, ColorDepth));
  FrameRect(dialog->x, dialog->y, dialog->w, dialog->h, PackColor(200, 50, 50, ColorDepth));
  // The text may fill its buffer without a terminator: print at most what
  // the buffer holds, cut to a line as the message window cuts it.
  char line[256];
  size_t n = 0;
  while (n < sizeof line - 1 && n < sizeof dialog->text && dialog->text[n] != 0) {
    line[n] = dialog->text[n];
    n++;
  }
  line[n] = 0;
  PrintText(line, dialog->x + 8, dialog->y + 8);
  // One answer per question: once one has closed the dialog, the later tests
  // of the same frame (a key still down) give no second, contrary answer.
  if (dialog->callback != nullptr) {
    int yes = GuiButton(dialog, "Yes", dialog->w - 72, 8, 30, 14);
    int no = GuiButton(dialog, "No", dialog->w - 38, 8, 30, 14);
    if (yes)
      Answer(dialog, -1);
    else if (no)
      Answer(dialog, 0);
  }
  if (!dialog->open) return;
  if (KeyPressed(VK_RETURN) || KeyPressed('Y')) {
    Answer(dialog, -1);
  } else if (KeyPressed(VK_ESCAPE) || KeyPressed('N')) {
    Answer(dialog, 0);
  }
}

void CopyText(char* buffer, size_t size, const char* text) {
  snprintf(buffer, size, "%s", text != nullptr ? text : "");
}
}  // namespace

ListPopupKind::ListPopupKind()
    : GuiWindow(&ListPopupOps), anchorX(0), anchorY(0), source(nullptr), shown{0, 0, -1, nullptr, nullptr}, chosen(0),
      rows(0), firstRow(0), filter(0) {}

ListPopupKind::~ListPopupKind() {
  ClearList(&shown);
  ops = &BaseWindowOps;
}

MessageWindowKind::MessageWindowKind() : GuiWindow(&MessageWindowOps), text{} {}

ConfirmDialogKind::ConfirmDialogKind() : GuiWindow(&ConfirmDialogOps), callback(nullptr), text{} {}

ListPopupKind ListPopup;
MessageWindowKind MessageWindow;
ConfirmDialogKind ConfirmDialog;

void OpenListPopup(NamedList* source, int32_t x, int32_t y, int32_t w) {
  ListPopup.source = source;
  ListPopup.anchorX = x;
  ListPopup.anchorY = y;
  ListPopup.filter = 0;
  ListPopup.chosen = -1;
  ListPopup.rows = 0;
  ListPopup.firstRow = 0;
  ListPopup.w = w;
  RebuildShown(&ListPopup);
  OpenGuiWindow(&ListPopup, x, y, w, ListPopup.rows * 12 + 8);
  // With the stack full it stays closed: it must not keep the keyboard.
  if (ListPopup.open) SetFocusWindow(&ListPopup);
}

void OpenMessageWindow(const char* text, int32_t x, int32_t y, int32_t w, int32_t h) {
  CopyText(MessageWindow.text, sizeof MessageWindow.text, text);
  OpenGuiWindow(&MessageWindow, x, y, w, h);
  if (MessageWindow.open) SetFocusWindow(&MessageWindow);
}

void OpenConfirmDialog(const char* question, void (*callback)(int32_t answer), int32_t x, int32_t y, int32_t w,
                       int32_t h) {
  ConfirmDialog.callback = callback;
  CopyText(ConfirmDialog.text, sizeof ConfirmDialog.text, question);
  OpenGuiWindow(&ConfirmDialog, x, y, w, h);
  if (!ConfirmDialog.open) return;  // a closed dialog must not hold the mouse
  SetFocusWindow(&ConfirmDialog);
  ModalWindow = &ConfirmDialog;
}

void OpenMessageEndingWith(const char* body, const char* last, int32_t x, int32_t y, int32_t w) {
  const int32_t lineHeight = 14, margins = 16;
  const std::string more = "...#";
  const size_t room = sizeof MessageWindow.text - 1;
  std::string tail = last != nullptr ? last : "";
  int32_t maxLines = (ScreenHeight - y - margins) / lineHeight;
  std::vector<std::string> lines;
  for (const char* p = body; p != nullptr && *p != 0;) {
    const char* end = strchr(p, '#');
    lines.emplace_back(p, end != nullptr ? static_cast<size_t>(end - p) : strlen(p));
    p = end != nullptr ? end + 1 : nullptr;
  }
  std::string text;
  int32_t count = 0;
  for (size_t i = 0; i < lines.size(); i++) {
    // Room for this line, the last one, and the mark should lines follow.
    bool follows = i + 1 < lines.size();
    size_t size = text.size() + lines[i].size() + 1 + (follows ? more.size() : 0) + tail.size();
    if (size > room || count + 2 + (follows ? 1 : 0) > maxLines) {
      if (text.size() + more.size() + tail.size() <= room && count + 2 <= maxLines) {
        text += more;
        count++;
      }
      break;
    }
    text += lines[i] + "#";
    count++;
  }
  text += tail;
  OpenMessageWindow(text.c_str(), x, y, w, margins + lineHeight * (count + 1));
}

}  // namespace zorta
