// libFuzzer target: the file-reading layer. The input is a script of reads
// followed by the data they read; the same script runs against a memory
// handle and against a stream of the same bytes, in the byte order the
// input's first byte asks for, and both must agree on every value and on
// where the data ends.
#include <cmath>
#include <string>

#include "fuzz_common.h"
#include "io/file.h"

using namespace zorta;

namespace {

struct Trace {
  std::vector<uint64_t> values;
  std::vector<std::string> strings;
};

void RunScript(FileHandle f, const uint8_t* ops, size_t opCount, Trace* t) {
  for (size_t i = 0; i + 1 < opCount; i += 2) {
    uint8_t op = ops[i] % 12, arg = ops[i + 1];
    switch (op) {
      case 0: t->values.push_back(ReadU8(f)); break;
      case 1: t->values.push_back(ReadU16(f)); break;
      case 2: t->values.push_back(ReadI32(f)); break;
      case 3: t->values.push_back(ReadRaw32(f)); break;
      case 4: {
        float v = ReadF32(f);
        uint32_t bits;
        memcpy(&bits, &v, 4);
        t->values.push_back(bits);
        break;
      }
      case 5: {
        uint8_t block[256];
        memset(block, 0xAB, sizeof block);
        ReadBlock(f, block, arg);
        for (int k = 0; k < arg; k++) t->values.push_back(block[k]);
        if (block[arg] != 0xAB) __builtin_trap();  // wrote past the count
        break;
      }
      case 6: {
        char* s = ReadStringCopy(f);
        if (strlen(s) > 255) __builtin_trap();
        t->strings.push_back(s);
        MemFree(s);
        break;
      }
      case 7: {
        char buffer[40];
        memset(buffer, 0x5A, sizeof buffer);
        size_t room = arg % 33;
        ReadStringInto(f, buffer, room);
        if (room > 0 && strlen(buffer) >= room) __builtin_trap();
        if (buffer[room] != 0x5A && room < sizeof buffer) __builtin_trap();
        t->strings.push_back(room > 0 ? buffer : "");
        break;
      }
      case 8: SkipN(f, static_cast<int8_t>(arg)); break;
      case 9: Skip1(f); break;
      case 10: Skip4(f); break;
      default: t->values.push_back(static_cast<uint64_t>(FileBytesLeft(f))); break;
    }
    t->values.push_back(FilePastEnd(f) ? 1 : 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // First byte: the top bit picks big-endian, the rest counts the script's bytes.
  int order = data[0] >> 7;
  size_t opBytes = (data[0] & 0x7Fu) < size - 1 ? (data[0] & 0x7Fu) : size - 1;
  const uint8_t* ops = data + 1;
  const uint8_t* body = data + 1 + opBytes;
  size_t bodySize = size - 1 - opBytes;

  Trace fromMemory, fromStream;
  FileHandle m = FileOpenMemory(body, bodySize, order);
  RunScript(m, ops, opBytes, &fromMemory);
  FileClose(m);
  const char* path = InputPath(body, bodySize);
  FileHandle f = FileOpen(path, "rb", order);
  if (f == nullptr) return 0;
  RunScript(f, ops, opBytes, &fromStream);
  FileClose(f);
  if (fromMemory.values != fromStream.values || fromMemory.strings != fromStream.strings) __builtin_trap();

  // Big-endian handles give the same bytes the other way round.
  FileHandle big = FileOpenMemory(body, bodySize, 1);
  FileHandle little = FileOpenMemory(body, bodySize, 0);
  if (ReadI32(big) != __builtin_bswap32(ReadI32(little))) __builtin_trap();
  FileClose(big);
  FileClose(little);
  return 0;
}
