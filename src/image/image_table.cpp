#include "image/image_table.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/settings.h"
#include "image/image_formats.h"
#include "image/image_surfaces.h"
#include "io/file.h"

namespace zorta {

Image* ImageTable[ImageTableSize];
int32_t ImageBatch = 0;

// Counts FreeAllImages runs. A probe that cannot open the file is reported
// at once, and that fatal error shuts the program down, which frees every
// image; a read that sees the count change knows its record is gone and
// stops touching it.
static uint32_t TableGeneration = 0;

static void Report(const char* format, ...) __attribute__((format(printf, 1, 2)));
static void Report(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  vsnprintf(ErrorText, sizeof ErrorText, format, ap);
  va_end(ap);
  FatalError();
}

Image* FindImage(const char* name) {
  if (name == nullptr) return nullptr;
  for (int i = 0; i < ImageTableSize; i++) {
    Image* image = ImageTable[i];
    if (image != nullptr && image->name != nullptr && NamesEqual(image->name, name)) return image;
  }
  return nullptr;
}

// The probes and loaders only answer; the reports, and with them the end of
// the program, are made here.
int ReadImageFile(const char* path, Image* image) {
  if (path == nullptr || image == nullptr) return 0;
  // The path may be the record's own name, which a fatal error frees.
  std::string copy(path);
  const char* p = copy.c_str();
  uint32_t generation = TableGeneration;
  char message[LoadMessageSize];
  const ImageFormat* format = nullptr;
  for (const ImageFormat& candidate : ImageFormats) {
    int found = RunProbe(candidate, p, message);
    if (message[0]) Report("%s", message);  // the file could not be opened
    if (found) {
      format = &candidate;
      break;
    }
  }
  if (format == nullptr) {
    Report("Can't load image '%s'", p);
    return 0;
  }
  if (generation != TableGeneration) return 0;
  if (!RunLoader(*format, p, image, message)) {
    Report("%s", message);
    return 0;
  }
  if (format->load == LoadGFX && (image->flags & 2)) DoubleImage(image);
  return -1;
}

// `stale` also tells ReleaseImage whether anything but the program asked for
// the image since the batch began: the framework's requests clear it, the
// program's first request of a new image outside a batch sets it.
Image* RequestImage(const char* name, int dither) {
  if (name == nullptr || name[0] == 0) return nullptr;
  Image* image = FindImage(name);
  if (image != nullptr) {
    image->stale = 0;
    image->dither = dither;
    return image;
  }
  int slot = 0;
  while (slot < ImageTableSize && ImageTable[slot] != nullptr) slot++;
  if (slot == ImageTableSize) {
    Report("LoadImage() - Out of Images");
    return nullptr;
  }
  image = static_cast<Image*>(MemAllocZero(sizeof(Image)));
  image->dither = dither;
  image->name = StrDup(name);
  ImageTable[slot] = image;
  if (ImageBatch) return image;
  if (!ReadImageFile(name, image)) return nullptr;
  return image;
}

Image* LoadImage(const char* name, int dither) {
  if (ImageBatch) return RequestImage(name, dither);
  Image* known = FindImage(name);
  int32_t stale = known != nullptr ? known->stale : -1;
  Image* image = RequestImage(name, dither);
  if (image == nullptr) return nullptr;
  image->stale = stale;
  image->kept = -1;
  return image;
}

void ReleaseImage(Image* image) {
  if (image == nullptr) return;
  for (int i = 0; i < ImageTableSize; i++) {
    if (ImageTable[i] != image) continue;
    image->kept = 0;
    if (!image->stale || ImageBatch) return;  // goes with the map
    FreeImage(image);
    MemFree(image);
    ImageTable[i] = nullptr;
    return;
  }
}

// Drops the table's image under name, to be read afresh when next asked for.
static void DropImageNamed(const std::string& name) {
  for (int i = 0; i < ImageTableSize; i++) {
    Image* image = ImageTable[i];
    if (image == nullptr || image->name == nullptr || !NamesEqual(image->name, name.c_str())) continue;
    FreeImage(image);
    MemFree(image);
    ImageTable[i] = nullptr;
  }
}

void HoldImagesInMemory(std::vector<std::pair<std::string, std::vector<uint8_t>>> files) {
  MemoryImageFiles before = std::move(ImagesInMemory);
  ImagesInMemory = std::move(files);
  for (const auto& file : ImagesInMemory) {
    const std::vector<uint8_t>* old = nullptr;
    for (const auto& b : before)
      if (NamesEqual(b.first.c_str(), file.first.c_str())) old = &b.second;
    if (old == nullptr || *old != file.second) DropImageNamed(file.first);
  }
  for (const auto& b : before)
    if (ImageInMemory(b.first.c_str()) == nullptr) DropImageNamed(b.first);
}

void BeginImageBatch() {
  ImageBatch = -1;
  for (int i = 0; i < ImageTableSize; i++)
    if (ImageTable[i] != nullptr) ImageTable[i]->stale = -1;
}

void EndImageBatch(int createSurfaces, int buildMasks) {
  ImageBatch = 0;
  int hadSurface = 0;
  for (int i = 0; i < ImageTableSize; i++) {
    Image* image = ImageTable[i];
    if (image == nullptr || !image->stale || image->kept) continue;
    if (image->surface != nullptr) hadSurface = -1;
    FreeImage(image);
    MemFree(image);
    ImageTable[i] = nullptr;
  }
  // Slots are read afresh each time: a failed read empties the table.
  for (int i = 0; i < ImageTableSize; i++) {
    Image* image = ImageTable[i];
    if (image != nullptr && image->pixels == nullptr) ReadImageFile(image->name, image);
  }
  if (hadSurface) ReleaseAllImageSurfaces();
  if (createSurfaces) CreateAllImageSurfaces();
  if (buildMasks) {
    for (int i = 0; i < ImageTableSize; i++) {
      Image* image = ImageTable[i];
      if (image != nullptr && image->mask == nullptr) BuildMask(image);
    }
  }
}

// Doubling in both directions, each source pixel becoming a 2 x 2 block.
void DoubleImage(Image* image) {
  if (image == nullptr || image->pixels == nullptr) return;
  int bpp = image->bytesPerPixel;
  if (bpp < 1 || bpp > 4 || image->width <= 0 || image->height <= 0) return;
  int64_t w = image->width, h = image->height;
  if (w * h * bpp * 4 > MaxImageBytes) return;  // stays as it is rather than exhaust memory
  uint8_t* out = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(w * h * bpp * 4)));
  size_t outRow = static_cast<size_t>(w * 2 * bpp);
  for (int64_t y = 0; y < h; y++) {
    const uint8_t* s = image->pixels + y * w * bpp;
    uint8_t* d = out + 2 * y * outRow;
    for (int64_t x = 0; x < w; x++) {
      memcpy(d + 2 * x * bpp, s + x * bpp, bpp);
      memcpy(d + (2 * x + 1) * bpp, s + x * bpp, bpp);
    }
    memcpy(d + outRow, d, outRow);
  }
  for (int i = 0; i < image->cellCount; i++) {
    int32_t* word = &image->cells[i].x;
    for (int k = 0; k < 8; k++) word[k] = static_cast<int32_t>(static_cast<uint32_t>(word[k]) * 2u);
  }
  MemFree(image->pixels);
  image->pixels = out;
  image->width = static_cast<int32_t>(w * 2);
  image->height = static_cast<int32_t>(h * 2);
}

