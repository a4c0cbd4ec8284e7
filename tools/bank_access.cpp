#include "bank_access.h"

#include <errno.h>
#include <sys/stat.h>
#include <sys/types.h>
#ifdef _WIN32
#include <direct.h>
#endif

#include <cstdlib>
#include <cstring>

#include <CLI/CLI.hpp>

#include "base/timing.h"
#include "platform/sound.h"
#include "sfx/sound_bank.h"

namespace zorta {

bool ParseNumber(const std::string& text, long* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  *value = strtol(text.c_str(), nullptr, 10);
  return true;
}

bool ParseSlotSequence(const std::string& list, std::vector<int>* slots, std::string* error) {
  slots->clear();
  size_t pos = 0;
  while (true) {
    size_t comma = list.find(',', pos);
    std::string item = list.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
    size_t dash = item.find('-');
    long first = 0, last = 0;
    bool ok = dash == std::string::npos ? ParseNumber(item, &first) && ParseNumber(item, &last)
                                        : ParseNumber(item.substr(0, dash), &first) &&
                                              ParseNumber(item.substr(dash + 1), &last);
    if (!ok || first > last) {
      *error = "bad slot list '" + list + "' (expected numbers and ranges such as 0-9,33)";
      return false;
    }
    if (last >= SoundBankSlots) {
      *error = "slot " + std::to_string(last) + " does not exist (slots are 0 to " +
               std::to_string(SoundBankSlots - 1) + ")";
      return false;
    }
    for (long s = first; s <= last; s++) slots->push_back(static_cast<int>(s));
    if (comma == std::string::npos) break;
    pos = comma + 1;
  }
  return true;
}

bool ParseSlots(const std::string& list, std::vector<bool>* chosen, std::string* error) {
  chosen->assign(SoundBankSlots, false);
  std::vector<int> slots;
  if (!ParseSlotSequence(list, &slots, error)) return false;
  for (int s : slots) (*chosen)[s] = true;
  return true;
}

static int MakeOneFolder(const std::string& path) {
#ifdef _WIN32
  return _mkdir(path.c_str());
#else
  return mkdir(path.c_str(), 0777);
#endif
}

bool MakeFolder(const std::string& path, std::string* error) {
  std::string partial;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    partial = path.substr(0, slash);
    if (!partial.empty() && MakeOneFolder(partial) != 0 && errno != EEXIST) {
      *error = "cannot create folder '" + partial + "': " + strerror(errno);
      return false;
    }
    pos = slash + 1;
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = "'" + path + "' is not a folder";
    return false;
  }
  return true;
}

void FillBankAsProgram() {
  SeedRandom(0);
  FillSoundBank();
}

bool SlotHasEffect(int slot, std::string* error) {
  if (slot >= 0 && slot < SoundBankSlots && SoundBank[slot] != nullptr) return true;
  *error = "slot " + std::to_string(slot) + " holds no effect (filled slots are 0 to " +
           std::to_string(SoundBankEffects - 1) + ")";
  return false;
}

std::vector<int16_t> SlotFrames(int slot) {
  if (slot < 0 || slot >= SoundBankSlots || SoundBank[slot] == nullptr) return {};
  const int16_t* data = FSOUND_Sample_GetData(SoundBank[slot]);
  return std::vector<int16_t>(data, data + FSOUND_Sample_GetLength(SoundBank[slot]));
}

bool PrepareBankOutput(const std::string& slotList, const std::string& outdir, std::vector<bool>* chosen,
                       std::string* error) {
  chosen->assign(SoundBankSlots, false);
  if (slotList.empty()) {
    for (int s = 0; s < SoundBankEffects; s++) (*chosen)[s] = true;
  } else if (!ParseSlots(slotList, chosen, error)) {
    return false;
  }
  FillBankAsProgram();
  for (int s = 0; s < SoundBankSlots; s++)
    if ((*chosen)[s] && !SlotHasEffect(s, error)) {
      FreeSoundBank();
      return false;
    }
  if (!MakeFolder(outdir, error)) {
    FreeSoundBank();
    return false;
  }
  return true;
}

void AddBankOutputOptions(CLI::App* command, BankOutputOptions* options) {
  command->add_option("--slots", options->slotList,
                      "slots to write, in the order of the table: numbers and ranges such as 0-9,33 "
                      "(default: every filled slot)")
      ->type_name("LIST");
  command->add_option("OUTDIR", options->outdir, "folder for the files (made with its parents if missing)")
      ->type_name("");
}

}  // namespace zorta
