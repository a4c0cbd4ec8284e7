// The recipe language: each construct against the primitive calls it stands
// for, errors with their positions, the limits, and the built-in recipes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "base/timing.h"
#include "sfx/builtin_recipes.h"
#include "sfx/notes.h"
#include "sfx/primitives.h"
#include "sfx/recipe.h"
#include "sfx/sample.h"

using namespace zorta;

namespace {
using Samples = std::vector<int16_t>;
const double Third = 0.3333333333333333;

double Step(const char* note) { return NoteFrequency(note) * 0.000045351473922902495; }

Samples Render(const std::string& text) {
  SeedRandom(7);
  Samples frames;
  RecipeError error{0, 0, ""};
  int volume = -1;
  EXPECT_TRUE(RenderRecipe(text.data(), text.size(), &frames, &volume, &error))
      << error.line << ":" << error.column << ": " << error.message;
  return frames;
}

// The same sound made by calling the primitives directly.
Samples Direct(int frames, const std::function<void(int16_t*)>& calls) {
  SeedRandom(7);
  Samples v(static_cast<size_t>(frames), 0);
  ClearSamples(v.data(), frames);
  calls(v.data());
  return v;
}

RecipeError ErrorOf(const std::string& text) {
  Samples frames;
  RecipeError error{0, 0, ""};
  EXPECT_FALSE(RenderRecipe(text.data(), text.size(), &frames, nullptr, &error)) << text;
  return error;
}

#define EXPECT_ERROR(text, ln, col, words)                                          \
  do {                                                                              \
    RecipeError e_ = ErrorOf(text);                                                 \
    EXPECT_EQ(e_.line, ln) << e_.message;                                           \
    EXPECT_EQ(e_.column, col) << e_.message;                                        \
    EXPECT_NE(e_.message.find(words), std::string::npos) << e_.message;             \
  } while (0)

const std::string Head = "frames 1000\nvolume 200\n";
}  // namespace

TEST(RecipeLanguage, HeaderGivesFramesAndVolume) {
  CompiledRecipe r;
  RecipeError e;
  std::string text = "# a comment\nframes 8192  # another\nvolume 64\nsine 0.01\n";
  ASSERT_TRUE(CompileRecipe(text.data(), text.size(), &r, &e)) << e.message;
  EXPECT_EQ(r.frames, 8192);
  EXPECT_EQ(r.volume, 64);
}

TEST(RecipeLanguage, GeneratorsWithDefaultsAndOptions) {
  Samples got = Render(Head +
                       "sine [4+100] 0.05 -> 0.01\n"
                       "saw 0.02 a(0.5) mod(0.001, 0.01)\n"
                       "pulse [10+500] w(0 -> 1) 0.03 -> 0.04 a(1)\n"
                       "pulse [0+200] 0.06 w(1 -> 0)\n"
                       "noise [900+100] a(0.25)\n"
                       "noise [0+10]\n");
  Samples want = Direct(1000, [](int16_t* b) {
    AddSine(b + 4, 100, 0.05, 0.01, 0, 0, Third);
    AddSaw(b, 1000, 0.02, 0.02, 0.001, 0.01, 0.5);
    AddPulse(b + 10, 500, 0, 1, 0.03, 0.04, 0, 0, 1);
    AddPulse(b, 200, 1, 0, 0.06, 0.06, 0, 0, Third);
    AddNoise(b + 900, 100, 0.25);
    AddNoise(b, 10, Third);
  });
  EXPECT_EQ(got, want);
}

TEST(RecipeLanguage, NotesMultiplesAndTheNotationsOwnSigns) {
  Samples ascii = Render(Head + "saw 3*C-6 -> 0.5*G-1 + 0.0004\nsine A#5 a(1/3)\n");
  Samples signs = Render(Head + "Saw 3\xC2\xB7" "C-6 \xE2\x86\x92 0.5\xC2\xB7G-1 + 0.0004\nSINE A#5 a(1/3)\n");
  Samples want = Direct(1000, [](int16_t* b) {
    AddSaw(b, 1000, 3 * Step("C-6"), 0.5 * Step("G-1") + 0.0004, 0, 0, Third);
    AddSine(b, 1000, Step("A#5"), Step("A#5"), 0, 0, Third);
  });
  EXPECT_EQ(ascii, want);
  EXPECT_EQ(signs, want);
}

