// The bank of synthesised sound effects, as a program plays them.
#pragma once

#include "zorta/base.h"

namespace zorta {

/// Slots of the SoundBank, numbered 0 to 499.
const int SoundBankSlots = 500;
/// Slots 0 to 88 hold the built-in effects; the rest are empty or the user's sounds.
const int SoundBankEffects = 89;

/// Plays a slot of the bank (0..499) on a free channel; nothing for an empty slot or one out of range.
void PlayBankSound(int slot);

}  // namespace zorta
