// The synth voice in the other tools' files: the pinned .sfs and .rfx files
// field by field against the tools' layouts, every kind through every format
// and back to the same recipe, older .sfs versions, clamping, and damaged
// input refused with its reason.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "synth_params.h"
#include "test_util.h"
#include "zorta/sfx.h"

using namespace zorta;

namespace {
const std::string Data = std::string(ZORTA_SOURCE_DIR) + "/tests/unit/tools/data/params/";

uint32_t U32At(const std::string& b, size_t at) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(b.data()) + at;
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
float FloatAt(const std::string& b, size_t at) {
  uint32_t bits = U32At(b, at);
  float f;
  memcpy(&f, &bits, 4);
  return f;
}
void PutFloat(std::string* b, size_t at, float f) { memcpy(&(*b)[at], &f, 4); }

std::string Export(const SynthSettings& s, int format) {
  std::string out, error;
  if (format == SynthFileJsfxr) return JsfxrJsonText(s);
  EXPECT_TRUE(WriteSynthFile(s, format, &out, &error)) << error;
  return out;
}

// Reads with the format told from the content, which must be `format`.
SynthSettings Import(const std::string& data, int format, std::string* notes = nullptr) {
  SynthSettings s;
  int found = -1;
  std::string error, ignored;
  EXPECT_TRUE(ReadSynthParams(data.data(), data.size(), &s, &found, notes ? notes : &ignored, &error)) << error;
  EXPECT_EQ(found, format);
  return s;
}

// The message a damaged input is refused with.
std::string Refusal(const std::string& data) {
  SynthSettings s;
  int format = -1;
  std::string notes, error;
  EXPECT_FALSE(ReadSynthParams(data.data(), data.size(), &s, &format, &notes, &error)) << "accepted";
  return error;
}

std::string Text(const SynthSettings& s) { return SynthRecipeText(s, 255, ""); }

// sfxr's .sfs as its loader reads it: offset and parameter of every float
// (-1: the vibrato delay it never plays), the filter switch a single byte at 64.
struct Field {
  size_t at;
  int slot;
};
const Field SfsLayout[] = {
    {8, SynthVolume},     {12, SynthFreq},     {16, SynthLimit},        {20, SynthSlide},        {24, SynthDeltaSlide},
    {28, SynthDuty},      {32, SynthDutySweep}, {36, SynthVibrato},     {40, SynthVibratoSpeed}, {44, -1},
    {48, SynthAttack},    {52, SynthSustain},  {56, SynthDecay},        {60, SynthPunch},        {65, SynthResonance},
    {69, SynthLowPass},   {73, SynthLowPassSweep}, {77, SynthHighPass}, {81, SynthHighPassSweep}, {85, SynthPhaser},
    {89, SynthPhaserSweep}, {93, SynthRepeat}, {97, SynthArpSpeed},     {101, SynthArp},
};
// rFXGen's WaveParams after its 8-byte header: seed, wave, then these floats.
const Field RfxLayout[] = {
    {16, SynthAttack},  {20, SynthSustain},     {24, SynthPunch},      {28, SynthDecay},      {32, SynthFreq},
    {36, SynthLimit},   {40, SynthSlide},       {44, SynthDeltaSlide}, {48, SynthVibrato},    {52, SynthVibratoSpeed},
    {56, SynthArp},     {60, SynthArpSpeed},    {64, SynthDuty},       {68, SynthDutySweep},  {72, SynthRepeat},
    {76, SynthPhaser},  {80, SynthPhaserSweep}, {84, SynthLowPass},    {88, SynthLowPassSweep}, {92, SynthResonance},
    {96, SynthHighPass}, {100, SynthHighPassSweep},
};
}  // namespace

TEST(SynthParams, PinnedSfsFilesHoldEachFieldWhereSfxrReadsIt) {
  for (const char* name : {"random-1", "explosion-2"}) {
    SynthSettings s = GenerateSynth(SynthKindIndex(std::string(name).substr(0, std::string(name).find('-')).c_str()),
                                    static_cast<uint32_t>(name[strlen(name) - 1] - '0'));
    std::string file = ReadWholeFile(Data + name + ".sfs");
    ASSERT_EQ(file.size(), 105u) << name;
    EXPECT_EQ(Export(s, SynthFileSfs), file) << name;
    EXPECT_EQ(U32At(file, 0), 102u);
    EXPECT_EQ(U32At(file, 4), static_cast<uint32_t>(s.wave));
    EXPECT_EQ(file[64], 0) << "the filter switch";
    for (const Field& f : SfsLayout)
      EXPECT_EQ(FloatAt(file, f.at), f.slot < 0 ? 0.0f : static_cast<float>(s.value[f.slot])) << name << " at " << f.at;
    EXPECT_EQ(Text(Import(file, SynthFileSfs)), Text(s)) << name;
  }
}

