// The built-in recipes of slots 0 to 88, from data/recipes/NN.txt, compiled
// into the program as text.
#pragma once

const int BuiltinRecipeCount = 89;
extern const char* const BuiltinRecipeText[BuiltinRecipeCount];
