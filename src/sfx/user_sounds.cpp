#include "sfx/user_sounds.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "io/file.h"
#include "platform/folder.h"
#include "platform/sound.h"
#include "sfx/recipe.h"
#include "sfx/sample.h"
#include "sfx/sound_bank.h"

namespace {
struct UserSound {
  std::string name;  // in the folder
  int slot;          // -1 while it has none
  FileStamp loaded;  // the version last made (or found broken)
  FileStamp seen;    // the version the last look found
  int32_t missing;   // looks in a row that did not find it
};
std::vector<UserSound> Sounds;
UserSoundReport Report = nullptr;
uint32_t LastPoll = 0;
int32_t Polled = 0;

bool SameStamp(const FileStamp& a, const FileStamp& b) { return a.modified == b.modified && a.size == b.size; }

std::string PathOf(const std::string& name) { return std::string(UserSoundFolder) + "/" + name; }

void Tell(const std::string& name, int line, int column, const std::string& message) {
  if (Report != nullptr) Report(PathOf(name).c_str(), line, column, message.c_str());
}

// Leading digits of the name: the slot it asks for, or -1 for none.
int AskedSlot(const std::string& name) {
  size_t n = 0;
  while (n < name.size() && n < 6 && name[n] >= '0' && name[n] <= '9') n++;
  if (n == 0 || (n < name.size() && name[n] >= '0' && name[n] <= '9')) return n == 0 ? -1 : 100000;
  return atoi(name.substr(0, n).c_str());
}

bool SlotTaken(int slot) {
  if (SoundBank[slot] != nullptr) return true;
  for (const UserSound& s : Sounds)
    if (s.slot == slot) return true;
  return false;
}

// The recipe files in the folder, in name order.
std::vector<std::string> ListRecipeFiles() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  std::string pattern = std::string(UserSoundFolder) + "/*.txt";
  FindHandle h = FindFirstFileA(pattern.c_str(), &data);
  if (h == INVALID_FIND_HANDLE) return names;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && data.cFileName[0] != '.')
      names.push_back(data.cFileName);
  } while (FindNextFileA(h, &data));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

bool ReadText(const std::string& path, std::string* text) {
  FileHandle f = FileOpen(path.c_str(), "rb", 0);
  if (f == nullptr) return false;
  int64_t size = FileBytesLeft(f);
  // One byte over the limit is enough to have the recipe refused for its size.
  int64_t keep = size < 0 ? 0 : std::min<int64_t>(size, static_cast<int64_t>(RecipeMaxText) + 1);
  text->assign(static_cast<size_t>(keep), '\0');
  if (keep > 0) ReadBlock(f, &(*text)[0], static_cast<int32_t>(keep));
  bool ok = !FilePastEnd(f);
  FileClose(f);
  return ok;
}

// Makes the file's sound again and puts it in its slot; on failure the slot
// keeps what it had.
void Make(UserSound* s) {
  std::string text;
  if (!ReadText(PathOf(s->name), &text)) {
    Tell(s->name, 0, 0, "the file cannot be read");
    return;
  }
  std::vector<int16_t> frames;
  int volume = 0;
  RecipeError error;
  if (!RenderRecipe(text.data(), text.size(), &frames, &volume, &error)) {
    Tell(s->name, error.line, error.column, error.message);
    return;
  }
  SampleHandle fresh = SampleFromFrames(frames.data(), static_cast<int>(frames.size()), volume);
  if (fresh == nullptr) {
    Tell(s->name, 0, 0, "the sound library has no room for the sound");
    return;
  }
  SampleHandle old = SoundBank[s->slot];
  SoundBank[s->slot] = fresh;
  if (old != nullptr) FSOUND_Sample_Free(old);
}

// Gives a new file its slot: the one its name asks for, else the first empty one.
void PlaceNew(UserSound* s) {
  int asked = AskedSlot(s->name);
  if (asked >= 0) {
    if (asked < UserSoundFirstSlot || asked >= SoundBankSlots) {
      Tell(s->name, 0, 0, "slot " + std::to_string(asked) + " is not a user slot: name the file after one from " +
                              std::to_string(UserSoundFirstSlot) + " to " + std::to_string(SoundBankSlots - 1) +
                              ", as in 120-laser.txt");
      return;
    }
    if (SlotTaken(asked)) {
      Tell(s->name, 0, 0, "slot " + std::to_string(asked) + " is already taken by another file");
      return;
    }
    s->slot = asked;
    return;
  }
  for (int slot = UserSoundFirstSlot; slot < SoundBankSlots; slot++)
    if (!SlotTaken(slot)) {
      s->slot = slot;
      return;
    }
  Tell(s->name, 0, 0, "every slot is taken");
}

void Release(UserSound* s) {
  if (s->slot < 0) return;
  SampleHandle old = SoundBank[s->slot];
  SoundBank[s->slot] = nullptr;
  if (old != nullptr) FSOUND_Sample_Free(old);
  s->slot = -1;
}

// One look at the folder. At start-up every file is made at once; later a
// file is made once the same version has been seen twice.
void Look(bool atStart) {
  std::vector<std::string> names = ListRecipeFiles();
  for (UserSound& s : Sounds) s.missing++;
  std::vector<size_t> fresh;
  for (const std::string& name : names) {
    FileStamp stamp{0, 0};
    if (!GetFileStamp(PathOf(name).c_str(), &stamp)) continue;
    auto known = std::find_if(Sounds.begin(), Sounds.end(), [&](const UserSound& s) { return s.name == name; });
    if (known == Sounds.end()) {
      Sounds.push_back({name, -1, {-1, -1}, stamp, 0});
      fresh.push_back(Sounds.size() - 1);
      continue;
    }
    known->missing = 0;
    bool steady = SameStamp(stamp, known->seen);
    known->seen = stamp;
    if ((atStart || steady) && !SameStamp(stamp, known->loaded)) {
      known->loaded = stamp;
      if (known->slot < 0) PlaceNew(&*known);
      if (known->slot >= 0) Make(&*known);
    }
  }
  // A file gone for two looks in a row (not just replaced by an editor's save) gives its slot back.
  for (size_t i = 0; i < Sounds.size();) {
    if (Sounds[i].missing >= 2) {
      Release(&Sounds[i]);
      Sounds.erase(Sounds.begin() + static_cast<std::ptrdiff_t>(i));
      fresh.erase(std::remove(fresh.begin(), fresh.end(), i), fresh.end());
      for (size_t& f : fresh)
        if (f > i) f--;
    } else {
      i++;
    }
  }
  // Numbered files claim their slots before the others fill the gaps.
  for (int pass = 0; pass < 2; pass++)
    for (size_t i : fresh) {
      UserSound& s = Sounds[i];
      if ((AskedSlot(s.name) >= 0) != (pass == 0)) continue;
      if (!atStart) continue;  // a file added while running waits for a steady second look
      s.loaded = s.seen;
      PlaceNew(&s);
      if (s.slot >= 0) Make(&s);
    }
}
}  // namespace

void SetUserSoundReport(UserSoundReport report) { Report = report; }

void LoadUserSounds() {
  Look(true);
  Polled = 0;
}

void PollUserSounds(uint32_t nowMs) {
  if (Polled && nowMs - LastPoll < UserSoundPollMs) return;
  Polled = -1;
  LastPoll = nowMs;
  Look(false);
}

void ForgetUserSounds() {
  Sounds.clear();
  Polled = 0;
}

int UserSoundSlot(const char* name) {
  for (const UserSound& s : Sounds)
    if (s.name == name) return s.slot;
  return -1;
}
