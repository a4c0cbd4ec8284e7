// Shared by the image subcommands: reads an image file the way the program
// does, without a window, keeping the loader's message for the caller.
#pragma once
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/app.h"
#include "image/image_formats.h"
#include "image/image_table.h"

// The probes in the program's order, their loaders and format names.
struct ImageFormat {
  const char* name;
  int (*test)(const char*);
  int (*load)(const char*, Image*);
};
static const ImageFormat ImageFormats[] = {
    {"BMP", TestBMP, LoadBMP}, {"ILBM", TestILBM, LoadILBM}, {"GFX", TestGFX, LoadGFX}, {"TGA", TestTGA, LoadTGA}};

// Reads the file into `image` (GFX doubling included). On failure returns
// null and puts the reason in *error; on success returns the format name.
inline const char* ReadToolImage(const char* path, Image* image, std::string* error) {
  FILE* f = fopen(path, "rb");
  if (f == nullptr) {
    *error = std::string("cannot open '") + path + "': " + strerror(errno);
    return nullptr;
  }
  fclose(f);
  // The loaders report through the program's fatal-error path, which also
  // prints the message; the tool prints it once, in its own words.
  fflush(stderr);
  int saved = dup(2);
  int null = open("/dev/null", O_WRONLY);
  if (null >= 0) {
    dup2(null, 2);
    close(null);
  }
  ErrorText[0] = 0;
  const char* found = nullptr;
  int loaded = 0;
  for (const ImageFormat& format : ImageFormats) {
    if (format.test(path)) {
      found = format.name;
      loaded = format.load(path, image);
      if (loaded && format.load == LoadGFX && (image->flags & 2)) DoubleImage(image);
      break;
    }
  }
  fflush(stderr);
  if (saved >= 0) {
    dup2(saved, 2);
    close(saved);
  }
  if (found == nullptr) {
    // A probe's own message says the file could not be opened after all.
    if (ErrorText[0])
      *error = ErrorText;
    else
      *error = std::string("'") + path + "' is not a BMP, ILBM, GFX or TGA image";
    return nullptr;
  }
  if (!loaded) {
    *error = ErrorText;
    return nullptr;
  }
  return found;
}
