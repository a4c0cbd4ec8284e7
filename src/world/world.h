// Map, objects and the world frame. What a program uses is public
// (zorta/world.h); the frame's own parts and the test resets stay here.
#pragma once
#include <cstdint>

#include "io/named_list.h"
#include "world/layers.h"
#include "world/map.h"
#include "world/objects.h"
#include "zorta/world.h"

namespace zorta {

void ComputeSteps();
void LoadPendingMap();
// Starts the world of the map FirstMapName names: null the first of the
// MapList by name, "" (or a name the MapList lacks) none.
void LoadFirstMap();
extern const char* FirstMapName;
void ClearObjects();
void FreeMap();
void FreeObjectTypes();

// The world's fixed-step clock and life cycle.
const uint32_t MaxSteps = 32;  // more due than this: resynchronise
extern uint32_t StepsDue;
extern uint32_t LastGoodSteps;
extern uint32_t StepClock;
extern NamedItem* PendingMap;

void StartLevel();
void StartWorld();
void StopWorld();

// The part of the world frame around the input and clicks besides the logic
// step (RunWorldStep): the drawing of the layers with the objects among
// them, clipped to the View.
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
