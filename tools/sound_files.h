// What export and render share: the audio formats and their writers, and
// reading a recipe file into frames.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "bank_access.h"
#include "zorta/sfx.h"

namespace zorta {

enum SoundFormat { Wav, Flac, Ogg, Raw, Header };
// "wav" -> Wav and its file extension; false for a name it does not know.
bool ParseSoundFormat(const std::string& name, SoundFormat* format, const char** ext);
// --rate: empty for the bank's own rate, else 1000 to 384000.
bool ParseSoundRate(const std::string& text, long* rate);
// --format and --rate of the commands that write sounds, together; false
// with the message for the first that is wrong.
bool ParseSoundOutput(const std::string& formatText, const std::string& rateText, SoundFormat* format,
                      const char** ext, long* rate, std::string* error);

// The names a C/C++ header is written under: "Zorta sound bank, slot 10",
// macros ZORTA_<upper>_..., array zorta_<lower>, and the command that wrote it.
struct HeaderNames {
  std::string what;
  std::string upper;
  std::string lower;
  std::string command;
};
// Writes frames made at `from` (the bank's rate unless said) as `format` at
// `rate`, resampling them in place with libsamplerate when the rates differ.
// False, with the reason, on failure.
bool WriteSound(const std::string& path, SoundFormat format, int rate, std::vector<int16_t>* frames,
                const HeaderNames& names, std::string* error, int from = BankRate);

// Reads at most `limit` bytes of a file, plus one to tell a longer file.
// False on failure, with errno's value in *code (0 for a failed read).
bool ReadFileAtMost(const std::string& path, size_t limit, std::string* data, int* code);
// Reads a recipe file (at most the language's size limit, plus one byte to
// tell a longer file). False with "cannot read ..." on failure.
bool ReadRecipeFile(const std::string& path, std::string* text, std::string* error);
// The first synth statement of a recipe file, as ReadSynthRecipe reads it.
// False with "cannot read ...", "file:line:column: message", or "file:
// message" when the message has no place.
bool ReadSynthRecipeFile(const std::string& path, SynthSettings* settings, int* volume, std::string* error);
// Reads, compiles and runs a recipe with its noise from the random generator
// seeded with `seed`, or for -1 as the recipe's seed line says (seed 0 without
// one, as at a normal start); on failure error is "path:line:column: message".
// With `rate` the frames are at the recipe's own rate, written there (44100
// for a recipe of synth statements only); without, at the bank's.
bool RenderRecipeFile(const std::string& path, long seed, std::vector<int16_t>* frames, int* volume,
                      std::string* error, int* rate = nullptr);
// "Sounds/laser.txt" -> "laser".
std::string RecipeBaseName(const std::string& path);

}  // namespace zorta
