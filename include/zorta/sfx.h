// The bank of synthesised sound effects, as a program plays them, and the
// 8-bit synth voice's parameters with the generators that make new sounds of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "zorta/base.h"

namespace zorta {

/// Slots of the SoundBank, numbered 0 to 499.
const int SoundBankSlots = 500;
/// Slots 0 to 88 hold the built-in effects; the rest are empty or the user's sounds.
const int SoundBankEffects = 89;

/// Plays a slot of the bank (0..499) on a free channel; nothing for an empty slot or one out of range.
void PlayBankSound(int slot);

/// The waves of the 8-bit synth voice (the sfxr family's, in their order).
enum SynthWave : uint8_t {
  SynthSquare,    // square, its duty set by the duty parameter
  SynthSawtooth,  // sawtooth ("saw" in a recipe)
  SynthSine,      // sine
  SynthNoise,     // noise from the program's random generator
  SynthTriangle,  // triangle
};

/// The voice's parameters in the tools' order: slots of SynthSettings::value.
enum SynthParam : uint8_t {
  SynthAttack,         // envelope attack
  SynthSustain,        // envelope sustain
  SynthPunch,          // sustain punch
  SynthDecay,          // envelope decay
  SynthFreq,           // start frequency
  SynthLimit,          // minimum frequency, where the voice stops (0: none)
  SynthSlide,          // frequency slide
  SynthDeltaSlide,     // the slide's own slide
  SynthVibrato,        // vibrato depth
  SynthVibratoSpeed,   // vibrato speed
  SynthArp,            // the pitch's one jump (change amount)
  SynthArpSpeed,       // how soon it jumps
  SynthDuty,           // square duty
  SynthDutySweep,      // duty sweep
  SynthRepeat,         // repeat speed (0: never)
  SynthPhaser,         // phaser offset
  SynthPhaserSweep,    // phaser sweep
  SynthLowPass,        // low-pass cut-off (1: off)
  SynthLowPassSweep,   // low-pass cut-off sweep
  SynthResonance,      // low-pass resonance
  SynthHighPass,       // high-pass cut-off
  SynthHighPassSweep,  // high-pass cut-off sweep
  SynthVolume,         // the voice's volume
  SynthParamCount      // how many there are
};

/// A parameter's name in a recipe, its range and its default.
struct SynthParamInfo {
  const char* name;  // as written in a recipe ("freq")
  double low;        // the lowest value the tools allow
  double high;       // the highest
  double fallback;   // the tools' default
};
/// Every parameter's name, range and default, by SynthParam slot.
extern const SynthParamInfo SynthParams[SynthParamCount];
/// The slot of a parameter's name, -1 for none.
int SynthParamIndex(const char* name);
/// The wave of a name (square, saw or sawtooth, sine, noise, triangle), -1 for none.
int SynthWaveIndex(const char* name);

/// One sound of the voice: its wave and every parameter.
struct SynthSettings {
  int wave;                         // a SynthWave
  double value[SynthParamCount];    // by SynthParam, each within its range
};
/// The tools' defaults: a square at 0.3, sustain 0.3, decay 0.4, volume 0.5.
SynthSettings DefaultSynthSettings();

/// The kinds of sound the generators make, as the tools' buttons name them.
enum SynthKind : uint8_t {
  SynthPickup,     // a coin picked up: a bright saw with a punch, often a jump up
  SynthLaser,      // a shot: a falling tone
  SynthExplosion,  // falling noise with a punch, sometimes repeated
  SynthPowerup,    // a rising tone, repeated or wobbling
  SynthHit,        // a short falling burst
  SynthJump,       // a short rising square
  SynthBlip,       // a menu blip: a short plain tone
  SynthRandom,     // any parameter anywhere
  SynthTone,       // a plain 440 Hz sine of one second, whatever the seed
  SynthClick,      // a very short high burst
  SynthDefaults,   // the voice's defaults, whatever the seed
  SynthKindCount   // how many there are
};
/// The kinds' names on zorta-tool's command line ("pickup", ..., "synth").
extern const char* const SynthKindNames[SynthKindCount];
/// The kind of a name, -1 for none.
int SynthKindIndex(const char* name);

/// A new sound of a kind. The same kind and seed give the same values on every
/// system and build: each is a whole number of ten-thousandths.
SynthSettings GenerateSynth(int kind, uint32_t seed);
/// The sound nudged: each parameter that is not locked (locked[slot] true; the
/// array may be null) moves, with an even chance, by up to `amount` (0 to 1)
/// of its own units, in ten-thousandths, kept within its range. Amount 0
/// changes nothing; the wave, the minimum frequency and the volume stay.
SynthSettings MutateSynth(const SynthSettings& from, uint32_t seed, double amount, const bool* locked);

/// A recipe that plays the sound once: the header (frames, volume 0 to 255, and
/// "seed 0" for noise so it sounds the same everywhere), "# comment" when the
/// comment is not empty, and the synth statement with the parameters that
/// differ from their defaults, each written to read back as the same number.
std::string SynthRecipeText(const SynthSettings& settings, int volume, const char* comment);
/// The first synth statement of a recipe's text, back as settings, with the
/// recipe's volume. Its parameters must be numbers, not names. -1 on success;
/// 0 with "line:column: message" in *error, or the message alone when the
/// recipe has no synth statement.
int ReadSynthRecipe(const char* text, size_t size, SynthSettings* settings, int* volume, std::string* error);

/// The files of the other tools of the synth's family that hold its parameters.
enum SynthFileFormat : uint8_t {
  SynthFileSfs,    // sfxr's binary .sfs, versions 100 to 102 (written as 102)
  SynthFileJsfxr,  // jsfxr's JSON: the object of its parameters
  SynthFileB58,    // jsfxr's base58 share code, bare or at the end of a link after '#'
  SynthFileRfx,    // rFXGen's binary .rfx, version 200
  SynthFileFormatCount  // how many there are
};
/// The formats' names on zorta-tool's command line ("sfs", "jsfxr", "b58", "rfx").
extern const char* const SynthFileFormatNames[SynthFileFormatCount];
/// The format of a name, -1 for none.
int SynthFileFormatIndex(const char* name);
/// The largest such file read, in bytes: every real one is far smaller.
const size_t SynthFileMaxSize = 65536;
/// jsfxr's name of each parameter, by SynthParam slot ("p_env_attack", ..., "sound_vol").
extern const char* const JsfxrParamNames[SynthParamCount];
/// The format a file's content has (its signature, version or shape), -1 for none.
int DetectSynthFile(const char* data, size_t size);
/// A parameter read from another tool's file put into the settings: a value
/// outside the parameter's range is clamped into it, with a line in *notes
/// ("freq 1.5 is outside 0 to 1: 1 taken"); a value that is no finite number
/// is refused (0 with the message in *error). -1 on success.
int SetSynthFileValue(SynthSettings* settings, int slot, double value, std::string* notes, std::string* error);
/// A parameter stored as a 32-bit float back as the number it was written
/// from: the ten-thousandth that rounds (or, as jsfxr does, cuts) to it, else
/// the shortest decimal that reads back as the same float.
double SynthValueFromFloat(float value);
/// Reads an .sfs, .rfx or share code (format from DetectSynthFile; JSON is
/// the tool's). Fields the format lacks keep their defaults. -1 on success; 0
/// with the message ("truncated: 40 of the 105 bytes of a version 102 .sfs").
int ReadSynthFile(const char* data, size_t size, int format, SynthSettings* settings, std::string* notes,
                  std::string* error);
/// Writes an .sfs (version 102), .rfx or share code (without a line end).
/// The triangle, which none of them has, is refused: 0 with the message.
int WriteSynthFile(const SynthSettings& settings, int format, std::string* out, std::string* error);

}  // namespace zorta
