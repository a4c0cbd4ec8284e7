// The files the other tools of the synth's family keep a sound in: sfxr's
// .sfs, rFXGen's .rfx and jsfxr's base58 share code, read and written here
// (jsfxr's JSON is read by the tool, with its JSON library). All three hold the
// parameters as little-endian 32-bit floats in the tools' own ranges, so a
// value goes across unchanged up to a float's precision.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zorta/sfx.h"

namespace zorta {

const char* const SynthFileFormatNames[SynthFileFormatCount] = {"sfs", "jsfxr", "b58", "rfx"};

const char* const JsfxrParamNames[SynthParamCount] = {
    "p_env_attack",   "p_env_sustain", "p_env_punch", "p_env_decay",    "p_base_freq",     "p_freq_limit",
    "p_freq_ramp",    "p_freq_dramp",  "p_vib_strength", "p_vib_speed", "p_arp_mod",       "p_arp_speed",
    "p_duty",         "p_duty_ramp",   "p_repeat_speed", "p_pha_offset", "p_pha_ramp",     "p_lpf_freq",
    "p_lpf_ramp",     "p_lpf_resonance", "p_hpf_freq",  "p_hpf_ramp",     "sound_vol"};

int SynthFileFormatIndex(const char* name) {
  for (int i = 0; i < SynthFileFormatCount; i++)
    if (strcmp(SynthFileFormatNames[i], name) == 0) return i;
  return -1;
}

namespace {

// The four waves the tools share, numbered as ours are; our triangle is not among them.
const int FileWaves = 4;

// An .sfs field: a parameter's slot, or one of the two the voice has no use
// for, and the first version that has it.
const int VibratoDelay = -1;  // a float sfxr keeps and never plays
const int FilterSwitch = -2;  // one byte: sfxr's filter switch, which its synthesis never reads
struct SfsField {
  int slot;
  int since;
};
const SfsField SfsFields[] = {
    {SynthVolume, 102},     {SynthFreq, 100},        {SynthLimit, 100},      {SynthSlide, 100},
    {SynthDeltaSlide, 101}, {SynthDuty, 100},        {SynthDutySweep, 100},  {SynthVibrato, 100},
    {SynthVibratoSpeed, 100}, {VibratoDelay, 100},   {SynthAttack, 100},     {SynthSustain, 100},
    {SynthDecay, 100},      {SynthPunch, 100},       {FilterSwitch, 100},    {SynthResonance, 100},
    {SynthLowPass, 100},    {SynthLowPassSweep, 100}, {SynthHighPass, 100},  {SynthHighPassSweep, 100},
    {SynthPhaser, 100},     {SynthPhaserSweep, 100}, {SynthRepeat, 100},     {SynthArpSpeed, 101},
    {SynthArp, 101},
};
const uint32_t SfsVersion = 102;

size_t SfsSize(uint32_t version) {
  size_t size = 8;
  for (const SfsField& f : SfsFields)
    if (f.since <= static_cast<int>(version)) size += f.slot == FilterSwitch ? 1 : 4;
  return size;
}

// rFXGen: "rFX ", version 200 and the length of what follows (two 16-bit
// words), a seed and the wave (32-bit), then the 22 parameters in our order.
const char RfxSignature[] = "rFX ";
const int RfxVersion = 200;
const size_t RfxBody = 96;
const size_t RfxSize = 8 + RfxBody;
// jsfxr's code: the wave in one byte, then the 22 parameters in our order.
const size_t B58Bytes = 1 + 4 * SynthVolume;
// No code of 89 bytes needs more characters than this.
const size_t B58MaxText = 150;
const char B58Alphabet[] = "123456789ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz";

uint32_t GetU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
float GetFloat(const unsigned char* p) {
  uint32_t bits = GetU32(p);
  float f;
  memcpy(&f, &bits, 4);
  return f;
}
void PutU32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; i++) out->push_back(static_cast<char>(v >> (8 * i)));
}
void PutFloat(std::string* out, double v) {
  float f = static_cast<float>(v);
  uint32_t bits;
  memcpy(&bits, &f, 4);
  PutU32(out, bits);
}

int SetWave(SynthSettings* s, uint32_t wave, std::string* error) {
  if (wave >= FileWaves) {
    *error = "unknown wave type " + std::to_string(wave) + " (0 to 3: square, sawtooth, sine, noise)";
    return 0;
  }
  s->wave = static_cast<int>(wave);
  return -1;
}

int SetFloat(SynthSettings* s, int slot, const unsigned char* p, std::string* notes, std::string* error) {
  return SetSynthFileValue(s, slot, SynthValueFromFloat(GetFloat(p)), notes, error);
}

// The exact size a file must have, else a message saying what is wrong.
bool SizeIs(size_t size, size_t want, const char* what, std::string* error) {
  if (size == want) return true;
  *error = size < want ? "truncated: " + std::to_string(size) + " of the " + std::to_string(want) + " bytes of " + what
                       : std::to_string(size - want) + (size - want == 1 ? " byte" : " bytes") + " after the end of " + what;
  return false;
}

