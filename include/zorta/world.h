// The world: the maps of Maps/ with their tile layers and object
// placements, the camera, live objects with their types, depths and
// collision groups, and the fixed 4 ms logic steps that move them.
#pragma once
#include <cstdint>

#include "zorta/gui.h"
#include "zorta/image.h"

namespace zorta {

/// The side of a map tile in pixels.
const int32_t TileSize = 32;

/// A rectangle of screen pixels.
struct ViewRect {
  int32_t x, y, w, h;
};
/// The part of the screen the world is drawn in.
extern ViewRect View;

/// Where the camera looks.
struct CameraState {
  float x, y;                 // world position at the view's top-left corner
  int32_t ix, iy;             // truncated towards zero
  int32_t offsetX, offsetY;   // draw offset: integer position - view origin
};
/// The camera: the world position at the View's top-left corner.
extern CameraState Camera;

/// A tile layer of the current map.
struct MapLayer {
  uint32_t enabled;        // drawn only when non-zero
  uint32_t tag;            // kept, not interpreted
  Image* image;            // the tile set, or null
  int32_t width, height;   // in tiles
  uint16_t* tiles;         // width x height, row-major; null when empty
  uint16_t* workingTiles;  // the MainLayer's copy made at level start, or null
  int32_t manualScroll;    // while non-zero the world frame leaves the scroll alone
  float scrollX, scrollY;
  float parallaxX, parallaxY;
  uint32_t wrapX, wrapY;
};
/// The layer the objects live on: the one named "Main", else the last.
extern MapLayer* MainLayer;
/// The layer record of a LayerList item, or null.
MapLayer* LayerAt(int index);
/// Index in the LayerList of the layer the objects are drawn after.
extern int32_t ObjectLayerIndex;

/// Moves the camera to world position (x, y), kept within the MainLayer when limit is set.
void SetCamera(float x, float y, int limit);
/// Puts the world point (x, y) at the middle of the View, kept within the MainLayer: a camera that follows.
void CenterCamera(float x, float y);
/// Scrolls a layer to (x, y), kept within its size when limit is set.
void SetLayerScroll(MapLayer* layer, float x, float y, int limit);
/// Draws the layer through the camera, clipped to the View.
void DrawLayer(MapLayer* layer);
// Read from the layer's working tiles when it has them; along a wrapping axis
// the layer repeats.
/// The tile value under world pixel (x, y) of the layer; -1 outside a non-wrapping layer or when it has none.
int32_t TileAt(const MapLayer* layer, float x, float y);

/// Longest map name that fits "Maps/%s"; longer names are refused like a missing file.
const int MaxMapNameLength = 250;

/// An object type registered by the program.
struct ObjectType;
/// A live object of the pool.
struct LiveObject;

/// A point of a placement's path, in world pixels.
struct PathPoint {
  float x, y;
};

/// An object placement of the current map.
struct MapObject {
  float x, y;
  float x2, y2;  // spawned objects take them as rotation and scale
  uint32_t param, param2;
  ObjectType* type;  // null when the name matched nothing and no type exists
  int32_t pointCount;
  PathPoint* points;
  uint32_t closed;
  int32_t value;
  int32_t spawnId;   // negative: placed at level start
  int32_t ints[4];   // optional fields, 0 when absent
  float reals[4];
  // Run-time fields.
  PathPoint* selectedPoint;
  int32_t spawned;       // -1 once a live object was made from it
  LiveObject* live;
  int32_t pathCount;     // entries of path (segments + 3), 0 when none
  int32_t pathSegments;
  float pathLength;
  PathPoint* path;
  MapObject* nextInCell;  // object grid chain
};

/// The current map's placements.
struct MapObjectTableState {
  MapObject* entries;
  int32_t count;
};
/// The placements of the current map, in file order.
extern MapObjectTableState MapObjectTable;

/// Messages given to an object type's callback.
enum : int32_t {
  ObjectSpawned = 0,
  ObjectStep = 1,
  ObjectDrawn = 2,
  ObjectPlaced = 3,  // map loading, with a blank record whose placement is set
};

/// An object type's behaviour: called with the object and an Object* message.
typedef void (*ObjectCallback)(LiveObject* object, int32_t message);

/// What the objects of a type share.
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
/// ObjectType flag: the type's placements are spawned only as the camera comes near.
const uint32_t ObjectTypeInGrid = 2;

/// A slot of the object pool: one object in the world.
struct LiveObject {
  int32_t screenSpace;
  int32_t visible;
  uint32_t param;    // mirror flag when drawn
  uint32_t param2;
  int32_t remove;
  int32_t sleep;
  int32_t delay;
  int32_t wrap;      // Wrap* flags, 0 none
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

/// Slots of the object pool.
const int ObjectPoolSize = 512;
/// Every object, live or free.
extern LiveObject ObjectPool[ObjectPoolSize];

/// The ends of the display list.
struct DisplayListState {
  int32_t head, tail;
};
/// The live objects in drawing (and update) order, linked through previous and next.
extern DisplayListState DisplayList;
/// Objects of this depth are kept in y order among themselves; -1 for none.
extern int32_t YSortDepth;

/// Adds a type under the name (made unique like every NamedList name) and returns it.
ObjectType* RegisterObjectType(const char* name, ObjectCallback callback, const char* imageName,
                               int32_t initialFrame, float anchorX, float anchorY, float scale, int32_t depth,
                               uint32_t flags);
/// The type of that name, or null.
ObjectType* FindObjectType(const char* name);
/// A new object of the type at world position (x, y) in the lowest free slot, or null when the pool is full.
LiveObject* SpawnObject(ObjectType* type, float x, float y, uint32_t param, MapObject* placement);
/// Sorts the display list again by depth (and y for YSortDepth).
void ResortObjects();
/// The object's index in the ObjectPool.
int32_t SlotOf(const LiveObject* object);

/// Puts the object into collision group 1, 2, 4, 8 or 16 (leaving any other); -1, or 0 for no such group.
int AddToCollisionGroup(LiveObject* object, int32_t group);
/// Takes the object out of its collision group.
void RemoveFromGroups(LiveObject* object);
// The first member in the group's order that is not marked for removal, is
// not `skip` (or null) and lies less than reachX across and reachY down from
// (x, y).
/// The nearest neighbour of a point in collision group 1, 2, 4, 8 or 16, or null.
LiveObject* FindNearInGroup(int32_t group, float x, float y, float reachX, float reachY, const LiveObject* skip);
// The path is walked as straight segments from the placement's own position
// and is a loop, so any distance falls on it.
/// The point `distance` pixels along the placement's path: -1 with the point, 0 when it has no path.
int PathPointAt(const MapObject* placement, float distance, float* x, float* y);

/// Draws cell n of the image at world position (x, y) about its anchor, mirrored when mirror is set.
void DrawFrame(float x, float y, Image* image, int32_t n, float anchorX, float anchorY, uint32_t mirror,
               int32_t wrap);
/// DrawFrame as a light silhouette (a flashing object).
void DrawFlash(float x, float y, Image* image, int32_t n, float anchorX, float anchorY, uint32_t mirror,
               int32_t wrap);

/// Milliseconds per logic step.
const uint32_t StepTime = 4;
/// -1 while a map's world runs.
extern int32_t WorldRunning;
/// The program's own work in every logic step, after the objects'; or null.
extern void (*GameStep)();
/// While set, the logic steps run nothing (no object, no game step): a world held still under a window.
extern int32_t WorldPaused;

/// Loads the map of that name of the MapList and starts its world; -1, or 0 when there is none (nothing changes).
int StartMapByName(const char* name);
/// One logic step as the frame runs it: the objects, GameStep and the camera.
void RunWorldStep();

}  // namespace zorta
