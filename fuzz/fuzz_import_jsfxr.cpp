// libFuzzer target: the input as jsfxr's JSON (or any of the formats, told from the content).
#include "import_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzImport(SynthFileJsfxr, data, size);
}
