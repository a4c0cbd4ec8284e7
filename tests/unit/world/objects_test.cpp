// Objects: display order and y-sorting, step counting, the pool's limits,
// collision groups, paths and the grid, and frames drawn anchored, mirrored,
// flashed, wrapped and as skeletons, read back from the back buffer.
#include <cmath>

#include "world_test_support.h"

using namespace zorta;

namespace {

class Objects : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    StartWorld();  // no map: the view is the screen
  }
};

std::vector<int32_t> StepCalls;
void CountSteps(LiveObject* o, int32_t message) {
  if (message == ObjectStep) StepCalls.push_back(SlotOf(o));
}

std::vector<float> Order() {
  std::vector<float> ys;
  for (int32_t at = DisplayList.head; at >= 0; at = ObjectPool[at].next) ys.push_back(ObjectPool[at].y);
  return ys;
}

TEST_F(Objects, NewObjectsGoBeforeTheirDepthAndYSortKeepsOrder) {
  ObjectType* five = RegisterObjectType("Five", nullptr, "", 0, 0, 0, 1, 5, 0);
  ObjectType* three = RegisterObjectType("Three", nullptr, "", 0, 0, 0, 1, 3, 0);
  SpawnObject(five, 0, 1, 0, nullptr);   // A
  SpawnObject(three, 0, 2, 0, nullptr);  // B
  SpawnObject(five, 0, 3, 0, nullptr);   // C
  EXPECT_EQ(Order(), (std::vector<float>{2, 3, 1}));
  EXPECT_EQ(ObjectPool[DisplayList.tail].y, 1);
  ClearObjects();
  ObjectType* two = RegisterObjectType("Two", nullptr, "", 0, 0, 0, 1, 2, 0);
  YSortDepth = 2;
  LiveObject* a = SpawnObject(two, 0, 10, 0, nullptr);
  SpawnObject(two, 0, 30, 0, nullptr);
  LiveObject* c = SpawnObject(two, 0, 20, 0, nullptr);
  SpawnObject(three, 0, 0, 0, nullptr);
  EXPECT_EQ(Order(), (std::vector<float>{10, 20, 30, 0}));
  a->y = 25;  // moved out of place
  c->y = 40;
  ResortObjects();
  EXPECT_EQ(Order(), (std::vector<float>{25, 30, 40, 0}));
  EXPECT_EQ(ObjectPool[DisplayList.head].previous, -1);
  EXPECT_EQ(ObjectPool[DisplayList.tail].next, -1);
}

TEST_F(Objects, SleepDelayAndRemovalDuringSteps) {
  ObjectType* t = RegisterObjectType("T", CountSteps, "", 0, 0, 0, 1, 0, 0);
  LiveObject* o = SpawnObject(t, 0, 0, 0, nullptr);
  o->sleep = 3;
  StepCalls.clear();
  for (int i = 0; i < 3; i++) UpdateObjects();
  EXPECT_EQ(o->sleep, 0);
  EXPECT_TRUE(StepCalls.empty());
  o->delay = 1;
  UpdateObjects();
  EXPECT_TRUE(StepCalls.empty());
  UpdateObjects();
  EXPECT_EQ(StepCalls.size(), 1u);
  // Previous values are copied at every step.
  o->x = 5;
  UpdateObjects();
  EXPECT_EQ(o->previousX, 5);
  // Removing slot 0 while the free-search start is 7 lowers it to 0.
  for (int i = 0; i < 6; i++) SpawnObject(t, 0, 0, 0, nullptr);
  EXPECT_EQ(FreeSearchStart, 7);
  ObjectPool[0].remove = -1;
  UpdateObjects();
  EXPECT_EQ(FreeSearchStart, 0);
  EXPECT_EQ(ObjectPool[0].previous, -1);
  EXPECT_EQ(ObjectPool[0].next, -1);
  EXPECT_EQ(SpawnObject(t, 0, 0, 0, nullptr), &ObjectPool[0]);
}

TEST_F(Objects, PoolHoldsAtMost511) {
  ObjectType* t = RegisterObjectType("T", nullptr, "", 0, 0, 0, 1, 0, 0);
  for (int i = 0; i < 511; i++) ASSERT_NE(SpawnObject(t, 0, static_cast<float>(i), 0, nullptr), nullptr);
  EXPECT_EQ(SpawnObject(t, 0, 0, 0, nullptr), nullptr);  // slot 511 is never used
  EXPECT_EQ(ObjectPool[511].previous, -1);
  ObjectPool[100].remove = -1;
  UpdateObjects();
  EXPECT_EQ(SpawnObject(t, 0, 0, 0, nullptr), &ObjectPool[100]);
  EXPECT_EQ(SpawnObject(nullptr, 0, 0, 0, nullptr), nullptr);
}