TEST(RecipeLanguage, ArpeggiosSingleMixedAndPulseWidths) {
  Samples got = Render(Head +
                       "arp(pulse, 50; C-4 E-4 G-4; x2)\n"
                       "arp [300] (60; sine C-5, pulse E-5, noise, saw 2*G-5; \xC3\x97" "2)\n");
  Samples want = Direct(1000, [](int16_t* b) {
    const char* notes[3] = {"C-4", "E-4", "G-4"};
    int frame = 0;
    for (int r = 0; r < 2; r++)
      for (int i = 0; i < 3; i++, frame += 50) {
        // The widths alternate, starting again with each repeat of the list.
        double w0 = i % 2 == 0 ? 0 : 1;
        AddPulse(b + frame, 50, w0, 1 - w0, Step(notes[i]), Step(notes[i]), 0, 0, Third);
      }
    frame = 300;
    for (int r = 0; r < 2; r++) {
      AddSine(b + frame, 60, Step("C-5"), Step("C-5"), 0, 0, Third);
      AddPulse(b + frame + 60, 60, 0, 0, Step("E-5"), Step("E-5"), 0, 0, Third);
      AddNoise(b + frame + 120, 60, Third);
      AddSaw(b + frame + 180, 60, 2 * Step("G-5"), 2 * Step("G-5"), 0, 0, Third);
      frame += 240;
    }
  });
  EXPECT_EQ(got, want);
}

TEST(RecipeLanguage, RepShiftsRunsAndPassesAddTheirOffsetToEveryStep) {
  Samples got = Render(Head +
                       "rep 3 every 300 {\n  sine [0+100] 0.1 -> 0.2\n  saw [100+50] 0.3\n}\n"
                       "passes 3 with 0.1 {\n  saw [0+90] 0.25 -> 0.5\n  arp(sine, 30; C-6 E-6; x1)\n  noise [0+5]\n}\n"
                       "passes x2 {\n  rep 2 every 10 {\n    sine [0+5] C-7\n  }\n}\n");
  Samples want = Direct(1000, [](int16_t* b) {
    for (int r = 0; r < 3; r++) {
      AddSine(b + 300 * r, 100, 0.1, 0.2, 0, 0, Third);
      AddSaw(b + 300 * r + 100, 50, 0.3, 0.3, 0, 0, Third);
    }
    for (int k = 0; k < 3; k++) {
      double o = k * 0.1;  // formed first, then the step is added
      AddSaw(b, 90, o + 0.25, o + 0.5, 0, 0, Third);
      AddSine(b, 30, o + Step("C-6"), o + Step("C-6"), 0, 0, Third);
      AddSine(b + 30, 30, o + Step("E-6"), o + Step("E-6"), 0, 0, Third);
      AddNoise(b, 5, Third);
    }
    for (int k = 0; k < 2; k++)
      for (int r = 0; r < 2; r++) AddSine(b + 10 * r, 5, k * 0.0002 + Step("C-7"), k * 0.0002 + Step("C-7"), 0, 0, Third);
  });
  EXPECT_EQ(got, want);
}

TEST(RecipeLanguage, LoopsVariablesAndConditionsInDoublesLeftToRight) {
  Samples got = Render(Head +
                       "f = 1\n"
                       "for m = 1 to 3 {\n"
                       "  if m == 2 { f = f * 3 } else if m > 2 { f = f / 7 } else { f = f - 0.1 }\n"
                       "  sine [100 * (m - 1)+100] f*C-5 + 0.1 - 0.3 * m -> m*C-4\n"
                       "}\n"
                       "for i = 3 to 1 { noise }\n");
  Samples want = Direct(1000, [](int16_t* b) {
    double f = 1;
    for (int m = 1; m <= 3; m++) {
      if (m == 2)
        f = f * 3;
      else if (m > 2)
        f = f / 7;
      else
        f = f - 0.1;
      double s0 = (f * Step("C-5") + 0.1) - 0.3 * m;
      AddSine(b + 100 * (m - 1), 100, s0, m * Step("C-4"), 0, 0, Third);
    }
  });
  EXPECT_EQ(got, want);
}

