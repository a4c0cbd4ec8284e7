// Sprites: a picture of any size from any format the image table reads, cut
// into equal cells that are drawn with magenta transparent.
#include <cstdio>

#include "base/settings.h"
#include "display/draw.h"
#include "image/image_surfaces.h"
#include "image/image_table.h"

namespace zorta {

namespace {

struct Sprite {
  Image* image;  // null: a free id
  int32_t cellWidth, cellHeight;
  int32_t columns, cells;
};

const int SpriteSlots = ImageTableSize;
Sprite sprites[SpriteSlots];

int UsedBySprite(const Image* image) {
  for (const Sprite& s : sprites)
    if (s.image == image) return -1;
  return 0;
}

int Refuse(const char* text) {
  snprintf(ErrorText, sizeof ErrorText, "%s", text);
  FatalError();
  return -1;
}

}  // namespace

int LoadSprite(const char* path, int cellWidth, int cellHeight) {
  char text[sizeof ErrorText];
  const char* name = path != nullptr ? path : "";
  int slot = 0;
  while (slot < SpriteSlots && sprites[slot].image != nullptr) slot++;
  if (slot == SpriteSlots) return Refuse("LoadSprite() - Out of sprites");
  if (cellWidth <= 0 || cellHeight <= 0) {
    snprintf(text, sizeof text, "LoadSprite() - '%s' cannot be cut into cells of %d x %d pixels", name, cellWidth,
             cellHeight);
    return Refuse(text);
  }
  // The picture may be one the program or another sprite holds already:
  // a refusal gives back only what this call loaded.
  bool known = FindImage(name) != nullptr;
  Image* image = LoadImage(name, 0);
  if (image == nullptr) return -1;  // the image table reported why
  if (image->width % cellWidth != 0 || image->height % cellHeight != 0) {
    snprintf(text, sizeof text, "LoadSprite() - Cells of %d x %d pixels do not divide '%s' (%d x %d)", cellWidth,
             cellHeight, name, static_cast<int>(image->width), static_cast<int>(image->height));
    if (!known) ReleaseImage(image);
    return Refuse(text);
  }
  int32_t columns = image->width / cellWidth;
  sprites[slot] = Sprite{image, cellWidth, cellHeight, columns, columns * (image->height / cellHeight)};
  return slot;
}

void DrawSprite(int sprite, int cell, int x, int y) {
  if (sprite < 0 || sprite >= SpriteSlots) return;
  const Sprite& s = sprites[sprite];
  if (s.image == nullptr || cell < 0 || cell >= s.cells) return;
  if (s.image->surface == nullptr) CreateImageSurfaces(s.image);
  if (s.image->surface == nullptr) return;
  BlitSlotKeyed(x, y, s.image->surface, (cell % s.columns) * s.cellWidth, (cell / s.columns) * s.cellHeight,
                s.cellWidth, s.cellHeight);
}

void ReleaseSprite(int sprite) {
  if (sprite < 0 || sprite >= SpriteSlots || sprites[sprite].image == nullptr) return;
  Image* image = sprites[sprite].image;
  sprites[sprite] = Sprite{};
  // Sprites of one picture share its record: the last one gives it back.
  if (!UsedBySprite(image)) ReleaseImage(image);
}

void ForgetSprites() {
  for (Sprite& s : sprites) s = Sprite{};
}

}  // namespace zorta
