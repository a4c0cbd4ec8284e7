#include "world/layers.h"

#include <cmath>
#include <cstring>

#include "base/settings.h"
#include "display/draw.h"
#include "image/image_surfaces.h"
#include "image/image_table.h"
#include "io/file.h"
#include "io/named_list.h"
#include "world/map.h"

namespace zorta {

ViewRect View = {0, 0, 0, 0};
CameraState Camera = {0, 0, 0, 0, 0, 0};
MapLayer* MainLayer = nullptr;

int32_t TruncateFloat(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

namespace {

// The three limiting steps shared by the camera and the layer scrolls.
void LimitPosition(float* x, float* y, int64_t pixelWidth, int64_t pixelHeight, uint32_t wrapX, uint32_t wrapY) {
  if (!wrapX && View.w + static_cast<double>(*x) >= pixelWidth) *x = static_cast<float>(pixelWidth - View.w);
  if (!wrapY && View.h + static_cast<double>(*y) >= pixelHeight) *y = static_cast<float>(pixelHeight - View.h);
  if (*x < 0) *x = 0;
  if (*y < 0) *y = 0;
}

// Wrap-around scroll: drops whole layer widths, keeping the fraction.
float WrapScroll(float s, int64_t size) {
  if (s < 0 || size <= 0) return s;
  int64_t q = TruncateFloat(s) / size;
  return static_cast<float>(s - static_cast<double>(q * size));
}

}  // namespace

void SetCamera(float x, float y, int limit) {
  if (limit && MainLayer != nullptr)
    LimitPosition(&x, &y, static_cast<int64_t>(MainLayer->width) * TileSize,
                  static_cast<int64_t>(MainLayer->height) * TileSize, MainLayer->wrapX, MainLayer->wrapY);
  Camera.x = x;
  Camera.y = y;
  Camera.ix = TruncateFloat(x);
  Camera.iy = TruncateFloat(y);
  Camera.offsetX = static_cast<int32_t>(static_cast<uint32_t>(Camera.ix) - static_cast<uint32_t>(View.x));
  Camera.offsetY = static_cast<int32_t>(static_cast<uint32_t>(Camera.iy) - static_cast<uint32_t>(View.y));
}

void ResetView() {
  View.x = 0;
  View.y = 0;
  View.w = ScreenWidth;
  View.h = ScreenHeight;
  SetCamera(static_cast<float>(Camera.ix), static_cast<float>(Camera.iy), -1);
}

void SetLayerScroll(MapLayer* layer, float x, float y, int limit) {
  if (layer == nullptr) return;
  if (limit)
    LimitPosition(&x, &y, static_cast<int64_t>(layer->width) * TileSize, static_cast<int64_t>(layer->height) * TileSize,
                  layer->wrapX, layer->wrapY);
  layer->scrollX = x;
  layer->scrollY = y;
}

void DrawLayer(MapLayer* layer) {
  if (layer == nullptr || layer->tiles == nullptr || layer->image == nullptr) return;
  Image* image = layer->image;
  if (image->surface == nullptr) CreateImageSurfaces(image);
  int64_t pw = static_cast<int64_t>(layer->width) * TileSize;
  int64_t ph = static_cast<int64_t>(layer->height) * TileSize;
  float sx = layer->scrollX, sy = layer->scrollY;
  if (layer->wrapX) sx = WrapScroll(sx, pw);
  if (layer->wrapY) sy = WrapScroll(sy, ph);
  int64_t nx = layer->wrapX ? ScreenWidth / pw + 2 : 1;
  int64_t ny = layer->wrapY ? ScreenHeight / ph + 2 : 1;
  for (int64_t j = 0; j < ny; j++)
    for (int64_t k = 0; k < nx; k++)
      DrawLayerAt(layer, static_cast<float>(sx - static_cast<double>(k * pw) - View.x),
                  static_cast<float>(sy - static_cast<double>(j * ph) - View.y));
}

void DrawLayerAt(MapLayer* layer, float fx, float fy) {
  if (layer == nullptr || layer->image == nullptr) return;
  const uint16_t* cells = layer->workingTiles != nullptr ? layer->workingTiles : layer->tiles;
  if (cells == nullptr || layer->width <= 0 || layer->height <= 0) return;
  Image* image = layer->image;
  int64_t tx = TruncateFloat(fx) / TileSize;
  int64_t ty = TruncateFloat(fy) / TileSize;
  float ox = static_cast<float>(fx - static_cast<double>(tx * TileSize));
  float oy = static_cast<float>(fy - static_cast<double>(ty * TileSize));
  float px, py;
  if (fx < 0) {
    px = -fx;
    tx = 0;
  } else {
    px = -ox;
  }
  if (fy < 0) {
    py = -fy;
    ty = 0;
  } else {
    py = -oy;
  }
  if (ScreenWidth < px || ScreenHeight < py) return;
  int64_t ix = TruncateFloat(px), iy = TruncateFloat(py);
  int64_t cols = (ScreenWidth - ix) / TileSize + 1;
  int64_t rows = (ScreenHeight - iy) / TileSize + 1;
  if (tx + cols > layer->width) cols = layer->width - tx;
  if (ty + rows > layer->height) rows = layer->height - ty;
  if (cols <= 0 || rows <= 0) return;
  SurfaceSlot* surface = image->surface;
  int32_t cellCount = image->cells != nullptr ? image->cellCount : 0;
  for (int64_t r = 0; r < rows; r++) {
    const uint16_t* row = cells + (ty + r) * layer->width + tx;
    for (int64_t c = 0; c < cols; c++) {
      int32_t t = row[c];
      if (t == 0 || t >= cellCount) continue;
      // A remapped frame is checked again: the table may name any value.
      if (image->tileRemap != nullptr) {
        t = image->tileRemap[t];
        if (t >= cellCount) continue;
      }
      const ImageCell& cell = image->cells[t];
      int32_t x = static_cast<int32_t>(ix + TileSize * c), y = static_cast<int32_t>(iy + TileSize * r);
      if (cell.kind == 2)
        BlitSlot(x, y, surface, cell.x, cell.y, TileSize, TileSize);
      else if (cell.kind == 1)
        BlitSlotKeyed(x, y, surface, cell.x, cell.y, TileSize, TileSize);
    }
  }
}

void ChooseMainLayer() {
  MainLayer = nullptr;
  NamedItem* item = FindItem(&LayerList, "Main");
  if (item == nullptr) item = ItemAt(&LayerList, LayerList.count - 1);
  if (item != nullptr) MainLayer = static_cast<MapLayer*>(item->data);
}

void CopyWorkingTiles(MapLayer* layer) {
  if (layer == nullptr) return;
  MemFree(layer->workingTiles);
  layer->workingTiles = nullptr;
  if (layer->tiles == nullptr || layer->width <= 0 || layer->height <= 0) return;
  size_t bytes = static_cast<size_t>(layer->width) * static_cast<size_t>(layer->height) * sizeof(uint16_t);
  layer->workingTiles = static_cast<uint16_t*>(MemAlloc(bytes));
  memcpy(layer->workingTiles, layer->tiles, bytes);
}

void ResetTileRemaps() {
  for (int i = 0; i < LayerList.count; i++) {
    MapLayer* layer = static_cast<MapLayer*>(LayerList.items[i].data);
    if (layer == nullptr || layer->image == nullptr) continue;
    Image* image = layer->image;
    if (image->cellCount <= 0) continue;
    if (image->tileRemap == nullptr)
      image->tileRemap = static_cast<uint16_t*>(MemAlloc(static_cast<size_t>(image->cellCount) * sizeof(uint16_t)));
    for (int32_t k = 0; k < image->cellCount; k++) image->tileRemap[k] = static_cast<uint16_t>(k);
  }
}

int32_t TileAt(const MapLayer* layer, float x, float y) {
  if (layer == nullptr || layer->width <= 0 || layer->height <= 0) return -1;
  const uint16_t* cells = layer->workingTiles != nullptr ? layer->workingTiles : layer->tiles;
  if (cells == nullptr || !std::isfinite(x) || !std::isfinite(y)) return -1;
  // Floor, not truncation: the pixel just left of the origin is column -1.
  int64_t column = static_cast<int64_t>(std::floor(static_cast<double>(x) / TileSize));
  int64_t row = static_cast<int64_t>(std::floor(static_cast<double>(y) / TileSize));
  if (layer->wrapX) column = ((column % layer->width) + layer->width) % layer->width;
  if (layer->wrapY) row = ((row % layer->height) + layer->height) % layer->height;
  if (column < 0 || row < 0 || column >= layer->width || row >= layer->height) return -1;
  return cells[row * layer->width + column];
}

void CenterCamera(float x, float y) {
  SetCamera(x - static_cast<float>(View.w / 2), y - static_cast<float>(View.h / 2), -1);
}

}  // namespace zorta
