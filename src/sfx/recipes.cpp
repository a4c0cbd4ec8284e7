// The bank's 89 effects: the built-in recipe texts, compiled once and run in
// slot order into fresh samples.
#include <cstring>

#include "sfx/builtin_recipes.h"
#include "sfx/recipe.h"
#include "sfx/sample.h"
#include "sfx/sound_bank.h"

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
