// The bank of synthesised sound effects, and sound output start-up.
#pragma once
#include <cstdint>

#include "platform/sound.h"

const int SoundBankSlots = 500;
extern SampleHandle SoundBank[SoundBankSlots];
extern int32_t SoundReady;

void InitSound();
void BuildSoundBank();
void FreeSoundBank();
