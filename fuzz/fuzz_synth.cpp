// libFuzzer target: the recipe's synth statement. An input whose first byte
// is even sets the wave and every parameter from its bytes, anywhere in the
// ranges and at their ends: that recipe must render, silent after the voice's
// envelope. Any other input is the text between synth's brackets: it renders
// or fails with a place inside the recipe.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/timing.h"
#include "sfx/recipe.h"
#include "sfx/synth_voice.h"

using namespace zorta;

namespace {
const char* const Waves[] = {"square", "saw", "sine", "noise", "triangle"};
const char* const Head = "frames 160000\nvolume 100\nseed 0\n";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string text = Head;
  SynthSettings settings = DefaultSynthSettings();
  bool structured = data[0] % 2 == 0;
  if (structured) {
    text += std::string("synth(") + Waves[(data[0] / 2) % 5];
    for (int i = 0; i < SynthParamCount && 1 + 2 * static_cast<size_t>(i) + 1 < size; i++) {
      unsigned raw = data[1 + 2 * i] | (data[2 + 2 * i] << 8);
      const SynthParamInfo& p = SynthParams[i];
      // 0 and 65535 land exactly on the range's ends.
      double v = p.low + (p.high - p.low) * (raw / 65535.0);
      settings.value[i] = v;
      char b[64];
      snprintf(b, sizeof b, ", %s = %.17g", p.name, v);
      text += b;
    }
    text += ")\n";
  } else {
    text += "synth(" + std::string(reinterpret_cast<const char*>(data) + 1, size - 1) + ")\n";
  }
  SeedRandom(0);
  std::vector<int16_t> frames;
  RecipeError error;
  if (RenderRecipe(text.data(), text.size(), &frames, nullptr, &error)) {
    if (structured) {
      size_t end = static_cast<size_t>(SynthEnvelopeSamples(settings) / 2);
      for (size_t i = end; i < frames.size(); i++)
        if (frames[i] != 0) abort();
    }
    return 0;
  }
  if (structured || error.message.empty() || error.line < 1 || error.column < 1) abort();
  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  if (static_cast<size_t>(error.line) > lines) abort();
  return 0;
}
