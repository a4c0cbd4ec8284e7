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
#include "sfx/sound_bank.h"
#include "tool.h"

namespace {
const char* const Name = "play";
// Time for the mixer's last buffers to reach the device before output closes,
// so the end of the last sound is not cut off.
const uint32_t DrainMs = 150;

// The command line, filled by CLI11 before RunPlay runs.
std::vector<std::string> SlotOptions;

int RunPlay() {
  std::vector<int> slots;
  std::string error;
  for (const std::string& arg : SlotOptions) {
    std::vector<int> some;
    if (!ParseSlotSequence(arg, &some, &error)) return ToolError(Name, "%s", error.c_str());
    slots.insert(slots.end(), some.begin(), some.end());
  }
  if (slots.empty()) return ToolUsageError(Name, "no slot given (for example: zorta-tool play 0 5 81)");
  for (int s : slots)
    if (s >= SoundBankEffects)
      return ToolError(Name, "slot %d holds no effect (filled slots are 0 to %d)", s, SoundBankEffects - 1);

  // The same opening as the program's start-up, but without its log file.
  if (!FSOUND_Init(44100, 64, 0)) {
    const char* driver = getenv("SDL_AUDIODRIVER");
    return ToolError(Name, "no audio device could be opened%s%s%s; nothing was played", driver ? " (SDL_AUDIODRIVER=" : "",
                     driver ? driver : "", driver ? ")" : "");
  }
  SoundReady = -1;
  FillBankAsProgram();

  int rc = 0;
  for (int s : slots) {
    int frames = FSOUND_Sample_GetLength(SoundBank[s]);
    double ms = frames * 1000.0 / BankRate;
    printf("playing slot %d (%d frames, %.0f ms)\n", s, frames, ms);
    fflush(stdout);
    int channel = FSOUND_PlaySound(FSOUND_FREE, SoundBank[s]);
    if (channel < 0) {
      rc = ToolError(Name, "slot %d could not be started", s);
      break;
    }
    // A device that stops taking data would keep the channel busy forever.
    uint32_t waited = 0, limit = static_cast<uint32_t>(ms) * 4 + 2000;
    while (FSOUND_IsPlaying(channel) && waited < limit) {
      SleepMs(5);
      waited += 5;
    }
    if (waited >= limit) {
      rc = ToolError(Name, "slot %d did not finish playing; the audio device seems stuck", s);
      break;
    }
  }
  if (rc == 0) SleepMs(DrainMs);
  FreeSoundBank();
  return rc;
}

void SetUp(CLI::App* tool) {
  CLI::App* command =
      AddToolCommand(tool, Name, "play SLOT...",
                     "play slots one after the other through the sound device (SLOT: 5 or 3-7)", RunPlay);
  command->add_option("SLOT", SlotOptions, "a slot (5), a range (3-7) or a list (0,5,9); played in the order given")
      ->type_name("");
}

ToolRegistration registration(SetUp);
}  // namespace
