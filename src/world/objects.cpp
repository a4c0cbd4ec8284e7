#include "world/objects.h"

#include <cmath>
#include <cstring>

#include "base/settings.h"
#include "display/draw.h"
#include "image/image_draw.h"
#include "image/image_surfaces.h"
#include "image/image_table.h"
#include "io/file.h"
#include "io/named_list.h"
#include "world/layers.h"
#include "world/map.h"

namespace zorta {

LiveObject ObjectPool[ObjectPoolSize];
DisplayListState DisplayList = {-1, -1};
int32_t FreeSearchStart = 0;
int32_t YSortDepth = -1;
CollisionGroupState CollisionGroups[CollisionGroupCount];
ObjectGridState ObjectGrid = {nullptr, 0, 0, 0};

namespace {

int GroupIndex(int32_t group) {
  switch (group) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    case 8: return 3;
    case 16: return 4;
    default: return -1;
  }
}

// Requests the type's image when it has none and gives it its surfaces.
void PrepareTypeImage(ObjectType* type) {
  if (type->image == nullptr) type->image = RequestImage(type->imageName, 0);
  if (type->image != nullptr && type->image->surface == nullptr) CreateImageSurfaces(type->image);
}

bool BeforeNode(const LiveObject* object, const LiveObject* node) {
  if (YSortDepth >= 0 && object->depth == YSortDepth) {
    if (node->depth < object->depth) return false;
    return node->depth > object->depth || node->y >= object->y;
  }
  return node->depth >= object->depth;
}

}  // namespace

int32_t SlotOf(const LiveObject* object) { return static_cast<int32_t>(object - ObjectPool); }

ObjectType* RegisterObjectType(const char* name, ObjectCallback callback, const char* imageName,
                               int32_t initialFrame, float anchorX, float anchorY, float scale, int32_t depth,
                               uint32_t flags) {
  ObjectType* type = static_cast<ObjectType*>(MemAllocZero(sizeof(ObjectType)));
  type->callback = callback;
  type->imageName = imageName != nullptr ? StrDup(imageName) : nullptr;
  type->initialFrame = initialFrame;
  type->anchorX = anchorX;
  type->anchorY = anchorY;
  type->scale = scale;
  type->depth = depth;
  type->flags = flags;
  NamedItem* item = AddItem(&ObjectTypeList, name != nullptr ? name : "");
  item->data = type;
  return type;
}

ObjectType* FindObjectType(const char* name) {
  NamedItem* item = FindItem(&ObjectTypeList, name);
  return item != nullptr ? static_cast<ObjectType*>(item->data) : nullptr;
}

void FreeObjectTypes() {
  for (int i = 0; i < ObjectTypeList.count; i++) {
    ObjectType* type = static_cast<ObjectType*>(ObjectTypeList.items[i].data);
    if (type == nullptr) continue;
    MemFree(type->imageName);
    MemFree(type);
    ObjectTypeList.items[i].data = nullptr;
  }
  // The placements of a loaded map no longer have types.
  for (int32_t i = 0; i < MapObjectTable.count; i++) MapObjectTable.entries[i].type = nullptr;
  ClearList(&ObjectTypeList);
}

void ClearObjects() {
  for (int i = 0; i < CollisionGroupCount; i++) CollisionGroups[i].count = 0;
  memset(ObjectPool, 0, sizeof ObjectPool);
  for (int i = 0; i < ObjectPoolSize; i++) {
    ObjectPool[i].previous = -1;
    ObjectPool[i].next = -1;
  }
  DisplayList.head = DisplayList.tail = -1;
  FreeSearchStart = 0;
}

void InsertObject(LiveObject* object) {
  int32_t slot = SlotOf(object);
  int32_t at = DisplayList.head;
  while (at >= 0 && !BeforeNode(object, &ObjectPool[at])) at = ObjectPool[at].next;
  if (at < 0) {
    object->previous = DisplayList.tail;
    object->next = -1;
    if (DisplayList.tail >= 0)
      ObjectPool[DisplayList.tail].next = slot;
    else
      DisplayList.head = slot;
    DisplayList.tail = slot;
    return;
  }
  LiveObject* node = &ObjectPool[at];
  object->next = at;
  object->previous = node->previous;
  if (node->previous >= 0)
    ObjectPool[node->previous].next = slot;
  else
    DisplayList.head = slot;
  node->previous = slot;
}

