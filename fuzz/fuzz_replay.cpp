// libFuzzer target: the example game's replay files. What the reader takes
// must be written back as a file that reads to the same entries and writes
// the same text again; what it refuses must come with the line that stopped it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "replay.h"

namespace {

std::string Text(const Replay& r) {
  char* buffer = nullptr;
  size_t size = 0;
  FILE* f = open_memstream(&buffer, &size);
  WriteReplay(f, r);
  fclose(f);
  std::string text(buffer, size);
  free(buffer);
  return text;
}

bool Read(const std::string& bytes, Replay* r, std::string* error) {
  FILE* f = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
  if (f == nullptr) return false;  // fmemopen refuses an empty buffer
  int ok = ReadReplay(f, r, error);
  fclose(f);
  return ok != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  Replay r;
  std::string error;
  if (!Read(bytes, &r, &error)) {
    if (size > 0 && error.compare(0, 5, "line ") != 0) abort();
    return 0;
  }
  std::string once = Text(r);
  Replay again;
  if (!Read(once, &again, &error)) abort();
  if (again.seed != r.seed || again.entries.size() != r.entries.size()) abort();
  if (again.endSteps != r.endSteps || again.endHash != r.endHash) abort();
  for (size_t i = 0; i < r.entries.size(); i++) {
    const ReplayEntry& a = r.entries[i];
    const ReplayEntry& b = again.entries[i];
    if (a.kind != b.kind || a.count != b.count || a.name != b.name) abort();
    for (int k = 0; k < 4; k++)
      if (a.bits[k] != b.bits[k]) abort();
  }
  if (Text(again) != once) abort();
  return 0;
}
