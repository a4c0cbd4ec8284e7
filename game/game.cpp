#include "game.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include <zorta/zorta.h>

using namespace zorta;

GameStatus Game;
uint32_t GameSeed = 1;
PlayerState Players[2];
ObjectData GameObjects[512];
const char SpriteSheet[] = "TileSets/sprites.gfx";

namespace {

// Sprite sheet cells.
enum : int32_t {
  FramePlayer1 = 0,   // and 1: walking
  FramePlayer2 = 2,   // and 3
  FrameCoin = 4,      // and 5: turning
  FrameEnemy = 6,     // and 7
  FrameGoalShut = 8,
  FrameGoalOpen = 9,
  FrameSparkle = 10,  // and 11
  FrameJump1 = 12,
  FrameJump2 = 13,
};

// Depths: the goal lies on the ground, walkers are kept in y order so the
// lower one stands in front, sparkles float over everything.
const int32_t GoalDepth = 5;
const int32_t ActorDepth = 10;
const int32_t SparkleDepth = 20;

ObjectType* sparkleType = nullptr;

ObjectData& DataOf(const LiveObject* o) { return GameObjects[SlotOf(o)]; }

int BoxHitsWall(float x, float y) {
  const float h = PlayerHalf;
  return IsWall(MainLayer, x - h, y - h) || IsWall(MainLayer, x + h - 1, y - h) ||
         IsWall(MainLayer, x - h, y + h - 1) || IsWall(MainLayer, x + h - 1, y + h - 1);
}

// A hit by an enemy: a life less, and back to the start after a short sleep,
// flashing and safe for a while.
void HurtPlayer(PlayerState& p, LiveObject* o) {
  PlayGameSound(SoundHit);
  Game.lives--;
  if (Game.lives <= 0) {
    Game.lives = 0;
    Game.state = GameLost;
    return;
  }
  o->x = p.startX;
  o->y = p.startY;
  o->sleep = RespawnSleep;
  p.hurtTimer = HurtSteps;
  p.jumpTimer = 0;
}

void PlayerStep(LiveObject* o) {
  int index = o->carried1 != 0 ? 1 : 0;
  PlayerState& p = Players[index];
  const PlayerControl& c = PlayerControls[index];
  if (!p.joined) {
    if (c.current == 0) return;
    p.joined = -1;
    o->visible = -1;
  }
  if (Game.state != GamePlaying) return;
  if (p.hurtTimer > 0) {
    p.hurtTimer--;
    // Blinks as a silhouette: a flash of 2 is drawn once and then ends.
    o->flash = (p.hurtTimer / 25) % 2 ? 2 : 0;
  }
  if ((c.pressed & ControlButton1) && p.jumpTimer == 0) {
    p.jumpTimer = JumpSteps;
    PlayGameSound(SoundJump);
  }
  float speed = p.jumpTimer > 0 ? JumpSpeed : PlayerSpeed;
  float dx = 0, dy = 0;
  if (c.current & ControlLeft) dx -= speed;
  if (c.current & ControlRight) dx += speed;
  if (c.current & ControlUp) dy -= speed;
  if (c.current & ControlDown) dy += speed;
  MoveWithWalls(o, dx, dy);
  if (dx < 0) o->param = 1;
  if (dx > 0) o->param = 0;
  if (dx != 0 || dy != 0) p.walk++;
  int32_t base = index == 0 ? FramePlayer1 : FramePlayer2;
  if (p.jumpTimer > 0) {
    p.jumpTimer--;
    o->frame = static_cast<float>(index == 0 ? FrameJump1 : FrameJump2);
  } else {
    o->frame = static_cast<float>(base + (p.walk / 32) % 2);
  }

  LiveObject* coin = FindNearInGroup(CoinGroup, o->x, o->y, PickupReach, PickupReach, nullptr);
  if (coin != nullptr) {
    coin->remove = -1;
    Game.score += CoinScore;
    Game.coinsLeft--;
    PlayGameSound(SoundPickup);
    if (sparkleType != nullptr) SpawnObject(sparkleType, coin->x, coin->y, 0, nullptr);
  }
  // In the air, and while flashing, the enemies pass by.
  if (p.jumpTimer == 0 && p.hurtTimer == 0 &&
      FindNearInGroup(EnemyGroup, o->x, o->y, HitReach, HitReach, nullptr) != nullptr) {
    HurtPlayer(p, o);
    return;
  }
  if (Game.coinsLeft <= 0 && FindNearInGroup(GoalGroup, o->x, o->y, HitReach, HitReach, nullptr) != nullptr) {
    Game.state = GameWon;
    Game.winTimer = WinSteps;
    PlayGameSound(SoundWin);
  }
}

void PlayerCallback(LiveObject* o, int32_t message) {
  if (message == ObjectSpawned) {
    DataOf(o) = ObjectData{};
    int index = o->placement != nullptr && o->placement->ints[0] == 1 ? 1 : 0;
    o->carried1 = static_cast<uint32_t>(index);
    PlayerState& p = Players[index];
    p.object = o;
    p.startX = o->x;
    p.startY = o->y;
    p.jumpTimer = p.hurtTimer = 0;
    AddToCollisionGroup(o, PlayerGroup);
    // Player 2 waits, unseen, until its controls are first used.
    if (!p.joined) o->visible = 0;
  } else if (message == ObjectStep) {
    PlayerStep(o);
  }
}

void CoinCallback(LiveObject* o, int32_t message) {
  if (message == ObjectSpawned) {
    DataOf(o) = ObjectData{};
    AddToCollisionGroup(o, CoinGroup);
    Game.coinsLeft++;
    // The coins start turning one after the other, not all in step.
    o->delay = static_cast<int32_t>(GameRandom() % 40);
  } else if (message == ObjectStep) {
    ObjectData& d = DataOf(o);
    d.age++;
    o->frame = static_cast<float>(FrameCoin + (d.age / 40) % 2);
  }
}

void EnemyCallback(LiveObject* o, int32_t message) {
  if (message == ObjectSpawned) {
    DataOf(o) = ObjectData{};
    AddToCollisionGroup(o, EnemyGroup);
  } else if (message == ObjectStep) {
    if (Game.state != GamePlaying) return;
    ObjectData& d = DataOf(o);
    d.age++;
    o->frame = static_cast<float>(FrameEnemy + (d.age / 30) % 2);
    const MapObject* placement = o->placement;
    if (placement == nullptr) return;
    float speed = placement->reals[0] > 0 ? placement->reals[0] : EnemySpeed;
    d.distance += speed;
    float x, y;
    if (PathPointAt(placement, d.distance, &x, &y)) {
      o->x = x;
      o->y = y;
    }
  }
}

void GoalCallback(LiveObject* o, int32_t message) {
  if (message == ObjectSpawned) {
    AddToCollisionGroup(o, GoalGroup);
  } else if (message == ObjectStep) {
    o->frame = static_cast<float>(Game.coinsLeft <= 0 ? FrameGoalOpen : FrameGoalShut);
  }
}

void SparkleCallback(LiveObject* o, int32_t message) {
  // A slot is reused: a sparkle starts from nothing, not from the coin's age.
  if (message == ObjectSpawned) DataOf(o) = ObjectData{};
  if (message != ObjectStep) return;
  ObjectData& d = DataOf(o);
  d.age++;
  o->frame = static_cast<float>(FrameSparkle + (d.age / 10) % 2);
  o->y -= 0.1f;
  if (d.age >= SparkleSteps) o->remove = -1;
}

uint64_t Mix(uint64_t h, const void* data, size_t size) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; i++) {
    h ^= p[i];
    h *= 1099511628211ull;
  }
  return h;
}

