// Map, objects and the world frame.
#pragma once
#include <cstdint>

#include "io/named_list.h"
#include "world/layers.h"
#include "world/map.h"
#include "world/objects.h"

namespace zorta {

void ComputeSteps();
void LoadPendingMap();
void LoadFirstMap();
void ClearObjects();
void FreeMap();
void FreeObjectTypes();

// The world's fixed-step clock and life cycle.
const uint32_t StepTime = 4;   // ms per logic step
const uint32_t MaxSteps = 32;  // more due than this: resynchronise
extern int32_t WorldRunning;
extern uint32_t StepsDue;
extern uint32_t LastGoodSteps;
extern uint32_t StepClock;
extern int32_t ObjectLayerIndex;
extern NamedItem* PendingMap;
// The game's per-step operation; none in this program.
extern void (*GameStep)();

// While set, the logic steps run nothing (no object, no game step): a game
// holds its world still under a window. Starting a world leaves it as it is.
extern int32_t WorldPaused;

void StartLevel();
void StartWorld();
void StopWorld();

// For game code: selects the map of that name in the MapList, loads it and
// starts its world, as a pending map does; -1, or 0 when the MapList has no
// such name (nothing changes then).
int StartMapByName(const char* name);

// The parts of the world frame around the input and clicks: one logic step
// (objects, game step, camera limit), and the drawing of the layers with the
// objects among them, clipped to the View.
void RunWorldStep();
void DrawWorld();
// Puts the world back to its state at program start (for tests).
void ResetWorldState();

// The RootWindow's Draw: player controls, the due logic steps, the world's
// drawing and, last, what the program registered to draw over the world
// (the demo screen); null: nothing. `coversClip` -1: the last drawing starts by
// filling the whole clip rectangle it is given, so nothing drawn before it shows.
void WorldFrame();
void SetWorldFrameLastDrawing(void (*draw)(), int32_t coversClip);

}  // namespace zorta
