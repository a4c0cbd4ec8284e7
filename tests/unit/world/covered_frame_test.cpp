// The world frame under a last drawing that covers the screen draws the world
// without its pixels: the picture and every bit of state after a run of frames
// are those of a run that draws everything.
#include <vector>

#include "gui/gui.h"
#include "input/input.h"
#include "world_test_support.h"

using namespace zorta;

namespace {

int DrawnMessages = 0;
int StepMessages = 0;

// Walks right and down, flashes every fifth step, so frames differ.
void Walker(LiveObject* o, int32_t message) {
  if (message == ObjectDrawn) DrawnMessages++;
  if (message != ObjectStep) return;
  StepMessages++;
  o->x += 3;
  o->y += 1;
  if (StepMessages % 5 == 0) o->flash = 3;
}

void MoveCamera() { Camera.x += 7, Camera.y += 2; }

// What the program's demo screen does first: fill the whole clip, then draw.
void CoverAndDraw() {
  FillRect(0, 0, ScreenWidth, ScreenHeight, PackColor(1, 2, 3, ColorDepth));
  FillRect(100, 100, 40, 20, PackColor(200, 100, 50, ColorDepth));
}

// A last drawing that claims to cover the screen but draws nothing.
void DrawNothing() {}

struct Snapshot {
  std::vector<uint32_t> pixels;
  std::vector<float> objects;  // x, y, frame, flash per live object, list order
  std::vector<float> scrolls;
  float cameraX, cameraY;
  int drawn, steps, lost;
  bool surfaces;
};

class CoveredFrame : public WorldTest {
 protected:
  void SetUp() override {
    WorldTest::SetUp();
    ResetGuiState();
    DrawnMessages = StepMessages = 0;
  }
  void TearDown() override {
    SetWorldFrameLastDrawing(nullptr, 0);
    ResetGuiState();
    WorldTest::TearDown();
  }

  // A wrapping background, a 40 x 30 Main layer and a keyed front layer half
  // empty; walking objects, one wrapping and one mirrored.
  void MakeWorld() {
    StartDisplay();
    WriteTileSet("t.gfx", 5, {2, 2, 1, 2, 1});
    WriteTileSet("obj.gfx", 3, {2, 1, 2});
    RegisterObjectType("W", Walker, "obj.gfx", 1, 0, 0, 1, 0, 0);
    std::vector<uint16_t> back(100), main(1200), front(1200);
    for (size_t i = 0; i < back.size(); i++) back[i] = static_cast<uint16_t>(1 + i % 4);
    for (size_t i = 0; i < main.size(); i++) main[i] = static_cast<uint16_t>(i % 5);
    for (size_t i = 0; i < front.size(); i++) front[i] = static_cast<uint16_t>(i % 3 == 0 ? 4 : 0);
    MapDescription m = MakeMapDesc({MakeLayerDesc("Back", "t.gfx", 10, 10, back, 0.5f, 0.5f, 1, 1),
                                    MakeLayerDesc("Main", "t.gfx", 40, 30, main),
                                    MakeLayerDesc("Front", "t.gfx", 40, 30, front, 1.25f, 1.25f)});
    for (int i = 0; i < 6; i++) {
      MapObjectDescription o = MakeObjectDesc("W", static_cast<float>(50 + 90 * i), static_cast<float>(40 + 60 * i));
      o.y2 = 1;
      o.param = i == 2 ? 1 : 0;
      m.objects.push_back(o);
    }
    WriteMap("w.map", m);
    LoadMap("w.map");
    StartWorld();
    GameStep = MoveCamera;
    ASSERT_NE(MapObjectTable.entries[3].live, nullptr);
    MapObjectTable.entries[3].live->wrap = WrapHorizontal | WrapFromAbove | WrapFromBelow;
    // The layers' surfaces are made by the first drawing.
    ReleaseAllImageSurfaces();
  }

  Snapshot Take() {
    Snapshot s;
    for (int y = 0; y < ScreenHeight; y++)
      for (int x = 0; x < ScreenWidth; x++) s.pixels.push_back(Pixel(x, y));
    for (int32_t at = DisplayList.head; at >= 0; at = ObjectPool[at].next) {
      const LiveObject& o = ObjectPool[at];
      s.objects.insert(s.objects.end(), {o.x, o.y, o.frame, static_cast<float>(o.flash)});
    }
    for (int i = 0; i < LayerList.count; i++) s.scrolls.insert(s.scrolls.end(), {LayerAt(i)->scrollX, LayerAt(i)->scrollY});
    s.cameraX = Camera.x, s.cameraY = Camera.y;
    s.drawn = DrawnMessages, s.steps = StepMessages, s.lost = SurfacesLost;
    s.surfaces = LayerAt(0)->image != nullptr && LayerAt(0)->image->surface != nullptr;
    return s;
  }