TEST(SynthParams, PinnedRfxFilesHoldEachFieldWhereRfxgenReadsIt) {
  for (const char* name : {"random-1", "laser-2"}) {
    SynthSettings s = GenerateSynth(SynthKindIndex(std::string(name).substr(0, std::string(name).find('-')).c_str()),
                                    static_cast<uint32_t>(name[strlen(name) - 1] - '0'));
    std::string file = ReadWholeFile(Data + name + ".rfx");
    ASSERT_EQ(file.size(), 104u) << name;
    EXPECT_EQ(Export(s, SynthFileRfx), file) << name;
    EXPECT_EQ(file.substr(0, 4), "rFX ");
    EXPECT_EQ(U32At(file, 4), 200u | 96u << 16) << "version 200, then 96 bytes of parameters";
    EXPECT_EQ(U32At(file, 8), 0u) << "the seed";
    EXPECT_EQ(U32At(file, 12), static_cast<uint32_t>(s.wave));
    for (const Field& f : RfxLayout)
      EXPECT_EQ(FloatAt(file, f.at), static_cast<float>(s.value[f.slot])) << name << " at " << f.at;
    EXPECT_EQ(Text(Import(file, SynthFileRfx)), Text(s)) << name;
  }
}

TEST(SynthParams, EveryKindComesBackAsTheSameRecipeFromEveryFormat) {
  for (int kind = 0; kind < SynthKindCount; kind++)
    for (uint32_t seed = 1; seed <= 8; seed++) {
      SynthSettings s = GenerateSynth(kind, seed);
      for (int format = 0; format < SynthFileFormatCount; format++) {
        std::string out = Export(s, format);
        EXPECT_EQ(Text(Import(out, format)), Text(s))
            << SynthKindNames[kind] << " " << seed << " as " << SynthFileFormatNames[format] << ": " << out;
      }
    }
  // A code in a link, with the line end a file has.
  SynthSettings laser = GenerateSynth(SynthLaser, 3);
  EXPECT_EQ(Text(Import("https://sfxr.me/#" + Export(laser, SynthFileB58) + "\n", SynthFileB58)), Text(laser));
}

TEST(SynthParams, NumbersOffTheGridAndJsfxrsCutFloatsReadAsMeant) {
  EXPECT_EQ(SynthValueFromFloat(0.3f), 0.3);
  EXPECT_EQ(SynthValueFromFloat(std::nextafter(0.3f, 0.0f)), 0.3) << "jsfxr cuts rather than rounds";
  EXPECT_EQ(SynthValueFromFloat(-0.1234f), -0.1234);
  EXPECT_EQ(SynthValueFromFloat(0.123456f), 0.123456);
  EXPECT_EQ(SynthValueFromFloat(1.0f / 3), 0.33333334);
  // JSON keeps a double as it is.
  SynthSettings s = DefaultSynthSettings();
  s.value[SynthFreq] = 0.41234567891234;
  EXPECT_EQ(Import(JsfxrJsonText(s), SynthFileJsfxr).value[SynthFreq], 0.41234567891234);
}

TEST(SynthParams, OlderSfsVersionsKeepTheDefaultsOfWhatTheyLack) {
  SynthSettings s = GenerateSynth(SynthRandom, 4);
  std::string v102 = Export(s, SynthFileSfs);
  // 101 drops the volume; 100 also the delta slide and the arpeggio.
  std::string v101 = v102.substr(0, 8) + v102.substr(12);
  v101[0] = 101;
  std::string v100 = v101.substr(0, 20) + v101.substr(24, 93 - 24);
  v100[0] = 100;
  SynthSettings want = s;
  want.value[SynthVolume] = 0.5;
  EXPECT_EQ(Text(Import(v101, SynthFileSfs)), Text(want));
  want.value[SynthDeltaSlide] = want.value[SynthArp] = want.value[SynthArpSpeed] = 0;
  EXPECT_EQ(Text(Import(v100, SynthFileSfs)), Text(want));
}

