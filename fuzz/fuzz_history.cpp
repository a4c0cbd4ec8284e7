// libFuzzer target: the index of a sound's versions. Whatever the text, the
// versions come out in rising order, at most the number kept, the current
// one among them (or none without versions), and a name that stays in its
// folder.
#include <cstdint>
#include <string>

#include "sfx/sound_history.h"

using namespace zorta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > SoundHistoryIndexMax) return 0;
  SoundHistory h;
  int found = ParseSoundHistory(std::string(reinterpret_cast<const char*>(data), size), &h);
  if (h.versions.size() > static_cast<size_t>(SoundHistoryKeep)) __builtin_trap();
  if ((found != 0) != !h.versions.empty()) __builtin_trap();
  bool current = h.versions.empty() && h.current == 0;
  for (size_t i = 0; i < h.versions.size(); i++) {
    if (h.versions[i].number <= 0 || (i > 0 && h.versions[i].number <= h.versions[i - 1].number)) __builtin_trap();
    if (h.versions[i].number == h.current) current = true;
  }
  if (!current) __builtin_trap();
  if (h.name.find_first_of("/\\\n") != std::string::npos) __builtin_trap();
  return 0;
}
