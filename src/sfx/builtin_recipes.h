// The built-in recipes of slots 0 to 88, from data/recipes/NN.txt, compiled
// into the program as text.
#pragma once
#include <cstdint>
#include <string>

namespace zorta {

const int BuiltinRecipeCount = 89;
extern const char* const BuiltinRecipeText[BuiltinRecipeCount];

// How many numbers the noise generator had given since it was seeded when
// the bank came to `slot`: the noise of the slots before it.
int64_t BankNoiseBefore(int slot);
// A built-in recipe with a seed line after its header that starts the noise
// where the bank's stood at that slot (seeded with 0, as at a normal start),
// so that it renders to the slot's very sound.
std::string BuiltinRecipeWithSeed(int slot);

}  // namespace zorta
