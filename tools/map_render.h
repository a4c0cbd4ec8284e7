// `map render`: a map file (or a Tiled map, imported first) drawn by the
// program's own layer drawing, headless, the whole map at camera 0, to a PNG
// in which what no layer drew is transparent.
#pragma once
#include <cstdio>

namespace zorta {

// MAP lies in a Maps/ folder whose parent holds the TileSets/ it names, or is
// a Tiled map (.tmx, .tmj, .json).
// `scale` repeats each pixel (1 to 16); `onlyLayer` >= 0 draws that layer
// alone (bottom first from 0). Messages go to err; the exit code.
int MapRenderCommand(const char* mapPath, const char* outPath, int scale, int onlyLayer, FILE* err);

}  // namespace zorta