void UnlinkObject(LiveObject* object) {
  int32_t slot = SlotOf(object);
  bool linked = object->previous >= 0 || object->next >= 0 || DisplayList.head == slot;
  if (!linked) return;
  if (object->previous >= 0)
    ObjectPool[object->previous].next = object->next;
  else
    DisplayList.head = object->next;
  if (object->next >= 0)
    ObjectPool[object->next].previous = object->previous;
  else
    DisplayList.tail = object->previous;
  object->previous = object->next = -1;
}

int AddToCollisionGroup(LiveObject* object, int32_t group) {
  int g = GroupIndex(group);
  if (object == nullptr || g < 0) return 0;
  RemoveFromGroups(object);
  CollisionGroupState& cg = CollisionGroups[g];
  if (cg.count >= ObjectPoolSize) return 0;
  cg.members[cg.count++] = object;
  object->collisionGroup = group;
  return -1;
}

void RemoveFromGroups(LiveObject* object) {
  int g = GroupIndex(object->collisionGroup);
  if (g >= 0) {
    CollisionGroupState& cg = CollisionGroups[g];
    for (int32_t i = 0; i < cg.count; i++) {
      if (cg.members[i] != object) continue;
      memmove(&cg.members[i], &cg.members[i + 1], static_cast<size_t>(cg.count - i - 1) * sizeof(LiveObject*));
      cg.count--;
      break;
    }
  }
  object->collisionGroup = 0;
  memset(object->groupWords, 0, sizeof object->groupWords);
}

LiveObject* SpawnObject(ObjectType* type, float x, float y, uint32_t param, MapObject* placement) {
  if (type == nullptr || FreeSearchStart >= ObjectPoolSize - 1) return nullptr;
  int32_t slot = -1;
  for (int32_t i = FreeSearchStart < 0 ? 0 : FreeSearchStart; i < ObjectPoolSize - 1; i++) {
    if (ObjectPool[i].previous == -1 && ObjectPool[i].next == -1 && DisplayList.head != i) {
      slot = i;
      break;
    }
  }
  if (slot < 0) return nullptr;
  PrepareTypeImage(type);
  if (ShutdownDone) return nullptr;
  LiveObject* o = &ObjectPool[slot];
  int32_t previous = o->previous, next = o->next;
  memset(o, 0, sizeof *o);
  o->previous = previous;
  o->next = next;
  o->visible = -1;
  o->param = param;
  o->depth = type->depth;
  o->clipLeft = o->clipTop = o->clipRight = o->clipBottom = -1;
  o->callback = type->callback;
  o->image = type->image;
  o->spawnMark = 4;
  o->placement = placement;
  o->x = x;
  o->y = y;
  o->frame = static_cast<float>(type->initialFrame);
  o->scale = type->scale;
  o->anchorX = type->anchorX;
  o->anchorY = type->anchorY;
  if (placement != nullptr) {
    placement->spawned = -1;
    placement->live = o;
    o->scale = placement->y2;
    o->rotation = placement->x2;
    o->param2 = placement->param2;
  }
  InsertObject(o);
  FreeSearchStart = slot + 1;
  if (o->callback != nullptr) o->callback(o, ObjectSpawned);
  return o;
}

void UpdateObjects() {
  int32_t at = DisplayList.head;
  while (at >= 0) {
    LiveObject* o = &ObjectPool[at];
    int32_t next = o->next;
    o->previousX = o->x;
    o->previousY = o->y;
    o->previousCarried1 = o->carried1;
    o->previousCarried2 = o->carried2;
    if (o->sleep > 0) {
      o->sleep--;
    } else if (o->delay > 0) {
      o->delay--;
    } else {
      if (o->flash > 1) o->flash--;
      if (o->callback != nullptr) o->callback(o, ObjectStep);
    }
    if (o->remove) {
      RemoveFromGroups(o);
      if (o->placement != nullptr) o->placement->live = nullptr;
      UnlinkObject(o);
      if (FreeSearchStart > at) FreeSearchStart = at;
      o->remove = 0;
    }
    at = next;
  }
}

void ResortObjects() {
  if (YSortDepth < 0) return;
  // Each pass moves one object that is out of place; there are at most as
  // many passes as objects out of place.
  for (;;) {
    int32_t at = DisplayList.head;
    while (at >= 0 && ObjectPool[at].depth != YSortDepth) at = ObjectPool[at].next;
    if (at < 0) return;
    int32_t moved = -1;
    for (int32_t next = ObjectPool[at].next; next >= 0 && ObjectPool[next].depth == YSortDepth;
         at = next, next = ObjectPool[next].next) {
      if (ObjectPool[next].y < ObjectPool[at].y) {
        moved = next;
        break;
      }
    }
    if (moved < 0) return;
    UnlinkObject(&ObjectPool[moved]);
    InsertObject(&ObjectPool[moved]);
  }
}

