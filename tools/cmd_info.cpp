// zorta-tool info IMAGE: what the program reads from an image file, as JSON.
#include <cstdio>
#include <string>

#include <CLI/CLI.hpp>

#include "image_read.h"
#include "json_text.h"
#include "tool.h"

namespace zorta {

namespace {

using Json = nlohmann::ordered_json;

// The command line, filled by CLI11 before RunInfo runs.
std::string ImagePath;

Json ImageJson(const std::string& path, const char* format, const Image& img) {
  Json out;
  out["file"] = JsonTextFromBytes(path);
  out["format"] = format;
  out["width"] = img.width;
  out["height"] = img.height;
  out["bits"] = img.bits;
  out["bytesPerPixel"] = img.bytesPerPixel;
  out["palette"] = img.palette != nullptr;
  out["flags"] = img.flags;
  out["infoValue"] = img.infoValue;
  out["mirrorWanted"] = img.mirrorWanted;
  Json cells = Json::array();
  for (int i = 0; i < img.cellCount; i++) {
    const int32_t* w = &img.cells[i].x;
    cells.push_back(Json(std::vector<int32_t>(w, w + 10)));
  }
  out["cells"] = cells;
  const Skeleton* s = img.skeleton;
  if (s == nullptr) {
    out["skeleton"] = nullptr;
    return out;
  }
  int roots = 0;
  for (int i = 0; i < s->boneCount; i++) roots += s->bones[i].parent == nullptr;
  Json skeleton;
  skeleton["bones"] = s->boneCount;
  skeleton["rootBones"] = roots;
  skeleton["animations"] = Json::array();
  for (int a = 0; a < s->animationCount; a++) {
    Json animation;
    animation["name"] = JsonTextFromBytes(s->animations[a].name);
    animation["keys"] = s->animations[a].keyCount;
    skeleton["animations"].push_back(animation);
  }
  out["skeleton"] = skeleton;
  return out;
}

int RunInfo() {
  Image img = {};
  std::string error;
  const char* format = ReadToolImage(ImagePath.c_str(), &img, &error);
  if (format == nullptr) return ToolError("info", "%s", error.c_str());
  std::string text = JsonDump(ImageJson(ImagePath, format, img));
  FreeImage(&img);
  printf("%s\n", text.c_str());
  return 0;
}

void SetUp(CLI::App* tool) {
  CLI::App* command = AddToolCommand(tool, "info", "info IMAGE",
                                     "describe a BMP, ILBM, GFX, TGA or PNG image as JSON (size, depth, palette, cells, "
                                     "skeleton)",
                                     RunInfo);
  command->add_option("IMAGE", ImagePath, "the image to read: BMP, ILBM, GFX, TGA or PNG")->required()->type_name("");
}

ToolRegistration registration(SetUp);

}  // namespace

}  // namespace zorta
