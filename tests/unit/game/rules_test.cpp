// The rules, one at a time: walls, pickups, enemies on their paths, hits and
// jumps, the goal and the change of level, the second player joining.
#include "game_test_support.h"

using namespace zorta;

namespace {

const std::vector<std::string> Room = {
    "##########",
    "#........#",
    "#........#",
    "#........#",
    "##########",
};

class Rules : public GameTest {};

TEST_F(Rules, WallsAndPondBanksStopTheBoxAndItSlidesAlongThem) {
  WriteLevel("a.map", {"######", "#....#", "#..~.#", "#....#", "######"}, {PlacePlayer(0, 1, 1)});
  ASSERT_EQ(StartGameLevel("a.map"), -1);
  LiveObject* p = Players[0].object;
  ASSERT_NE(p, nullptr);
  Steps(100, ControlLeft);
  EXPECT_EQ(p->x, 42);  // the box's left edge at 32, the wall's right
  Steps(100, ControlUp);
  EXPECT_EQ(p->y, 42);
  // Against the left wall, left and down together still goes down.
  Steps(20, ControlLeft | ControlDown);
  EXPECT_EQ(p->x, 42);
  EXPECT_EQ(p->y, 52);
  Steps(400, ControlRight);
  EXPECT_EQ(p->x, 150.5f);  // the box's right pixel at 159, the wall from 160
  // The pond bank at column 3, row 2 stops it from below as a wall does.
  p->x = Centre(3);
  p->y = Centre(3);
  Steps(100, ControlUp);
  EXPECT_EQ(p->y, Centre(3) - 6);  // the box's top at 96, the bank's bottom row 95
}

TEST_F(Rules, IsWallCountsTheLayerEdgeAsAWall) {
  WriteLevel("a.map", {"#.", ".~"}, {});
  ASSERT_EQ(StartGameLevel("a.map"), -1);
  EXPECT_EQ(IsWall(MainLayer, 5, 5), -1);
  EXPECT_EQ(IsWall(MainLayer, 40, 5), 0);
  EXPECT_EQ(IsWall(MainLayer, 40, 40), -1);
  EXPECT_EQ(IsWall(MainLayer, 64, 5), -1);
  EXPECT_EQ(IsWall(MainLayer, 40, -1), -1);
  EXPECT_EQ(IsWall(nullptr, 40, 40), 0);
}

TEST_F(Rules, ACoinInReachIsTakenOnceWithItsScoreSoundAndSparkle) {
  WriteLevel("a.map", Room, {PlacePlayer(0, 1, 1), Place("Coin", 4, 1), Place("Coin", 4, 2)});
  ASSERT_EQ(StartGameLevel("a.map"), -1);
  EXPECT_EQ(Game.coinsLeft, 2);
  LiveObject* p = Players[0].object;
  // 18 pixels short of the first coin: not yet, the reach is strict.
  Steps(2 * (Centre(4) - PickupReach - Centre(1)), ControlRight);
  EXPECT_EQ(Game.score, 0);
  EXPECT_TRUE(SoundsPlayed().empty());
  Steps(1, ControlRight);
  EXPECT_EQ(Game.score, CoinScore);
  EXPECT_EQ(Game.coinsLeft, 1);
  EXPECT_EQ(SoundsPlayed(), std::vector<int>{SoundPickup});
  EXPECT_EQ(LiveCount("Coin"), 1);
  ASSERT_EQ(LiveCount("Sparkle"), 1);
  EXPECT_EQ(First("Sparkle")->x, Centre(4));
  // The coin below, 32 pixels down, stays out of reach however long it waits.
  p->x = Centre(4);
  Steps(SparkleSteps, 0);
  EXPECT_EQ(Game.score, CoinScore);
  EXPECT_EQ(LiveCount("Sparkle"), 0);
  Steps(30, ControlDown);
  EXPECT_EQ(Game.score, 2 * CoinScore);
  EXPECT_EQ(Game.coinsLeft, 0);
}

TEST_F(Rules, AnEnemyWalksItsPathAtItsSpeedAndRoundAgain) {
  // Open path from (48, 112) to (240, 112) and back: 384 pixels.
  WriteLevel("a.map", Room, {PlaceEnemy(1, 3, {{Centre(7), Centre(3)}}, 0.5f), PlaceEnemy(1, 1, {{Centre(7), Centre(1)}}, 0)});
  ASSERT_EQ(StartGameLevel("a.map"), -1);
  LiveObject* fast = nullptr;
  LiveObject* slow = nullptr;
  for (int32_t at = DisplayList.head; at >= 0; at = ObjectPool[at].next)
    (ObjectPool[at].y == Centre(3) ? fast : slow) = &ObjectPool[at];
  ASSERT_NE(fast, nullptr);
  ASSERT_NE(slow, nullptr);
  Steps(100, 0);
  EXPECT_EQ(fast->x, Centre(1) + 50);
  EXPECT_FLOAT_EQ(slow->x, Centre(1) + 100 * EnemySpeed);
  Steps(384, 0);  // 242 pixels on: past the far end, on the way back
  EXPECT_EQ(fast->x, Centre(7) - 50);
  EXPECT_EQ(fast->y, Centre(3));
  Steps(2 * 384 - 100 - 384, 0);  // 384 pixels in all: where it began
  EXPECT_EQ(fast->x, Centre(1));
}

TEST_F(Rules, AHitCostsALifeSendsThePlayerBackAndGivesItTimeThenTheLastOneEndsTheGame) {
  WriteLevel("a.map", Room, {PlacePlayer(0, 1, 2), PlaceEnemy(4, 2, {}, 0)});
  ASSERT_EQ(StartGameLevel("a.map"), -1);
  LiveObject* p = Players[0].object;
  Steps(2 * (Centre(4) - HitReach - Centre(1)), ControlRight);
  EXPECT_EQ(Game.lives, StartLives);
  Steps(1, ControlRight);
  EXPECT_EQ(Game.lives, StartLives - 1);
  EXPECT_EQ(SoundsPlayed(), std::vector<int>{SoundHit});
  EXPECT_EQ(p->x, Centre(1));
  EXPECT_EQ(p->sleep, RespawnSleep);
  // Asleep it does not move; awake it is safe for a while, even on the enemy.
  Steps(RespawnSleep, ControlRight);
  EXPECT_EQ(p->x, Centre(1));
  p->x = Centre(4);
  Steps(HurtSteps - 1, 0);
  EXPECT_EQ(Game.lives, StartLives - 1);
  Steps(1, 0);
  EXPECT_EQ(Game.lives, StartLives - 2);
  // In the air the enemy passes under: jump, then walk through it.
  Steps(RespawnSleep + HurtSteps, 0);
  SoundsPlayed().clear();
  p->x = Centre(4) - 40;
  Steps(1, ControlRight | ControlButton1, ControlButton1);
  EXPECT_EQ(SoundsPlayed(), std::vector<int>{SoundJump});
  Steps(JumpSteps - 1, ControlRight);
  EXPECT_GT(p->x, Centre(4) + 20);
  EXPECT_EQ(Game.lives, StartLives - 2);
  // Back onto it on foot: the last life.
  p->x = Centre(4);
  Steps(1, 0);
  EXPECT_EQ(Game.lives, 0);
  EXPECT_EQ(Game.state, GameLost);
  // Nothing moves once the game is lost.
  float x = p->x;
  Steps(50, ControlLeft);
  EXPECT_EQ(p->x, x);
}

TEST_F(Rules, TheGoalOpensWhenTheCoinsAreGoneAndTheNextLevelFollowsKeepingScoreAndLives) {
  WriteLevel("a.map", Room, {PlacePlayer(0, 1, 1), Place("Goal", 3, 1), Place("Coin", 1, 3)});
  WriteLevel("b.map", Room, {PlacePlayer(0, 2, 2), Place("Goal", 3, 2)});
  ASSERT_EQ(StartGameLevel("a.map"), -1);
  LiveObject* goal = First("Goal");
  ASSERT_NE(goal, nullptr);
  Steps(200, ControlRight);  // across the shut goal
  EXPECT_EQ(Game.state, GamePlaying);
  EXPECT_EQ(goal->frame, 8);
  Players[0].object->x = Centre(1);
  Players[0].object->y = Centre(3);
  Steps(1, 0);
  EXPECT_EQ(Game.coinsLeft, 0);
  Steps(1, 0);  // the goal steps before the walkers: it opens on the next step
  EXPECT_EQ(goal->frame, 9);
  Players[0].object->x = Centre(3);
  Players[0].object->y = Centre(1);
  SoundsPlayed().clear();
  Steps(1, 0);
  EXPECT_EQ(Game.state, GameWon);
  EXPECT_EQ(SoundsPlayed(), std::vector<int>{SoundWin});
  // The step of the win is the first of WinSteps.
  Steps(WinSteps - 2, 0);
  EXPECT_EQ(Game.level, 0);
  Steps(1, 0);
  EXPECT_EQ(Game.level, 1);
  EXPECT_EQ(MapList.current, 1);
  EXPECT_EQ(Game.state, GamePlaying);
  EXPECT_EQ(Game.score, CoinScore);
  EXPECT_EQ(Game.lives, StartLives);
  ASSERT_NE(Players[0].object, nullptr);
  EXPECT_EQ(Players[0].object->x, Centre(2));
  // No coins here: the goal is open from the start; the last level stays won.
  Steps(2 * 32, ControlRight);
  EXPECT_EQ(Game.state, GameWon);
  Steps(WinSteps + 10, 0);
  EXPECT_EQ(Game.level, 1);
  EXPECT_EQ(Game.state, GameWon);
}

TEST_F(Rules, PlayerTwoWaitsUnseenUntilItsFirstControlAndANewGameSendsItOut) {
  WriteLevel("a.map", Room, {PlacePlayer(0, 1, 1), PlacePlayer(1, 1, 3)});
  ASSERT_EQ(NewGame("a.map"), -1);
  LiveObject* two = Players[1].object;
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->visible, 0);
  Steps(10, ControlRight);
  EXPECT_EQ(two->x, Centre(1));
  EXPECT_EQ(Players[1].joined, 0);
  Steps(10, 0, 0, ControlRight);
  EXPECT_EQ(Players[1].joined, -1);
  EXPECT_EQ(two->visible, -1);
  EXPECT_EQ(two->x, Centre(1) + 5);
  // The camera follows the middle of both.
  EXPECT_EQ(Camera.x, 0);
  ASSERT_EQ(NewGame("a.map"), -1);
  EXPECT_EQ(Players[1].joined, 0);
  EXPECT_EQ(Players[1].object->visible, 0);
}

}  // namespace
