// Making and changing the users' sounds from inside the program: a new
// sound of a kind in an empty slot, a mutation, another of the same kind, a
// built-in copied, undo and redo through the slot's history, removal. Each
// change is kept in the history first (sound_history.h), then written whole
// into Sounds/ and made and played at once (user_sounds.h).
#pragma once
#include <cstdint>
#include <string>

namespace zorta {

enum StudioSlotKind { StudioEmptySlot, StudioBuiltinSlot, StudioUserSlot };
// What a bank slot holds: a built-in effect, a user's file, or nothing.
StudioSlotKind StudioSlotKindOf(int slot);

// How far a mutation moves each parameter (0 to 1).
const double StudioMutateAmount = 0.05;

// Each answers -1 on success, with *slot the slot written where it takes one;
// 0 with the reason in *message ("#" between its lines) otherwise.
// A new sound of the kind (SynthKind) from the seed, as Sounds/NNN-KIND.txt.
int StudioNewSound(int slot, int kind, uint32_t seed, std::string* message);
// The user's sound nudged by MutateSynth; its recipe must have a synth statement.
int StudioMutateSound(int slot, uint32_t seed, std::string* message);
// A new sound of the kind the file is of: the kind its name says after the
// slot's number ("120-laser.txt"), else the first word of its comment.
int StudioAnotherSound(int slot, uint32_t seed, std::string* message);
// Undo (-1), redo (+1), or the current version brought back into its file
// after a removal (0).
int StudioStepSound(int slot, int step, std::string* message);
// Removes the user's file; its history stays.
int StudioDeleteSound(int slot, std::string* message);
// The built-in's recipe, with the seed line that gives its very noise, into
// the first empty user slot as Sounds/NNN-copy-of-MM.txt.
int StudioCopyBuiltin(int builtin, int* slot, std::string* message);
// The file name a removed sound of the slot would come back as, or "" when
// the slot has no history.
std::string StudioRemovedName(int slot);

}  // namespace zorta
