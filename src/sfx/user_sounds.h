// Sounds of the user's own: recipe files in the Sounds/ folder beside Maps/,
// each in an empty slot of the bank from 89 up, kept up to date while the
// program runs. A file named "120-laser.txt" (leading digits) keeps slot 120;
// files without a number take the empty slots that are left, in natural name
// order (letter case aside, numbers by value: "sound2" before "sound10"), and
// keep them from one start to the next through a record beside the files.
// Files are read and made on a thread of their own, so a slow one never
// holds up a frame; the frame's thread puts the finished sounds in the bank.
#pragma once
#include <cstdint>
#include <string>

namespace zorta {

const char UserSoundFolder[] = "Sounds";
const int UserSoundFirstSlot = 89;
// How often the folder is looked at. A file is made again once it has kept
// the same time and size for one look, so a file caught half written waits
// one more look instead of showing a passing error: a saved change plays
// within two looks.
const uint32_t UserSoundPollMs = 100;

// Where a user's sound failed: the file as "Sounds/NAME", and the line and
// column (0 when the failure concerns the whole file, such as its name).
typedef void (*UserSoundReport)(const char* file, int line, int column, const char* message);
void SetUserSoundReport(UserSoundReport report);

// Where the slots of the files without a number are recorded.
const char UserSoundIndex[] = "Sounds/.slots";

// Hands every recipe file of the folder to the building thread and returns
// at once: PollUserSounds puts each in its slot as it is made, so no file
// holds up the first frames.
void StartUserSounds();
// StartUserSounds, then waits until every file is made and in its slot.
void LoadUserSounds();
// -1 while a file handed to the building thread is not yet in its slot.
int UserSoundsBuilding();
// Called every frame with the millisecond clock: puts the sounds made since
// in their slots, and looks at the folder every UserSoundPollMs. A changed
// file is made again and its slot takes the new sample (the old one is
// freed, stopping it if it plays); a file that fails keeps the slot's last
// good sound; a new file gets a slot, a removed one gives its slot back, a
// renamed one keeps it; a numbered file takes its slot from a file without
// a number at once; a file that could not be read is tried at every look.
void PollUserSounds(uint32_t nowMs);
// Stops the building thread (a build under way ends first) and forgets the
// files, and the history's switch; their samples go with the bank (FreeSoundBank).
void ForgetUserSounds();
// The slot a user file holds, or -1.
int UserSoundSlot(const char* name);
// Called on the building thread as each file's build starts, with the file
// as "Sounds/NAME"; tests hold a build there. Null for none.
typedef void (*UserSoundBuildHook)(const char* file);
void SetUserSoundBuildHook(UserSoundBuildHook hook);
// Waits until every file handed to the building thread is built, and puts
// the results in their slots.
void WaitForUserSounds();

// -1: every version of a file read is kept in the folder's history
// (sound_history.h), unless it is the slot's current version. Off until set.
void SetUserSoundHistory(int keep);
// The program has just written Sounds/NAME whole: it is made at once, not
// after the looks a file saved from elsewhere waits for, and when `play` is
// nonzero it plays as soon as it is in its slot. The slot it holds, or -1.
int UserSoundWritten(const char* name, int play);
// The program has just removed Sounds/NAME: its slot is empty at once.
void UserSoundRemoved(const char* name);
// The file that holds the slot ("120-laser.txt"), or "" for none.
std::string UserSoundFileAt(int slot);

}  // namespace zorta