template <typename T>
uint64_t MixValue(uint64_t h, T value) {
  return Mix(h, &value, sizeof value);
}

}  // namespace

void (*PlayGameSound)(int slot) = PlayBankSound;

uint32_t GameRandom() {
  // xorshift32: the same numbers on every machine.
  uint32_t x = Game.random;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  Game.random = x;
  return x;
}

void RegisterGameTypes() {
  RegisterObjectType("Player", PlayerCallback, SpriteSheet, FramePlayer1, 0.5f, 0.5f, 1, ActorDepth, 0);
  RegisterObjectType("Coin", CoinCallback, SpriteSheet, FrameCoin, 0.5f, 0.5f, 1, ActorDepth, 0);
  RegisterObjectType("Enemy", EnemyCallback, SpriteSheet, FrameEnemy, 0.5f, 0.5f, 1, ActorDepth, 0);
  RegisterObjectType("Goal", GoalCallback, SpriteSheet, FrameGoalShut, 0.5f, 0.5f, 1, GoalDepth, 0);
  sparkleType = RegisterObjectType("Sparkle", SparkleCallback, SpriteSheet, FrameSparkle, 0.5f, 0.5f, 1,
                                   SparkleDepth, 0);
}

void ResetGame(uint32_t seed) {
  GameSeed = seed;
  memset(&Game, 0, sizeof Game);
  Game.level = -1;
  Game.lives = StartLives;
  Game.random = seed != 0 ? seed : 1;
  memset(Players, 0, sizeof Players);
  Players[0].joined = -1;
  memset(GameObjects, 0, sizeof GameObjects);
}

