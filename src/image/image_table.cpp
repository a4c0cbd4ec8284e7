#include "image/image_table.h"

// Filled in with the image table.
void FreeAllImages() {}
void UploadAllImages() {}
void ReleaseAllImageSurfaces() {}
void CreateAllImageSurfaces() {}
