// Tile layers seen through the camera: scrolling with parallax and limits,
// wrapping, working tiles and the per-image tile remap.
#pragma once
#include <cstdint>

#include "zorta/world.h"

namespace zorta {

void ResetView();
void DrawLayerAt(MapLayer* layer, float fx, float fy);

// Level start: choose the MainLayer (the layer named "Main", else the last),
// give it fresh working tiles, and reset the tile remaps to identity.
void ChooseMainLayer();
void CopyWorkingTiles(MapLayer* layer);
void ResetTileRemaps();

// A float truncated towards zero into 32 bits; NaN gives 0 and values beyond
// the range give its ends.
int32_t TruncateFloat(double value);

}  // namespace zorta
