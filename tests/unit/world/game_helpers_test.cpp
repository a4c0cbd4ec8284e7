// What game code reads of the world: tiles under a point, a camera that
// follows, neighbours in a collision group, points along a placement's path,
// starting a map by name, and a world held still.
#include <cmath>

#include "world_test_support.h"

using namespace zorta;

namespace {

class GameHelpers : public WorldTest {};

MapLayer MakeLayer(int32_t w, int32_t h, uint16_t* cells) {
  MapLayer l = {};
  l.width = w;
  l.height = h;
  l.tiles = cells;
  return l;
}

TEST_F(GameHelpers, TileAtReadsWorkingTilesAndRepeatsAlongWrappingAxes) {
  uint16_t cells[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
  MapLayer l = MakeLayer(3, 2, cells);
  EXPECT_EQ(TileAt(&l, 0, 0), 1);
  EXPECT_EQ(TileAt(&l, 31.9f, 31.9f), 1);
  EXPECT_EQ(TileAt(&l, 32, 0), 2);
  EXPECT_EQ(TileAt(&l, 95.5f, 63), 6);
  // Just left of or above the origin lies outside, not in column 0.
  EXPECT_EQ(TileAt(&l, -0.5f, 10), -1);
  EXPECT_EQ(TileAt(&l, 10, -0.5f), -1);
  EXPECT_EQ(TileAt(&l, 96, 0), -1);
  EXPECT_EQ(TileAt(&l, 0, 64), -1);
  EXPECT_EQ(TileAt(&l, NAN, 0), -1);
  l.wrapX = 1;
  EXPECT_EQ(TileAt(&l, 96, 0), 1);
  EXPECT_EQ(TileAt(&l, -1, 0), 3);
  EXPECT_EQ(TileAt(&l, -97, 40), 6);
  EXPECT_EQ(TileAt(&l, 0, 64), -1);  // y does not wrap
  uint16_t working[6] = {9, 9, 9, 9, 9, 9};
  l.workingTiles = working;
  EXPECT_EQ(TileAt(&l, 40, 40), 9);
  EXPECT_EQ(TileAt(nullptr, 0, 0), -1);
  MapLayer empty = MakeLayer(0, 5, nullptr);
  EXPECT_EQ(TileAt(&empty, 0, 0), -1);
}

TEST_F(GameHelpers, CenterCameraPutsThePointMidViewWithinTheMainLayer) {
  WriteTileSet("tiles.gfx", 2);
  WriteMap("m.map", MakeMapDesc({MakeLayerDesc("Main", "tiles.gfx", 40, 30, std::vector<uint16_t>(1200, 1))}));
  StartDisplay();
  LoadMap("m.map");
  StartWorld();
  CenterCamera(700, 500);
  EXPECT_EQ(Camera.x, 380);
  EXPECT_EQ(Camera.y, 260);
  EXPECT_EQ(Camera.offsetX, 380);
  CenterCamera(100, 100);  // near the top-left corner: held at 0
  EXPECT_EQ(Camera.x, 0);
  EXPECT_EQ(Camera.y, 0);
  CenterCamera(1270, 950);  // near the far corner: held at 1280 - 640, 960 - 480
  EXPECT_EQ(Camera.x, 640);
  EXPECT_EQ(Camera.y, 480);
}

TEST_F(GameHelpers, FindNearInGroupTakesTheFirstMemberInReachNotRemovedNorSkipped) {
  StartWorld();
  ObjectType* t = RegisterObjectType("T", nullptr, "", 0, 0, 0, 1, 0, 0);
  LiveObject* a = SpawnObject(t, 100, 100, 0, nullptr);
  LiveObject* b = SpawnObject(t, 110, 100, 0, nullptr);
  LiveObject* c = SpawnObject(t, 100, 100, 0, nullptr);
  AddToCollisionGroup(a, 2);
  AddToCollisionGroup(b, 2);
  AddToCollisionGroup(c, 4);
  EXPECT_EQ(FindNearInGroup(2, 105, 100, 10, 10, nullptr), a);
  EXPECT_EQ(FindNearInGroup(2, 105, 100, 10, 10, a), b);
  EXPECT_EQ(FindNearInGroup(4, 105, 100, 10, 10, nullptr), c);
  // The reach is strict: 10 across is out of a reach of 10.
  EXPECT_EQ(FindNearInGroup(2, 120, 100, 10, 10, nullptr), nullptr);
  EXPECT_EQ(FindNearInGroup(2, 100, 110, 5, 10, nullptr), nullptr);
  a->remove = -1;
  EXPECT_EQ(FindNearInGroup(2, 100, 100, 20, 20, nullptr), b);
  EXPECT_EQ(FindNearInGroup(3, 100, 100, 20, 20, nullptr), nullptr);  // no such group
  RemoveFromGroups(b);
  EXPECT_EQ(FindNearInGroup(2, 100, 100, 20, 20, nullptr), nullptr);
}

TEST_F(GameHelpers, PathPointAtWalksTheLoopOfStraightSegments) {
  MapObject o = {};
  o.x = 0;
  o.y = 0;
  PathPoint points[2] = {{100, 0}, {100, 50}};
  o.points = points;
  o.pointCount = 2;
  float x = -1, y = -1;
  EXPECT_EQ(PathPointAt(&o, 10, &x, &y), 0);  // no path built yet
  BuildPath(&o);  // open: S, A, B, A, S: 100 + 50 + 50 + 100
  ASSERT_EQ(o.pathLength, 300);
  EXPECT_EQ(PathPointAt(&o, 0, &x, &y), -1);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  PathPointAt(&o, 40, &x, &y);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 0);
  PathPointAt(&o, 125, &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 25);
  PathPointAt(&o, 175, &x, &y);  // on the way back down from B to A
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 25);
  PathPointAt(&o, 250, &x, &y);
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 0);
  PathPointAt(&o, 340, &x, &y);  // past the end: round again
  EXPECT_EQ(x, 40);
  PathPointAt(&o, -20, &x, &y);  // before the start: the end of the loop
  EXPECT_EQ(x, 20);
  EXPECT_EQ(y, 0);
  o.closed = 1;  // S, A, B, S: 100 + 50 + 111.8
  BuildPath(&o);
  PathPointAt(&o, 150, &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
  PathPointAt(&o, 150 + o.pathLength / 2 - 75, &x, &y);
  EXPECT_NEAR(x, 50, 1e-3);
  EXPECT_NEAR(y, 25, 1e-3);
  FreePath(&o);
}

