// zorta-tool info IMAGE: what the program reads from an image file, as JSON.
#include <cstdio>
#include <string>

#include "image_read.h"
#include "tool.h"

namespace {

// Names in files are bytes; anything outside printable ASCII is escaped so
// the output stays valid JSON.
std::string JsonString(const char* s) {
  std::string out = "\"";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p; p++) {
    if (*p == '"' || *p == '\\') {
      out += '\\';
      out += static_cast<char>(*p);
    } else if (*p < 0x20 || *p >= 0x7F) {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", *p);
      out += buf;
    } else {
      out += static_cast<char>(*p);
    }
  }
  return out + "\"";
}

int RunInfo(int argc, char** argv) {
  if (argc != 2) return ToolError("info", "expected IMAGE (see zorta-tool info --help)");
  Image img = {};
  std::string error;
  const char* format = ReadToolImage(argv[1], &img, &error);
  if (format == nullptr) return ToolError("info", "%s", error.c_str());
  printf("{\n  \"file\": %s,\n  \"format\": \"%s\",\n", JsonString(argv[1]).c_str(), format);
  printf("  \"width\": %d,\n  \"height\": %d,\n  \"bits\": %d,\n  \"bytesPerPixel\": %d,\n", img.width, img.height,
         img.bits, img.bytesPerPixel);
  printf("  \"palette\": %s,\n", img.palette != nullptr ? "true" : "false");
  printf("  \"flags\": %u,\n  \"infoValue\": %d,\n  \"mirrorWanted\": %u,\n", img.flags, img.infoValue,
         img.mirrorWanted);
  printf("  \"cells\": [");
  for (int i = 0; i < img.cellCount; i++) {
    const int32_t* w = &img.cells[i].x;
    printf("%s\n    [", i ? "," : "");
    for (int k = 0; k < 10; k++) printf("%s%d", k ? ", " : "", w[k]);
    printf("]");
  }
  printf("%s],\n", img.cellCount ? "\n  " : "");
  const Skeleton* s = img.skeleton;
  if (s == nullptr) {
    printf("  \"skeleton\": null\n}\n");
  } else {
    int roots = 0;
    for (int i = 0; i < s->boneCount; i++) roots += s->bones[i].parent == nullptr;
    printf("  \"skeleton\": {\n    \"bones\": %d,\n    \"rootBones\": %d,\n    \"animations\": [", s->boneCount, roots);
    for (int a = 0; a < s->animationCount; a++)
      printf("%s\n      {\"name\": %s, \"keys\": %d}", a ? "," : "", JsonString(s->animations[a].name).c_str(),
             s->animations[a].keyCount);
    printf("%s]\n  }\n}\n", s->animationCount ? "\n    " : "");
  }
  FreeImage(&img);
  return 0;
}

ToolRegistration registration({"info", "info IMAGE",
                               "describe a BMP, ILBM, GFX or TGA image as JSON (size, depth, palette, cells, "
                               "skeleton)",
                               RunInfo});

}  // namespace
