#include "display/display.h"

// Filled in with the display layer.
int32_t SurfacesLost = 0;

void SetUpFullScreen() {}
void SetUpWindowed() {}
void ReleaseFullScreen() {}
void ReleaseWindowed() {}
void ChangeDisplayMode(int, int) {}
void Present() {}
void ReleaseAllSurfaceSlots() {}
void RestoreSurfaces() { SurfacesLost = 0; }
