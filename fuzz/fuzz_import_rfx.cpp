// libFuzzer target: the input as rFXGen's .rfx file.
#include "import_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzImport(SynthFileRfx, data, size);
}
