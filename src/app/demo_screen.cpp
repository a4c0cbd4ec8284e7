#include "app/demo_screen.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "base/settings.h"
#include "base/timing.h"
#include "display/draw.h"
#include "display/text.h"
#include "gui/builtin_windows.h"
#include "gui/gui.h"
#include "input/input.h"
#include "sfx/sound_bank.h"
#include "sfx/sound_studio.h"
#include "sfx/user_sounds.h"
#include "zorta/sfx.h"

namespace zorta {

namespace {
// The right-click menus, one at a time in the framework's list popup.
enum DemoMenu { NoMenu, KindMenu, UserMenu, BuiltinMenu };
DemoMenu openMenu = NoMenu;
int menuSlot = -1;
NamedList menuEntries;
int deleteSlot = -1;

enum UserAction { MutateAction, AnotherAction, UndoAction, RedoAction, DeleteAction, UserActionCount };
const char* const UserActionNames[UserActionCount] = {"Mutate", "Another of this kind", "Undo", "Redo", "Delete"};
const char CopyActionName[] = "Copy to a new slot";

// A new seed at every use: the clock's seconds spread over the whole range,
// the milliseconds and a count so two in one millisecond differ.
uint32_t FreshSeed() {
  static uint32_t uses = 0;
  return static_cast<uint32_t>(std::time(nullptr)) * 2654435761u + GetTicks() + ++uses;
}

void ShowStudioMessage(const std::string& message) {
  OpenMessageEndingWith(message.c_str(), "Any key or click closes this.", 20, 40, ScreenWidth - 40);
}

void OpenMenu(DemoMenu menu, int slot) {
  ClearList(&menuEntries);
  if (menu == KindMenu) {
    for (int k = 0; k < SynthKindCount; k++) AddItem(&menuEntries, SynthKindNames[k]);
    std::string removed = StudioRemovedName(slot);
    if (!removed.empty()) AddItem(&menuEntries, ("Bring back " + removed).c_str());
  } else if (menu == UserMenu) {
    for (const char* name : UserActionNames) AddItem(&menuEntries, name);
  } else {
    AddItem(&menuEntries, CopyActionName);
  }
  openMenu = menu;
  menuSlot = slot;
  OpenListPopup(&menuEntries, PointerX, PointerY, menu == KindMenu ? 180 : 150);
}

void AnswerDelete(int32_t answer) {
  std::string message;
  if (answer && !StudioDeleteSound(deleteSlot, &message)) ShowStudioMessage(message);
}

void Act(DemoMenu menu, int slot, int chosen) {
  std::string message;
  int ok = -1;
  if (menu == KindMenu) {
    ok = chosen < SynthKindCount ? StudioNewSound(slot, chosen, FreshSeed(), &message)
                                 : StudioStepSound(slot, 0, &message);
  } else if (menu == BuiltinMenu) {
    int copied = -1;
    ok = StudioCopyBuiltin(slot, &copied, &message);
  } else if (chosen == MutateAction) {
    ok = StudioMutateSound(slot, FreshSeed(), &message);
  } else if (chosen == AnotherAction) {
    ok = StudioAnotherSound(slot, FreshSeed(), &message);
  } else if (chosen == UndoAction || chosen == RedoAction) {
    ok = StudioStepSound(slot, chosen == UndoAction ? -1 : 1, &message);
  } else if (chosen == DeleteAction) {
    deleteSlot = slot;
    std::string question = "Delete Sounds/" + UserSoundFileAt(slot) + "? Its versions are kept.";
    OpenConfirmDialog(question.c_str(), AnswerDelete, 20, 200, ScreenWidth - 40, 30);
  }
  if (!ok) ShowStudioMessage(message);
}

// The popup closes itself on any press; once it has, what it chose is done.
void FinishMenu() {
  if (openMenu == NoMenu || ListPopup.open) return;
  DemoMenu menu = openMenu;
  openMenu = NoMenu;
  if (ListPopup.source == &menuEntries && ListPopup.chosen >= 0) Act(menu, menuSlot, ListPopup.chosen);
}

void OpenSlotMenu(int slot) {
  StudioSlotKind kind = StudioSlotKindOf(slot);
  if (kind == StudioBuiltinSlot)
    OpenMenu(BuiltinMenu, slot);
  else if (kind == StudioUserSlot)
    OpenMenu(UserMenu, slot);
  else if (slot >= UserSoundFirstSlot)
    OpenMenu(KindMenu, slot);
}
}  // namespace

const char DemoTitle[] = "--- Zorta Demo ---     <Click A Sound To Play It>     Every sound made at start-up";

void DrawDemoScreen() {
  FillRect(0, 0, ScreenWidth, ScreenHeight, 0);
  FillRect(0, 0, ScreenWidth, 15, PackColor(0, 0, 128, ColorDepth));
  PrintText(DemoTitle, ScreenWidth / 2 - 192, 0);
  const uint32_t normal = PackColor(64, 64, 64, ColorDepth);
  const uint32_t hover = PackColor(96, 96, 96, ColorDepth);
  FinishMenu();
  int32_t x = 2, y = 20;
  for (int i = 0; i < SoundBankSlots; i++) {
    uint32_t fill = normal;
    // The hit area is two pixels wider than the drawn button, so the gap to
    // the right belongs to it; the gap below belongs to no button.
    if (IsMouseOver(&RootWindow, x, y, 32, 16)) {
      if (IsClicked(&RootWindow) && SoundBank[i] != nullptr) FSOUND_PlaySound(FSOUND_FREE, SoundBank[i]);
      if (MouseRightPressed() && openMenu == NoMenu && !ListPopup.open) OpenSlotMenu(i);
      fill = hover;
    }
    FillRect(x, y, 30, 16, fill);
    if (SoundBank[i] != nullptr) {
      char label[12];
      snprintf(label, sizeof label, "%d", i);
      PrintText(label, x + 5, y);
    }
    if (y + 18 < ScreenHeight - 16) {
      y += 18;
    } else {
      y = 20;
      x += 32;
    }
  }
}

}  // namespace zorta