  // `frames` world frames as the GUI pass runs them (clip, steps due), a
  // snapshot after each; the surfaces are lost before frame `loseAt`.
  std::vector<Snapshot> Run(void (*last)(), int32_t covers, int frames, int loseAt = -1,
                            int32_t clipRight = -1) {
    MakeWorld();
    SetWorldFrameLastDrawing(last, covers);
    ClearScreen();
    std::vector<Snapshot> shots;
    for (int f = 0; f < frames; f++) {
      if (f == loseAt) DisplaySeamLoseSurfaces();
      if (SurfacesLost) RestoreSurfaces(), UploadAllImages();
      ResetClipRect();
      if (clipRight >= 0) SetClipRect(0, 0, clipRight, ScreenHeight - 1);
      StepsDue = 1 + f % 3;
      WorldFrame();
      shots.push_back(Take());
    }
    return shots;
  }
};

void ExpectSame(const std::vector<Snapshot>& a, const std::vector<Snapshot>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t f = 0; f < a.size(); f++) {
    SCOPED_TRACE("frame " + std::to_string(f));
    EXPECT_TRUE(a[f].pixels == b[f].pixels);
    EXPECT_EQ(a[f].objects, b[f].objects);
    EXPECT_EQ(a[f].scrolls, b[f].scrolls);
    EXPECT_EQ(a[f].cameraX, b[f].cameraX);
    EXPECT_EQ(a[f].cameraY, b[f].cameraY);
    EXPECT_EQ(a[f].drawn, b[f].drawn);
    EXPECT_EQ(a[f].steps, b[f].steps);
    EXPECT_EQ(a[f].lost, b[f].lost);
    EXPECT_EQ(a[f].surfaces, b[f].surfaces);
  }
}

TEST_F(CoveredFrame, ScreenAndStateMatchARunThatDrawsEverything) {
  std::vector<Snapshot> drawn = Run(CoverAndDraw, 0, 16, 9);
  TearDown();
  SetUp();
  std::vector<Snapshot> covered = Run(CoverAndDraw, -1, 16, 9);
  ExpectSame(drawn, covered);
  // The run did what it should have: objects flashed, drew and walked, the
  // camera scrolled the layers, the lost surfaces were seen and restored.
  const Snapshot& last = covered.back();
  EXPECT_EQ(last.drawn, 16 * 6);
  EXPECT_GT(last.cameraX, 0);
  EXPECT_NE(last.scrolls[0], last.scrolls[2]);
  EXPECT_EQ(covered[9].lost, -1);
  EXPECT_EQ(covered[10].lost, 0);
  EXPECT_TRUE(covered[0].surfaces);
  bool flashed = false;
  for (const Snapshot& s : covered)
    for (size_t i = 3; i < s.objects.size(); i += 4) flashed = flashed || s.objects[i] > 0;
  EXPECT_TRUE(flashed);
}

TEST_F(CoveredFrame, AClipNarrowerThanTheScreenLeavesTheWorldDrawn) {
  // The last drawing covers only the clip; the world draws into the View.
  std::vector<Snapshot> drawn = Run(CoverAndDraw, 0, 4, -1, 319);
  TearDown();
  SetUp();
  std::vector<Snapshot> covered = Run(CoverAndDraw, -1, 4, -1, 319);
  ExpectSame(drawn, covered);
  EXPECT_NE(covered.back().pixels[10 * 640 + 400], PackColor(1, 2, 3, 32));
}

TEST_F(CoveredFrame, CoveredWorldWritesNoPixel) {
  std::vector<Snapshot> shown = Run(DrawNothing, 0, 3);
  TearDown();
  SetUp();
  std::vector<Snapshot> hidden = Run(DrawNothing, -1, 3);
  EXPECT_FALSE(shown.back().pixels == hidden.back().pixels);
  for (uint32_t p : hidden.back().pixels) ASSERT_EQ(p, 0u);
  EXPECT_EQ(hidden.back().drawn, shown.back().drawn);
  EXPECT_EQ(DrawingHidden, 0);
}

}  // namespace
