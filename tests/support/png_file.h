// Writes test pictures as PNG files: 8-bit RGBA, rows top first.
#pragma once
#include <png.h>

#include <cstdint>
#include <cstring>
#include <vector>

inline bool WriteRgbaPng(const char* path, int width, int height, const std::vector<uint8_t>& rgba) {
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path, 0, rgba.data(), 0, nullptr) != 0;
}
