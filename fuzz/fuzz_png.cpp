// libFuzzer target: TestPNG and LoadPNG on any input. Chunk CRCs are made
// right before the input is read, so mutations reach libpng's decoding and
// the loader's keying instead of stopping at the first CRC check.
#include "fuzz_common.h"

using namespace zorta;

static uint32_t Crc(const uint8_t* p, size_t n) {
  static uint32_t table[256];
  if (table[1] == 0)
    for (uint32_t i = 0; i < 256; i++) {
      uint32_t c = i;
      for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
  uint32_t c = 0xFFFFFFFF;
  for (size_t i = 0; i < n; i++) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFF;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> fixed(data, data + size);
  size_t at = 8;
  while (at + 12 <= fixed.size()) {
    size_t length =
        (static_cast<size_t>(fixed[at]) << 24) | (fixed[at + 1] << 16) | (fixed[at + 2] << 8) | fixed[at + 3];
    if (length > fixed.size() - at - 12) break;
    uint32_t crc = Crc(&fixed[at + 4], length + 4);
    for (int k = 0; k < 4; k++) fixed[at + 8 + length + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
    at += 12 + length;
  }
  return FuzzLoader(fixed.data(), fixed.size(), ImageFormats[FormatPNG]);
}
