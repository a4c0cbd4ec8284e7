#include "platform/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/hooks.h"

namespace zorta {

struct FSOUND_SAMPLE {
  std::vector<int16_t> frames;
  unsigned int mode = 0;
  int defFreq = 22050;
  int defVol = 255;
  int defPan = 128;
  int defPri = 128;
  Mix_Chunk* chunk = nullptr;  // the frames in the mixer's format, made on unlock
};

namespace {
std::vector<std::unique_ptr<FSOUND_SAMPLE>> samples;
bool outputOpen = false;
bool paused = false;
#ifdef ZORTA_TESTING
float reportedVersion = 3.71f;
int playCount = 0;
#else
const float reportedVersion = 3.71f;
#endif

// For recorded calls only, so unused in the product build.
[[maybe_unused]] std::string Hex(const void* p) {
  char buf[32];
  snprintf(buf, sizeof buf, "%p", p);
  return buf;
}

void FreeChunk(FSOUND_SAMPLE* s) {
  if (s->chunk != nullptr) {
    // The chunk does not own its buffer: free the chunk first, which stops
    // any channel still playing it, then the buffer.
    Uint8* buf = s->chunk->abuf;
    Mix_FreeChunk(s->chunk);
    SDL_free(buf);
    s->chunk = nullptr;
  }
}

// A chunk over mixer-format bytes (freed with the chunk by FreeChunk) at the
// sample's default volume 0..255; null (and the bytes freed) on failure.
Mix_Chunk* WrapChunk(Uint8* bytes, Uint32 length, int defVol) {
  Mix_Chunk* chunk = Mix_QuickLoad_RAW(bytes, length);
  if (chunk == nullptr) {
    SDL_free(bytes);
    return nullptr;
  }
  int vol = defVol < 0 ? 0 : (defVol > 255 ? 255 : defVol);
  Mix_VolumeChunk(chunk, (vol * MIX_MAX_VOLUME + 127) / 255);
  return chunk;
}

// Converts the sample's 16-bit mono frames at its default rate into the
// format the mixer was opened with.
void MakeChunk(FSOUND_SAMPLE* s) {
  FreeChunk(s);
  if (!outputOpen || s->frames.empty()) return;
  int rate = 0, channels = 0;
  Uint16 format = 0;
  if (Mix_QuerySpec(&rate, &format, &channels) == 0) return;
  if (format == AUDIO_S16SYS && channels == 2 && rate == 2 * s->defFreq) {
    // The usual case (22050 Hz samples, 44100 Hz output): doubling with linear
    // interpolation costs a fraction of SDL's general resampler, which would
    // add over 100 ms to start-up for the whole bank.
    size_t n = s->frames.size();
    int16_t* out = static_cast<int16_t*>(SDL_malloc(n * 4 * sizeof(int16_t)));
    if (out == nullptr) return;
    const int16_t* in = s->frames.data();
    for (size_t i = 0; i < n; i++) {
      int16_t a = in[i];
      int16_t mid = static_cast<int16_t>(i + 1 < n ? (a + in[i + 1]) / 2 : a);
      out[4 * i] = out[4 * i + 1] = a;
      out[4 * i + 2] = out[4 * i + 3] = mid;
    }
    s->chunk = WrapChunk(reinterpret_cast<Uint8*>(out), static_cast<Uint32>(n * 4 * sizeof(int16_t)), s->defVol);
    return;
  }
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, AUDIO_S16SYS, 1, s->defFreq, format, static_cast<Uint8>(channels), rate) < 0)
    return;
  cvt.len = static_cast<int>(s->frames.size() * sizeof(int16_t));
  cvt.buf = static_cast<Uint8*>(SDL_malloc(static_cast<size_t>(cvt.len) * cvt.len_mult));
  if (cvt.buf == nullptr) return;
  memcpy(cvt.buf, s->frames.data(), static_cast<size_t>(cvt.len));
  if (cvt.needed && SDL_ConvertAudio(&cvt) < 0) {
    SDL_free(cvt.buf);
    return;
  }
  s->chunk = WrapChunk(cvt.buf, static_cast<Uint32>(cvt.len_cvt), s->defVol);
}
}  // namespace

float FSOUND_GetVersion() {
  if (SeamRecording()) SeamRecord("FSOUND_GetVersion()");
  return reportedVersion;
}

signed char FSOUND_Init(int mixrate, int maxSoftwareChannels, unsigned int flags) {
  if (SeamRecording())
    SeamRecord("FSOUND_Init(" + std::to_string(mixrate) + "," + std::to_string(maxSoftwareChannels) + "," +
               std::to_string(flags) + ")");
  if (outputOpen) return -1;
  if (SeamShouldFail("FSOUND_Init")) return 0;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return 0;
  // A short buffer keeps the delay from a click to the sound low.
  if (Mix_OpenAudio(mixrate, AUDIO_S16SYS, 2, 512) < 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return 0;
  }
  Mix_AllocateChannels(maxSoftwareChannels);
  outputOpen = true;
  paused = false;
  for (auto& s : samples) MakeChunk(s.get());
  return -1;
}

void FSOUND_Close() {
  if (SeamRecording()) SeamRecord("FSOUND_Close()");
  if (outputOpen) {
    Mix_HaltChannel(-1);
  }
  for (auto& s : samples) FreeChunk(s.get());
  samples.clear();
  if (outputOpen) {
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    outputOpen = false;
  }
  paused = false;
}

