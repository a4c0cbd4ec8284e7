// The synth voice's generators and mutation: pinned texts for every kind, the
// numbers they write reading back exactly, locks and amounts, and every kind
// rendering within a recipe's budget.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "sfx/recipe.h"
#include "test_util.h"
#include "zorta/sfx.h"

using namespace zorta;

namespace {
const std::string Data = std::string(ZORTA_SOURCE_DIR) + "/tests/unit/tools/data/";

// A pinned file without its first line, the comment the tool writes.
std::string Body(const std::string& path) {
  std::string text = ReadWholeFile(path);
  EXPECT_FALSE(text.empty()) << path;
  return text.substr(text.find('\n') + 1);
}

SynthSettings Read(const std::string& text) {
  SynthSettings s = DefaultSynthSettings();
  int volume = 0;
  std::string error;
  EXPECT_TRUE(ReadSynthRecipe(text.data(), text.size(), &s, &volume, &error)) << error << "\n" << text;
  return s;
}

void ExpectSame(const SynthSettings& a, const SynthSettings& b, const std::string& what) {
  EXPECT_EQ(a.wave, b.wave) << what;
  for (int i = 0; i < SynthParamCount; i++) EXPECT_EQ(a.value[i], b.value[i]) << what << ": " << SynthParams[i].name;
}
}  // namespace

TEST(SynthGenerators, EveryKindGivesItsPinnedTextForSeedsOneAndTwo) {
  for (int kind = 0; kind < SynthKindCount; kind++)
    for (uint32_t seed = 1; seed <= 2; seed++) {
      std::string name = std::string(SynthKindNames[kind]) + "-" + std::to_string(seed) + ".txt";
      EXPECT_EQ(SynthRecipeText(GenerateSynth(kind, seed), 255, ""), Body(Data + "new/" + name)) << name;
    }
  EXPECT_EQ(SynthKindIndex("explosion"), SynthExplosion);
  EXPECT_EQ(SynthKindIndex("Explosion"), -1);
}

TEST(SynthGenerators, SeedsGiveOtherSoundsAndTheFixedKindsIgnoreThem) {
  for (int kind = 0; kind < SynthKindCount; kind++) {
    std::string one = SynthRecipeText(GenerateSynth(kind, 1), 255, "");
    bool fixed = kind == SynthTone || kind == SynthDefaults;
    EXPECT_EQ(one == SynthRecipeText(GenerateSynth(kind, 1000000), 255, ""), fixed) << SynthKindNames[kind];
  }
  ExpectSame(GenerateSynth(SynthDefaults, 9), DefaultSynthSettings(), "synth");
}

// Each value a whole number of ten-thousandths, written in at most four
// decimals and read back by the recipe parser as the very same double; other
// values (from a hand-written or imported file) in as few digits as read back
// just as exactly.
TEST(SynthGenerators, WrittenNumbersReadBackExactly) {
  SynthSettings s = DefaultSynthSettings();
  for (int n = -10000; n <= 10000; n++) {
    s.value[SynthSlide] = n / 10000.0;
    s.value[SynthFreq] = (n < 0 ? -n : n) / 10000.0;
    std::string text = SynthRecipeText(s, 9, "");
    SynthSettings back = Read(text);
    ASSERT_EQ(back.value[SynthSlide], s.value[SynthSlide]) << text;
    ASSERT_EQ(back.value[SynthFreq], s.value[SynthFreq]) << text;
  }
  s.value[SynthSlide] = -0.25;
  EXPECT_NE(SynthRecipeText(s, 9, "").find("slide = -0.25)"), std::string::npos) << SynthRecipeText(s, 9, "");
  for (double odd : {0.1 + 0.2, 1 / 3.0, 1e-300, 0.99999999999999989}) {
    s.value[SynthDecay] = odd;
    EXPECT_EQ(Read(SynthRecipeText(s, 9, "")).value[SynthDecay], odd);
  }
  s.value[SynthDecay] = 0.25063586;  // a float's value read from another tool's file
  EXPECT_NE(SynthRecipeText(s, 9, "").find("decay = 0.25063586,"), std::string::npos) << SynthRecipeText(s, 9, "");
  // Every kind's values, all the waves, the volume and a comment.
  for (int kind = 0; kind < SynthKindCount; kind++)
    for (uint32_t seed = 0; seed < 50; seed++) {
      SynthSettings g = GenerateSynth(kind, seed);
      std::string text = SynthRecipeText(g, 77, "a comment");
      ExpectSame(Read(text), g, text);
    }
}

