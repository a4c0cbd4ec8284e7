// zorta-tool convert IMAGE OUT.png: any image the framework reads to PNG.
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "image/pixel_convert.h"
#include "image_read.h"
#include "output_file.h"
#include "tool.h"

namespace zorta {

namespace {

// Rows of red, green, blue (and alpha for 32-bit images): indexed pixels
// through their palette, 15 and 16 bits widened as the screens widen them.
int ImageToRows(const Image& img, std::vector<uint8_t>* out, int* channels) {
  size_t count = static_cast<size_t>(img.width) * img.height;
  if (img.bits == 32) {
    *channels = 4;
    out->assign(img.pixels, img.pixels + count * 4);
    return -1;
  }
  int indexed = img.bits >= 1 && img.bits <= 8;
  if (!indexed && img.bits != 15 && img.bits != 16 && img.bits != 24) return 0;
  *channels = 3;
  out->resize(count * 3);
  ConvertPixels(out->data(), 24, img.width, img.pixels, indexed ? 8 : img.bits, img.width, img.width, img.height,
                img.palette, 0);
  for (size_t i = 0; i < count; i++) std::swap((*out)[i * 3], (*out)[i * 3 + 2]);
  return -1;
}

int WritePng(const char* path, const Image& img, const std::vector<uint8_t>& data, int channels, std::string* error) {
  OutputFile out;
  if (!OpenOutput(path, &out, error)) return 0;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    AbandonOutput(&out);
    *error = std::string("cannot write '") + path + "': PNG encoder failed";
    return 0;
  }
  PngWritesTo(png, &out);
  png_set_IHDR(png, info, static_cast<png_uint_32>(img.width), static_cast<png_uint_32>(img.height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  size_t stride = static_cast<size_t>(img.width) * channels;
  for (int y = 0; y < img.height; y++) png_write_row(png, const_cast<png_bytep>(data.data() + y * stride));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return FinishOutput(&out, error) ? -1 : 0;
}

// The command line, filled by CLI11 before RunConvert runs.
std::string ImagePath, PngPath;

int RunConvert() {
  Image img = {};
  std::string error;
  if (!OutputIsNotInput(PngPath, {ImagePath}, &error)) return ToolError("convert", "%s", error.c_str());
  if (ReadToolImage(ImagePath.c_str(), &img, &error) == nullptr) return ToolError("convert", "%s", error.c_str());
  std::vector<uint8_t> rows;
  int channels = 0;
  int ok = ImageToRows(img, &rows, &channels);
  int bits = img.bits;
  if (!ok) {
    FreeImage(&img);
    return ToolError("convert", "'%s': %d-bit pixels have no colour meaning", ImagePath.c_str(), bits);
  }
  ok = WritePng(PngPath.c_str(), img, rows, channels, &error);
  FreeImage(&img);
  if (!ok) return ToolError("convert", "%s", error.c_str());
  return 0;
}

void SetUp(CLI::App* tool) {
  CLI::App* command = AddToolCommand(tool, "convert", "convert IMAGE OUT.png",
                                     "convert a BMP, ILBM, GFX, TGA or PNG image to PNG", RunConvert);
  command->add_option("IMAGE", ImagePath, "the image to read: BMP, ILBM, GFX, TGA or PNG")->required()->type_name("");
  command->add_option("OUT.png", PngPath, "the PNG file to write")->required()->type_name("");
}

ToolRegistration registration(SetUp);

}  // namespace

}  // namespace zorta
