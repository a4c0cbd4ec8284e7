#include "sound_files.h"

#include <errno.h>

#include <samplerate.h>
#include <sndfile.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/timing.h"
#include "bank_access.h"
#include "output_file.h"
#include "sfx/recipe.h"
#include "sfx/sample.h"

namespace zorta {

namespace {
struct FormatName {
  const char* name;
  SoundFormat format;
};
const FormatName Formats[] = {{"wav", Wav}, {"flac", Flac}, {"ogg", Ogg}, {"raw", Raw}, {"h", Header}};

// Converts frames at `from` Hz to another rate with libsamplerate.
bool Resample(const std::vector<int16_t>& in, int from, int rate, std::vector<int16_t>* out, std::string* error) {
  double ratio = static_cast<double>(rate) / from;
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

// libsndfile writes into memory (a WAV header is rewritten at the end), and
// the finished bytes go to the output in one piece.
struct MemoryFile {
  std::vector<unsigned char> bytes;
  sf_count_t at = 0;
};
sf_count_t MemoryLength(void* user) { return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size()); }
sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
  MemoryFile* m = static_cast<MemoryFile*>(user);
  sf_count_t base = whence == SEEK_CUR ? m->at : whence == SEEK_END ? MemoryLength(user) : 0;
  if (base + offset < 0) return -1;
  m->at = base + offset;
  return m->at;
}
sf_count_t MemoryRead(void* ptr, sf_count_t count, void* user) {
  MemoryFile* m = static_cast<MemoryFile*>(user);
  sf_count_t left = MemoryLength(user) - m->at;
  if (count > left) count = left < 0 ? 0 : left;
  if (count > 0) memcpy(ptr, m->bytes.data() + m->at, static_cast<size_t>(count));
  m->at += count;
  return count;
}
sf_count_t MemoryWrite(const void* ptr, sf_count_t count, void* user) {
  MemoryFile* m = static_cast<MemoryFile*>(user);
  size_t end = static_cast<size_t>(m->at + count);
  if (end > m->bytes.size()) m->bytes.resize(end);
  memcpy(m->bytes.data() + m->at, ptr, static_cast<size_t>(count));
  m->at += count;
  return count;
}
sf_count_t MemoryTell(void* user) { return static_cast<MemoryFile*>(user)->at; }

bool WriteSoundFile(const std::string& path, SoundFormat format, int rate, const std::vector<int16_t>& frames,
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
  SF_VIRTUAL_IO io = {MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
  MemoryFile memory;
  SNDFILE* f = sf_open_virtual(&io, SFM_WRITE, &info, &memory);
  if (f == nullptr) {
    *error = "cannot encode '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  sf_count_t n = static_cast<sf_count_t>(frames.size());
  sf_count_t written = sf_write_short(f, frames.data(), n);
  if (written != n) *error = "cannot encode '" + path + "': " + sf_strerror(f);
  if (sf_close(f) != 0 && written == n) {
    *error = "cannot finish '" + path + "'";
    return false;
  }
  return written == n && WriteOutputFile(path, memory.bytes.data(), memory.bytes.size(), error);
}

bool WriteRaw(const std::string& path, const std::vector<int16_t>& frames, std::string* error) {
  std::vector<unsigned char> bytes(frames.size() * 2);
  for (size_t i = 0; i < frames.size(); i++) {
    uint16_t u = static_cast<uint16_t>(frames[i]);
    bytes[2 * i] = static_cast<unsigned char>(u & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(u >> 8);
  }
  return WriteOutputFile(path, bytes.data(), bytes.size(), error);
}

void Append(std::string* text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string* text, const char* format, ...) {
  char buf[1024];
  va_list ap;
  va_start(ap, format);
  int n = vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof buf) {
    text->append(buf, static_cast<size_t>(n));
    return;
  }
  std::vector<char> big(static_cast<size_t>(n) + 1);
  va_start(ap, format);
  vsnprintf(big.data(), big.size(), format, ap);
  va_end(ap);
  text->append(big.data(), static_cast<size_t>(n));
}

// A header that compiles as C and as C++: one static const short array.
bool WriteHeader(const std::string& path, const HeaderNames& names, int rate, const std::vector<int16_t>& frames,
                 std::string* error) {
  const char* up = names.upper.c_str();
  const char* low = names.lower.c_str();
  std::string text;
  Append(&text,
         "/* %s: %zu frames of signed 16-bit mono at %d Hz.\n"
         "   Written by zorta-tool %s. */\n"
         "#ifndef ZORTA_%s_H\n#define ZORTA_%s_H\n\n"
         "#ifndef ZORTA_UNUSED\n#if defined(__GNUC__)\n#define ZORTA_UNUSED __attribute__((unused))\n"
         "#else\n#define ZORTA_UNUSED\n#endif\n#endif\n\n"
         "#define ZORTA_%s_RATE %d\n#define ZORTA_%s_FRAMES %zu\n\n"
         "static const short zorta_%s[%zu] ZORTA_UNUSED = {",
         names.what.c_str(), frames.size(), rate, names.command.c_str(), up, up, up, rate, up, frames.size(), low,
         frames.size());
  for (size_t i = 0; i < frames.size(); i++) Append(&text, "%s%d,", i % 12 == 0 ? "\n   " : " ", frames[i]);
  text += "\n};\n\n#endif\n";
  return WriteOutputFile(path, text.data(), text.size(), error);
}
}  // namespace

bool ParseSoundFormat(const std::string& name, SoundFormat* format, const char** ext) {
  for (const FormatName& f : Formats)
    if (name == f.name) {
      *format = f.format;
      *ext = f.name;
      return true;
    }
  return false;
}

bool ParseSoundRate(const std::string& text, long* rate) {
  *rate = BankRate;
  return text.empty() || (ParseNumber(text, rate) && *rate >= 1000 && *rate <= 384000);
}

bool ParseSoundOutput(const std::string& formatText, const std::string& rateText, SoundFormat* format,
                      const char** ext, long* rate, std::string* error) {
  if (!ParseSoundFormat(formatText, format, ext)) {
    *error = "unknown format '" + formatText + "' (use wav, flac, ogg, raw or h)";
    return false;
  }
  if (!ParseSoundRate(rateText, rate)) {
    *error = "bad rate '" + rateText + "' (a whole number of Hz from 1000 to 384000)";
    return false;
  }
  return true;
}

bool WriteSound(const std::string& path, SoundFormat format, int rate, std::vector<int16_t>* frames,
                const HeaderNames& names, std::string* error, int from) {
  if (rate != from && !Resample(std::vector<int16_t>(*frames), from, rate, frames, error)) return false;
  if (format == Raw) return WriteRaw(path, *frames, error);
  if (format == Header) return WriteHeader(path, names, rate, *frames, error);
  return WriteSoundFile(path, format, rate, *frames, error);
}

bool ReadFileAtMost(const std::string& path, size_t limit, std::string* data, int* code) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *code = errno;
    return false;
  }
  data->clear();
  char chunk[4096];
  size_t n;
  while (data->size() <= limit && (n = fread(chunk, 1, sizeof chunk, f)) > 0) data->append(chunk, n);
  bool failed = ferror(f) != 0;
  fclose(f);
  *code = 0;
  return !failed;
}