namespace {

struct FramePlace {
  int32_t x, y;  // screen position
  int32_t sx, sy, w, h;
  SurfaceSlot* surface;
  int32_t mirrored;
};

// Where a frame goes and which surface it comes from; false when nothing
// can be drawn.
bool PlaceFrame(float x, float y, Image* image, int32_t n, float ax, float ay, uint32_t mirror, FramePlace* out) {
  if (image == nullptr || image->cells == nullptr || n < 0 || n >= image->cellCount) return false;
  const ImageCell& c = image->cells[n];
  // A cell larger than its image names no pixels to copy.
  if (c.width <= 0 || c.height <= 0 || c.width > image->width || c.height > image->height) return false;
  int64_t fw = c.boxWidth, fh = c.boxHeight;
  int64_t X;
  if (mirror && image->mirrorSurface != nullptr) {
    X = static_cast<int64_t>(TruncateFloat(x)) + fw - TruncateFloat(static_cast<float>(fw - 1) * (1.0f - ax) + 0.5f) -
        c.offsetX - c.width - Camera.offsetX;
    out->surface = image->mirrorSurface;
    out->mirrored = -1;
  } else {
    X = static_cast<int64_t>(TruncateFloat(x)) + c.offsetX - TruncateFloat(ax * static_cast<float>(fw - 1) + 0.5f) -
        Camera.offsetX;
    out->surface = image->surface;
    out->mirrored = 0;
  }
  int64_t Y = static_cast<int64_t>(TruncateFloat(y)) + c.offsetY -
              TruncateFloat(ay * static_cast<float>(fh - 1) + 0.5f) - Camera.offsetY;
  if (out->surface == nullptr || X < INT32_MIN || X > INT32_MAX || Y < INT32_MIN || Y > INT32_MAX) return false;
  out->x = static_cast<int32_t>(X);
  out->y = static_cast<int32_t>(Y);
  out->sx = c.x;
  out->sy = c.y;
  out->w = c.width;
  out->h = c.height;
  return true;
}

}  // namespace

void DrawFrame(float x, float y, Image* image, int32_t n, float anchorX, float anchorY, uint32_t mirror,
               int32_t wrap) {
  FramePlace p;
  if (!PlaceFrame(x, y, image, n, anchorX, anchorY, mirror, &p)) return;
  if (wrap == 0)
    BlitSlotKeyed(p.x, p.y, p.surface, p.sx, p.sy, p.w, p.h);
  else
    BlitSlotWrapped(p.x, p.y, p.surface, p.sx, p.sy, p.w, p.h, wrap);
}

void DrawFlash(float x, float y, Image* image, int32_t n, float anchorX, float anchorY, uint32_t mirror,
               int32_t wrap) {
  FramePlace p;
  if (!PlaceFrame(x, y, image, n, anchorX, anchorY, mirror, &p)) return;
  int32_t m = mirror ? -1 : 0;
  if (wrap == 0)
    DrawMaskHighlight(p.x, p.y, image, p.sx, p.sy, p.w, p.h, m);
  else
    DrawMaskWrapped(p.x, p.y, image, p.sx, p.sy, p.w, p.h, m, wrap);
}

float CatmullRom(float p0, float p1, float p2, float p3, float t) {
  return 0.5f * (2 * p1 + (p2 - p0) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t +
                 (3 * p1 - p0 - 3 * p2 + p3) * t * t * t);
}

