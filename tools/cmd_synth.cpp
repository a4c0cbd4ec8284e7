// zorta-tool new and mutate: sounds of the 8-bit synth voice as recipes, new
// ones of a kind from a seed, or a recipe's voice nudged a little.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "bank_access.h"
#include "output_file.h"
#include "sound_files.h"
#include "tool.h"
#include "zorta/sfx.h"

namespace zorta {

namespace {
// The bank plays a new sound at its full volume: the voice's own volume
// parameter sets how loud it is.
const int NewVolume = 255;
const long MaxCount = 10000;

std::string KindList() {
  std::string text;
  for (int i = 0; i < SynthKindCount; i++) text += std::string(i ? ", " : "") + SynthKindNames[i];
  return text;
}
std::string ParamList() {
  std::string text;
  for (int i = 0; i < SynthParamCount; i++) text += std::string(i ? ", " : "") + SynthParams[i].name;
  return text;
}

// --seed N: a whole number, 1 when not given.
bool ParseSeedOption(const char* command, const std::string& text, long* seed, int* rc) {
  *seed = 1;
  if (text.empty() || ParseNumber(text, seed)) return true;
  *rc = ToolError(command, "bad seed '%s' (a whole number from 0 to 999999999)", text.c_str());
  return false;
}

// ---- new KIND [--seed N] [--count K] [OUTDIR]
std::string NewKind, NewSeed, NewCount = "1", NewOutdir;

int RunNew() {
  const char* name = "new";
  if (NewKind.empty()) return ToolUsageError(name, "no kind given (%s)", KindList().c_str());
  int kind = SynthKindIndex(NewKind.c_str());
  if (kind < 0) return ToolError(name, "unknown kind '%s' (%s)", NewKind.c_str(), KindList().c_str());
  long seed = 1, count = 1;
  int rc = 0;
  if (!ParseSeedOption(name, NewSeed, &seed, &rc)) return rc;
  if (!ParseNumber(NewCount, &count) || count < 1 || count > MaxCount)
    return ToolError(name, "bad count '%s' (1 to %ld)", NewCount.c_str(), MaxCount);
  std::string error;
  if (!NewOutdir.empty() && !MakeFolder(NewOutdir, &error)) return ToolError(name, "%s", error.c_str());
  for (long s = seed; s < seed + count; s++) {
    std::string comment = NewKind + ", seed " + std::to_string(s) + " (zorta-tool new)";
    std::string text = SynthRecipeText(GenerateSynth(kind, static_cast<uint32_t>(s)), NewVolume, comment.c_str());
    if (NewOutdir.empty()) {
      // Recipes on the standard output, a blank line between them.
      printf("%s%s", s == seed ? "" : "\n", text.c_str());
      continue;
    }
    std::string path = NewOutdir + "/" + NewKind + "-" + std::to_string(s) + ".txt";
    if (!WriteOutputFile(path, text.data(), text.size(), &error)) return ToolError(name, "%s", error.c_str());
    printf("wrote %s\n", path.c_str());
  }
  return 0;
}

// ---- mutate FILE [--seed N] [--amount A] [--lock PARAM,...] [-o OUT]
std::string MutateFile, MutateSeed, MutateAmount = "0.05", MutateLock, MutateOut;

int RunMutate() {
  const char* name = "mutate";
  if (MutateFile.empty()) return ToolUsageError(name, "no file given (for example: zorta-tool mutate laser.txt)");
  long seed = 1;
  int rc = 0;
  if (!ParseSeedOption(name, MutateSeed, &seed, &rc)) return rc;
  double amount = -1;
  const char* end = MutateAmount.data() + MutateAmount.size();
  std::from_chars_result read = std::from_chars(MutateAmount.data(), end, amount);
  if (read.ec != std::errc() || read.ptr != end || !(amount >= 0 && amount <= 1))
    return ToolError(name, "bad amount '%s' (a number from 0 to 1)", MutateAmount.c_str());
  bool locked[SynthParamCount] = {};
  for (size_t at = 0; !MutateLock.empty() && at <= MutateLock.size();) {
    size_t comma = MutateLock.find(',', at);
    if (comma == std::string::npos) comma = MutateLock.size();
    std::string param = MutateLock.substr(at, comma - at);
    int slot = SynthParamIndex(param.c_str());
    if (slot < 0)
      return ToolError(name, "unknown parameter '%s' in --lock (%s)", param.c_str(), ParamList().c_str());
    locked[slot] = true;
    at = comma + 1;
  }

  std::string error;
  SynthSettings settings;
  int volume = 0;
  if (!ReadSynthRecipeFile(MutateFile, &settings, &volume, &error)) return ToolError(name, "%s", error.c_str());
  std::string comment = RecipeBaseName(MutateFile) + " mutated, seed " + std::to_string(seed) + ", amount " +
                        MutateAmount + " (zorta-tool mutate)";
  std::string out =
      SynthRecipeText(MutateSynth(settings, static_cast<uint32_t>(seed), amount, locked), volume, comment.c_str());
  if (MutateOut.empty()) {
    fputs(out.c_str(), stdout);
    return 0;
  }
  if (!OutputIsNotInput(MutateOut, {MutateFile}, &error) ||
      !WriteOutputFile(MutateOut, out.data(), out.size(), &error))
    return ToolError(name, "%s", error.c_str());
  printf("wrote %s\n", MutateOut.c_str());
  return 0;
}

void SetUp(CLI::App* tool) {
  CLI::App* make = AddToolCommand(tool, "new", "new KIND [--seed N] [--count K] [OUTDIR]",
                                  "make new sounds of the 8-bit synth voice as recipes: KIND is pickup, laser, "
                                  "explosion, powerup, hit, jump, blip, random, tone, click or synth",
                                  RunNew);
  make->add_option("KIND", NewKind, "the kind of sound")->type_name("");
  make->add_option("--seed", NewSeed, "the first seed, 0 to 999999999 (default 1); the same seed, the same sound")
      ->type_name("N");
  make->add_option("--count", NewCount, "how many sounds, from seeds N, N+1, ... (default 1)")->type_name("K");
  make->add_option("OUTDIR", NewOutdir, "the folder for KIND-SEED.txt (made if missing); without it the "
                                        "recipes go to the standard output")
      ->type_name("");

  CLI::App* mutate = AddToolCommand(tool, "mutate", "mutate FILE [--seed N] [--amount A] [--lock PARAM,...] [-o OUT]",
                                    "nudge the first synth statement of a recipe: each parameter, with an even "
                                    "chance, moves by up to A",
                                    RunMutate);
  mutate->add_option("FILE", MutateFile, "a recipe with a synth statement whose parameters are numbers")
      ->type_name("");
  mutate->add_option("--seed", MutateSeed, "0 to 999999999 (default 1); the same seed, the same changes")
      ->type_name("N");
  mutate->add_option("--amount", MutateAmount, "the largest change, 0 to 1 (default 0.05, the tools' nudge)")
      ->type_name("A");
  mutate->add_option("--lock", MutateLock, "parameters that must not change, such as freq,duty")
      ->type_name("PARAM,...");
  mutate->add_option("-o", MutateOut, "the file to write (default: the standard output)")->type_name("OUT");
}

ToolRegistration registration(SetUp);
}  // namespace

}  // namespace zorta
