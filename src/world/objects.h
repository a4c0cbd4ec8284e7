// Objects: registered types, the 512-slot pool of live objects, the display
// list ordered by depth, collision groups, the object grid of placements,
// frame and skeleton drawing, and the placements made at level start.
#pragma once
#include <cstdint>

namespace zorta {

struct Image;
struct MapObject;
struct LiveObject;

// Messages given to behaviour callbacks.
enum : int32_t {
  ObjectSpawned = 0,
  ObjectStep = 1,
  ObjectDrawn = 2,
  ObjectPlaced = 3,  // map loading, with a blank record whose placement is set
};

typedef void (*ObjectCallback)(LiveObject* object, int32_t message);

struct ObjectType {
  ObjectCallback callback;
  char* imageName;   // owned
  Image* image;      // requested lazily, forgotten at each map load
  int32_t initialFrame;
  float anchorX, anchorY;
  float scale;
  int32_t depth;
  uint32_t flags;    // ObjectTypeInGrid: placements go to the object grid
};
const uint32_t ObjectTypeInGrid = 2;

struct LiveObject {
  int32_t screenSpace;
  int32_t visible;
  uint32_t param;    // mirror flag when drawn
  uint32_t param2;
  int32_t remove;
  int32_t sleep;
  int32_t delay;
  int32_t wrap;      // flags of BlitSlotWrapped, 0 none
  int32_t flash;
  int32_t depth;
  int32_t clipLeft, clipTop, clipRight, clipBottom;  // -1: edge not set
  ObjectCallback callback;
  Image* image;
  int32_t spawnMark;  // 4 after spawning
  MapObject* placement;
  float x, y;
  float frame;
  float rotation;
  float scale;
  float anchorX, anchorY;
  uint32_t carried1, carried2;
  float previousX, previousY;
  uint32_t previousCarried1, previousCarried2;
  int32_t collisionGroup;  // 0 or 1, 2, 4, 8, 16
  uint32_t groupWords[4];
  int32_t previous, next;  // DisplayList links, -1 none
};

const int ObjectPoolSize = 512;
extern LiveObject ObjectPool[ObjectPoolSize];

struct DisplayListState {
  int32_t head, tail;
};
extern DisplayListState DisplayList;
extern int32_t FreeSearchStart;
extern int32_t YSortDepth;

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

// Registration for game code: adds a type under the name (made unique like
// every NamedList name) and returns it; it is freed by FreeObjectTypes.
ObjectType* RegisterObjectType(const char* name, ObjectCallback callback, const char* imageName,
                               int32_t initialFrame, float anchorX, float anchorY, float scale, int32_t depth,
                               uint32_t flags);
ObjectType* FindObjectType(const char* name);
void FreeObjectTypes();

void ClearObjects();
LiveObject* SpawnObject(ObjectType* type, float x, float y, uint32_t param, MapObject* placement);
void UpdateObjects();
void ResortObjects();
void DrawObjects();
void InsertObject(LiveObject* object);
void UnlinkObject(LiveObject* object);
int32_t SlotOf(const LiveObject* object);

// Puts the object into collision group 1, 2, 4, 8 or 16 (leaving any other
// first); -1 when done, 0 for a group value that names none.
int AddToCollisionGroup(LiveObject* object, int32_t group);
void RemoveFromGroups(LiveObject* object);

// For game code: the neighbours of a point. The first member of collision
// group 1, 2, 4, 8 or 16, in the group's order, that is not marked for removal,
// is not `skip` (or null) and lies less than reachX across and reachY down
// from (x, y); null when none does.
LiveObject* FindNearInGroup(int32_t group, float x, float y, float reachX, float reachY, const LiveObject* skip);
// The point `distance` pixels along the placement's derived path (BuildPath),
// walked as straight segments from its own position; the path is a loop, so
// any distance falls on it. -1 with the point, 0 when it has no path.
int PathPointAt(const MapObject* placement, float distance, float* x, float* y);

void BuildObjectGrid();
void FreeObjectGrid();
void BuildPath(MapObject* placement);
void FreePath(MapObject* placement);
void SpawnPlacements();

void DrawFrame(float x, float y, Image* image, int32_t n, float anchorX, float anchorY, uint32_t mirror,
               int32_t wrap);
void DrawFlash(float x, float y, Image* image, int32_t n, float anchorX, float anchorY, uint32_t mirror,
               int32_t wrap);
void DrawSkeleton(LiveObject* object);
// The Catmull-Rom value over four keys at fraction t.
float CatmullRom(float p0, float p1, float p2, float p3, float t);

}  // namespace zorta
