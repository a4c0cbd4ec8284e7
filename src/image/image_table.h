// Decoded images shared by name in a 256-slot table, with the cells and
// skeletons of GFX images, and the whole-image operations done on loading.
#pragma once
#include <cstdint>

namespace zorta {

struct SurfaceSlot;  // an off-screen display surface of the pool

// A sprite frame or tile of a GFX image: ten signed words.
struct ImageCell {
  int32_t x, y, width, height;     // rectangle in the image
  int32_t offsetX, offsetY;        // of that rectangle inside the frame's full box
  int32_t boxWidth, boxHeight;     // the full box
  int32_t kind;                    // 1 colour-keyed copy, 2 plain copy
  int32_t flags;                   // bit 0: keep out of mirroring
};

struct Bone {
  float baseAngle;
  float length;
  struct Bone* parent;  // null for a root bone
  int32_t frame;        // a cell of the image
  float value1, value2; // passed on as read
  float baseDrawAngle;
  float drawScale;
  uint32_t word1, word2;  // passed on as read
  // Working words of skeleton drawing, zero after loading.
  int32_t evaluated;
  float pointX, pointY;
  float angle, currentLength;
  float drawAngle, drawScaleX, drawScaleY;
  float spare;
};

struct BoneKey {
  float angle, lengthScale, drawAngle, drawScaleX, drawScaleY;
  int32_t value;
};

struct BoneAnimation {
  char name[32];
  int32_t keyCount;  // F: keys hold F x boneCount entries, key-major
  BoneKey* keys;
};

struct Skeleton {
  int32_t boneCount;
  int32_t animationCount;
  Bone* bones;
  BoneAnimation* animations;
};

struct Image {
  char* name;
  int32_t width, height;
  int32_t bits;
  int32_t bytesPerPixel;
  uint32_t flags;        // GFX flags; bit 1 = doubled on loading
  int32_t stale;         // -1: not requested since the batch began
  int32_t dither;
  SurfaceSlot* surface;
  uint8_t* pixels;       // rows top to bottom, no padding; null until read
  uint8_t* mask;         // width x height bytes, 255 opaque, 0 transparent
  uint8_t* palette;      // 768 bytes of red, green, blue, or null
  int32_t infoValue;
  uint32_t mirrorWanted;
  SurfaceSlot* mirrorSurface;
  int32_t cellCount;
  ImageCell* cells;
  Skeleton* skeleton;
  uint16_t* tileRemap;   // owned by tile drawing, freed here
  int32_t kept;          // -1: the program holds it (LoadImage outside a batch)
};

const int ImageTableSize = 256;
extern Image* ImageTable[ImageTableSize];
extern int32_t ImageBatch;

// The image of that name, read from the file the first time it is asked for.
// How long it lives depends on who asks. Asked for outside a batch (by the
// program), it lives until the program gives it back with ReleaseImage, or
// until shutdown: map loads leave it, whether or not the map uses it. Asked
// for only during a batch (by a map load), it lives until a later batch that
// does not ask for it again ends; a handle to it must not outlive that.
Image* LoadImage(const char* name, int dither);
// For the framework's own holders, which drop their handles at every map
// load (object types): outside a batch too, the image stays the batches'.
Image* RequestImage(const char* name, int dither);
// The program is done with an image it loaded: it is freed at once, or, when
// the current map or its objects asked for it too, by the first batch that
// does not ask for it again.
void ReleaseImage(Image* image);
Image* FindImage(const char* name);
int ReadImageFile(const char* path, Image* image);
void BeginImageBatch();
void EndImageBatch(int createSurfaces, int buildMasks);
void DoubleImage(Image* image);
void BuildMask(Image* image);
// Frees what a record holds, not the record or its table slot; a program
// gives an image of the table back with ReleaseImage instead.
void FreeImage(Image* image);
void FreeSkeleton(Skeleton* skeleton);
void FreeAllImages();
void ReleaseAllImageSurfaces();
void CreateAllImageSurfaces();
void UploadAllImages();

}  // namespace zorta
