// Display set-up, presentation, the off-screen surface pool and lost surfaces.
#pragma once
#include <cstdint>

extern int32_t SurfacesLost;

void SetUpFullScreen();
void SetUpWindowed();
void ReleaseFullScreen();
void ReleaseWindowed();
void ChangeDisplayMode(int depth, int fullScreen);
void Present();
void ReleaseAllSurfaceSlots();
void RestoreSurfaces();