TEST_F(Objects, CollisionGroupsKeepOrderOnRemoval) {
  ObjectType* t = RegisterObjectType("T", nullptr, "", 0, 0, 0, 1, 0, 0);
  LiveObject* o[3];
  for (auto& p : o) {
    p = SpawnObject(t, 0, 0, 0, nullptr);
    EXPECT_EQ(AddToCollisionGroup(p, 4), -1);
  }
  EXPECT_EQ(AddToCollisionGroup(o[0], 3), 0);
  o[0]->groupWords[2] = 9;
  o[0]->remove = -1;
  UpdateObjects();
  ASSERT_EQ(CollisionGroups[2].count, 2);
  EXPECT_EQ(CollisionGroups[2].members[0], o[1]);
  EXPECT_EQ(CollisionGroups[2].members[1], o[2]);
  EXPECT_EQ(o[0]->collisionGroup, 0);
  EXPECT_EQ(o[0]->groupWords[2], 0u);
  AddToCollisionGroup(o[1], 16);
  EXPECT_EQ(CollisionGroups[2].count, 1);
  EXPECT_EQ(CollisionGroups[4].count, 1);
}

TEST_F(Objects, OpenAndClosedPaths) {
  MapObject p;
  memset(&p, 0, sizeof p);
  PathPoint pts[2] = {{3, 4}, {3, 0}};
  p.points = pts;
  p.pointCount = 2;
  BuildPath(&p);
  // S, A, B, A, S: 5 + 4 + 4 + 5.
  EXPECT_EQ(p.pathSegments, 4);
  EXPECT_EQ(p.pathCount, 7);
  EXPECT_FLOAT_EQ(p.pathLength, 18);
  EXPECT_EQ(p.path[0].y, 4);  // padding: the first point
  EXPECT_EQ(p.path[6].y, 4);
  p.closed = 1;
  BuildPath(&p);
  // S, A, B, S: 5 + 4 + 3.
  EXPECT_EQ(p.pathSegments, 3);
  EXPECT_FLOAT_EQ(p.pathLength, 12);
  EXPECT_EQ(p.path[0].y, 0);  // padding: the last point
  p.pointCount = 0;
  BuildPath(&p);
  EXPECT_EQ(p.path, nullptr);
}

TEST_F(Objects, PlacementsSpawnOrGoToTheGrid) {
  RegisterObjectType("Free", nullptr, "", 0, 0, 0, 1, 0, 0);
  RegisterObjectType("Grid", nullptr, "", 0, 0, 0, 1, 0, ObjectTypeInGrid);
  mkdir("TileSets", 0755);
  MapDescription m = MakeMapDesc({MakeLayerDesc("Main", "", 40, 15, std::vector<uint16_t>(600, 0))});
  auto entry = [&](float x, const char* type, int32_t spawnId) {
    MapObjectDescription o = MakeObjectDesc(type, x, 10, spawnId);
    o.param = 3;
    o.x2 = 0.5f;
    o.y2 = 2;
    o.param2 = 1;
    m.objects.push_back(o);
  };
  entry(640, "Grid", -1);
  entry(5, "Free", -1);
  entry(1280, "Grid", -1);  // beyond the two columns
  entry(5, "Free", 0);      // spawned later by game code, not at level start
  WriteMap("g.map", m);
  LoadMap("g.map");
  StartWorld();
  ASSERT_EQ(ObjectGrid.width, 2);
  ASSERT_EQ(ObjectGrid.height, 1);
  EXPECT_EQ(ObjectGrid.count, 1);
  EXPECT_EQ(ObjectGrid.cells[1], &MapObjectTable.entries[0]);
  EXPECT_EQ(ObjectGrid.cells[0], nullptr);
  MapObject& free = MapObjectTable.entries[1];
  ASSERT_NE(free.live, nullptr);
  EXPECT_EQ(free.spawned, -1);
  EXPECT_FLOAT_EQ(free.live->rotation, 0.5f);
  EXPECT_FLOAT_EQ(free.live->scale, 2);
  EXPECT_EQ(free.live->param2, 1u);
  EXPECT_EQ(free.live->spawnMark, 4);
  EXPECT_EQ(MapObjectTable.entries[3].live, nullptr);
  // Removal clears the placement's link; the next level spawns it again.
  free.live->remove = -1;
  UpdateObjects();
  EXPECT_EQ(free.live, nullptr);
  StartWorld();
  EXPECT_NE(free.live, nullptr);
  EXPECT_EQ(ObjectGrid.count, 1);
  // A main layer one screen wide gives a single column: x = 640 is ignored.
  MainLayer->width = 20;
  BuildObjectGrid();
  SpawnPlacements();
  EXPECT_EQ(ObjectGrid.width, 1);
  EXPECT_EQ(ObjectGrid.count, 0);
  EXPECT_EQ(ObjectGrid.cells[0], nullptr);
  MainLayer->width = 40;
}