namespace {

const float Pi = 3.14159265358979f;

// Moves b by whole turns towards a when they are more than half a turn apart.
float TowardsAngle(float a, float b) {
  if (b - a > Pi) return b - 2 * Pi;
  if (a - b > Pi) return b + 2 * Pi;
  return b;
}

struct SkeletonFrame {
  const LiveObject* object;
  const Skeleton* skeleton;
  const BoneAnimation* animation;
  int32_t keys[4];
  float t;
};

void EvaluateBone(const SkeletonFrame& s, int32_t index, int depth) {
  Bone* bone = &s.skeleton->bones[index];
  if (bone->evaluated) return;
  // The loader ties parents inside the bone array; the depth bound keeps a
  // damaged chain from recursing without end.
  const Bone* parent = bone->parent;
  if (parent != nullptr && depth < s.skeleton->boneCount) {
    EvaluateBone(s, static_cast<int32_t>(parent - s.skeleton->bones), depth + 1);
  }
  int32_t bones = s.skeleton->boneCount;
  const BoneKey* k[4];
  for (int i = 0; i < 4; i++) k[i] = &s.animation->keys[static_cast<int64_t>(s.keys[i]) * bones + index];
  float a1 = TowardsAngle(k[0]->angle, k[1]->angle);
  float a2 = TowardsAngle(a1, k[2]->angle);
  float a3 = TowardsAngle(a2, k[3]->angle);
  float d1 = TowardsAngle(k[0]->drawAngle, k[1]->drawAngle);
  float d2 = TowardsAngle(d1, k[2]->drawAngle);
  float d3 = TowardsAngle(d2, k[3]->drawAngle);
  float t = s.t;
  float angle = CatmullRom(k[0]->angle, a1, a2, a3, t);
  float lengthScale = CatmullRom(k[0]->lengthScale, k[1]->lengthScale, k[2]->lengthScale, k[3]->lengthScale, t);
  float drawAngle = CatmullRom(k[0]->drawAngle, d1, d2, d3, t);
  float scaleX = CatmullRom(k[0]->drawScaleX, k[1]->drawScaleX, k[2]->drawScaleX, k[3]->drawScaleX, t);
  float scaleY = CatmullRom(k[0]->drawScaleY, k[1]->drawScaleY, k[2]->drawScaleY, k[3]->drawScaleY, t);
  const LiveObject* o = s.object;
  bone->angle = bone->baseAngle + angle + o->rotation;
  bone->currentLength = bone->length * lengthScale * o->scale;
  float baseX = o->x, baseY = o->y;
  if (parent != nullptr && parent->evaluated) {
    baseX = parent->pointX;
    baseY = parent->pointY;
  }
  float dx = std::sin(bone->angle) * bone->currentLength;
  float dy = std::cos(bone->angle) * bone->currentLength;
  bone->pointX = o->param ? baseX - dx : baseX + dx;
  bone->pointY = o->param2 ? baseY - dy : baseY + dy;
  bone->drawAngle = drawAngle + bone->baseDrawAngle + o->rotation;
  bone->drawScaleX = o->scale * bone->drawScale * scaleX;
  bone->drawScaleY = o->scale * bone->drawScale * scaleY;
  bone->evaluated = -1;
}

}  // namespace

void DrawSkeleton(LiveObject* object) {
  Image* image = object->image;
  const Skeleton* skeleton = image != nullptr ? image->skeleton : nullptr;
  if (skeleton == nullptr || skeleton->boneCount <= 0 || skeleton->bones == nullptr ||
      skeleton->animationCount <= 0 || skeleton->animations == nullptr)
    return;
  const BoneAnimation* animation = &skeleton->animations[0];
  int32_t f = animation->keyCount;
  if (f <= 0 || animation->keys == nullptr) return;
  SkeletonFrame s;
  s.object = object;
  s.skeleton = skeleton;
  s.animation = animation;
  // Whatever the frame field holds, the keys read stay inside the table:
  // the position is taken modulo the key count.
  double position = object->frame;
  if (!std::isfinite(position)) position = 0;
  double whole = std::trunc(position);
  s.t = static_cast<float>(position - whole);
  double wrapped = std::fmod(whole, static_cast<double>(f));
  if (wrapped < 0) wrapped += f;
  int32_t k = static_cast<int32_t>(wrapped);
  if (k < 0 || k >= f) k = 0;
  s.keys[0] = k - 1 < 0 ? f - 1 : k - 1;
  s.keys[1] = k;
  s.keys[2] = k + 1 >= f ? 0 : k + 1;
  s.keys[3] = s.keys[2] + 1 >= f ? 0 : s.keys[2] + 1;
  for (int32_t i = 0; i < skeleton->boneCount; i++) skeleton->bones[i].evaluated = 0;
  for (int32_t i = 0; i < skeleton->boneCount; i++) EvaluateBone(s, i, 0);
  SurfaceSlot* surface = image->surface;
  if (surface == nullptr) return;
  for (int32_t i = 0; i < skeleton->boneCount; i++) {
    const Bone& bone = skeleton->bones[i];
    if (bone.frame < 0 || bone.frame >= image->cellCount || image->cells == nullptr) continue;
    const ImageCell& c = image->cells[bone.frame];
    SlotTransform transform = {bone.drawAngle, bone.drawScaleX, bone.drawScaleY};
    DrawSlotTransformed(static_cast<double>(bone.pointX) + c.offsetX - Camera.offsetX,
                        static_cast<double>(bone.pointY) + c.offsetY - Camera.offsetY, surface, c.x, c.y, c.width,
                        c.height, &transform);
  }
}

