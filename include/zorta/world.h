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
  int32_t x, y, w, h;  // top-left corner and size; each level starts with the whole screen
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
  float scrollX, scrollY;     // the layer pixel at the view's top-left corner
  float parallaxX, parallaxY; // scroll per camera pixel: 1 moves with the camera, 0.5 at half its speed
  uint32_t wrapX, wrapY;      // non-zero: the layer repeats along that axis and scrolls past its far edge
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
  float x, y;  // across and down
};

/// An object placement of the current map.
struct MapObject {
  float x, y;    // world position in pixels, where its object appears and its path starts
  float x2, y2;  // spawned objects take them as rotation and scale
  uint32_t param, param2;  // handed to the spawned object (param: its mirror flag)
  ObjectType* type;  // null when the name matched nothing and no type exists
  int32_t pointCount;  // entries of points, 0 for no path
  PathPoint* points;   // the path's points after the placement's own position, or null
  uint32_t closed;   // non-zero: the path goes from its last point back to the start, else back along itself
  int32_t value;     // kept for the program, not interpreted
  int32_t spawnId;   // negative: placed at level start
  int32_t ints[4];   // optional fields, 0 when absent
  float reals[4];    // optional fields, 0 when absent
  // Run-time fields.
  PathPoint* selectedPoint;
  int32_t spawned;       // -1 once a live object was made from it
  LiveObject* live;      // the object made from it while that lives, else null
  int32_t pathCount;     // entries of path (segments + 3), 0 when none
  int32_t pathSegments;  // straight pieces of the path's loop: points + 1 closed, twice the points open
  float pathLength;      // the loop's length in world pixels
  PathPoint* path;       // the loop, path[1] (the position) to path[pathSegments + 1], with a neighbour each side
  MapObject* nextInCell;  // object grid chain
};

/// The current map's placements.
struct MapObjectTableState {
  MapObject* entries;  // count placements, or null
  int32_t count;       // placements in entries
};
/// The placements of the current map, in file order.
extern MapObjectTableState MapObjectTable;

/// Messages given to an object type's callback.
enum : int32_t {
  ObjectSpawned = 0,  // once, as SpawnObject has put the object in the world
  ObjectStep = 1,     // each logic step, unless the object sleeps or waits out a delay
  ObjectDrawn = 2,    // each frame after its turn to be drawn, drawn or not, under its clip rectangle
  ObjectPlaced = 3,  // map loading, with a blank record whose placement is set
};

/// An object type's behaviour: called with the object and an Object* message.
typedef void (*ObjectCallback)(LiveObject* object, int32_t message);

/// What the objects of a type share.
struct ObjectType {
  ObjectCallback callback;  // the objects' behaviour, or null
  char* imageName;   // owned
  Image* image;      // requested lazily, forgotten at each map load
  int32_t initialFrame;    // a new object's frame
  float anchorX, anchorY;  // a new object's anchors
  float scale;             // a new object's scale; one spawned by a placement takes the placement's y2 instead
  int32_t depth;           // a new object's depth
  uint32_t flags;    // ObjectTypeInGrid: placements go to the object grid
};
/// ObjectType flag: the type's placements are spawned only as the camera comes near.
const uint32_t ObjectTypeInGrid = 2;

/// A slot of the object pool: one object in the world.
struct LiveObject {
  int32_t screenSpace;  // non-zero: x, y and the clip edges are screen pixels, the camera is not applied
  int32_t visible;      // 0 hides the object, which still steps; -1 from spawning
  uint32_t param;    // mirror flag when drawn
  uint32_t param2;   // from the placement; non-zero mirrors a skeleton's bones top to bottom
  int32_t remove;    // set non-zero to end the object: it leaves its group and the pool after its turn in the step
  int32_t sleep;     // steps left neither stepped nor drawn, counted down one a step
  int32_t delay;     // steps left drawn but not stepped (after any sleep), counted down one a step
  int32_t wrap;      // Wrap* flags, 0 none
  int32_t flash;     // above 0: drawn as a light silhouette; counts down to 1 as it steps, then ends once drawn
  int32_t depth;     // lower depths step and draw first, under higher ones; read at spawning
  int32_t clipLeft, clipTop, clipRight, clipBottom;  // -1: edge not set
  ObjectCallback callback;  // from the type, or null
  Image* image;             // from the type: the frames it is drawn with, or null to draw nothing
  int32_t spawnMark;  // 4 after spawning
  MapObject* placement;  // the placement it was spawned from, or null
  float x, y;            // position in world pixels: the anchor of its frame, the root of a skeleton
  float frame;           // the image cell drawn (whole part); for a skeleton, the position among the keys
  float rotation;        // radians added to a skeleton's bones and cells (frames are not turned); a placement's x2
  float scale;           // a skeleton's size; frames are drawn at their own
  float anchorX, anchorY;  // the point of the frame's box put at (x, y): 0 left or top, 1 right or bottom
  uint32_t carried1, carried2;  // the program's own, cleared at spawning
  float previousX, previousY;   // x and y as the latest logic step began
  uint32_t previousCarried1, previousCarried2;  // carried1 and carried2 as the latest logic step began
  int32_t collisionGroup;  // 0 or 1, 2, 4, 8, 16
  uint32_t groupWords[4];  // not used by the framework; cleared when the object leaves its group
  int32_t previous, next;  // DisplayList links, -1 none
};

/// Slots of the object pool.
const int ObjectPoolSize = 512;
/// Every object, live or free.
extern LiveObject ObjectPool[ObjectPoolSize];

/// The ends of the display list.
struct DisplayListState {
  int32_t head, tail;  // pool slots of the first and last object drawn, -1 when none
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
