// Decoded images shared by name in a 256-slot table, with the cells and
// skeletons of GFX images, and the whole-image operations done on loading.
// A program's part (LoadImage, ReleaseImage, sprites) is public (zorta/image.h).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "zorta/image.h"

namespace zorta {

const int ImageTableSize = 256;
extern Image* ImageTable[ImageTableSize];
extern int32_t ImageBatch;

// For the framework's own holders, which drop their handles at every map
// load (object types): outside a batch too, the image stays the batches'.
Image* RequestImage(const char* name, int dither);
int ReadImageFile(const char* path, Image* image);
// Replaces the image files held in memory (see ImagesInMemory). An image of
// the table whose held bytes changed or went is dropped, to be read afresh.
void HoldImagesInMemory(std::vector<std::pair<std::string, std::vector<uint8_t>>> files);
void BeginImageBatch();
void EndImageBatch(int createSurfaces, int buildMasks);
void DoubleImage(Image* image);
void BuildMask(Image* image);
// Frees what a record holds, not the record or its table slot; a program
// gives an image of the table back with ReleaseImage instead.
void FreeImage(Image* image);
void FreeSkeleton(Skeleton* skeleton);
void FreeAllImages();
// Sprites hold images of the table: FreeAllImages forgets them with it.
void ForgetSprites();
void ReleaseAllImageSurfaces();
void CreateAllImageSurfaces();
void UploadAllImages();

}  // namespace zorta
