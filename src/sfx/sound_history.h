// The versions of the users' sounds, kept beside them so that nothing made
// is lost: each slot's last versions under FOLDER/.history/NNN/ (NNN the slot
// in three digits), one file a version ("0001.txt", numbered from 1 and never
// reused) and an index naming the file the slot was kept as, the version the
// file holds (the current one) and each version's time, oldest first. Every
// file is written beside its place and renamed into it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zorta {

// Versions a slot keeps; past them the oldest goes.
const int SoundHistoryKeep = 50;

struct SoundVersionInfo {
  int32_t number;  // from 1, in the order the versions were made
  int64_t time;    // seconds since 1970 (UTC) when it was kept
};
struct SoundHistory {
  std::string name;                        // the sound's file in FOLDER, as last kept
  int32_t current;                         // the version the file holds, 0 for none
  std::vector<SoundVersionInfo> versions;  // oldest first
};

// FOLDER/.history/NNN.
std::string SoundHistoryPath(const char* folder, int slot);
// The index is read up to this size; a longer one is cut there.
const size_t SoundHistoryIndexMax = 64 * 1024;
// The slot's history; -1 when it has one, 0 (and an empty history) otherwise.
int ReadSoundHistory(const char* folder, int slot, SoundHistory* history);
// The same from the index's text: lines that do not read as the index writes
// them, and versions out of order, are passed over; the newest 50 are kept.
int ParseSoundHistory(const std::string& text, SoundHistory* history);
// The text of one version; -1 when it could be read.
int ReadSoundVersion(const char* folder, int slot, int32_t number, std::string* text);
// Keeps the text, the sound of FOLDER/name, as the slot's newest version and
// makes it the current one, unless it is the current one already: what the
// program writes back from the history is no new version, while a change
// made anywhere else is. -1 when a version was added.
int RecordSoundVersion(const char* folder, int slot, const char* name, const std::string& text);
// Writes the version `step` places from the current one (-1 undo, +1 redo,
// 0 the current one again, as after the file was removed) into the slot's
// file and makes it current. A file changed since its last version is kept
// as a version first. -1 when it was written; *name gets the file's name.
int StepSoundHistory(const char* folder, int slot, int step, std::string* name);

}  // namespace zorta