TEST(RecipeLanguage, ProcessorsInTheOrderListed) {
  Samples got = Render(Head +
                       "sine 0.02 a(1); saw [0+500] 0.05\n"
                       "scale [0+300] 0.75\nsmooth [100+200]\ntremolo [0+1000] (0.1, 0.5)\nreset\n"
                       "tremolo (0.014, 1)\nenvelope [0+400] (0.25)\necho 3\nnormalise [0+600]\nNormalize\n"
                       "smooth\nscale 1.5\nenvelope (1)\necho [500+500] 2\n");
  Samples want = Direct(1000, [](int16_t* b) {
    AddSine(b, 1000, 0.02, 0.02, 0, 0, 1);
    AddSaw(b, 500, 0.05, 0.05, 0, 0, Third);
    ScaleSamples(b, 300, 0.75);
    Smooth(b + 100, 200);
    Tremolo(b, 1000, 0.1, 0.5);
    ResetOscillator();
    Tremolo(b, 1000, 0.014, 1);
    ApplyEnvelope(b, 400, 0.25);
    Echo(b, 1000, 3);
    Normalize(b, 600);
    Normalize(b, 1000);
    Smooth(b, 1000);
    ScaleSamples(b, 1000, 1.5);
    ApplyEnvelope(b, 1000, 1);
    Echo(b + 500, 500, 2);
  });
  EXPECT_EQ(got, want);
}

TEST(RecipeErrors, ParseErrorsNameLineAndColumn) {
  EXPECT_ERROR("sine 0.01\n", 1, 1, "frames N is missing");
  EXPECT_ERROR("frames 100\nsine 0.01\n", 2, 1, "volume N is missing");
  EXPECT_ERROR("frames 100\nvolume 300\n", 2, 1, "volume must be a whole number from 0 to 255, not 300");
  EXPECT_ERROR("frames 661501\nvolume 1\n", 1, 1, "frames must be a whole number from 1 to 661500");
  EXPECT_ERROR("frames 10.5\nvolume 1\n", 1, 1, "frames must be a whole number");
  EXPECT_ERROR("frames 10\nframes 10\n", 2, 1, "frames is given twice");
  EXPECT_ERROR(Head + "sine q\n", 3, 6, "unknown name 'q'");
  EXPECT_ERROR(Head + "sine [5] 0.1\n", 3, 6, "a run is written [start+count]");
  EXPECT_ERROR(Head + "sine [5-1] 0.1\n", 3, 6, "a run is written [start+count]");
  EXPECT_ERROR(Head + "bogus 1\n", 3, 1, "unknown statement 'bogus'");
  EXPECT_ERROR(Head + "sine 0.1 $\n", 3, 10, "unexpected character '$'");
  EXPECT_ERROR(Head + "passes 3 {\n  saw 0.1\n", 5, 1, "expected '}', found the end of the file");
  EXPECT_ERROR(Head + "}\n", 3, 1, "'}' without a block");
  EXPECT_ERROR(Head + "sine w(0 -> 1) 0.1\n", 3, 6, "not a pulse");
  EXPECT_ERROR(Head + "sine 0.1 a(1) a(2)\n", 3, 15, "a(...) is given twice");
  EXPECT_ERROR(Head + "noise mod(1, 2)\n", 3, 7, "noise takes no modulation");
  EXPECT_ERROR(Head + "arp(saw, 10; ; x1)\n", 3, 14, "at least one note");
  EXPECT_ERROR(Head + "arp(10; C-4; x1)\n", 3, 9, "sine, saw, pulse or noise before each note");
  EXPECT_ERROR(Head + "sine 0.1 0.2\n", 3, 10, "expected the end of the statement, found the number 0.2");
  EXPECT_ERROR(Head + "sine 0.1\nvolume 3\n", 4, 1, "belongs in the header");
  EXPECT_ERROR(Head + "sine 1e999\n", 3, 6, "number out of range");
  EXPECT_ERROR(Head + "sine \xff\n", 3, 6, "unexpected byte 255");
}

