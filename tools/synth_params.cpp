#include "synth_params.h"

#include <cmath>

#include "json_text.h"

namespace zorta {

namespace {
const char* const WaveKey = "wave_type";

// A member's value as a message shows it: its JSON, cut short.
std::string Shown(const nlohmann::json& value) {
  std::string text = value.dump();
  return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}
}  // namespace

int ReadJsfxrJson(const char* data, size_t size, SynthSettings* settings, std::string* notes, std::string* error) {
  *settings = DefaultSynthSettings();
  nlohmann::json object = nlohmann::json::parse(data, data + size, nullptr, false);
  if (object.is_discarded() || !object.is_object()) {
    *error = object.is_discarded() ? "not well-formed JSON" : "JSON that is not an object of parameters";
    return 0;
  }
  auto wave = object.find(WaveKey);
  if (wave != object.end()) {
    double w = wave->is_number() ? wave->get<double>() : -1;
    if (!(w >= 0 && w < SynthTriangle && w == std::floor(w))) {
      *error = "wave_type " + Shown(*wave) + " is none of 0 to 3 (square, sawtooth, sine, noise)";
      return 0;
    }
    settings->wave = static_cast<int>(w);
  }
  for (int slot = 0; slot < SynthParamCount; slot++) {
    auto member = object.find(JsfxrParamNames[slot]);
    if (member == object.end()) continue;
    if (!member->is_number()) {
      *error = std::string(JsfxrParamNames[slot]) + " is " + Shown(*member) + ", not a number";
      return 0;
    }
    if (!SetSynthFileValue(settings, slot, member->get<double>(), notes, error)) return 0;
  }
  return -1;
}

std::string JsfxrJsonText(const SynthSettings& settings) {
  if (settings.wave == SynthTriangle) return "";
  nlohmann::ordered_json object;
  object["oldParams"] = true;
  object[WaveKey] = settings.wave;
  for (int slot = 0; slot < SynthParamCount; slot++) object[JsfxrParamNames[slot]] = settings.value[slot];
  object["sample_rate"] = 44100;
  object["sample_size"] = 8;
  return JsonDump(object);
}

int ReadSynthParams(const char* data, size_t size, SynthSettings* settings, int* format, std::string* notes,
                    std::string* error) {
  *format = -1;
  if (size > SynthFileMaxSize) {
    *error = "larger than " + std::to_string(SynthFileMaxSize / 1024) + " KB, which no such file is";
    return 0;
  }
  *format = DetectSynthFile(data, size);
  if (*format < 0) {
    *error = "not an .sfs, an .rfx, jsfxr's JSON or a share code";
    return 0;
  }
  if (*format == SynthFileJsfxr) return ReadJsfxrJson(data, size, settings, notes, error);
  return ReadSynthFile(data, size, *format, settings, notes, error);
}

}  // namespace zorta
