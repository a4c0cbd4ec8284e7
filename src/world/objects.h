// Objects: registered types, the 512-slot pool of live objects, the display
// list ordered by depth, collision groups, the object grid of placements,
// frame and skeleton drawing, and the placements made at level start.
#pragma once
#include <cstdint>

#include "zorta/world.h"

namespace zorta {

extern int32_t FreeSearchStart;

const int CollisionGroupCount = 5;
struct CollisionGroupState {
  int32_t count;
  LiveObject* members[ObjectPoolSize];
};
extern CollisionGroupState CollisionGroups[CollisionGroupCount];

struct ObjectGridState {
  MapObject** cells;  // width x height chain heads
  int32_t width, height;
  int32_t count;      // placements filed
};
extern ObjectGridState ObjectGrid;

void FreeObjectTypes();

void ClearObjects();
void UpdateObjects();
void DrawObjects();
void InsertObject(LiveObject* object);
void UnlinkObject(LiveObject* object);

void BuildObjectGrid();
void FreeObjectGrid();
void BuildPath(MapObject* placement);
void FreePath(MapObject* placement);
void SpawnPlacements();

void DrawSkeleton(LiveObject* object);
// The Catmull-Rom value over four keys at fraction t.
float CatmullRom(float p0, float p1, float p2, float p3, float t);

}  // namespace zorta
