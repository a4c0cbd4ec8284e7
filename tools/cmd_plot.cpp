// zorta-tool plot: a picture of each slot (waveform over spectrogram) and a
// contact sheet of the whole bank, from the program's own recipe code.
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "bank_access.h"
#include "output_file.h"
#include "plot.h"
#include "sound_files.h"
#include "sfx/sound_bank.h"
#include "tool.h"

namespace zorta {

namespace {
const char* const Name = "plot";

// "800x480" -> 800, 480.
bool ParseSize(const std::string& text, int* width, int* height) {
  size_t x = text.find('x');
  long w = 0, h = 0;
  if (x == std::string::npos || !ParseNumber(text.substr(0, x), &w) || !ParseNumber(text.substr(x + 1), &h))
    return false;
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

std::string SlotPicturePath(const std::string& outdir, int slot) {
  char file[32];
  snprintf(file, sizeof file, "slot-%02d.png", slot);
  return outdir + "/" + file;
}

// The command line, filled by CLI11 before RunPlot runs. The positionals all
// land in Files; the last one is the output folder.
std::string SizeOption;
std::string SeedOption;
std::vector<std::string> Files;
BankOutputOptions Output;

int RunPlot() {
  int width = PlotDefaultWidth, height = PlotDefaultHeight;
  if (!SizeOption.empty() &&
      (!ParseSize(SizeOption, &width, &height) || width < PlotMinWidth || height < PlotMinHeight ||
       width > PlotMaxSide || height > PlotMaxSide))
    return ToolError(Name, "bad size '%s' (WIDTHxHEIGHT in pixels, from %dx%d to %dx%d)", SizeOption.c_str(),
                     PlotMinWidth, PlotMinHeight, PlotMaxSide, PlotMaxSide);
  if (Output.outdir.empty() && !Files.empty()) {
    Output.outdir = Files.back();
    Files.pop_back();
  }
  const std::string& outdir = Output.outdir;
  if (outdir.empty()) return ToolUsageError(Name, "no output folder given (see zorta-tool plot --help)");
  long seed = -1;
  if (!SeedOption.empty() && !ParseNumber(SeedOption, &seed))
    return ToolError(Name, "bad seed '%s' (a whole number)", SeedOption.c_str());

  // Recipe files: each drawn as <name>.png. Everything on the command line
  // is checked before anything is drawn or written.
  std::string error;
  std::vector<std::string> paths;
  for (const std::string& file : Files) paths.push_back(outdir + "/" + RecipeBaseName(file) + ".png");
  // Only recipe files named: the bank is left out. Drawn beside them, its
  // pictures must not take a recipe's name.
  bool bank = Files.empty() || !Output.slotList.empty();
  std::vector<std::string> sources = Files, outputs = paths;
  std::vector<bool> named;
  if (bank && !Output.slotList.empty() && !ParseSlots(Output.slotList, &named, &error))
    return ToolError(Name, "%s", error.c_str());
  for (int s = 0; bank && s < SoundBankSlots; s++)
    if (Output.slotList.empty() ? s < SoundBankEffects : named[s]) {
      sources.push_back("slot " + std::to_string(s));
      outputs.push_back(SlotPicturePath(outdir, s));
    }
  if (bank) sources.push_back("the contact sheet"), outputs.push_back(outdir + "/bank.png");
  if (!OutputsAreDistinct(sources, outputs, Files, &error)) return ToolError(Name, "%s", error.c_str());
  std::vector<std::vector<int16_t>> sounds(Files.size());
  std::vector<int> rates(Files.size(), BankRate);
  for (size_t i = 0; i < Files.size(); i++)
    if (!RenderRecipeFile(Files[i], seed, &sounds[i], nullptr, &error, &rates[i]))
      return RecipeFileError(Name, error);
  std::vector<bool> chosen;
  std::vector<std::vector<int16_t>> waves(SoundBankEffects);
  if (bank) {
    if (!PrepareBankOutput(Output.slotList, outdir, &chosen, &error)) return ToolError(Name, "%s", error.c_str());
    for (int s = 0; s < SoundBankEffects; s++) waves[s] = SlotFrames(s);
    FreeSoundBank();
  } else if (!MakeFolder(outdir, &error)) {
    return ToolError(Name, "%s", error.c_str());
  }
  int files = 0;
  for (size_t i = 0; i < Files.size(); i++) {
    if (!WriteSoundPlot(RecipeBaseName(Files[i]), sounds[i], rates[i], width, height, paths[i], &error))
      return ToolError(Name, "%s", error.c_str());
    printf("wrote %s (%dx%d)\n", paths[i].c_str(), width, height);
    files++;
  }
  if (!bank) {
    printf("plotted %d recipe%s to %s\n", files, files == 1 ? "" : "s", outdir.c_str());
    return 0;
  }

  for (int s = 0; s < SoundBankSlots; s++) {
    if (!chosen[s]) continue;
    std::string path = SlotPicturePath(outdir, s);
    if (!WriteSlotPlot(s, waves[s], BankRate, width, height, path, &error)) return ToolError(Name, "%s", error.c_str());
    printf("wrote %s (%dx%d)\n", path.c_str(), width, height);
    files++;
  }
  std::string sheet = outdir + "/bank.png";
  if (!WriteBankSheet(waves, BankRate, sheet, &error)) return ToolError(Name, "%s", error.c_str());
  printf("wrote %s (all %d slots)\n", sheet.c_str(), SoundBankEffects);
  printf("plotted %d slot%s to %s\n", files, files == 1 ? "" : "s", outdir.c_str());
  return 0;
}

void SetUp(CLI::App* tool) {
  CLI::App* command = AddToolCommand(tool, Name,
                                     "plot [--slots LIST] [--size WxH] OUTDIR\n"
                                     "  zorta-tool plot [--size WxH] [--seed N] FILE... OUTDIR",
                                     "draw each slot's waveform and spectrogram (slot-NN.png) and a contact sheet"
                                     " (bank.png); LIST like 0-9,33; or recipe files (FILE.png)",
                                     RunPlot);
  command->add_option("FILE", Files, "recipe files to draw as NAME.png instead of the bank (with --slots: as well)")
      ->type_name("");
  AddBankOutputOptions(command, &Output);
  command
      ->add_option("--seed", SeedOption,
                   "seed of the recipe files' noise, in place of their seed lines (default: a file's own, else 0 as "
                   "at a normal start)")
      ->type_name("N");
  char help[96];
  snprintf(help, sizeof help, "size of each slot's picture in pixels, %dx%d to %dx%d (default %dx%d)", PlotMinWidth,
           PlotMinHeight, PlotMaxSide, PlotMaxSide, PlotDefaultWidth, PlotDefaultHeight);
  command->add_option("--size", SizeOption, help)->type_name("WxH");
}

ToolRegistration registration(SetUp);
}  // namespace

}  // namespace zorta
