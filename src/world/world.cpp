#include "world/world.h"

#include "base/settings.h"
#include "base/timing.h"
#include "display/draw.h"
#include "io/named_list.h"

namespace zorta {

int32_t WorldRunning = 0;
uint32_t StepsDue = 0;
uint32_t LastGoodSteps = 1;
uint32_t StepClock = 0;
int32_t ObjectLayerIndex = -1;
NamedItem* PendingMap = nullptr;
void (*GameStep)() = nullptr;
int32_t WorldPaused = 0;

const char* FirstMapName = nullptr;

void ResetWorldState() {
  WorldRunning = 0;
  StepsDue = 0;
  LastGoodSteps = 1;
  StepClock = 0;
  ObjectLayerIndex = -1;
  PendingMap = nullptr;
  GameStep = nullptr;
  WorldPaused = 0;
  FirstMapName = nullptr;
  YSortDepth = -1;
  MainLayer = nullptr;
  View = ViewRect{0, 0, 0, 0};
  Camera = CameraState{0, 0, 0, 0, 0, 0};
}

void ComputeSteps() {
  uint32_t now = GetTicks();
  uint32_t due = (now - StepClock) / StepTime;
  if (now < StepClock || due > MaxSteps) {
    StepsDue = LastGoodSteps;
    StepClock = GetTicks();
    return;
  }
  StepsDue = due;
  LastGoodSteps = due != 0 ? due : 1;
  StepClock += StepTime * due;
}

void LoadPendingMap() {
  if (PendingMap == nullptr) return;
  // The entry may be a name the MapList no longer holds; take only what is there.
  NamedItem* item = PendingMap;
  PendingMap = nullptr;
  if (item < MapList.items || item >= MapList.items + MapList.count) return;
  SelectItem(&MapList, item);
  LoadMap(item->name);
  if (ShutdownDone) return;
  StartWorld();
}

void StartLevel() {
  YSortDepth = -1;
  ChooseMainLayer();
  ObjectLayerIndex = LayerList.count - 1;
  if (MainLayer != nullptr) CopyWorkingTiles(MainLayer);
  ResetTileRemaps();
  StepClock = GetTicks();
  ResetView();
  BuildObjectGrid();
  Camera.x = 0;
  Camera.y = 0;
  SpawnPlacements();
}

void StartWorld() {
  if (ShutdownDone) return;
  ClearObjects();
  StartLevel();
  WorldRunning = -1;
}

void StopWorld() {
  if (!WorldRunning) return;
  ResetView();
  WorldRunning = 0;
  ClearObjects();
}

int StartMapByName(const char* name) {
  NamedItem* item = name != nullptr ? FindItem(&MapList, name) : nullptr;
  if (item == nullptr) return 0;
  SelectItem(&MapList, item);
  LoadMap(item->name);
  if (ShutdownDone) return 0;
  StartWorld();
  return -1;
}

void LoadFirstMap() {
  NamedItem* item = FirstMapName == nullptr ? ItemAt(&MapList, 0) : FindItem(&MapList, FirstMapName);
  if (item != nullptr) {
    SelectItem(&MapList, item);
    LoadMap(item->name);
  }
  StartWorld();
}

void RunWorldStep() {
  if (WorldPaused) return;
  if (WorldRunning) UpdateObjects();
  if (ShutdownDone) return;
  if (GameStep != nullptr) GameStep();
  if (WorldRunning) SetCamera(Camera.x, Camera.y, -1);
}

void DrawWorld() {
  ClipRectangle saved = ClipRect;
  SetClipRect(View.x, View.y, View.x + View.w - 1, View.y + View.h - 1);
  if (LayerList.count == 0) {
    ResortObjects();
    DrawObjects();
  } else {
    for (int i = 0; i < LayerList.count; i++) {
      MapLayer* layer = LayerAt(i);
      if (layer != nullptr && layer->enabled) {
        if (!layer->manualScroll)
          SetLayerScroll(layer, static_cast<float>(Camera.ix) * layer->parallaxX,
                         static_cast<float>(Camera.iy) * layer->parallaxY, -1);
        DrawLayer(layer);
      }
      if (i == ObjectLayerIndex) {
        ClipRect = saved;
        ResortObjects();
        DrawObjects();
        SetClipRect(View.x, View.y, View.x + View.w - 1, View.y + View.h - 1);
      }
    }
  }
  ClipRect = saved;
}

}  // namespace zorta