int NewGame(const char* name) {
  Game.score = 0;
  Game.lives = StartLives;
  Game.state = GamePlaying;
  Players[1].joined = 0;
  return StartGameLevel(name);
}

int StartGameLevel(const char* name) {
  NamedItem* item = name != nullptr ? FindItem(&MapList, name) : nullptr;
  if (item == nullptr) return 0;
  int32_t index = static_cast<int32_t>(item - MapList.items);
  Game.level = index;
  Game.state = GamePlaying;
  Game.winTimer = 0;
  Game.coinsLeft = 0;
  Players[0].object = Players[1].object = nullptr;
  memset(GameObjects, 0, sizeof GameObjects);
  // The coins count themselves and the players note their start as they spawn.
  if (!StartMapByName(item->name)) return 0;
  YSortDepth = ActorDepth;
  // The layers after "Main" are drawn over the walkers (tree tops, clouds).
  NamedItem* main = FindItem(&LayerList, "Main");
  if (main != nullptr) ObjectLayerIndex = static_cast<int32_t>(main - LayerList.items);
  ResortObjects();
  if (Players[0].object != nullptr) CenterCamera(Players[0].object->x, Players[0].object->y);
  return -1;
}

void RunGameStep() {
  if (Game.level < 0) return;
  Game.steps++;
  // The update order is the display order: kept sorted here, every step, so
  // that it does not depend on how many frames were drawn in between.
  ResortObjects();
  if (Game.state == GameWon && Game.winTimer > 0 && --Game.winTimer == 0) {
    NamedItem* next = ItemAt(&MapList, Game.level + 1);
    if (next != nullptr) {
      StartGameLevel(next->name);
      return;
    }
  }
  // The camera follows the players: the one in play, or the middle of both.
  LiveObject* a = Players[0].object;
  LiveObject* b = Players[1].joined ? Players[1].object : nullptr;
  if (a != nullptr && b != nullptr)
    CenterCamera((a->x + b->x) / 2, (a->y + b->y) / 2);
  else if (a != nullptr)
    CenterCamera(a->x, a->y);
}

int IsWall(const MapLayer* layer, float x, float y) {
  if (layer == nullptr) return 0;
  int32_t t = TileAt(layer, x, y);
  return t < 0 || t == WallTile || t == PondTile ? -1 : 0;
}

void MoveWithWalls(LiveObject* o, float dx, float dy) {
  if (dx != 0 && !BoxHitsWall(o->x + dx, o->y)) o->x += dx;
  if (dy != 0 && !BoxHitsWall(o->x, o->y + dy)) o->y += dy;
}

uint64_t HashWorld() {
  uint64_t h = 14695981039346656037ull;
  h = MixValue(h, Game.level);
  h = MixValue(h, Game.state);
  h = MixValue(h, Game.score);
  h = MixValue(h, Game.lives);
  h = MixValue(h, Game.coinsLeft);
  h = MixValue(h, Game.winTimer);
  h = MixValue(h, Game.steps);
  h = MixValue(h, Game.random);
  for (const PlayerState& p : Players) {
    h = MixValue(h, p.joined);
    h = MixValue(h, p.jumpTimer);
    h = MixValue(h, p.hurtTimer);
    h = MixValue(h, p.walk);
    h = MixValue(h, p.object != nullptr ? SlotOf(p.object) : -1);
  }
  // Flash is left out: drawing ends it, so it depends on the frames drawn.
  for (int32_t i = 0; i < ObjectPoolSize; i++) {
    const LiveObject& o = ObjectPool[i];
    if (o.previous < 0 && o.next < 0 && DisplayList.head != i) continue;
    h = MixValue(h, i);
    h = MixValue(h, o.depth);
    h = MixValue(h, o.x);
    h = MixValue(h, o.y);
    h = MixValue(h, o.frame);
    h = MixValue(h, o.visible);
    h = MixValue(h, o.sleep);
    h = MixValue(h, o.delay);
    h = MixValue(h, o.param);
    h = MixValue(h, o.collisionGroup);
    h = MixValue(h, GameObjects[i].distance);
    h = MixValue(h, GameObjects[i].age);
  }
  return h;
}

void FormatResult(char* buffer, size_t size) {
  const NamedItem* level = ItemAt(&MapList, Game.level);
  static const char* const states[] = {"playing", "won", "lost"};
  const char* state = Game.state >= 0 && Game.state <= 2 ? states[Game.state] : "?";
  snprintf(buffer, size, "level %s steps %" PRIu32 " score %" PRId32 " lives %" PRId32 " %s hash %016" PRIx64,
           level != nullptr ? level->name : "-", Game.steps, Game.score, Game.lives, state, HashWorld());
}