// 255 where the pixel is opaque, 0 where it is magenta. Images that cannot
// hold magenta (indexed without palette) are opaque throughout.
void BuildMask(Image* image) {
  if (image == nullptr || image->width <= 0 || image->height <= 0) return;
  size_t count = static_cast<size_t>(image->width) * image->height;
  if (image->mask == nullptr) image->mask = static_cast<uint8_t*>(MemAlloc(count));
  uint8_t* mask = image->mask;
  const uint8_t* p = image->pixels;
  if (p == nullptr) {
    memset(mask, 255, count);
    return;
  }
  switch (image->bytesPerPixel == 1 ? 8 : image->bits) {
    case 8: {
      if (image->palette == nullptr) {
        memset(mask, 255, count);
        break;
      }
      int key = 0;
      for (int i = 0; i < 255; i++) {
        const uint8_t* e = image->palette + i * 3;
        if (e[0] == 255 && e[1] == 0 && e[2] == 255) key = i;
      }
      for (size_t i = 0; i < count; i++) mask[i] = p[i] == key ? 0 : 255;
      break;
    }
    case 15:
    case 16: {
      uint16_t key = image->bits == 16 ? 0xF81F : 0x7C1F;
      for (size_t i = 0; i < count; i++) mask[i] = (p[i * 2] | (p[i * 2 + 1] << 8)) == key ? 0 : 255;
      break;
    }
    case 24:
    case 32: {
      int bpp = image->bits / 8;
      for (size_t i = 0; i < count; i++) {
        const uint8_t* q = p + i * bpp;
        mask[i] = q[0] == 255 && q[1] == 0 && q[2] == 255 ? 0 : 255;
      }
      break;
    }
    default:
      memset(mask, 255, count);
      break;
  }
}

void FreeImage(Image* image) {
  if (image == nullptr) return;
  ReleaseImageSurfaces(image);
  MemFree(image->name);
  MemFree(image->pixels);
  MemFree(image->mask);
  MemFree(image->palette);
  MemFree(image->cells);
  MemFree(image->tileRemap);
  FreeSkeleton(image->skeleton);
  memset(image, 0, sizeof *image);
}

void FreeAllImages() {
  TableGeneration++;
  ForgetSprites();
  for (int i = 0; i < ImageTableSize; i++) {
    if (ImageTable[i] == nullptr) continue;
    FreeImage(ImageTable[i]);
    MemFree(ImageTable[i]);
    ImageTable[i] = nullptr;
  }
}

void ReleaseAllImageSurfaces() {
  for (int i = 0; i < ImageTableSize; i++)
    if (ImageTable[i] != nullptr) ReleaseImageSurfaces(ImageTable[i]);
}

void CreateAllImageSurfaces() {
  for (int i = 0; i < ImageTableSize; i++) {
    Image* image = ImageTable[i];
    if (image != nullptr && image->surface == nullptr) CreateImageSurfaces(image);
  }
}

void UploadAllImages() {
  for (int i = 0; i < ImageTableSize; i++) {
    Image* image = ImageTable[i];
    if (image != nullptr && image->surface != nullptr) UploadImage(image);
  }
}

}  // namespace zorta
