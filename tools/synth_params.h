// The synth voice's parameters in the files of the other tools of its family,
// as import and export-params read and write them: the binary files and the
// share code through the sound floor, jsfxr's JSON here with the JSON library.
#pragma once
#include <cstddef>
#include <string>

#include "zorta/sfx.h"

namespace zorta {

// jsfxr's JSON object: its 23 parameters by name and wave_type; names it
// does not have are passed over, missing ones keep their defaults. -1 on
// success; 0 with the message. Out-of-range values are clamped as in
// SetSynthFileValue, with a line in *notes.
int ReadJsfxrJson(const char* data, size_t size, SynthSettings* settings, std::string* notes, std::string* error);
// The object jsfxr's Params is written as, its members in jsfxr's order,
// with the sample rate and size it plays at by default. Empty for a
// triangle, which jsfxr has not.
std::string JsfxrJsonText(const SynthSettings& settings);

// Any of the four, its format told from the content (-1 in *format when
// none): the voice's settings, or 0 with the message.
int ReadSynthParams(const char* data, size_t size, SynthSettings* settings, int* format, std::string* notes,
                    std::string* error);

}  // namespace zorta
