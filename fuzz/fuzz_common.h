// Shared by the fuzz targets. The loader targets hand each input to a probe
// and a loader through memory handles; loaders never stop the program, so
// nothing needs resetting between inputs. The map and reader targets need a
// real file: each input becomes one (an in-memory file, so the runs stay
// fast), and for maps fatal errors leave the shell ready for the next input.
#pragma once
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "base/settings.h"
#include "image/image_formats.h"
#include "image/image_table.h"
#include "image/pixel_convert.h"
#include "io/file.h"
#include "platform/testing.h"
#include "platform/window.h"

using namespace zorta;

inline const char* InputPath(const uint8_t* data, size_t size) {
  static int fd = -1;
  static char path[64];
  if (fd < 0) {
    fd = memfd_create("fuzz-input", 0);
    snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  }
  if (ftruncate(fd, 0) != 0) return path;
  size_t done = 0;
  while (done < size) {
    ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return path;
}

inline void ResetAfterInput() {
  ResetAppState();
  WinSeamReset();  // drops the quit messages fatal errors post
}

// What the program does with a decoded image: masks, doubling, conversion
// into every screen depth (with dithering where it applies) and mirroring
// of the cells, all within the decoded size.
inline void UseImage(Image* img) {
  BuildMask(img);
  if (img->flags & 2) DoubleImage(img);
  int64_t count = static_cast<int64_t>(img->width) * img->height;
  if (count > (int64_t(1) << 20)) return;
  std::vector<uint8_t> screen(static_cast<size_t>(count) * 4);
  for (int depth : {15, 16, 24, 32}) {
    ConvertPixels(screen.data(), depth, img->width, img->pixels, img->bits, img->width, img->width, img->height,
                  img->palette, depth < 24 ? -1 : 0);
    int bytes = (depth + 7) / 8;
    for (int i = 0; i < img->cellCount; i++) {
      const ImageCell& c = img->cells[i];
      int64_t x0 = c.x < 0 ? 0 : c.x, y0 = c.y < 0 ? 0 : c.y;
      int64_t x1 = static_cast<int64_t>(c.x) + c.width, y1 = static_cast<int64_t>(c.y) + c.height;
      if (x1 > img->width) x1 = img->width;
      if (y1 > img->height) y1 = img->height;
      if (x1 > x0 && y1 > y0)
        MirrorRows(screen.data() + (y0 * img->width + x0) * bytes, static_cast<int>(x1 - x0),
                   static_cast<int>(y1 - y0), depth, img->width);
    }
  }
  // Walking up from any bone must end.
  if (img->skeleton != nullptr) {
    for (int i = 0; i < img->skeleton->boneCount; i++) {
      int steps = 0;
      for (const Bone* b = &img->skeleton->bones[i]; b != nullptr; b = b->parent)
        if (++steps > img->skeleton->boneCount) __builtin_trap();
    }
  }
}

// Loaders answer and never stop the program: a fatal error is a fault here.
inline void TrapOnFatalError() { __builtin_trap(); }

inline int FuzzLoader(const uint8_t* data, size_t size, const ImageFormat& format) {
  static bool installed = false;
  if (!installed) {
    SetFatalErrorAction(TrapOnFatalError);
    installed = true;
  }
  FileHandle f = FileOpenMemory(data, size, format.byteOrder);
  format.test(f);
  FileClose(f);
  f = FileOpenMemory(data, size, format.byteOrder);
  Image img;
  memset(&img, 0, sizeof img);
  char message[LoadMessageSize];
  memset(message, 0x5A, sizeof message);
  if (format.load(f, &img, message)) {
    UseImage(&img);
  } else {
    // A failed load leaves the record untouched and says why, within the buffer.
    Image zero;
    memset(&zero, 0, sizeof zero);
    if (memcmp(&img, &zero, sizeof img) != 0) __builtin_trap();
    if (message[0] == 0 || memchr(message, 0, sizeof message) == nullptr) __builtin_trap();
  }
  FileClose(f);
  FreeImage(&img);
  return 0;
}
