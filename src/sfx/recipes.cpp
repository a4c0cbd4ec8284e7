// The bank's 89 effects: the built-in recipe texts, compiled once and run in
// slot order into fresh samples.
#include <cstring>
#include <vector>

#include "base/timing.h"

#include "sfx/builtin_recipes.h"
#include "sfx/recipe.h"
#include "sfx/sample.h"
#include "sfx/sound_bank.h"

namespace zorta {

static_assert(BuiltinRecipeCount == SoundBankEffects, "one recipe per filled slot");

namespace {
CompiledRecipe Compiled[SoundBankEffects];
int32_t CompiledReady = 0;

void CompileBuiltins() {
  for (int slot = 0; slot < SoundBankEffects; slot++) {
    RecipeError error;
    const char* text = BuiltinRecipeText[slot];
    // The tests compile every built-in recipe; one that fails leaves its slot empty.
    if (!CompileRecipe(text, strlen(text), &Compiled[slot], &error)) Compiled[slot] = CompiledRecipe();
  }
  CompiledReady = -1;
}
}  // namespace

void FillSoundBank() {
  if (!CompiledReady) CompileBuiltins();
  for (int slot = 0; slot < SoundBankEffects; slot++) {
    const CompiledRecipe& recipe = Compiled[slot];
    int16_t* buffer = CreateSample(recipe.frames, 22050, recipe.volume);
    if (buffer != nullptr) {
      ClearSamples(buffer, recipe.frames);
      RecipeError error;
      RunRecipe(recipe, buffer, &error);
    }
    SoundBank[slot] = FinishSample();
  }
}

int64_t BankNoiseBefore(int slot) {
  if (!CompiledReady) CompileBuiltins();
  static int64_t before[SoundBankEffects + 1];
  static int32_t counted = 0;
  if (!counted) {
    // How much noise a recipe draws does not depend on the numbers drawn, so
    // the recipes are run on a scratch buffer and the generator put back.
    RandomGenerator random = RandomState;
    OscillatorState oscillator = Oscillator;
    std::vector<int16_t> scratch;
    for (int s = 0; s < SoundBankEffects; s++) {
      const CompiledRecipe& recipe = Compiled[s];
      scratch.assign(static_cast<size_t>(recipe.frames), 0);
      ClearSamples(scratch.data(), recipe.frames);
      RecipeError error;
      RecipeUse use{0, 0};
      RunRecipe(recipe, scratch.data(), &error, &use);
      before[s + 1] = before[s] + use.noise;
    }
    RandomState = random;
    Oscillator = oscillator;
    counted = -1;
  }
  return before[slot < 0 ? 0 : slot > SoundBankEffects ? SoundBankEffects : slot];
}

std::string BuiltinRecipeWithSeed(int slot) {
  std::string text = BuiltinRecipeText[slot];
  // After the second of the header's frames and volume lines.
  size_t at = 0;
  for (int found = 0; found < 2 && at < text.size();) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    if (text.compare(at, 7, "frames ") == 0 || text.compare(at, 7, "volume ") == 0) found++;
    at = end;
  }
  int64_t skip = BankNoiseBefore(slot);
  std::string line = skip == 0 ? "seed 0\n" : "seed 0 skip " + std::to_string(skip) + "\n";
  return text.insert(at, line);
}

}  // namespace zorta