int ReadSfs(const unsigned char* p, size_t size, SynthSettings* s, std::string* notes, std::string* error) {
  uint32_t version = GetU32(p);
  if (version < 100 || version > SfsVersion) {
    *error = "version " + std::to_string(version) + " .sfs, not the 100, 101 or 102 sfxr writes";
    return 0;
  }
  std::string what = "a version " + std::to_string(version) + " .sfs";
  if (!SizeIs(size, SfsSize(version), what.c_str(), error) || !SetWave(s, GetU32(p + 4), error)) return 0;
  size_t at = 8;
  for (const SfsField& f : SfsFields) {
    if (f.since > static_cast<int>(version)) continue;
    if (f.slot == FilterSwitch) {
      at++;
      continue;
    }
    if (f.slot >= 0 && !SetFloat(s, f.slot, p + at, notes, error)) return 0;
    at += 4;
  }
  return -1;
}

int ReadRfx(const unsigned char* p, size_t size, SynthSettings* s, std::string* notes, std::string* error) {
  int version = p[4] | p[5] << 8, body = p[6] | p[7] << 8;
  if (version != RfxVersion) {
    *error = "version " + std::to_string(version) + " .rfx, not the 200 rFXGen writes";
    return 0;
  }
  if (body != static_cast<int>(RfxBody)) {
    *error = "its parameters are said to take " + std::to_string(body) + " bytes, not 96";
    return 0;
  }
  if (!SizeIs(size, RfxSize, "an .rfx", error) || !SetWave(s, GetU32(p + 12), error)) return 0;
  for (int slot = 0; slot < SynthVolume; slot++)
    if (!SetFloat(s, slot, p + 16 + 4 * slot, notes, error)) return 0;
  return -1;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The code itself: the text without the spaces around it, after the last
// '#' of a link.
std::string B58Code(const char* data, size_t size) {
  std::string text(data, size);
  size_t hash = text.rfind('#');
  if (hash != std::string::npos) text.erase(0, hash + 1);
  size_t first = 0, last = text.size();
  while (first < last && IsSpace(text[first])) first++;
  while (last > first && IsSpace(text[last - 1])) last--;
  return text.substr(first, last - first);
}

int ReadB58(const char* data, size_t size, SynthSettings* s, std::string* notes, std::string* error) {
  std::string code = B58Code(data, size);
  if (code.empty()) {
    *error = "no share code";
    return 0;
  }
  if (code.size() > B58MaxText) {
    *error = "a share code of " + std::to_string(code.size()) + " characters, longer than any sound's";
    return 0;
  }
  // Base 58 to base 256, the most significant digit first; each leading '1'
  // is a zero byte.
  std::string bytes;  // least significant first
  size_t zeros = 0;
  while (zeros < code.size() && code[zeros] == '1') zeros++;
  for (size_t i = 0; i < code.size(); i++) {
    const char* at = strchr(B58Alphabet, code[i]);
    if (code[i] == 0 || at == nullptr) {
      *error = std::string("'") + code[i] + "' at " + std::to_string(i + 1) + " is no base58 digit";
      return 0;
    }
    unsigned carry = static_cast<unsigned>(at - B58Alphabet);
    for (char& b : bytes) {
      carry += static_cast<unsigned char>(b) * 58u;
      b = static_cast<char>(carry & 0xFF);
      carry >>= 8;
    }
    for (; carry != 0; carry >>= 8) bytes.push_back(static_cast<char>(carry & 0xFF));
  }
  bytes.append(zeros, 0);
  if (bytes.size() != B58Bytes) {
    *error = "the share code holds " + std::to_string(bytes.size()) + " bytes, not the 89 of a sound";
    return 0;
  }
  unsigned char p[B58Bytes];
  for (size_t i = 0; i < B58Bytes; i++) p[i] = static_cast<unsigned char>(bytes[B58Bytes - 1 - i]);
  if (!SetWave(s, p[0], error)) return 0;
  for (int slot = 0; slot < SynthVolume; slot++)
    if (!SetFloat(s, slot, p + 1 + 4 * slot, notes, error)) return 0;
  return -1;
}

std::string B58Text(const unsigned char* p, size_t size) {
  std::string digits;  // least significant first
  size_t zeros = 0;
  while (zeros < size && p[zeros] == 0) zeros++;
  for (size_t i = 0; i < size; i++) {
    unsigned carry = p[i];
    for (char& d : digits) {
      carry += static_cast<unsigned>(d) * 256u;
      d = static_cast<char>(carry % 58);
      carry /= 58;
    }
    for (; carry != 0; carry /= 58) digits.push_back(static_cast<char>(carry % 58));
  }
  std::string text(zeros, '1');
  for (size_t i = digits.size(); i-- > 0;) text += B58Alphabet[static_cast<int>(digits[i])];
  return text;
}

}  // namespace

