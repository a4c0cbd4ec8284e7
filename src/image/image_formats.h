// The four image file formats: BMP (24-bit), ILBM (indexed, extra-half-brite,
// HAM decoded to 24 bits, and 24-bit), GFX and TGA (32-bit).
// Probes answer -1 when the file is of their format; loaders fill an Image
// and answer -1, or report through FatalError and answer 0. A loader that
// fails leaves the Image untouched.
#pragma once
#include <cstddef>
#include <cstdint>

struct Image;

// Largest pixel block a loader will allocate, so a hostile header cannot ask
// for gigabytes.
const int64_t MaxImageBytes = int64_t(256) << 20;

int TestBMP(const char* path);
int LoadBMP(const char* path, Image* image);
int TestILBM(const char* path);
int LoadILBM(const char* path, Image* image);
int TestGFX(const char* path);
int LoadGFX(const char* path, Image* image);
int TestTGA(const char* path);
int LoadTGA(const char* path, Image* image);

// ByteRun1: unpacks from src until dstLen bytes are written or src runs out;
// returns the number of bytes written.
size_t UnpackByteRun1(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t dstLen);