TEST(SynthGenerators, EveryKindRendersWithinTheBudgetAndIsHeard) {
  for (int kind = 0; kind < SynthKindCount; kind++)
    for (uint32_t seed = 1; seed <= 50; seed++) {
      std::string text = SynthRecipeText(GenerateSynth(kind, seed), 255, "");
      CompiledRecipe recipe;
      RecipeError error;
      ASSERT_TRUE(CompileRecipe(text.data(), text.size(), &recipe, &error)) << error.message << "\n" << text;
      std::vector<int16_t> frames(static_cast<size_t>(recipe.frames), 0);
      RecipeUse use{};
      ASSERT_TRUE(RunRecipe(recipe, frames.data(), &error, &use)) << error.message << "\n" << text;
      EXPECT_LE(use.work, RecipeMaxWork / 4) << text;
      int loudest = 0;
      for (int16_t f : frames) loudest = std::max(loudest, f < 0 ? -f : static_cast<int>(f));
      EXPECT_GT(loudest, 100) << text;
    }
}

TEST(SynthMutation, GivesItsPinnedText) {
  SynthSettings pickup = Read(ReadWholeFile(Data + "new/pickup-1.txt"));
  EXPECT_EQ(SynthRecipeText(MutateSynth(pickup, 3, 0.05, nullptr), 255, ""),
            Body(Data + "mutate/pickup-1-seed-3.txt"));
  bool locked[SynthParamCount] = {};
  locked[SynthFreq] = locked[SynthDuty] = true;
  SynthSettings random = Read(ReadWholeFile(Data + "new/random-2.txt"));
  EXPECT_EQ(SynthRecipeText(MutateSynth(random, 7, 0.3, locked), 255, ""),
            Body(Data + "mutate/random-2-seed-7.txt"));
}

TEST(SynthMutation, LockedParametersAndAmountZeroChangeNothing) {
  bool locked[SynthParamCount] = {};
  locked[SynthFreq] = locked[SynthDecay] = locked[SynthHighPass] = true;
  int moved = 0;
  for (uint32_t seed = 0; seed < 100; seed++) {
    SynthSettings from = GenerateSynth(SynthRandom, seed);
    SynthSettings to = MutateSynth(from, seed, 1, locked);
    for (int i : {SynthFreq, SynthDecay, SynthHighPass}) EXPECT_EQ(to.value[i], from.value[i]) << seed;
    for (int i : {SynthLimit, SynthVolume}) EXPECT_EQ(to.value[i], from.value[i]) << seed;
    for (int i = 0; i < SynthParamCount; i++) {
      EXPECT_GE(to.value[i], SynthParams[i].low);
      EXPECT_LE(to.value[i], SynthParams[i].high);
      moved += to.value[i] != from.value[i];
    }
    // Amount 0 leaves even a value of a hand-written file as it was.
    SynthSettings odd = from;
    odd.value[SynthSustain] = 1 / 3.0;
    ExpectSame(MutateSynth(odd, seed, 0, nullptr), odd, "amount 0, seed " + std::to_string(seed));
    // A lock takes nothing from the others: they move as without it.
    SynthSettings free = MutateSynth(from, seed, 1, nullptr);
    for (int i : {SynthSustain, SynthSlide, SynthArp}) EXPECT_EQ(to.value[i], free.value[i]) << seed;
  }
  EXPECT_GT(moved, 100 * 18 / 4);  // the unlocked ones do move: about half of them each time
}

TEST(SynthMutation, ReadingWantsASynthStatementOfNumbers) {
  struct Case {
    const char* text;
    const char* error;
  };
  for (const Case& c : {
           Case{"frames 10\nvolume 1\nsine 0.1\n", "the recipe holds no synth statement"},
           Case{"frames 10\nvolume 1\nf = 0.3\nsynth (freq = f)\n", "4:15: synth's freq must be a number, not a name"},
           Case{"frames 10\nvolume 1\nsynth (decay = 1.5)\n", "3:16: synth's decay takes 0 to 1, not 1.5"},
           Case{"frames 10\nvolume 1\nsynth (noise, decay = )\n", "3:23: expected a number, a note such as C-6, a name or '(', found ')'"},
       }) {
    SynthSettings s;
    int volume = 0;
    std::string error;
    EXPECT_FALSE(ReadSynthRecipe(c.text, strlen(c.text), &s, &volume, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
  // The first statement as written, even inside a block; its expressions
  // worked out; the volume of the header.
  std::string text = "frames 10\nvolume 42\nfor i = 0 to 1 {\n synth (triangle, freq = 0.5 * 0.5, arp = -C-4 * 0)\n}\n"
                     "synth (saw)\n";
  SynthSettings s;
  int volume = 0;
  std::string error;
  ASSERT_TRUE(ReadSynthRecipe(text.data(), text.size(), &s, &volume, &error)) << error;
  EXPECT_EQ(s.wave, SynthTriangle);
  EXPECT_EQ(s.value[SynthFreq], 0.25);
  EXPECT_EQ(volume, 42);
}
