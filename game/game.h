// Zorta Collect: a top-down collector on the framework. One or two players
// pick up every coin of a level while enemies walk their paths from the map;
// once the coins are gone the goal opens and the first player to reach it
// completes the level. The rules run only in the world's 4 ms logic steps.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zorta {
struct LiveObject;
struct MapLayer;
}  // namespace zorta
using zorta::LiveObject;
using zorta::MapLayer;

enum : int32_t {
  GamePlaying = 0,
  GameWon = 1,   // this level complete; the next one starts after WinSteps
  GameLost = 2,  // no lives left
};

// Collision groups of the object types.
enum : int32_t {
  PlayerGroup = 1,
  CoinGroup = 2,
  EnemyGroup = 4,
  GoalGroup = 8,
};

// The rule constants, in world pixels and logic steps (4 ms).
const float PlayerSpeed = 0.5f;        // 125 pixels a second
const float JumpSpeed = 0.75f;
const float PlayerHalf = 10;           // the player's box is 20 x 20 about its centre
const float PickupReach = 18;
const float HitReach = 20;
const float EnemySpeed = 0.3f;         // when the placement gives none (real 1)
const int32_t JumpSteps = 100;         // 0.4 s in the air: enemies pass under
const int32_t HurtSteps = 375;         // 1.5 s flashing after a hit, safe
const int32_t RespawnSleep = 125;      // 0.5 s gone after a hit
const int32_t WinSteps = 500;          // 2 s between "level complete" and the next level
const int32_t StartLives = 3;
const int32_t CoinScore = 10;
const int32_t SparkleSteps = 60;

// Tiles of the Main layer that nobody walks through: the brick wall, and the
// bank of a pond, a value past the tile set's last cell, so never drawn: the
// water seen there is the far layer through the hole in the floor.
const int32_t WallTile = 3;
const int32_t PondTile = 8;

// Bank slots played on the game's events.
enum : int {
  SoundJump = 4,
  SoundPickup = 12,
  SoundHit = 82,
  SoundWin = 10,
};

struct GameStatus {
  int32_t level;       // index in the MapList, -1 before the first level
  int32_t state;       // GamePlaying, GameWon, GameLost
  int32_t score;
  int32_t lives;
  int32_t coinsLeft;
  int32_t winTimer;    // steps until the next level once won
  uint32_t steps;      // logic steps played since the first level started
  uint32_t random;     // the game's own generator, from the seed
};
extern GameStatus Game;

struct PlayerState {
  LiveObject* object;  // null until its placement is spawned
  float startX, startY;
  int32_t joined;      // player 2 joins on its first control
  int32_t jumpTimer;
  int32_t hurtTimer;
  int32_t walk;        // steps walked, for the animation
};
extern PlayerState Players[2];

// The game's own data for each pool slot (enemies' distance along their path,
// sparkles' age).
struct ObjectData {
  float distance;
  int32_t age;
};
extern ObjectData GameObjects[512];

// Registers the types "Player", "Coin", "Enemy", "Goal" and "Sparkle"; their
// image is the sprite sheet.
void RegisterGameTypes();
extern const char SpriteSheet[];

// Puts the whole game back to its start with the generator seeded; the seed
// is kept for the start of play.
void ResetGame(uint32_t seed);
extern uint32_t GameSeed;
// A new game on that level: score 0, all lives, player 2 out; the generator
// and the step count run on. -1, or 0 when the MapList holds no such name.
int NewGame(const char* name);
// Starts the level of that MapList name; the score and lives carry over.
// -1, or 0 when the MapList holds no such name.
int StartGameLevel(const char* name);
// The game's per-step operation (GameStep).
void RunGameStep();
// Where the sounds go: the bank by default; tests record them.
extern void (*PlayGameSound)(int slot);

// -1 when the layer has a wall at the world pixel, or the pixel lies outside it.
int IsWall(const MapLayer* layer, float x, float y);
// Moves the object by (dx, dy), one axis after the other, as far as the walls
// of the MainLayer let a box of PlayerHalf about its centre go.
void MoveWithWalls(LiveObject* object, float dx, float dy);
// The next number of the game's generator.
uint32_t GameRandom();

// A hash of everything the rules keep: the status, the players and every
// live object in slot order.
uint64_t HashWorld();
// The one line a replay ends with.
void FormatResult(char* buffer, size_t size);