int DetectSynthFile(const char* data, size_t size) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
  if (size >= 4 && memcmp(data, RfxSignature, 4) == 0) return SynthFileRfx;
  if (size >= 4) {
    uint32_t version = GetU32(p);
    if (version == 100 || version == 101 || version == 102) return SynthFileSfs;
  }
  size_t first = 0;
  while (first < size && IsSpace(data[first])) first++;
  if (first < size && data[first] == '{') return SynthFileJsfxr;
  // A code or a link: one word of printable text.
  size_t last = size;
  while (last > first && IsSpace(data[last - 1])) last--;
  if (first == last) return -1;
  for (size_t i = first; i < last; i++)
    if (p[i] <= ' ' || p[i] > '~') return -1;
  return SynthFileB58;
}

int SetSynthFileValue(SynthSettings* settings, int slot, double value, std::string* notes, std::string* error) {
  const SynthParamInfo& info = SynthParams[slot];
  if (!std::isfinite(value)) {
    *error = std::string(info.name) + " is not a number";
    return 0;
  }
  double kept = value < info.low ? info.low : value > info.high ? info.high : value;
  if (kept != value) {
    char line[128];
    snprintf(line, sizeof line, "%s %.9g is outside %g to %g: %g taken\n", info.name, value, info.low, info.high, kept);
    *notes += line;
  }
  settings->value[slot] = kept;
  return -1;
}

double SynthValueFromFloat(float value) {
  double d = value;
  if (!std::isfinite(d)) return d;
  // jsfxr writes a float cut towards zero rather than rounded: one step
  // nearer zero than the nearest float.
  if (std::fabs(d) < 1e6) {
    double n = std::floor(d * 10000 + 0.5);
    float nearest = static_cast<float>(n / 10000);
    if (nearest == value || std::nextafter(nearest, 0.0f) == value) return n / 10000;
  }
  char text[40];
  for (int digits = 1; digits <= 9; digits++) {
    snprintf(text, sizeof text, "%.*g", digits, d);
    if (strtof(text, nullptr) == value) return strtod(text, nullptr);
  }
  return d;
}

int ReadSynthFile(const char* data, size_t size, int format, SynthSettings* settings, std::string* notes,
                  std::string* error) {
  *settings = DefaultSynthSettings();
  if (size > SynthFileMaxSize) {
    *error = "larger than " + std::to_string(SynthFileMaxSize / 1024) + " KB, which no such file is";
    return 0;
  }
  const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
  switch (format) {
    case SynthFileSfs:
      if (size < 4) return SizeIs(size, 8, "an .sfs", error) ? -1 : 0;
      return ReadSfs(p, size, settings, notes, error);
    case SynthFileRfx:
      if (size < 8) return SizeIs(size, RfxSize, "an .rfx", error) ? -1 : 0;
      return ReadRfx(p, size, settings, notes, error);
    case SynthFileB58: return ReadB58(data, size, settings, notes, error);
    default: *error = "not an .sfs, .rfx or share code"; return 0;
  }
}

int WriteSynthFile(const SynthSettings& settings, int format, std::string* out, std::string* error) {
  const double* v = settings.value;
  out->clear();
  if (settings.wave < 0 || settings.wave >= FileWaves) {
    *error = std::string("the triangle wave has no place in ") +
             (format == SynthFileSfs ? "an .sfs" : format == SynthFileRfx ? "an .rfx" : "a share code") +
             " (square, sawtooth, sine and noise only)";
    return 0;
  }
  uint32_t wave = static_cast<uint32_t>(settings.wave);
  if (format == SynthFileSfs) {
    PutU32(out, SfsVersion);
    PutU32(out, wave);
    for (const SfsField& f : SfsFields) {
      if (f.slot == FilterSwitch)
        out->push_back(0);
      else
        PutFloat(out, f.slot >= 0 ? v[f.slot] : 0);
    }
  } else if (format == SynthFileRfx) {
    out->append(RfxSignature, 4);
    out->push_back(static_cast<char>(RfxVersion & 0xFF));
    out->push_back(static_cast<char>(RfxVersion >> 8));
    out->push_back(static_cast<char>(RfxBody));
    out->push_back(0);
    PutU32(out, 0);  // rFXGen's seed, which only its random button sets
    PutU32(out, wave);
    for (int slot = 0; slot < SynthVolume; slot++) PutFloat(out, v[slot]);
  } else if (format == SynthFileB58) {
    std::string bytes(1, static_cast<char>(wave));
    for (int slot = 0; slot < SynthVolume; slot++) PutFloat(&bytes, v[slot]);
    *out = B58Text(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  } else {
    *error = "not a format written here";
    return 0;
  }
  return -1;
}

}  // namespace zorta