bool ReadRecipeFile(const std::string& path, std::string* text, std::string* error) {
  int code = 0;
  if (ReadFileAtMost(path, RecipeMaxText, text, &code)) return true;
  *error = "cannot read '" + path + "'" + (code != 0 ? std::string(": ") + strerror(code) : "");
  return false;
}

bool ReadSynthRecipeFile(const std::string& path, SynthSettings* settings, int* volume, std::string* error) {
  std::string text;
  if (!ReadRecipeFile(path, &text, error)) return false;
  if (ReadSynthRecipe(text.data(), text.size(), settings, volume, error)) return true;
  *error = path + ":" + ((*error)[0] >= '0' && (*error)[0] <= '9' ? "" : " ") + *error;
  return false;
}

bool RenderRecipeFile(const std::string& path, long seed, std::vector<int16_t>* frames, int* volume,
                      std::string* error, int* rate) {
  std::string text;
  if (!ReadRecipeFile(path, &text, error)) return false;
  SeedRandom(seed < 0 ? 0 : static_cast<double>(seed));
  CompiledRecipe recipe;
  RecipeError e;
  if (CompileRecipe(text.data(), text.size(), &recipe, &e)) {
    // A seed given on the command line stands for the file's own.
    if (seed >= 0) recipe.seed = -1;
    if (volume != nullptr) *volume = recipe.volume;
    if (rate != nullptr) *rate = recipe.rate;
    if (RunRecipeInto(recipe, rate != nullptr ? recipe.rate : RecipeBankRate, frames, &e)) return true;
  }
  *error = path + ":" + std::to_string(e.line) + ":" + std::to_string(e.column) + ": " + e.message;
  return false;
}

std::string RecipeBaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace zorta
