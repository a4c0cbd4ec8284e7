// The game's rules on small levels written for each test: walls from rows of
// text, objects placed where a test wants them, and steps run the way the
// world frame runs them, with given controls.
#pragma once
#include <sys/stat.h>

#include <string>
#include <vector>

#include "../world/world_test_support.h"
#include "game.h"
#include "input/input.h"
#include "replay.h"
#include "screen.h"

using namespace zorta;

inline std::vector<int>& SoundsPlayed() {
  static std::vector<int> sounds;
  return sounds;
}
inline void RecordSound(int slot) { SoundsPlayed().push_back(slot); }

// Tile centres, as the levels place things.
inline float Centre(int cell) { return static_cast<float>(cell * 32 + 16); }

class GameTest : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    StartDisplay();
    mkdir("TileSets", 0755);
    WriteTileSet("TileSets/sprites.gfx", 16);
    WriteTileSet("tiles.gfx", 4);
    RegisterGameTypes();
    ResetGame(1);
    ResetGameScreen();
    Recording = Replay();
    RecordingOn = 0;
    GameStep = RunGameStep;
    SoundsPlayed().clear();
    PlayGameSound = RecordSound;
  }
  void TearDown() override {
    PlayGameSound = defaultSound;
    WorldTest::TearDown();
  }

  // A Main layer from rows of text: '#' wall, '~' pond bank, anything else floor.
  void WriteLevel(const std::string& name, const std::vector<std::string>& rows,
                  const std::vector<MapObjectDescription>& objects) {
    int32_t h = static_cast<int32_t>(rows.size()), w = static_cast<int32_t>(rows[0].size());
    std::vector<uint16_t> tiles;
    for (const std::string& r : rows)
      for (char c : r) tiles.push_back(c == '#' ? WallTile : c == '~' ? PondTile : 1);
    WriteMap(name, MakeMapDesc({MakeLayerDesc("Main", "tiles.gfx", w, h, tiles)}, objects));
    ListFolder(&MapList, "Maps/*.*", 0, 0);
  }
  static MapObjectDescription Place(const std::string& type, int column, int row) {
    return MakeObjectDesc(type, Centre(column), Centre(row));
  }
  static MapObjectDescription PlacePlayer(int index, int column, int row) {
    MapObjectDescription o = Place("Player", column, row);
    o.flags = 1;
    o.ints[0] = index;
    return o;
  }
  static MapObjectDescription PlaceEnemy(int column, int row, std::vector<MapPointDescription> points, float speed,
                                         uint32_t closed = 0) {
    MapObjectDescription o = Place("Enemy", column, row);
    o.points = points;
    o.closed = closed;
    if (speed > 0) {
      o.flags = 0x10;
      o.reals[0] = speed;
    }
    return o;
  }
  // Steps as the world frame runs them: controls sampled, the step, the
  // pressed bits cleared.
  void Steps(int n, ControlBits current, ControlBits pressed = 0, ControlBits current2 = 0) {
    for (int i = 0; i < n; i++) {
      PlayerControls[0].current = current;
      PlayerControls[0].pressed = i == 0 ? pressed : 0;
      PlayerControls[1].current = current2;
      PlayerControls[1].pressed = 0;
      RunWorldStep();
      ClearPressedControls();
    }
  }
  int LiveCount(const char* type) {
    ObjectType* t = FindObjectType(type);
    int n = 0;
    for (int32_t at = DisplayList.head; at >= 0; at = ObjectPool[at].next)
      if (t != nullptr && ObjectPool[at].callback == t->callback) n++;
    return n;
  }
  LiveObject* First(const char* type) {
    ObjectType* t = FindObjectType(type);
    for (int32_t at = DisplayList.head; at >= 0; at = ObjectPool[at].next)
      if (t != nullptr && ObjectPool[at].callback == t->callback) return &ObjectPool[at];
    return nullptr;
  }

 private:
  void (*defaultSound)(int) = PlayGameSound;
};
