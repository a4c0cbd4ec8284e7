// libFuzzer target: the input as jsfxr's base58 share code, bare or in a link.
#include "import_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzImport(SynthFileB58, data, size);
}
