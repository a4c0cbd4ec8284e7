// The map file: tile layers in the LayerList and the table of object
// placements, loaded from "Maps/<name>".
#pragma once
#include <cstdint>

namespace zorta {

struct Image;
struct ObjectType;
struct LiveObject;

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

struct PathPoint {
  float x, y;
};

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

struct MapObjectTableState {
  MapObject* entries;
  int32_t count;
};
extern MapObjectTableState MapObjectTable;
extern MapObject* SelectedMapObject;

// Longest map name that fits "Maps/%s" in the 256-byte path; longer names
// are refused like a file that cannot be opened.
const int MaxMapNameLength = 250;

// Replaces the current map with "Maps/<name>". A file that cannot be opened
// (or a name too long for the path) keeps the current map and its images.
// A file that ends early, or whose counts and sizes do not fit in what it
// holds, keeps every layer and placement read completely before that point.
void LoadMap(const char* name);
void FreeMap();
// The layer record of a LayerList item, or null.
MapLayer* LayerAt(int index);

}  // namespace zorta