TEST(RecipeErrors, RunsThatLeaveTheSoundStopItWithTheStatementsPosition) {
  EXPECT_ERROR(Head + "sine [900+101] 0.1\n", 3, 1, "the run [900+101] lies outside the sound's 1000 frames");
  EXPECT_ERROR(Head + "rep 4 every 300 {\n  noise [0+200]\n}\n", 4, 3, "the run [900+200] lies outside");
  EXPECT_ERROR(Head + "\n  arp [10] (sine, 100; C-4; x10)\n", 4, 3, "the run [910+100] lies outside");
  EXPECT_ERROR(Head + "envelope [-1+10] (0)\n", 3, 1, "the run [-1+10] lies outside");
  EXPECT_ERROR(Head + "smooth [10+-5]\n", 3, 1, "negative length");
  EXPECT_ERROR(Head + "scale [0.5+10] 2\n", 3, 1, "a run's start must be a whole number, not 0.5");
  EXPECT_ERROR(Head + "echo 1001\n", 3, 1, "an echo takes 0 to 1000 taps, not 1001");
  EXPECT_ERROR(Head + "for i = 0 to 0.5 { }\n", 3, 1, "a loop's last value must be a whole number");
}

TEST(RecipeErrors, LimitsKeepHostileRecipesBounded) {
  EXPECT_ERROR(Head + "for i = 1 to 100001 { }\n", 3, 1, "a loop of 100001 passes; at most 100000");
  EXPECT_ERROR(Head + "rep 200000 every 0 { }\n", 3, 1, "a loop of 200000 passes");
  EXPECT_ERROR(Head + "passes 1e9 { }\n", 3, 1, "a loop of 1000000000 passes");
  EXPECT_ERROR(Head + "arp(saw, 0; C-4; x 1e6)\n", 3, 1, "a loop of 1000000 passes");
  EXPECT_ERROR(Head + "for i = 1 to 1000 {\n  for j = 1 to 100000 {\n    x = i\n  }\n}\n", 5, 5,
               "more than 10000000 steps of work");
  EXPECT_ERROR("frames 661500\nvolume 1\nrep 100 every 0 {\n  saw 0.01\n}\n", 4, 3, "more than 10000000 steps");
  EXPECT_ERROR("frames 661500\nvolume 1\nrep 70 every 0 {\n  echo 1000\n}\n", 4, 3, "more than 10000000 steps");
  // Deep nesting is refused, not followed down the stack.
  std::string deep = Head + "sine " + std::string(5000, '(') + "1" + std::string(5000, ')') + "\n";
  EXPECT_ERROR(deep, 3, 55, "nested too deeply");
  std::string minus = Head + "sine " + std::string(5000, '-') + "1\n";
  EXPECT_ERROR(minus, 3, 55, "nested too deeply");
  std::string blocks = Head;
  for (int i = 0; i < 5000; i++) blocks += "rep 1 every 0 {";
  // The 49th block is one too many.
  EXPECT_ERROR(blocks, 3, 48 * 15 + 15, "blocks nested too deeply");
  std::string wide = Head + "sine 1";
  for (int i = 0; i < 40; i++) wide += " + (1";
  wide += std::string(40, ')') + "\n";
  EXPECT_ERROR(wide, 3, 6, "nested too deeply");
}

TEST(RecipeErrors, OddValuesMakeNoiseNotFaults) {
  // Steps, amplitudes and factors beyond any sense still give a sound.
  Samples got = Render(Head + "sine 1e300 a(1e300) mod(1e300, 1e300)\nsaw -1e300 a(1e308)\n"
                              "pulse w(1e300 -> -1e300) -1e308\n"
                              "tremolo (1e300, -1e300)\nscale -1e300\nenvelope (1e300)\nenvelope (-5)\nnormalize\n");
  EXPECT_EQ(got.size(), 1000u);
}

TEST(RecipeErrors, InfinityAndNaNAreRefusedWhereWritten) {
  EXPECT_ERROR(Head + "scale 0/0\n", 3, 7, "not a number");
  EXPECT_ERROR(Head + "sine 1/0\n", 3, 6, "infinite");
  EXPECT_ERROR(Head + "sine 0.1 a(1/0)\n", 3, 12, "infinite");
  EXPECT_ERROR(Head + "saw 0.1 -> 1e308*10\n", 3, 12, "infinite");
  EXPECT_ERROR(Head + "pulse w(0 -> 0/0) 0.1\n", 3, 14, "not a number");
  EXPECT_ERROR(Head + "tremolo (1, -1/0)\nenvelope (0/0)\n", 3, 13, "infinite");
  EXPECT_ERROR(Head + "x = 1\nfor i = 0 to 3 {\n  x = x * 1e200\n}\n", 5, 7, "infinite");
  EXPECT_ERROR(Head + "arp(sine, 10; C-4, 1/0; x1)\n", 3, 20, "infinite");
  EXPECT_ERROR(Head + "rep 1e20 every 0 { }\n", 3, 1, "Rep's count is too large: 1e+20");
  EXPECT_ERROR(Head + "for i = -1e13 to 0 { }\n", 3, 1, "a loop's first value is too far below zero: -10000000000000");
  // A comparison of infinities is an ordinary truth value.
  EXPECT_EQ(Render(Head + "if 1/0 > 1 { sine 0.1 }\n"), Render(Head + "sine 0.1\n"));
}

