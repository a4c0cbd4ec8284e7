// The bank of synthesised sound effects, and sound output start-up.
#pragma once
#include <cstdint>

#include "platform/sound.h"

namespace zorta {

const int SoundBankSlots = 500;
// Slots 0 to 88 hold the effects; the rest stay 0.
const int SoundBankEffects = 89;
extern SampleHandle SoundBank[SoundBankSlots];
extern int32_t SoundReady;

void InitSound();
// Opens sound output (InitSound), then fills the bank (FillSoundBank).
void BuildSoundBank();
// Runs the 89 recipes in slot order into slots 0 to 88. Needs no sound output:
// the samples are filled and readable either way.
void FillSoundBank();
void FreeSoundBank();

}  // namespace zorta
