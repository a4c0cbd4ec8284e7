#include "sfx/sound_bank.h"

#include <cstring>

#include "base/timing.h"

namespace zorta {

SampleHandle SoundBank[SoundBankSlots];
int32_t SoundReady = 0;

void InitSound() {
  SoundReady = 0;
  if (FSOUND_GetVersion() < 3.71f) {
    WriteLog("FMOD Error: Wrong DLL Version\n");
    return;
  }
  if (!FSOUND_Init(44100, 64, 0)) {
    WriteLog("FSOUND Init: Failed\n");
    return;
  }
  WriteLog("FSOUND Init: Ok\n");
  SoundReady = -1;
}

void BuildSoundBank() {
  InitSound();
  FillSoundBank();
}

void FreeSoundBank() {
  if (SoundReady)
    FSOUND_Close();
  else
    FSOUND_Sample_FreeAll();  // samples made while output was closed
  SoundReady = 0;
  // Closing the library ends the samples' life: no slot may point at them.
  memset(SoundBank, 0, sizeof SoundBank);
}

void PlayBankSound(int slot) {
  if (slot >= 0 && slot < SoundBankSlots && SoundBank[slot] != nullptr) FSOUND_PlaySound(FSOUND_FREE, SoundBank[slot]);
}

}  // namespace zorta