void DrawObjects() {
  ClipRectangle savedClip = ClipRect;
  int32_t savedOffsetX = Camera.offsetX, savedOffsetY = Camera.offsetY;
  int32_t at = DisplayList.head;
  while (at >= 0) {
    LiveObject* o = &ObjectPool[at];
    if (o->screenSpace) {
      Camera.offsetX = Camera.offsetY = 0;
      if (o->clipLeft >= 0) ClipRect.left = o->clipLeft;
      if (o->clipTop >= 0) ClipRect.top = o->clipTop;
      if (o->clipRight >= 0) ClipRect.right = o->clipRight < ScreenWidth - 1 ? o->clipRight : ScreenWidth - 1;
      if (o->clipBottom >= 0) ClipRect.bottom = o->clipBottom < ScreenHeight - 1 ? o->clipBottom : ScreenHeight - 1;
    } else {
      int64_t viewRight = static_cast<int64_t>(View.x) + View.w - 1, viewBottom = static_cast<int64_t>(View.y) + View.h - 1;
      if (o->clipLeft >= 0) {
        int64_t v = static_cast<int64_t>(o->clipLeft) - Camera.offsetX;
        ClipRect.left = static_cast<int32_t>(v < View.x ? View.x : (v > INT32_MAX ? INT32_MAX : v));
      }
      if (o->clipTop >= 0) {
        int64_t v = static_cast<int64_t>(o->clipTop) - Camera.offsetY;
        ClipRect.top = static_cast<int32_t>(v < View.y ? View.y : (v > INT32_MAX ? INT32_MAX : v));
      }
      if (o->clipRight >= 0) {
        int64_t v = static_cast<int64_t>(o->clipRight) - Camera.offsetX;
        ClipRect.right = static_cast<int32_t>(v > viewRight ? viewRight : (v < INT32_MIN ? INT32_MIN : v));
      }
      if (o->clipBottom >= 0) {
        int64_t v = static_cast<int64_t>(o->clipBottom) - Camera.offsetY;
        ClipRect.bottom = static_cast<int32_t>(v > viewBottom ? viewBottom : (v < INT32_MIN ? INT32_MIN : v));
      }
    }
    if (o->image != nullptr && o->visible && o->sleep <= 0) {
      if (o->image->skeleton != nullptr) {
        DrawSkeleton(o);
      } else {
        int32_t n = TruncateFloat(o->frame);
        if (o->flash > 0) {
          DrawFlash(o->x, o->y, o->image, n, o->anchorX, o->anchorY, o->param, o->wrap);
          if (o->flash == 1) o->flash = 0;
        } else {
          DrawFrame(o->x, o->y, o->image, n, o->anchorX, o->anchorY, o->param, o->wrap);
        }
      }
    }
    int32_t next = o->next;
    if (o->callback != nullptr) o->callback(o, ObjectDrawn);
    ClipRect = savedClip;
    Camera.offsetX = savedOffsetX;
    Camera.offsetY = savedOffsetY;
    at = next;
  }
}

void FreeObjectGrid() {
  MemFree(ObjectGrid.cells);
  ObjectGrid.cells = nullptr;
  ObjectGrid.width = ObjectGrid.height = 0;
  ObjectGrid.count = 0;
}

void BuildObjectGrid() {
  FreeObjectGrid();
  for (int32_t i = 0; i < MapObjectTable.count; i++) MapObjectTable.entries[i].nextInCell = nullptr;
  int32_t gw = 1, gh = 1;
  int32_t columnsPerCell = ScreenWidth / TileSize, rowsPerCell = ScreenHeight / TileSize;
  if (MainLayer != nullptr && columnsPerCell > 0 && rowsPerCell > 0) {
    int64_t w = MainLayer->width > 0 ? MainLayer->width : 0, h = MainLayer->height > 0 ? MainLayer->height : 0;
    gw = static_cast<int32_t>((w + columnsPerCell - 1) / columnsPerCell);
    gh = static_cast<int32_t>((h + rowsPerCell - 1) / rowsPerCell);
  }
  ObjectGrid.width = gw;
  ObjectGrid.height = gh;
  int64_t cells = static_cast<int64_t>(gw) * gh;
  if (cells > 0)
    ObjectGrid.cells = static_cast<MapObject**>(MemAllocZero(static_cast<size_t>(cells) * sizeof(MapObject*)));
}

