// Images read from BMP, ILBM, GFX, TGA and PNG files into a table shared by
// name, and sprites: a picture cut into cells of any size.
#pragma once
#include <cstdint>

#include "zorta/display.h"

namespace zorta {

/// An off-screen display surface holding an image (the framework's own).
struct SurfaceSlot;

/// A sprite frame or tile of a GFX image: ten signed words.
struct ImageCell {
  int32_t x, y, width, height;     // rectangle in the image
  int32_t offsetX, offsetY;        // of that rectangle inside the frame's full box
  int32_t boxWidth, boxHeight;     // the full box
  int32_t kind;                    // 1 colour-keyed copy, 2 plain copy
  int32_t flags;                   // bit 0: keep out of mirroring
};

/// One bone of a GFX image's skeleton.
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

/// One bone's pose in a key of a skeleton animation.
struct BoneKey {
  float angle, lengthScale, drawAngle, drawScaleX, drawScaleY;
  int32_t value;
};

/// A named skeleton animation: its keys for every bone.
struct BoneAnimation {
  char name[32];
  int32_t keyCount;  // F: keys hold F x boneCount entries, key-major
  BoneKey* keys;
};

/// The bones and animations of a GFX image.
struct Skeleton {
  int32_t boneCount;
  int32_t animationCount;
  Bone* bones;
  BoneAnimation* animations;
};

/// A decoded image of the image table, shared by name.
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

// A program's image lives until the program gives it back with ReleaseImage,
// or until shutdown: map loads leave it, whether or not the map uses it. The
// images a map asks for itself (through the framework's RequestImage) live
// only until a later map that does not use them is loaded. A file that cannot
// be read stops the program with the loader's message (FatalError): null.
// <windows.h> makes LoadImage a macro naming LoadImageA or LoadImageW: the
// declaration here keeps its own name, and both of those reach it, so a game
// that includes <windows.h> first calls ours all the same.
#ifdef _WIN32
#pragma push_macro("LoadImage")
#undef LoadImage
#endif
/// The image of that name (a path under the data folder), read from its file the first time it is asked for.
Image* LoadImage(const char* name, int dither);
#ifdef _WIN32
/// LoadImage, as <windows.h> spells it in a program built without UNICODE.
inline Image* LoadImageA(const char* name, int dither) { return LoadImage(name, dither); }
/// LoadImage, as <windows.h> spells it in a program built with UNICODE.
inline Image* LoadImageW(const char* name, int dither) { return LoadImage(name, dither); }
#pragma pop_macro("LoadImage")
#endif
/// Gives back an image LoadImage returned: freed at once, or with the map when the current map uses it too.
void ReleaseImage(Image* image);
/// The image of that name already in the table, or null.
Image* FindImage(const char* name);

// The cells are numbered row by row from the top left and must divide the
// picture exactly. The sprite id, or -1 when the picture cannot be read or
// the cells do not divide it: the program then stops with the message, as
// for any image that fails to load. The picture is the program's until
// ReleaseSprite, as LoadImage's are.
/// Loads the picture at path (PNG or any format LoadImage reads) cut into cells of cellWidth x cellHeight.
int LoadSprite(const char* path, int cellWidth, int cellHeight);
/// Draws a cell of the sprite with its top-left corner at screen pixel (x, y); magenta pixels stay transparent.
void DrawSprite(int sprite, int cell, int x, int y);
/// Frees the sprite's id; the last sprite of a picture gives the picture back (ReleaseImage).
void ReleaseSprite(int sprite);

}  // namespace zorta