TEST_F(GameHelpers, StartMapByNameLoadsAndStartsOnlyAMapOfTheList) {
  WriteTileSet("tiles.gfx", 2);
  ObjectType* t = RegisterObjectType("Thing", nullptr, "", 0, 0, 0, 1, 0, 0);
  WriteMap("a.map", MakeMapDesc({MakeLayerDesc("Main", "tiles.gfx", 2, 2, {1, 1, 1, 1})}, {MakeObjectDesc("Thing", 5, 6)}));
  WriteMap("b.map", MakeMapDesc({MakeLayerDesc("Main", "tiles.gfx", 3, 1, {1, 1, 1})}));
  StartDisplay();
  ListFolder(&MapList, "Maps/*.*", 0, 0);
  EXPECT_EQ(StartMapByName("nothing.map"), 0);
  EXPECT_EQ(WorldRunning, 0);
  EXPECT_EQ(StartMapByName("A.MAP"), -1);
  EXPECT_EQ(WorldRunning, -1);
  EXPECT_EQ(MapList.current, 0);
  ASSERT_NE(MainLayer, nullptr);
  EXPECT_EQ(MainLayer->width, 2);
  ASSERT_GE(DisplayList.head, 0);
  EXPECT_EQ(ObjectPool[DisplayList.head].x, 5);
  EXPECT_EQ(StartMapByName("b.map"), -1);
  EXPECT_EQ(MapList.current, 1);
  EXPECT_EQ(MainLayer->width, 3);
  EXPECT_EQ(DisplayList.head, -1);
  (void)t;
}

int pausedSteps = 0;
void CountStep(LiveObject*, int32_t message) {
  if (message == ObjectStep) pausedSteps++;
}
int gameSteps = 0;
void CountGameStep() { gameSteps++; }

TEST_F(GameHelpers, APausedWorldRunsNeitherObjectsNorTheGameStepAndStartingKeepsThePause) {
  StartWorld();
  ObjectType* t = RegisterObjectType("T", CountStep, "", 0, 0, 0, 1, 0, 0);
  SpawnObject(t, 0, 0, 0, nullptr);
  GameStep = CountGameStep;
  pausedSteps = gameSteps = 0;
  RunWorldStep();
  EXPECT_EQ(pausedSteps, 1);
  EXPECT_EQ(gameSteps, 1);
  WorldPaused = -1;
  RunWorldStep();
  RunWorldStep();
  EXPECT_EQ(pausedSteps, 1);
  EXPECT_EQ(gameSteps, 1);
  StartWorld();
  EXPECT_EQ(WorldPaused, -1);
  WorldPaused = 0;
  SpawnObject(t, 0, 0, 0, nullptr);
  RunWorldStep();
  EXPECT_EQ(pausedSteps, 2);
  EXPECT_EQ(gameSteps, 2);
  ResetWorldState();
  EXPECT_EQ(WorldPaused, 0);
}

}  // namespace