namespace {

void AddToGrid(MapObject* placement) {
  PrepareTypeImage(placement->type);
  if (ShutdownDone || ObjectGrid.cells == nullptr || ScreenWidth <= 0 || ScreenHeight <= 0) return;
  int32_t column = TruncateFloat(placement->x) / ScreenWidth;
  int32_t row = TruncateFloat(placement->y) / ScreenHeight;
  if (column < 0 || row < 0 || column >= ObjectGrid.width || row >= ObjectGrid.height) return;
  MapObject** link = &ObjectGrid.cells[static_cast<int64_t>(row) * ObjectGrid.width + column];
  while (*link != nullptr) link = &(*link)->nextInCell;
  *link = placement;
  placement->nextInCell = nullptr;
  ObjectGrid.count++;
}

float Distance(const PathPoint& a, const PathPoint& b) {
  float dx = b.x - a.x, dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

void FreePath(MapObject* placement) {
  MemFree(placement->path);
  placement->path = nullptr;
  placement->pathCount = 0;
  placement->pathSegments = 0;
  placement->pathLength = 0;
}

void BuildPath(MapObject* placement) {
  FreePath(placement);
  int32_t p = placement->pointCount;
  if (p <= 0 || placement->points == nullptr) return;
  int64_t n = placement->closed ? static_cast<int64_t>(p) + 1 : static_cast<int64_t>(p) * 2;
  PathPoint* path = static_cast<PathPoint*>(MemAlloc(static_cast<size_t>(n + 3) * sizeof(PathPoint)));
  const PathPoint* pts = placement->points;
  PathPoint origin = {placement->x, placement->y};
  int64_t e = 0;
  path[e++] = placement->closed ? pts[p - 1] : pts[0];
  path[e++] = origin;
  for (int32_t i = 0; i < p; i++) path[e++] = pts[i];
  if (!placement->closed)
    for (int32_t i = p - 2; i >= 0; i--) path[e++] = pts[i];
  path[e++] = origin;
  path[e++] = pts[0];
  float length = 0;
  for (int64_t i = 1; i <= n; i++) length += Distance(path[i], path[i + 1]);
  placement->path = path;
  placement->pathCount = static_cast<int32_t>(e);
  placement->pathSegments = static_cast<int32_t>(n);
  placement->pathLength = length;
}

void SpawnPlacements() {
  for (int32_t i = 0; i < MapObjectTable.count; i++) {
    MapObject* o = &MapObjectTable.entries[i];
    BuildPath(o);
    o->spawned = 0;
    o->live = nullptr;
    if (o->type == nullptr || o->spawnId >= 0) continue;
    if (o->type->flags & ObjectTypeInGrid)
      AddToGrid(o);
    else
      SpawnObject(o->type, o->x, o->y, o->param, o);
    if (ShutdownDone) return;
  }
}

LiveObject* FindNearInGroup(int32_t group, float x, float y, float reachX, float reachY, const LiveObject* skip) {
  int g = GroupIndex(group);
  if (g < 0) return nullptr;
  const CollisionGroupState& cg = CollisionGroups[g];
  for (int32_t i = 0; i < cg.count; i++) {
    LiveObject* o = cg.members[i];
    if (o == skip || o->remove) continue;
    if (std::fabs(o->x - x) < reachX && std::fabs(o->y - y) < reachY) return o;
  }
  return nullptr;
}

int PathPointAt(const MapObject* placement, float distance, float* x, float* y) {
  if (placement == nullptr || placement->path == nullptr || placement->pathSegments <= 0) return 0;
  const PathPoint* path = placement->path;
  float length = placement->pathLength;
  if (!(length > 0) || !std::isfinite(distance)) {
    *x = path[1].x;
    *y = path[1].y;
    return -1;
  }
  // The path is a loop: any distance, negative ones too, falls on it.
  float d = std::fmod(distance, length);
  if (d < 0) d += length;
  for (int32_t i = 1; i <= placement->pathSegments; i++) {
    const PathPoint& a = path[i];
    const PathPoint& b = path[i + 1];
    float segment = Distance(a, b);
    if (d <= segment || i == placement->pathSegments) {
      float t = segment > 0 ? d / segment : 0;
      if (t > 1) t = 1;
      *x = a.x + (b.x - a.x) * t;
      *y = a.y + (b.y - a.y) * t;
      return -1;
    }
    d -= segment;
  }
  return 0;
}

}  // namespace zorta
