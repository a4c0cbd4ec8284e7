// zorta-tool play: synthesises the bank and plays slots one after the other
// through the program's own sound layer, each to its end.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "bank_access.h"
#include "platform/clock.h"
#include "platform/sound.h"
#include "sfx/sample.h"
#include "sfx/sound_bank.h"
#include "sound_files.h"
#include "tool.h"

namespace zorta {

namespace {
const char* const Name = "play";
// Time for the mixer's last buffers to reach the device before output closes,
// so the end of the last sound is not cut off.
const uint32_t DrainMs = 150;

// The command line, filled by CLI11 before RunPlay runs.
std::vector<std::string> SlotOptions;
std::string SeedOption;

// One thing to play: a bank slot, or a recipe file's sound.
struct Item {
  int slot;  // -1 for a file
  std::string path;
  std::vector<int16_t> frames;
  int volume;
  int rate;
};

bool LooksLikeSlots(const std::string& arg) {
  for (char c : arg)
    if ((c < '0' || c > '9') && c != '-' && c != ',') return false;
  return !arg.empty();
}

int RunPlay() {
  std::vector<Item> items;
  std::string error;
  long seed = -1;
  if (!SeedOption.empty() && !ParseNumber(SeedOption, &seed))
    return ToolError(Name, "bad seed '%s' (a whole number)", SeedOption.c_str());
  for (const std::string& arg : SlotOptions) {
    if (!LooksLikeSlots(arg)) {
      // A recipe file, made now so that a mistake stops before anything plays.
      Item item{-1, arg, {}, 0, BankRate};
      if (!RenderRecipeFile(arg, seed, &item.frames, &item.volume, &error, &item.rate))
        return RecipeFileError(Name, error);
      items.push_back(item);
      continue;
    }
    std::vector<int> some;
    if (!ParseSlotSequence(arg, &some, &error)) return ToolError(Name, "%s", error.c_str());
    for (int s : some) items.push_back({s, "", {}, 0, BankRate});
  }
  if (items.empty()) return ToolUsageError(Name, "no slot given (for example: zorta-tool play 0 5 81)");
  for (const Item& item : items)
    if (item.slot >= SoundBankEffects)
      return ToolError(Name, "slot %d holds no effect (filled slots are 0 to %d)", item.slot, SoundBankEffects - 1);

  // The same opening as the program's start-up, but without its log file.
  if (!FSOUND_Init(44100, 64, 0)) {
    const char* driver = getenv("SDL_AUDIODRIVER");
    return ToolError(Name, "no audio device could be opened%s%s%s; nothing was played", driver ? " (SDL_AUDIODRIVER=" : "",
                     driver ? driver : "", driver ? ")" : "");
  }
  SoundReady = -1;
  FillBankAsProgram();

  int rc = 0;
  for (const Item& item : items) {
    SampleHandle sample = item.slot >= 0 ? SoundBank[item.slot]
                                         : SampleFromFrames(item.frames.data(), static_cast<int>(item.frames.size()),
                                                            item.volume, item.rate);
    int frames = FSOUND_Sample_GetLength(sample);
    double ms = frames * 1000.0 / item.rate;
    if (item.slot >= 0)
      printf("playing slot %d (%d frames, %.0f ms)\n", item.slot, frames, ms);
    else
      printf("playing %s (%d frames, %.0f ms)\n", item.path.c_str(), frames, ms);
    fflush(stdout);
    int channel = FSOUND_PlaySound(FSOUND_FREE, sample);
    if (channel < 0) {
      rc = item.slot >= 0 ? ToolError(Name, "slot %d could not be started", item.slot)
                          : ToolError(Name, "%s could not be started", item.path.c_str());
      break;
    }
    // A device that stops taking data would keep the channel busy forever.
    uint32_t waited = 0, limit = static_cast<uint32_t>(ms) * 4 + 2000;
    while (FSOUND_IsPlaying(channel) && waited < limit) {
      SleepMs(5);
      waited += 5;
    }
    if (waited >= limit) {
      rc = ToolError(Name, "%s did not finish playing; the audio device seems stuck",
                     item.slot >= 0 ? ("slot " + std::to_string(item.slot)).c_str() : item.path.c_str());
      break;
    }
  }
  if (rc == 0) SleepMs(DrainMs);
  FreeSoundBank();
  return rc;
}

void SetUp(CLI::App* tool) {
  CLI::App* command =
      AddToolCommand(tool, Name, "play [--seed N] SLOT|FILE...",
                     "play slots or recipe files one after the other through the sound device (SLOT: 5 or 3-7)",
                     RunPlay);
  command->add_option("SLOT", SlotOptions,
                      "a slot (5), a range (3-7), a list (0,5,9) or a recipe file; played in the order given")
      ->type_name("");
  command
      ->add_option("--seed", SeedOption,
                   "seed of the recipe files' noise, in place of their seed lines (default: a file's own, else 0 as "
                   "at a normal start)")
      ->type_name("N");
}

ToolRegistration registration(SetUp);
}  // namespace

}  // namespace zorta
