// Prints the synth voice of the parameters given (wave=NAME name=value ...),
// one sample a line, for the comparison with the reference tool. With
// --recipe the voice goes through a recipe of it alone, which plays at the
// voice's own rate, as 16-bit samples: all of the recipe's, so a voice too
// long or too short shows.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/timing.h"
#include "sfx/recipe.h"
#include "sfx/synth_voice.h"

using namespace zorta;

int main(int argc, char** argv) {
  bool recipe = false;
  SynthSettings settings = DefaultSynthSettings();
  std::string items;
  for (int i = 1; i < argc; i++) {
    const char* eq = strchr(argv[i], '=');
    if (strcmp(argv[i], "--recipe") == 0) {
      recipe = true;
      continue;
    }
    if (eq == nullptr) {
      fprintf(stderr, "synth_render: expected name=value, not %s\n", argv[i]);
      return 2;
    }
    std::string name(argv[i], static_cast<size_t>(eq - argv[i]));
    if (name == "wave") {
      settings.wave = SynthWaveIndex(eq + 1);
      if (settings.wave < 0) return 2;
      items = std::string(eq + 1) + items;
      continue;
    }
    int slot = SynthParamIndex(name.c_str());
    if (slot < 0) {
      fprintf(stderr, "synth_render: unknown parameter %s\n", name.c_str());
      return 2;
    }
    settings.value[slot] = strtod(eq + 1, nullptr);
    items += ", " + name + " = " + (eq + 1);
  }
  if (items.compare(0, 2, ", ") == 0) items.erase(0, 2);
  if (!recipe) {
    std::vector<double> samples;
    SeedRandom(0);
    RenderSynthVoice(settings, SynthEnvelopeSamples(settings), &samples);
    for (double s : samples) printf("%.9g\n", s);
    return 0;
  }
  // Room for the whole voice and a few frames (of two samples) after it.
  int64_t frames = SynthEnvelopeSamples(settings) / 2 + 16;
  std::string text = "frames " + std::to_string(frames) + "\nvolume 255\nseed 0\nsynth(" + items + ")\n";
  std::vector<int16_t> out;
  RecipeError error;
  int rate = 0;
  if (!RenderRecipe(text.data(), text.size(), &out, nullptr, &error, &rate) || rate != SynthRate) {
    fprintf(stderr, "synth_render: %d:%d: %s\n%s", error.line, error.column, error.message.c_str(), text.c_str());
    return 1;
  }
  for (int16_t s : out) printf("%d\n", s);
  return 0;
}