// A 24-bit sprite sheet 8 x 4: column x has colour (10 x + 10, 100, 50),
// column 7 is magenta. Cell 0 is columns 0-3 in a 4 x 4 box; cell 1 is
// columns 4-7 offset by (1, 2) in a 6 x 6 box. Optionally a skeleton of two
// bones, bone 0 hanging from bone 1, with three keys.
void WriteSprite(const std::string& path, bool skeleton) {
  FileBytes f;
  f.U32(0x47465831);
  f.U32(0x494E464F).U32(32).U32(8).U32(4).U32(24).U32(0).U32(1).U32(0).U32(0).U32(0);
  f.U32(0x494D4745).U32(8 * 4 * 3);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 8; x++) {
      if (x == 7)
        f.U8(255).U8(0).U8(255);
      else
        f.U8(10 * x + 10).U8(100).U8(50);
    }
  f.U32(0x4354424C).U32(84).U32(2);
  f.U32(0).U32(0).U32(4).U32(4).U32(0).U32(0).U32(4).U32(4).U32(1).U32(0);
  f.U32(4).U32(0).U32(4).U32(4).U32(1).U32(2).U32(6).U32(6).U32(1).U32(0);
  if (skeleton) {
    FileBytes v;
    v.U32(2);
    v.F32(0).F32(10).U32(1).U32(0).F32(0).F32(0).F32(0).F32(1).U32(0).U32(0);
    v.F32(static_cast<float>(M_PI / 2)).F32(5).U32(static_cast<uint32_t>(-1)).U32(1).F32(0).F32(0).F32(0).F32(1);
    v.U32(0).U32(0);
    v.U32(1).Str("walk").U32(3);
    for (int k = 0; k < 3; k++)
      for (int b = 0; b < 2; b++) v.F32(0.1f * k).F32(1).F32(0).F32(1).F32(1).U32(0);
    f.U32(0x56454354).U32(static_cast<uint32_t>(v.b.size()));
    f.b.insert(f.b.end(), v.b.begin(), v.b.end());
  }
  f.U32(0x454E4446).U32(0);
  WriteBytes(path, f.b);
}

uint32_t Column(int x) { return PackColor(10 * x + 10, 100, 50, 32); }

