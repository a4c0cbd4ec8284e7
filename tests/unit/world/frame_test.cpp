// The world's step clock, its life cycle and the drawing order of layers and
// objects.
#include "platform/testing.h"
#include "world_test_support.h"

using namespace zorta;

namespace {

class World : public WorldTest {};

TEST_F(World, StepsFollowTheClockAndResynchroniseAfterStalls) {
  ClockSeamUseFake(true);
  ResetClock();
  StartWorld();
  EXPECT_EQ(StepClock, GetTicks());
  uint32_t start = StepClock;
  ClockSeamAdvanceMicros(10000);  // 10 ms: two steps, 2 ms kept
  ComputeSteps();
  EXPECT_EQ(StepsDue, 2u);
  EXPECT_EQ(StepClock, start + 8);
  ClockSeamAdvanceMicros(0);
  ComputeSteps();  // 2 ms after the last step: none
  EXPECT_EQ(StepsDue, 0u);
  EXPECT_EQ(LastGoodSteps, 1u);
  EXPECT_EQ(StepClock, start + 8);
  ClockSeamAdvanceMicros(8000);
  ComputeSteps();
  EXPECT_EQ(StepsDue, 2u);
  EXPECT_EQ(LastGoodSteps, 2u);
  ClockSeamAdvanceMicros(200000);  // 50 steps due: repeat 2, jump to now
  ComputeSteps();
  EXPECT_EQ(StepsDue, 2u);
  EXPECT_EQ(StepClock, GetTicks());
  EXPECT_EQ(LastGoodSteps, 2u);
  ClockSeamAdvanceMicros(128000);  // exactly 32 steps still run
  ComputeSteps();
  EXPECT_EQ(StepsDue, 32u);
  StepClock = GetTicks() + 100;  // a clock behind the step clock
  ComputeSteps();
  EXPECT_EQ(StepsDue, 32u);
  EXPECT_EQ(StepClock, GetTicks());
}

TEST_F(World, LifeCycleAndMapSelection) {
  mkdir("Maps", 0755);
  WriteMap("b.map", MakeMapDesc({MakeLayerDesc("FromB", "", 1, 1, {1})}));
  WriteMap("A.map", MakeMapDesc({MakeLayerDesc("FromA", "", 1, 1, {1})}));
  // No maps listed: the world still runs.
  LoadFirstMap();
  EXPECT_EQ(WorldRunning, -1);
  EXPECT_EQ(LayerList.count, 0);
  ListFolder(&MapList, "Maps/*.*", 0, 0);
  LoadFirstMap();
  EXPECT_EQ(MapList.current, 0);
  ASSERT_EQ(LayerList.count, 1);
  EXPECT_STREQ(LayerList.items[0].name, "FromA");
  EXPECT_EQ(WorldRunning, -1);
  EXPECT_EQ(View.w, 640);
  PendingMap = ItemAt(&MapList, 1);
  LoadPendingMap();
  EXPECT_EQ(PendingMap, nullptr);
  EXPECT_EQ(MapList.current, 1);
  EXPECT_STREQ(LayerList.items[0].name, "FromB");
  EXPECT_EQ(WorldRunning, -1);
  StopWorld();
  EXPECT_EQ(WorldRunning, 0);
  View.w = 5;
  StopWorld();  // already stopped: nothing happens
  EXPECT_EQ(View.w, 5);
}

class Drawing : public WorldTest {
 protected:
  // Three full-screen layers drawing tiles 1, 2, 3 and one object of frame 4
  // at the top-left corner.
  void MakeWorld(bool disableLast) {
    StartDisplay();
    mkdir("TileSets", 0755);
    WriteTileSet("TileSets/t.gfx", 4);
    WriteTileSet("obj.gfx", 5);
    RegisterObjectType("O", nullptr, "obj.gfx", 4, 0, 0, 1, 0, 0);
    MapDescription m = MakeMapDesc({});
    for (int k = 1; k <= 3; k++)
      m.layers.push_back(MakeLayerDesc(k == 1 ? "Main" : "L" + std::to_string(k), "TileSets/t.gfx", 20, 15,
                                       std::vector<uint16_t>(300, static_cast<uint16_t>(k)), 1, 1, 0, 0,
                                       disableLast && k == 3 ? 0 : 1));
    MapObjectDescription o = MakeObjectDesc("O", 0, 0);
    o.y2 = 1;
    m.objects.push_back(o);
    m.selectedObject = 0;
    m.selectedPoint = 0;
    WriteMap("w.map", m);
    LoadMap("w.map");
    StartWorld();
  }
};

TEST_F(Drawing, ObjectsAreDrawnAfterTheirLayer) {
  MakeWorld(false);
  ASSERT_EQ(MainLayer, LayerAt(0));
  ASSERT_EQ(ObjectLayerIndex, 2);
  ASSERT_NE(MapObjectTable.entries[0].live, nullptr);
  DrawWorld();
  EXPECT_EQ(Pixel(0, 0), BlockPixel(4));   // the object on top of all three
  EXPECT_EQ(Pixel(40, 0), BlockPixel(3));
  ObjectLayerIndex = 0;
  DrawWorld();
  EXPECT_EQ(Pixel(0, 0), BlockPixel(3));   // covered by the layers above
  // The clip is the root window's again afterwards.
  EXPECT_EQ(ClipRect.right, 639);
}

TEST_F(Drawing, ADisabledLastLayerStillHasTheObjectsDrawn) {
  MakeWorld(true);
  DrawWorld();
  EXPECT_EQ(Pixel(0, 0), BlockPixel(4));
  EXPECT_EQ(Pixel(40, 0), BlockPixel(2));
}

TEST_F(Drawing, AMapWithoutLayersStillDrawsItsObjects) {
  StartDisplay();
  WriteTileSet("obj.gfx", 5);
  ObjectType* t = RegisterObjectType("O", nullptr, "obj.gfx", 4, 0, 0, 1, 0, 0);
  StartWorld();
  SpawnObject(t, 10, 20, 0, nullptr);
  ClearScreen();
  DrawWorld();
  EXPECT_EQ(Pixel(10, 20), BlockPixel(4));
  EXPECT_EQ(Pixel(9, 20), 0u);
}

}  // namespace
