// Helpers for the image tests: files written byte by byte, other programs
// run to make and read real files, and a clean shell state per test.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/settings.h"
#include "image/image_table.h"
#include "io/file.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "test_util.h"
#include "reset.h"

using namespace zorta;

// Runs a shell command and returns its standard output; status in *status.
inline Bytes RunCapture(const std::string& command, int* status = nullptr) {
  Bytes out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return out;
  uint8_t buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.insert(out.end(), buf, buf + n);
  int rc = pclose(p);
  if (status != nullptr) *status = rc;
  return out;
}

inline void RunCommand(const std::string& command) { ASSERT_EQ(system(command.c_str()), 0) << command; }

// Little-endian builder for files made byte by byte.
struct Builder {
  Bytes b;
  Builder& U8(uint32_t v) { b.push_back(static_cast<uint8_t>(v)); return *this; }
  Builder& U16(uint32_t v) { return U8(v).U8(v >> 8); }
  Builder& U32(uint32_t v) { return U16(v).U16(v >> 16); }
  Builder& BE16(uint32_t v) { return U8(v >> 8).U8(v); }
  Builder& BE32(uint32_t v) { return BE16(v >> 16).BE16(v); }
  Builder& F32(float f) { uint32_t v; memcpy(&v, &f, 4); return U32(v); }
  Builder& Raw(const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); return *this; }
  Builder& Text(const char* s) { while (*s) U8(static_cast<uint8_t>(*s++)); return *this; }
};

// A PPM of the given pixels (red, green, blue per pixel).
inline Bytes MakePPM(int w, int h, const Bytes& rgb) {
  std::string head = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  Bytes out(head.begin(), head.end());
  out.insert(out.end(), rgb.begin(), rgb.end());
  return out;
}

// ImageMagick's reading of a file as the framework keys it. Its samples are
// taken at 16 bits and rounded to 8 (v / 257 to the nearest), since its own
// 8-bit output truncates.
inline Bytes MagickKeyed(const std::string& path) {
  Bytes rgba = RunCapture("convert '" + path + "' -depth 16 -endian LSB rgba:- 2>/dev/null");
  Bytes out;
  for (size_t i = 0; i + 7 < rgba.size(); i += 8) {
    uint8_t c[4];
    for (int k = 0; k < 4; k++)
      c[k] = static_cast<uint8_t>(((rgba[i + 2 * k] | (rgba[i + 2 * k + 1] << 8)) * 255 + 32767) / 65535);
    if (c[3] < 128)
      out.insert(out.end(), {255, 0, 255});
    else
      out.insert(out.end(), c, c + 3);
  }
  return out;
}

// Deterministic test colours.
inline Bytes PatternRGB(int w, int h, int seed) {
  Bytes out;
  uint32_t s = 2463534242u ^ static_cast<uint32_t>(seed * 7919);
  for (int i = 0; i < w * h * 3; i++) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    out.push_back(static_cast<uint8_t>(s));
  }
  return out;
}

// Every test starts with an empty table and a shell that has not shut down;
// fatal errors only record their message box under the dummy video driver.
class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeAllImages();
    ImageBatch = 0;
    ResetForTests();
    SetFatalErrorAction(ImageFatalError);
  }
  void TearDown() override {
    FreeAllImages();
    ImageBatch = 0;
    ResetSettings();
  }
  // What the shell's fatal error does, as far as images see it: the message
  // box, the program marked as shut down, and the table freed.
  static void ImageFatalError() {
    RecordFatalErrorForTests();
    FreeAllImages();
  }
  int Boxes() { return WinSeamMessageBoxCount(); }
  std::string LastBox() { return WinSeamLastMessageBox(); }
};
