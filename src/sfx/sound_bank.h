// The bank of synthesised sound effects, and sound output start-up. Playing
// a slot is public (zorta/sfx.h).
#pragma once
#include <cstdint>

#include "platform/sound.h"
#include "zorta/sfx.h"

namespace zorta {

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
