// libFuzzer target: the input as sfxr's binary .sfs file.
#include "import_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzImport(SynthFileSfs, data, size);
}
