// zorta-tool export: writes the synthesised bank as audio files, one per
// filled slot. The samples come from the program's own bank code, read back
// from the sound layer exactly as the program would play them.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bank_access.h"
#include "platform/sound.h"
#include "sfx/sound_bank.h"
#include "sound_files.h"
#include "tool.h"

namespace zorta {

namespace {
const char* const Name = "export";

// The command line, filled by CLI11 before RunExport runs.
std::string FormatOption = "wav";
std::string RateOption;
BankOutputOptions Output;

int RunExport() {
  SoundFormat format = Wav;
  const char* ext = nullptr;
  long rate = BankRate;
  std::string error;
  if (!ParseSoundOutput(FormatOption, RateOption, &format, &ext, &rate, &error))
    return ToolError(Name, "%s", error.c_str());
  const std::string& outdir = Output.outdir;
  if (outdir.empty()) return ToolUsageError(Name, "no output folder given (see zorta-tool export --help)");

  std::vector<bool> chosen;
  if (!PrepareBankOutput(Output.slotList, outdir, &chosen, &error)) return ToolError(Name, "%s", error.c_str());

  int files = 0;
  int rc = 0;
  for (int s = 0; s < SoundBankSlots && rc == 0; s++) {
    if (!chosen[s]) continue;
    std::vector<int16_t> frames = SlotFrames(s);
    char file[32], id[16];
    snprintf(file, sizeof file, "slot-%02d.%s", s, ext);
    snprintf(id, sizeof id, "%02d", s);
    std::string path = outdir + "/" + file;
    HeaderNames names{"Zorta sound bank, slot " + std::to_string(s), std::string("SLOT_") + id,
                      std::string("slot_") + id, Name};
    if (!WriteSound(path, format, static_cast<int>(rate), &frames, names, &error)) {
      rc = error.rfind("resampling", 0) == 0 ? ToolError(Name, "slot %d: %s", s, error.c_str())
                                             : ToolError(Name, "%s", error.c_str());
      break;
    }
    printf("wrote %s (%zu frames, %ld Hz)\n", path.c_str(), frames.size(), rate);
    files++;
  }
  FreeSoundBank();
  if (rc == 0) printf("exported %d slot%s to %s\n", files, files == 1 ? "" : "s", outdir.c_str());
  return rc;
}

void SetUp(CLI::App* tool) {
  CLI::App* command =
      AddToolCommand(tool, Name, "export [--format wav|flac|ogg|raw|h] [--rate HZ] [--slots LIST] OUTDIR",
                     "write the bank as one file per filled slot (slot-NN.wav: 16-bit mono, 22050 Hz);"
                     " LIST like 0-9,33",
                     RunExport);
  command->add_option("--format", FormatOption,
                      "wav or flac (16-bit), ogg (Vorbis), raw (bare little-endian 16-bit samples) or h "
                      "(a C/C++ header per slot); default wav")
      ->type_name("FORMAT");
  command->add_option("--rate", RateOption, "sample rate in Hz, 1000 to 384000, resampled with libsamplerate "
                                            "(default: the bank's 22050)")
      ->type_name("HZ");
  AddBankOutputOptions(command, &Output);
}

ToolRegistration registration(SetUp);
}  // namespace

}  // namespace zorta