SampleHandle FSOUND_Sample_Alloc(int index, int length, unsigned int mode, int defFreq, int defVol,
                                 int defPan, int defPri) {
  if (SeamRecording())
    SeamRecord("FSOUND_Sample_Alloc(" + std::to_string(index) + "," + std::to_string(length) + "," +
               std::to_string(mode) + "," + std::to_string(defFreq) + "," + std::to_string(defVol) + "," +
               std::to_string(defPan) + "," + std::to_string(defPri) + ")");
  if (SeamShouldFail("FSOUND_Sample_Alloc")) return nullptr;
  // Only the format the synthesis writes is supported.
  if (length <= 0 || (mode & FSOUND_16BITS) == 0 || defFreq <= 0) return nullptr;
  auto s = std::make_unique<FSOUND_SAMPLE>();
  s->frames.assign(static_cast<size_t>(length), 0);
  s->mode = mode;
  s->defFreq = defFreq;
  s->defVol = defVol;
  s->defPan = defPan;
  s->defPri = defPri;
  samples.push_back(std::move(s));
  return samples.back().get();
}

signed char FSOUND_Sample_Lock(SampleHandle sample, int offset, int length, void** ptr1, void** ptr2,
                               unsigned int* len1, unsigned int* len2) {
  if (SeamRecording())
    SeamRecord("FSOUND_Sample_Lock(" + Hex(sample) + "," + std::to_string(offset) + "," +
               std::to_string(length) + ")");
  if (sample == nullptr || SeamShouldFail("FSOUND_Sample_Lock")) return 0;
  size_t bytes = sample->frames.size() * sizeof(int16_t);
  if (offset < 0 || length < 0 || static_cast<size_t>(offset) + static_cast<size_t>(length) > bytes) return 0;
  *ptr1 = reinterpret_cast<uint8_t*>(sample->frames.data()) + offset;
  *len1 = static_cast<unsigned int>(length);
  *ptr2 = nullptr;
  *len2 = 0;
  return -1;
}

signed char FSOUND_Sample_Unlock(SampleHandle sample, void* ptr1, void*, unsigned int, unsigned int) {
  if (SeamRecording()) SeamRecord("FSOUND_Sample_Unlock(" + Hex(sample) + "," + Hex(ptr1) + ")");
  if (sample == nullptr) return 0;
  MakeChunk(sample);
  return -1;
}

int FSOUND_PlaySound(int channel, SampleHandle sample) {
  if (SeamRecording()) SeamRecord("FSOUND_PlaySound(" + std::to_string(channel) + "," + Hex(sample) + ")");
  if (sample == nullptr || !outputOpen) return -1;
  if (sample->chunk == nullptr) MakeChunk(sample);
  if (sample->chunk == nullptr) return -1;
  int ch = Mix_PlayChannel(channel < 0 ? -1 : channel, sample->chunk, 0);
  if (ch < 0) return -1;
  // A sound started while the whole output is paused waits with it.
  if (paused) Mix_Pause(ch);
#ifdef ZORTA_TESTING
  playCount++;
#endif
  return ch;
}

signed char FSOUND_SetPaused(int channel, signed char pause) {
  if (SeamRecording()) SeamRecord("FSOUND_SetPaused(" + std::to_string(channel) + "," + std::to_string(pause) + ")");
  if (channel == FSOUND_ALL) paused = pause != 0;
  if (!outputOpen) return -1;
  int which = channel == FSOUND_ALL ? -1 : channel;
  if (pause != 0)
    Mix_Pause(which);
  else
    Mix_Resume(which);
  return -1;
}

signed char FSOUND_IsPlaying(int channel) {
  if (!outputOpen) return 0;
  return Mix_Playing(channel == FSOUND_ALL ? -1 : channel) > 0 ? -1 : 0;
}

const int16_t* FSOUND_Sample_GetData(SampleHandle sample) {
  return sample == nullptr ? nullptr : sample->frames.data();
}
int FSOUND_Sample_GetLength(SampleHandle sample) {
  return sample == nullptr ? 0 : static_cast<int>(sample->frames.size());
}
void FSOUND_Sample_GetDefaults(SampleHandle sample, int* defFreq, int* defVol, int* defPan, int* defPri) {
  if (sample == nullptr) return;
  if (defFreq) *defFreq = sample->defFreq;
  if (defVol) *defVol = sample->defVol;
  if (defPan) *defPan = sample->defPan;
  if (defPri) *defPri = sample->defPri;
}

void FSOUND_Sample_FreeAll() {
  if (outputOpen) Mix_HaltChannel(-1);
  for (auto& s : samples) FreeChunk(s.get());
  samples.clear();
}

void FSOUND_Sample_Free(SampleHandle sample) {
  if (SeamRecording()) SeamRecord("FSOUND_Sample_Free(" + Hex(sample) + ")");
  if (sample == nullptr) return;
  for (size_t i = 0; i < samples.size(); i++) {
    if (samples[i].get() != sample) continue;
    // Freeing the chunk halts the channels playing it, under the mixer's lock.
    FreeChunk(sample);
    samples.erase(samples.begin() + static_cast<std::ptrdiff_t>(i));
    return;
  }
}

#ifdef ZORTA_TESTING
void SoundSeamSetVersion(float version) { reportedVersion = version; }
bool SoundSeamOutputOpen() { return outputOpen; }
bool SoundSeamPaused() { return paused; }
int SoundSeamPlayCount() { return playCount; }
void SoundSeamReset() {
  if (outputOpen) FSOUND_Close();
  FSOUND_Sample_FreeAll();
  reportedVersion = 3.71f;
  paused = false;
  playCount = 0;
}
#endif

}  // namespace zorta
