// The image file formats: BMP (24-bit), ILBM (indexed, extra-half-brite,
// HAM decoded to 24 bits, and 24-bit), GFX and TGA (32-bit), and after them
// the other BMP variants (indexed, 16 and 32 bits, run-length packed, OS/2
// headers) and PNG.
// Probes and loaders read from a handle the caller opened in the format's
// byte order (a file or a block of memory) and closes again. Probes answer
// -1 when the data is of their format. Loaders fill an Image and answer -1,
// or answer 0 with the reason in `message` (LoadMessageSize bytes); a loader
// that fails leaves the Image untouched. Neither reports anything: only the
// image table turns a failure into a fatal error, so tools and fuzzers can
// call them on their own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "io/file.h"

namespace zorta {

struct Image;

// Largest pixel block a loader will allocate, so a hostile header cannot ask
// for gigabytes.
const int64_t MaxImageBytes = int64_t(256) << 20;

// Room for a loader's message, as much as ErrorText holds.
const size_t LoadMessageSize = 256;

int TestBMP(FileHandle file);
int LoadBMP(FileHandle file, Image* image, char* message);
int TestILBM(FileHandle file);
int LoadILBM(FileHandle file, Image* image, char* message);
int TestGFX(FileHandle file);
int LoadGFX(FileHandle file, Image* image, char* message);
int TestTGA(FileHandle file);
int LoadTGA(FileHandle file, Image* image, char* message);
// BMP files that TestBMP turns down: 1, 2, 4 and 8 bits with a colour table
// (kept as indices with their palette), 16 and 32 bits through bit fields
// and OS/2 files of 24 bits (decoded to 24 bits), RLE8 and RLE4.
int TestBMPVariant(FileHandle file);
int LoadBMPVariant(FileHandle file, Image* image, char* message);
// PNG through libpng: palette files stay indexed, all others become 24-bit;
// a pixel less than half opaque becomes magenta, other alpha is dropped.
int TestPNG(FileHandle file);
int LoadPNG(FileHandle file, Image* image, char* message);

// For the loaders: puts text into the message buffer and answers 0; -1 when
// a decoded image of that size fits in MaxImageBytes.
int LoadFail(char* message, const char* text);
int ImageSizeInRange(int64_t width, int64_t height, int64_t bytesPerPixel);

// A format with what it takes to read a file of it.
struct ImageFormat {
  const char* name;      // "BMP", "ILBM", "GFX", "TGA" or "PNG"
  int byteOrder;         // given to FileOpen: 1 (big-endian) for ILBM, else 0
  const char* testName;  // the probe and the loader as the reports name them
  const char* loadName;
  int (*test)(FileHandle file);
  int (*load)(FileHandle file, Image* image, char* message);
  // -1 for the probes asked after the first four: a file none of those could
  // open has been reported four times already, so these stay silent.
  int quietProbe;
};

enum { FormatBMP, FormatILBM, FormatGFX, FormatTGA, FormatBMPVariant, FormatPNG, ImageFormatCount };
// In the order the image table asks their probes.
extern const ImageFormat ImageFormats[ImageFormatCount];

// Image files made in memory under a path (the tile sets of a map imported
// as it loads), which the probes and loaders read in place of a file there.
typedef std::vector<std::pair<std::string, std::vector<uint8_t>>> MemoryImageFiles;
extern MemoryImageFiles ImagesInMemory;
// The bytes held under path (letter case aside), or null.
const std::vector<uint8_t>* ImageInMemory(const char* path);

// The format's probe on the file at path, opened in the format's byte order:
// -1 or 0. `message` is then empty, or says that the file could not be
// opened ("TestBMP() - Couldn't open file '...'"), except for a quiet probe.
int RunProbe(const ImageFormat& format, const char* path, char* message);
// The format's loader on the file at path: -1, or 0 with the loader's message
// or one saying that the file could not be opened.
int RunLoader(const ImageFormat& format, const char* path, Image* image, char* message);

// ByteRun1: unpacks from src until dstLen bytes are written or src runs out;
// returns the number of bytes written.
size_t UnpackByteRun1(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t dstLen);

}  // namespace zorta