// Every pass, note and operation counts, so hostile recipes that do nothing
// audible still end, refused, at once.
TEST(RecipeErrors, OneBudgetCountsEveryStepOfWork) {
  const std::string tiny = "frames 1\nvolume 1\n";
  const char* budget = "more than 10000000 steps of work";
  EXPECT_ERROR(tiny + "for i = 0 to 99999 { for j = 0 to 99999 { for k = 0 to 99999 { } } }\n", 3, 43, budget);
  EXPECT_ERROR(tiny + "for i = 0 to 99999 { for j = 0 to 99999 { } }\n", 3, 22, budget);
  std::string arp = tiny + "arp(sine, 0; ";
  for (int i = 0; i < 60000; i++) arp += "C-4 ";
  EXPECT_ERROR(arp + "; x100000)\n", 3, 1, budget);
  std::string sum = tiny + "for i = 0 to 99999 {\n  x = 1";
  for (int i = 1; i < 60000; i++) sum += "+1";
  EXPECT_ERROR(sum + "\n}\n", 4, 3, budget);
  EXPECT_ERROR(tiny + "seed 0 skip 10000000\nx = 1\n", 4, 1, budget);
  // Sines far from zero are slow to work out, and count so.
  const std::string longest = "frames 661500\nvolume 1\n";
  EXPECT_ERROR(longest + "sine 1e300\nsine 0.1\n", 4, 1, budget);
  EXPECT_ERROR(longest + "saw 0.1 mod(1e9, 1)\nsaw 0.1\n", 4, 1, budget);
  EXPECT_ERROR(longest + "pulse w(0 -> 1e7) 0.1\npulse w(1e7 -> 0) 0.1\n", 4, 1, budget);
  EXPECT_ERROR(longest + "tremolo (1e300, 0.5)\ntremolo (1, 0.5)\n", 4, 1, budget);
  std::string near = "tremolo (0.01, 0.5)\nsine 0.1\npulse w(0 -> 1) 0.1\nsaw 0.1 mod(0.01, 1)\n";
  EXPECT_EQ(Render(longest + near + near).size(), 661500u);
}

TEST(RecipeLanguage, AnElseIfChainIsNotNesting) {
  for (int arms : {60, 5000}) {
    std::string text = Head + "x = 37\nif x == 0 {\n  y = 0\n}";
    for (int k = 1; k < arms; k++)
      text += " else if x == " + std::to_string(k) + " {\n  y = " + std::to_string(k) + "\n}";
    text += "\nelse {\n  y = -1\n}\nsine y * 0.001\n";
    Samples want = Direct(1000, [](int16_t* b) { AddSine(b, 1000, 37 * 0.001, 37 * 0.001, 0, 0, Third); });
    EXPECT_EQ(Render(text), want) << arms;
  }
  EXPECT_EQ(Render(Head + "if 0 { sine 0.2 } else if 0 { sine 0.3 }\nelse { sine 0.1 }\n"),
            Render(Head + "sine 0.1\n"));
  EXPECT_ERROR(Head + "else { }\n", 3, 1, "'else' without an if");
}

