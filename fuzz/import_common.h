// Shared by the import targets, one for each of the other tools' formats: an
// input read as that format must end in a message or in settings inside
// every range, which written back out and read again give the same recipe.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>

#include "synth_params.h"
#include "zorta/sfx.h"

using namespace zorta;

namespace {

// jsfxr's JSON goes through the tool's reader, which tells the format from
// the content first; the other formats through the sound floor.
int ReadAs(int format, const std::string& in, SynthSettings* s, std::string* notes, std::string* error) {
  int found = -1;
  if (format == SynthFileJsfxr) return ReadSynthParams(in.data(), in.size(), s, &found, notes, error);
  return ReadSynthFile(in.data(), in.size(), format, s, notes, error);
}
std::string WriteAs(int format, const SynthSettings& s) {
  std::string out, error;
  if (format == SynthFileJsfxr) return JsfxrJsonText(s);
  WriteSynthFile(s, format, &out, &error);
  return out;
}

int FuzzImport(int format, const uint8_t* data, size_t size) {
  std::string in(reinterpret_cast<const char*>(data), size), notes, error;
  SynthSettings s;
  if (!ReadAs(format, in, &s, &notes, &error)) {
    if (error.empty()) abort();
    return 0;
  }
  if (s.wave < 0 || s.wave > SynthNoise) abort();
  for (int i = 0; i < SynthParamCount; i++)
    if (!(s.value[i] >= SynthParams[i].low && s.value[i] <= SynthParams[i].high)) abort();
  std::string text = SynthRecipeText(s, 255, "");
  SynthSettings again;
  if (!ReadAs(format, WriteAs(format, s), &again, &notes, &error) || SynthRecipeText(again, 255, "") != text) abort();
  return 0;
}

}  // namespace
