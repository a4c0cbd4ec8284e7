// PNG through libpng. Palette files stay palette images; every other colour
// type becomes 24-bit red, green, blue, 16-bit channels rounded to 8 bits.
// Alpha (or a tRNS entry) below one half makes a pixel the transparent
// colour, magenta; above that it is dropped, row by row as libpng's last
// step, so no copy of the picture with its alpha is held. libpng reports
// errors by longjmp, so the decoding runs in one plain function with no
// object that needs its destructor, and everything it allocates is kept in
// the job record for the caller to free whichever way it ends.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "image/image_formats.h"
#include "image/image_table.h"
#include "io/file.h"

namespace zorta {

namespace {

const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

struct PngJob {
  FileHandle file;
  int truncated;           // the data ran out under libpng
  char libpngText[128];    // libpng's own words for what went wrong
  const char* refusal;     // our own reason, when it is not libpng's
  uint8_t* pixels;         // the image being built
  uint8_t* palette;
  int32_t width, height, bits, bytesPerPixel;
};

void ReadData(png_structp png, png_bytep data, png_size_t length) {
  PngJob* job = static_cast<PngJob*>(png_get_io_ptr(png));
  if (length > static_cast<png_size_t>(FileBytesLeft(job->file))) {
    job->truncated = -1;
    png_error(png, "File is truncated");
  }
  ReadBlock(job->file, data, static_cast<int32_t>(length));
}

[[noreturn]] void OnError(png_structp png, png_const_charp text) {
  PngJob* job = static_cast<PngJob*>(png_get_error_ptr(png));
  snprintf(job->libpngText, sizeof job->libpngText, "%s", text != nullptr ? text : "");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Every entry that is transparent or magenta is drawn as the colour key, but
// the mask knows one index: the last magenta entry below 255. Pixels of the
// other magenta entries are moved to it. -1 when that index exists (or
// nothing is transparent), 0 when the file must be read as 24 bits.
int KeyPalette(const png_color* colours, int count, const png_byte* alpha, int alphaCount, uint8_t* palette,
               uint8_t* remap) {
  int transparent = 0;
  for (int i = 0; i < 256; i++) remap[i] = static_cast<uint8_t>(i);
  for (int i = 0; i < count && i < 256; i++) {
    uint8_t* e = palette + i * 3;
    if (i < alphaCount && alpha[i] < 128) {
      e[0] = 255;
      e[1] = 0;
      e[2] = 255;
      transparent = -1;
    } else {
      e[0] = colours[i].red;
      e[1] = colours[i].green;
      e[2] = colours[i].blue;
    }
  }
  if (!transparent) return -1;
  int key = -1;
  for (int i = 0; i < 255; i++)
    if (palette[i * 3] == 255 && palette[i * 3 + 1] == 0 && palette[i * 3 + 2] == 255) key = i;
  if (key < 0) return 0;
  for (int i = 0; i < 256; i++)
    if (palette[i * 3] == 255 && palette[i * 3 + 1] == 0 && palette[i * 3 + 2] == 255)
      remap[i] = static_cast<uint8_t>(key);
  return -1;
}

// Red, green, blue and alpha to red, green, blue with the colour key, in
// place: each pixel is read before anything is written over it. libpng calls
// it on every row, and on the rows of each interlace pass, after its own
// steps; rows without alpha pass as they are.
void KeyAlpha(png_structp, png_row_infop row, png_bytep data) {
  if (row->channels != 4) return;
  uint8_t* d = data;
  const uint8_t* s = data;
  for (png_uint_32 x = 0; x < row->width; x++, s += 4, d += 3) {
    if (s[3] < 128) {
      d[0] = 255;
      d[1] = 0;
      d[2] = 255;
    } else {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  }
}

// Deflate writes at most 258 bytes for two bits of its stream, 1032 bytes
// for each byte.
const int64_t DeflateMostGrowth = 1032;

// Reads the whole picture into the job. -1, or 0 with the reason in the job.
int DecodePNG(PngJob* job) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, OnError, OnWarning);
  if (png == nullptr) {
    job->refusal = "LoadPNG() - Out of memory";
    return 0;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    job->refusal = "LoadPNG() - Out of memory";
    return 0;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
  }
  png_set_read_fn(png, job, ReadData);
  // No ancillary chunk but tRNS changes the picture the loader makes, so the
  // others are skipped unread: libpng would allocate whatever length one
  // declares before reading it, even far past the end of the file.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
  int paletted = colourType == PNG_COLOR_TYPE_PALETTE;
  if (!ImageSizeInRange(width, height, paletted ? 1 : 3)) {
    job->refusal = "LoadPNG() - Image size is out of range";
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
  }
  // Every pixel's bits are in the compressed data that follows, so a file
  // too short to hold them is refused before the picture is allocated.
  int64_t pixelBits = static_cast<int64_t>(png_get_channels(png, info)) * depth;
  if (static_cast<int64_t>(width) * height * pixelBits / 8 > DeflateMostGrowth * FileBytesLeft(job->file)) {
    job->truncated = -1;
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
  }
  job->width = static_cast<int32_t>(width);
  job->height = static_cast<int32_t>(height);

  uint8_t remap[256];
  int keepIndices = 0;
  if (paletted) {
    png_colorp colours = nullptr;
    int count = 0;
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_get_PLTE(png, info, &colours, &count);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_get_tRNS(png, info, &alpha, &alphaCount, nullptr);
    job->palette = static_cast<uint8_t*>(MemAllocZero(768));
    keepIndices = KeyPalette(colours, count, alpha, alpha != nullptr ? alphaCount : 0, job->palette, remap);
    if (keepIndices) {
      png_set_packing(png);
    } else {
      MemFree(job->palette);
      job->palette = nullptr;
      png_set_palette_to_rgb(png);
    }
  }
  if (!keepIndices) {
    if (depth == 16) png_set_scale_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    png_set_read_user_transform_fn(png, KeyAlpha);
    png_set_user_transform_info(png, nullptr, 8, 3);
  }
  int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  int channels = png_get_channels(png, info);
  size_t rowBytes = png_get_rowbytes(png, info);
  int layoutKnown = channels == (keepIndices ? 1 : 3);
  if (!layoutKnown || rowBytes != width * static_cast<size_t>(channels)) {
    job->refusal = "LoadPNG() - Unsupported pixel layout";
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
  }
  int outBytes = keepIndices ? 1 : 3;
  job->pixels = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(width) * height * outBytes));
  for (int pass = 0; pass < passes; pass++)
    for (png_uint_32 y = 0; y < height; y++) png_read_row(png, job->pixels + y * rowBytes, nullptr);
  if (keepIndices) {
    size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; i++) job->pixels[i] = remap[job->pixels[i]];
  }
  job->bits = keepIndices ? depth : 24;
  job->bytesPerPixel = outBytes;
  png_destroy_read_struct(&png, &info, nullptr);
  return -1;
}

}  // namespace

int TestPNG(FileHandle f) {
  uint8_t head[8];
  ReadBlock(f, head, 8);
  int past = FilePastEnd(f);
  return !past && memcmp(head, PngSignature, 8) == 0 ? -1 : 0;
}

int LoadPNG(FileHandle f, Image* image, char* message) {
  PngJob job;
  memset(&job, 0, sizeof job);
  job.file = f;
  if (!DecodePNG(&job)) {
    MemFree(job.pixels);
    MemFree(job.palette);
    if (job.truncated) return LoadFail(message, "LoadPNG() - File is truncated");
    if (job.refusal != nullptr) return LoadFail(message, job.refusal);
    char text[LoadMessageSize];
    snprintf(text, sizeof text, "LoadPNG() - File is damaged (%s)", job.libpngText);
    return LoadFail(message, text);
  }
  image->width = job.width;
  image->height = job.height;
  image->bits = job.bits;
  image->bytesPerPixel = job.bytesPerPixel;
  image->pixels = job.pixels;
  image->palette = job.palette;
  return -1;
}

}  // namespace zorta
