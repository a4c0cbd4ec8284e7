// Sound recipes as text: a small language that reads like the recipe list of
// the bank (runs [a+n], the nine primitives, arpeggios, Rep, Passes, loops),
// compiled to a flat op list and run in doubles, left to right, into a buffer.
// docs/RECIPES.md describes the language.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "zorta/sfx.h"

namespace zorta {

// Where and why a recipe failed; line and column count from 1.
struct RecipeError {
  int line;
  int column;
  std::string message;
};

// Limits that keep a hostile recipe from freezing the program or running it
// out of memory. Each one exceeded is an error naming it.
const int RecipeMaxFrames = 30 * 22050;            // 30 s at the bank's rate
// The rates a recipe plays at: the bank's, and the synth voice's own, which a
// recipe made only of synth statements keeps (its frames still count 1/22050 s).
const int RecipeBankRate = 22050;
const int RecipeSynthRate = 44100;
const int64_t RecipeMaxLoop = 100000;               // passes of one loop, Rep or Passes
// One budget of work for a whole run: each frame a call processes (an echo's
// frames once per tap), each statement, loop pass, arpeggio note, operation
// of an expression and number of noise skipped counts one (a frame whose sine
// lies far out, ten). Any recipe ends or is refused well within a second,
// with the sanitizers' checks too.
const int64_t RecipeMaxWork = 10000000;
const int RecipeMaxEchoTaps = 1000;
const size_t RecipeMaxText = 256 * 1024;
const int64_t RecipeMaxSeed = 4294967295;

// One compiled expression or statement lives in these arrays; see recipe.cpp.
struct RecipeExprOp {
  uint8_t op;
  int32_t arg;   // variable slot or jump, by op
  double value;  // constant, or the note's text packed in
};
struct RecipeStatement {
  uint8_t kind;
  uint8_t wave;                // generator kind where one applies
  int32_t line, column;
  int32_t expr[10];            // first op of each operand expression, -1 when absent
  int32_t body, bodyEnd;       // statements of a block: [body, bodyEnd)
  int32_t var;                 // loop or assigned variable
  int32_t items, itemCount;    // arpeggio items
};
struct RecipeArpItem {
  uint8_t wave;
  int32_t expr;  // -1 for noise
};

struct CompiledRecipe {
  int32_t frames;
  int32_t volume;
  int32_t variables;
  std::vector<RecipeExprOp> code;
  std::vector<RecipeStatement> statements;
  std::vector<RecipeArpItem> items;
  int32_t top, topEnd;  // the recipe's own statements
  std::vector<std::string> notes;
  // The header's "seed S skip K": the noise generator seeded with S, then K
  // numbers drawn, before the run. seed is -1 without that line.
  int64_t seed;
  int64_t skip;
  // RecipeSynthRate for a recipe whose only sounds are synth statements (or
  // with the header's "rate 44100"), else RecipeBankRate.
  int32_t rate;
};

// What a run used: its work against RecipeMaxWork, and the numbers its noise
// drew from the generator (the skip of a seed line not included).
struct RecipeUse {
  int64_t work;
  int64_t noise;
};

// Parses and compiles `size` bytes of recipe text: UTF-8, with or without a
// byte-order mark, or UTF-16 with its mark (as Windows editors save it).
// -1 on success; 0 with the first error in *error.
int CompileRecipe(const char* text, size_t size, CompiledRecipe* recipe, RecipeError* error);
// The values a run at `rate` fills: the frames, twice as many at the synth's rate.
int64_t RecipeLength(const CompiledRecipe& recipe, int rate);
// Runs a compiled recipe over `buffer` (RecipeLength values, cleared, the
// oscillator reset by the caller), seeding the noise first when the recipe has
// a seed line. -1 on success; 0 with the error when a run leaves the buffer or
// a limit is met; the buffer then holds a partial sound. `use` may be null.
// `rate` is the bank's (where the synth voice is averaged down) or the
// recipe's own.
int RunRecipe(const CompiledRecipe& recipe, int16_t* buffer, RecipeError* error, RecipeUse* use = nullptr,
              int rate = RecipeBankRate);
// The first synth statement as written (by line and column) back as
// settings, its parameters constant expressions within their ranges. -1 on
// success; 0 with the error, at the parameter for a bad one, at line 0 when
// there is no synth statement.
int RecipeSynthSettings(const CompiledRecipe& recipe, SynthSettings* settings, RecipeError* error);
// A buffer of the recipe's length at `rate`, cleared (the oscillator reset),
// and the recipe run over it. -1 or 0, as RunRecipe.
int RunRecipeInto(const CompiledRecipe& recipe, int rate, std::vector<int16_t>* frames, RecipeError* error);
// Compile, clear a buffer of its frames (resetting the oscillator) and run,
// outside the sound library: what the tools and the checks use. -1 or 0.
// Without `rate` the frames are at the bank's rate; with it, at the
// recipe's own, written there.
int RenderRecipe(const char* text, size_t size, std::vector<int16_t>* frames, int* volume, RecipeError* error,
                 int* rate = nullptr);

}  // namespace zorta
