// The windows over the game: the level list at the start and its choice, the
// message at the end of a level or of the game, the question on Escape, and
// the world held still under each of them.
#include "game_test_support.h"
#include "gui/builtin_windows.h"

using namespace zorta;

namespace {

const std::vector<std::string> Room = {"######", "#....#", "#....#", "######"};

class Screen : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    WriteLevel("a.map", Room, {PlacePlayer(0, 1, 1), Place("Goal", 3, 1)});
    WriteLevel("b.map", Room, {PlacePlayer(0, 2, 2), Place("Coin", 4, 2)});
    StartLevelName = nullptr;
  }
  void TearDown() override {
    CloseGuiWindow(&ListPopup);
    CloseGuiWindow(&MessageWindow);
    CloseGuiWindow(&ConfirmDialog);
    StartLevelName = nullptr;
    GameTest::TearDown();
  }
  // One frame's share of the game screen, with the keys of this frame.
  void Frame() {
    DrawGameScreen();
    UpdateInput();
  }
};

TEST_F(Screen, AGivenLevelStartsAndStaysWithoutTheList) {
  StartLevelName = "b.map";
  Frame();
  Frame();
  EXPECT_EQ(Game.level, 1);
  EXPECT_EQ(ListPopup.open, 0);
  EXPECT_EQ(WorldPaused, 0);
}

TEST_F(Screen, ALevelMapsDoesNotHoldStartsTheFirstWithTheList) {
  StartLevelName = "missing.map";
  Frame();
  EXPECT_EQ(Game.level, 0);
  EXPECT_EQ(ListPopup.open, -1);
}

TEST_F(Screen, TheListAtTheStartHoldsTheWorldAndItsChoiceStartsANewRecordedGame) {
  RecordingOn = -1;
  Frame();
  EXPECT_EQ(Game.level, 0);
  ASSERT_EQ(ListPopup.open, -1);
  EXPECT_EQ(ListPopup.source, &MapList);
  EXPECT_EQ(WorldPaused, -1);
  // A click on the second entry chooses it and closes the list.
  ListPopup.chosen = 1;
  CloseGuiWindow(&ListPopup);
  SetFocusWindow(nullptr);
  Frame();
  EXPECT_EQ(Game.level, 1);
  EXPECT_EQ(WorldPaused, 0);
  ASSERT_EQ(Recording.entries.size(), 2u);
  EXPECT_EQ(Recording.entries[0].name, "a.map");
  EXPECT_EQ(Recording.entries[1].kind, ReplayEntry::NewGameAt);
  EXPECT_EQ(Recording.entries[1].name, "b.map");
  Frame();  // the choice is taken once
  EXPECT_EQ(Recording.entries.size(), 2u);
}

TEST_F(Screen, ALevelWonIsAnnouncedOnceWhileTheWorldWaits) {
  StartLevelName = "a.map";
  Frame();
  Steps(2 * 48, ControlRight);  // no coins: the goal is open
  ASSERT_EQ(Game.state, GameWon);
  Frame();
  ASSERT_EQ(MessageWindow.open, -1);
  EXPECT_STREQ(MessageWindow.text, "Level complete!#Score: 0##Press any key");
  EXPECT_EQ(FocusWindow, &MessageWindow);
  EXPECT_EQ(WorldPaused, -1);
  CloseGuiWindow(&MessageWindow);
  SetFocusWindow(nullptr);
  Frame();
  EXPECT_EQ(MessageWindow.open, 0);
  EXPECT_EQ(WorldPaused, 0);
}

TEST_F(Screen, GameOverIsReadThenANewGameStartsOnTheFirstLevel) {
  StartLevelName = "b.map";
  Frame();
  Game.score = 30;
  Game.state = GameLost;
  Frame();
  ASSERT_EQ(MessageWindow.open, -1);
  EXPECT_STREQ(MessageWindow.text, "Game over#Score: 30##Press any key to play again");
  Frame();
  EXPECT_EQ(Game.state, GameLost);  // still reading
  CloseGuiWindow(&MessageWindow);
  SetFocusWindow(nullptr);
  Frame();
  EXPECT_EQ(Game.state, GamePlaying);
  EXPECT_EQ(Game.level, 0);
  EXPECT_EQ(Game.score, 0);
  EXPECT_EQ(Game.lives, StartLives);
}

TEST_F(Screen, EscapeAsksWhetherToQuitButNotOverAnotherWindow) {
  StartLevelName = "a.map";
  Frame();
  OnKeyDown(VK_ESCAPE);
  Frame();
  ASSERT_EQ(ConfirmDialog.open, -1);
  EXPECT_STREQ(ConfirmDialog.text, "Quit Zorta Collect?");
  EXPECT_EQ(ConfirmDialog.callback, AnswerQuit);
  EXPECT_EQ(ModalWindow, &ConfirmDialog);
  EXPECT_EQ(WorldPaused, -1);
  CloseGuiWindow(&ConfirmDialog);
  ModalWindow = nullptr;
  // "L" opens the list; Escape over it is the list's, not a question.
  OnKeyDown('L');
  SetFocusWindow(nullptr);
  Frame();
  ASSERT_EQ(ListPopup.open, -1);
  OnKeyDown(VK_ESCAPE);
  Frame();
  EXPECT_EQ(ConfirmDialog.open, 0);
}

}  // namespace

namespace {

TEST_F(Screen, PlayStartsFromTheSeedWhateverTheStartUpDrewFromTheGenerator) {
  ResetGame(5);
  GameRandom();  // the first map's coins, loaded at start-up
  GameRandom();
  StartLevelName = "b.map";
  Frame();
  uint32_t live = Game.random;
  ResetGame(5);
  ASSERT_EQ(NewGame("b.map"), -1);  // as a replay starts
  EXPECT_EQ(live, Game.random);
}

TEST_F(Screen, YesKeepsTheResultLineAndClosesTheWindow) {
  StartLevelName = "b.map";
  Frame();
  Game.score = 20;
  AnswerQuit(0);
  EXPECT_STREQ(QuitResult, "");
  AnswerQuit(-1);
  char line[256];
  FormatResult(line, sizeof line);
  EXPECT_STREQ(QuitResult, line);
  EXPECT_NE(std::string(QuitResult).find(" score 20 "), std::string::npos);
}

}  // namespace
