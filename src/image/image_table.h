// The image table and its surfaces.
#pragma once

void FreeAllImages();
void UploadAllImages();
void ReleaseAllImageSurfaces();
void CreateAllImageSurfaces();