TEST_F(Objects, FramesAnchoredMirroredFlashedAndWrapped) {
  StartDisplay();
  WriteSprite("sprite.gfx", false);
  ObjectType* t = RegisterObjectType("S", nullptr, "sprite.gfx", 0, 0.5f, 1, 1, 0, 0);
  // Requested through a map, as the program does, so the batch builds its mask.
  MapDescription m = MakeMapDesc({}, {MakeObjectDesc("S", 100, 100)});
  m.objects[0].y2 = 1;
  m.selectedObject = m.selectedPoint = 0;
  WriteMap("s.map", m);
  LoadMap("s.map");
  StartWorld();
  ASSERT_NE(t->image, nullptr);
  ASSERT_NE(t->image->mirrorSurface, nullptr);
  LiveObject* o = MapObjectTable.entries[0].live;
  ASSERT_NE(o, nullptr);
  ClearScreen();
  DrawObjects();
  // Anchor (0.5, 1) of a 4 x 4 box: the frame's top-left at (98, 97).
  EXPECT_EQ(Pixel(98, 97), Column(0));
  EXPECT_EQ(Pixel(101, 100), Column(3));
  EXPECT_EQ(Pixel(97, 97), 0u);
  EXPECT_EQ(Pixel(98, 101), 0u);
  // Mirrored: the same place, columns turned.
  ClearScreen();
  o->param = 1;
  DrawObjects();
  EXPECT_EQ(Pixel(98, 97), Column(3));
  EXPECT_EQ(Pixel(101, 97), Column(0));
  // Cell 1: offset (1, 2) inside a 6 x 6 box, anchored at the top-left;
  // magenta is keyed out.
  ClearScreen();
  o->param = 0;
  o->frame = 1.9f;
  o->anchorX = o->anchorY = 0;
  DrawObjects();
  EXPECT_EQ(Pixel(101, 102), Column(4));
  EXPECT_EQ(Pixel(103, 102), Column(6));
  EXPECT_EQ(Pixel(104, 102), 0u);
  // Flash 3 after a draw: silhouettes for two frames, then normal.
  uint32_t grey = PackColor(240, 240, 240, 32);
  o->frame = 0;
  o->flash = 3;
  uint32_t seen[3];
  for (int frame = 0; frame < 3; frame++) {
    UpdateObjects();
    ClearScreen();
    DrawObjects();
    seen[frame] = Pixel(100, 100);
  }
  EXPECT_EQ(seen[0], grey);
  EXPECT_EQ(seen[1], grey);
  EXPECT_EQ(seen[2], Column(0));
  EXPECT_EQ(o->flash, 0);
  // Sleeping objects are not drawn.
  o->sleep = 1;
  ClearScreen();
  DrawObjects();
  EXPECT_EQ(Pixel(100, 100), 0u);
  o->sleep = 0;
  // Wrapped across the right edge: two columns at 638, two at 0.
  o->x = 638;
  o->wrap = WrapHorizontal;
  ClearScreen();
  DrawObjects();
  EXPECT_EQ(Pixel(638, 100), Column(0));
  EXPECT_EQ(Pixel(639, 100), Column(1));
  EXPECT_EQ(Pixel(0, 100), Column(2));
  EXPECT_EQ(Pixel(1, 100), Column(3));
  EXPECT_EQ(Pixel(2, 100), 0u);
  // The camera moves world objects; a set clip edge cuts them.
  o->wrap = 0;
  o->x = 100;
  SetCamera(50, 0, 0);
  o->clipRight = 100 + 1;  // world column 101 is screen column 51
  ClearScreen();
  DrawObjects();
  EXPECT_EQ(Pixel(50, 100), Column(0));
  EXPECT_EQ(Pixel(51, 100), Column(1));
  EXPECT_EQ(Pixel(52, 100), 0u);
  EXPECT_EQ(ClipRect.right, 639);  // restored after the object
  // Out-of-range frames draw nothing.
  o->clipRight = -1;
  for (float f : {-1.0f, 2.0f, 1e20f, -1e20f}) {
    o->frame = f;
    ClearScreen();
    DrawObjects();
    EXPECT_EQ(Pixel(50, 100), 0u);
  }
}

TEST_F(Objects, SkeletonKeysStayInsideTheTable) {
  StartDisplay();
  WriteSprite("bones.gfx", true);
  ObjectType* t = RegisterObjectType("B", nullptr, "bones.gfx", 0, 0, 0, 1, 0, 0);
  LiveObject* o = SpawnObject(t, 200, 100, 0, nullptr);
  ASSERT_NE(o, nullptr);
  ASSERT_NE(o->image, nullptr);
  Skeleton* s = o->image->skeleton;
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->bones[0].parent, &s->bones[1]);
  DrawObjects();
  // Key 0: angles 0; bone 1 (the root) points right by 5, bone 0 hangs 10
  // below it.
  EXPECT_NEAR(s->bones[1].pointX, 205, 1e-3);
  EXPECT_NEAR(s->bones[1].pointY, 100, 1e-3);
  EXPECT_NEAR(s->bones[0].pointX, 205, 1e-3);
  EXPECT_NEAR(s->bones[0].pointY, 110, 1e-3);
  o->param = 1;  // mirrored horizontally
  DrawObjects();
  EXPECT_NEAR(s->bones[1].pointX, 195, 1e-3);
  // Key 1 exactly: the angle channel holds 0.1.
  o->param = 0;
  o->frame = 1;
  DrawObjects();
  EXPECT_NEAR(s->bones[1].angle, M_PI / 2 + 0.1, 1e-5);
  // Any frame value reads keys inside the table (the sanitizer build checks).
  for (float f : {2.999f, 3.0f, 7.5f, -0.5f, -4.25f, 1e9f, -1e30f, INFINITY, NAN}) {
    o->frame = f;
    DrawObjects();
    EXPECT_TRUE(std::isfinite(s->bones[0].pointX)) << f;
  }
  EXPECT_FLOAT_EQ(CatmullRom(0, 1, 2, 3, 0.5f), 1.5f);
  EXPECT_FLOAT_EQ(CatmullRom(4, 1, 7, 3, 0), 1);
  EXPECT_FLOAT_EQ(CatmullRom(4, 1, 7, 3, 1), 7);
}

}  // namespace
