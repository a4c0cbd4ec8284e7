// zorta-tool recipe, check and render: the sound recipes as text. recipe
// prints a built-in one to start from, check finds the mistakes in files,
// render writes them as audio through the same writers as export.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "bank_access.h"
#include "output_file.h"
#include "sfx/builtin_recipes.h"
#include "sound_files.h"
#include "tool.h"

namespace zorta {

namespace {
// --seed N, or -1 for the recipe's own seed line (seed 0 without one).
bool ParseSeed(const std::string& text, long* seed) {
  *seed = -1;
  return text.empty() || ParseNumber(text, seed);
}

// ---- recipe SLOT
std::string SlotOption;

int RunRecipeCommand() {
  long slot = -1;
  if (SlotOption.empty()) return ToolUsageError("recipe", "no slot given (for example: zorta-tool recipe 10)");
  if (!ParseNumber(SlotOption, &slot) || slot >= BuiltinRecipeCount)
    return ToolError("recipe", "no built-in recipe '%s' (slots 0 to %d)", SlotOption.c_str(), BuiltinRecipeCount - 1);
  fputs(BuiltinRecipeWithSeed(static_cast<int>(slot)).c_str(), stdout);
  return 0;
}

// ---- check FILE...
std::vector<std::string> CheckFiles;

int RunCheck() {
  if (CheckFiles.empty()) return ToolUsageError("check", "no file given (for example: zorta-tool check laser.txt)");
  int bad = 0;
  for (const std::string& path : CheckFiles) {
    std::vector<int16_t> frames;
    int volume = 0;
    std::string error;
    int rate = BankRate;
    if (!RenderRecipeFile(path, -1, &frames, &volume, &error, &rate)) {
      RecipeFileError("check", error);
      bad++;
      continue;
    }
    printf("%s: ok (%zu frames, %.1f ms, volume %d)\n", path.c_str(), frames.size(), frames.size() * 1000.0 / rate,
           volume);
  }
  return bad == 0 ? 0 : 1;
}

// ---- render FILE... OUTDIR
std::vector<std::string> RenderArgs;
std::string RenderFormat = "wav";
std::string RenderRate;
std::string RenderSeed;

// A C identifier made of the file's base name: "my laser" -> "my_laser".
std::string Identifier(const std::string& name, bool upper) {
  std::string id;
  for (char c : name) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    char d = ok ? c : '_';
    if (upper && d >= 'a' && d <= 'z') d = static_cast<char>(d - 'a' + 'A');
    if (!upper && d >= 'A' && d <= 'Z') d = static_cast<char>(d - 'A' + 'a');
    id += d;
  }
  return id;
}

int RunRender() {
  const char* name = "render";
  SoundFormat format = Wav;
  const char* ext = nullptr;
  long rate = BankRate;
  std::string error;
  if (!ParseSoundOutput(RenderFormat, RenderRate, &format, &ext, &rate, &error))
    return ToolError(name, "%s", error.c_str());
  long seed = -1;
  if (!ParseSeed(RenderSeed, &seed)) return ToolError(name, "bad seed '%s' (a whole number)", RenderSeed.c_str());
  if (RenderArgs.size() < 2)
    return ToolUsageError(name, "give the recipe files and then the output folder (see zorta-tool render --help)");
  std::string outdir = RenderArgs.back();
  std::vector<std::string> files(RenderArgs.begin(), RenderArgs.end() - 1);
  std::vector<std::string> paths;
  for (const std::string& file : files) paths.push_back(outdir + "/" + RecipeBaseName(file) + "." + ext);
  if (!OutputsAreDistinct(files, paths, files, &error)) return ToolError(name, "%s", error.c_str());

  // Every file is checked before anything is written.
  std::vector<std::vector<int16_t>> sounds(files.size());
  std::vector<int> rates(files.size(), BankRate);
  int bad = 0;
  for (size_t i = 0; i < files.size(); i++) {
    std::string problem;
    if (!RenderRecipeFile(files[i], seed, &sounds[i], nullptr, &problem, &rates[i])) {
      RecipeFileError(name, problem);
      bad++;
    }
  }
  if (bad) return 1;
  if (!MakeFolder(outdir, &error)) return ToolError(name, "%s", error.c_str());
  for (size_t i = 0; i < files.size(); i++) {
    std::string base = RecipeBaseName(files[i]);
    const std::string& path = paths[i];
    HeaderNames names{"Zorta sound " + base, "SOUND_" + Identifier(base, true), "sound_" + Identifier(base, false),
                      name};
    // Without --rate each file keeps its recipe's own rate.
    int to = RenderRate.empty() ? rates[i] : static_cast<int>(rate);
    if (!WriteSound(path, format, to, &sounds[i], names, &error, rates[i])) return ToolError(name, "%s", error.c_str());
    printf("wrote %s (%zu frames, %d Hz)\n", path.c_str(), sounds[i].size(), to);
  }
  return 0;
}

void SetUp(CLI::App* tool) {
  CLI::App* recipe = AddToolCommand(tool, "recipe", "recipe SLOT",
                                    "print a built-in recipe's text, with the seed line that gives its very noise, to "
                                    "start a sound of your own from",
                                    RunRecipeCommand);
  recipe->add_option("SLOT", SlotOption, "a built-in slot, 0 to 88")->type_name("");

  CLI::App* check = AddToolCommand(tool, "check", "check FILE...",
                                   "check recipe files; errors as file:line:column: message, exit 1 on any", RunCheck);
  check->add_option("FILE", CheckFiles, "recipe files")->type_name("");

  CLI::App* render =
      AddToolCommand(tool, "render", "render [--format wav|flac|ogg|raw|h] [--rate HZ] [--seed N] FILE... OUTDIR",
                     "write recipe files as audio, one file each named after the recipe (laser.txt -> laser.wav)",
                     RunRender);
  render->add_option("--format", RenderFormat, "wav, flac, ogg, raw or h, as for export; default wav")->type_name("FORMAT");
  render->add_option("--rate", RenderRate, "sample rate in Hz, 1000 to 384000 (default: the recipe's own, "
                                       "44100 for synth statements alone, else the bank's 22050)")
      ->type_name("HZ");
  render->add_option("--seed", RenderSeed,
                     "seed of the noise generator, in place of the recipes' seed lines (default: a recipe's own, "
                     "else 0 as at a normal start of the program)")
      ->type_name("N");
  render->add_option("FILE", RenderArgs, "recipe files, then OUTDIR, the folder for the audio files (made if missing)")
      ->type_name("");
}

ToolRegistration registration(SetUp);
}  // namespace

}  // namespace zorta
