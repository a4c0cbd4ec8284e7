// Sound stand-in: the FSOUND calls the program makes, on SDL2_mixer.
// Samples are 16-bit signed mono at their own default rate; they are converted
// for the mixer (44100 Hz) when unlocked. Samples can be allocated, locked,
// filled and read back even when output could not be opened; they only play
// while output is open.
#pragma once
#include <cstdint>

namespace zorta {

struct FSOUND_SAMPLE;
typedef FSOUND_SAMPLE* SampleHandle;

enum {
  FSOUND_FREE = -1,         // channel: any free channel
  FSOUND_ALL = -1000,       // channel: the whole output
  FSOUND_UNMANAGED = -2,    // sample index: not kept in an indexed list
  FSOUND_16BITS = 0x10,
  FSOUND_MONO = 0x20,
  FSOUND_SIGNED = 0x100,
};

float FSOUND_GetVersion();
signed char FSOUND_Init(int mixrate, int maxSoftwareChannels, unsigned int flags);
void FSOUND_Close();
SampleHandle FSOUND_Sample_Alloc(int index, int length, unsigned int mode, int defFreq, int defVol,
                                 int defPan, int defPri);
signed char FSOUND_Sample_Lock(SampleHandle sample, int offset, int length, void** ptr1, void** ptr2,
                               unsigned int* len1, unsigned int* len2);
signed char FSOUND_Sample_Unlock(SampleHandle sample, void* ptr1, void* ptr2, unsigned int len1,
                                 unsigned int len2);
int FSOUND_PlaySound(int channel, SampleHandle sample);
signed char FSOUND_SetPaused(int channel, signed char paused);
// -1 while the channel (or, for FSOUND_ALL, any channel) is still playing.
signed char FSOUND_IsPlaying(int channel);

// Read-back used by the export tool and the tests: the sample's frames as the
// synthesis wrote them, and its defaults. Null / 0 for a null handle.
const int16_t* FSOUND_Sample_GetData(SampleHandle sample);
int FSOUND_Sample_GetLength(SampleHandle sample);
void FSOUND_Sample_GetDefaults(SampleHandle sample, int* defFreq, int* defVol, int* defPan, int* defPri);
// Frees every sample (FSOUND_Close does this too).
void FSOUND_Sample_FreeAll();
// Frees one sample; a channel still playing it stops first. The handle is
// invalid afterwards.
void FSOUND_Sample_Free(SampleHandle sample);

}  // namespace zorta
