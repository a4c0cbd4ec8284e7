#include "screen.h"

#include <cstdio>

#include <zorta/zorta.h>

#include "game.h"
#include "replay.h"

using namespace zorta;

const char* StartLevelName = nullptr;
char QuitResult[256];

namespace {

int32_t shownLevel = -1;   // the level whose end was last shown
int32_t shownState = GamePlaying;
int32_t started = 0;
int32_t listOpened = 0;  // the level list was opened and its choice not yet taken

void StartNewGame(const char* name) {
  if (NewGame(name) && RecordingOn) RecordEvent(ReplayEntry::NewGameAt, name);
}

const char* FirstLevel() {
  NamedItem* first = ItemAt(&MapList, 0);
  return first != nullptr ? first->name : nullptr;
}

void OpenLevelList() {
  OpenListPopup(&MapList, 220, 140, 200);
  listOpened = ListPopup.open;
}

}  // namespace

void ResetGameScreen() {
  shownLevel = -1;
  shownState = GamePlaying;
  QuitResult[0] = 0;
  started = 0;
  listOpened = 0;
}

void AnswerQuit(int32_t answer) {
  if (!answer) return;
  FormatResult(QuitResult, sizeof QuitResult);
  QuitProgram();
}

void DrawGameScreen() {
  if (!started) {
    started = -1;
    // Play starts from the seed, as a replay does, whatever the first map's
    // load at start-up drew from the generator.
    ResetGame(GameSeed);
    // A level asked for that Maps/ does not hold: the first, and the list.
    bool given = StartLevelName != nullptr && FindItem(&MapList, StartLevelName) != nullptr;
    StartNewGame(given ? StartLevelName : FirstLevel());
    // The first thing seen: which level to play (Escape keeps the first).
    if (!given && MapList.count > 1) OpenLevelList();
  }
  // Only a list this screen opened has a choice for it (chosen starts at 0).
  if (listOpened && !ListPopup.open) {
    listOpened = 0;
    NamedItem* item = ListPopup.chosen >= 0 ? ItemAt(&MapList, ListPopup.chosen) : nullptr;
    if (item != nullptr) StartNewGame(item->name);
  }
  char text[128];
  if (Game.state != shownState || Game.level != shownLevel) {
    shownState = Game.state;
    shownLevel = Game.level;
    if (Game.state == GameWon) {
      const char* what = ItemAt(&MapList, Game.level + 1) != nullptr ? "Level complete!" : "All levels complete!";
      snprintf(text, sizeof text, "%s#Score: %d##Press any key", what, static_cast<int>(Game.score));
      OpenMessageWindow(text, 200, 180, 240, 74);
    } else if (Game.state == GameLost) {
      snprintf(text, sizeof text, "Game over#Score: %d##Press any key to play again", static_cast<int>(Game.score));
      OpenMessageWindow(text, 180, 180, 280, 74);
    }
  } else if (Game.state == GameLost && !MessageWindow.open) {
    // Game over, once its message is read, starts again from the first level.
    StartNewGame(FirstLevel());
  }
  if (FocusWindow == nullptr) {
    if (KeyPressed(KeyEscape)) OpenConfirmDialog("Quit Zorta Collect?", AnswerQuit, 170, 210, 300, 30);
    else if (KeyPressed('L')) OpenLevelList();
  }
  // Under a window the world holds still; those steps are not played at all.
  WorldPaused = FocusWindow != nullptr ? -1 : 0;

  FillRect(0, 0, ScreenWidth, 18, PackColor(0, 0, 0, ColorDepth));
  const NamedItem* level = ItemAt(&MapList, Game.level);
  snprintf(text, sizeof text, "Score: %d    Lives: %d    Coins left: %d    %s", static_cast<int>(Game.score),
           static_cast<int>(Game.lives), static_cast<int>(Game.coinsLeft), level != nullptr ? level->name : "");
  PrintText(text, 8, 2);
  PrintText("L: levels   Esc: quit", ScreenWidth - 8 - TextWidth("L: levels   Esc: quit"), 2);
  if (!Players[1].joined) PrintText("Player 2: W A S D to join, Q to jump", 8, ScreenHeight - 16);
}
