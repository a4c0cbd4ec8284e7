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
  float baseAngle;      // radians, added to every key's angle; 0 points down the screen, positive towards +x
  float length;         // pixels from the parent's end (or the object's position) to this bone's end, at scale 1
  struct Bone* parent;  // null for a root bone
  int32_t frame;        // a cell of the image
  float value1, value2; // passed on as read
  float baseDrawAngle;  // radians, added to every key's turn of the cell
  float drawScale;      // the cell's scale, times the key's and the object's
  uint32_t word1, word2;  // passed on as read
  // Working words of skeleton drawing, zero after loading.
  int32_t evaluated;
  float pointX, pointY;                    // the bone's end in world pixels, where its cell is placed
  float angle, currentLength;              // the bone's direction (radians) and length (pixels) this drawing
  float drawAngle, drawScaleX, drawScaleY; // the cell's turn (radians) and scales this drawing
  float spare;                             // not used
};

/// One bone's pose in a key of a skeleton animation.
struct BoneKey {
  float angle, lengthScale, drawAngle, drawScaleX, drawScaleY;  // add to the bone's angles, scale its length and cell
  int32_t value;  // passed on as read
};

/// A named skeleton animation: its keys for every bone.
struct BoneAnimation {
  char name[32];     // at most 31 characters; a longer name in the file is cut
  int32_t keyCount;  // F: keys hold F x boneCount entries, key-major
  BoneKey* keys;     // bone b of key k is keys[k * boneCount + b]
};

/// The bones and animations of a GFX image.
struct Skeleton {
  int32_t boneCount;          // entries of bones
  int32_t animationCount;     // entries of animations
  Bone* bones;                // parents point inside this array; cells drawn in this order
  BoneAnimation* animations;  // the first is the one drawn, the object's frame its position among the keys
};

/// A decoded image of the image table, shared by name.
struct Image {
  char* name;            // the name it was asked for, a path under the data folder; owned
  int32_t width, height;  // in pixels, after any doubling
  int32_t bits;          // depth of pixels: up to 8 indexes palette, else 15, 16, 24 or 32
  int32_t bytesPerPixel; // 1 to 4, as pixels holds them
  uint32_t flags;        // GFX flags; bit 1 = doubled on loading
  int32_t stale;         // -1: not requested since the batch began
  int32_t dither;        // non-zero: 24-bit pixels are dithered onto a 15- or 16-bit screen
  SurfaceSlot* surface;  // the pixels as drawing copies them, null until made
  uint8_t* pixels;       // rows top to bottom, no padding; null until read
  uint8_t* mask;         // width x height bytes, 255 opaque, 0 transparent
  uint8_t* palette;      // 768 bytes of red, green, blue, or null
  int32_t infoValue;     // a word of the GFX info header, kept, not interpreted
  uint32_t mirrorWanted; // GFX: non-zero asks for mirrorSurface as well
  SurfaceSlot* mirrorSurface;  // cells turned left to right (not those kept out), for mirroring; or null
  int32_t cellCount;     // entries of cells
  ImageCell* cells;      // a GFX file's frames and tiles, or null
  Skeleton* skeleton;    // a GFX file's bones, drawn instead of a frame; or null
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
