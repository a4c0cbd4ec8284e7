// zorta-tool export: writes the synthesised bank as audio files, one per
// filled slot. The samples come from the program's own bank code, read back
// from the sound layer exactly as the program would play them.
#include <errno.h>

#include <CLI/CLI.hpp>
#include <samplerate.h>
#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bank_access.h"
#include "platform/sound.h"
#include "sfx/sound_bank.h"
#include "tool.h"

namespace {
const char* const Name = "export";

enum Format { Wav, Flac, Ogg, Raw, Header };
struct FormatName {
  const char* name;
  Format format;
};
const FormatName Formats[] = {{"wav", Wav}, {"flac", Flac}, {"ogg", Ogg}, {"raw", Raw}, {"h", Header}};

// Converts the bank's 22050 Hz frames to another rate with libsamplerate.
bool Resample(const std::vector<int16_t>& in, int rate, std::vector<int16_t>* out, std::string* error) {
  double ratio = static_cast<double>(rate) / BankRate;
  long outFrames = static_cast<long>(static_cast<double>(in.size()) * ratio) + 16;
  std::vector<float> src(in.size()), dst(static_cast<size_t>(outFrames));
  src_short_to_float_array(in.data(), src.data(), static_cast<int>(in.size()));
  SRC_DATA data;
  memset(&data, 0, sizeof data);
  data.data_in = src.data();
  data.input_frames = static_cast<long>(in.size());
  data.data_out = dst.data();
  data.output_frames = outFrames;
  data.src_ratio = ratio;
  int rc = src_simple(&data, SRC_SINC_BEST_QUALITY, 1);
  if (rc != 0) {
    *error = std::string("resampling failed: ") + src_strerror(rc);
    return false;
  }
  out->resize(static_cast<size_t>(data.output_frames_gen));
  src_float_to_short_array(dst.data(), out->data(), static_cast<int>(data.output_frames_gen));
  return true;
}

bool WriteSoundFile(const std::string& path, Format format, int rate, const std::vector<int16_t>& frames,
                    std::string* error) {
  SF_INFO info;
  memset(&info, 0, sizeof info);
  info.samplerate = rate;
  info.channels = 1;
  if (format == Wav) info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  if (format == Flac) info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  if (format == Ogg) info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  if (!sf_format_check(&info)) {
    *error = "this build of libsndfile cannot write that format";
    return false;
  }
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (f == nullptr) {
    *error = "cannot write '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  sf_count_t n = static_cast<sf_count_t>(frames.size());
  sf_count_t written = sf_write_short(f, frames.data(), n);
  if (written != n) *error = "cannot write '" + path + "': " + sf_strerror(f);
  if (sf_close(f) != 0 && written == n) {
    *error = "cannot finish '" + path + "'";
    return false;
  }
  return written == n;
}

bool WriteRaw(const std::string& path, const std::vector<int16_t>& frames, std::string* error) {
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr) {
    *error = "cannot write '" + path + "': " + strerror(errno);
    return false;
  }
  std::vector<unsigned char> bytes(frames.size() * 2);
  for (size_t i = 0; i < frames.size(); i++) {
    uint16_t u = static_cast<uint16_t>(frames[i]);
    bytes[2 * i] = static_cast<unsigned char>(u & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(u >> 8);
  }
  bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (fclose(f) != 0) ok = false;
  if (!ok) *error = "cannot write '" + path + "': " + strerror(errno);
  return ok;
}

// A header that compiles as C and as C++: one static const short array.
bool WriteHeader(const std::string& path, int slot, int rate, const std::vector<int16_t>& frames,
                 std::string* error) {
  FILE* f = fopen(path.c_str(), "w");
  if (f == nullptr) {
    *error = "cannot write '" + path + "': " + strerror(errno);
    return false;
  }
  char id[16];
  snprintf(id, sizeof id, "%02d", slot);
  fprintf(f,
          "/* Zorta sound bank, slot %d: %zu frames of signed 16-bit mono at %d Hz.\n"
          "   Written by zorta-tool export. */\n"
          "#ifndef ZORTA_SLOT_%s_H\n#define ZORTA_SLOT_%s_H\n\n"
          "#ifndef ZORTA_UNUSED\n#if defined(__GNUC__)\n#define ZORTA_UNUSED __attribute__((unused))\n"
          "#else\n#define ZORTA_UNUSED\n#endif\n#endif\n\n"
          "#define ZORTA_SLOT_%s_RATE %d\n#define ZORTA_SLOT_%s_FRAMES %zu\n\n"
          "static const short zorta_slot_%s[%zu] ZORTA_UNUSED = {",
          slot, frames.size(), rate, id, id, id, rate, id, frames.size(), id, frames.size());
  for (size_t i = 0; i < frames.size(); i++) fprintf(f, "%s%d,", i % 12 == 0 ? "\n   " : " ", frames[i]);
  fprintf(f, "\n};\n\n#endif\n");
  bool ok = !ferror(f);
  if (fclose(f) != 0) ok = false;
  if (!ok) *error = "cannot write '" + path + "': " + strerror(errno);
  return ok;
}

// The command line, filled by CLI11 before RunExport runs.
std::string FormatOption = "wav";
std::string RateOption;
BankOutputOptions Output;

int RunExport() {
  Format format = Wav;
  const char* ext = nullptr;
  for (const FormatName& f : Formats)
    if (FormatOption == f.name) {
      format = f.format;
      ext = f.name;
    }
  if (ext == nullptr)
    return ToolError(Name, "unknown format '%s' (use wav, flac, ogg, raw or h)", FormatOption.c_str());
  long rate = BankRate;
  if (!RateOption.empty() && (!ParseNumber(RateOption, &rate) || rate < 1000 || rate > 384000))
    return ToolError(Name, "bad rate '%s' (a whole number of Hz from 1000 to 384000)", RateOption.c_str());
  const std::string& outdir = Output.outdir;
  if (outdir.empty()) return ToolUsageError(Name, "no output folder given (see zorta-tool export --help)");

  std::vector<bool> chosen;
  std::string error;
  if (!PrepareBankOutput(Output.slotList, outdir, &chosen, &error)) return ToolError(Name, "%s", error.c_str());

  int files = 0;
  int rc = 0;
  for (int s = 0; s < SoundBankSlots && rc == 0; s++) {
    if (!chosen[s]) continue;
    std::vector<int16_t> frames = SlotFrames(s);
    if (rate != BankRate && !Resample(std::vector<int16_t>(frames), static_cast<int>(rate), &frames, &error)) {
      rc = ToolError(Name, "slot %d: %s", s, error.c_str());
      break;
    }
    char file[32];
    snprintf(file, sizeof file, "slot-%02d.%s", s, ext);
    std::string path = outdir + "/" + file;
    bool ok = false;
    if (format == Raw)
      ok = WriteRaw(path, frames, &error);
    else if (format == Header)
      ok = WriteHeader(path, s, static_cast<int>(rate), frames, &error);
    else
      ok = WriteSoundFile(path, format, static_cast<int>(rate), frames, &error);
    if (!ok) {
      rc = ToolError(Name, "%s", error.c_str());
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