// Windows editors save with a byte-order mark, and Notepad's "Unicode" is UTF-16.
std::string Utf16(const std::u16string& text, bool big) {
  std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t u : text) {
    char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += big ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

TEST(RecipeLanguage, ByteOrderMarksAndUtf16AreRead) {
  std::string text = Head + "saw 0.1 \xE2\x86\x92 0.2  # \xC3\xA9t\xC3\xA9 \xF0\x9F\x94\x8A\n";
  std::u16string wide = u"frames 1000\nvolume 200\nsaw 0.1 \u2192 0.2  # \u00e9t\u00e9 \U0001F50A\n";
  Samples want = Render(text);
  EXPECT_EQ(Render("\xEF\xBB\xBF" + text), want);
  EXPECT_EQ(Render(Utf16(wide, false)), want);
  EXPECT_EQ(Render(Utf16(wide, true)), want);
  // Positions count in the text as read.
  EXPECT_ERROR("\xEF\xBB\xBF" + Head + "sine q\n", 3, 6, "unknown name 'q'");
  EXPECT_ERROR(Utf16(wide + u"sine q\n", false), 4, 6, "unknown name 'q'");
  EXPECT_ERROR(Utf16(u"fr\xD800" u"ames", false), 1, 3, "UTF-16 with a broken character here; save it as UTF-8");
  EXPECT_ERROR(Utf16(wide, true) + "x", 4, 1, "UTF-16 with a broken character");
}

TEST(RecipeLanguage, ASeedLineStartsTheNoiseWhereItSays) {
  Samples got = Render(Head + "seed 5 skip 3\nnoise [0+100]\nseed = 2\nnoise [100+seed]\n");
  Samples want = Direct(1000, [](int16_t* b) {
    SeedRandom(5);
    for (int k = 0; k < 3; k++) RandomUnit();
    AddNoise(b, 100, Third);
    AddNoise(b + 100, 2, Third);
  });
  EXPECT_EQ(got, want);
  EXPECT_EQ(Render("seed 9\n" + Head + "noise\n"), Render("seed 9 skip 0\n" + Head + "noise\n"));
  EXPECT_ERROR(Head + "seed -1\n", 3, 1, "seed must be a whole number from 0 to 4294967295, not -1");
  EXPECT_ERROR(Head + "seed 1 skip 10000001\n", 3, 8, "skip must be a whole number from 0 to 10000000");
  EXPECT_ERROR(Head + "seed 1\nseed 2\n", 4, 1, "seed is given twice");
  EXPECT_ERROR(Head + "noise\nseed 2\n", 4, 1, "'seed' belongs in the header");
}

TEST(BuiltinRecipes, EveryOneCompilesWithItsHeader) {
  for (int slot = 0; slot < BuiltinRecipeCount; slot++) {
    CompiledRecipe r;
    RecipeError e;
    const char* text = BuiltinRecipeText[slot];
    ASSERT_TRUE(CompileRecipe(text, strlen(text), &r, &e)) << slot << ": " << e.line << ":" << e.column << ": "
                                                            << e.message;
    EXPECT_GE(r.frames, 256) << slot;
    EXPECT_LE(r.frames, 32768) << slot;
  }
}

// The budget leaves the bank's own sounds far inside it.
TEST(BuiltinRecipes, EachUsesATenthOfTheWorkBudgetAtMost) {
  int64_t most = 0;
  for (int slot = 0; slot < BuiltinRecipeCount; slot++) {
    CompiledRecipe r;
    RecipeError e;
    const char* text = BuiltinRecipeText[slot];
    ASSERT_TRUE(CompileRecipe(text, strlen(text), &r, &e));
    Samples frames(static_cast<size_t>(r.frames));
    ClearSamples(frames.data(), r.frames);
    RecipeUse use{0, 0};
    ASSERT_TRUE(RunRecipe(r, frames.data(), &e, &use)) << slot << ": " << e.message;
    EXPECT_LE(use.work, RecipeMaxWork / 10) << slot;
    most = std::max(most, use.work);
  }
  printf("the most work of a built-in recipe: %lld, %.4f of the budget\n", static_cast<long long>(most),
         static_cast<double>(most) / RecipeMaxWork);
}

TEST(BuiltinRecipes, TheExamplesOfTheLanguageGuideRun) {
  FILE* f = fopen(ZORTA_SOURCE_DIR "/docs/RECIPES.md", "rb");
  ASSERT_NE(f, nullptr);
  std::string doc;
  char chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) doc.append(chunk, n);
  fclose(f);
  int examples = 0;
  for (size_t at = doc.find("```\n"); at != std::string::npos;) {
    size_t end = doc.find("```", at + 4);
    ASSERT_NE(end, std::string::npos);
    std::string block = doc.substr(at + 4, end - at - 4);
    if (block.find("frames ") != std::string::npos) {
      Samples frames = Render(block);
      EXPECT_FALSE(frames.empty()) << block;
      examples++;
    }
    at = doc.find("```\n", end + 3);
  }
  EXPECT_GE(examples, 5);
}
