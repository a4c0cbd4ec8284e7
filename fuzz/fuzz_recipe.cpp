// libFuzzer target: the recipe language's parser and interpreter on any text.
// Whatever compiles runs to its end or to an error; an error always names a
// line and column inside the text and says something.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/timing.h"
#include "sfx/recipe.h"

using namespace zorta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  SeedRandom(0);
  std::vector<int16_t> frames;
  RecipeError error;
  int volume = -1, rate = 0;
  // At the recipe's own rate, as the program makes it: twice the frames at the voice's.
  if (RenderRecipe(text, size, &frames, &volume, &error, &rate)) {
    size_t most = static_cast<size_t>(RecipeMaxFrames) * (rate == RecipeSynthRate ? 2 : 1);
    if ((rate != RecipeBankRate && rate != RecipeSynthRate) || frames.empty() || frames.size() > most ||
        volume < 0 || volume > 255)
      abort();
    return 0;
  }
  if (error.message.empty() || error.line < 1 || error.column < 1) abort();
  size_t lines = 1;
  for (size_t i = 0; i < size; i++) lines += data[i] == '\n';
  if (static_cast<size_t>(error.line) > lines) abort();
  return 0;
}
