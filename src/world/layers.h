// Tile layers seen through the camera: scrolling with parallax and limits,
// wrapping, working tiles and the per-image tile remap.
#pragma once
#include <cstdint>

namespace zorta {

struct MapLayer;

const int32_t TileSize = 32;

struct ViewRect {
  int32_t x, y, w, h;
};
extern ViewRect View;

struct CameraState {
  float x, y;                 // world position at the view's top-left corner
  int32_t ix, iy;             // truncated towards zero
  int32_t offsetX, offsetY;   // draw offset: integer position - view origin
};
extern CameraState Camera;

extern MapLayer* MainLayer;

void SetCamera(float x, float y, int limit);
void ResetView();
void SetLayerScroll(MapLayer* layer, float x, float y, int limit);
void DrawLayer(MapLayer* layer);
void DrawLayerAt(MapLayer* layer, float fx, float fy);

// For game code. The tile value under the world pixel (x, y) of the layer,
// from its working tiles when it has them; along a wrapping axis the layer
// repeats; -1 outside a non-wrapping layer or when it has no cells.
int32_t TileAt(const MapLayer* layer, float x, float y);
// Puts the world point (x, y) at the middle of the View, the camera kept
// within the MainLayer as SetCamera limits it: a camera that follows an object.
void CenterCamera(float x, float y);

// Level start: choose the MainLayer (the layer named "Main", else the last),
// give it fresh working tiles, and reset the tile remaps to identity.
void ChooseMainLayer();
void CopyWorkingTiles(MapLayer* layer);
void ResetTileRemaps();

// A float truncated towards zero into 32 bits; NaN gives 0 and values beyond
// the range give its ends.
int32_t TruncateFloat(double value);

}  // namespace zorta