TEST(SynthParams, ValuesOutsideTheirRangesAreClampedWithANote) {
  SynthSettings s = DefaultSynthSettings();
  std::string file = Export(s, SynthFileSfs), notes;
  PutFloat(&file, 12, 1.5f);   // the frequency
  PutFloat(&file, 20, -3.0f);  // the slide
  SynthSettings got = Import(file, SynthFileSfs, &notes);
  EXPECT_EQ(got.value[SynthFreq], 1);
  EXPECT_EQ(got.value[SynthSlide], -1);
  EXPECT_EQ(notes, "freq 1.5 is outside 0 to 1: 1 taken\nslide -3 is outside -1 to 1: -1 taken\n");
  notes.clear();
  EXPECT_EQ(Import("{\"p_env_attack\": -0.25, \"sound_vol\": 2}", SynthFileJsfxr, &notes).value[SynthAttack], 0);
  EXPECT_EQ(notes, "attack -0.25 is outside 0 to 1: 0 taken\nvolume 2 is outside 0 to 1: 1 taken\n");
}

TEST(SynthParams, DamagedOrUnknownInputIsRefusedWithItsReason) {
  std::string sfs = Export(DefaultSynthSettings(), SynthFileSfs);
  std::string rfx = Export(DefaultSynthSettings(), SynthFileRfx);
  std::string code = Export(DefaultSynthSettings(), SynthFileB58);
  std::string error;
  EXPECT_EQ(Refusal(sfs.substr(0, 40)), "truncated: 40 of the 105 bytes of a version 102 .sfs");
  EXPECT_EQ(Refusal(sfs + "xyz"), "3 bytes after the end of a version 102 .sfs");
  std::string bad = sfs;
  bad[4] = 4;
  EXPECT_EQ(Refusal(bad), "unknown wave type 4 (0 to 3: square, sawtooth, sine, noise)");
  bad = sfs;
  PutFloat(&bad, 52, NAN);
  EXPECT_EQ(Refusal(bad), "sustain is not a number");
  EXPECT_EQ(Refusal(rfx.substr(0, 6)), "truncated: 6 of the 104 bytes of an .rfx");
  EXPECT_EQ(Refusal(rfx.substr(0, 50)), "truncated: 50 of the 104 bytes of an .rfx");
  bad = rfx;
  bad[4] = 44;
  bad[5] = 1;
  EXPECT_EQ(Refusal(bad), "version 300 .rfx, not the 200 rFXGen writes");
  bad = rfx;
  bad[6] = 95;
  EXPECT_EQ(Refusal(bad), "its parameters are said to take 95 bytes, not 96");
  EXPECT_EQ(Refusal(code.substr(0, 60)), "the share code holds 45 bytes, not the 89 of a sound");
  EXPECT_EQ(Refusal(code.substr(0, 10) + "0" + code.substr(11)), "'0' at 11 is no base58 digit");
  EXPECT_EQ(Refusal("https://sfxr.me/#"), "no share code");
  EXPECT_EQ(Refusal(std::string(151, 'z')), "a share code of 151 characters, longer than any sound's");
  EXPECT_EQ(Refusal("{\"p_base_freq\": 0.3,"), "not well-formed JSON");
  EXPECT_EQ(Refusal("{\"p_base_freq\": \"high\"}"), "p_base_freq is \"high\", not a number");
  EXPECT_EQ(Refusal("{\"wave_type\": 4}"), "wave_type 4 is none of 0 to 3 (square, sawtooth, sine, noise)");
  EXPECT_EQ(Refusal("frames 100\nsynth (square)\n"), "not an .sfs, an .rfx, jsfxr's JSON or a share code");
  EXPECT_EQ(Refusal(""), "not an .sfs, an .rfx, jsfxr's JSON or a share code");
  EXPECT_EQ(Refusal(std::string(SynthFileMaxSize + 1, ' ')), "larger than 64 KB, which no such file is");

  // Read as a named format, whatever the content.
  std::string notes;
  SynthSettings s;
  bad = sfs;
  bad[0] = 5;
  EXPECT_FALSE(ReadSynthFile(bad.data(), bad.size(), SynthFileSfs, &s, &notes, &error));
  EXPECT_EQ(error, "version 5 .sfs, not the 100, 101 or 102 sfxr writes");
  EXPECT_EQ(Refusal("{\"wave_type\": [\"" + std::string(100, 'x') + "\"]}"),
            "wave_type [\"" + std::string(35, 'x') + "... is none of 0 to 3 (square, sawtooth, sine, noise)");

  // The triangle has no place in any of them.
  SynthSettings triangle = DefaultSynthSettings();
  triangle.wave = SynthTriangle;
  std::string out;
  EXPECT_FALSE(WriteSynthFile(triangle, SynthFileSfs, &out, &error));
  EXPECT_EQ(error, "the triangle wave has no place in an .sfs (square, sawtooth, sine and noise only)");
  EXPECT_EQ(JsfxrJsonText(triangle), "");
}
