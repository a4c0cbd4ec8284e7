// libFuzzer target: TestTGA and LoadTGA on any input.
#include "fuzz_common.h"

using namespace zorta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzLoader(data, size, ImageFormats[FormatTGA]);
}
