#include "sfx/sound_studio.h"

#include <cstdio>

#include "io/file.h"
#include "platform/folder.h"
#include "sfx/builtin_recipes.h"
#include "sfx/recipe.h"
#include "sfx/sound_bank.h"
#include "sfx/sound_history.h"
#include "sfx/user_sounds.h"
#include "zorta/sfx.h"

namespace zorta {

namespace {
// A new sound plays at the bank's full volume: the voice's own volume
// parameter sets how loud it is.
const int StudioVolume = 255;

std::string SlotName(int slot, const std::string& rest) {
  char number[16];
  snprintf(number, sizeof number, "%03d-", slot);
  return number + rest + ".txt";
}

// Kept in the history before it is written, so the watcher finds the file's
// text already current and records it no second time.
int WriteSound(int slot, const std::string& name, const std::string& text, std::string* message) {
  std::string path = std::string(UserSoundFolder) + "/" + name;
  if (!CreateFolder(UserSoundFolder)) {
    *message = "The folder " + std::string(UserSoundFolder) + " cannot be made.";
    return 0;
  }
  RecordSoundVersion(UserSoundFolder, slot, name.c_str(), text);
  if (!FileReplaceWhole(path.c_str(), text.data(), text.size())) {
    *message = "The file " + path + " cannot be written.";
    return 0;
  }
  UserSoundWritten(name.c_str(), -1);
  return -1;
}

int ReadUserSound(int slot, std::string* name, std::string* text, std::string* message) {
  *name = UserSoundFileAt(slot);
  if (name->empty()) {
    *message = "Slot " + std::to_string(slot) + " holds no sound of yours.";
    return 0;
  }
  std::string path = std::string(UserSoundFolder) + "/" + *name;
  if (ReadRegularFile(path.c_str(), RecipeMaxText + 1, text) != ReadFileDone) {
    *message = "The file " + path + " cannot be read.";
    return 0;
  }
  return -1;
}

// The user's recipe as synth settings, or why it cannot be changed as one.
int ReadUserSynth(int slot, std::string* name, SynthSettings* settings, int* volume, std::string* message) {
  std::string text, error;
  if (!ReadUserSound(slot, name, &text, message)) return 0;
  if (!ReadSynthRecipe(text.data(), text.size(), settings, volume, &error)) {
    *message = "Sounds/" + *name + " is no synth sound:#" + error + "#Only a recipe with a synth statement changes so.";
    return 0;
  }
  return -1;
}

std::string FirstWord(const std::string& text, size_t at) {
  size_t end = at;
  while (end < text.size() && ((text[end] >= 'a' && text[end] <= 'z') || (text[end] >= 'A' && text[end] <= 'Z')))
    end++;
  return text.substr(at, end - at);
}

// The kind after the name's number ("120-laser.txt"), else the comment's first word.
int KindOf(const std::string& name, const std::string& text) {
  size_t at = 0;
  while (at < name.size() && name[at] >= '0' && name[at] <= '9') at++;
  if (at < name.size() && name[at] == '-') {
    int kind = SynthKindIndex(FirstWord(name, at + 1).c_str());
    if (kind >= 0) return kind;
  }
  size_t comment = text.compare(0, 2, "# ") == 0 ? 0 : text.find("\n# ");
  if (comment == std::string::npos) return -1;
  return SynthKindIndex(FirstWord(text, comment + (comment == 0 ? 2 : 3)).c_str());
}
}  // namespace

StudioSlotKind StudioSlotKindOf(int slot) {
  if (slot < 0 || slot >= SoundBankSlots) return StudioEmptySlot;
  if (slot < UserSoundFirstSlot && SoundBank[slot] != nullptr) return StudioBuiltinSlot;
  return UserSoundFileAt(slot).empty() ? StudioEmptySlot : StudioUserSlot;
}

int StudioNewSound(int slot, int kind, uint32_t seed, std::string* message) {
  if (kind < 0 || kind >= SynthKindCount || slot < UserSoundFirstSlot || slot >= SoundBankSlots ||
      StudioSlotKindOf(slot) != StudioEmptySlot) {
    *message = "Slot " + std::to_string(slot) + " is not an empty slot of yours.";
    return 0;
  }
  std::string comment = std::string(SynthKindNames[kind]) + ", seed " + std::to_string(seed);
  std::string text = SynthRecipeText(GenerateSynth(kind, seed), StudioVolume, comment.c_str());
  return WriteSound(slot, SlotName(slot, SynthKindNames[kind]), text, message);
}

int StudioMutateSound(int slot, uint32_t seed, std::string* message) {
  std::string name;
  SynthSettings settings;
  int volume = 0;
  if (!ReadUserSynth(slot, &name, &settings, &volume, message)) return 0;
  std::string comment = "mutated, seed " + std::to_string(seed);
  std::string text = SynthRecipeText(MutateSynth(settings, seed, StudioMutateAmount, nullptr), volume, comment.c_str());
  return WriteSound(slot, name, text, message);
}

int StudioAnotherSound(int slot, uint32_t seed, std::string* message) {
  std::string name, text;
  SynthSettings settings;
  int volume = 0;
  if (!ReadUserSynth(slot, &name, &settings, &volume, message) || !ReadUserSound(slot, &name, &text, message))
    return 0;
  int kind = KindOf(name, text);
  if (kind < 0) {
    *message = "Sounds/" + name + " says of no kind:#name it as 120-laser.txt, or begin its comment with the kind.";
    return 0;
  }
  std::string comment = std::string(SynthKindNames[kind]) + ", seed " + std::to_string(seed);
  return WriteSound(slot, name, SynthRecipeText(GenerateSynth(kind, seed), volume, comment.c_str()), message);
}

int StudioStepSound(int slot, int step, std::string* message) {
  std::string name;
  if (!StepSoundHistory(UserSoundFolder, slot, step, &name)) {
    *message = step < 0 ? "Nothing to undo." : step > 0 ? "Nothing to redo." : "Nothing to bring back.";
    return 0;
  }
  UserSoundWritten(name.c_str(), -1);
  return -1;
}

int StudioDeleteSound(int slot, std::string* message) {
  std::string name, text;
  if (!ReadUserSound(slot, &name, &text, message)) return 0;
  // Whatever the file holds now is kept before it goes.
  RecordSoundVersion(UserSoundFolder, slot, name.c_str(), text);
  std::string path = std::string(UserSoundFolder) + "/" + name;
  if (!RemoveFile(path.c_str())) {
    *message = "The file " + path + " cannot be removed.";
    return 0;
  }
  UserSoundRemoved(name.c_str());
  return -1;
}

int StudioCopyBuiltin(int builtin, int* slot, std::string* message) {
  if (builtin < 0 || builtin >= BuiltinRecipeCount) {
    *message = "Slot " + std::to_string(builtin) + " holds no built-in sound.";
    return 0;
  }
  *slot = -1;
  for (int s = UserSoundFirstSlot; s < SoundBankSlots && *slot < 0; s++)
    if (StudioSlotKindOf(s) == StudioEmptySlot && SoundBank[s] == nullptr) *slot = s;
  if (*slot < 0) {
    *message = "Every slot is taken.";
    return 0;
  }
  char rest[32];
  snprintf(rest, sizeof rest, "copy-of-%02d", builtin);
  return WriteSound(*slot, SlotName(*slot, rest), BuiltinRecipeWithSeed(builtin), message);
}

std::string StudioRemovedName(int slot) {
  SoundHistory history;
  if (!ReadSoundHistory(UserSoundFolder, slot, &history)) return std::string();
  return history.name;
}

}  // namespace zorta
