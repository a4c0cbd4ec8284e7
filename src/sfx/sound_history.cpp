#include "sfx/sound_history.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "io/file.h"
#include "platform/folder.h"
#include "sfx/recipe.h"

namespace zorta {

namespace {
const char IndexName[] = "index";

std::string VersionPath(const char* folder, int slot, int32_t number) {
  char name[24];
  snprintf(name, sizeof name, "/%04d.txt", static_cast<int>(number));
  return SoundHistoryPath(folder, slot) + name;
}

std::string IndexPath(const char* folder, int slot) { return SoundHistoryPath(folder, slot) + "/" + IndexName; }

// A whole number of at most 18 digits at the start of text; -1 when one is there.
int ReadWhole(const std::string& text, size_t* at, int64_t* value) {
  size_t start = *at, i = start;
  while (i < text.size() && i - start < 18 && text[i] >= '0' && text[i] <= '9') i++;
  if (i == start) return 0;
  *value = strtoll(text.substr(start, i - start).c_str(), nullptr, 10);
  *at = i;
  return -1;
}

int WriteIndex(const char* folder, int slot, const SoundHistory& history) {
  std::string text = "# The versions of this slot's sound, oldest first; the current one is in its file.\n";
  text += "name " + history.name + "\ncurrent " + std::to_string(history.current) + "\n";
  for (const SoundVersionInfo& v : history.versions)
    text += "version " + std::to_string(v.number) + " " + std::to_string(v.time) + "\n";
  return FileReplaceWhole(IndexPath(folder, slot).c_str(), text.data(), text.size());
}

int IndexOf(const SoundHistory& history, int32_t number) {
  for (size_t i = 0; i < history.versions.size(); i++)
    if (history.versions[i].number == number) return static_cast<int>(i);
  return -1;
}
}  // namespace

std::string SoundHistoryPath(const char* folder, int slot) {
  char name[24];
  snprintf(name, sizeof name, "/.history/%03d", slot);
  return std::string(folder) + name;
}

// Lines of "name FILE", "current N" and "version N TIME"; a line that does not
// read so is passed over, as are versions out of order, so a damaged index
// only loses versions.
int ParseSoundHistory(const std::string& text, SoundHistory* history) {
  history->name.clear();
  history->current = 0;
  history->versions.clear();
  int64_t current = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (line.compare(0, 5, "name ") == 0 && line.size() > 5 && line[5] != '.' && line.find('/') == std::string::npos &&
        line.find('\\') == std::string::npos) {
      history->name = line.substr(5);
    } else if (line.compare(0, 8, "current ") == 0) {
      size_t p = 8;
      ReadWhole(line, &p, &current);
    } else if (line.compare(0, 8, "version ") == 0) {
      size_t p = 8;
      int64_t number = 0, time = 0;
      if (!ReadWhole(line, &p, &number) || p >= line.size() || line[p++] != ' ' || !ReadWhole(line, &p, &time))
        continue;
      if (number <= 0 || number > 999999999) continue;
      if (!history->versions.empty() && number <= history->versions.back().number) continue;
      history->versions.push_back({static_cast<int32_t>(number), time});
    }
  }
  while (history->versions.size() > static_cast<size_t>(SoundHistoryKeep))
    history->versions.erase(history->versions.begin());
  if (history->versions.empty()) return 0;
  history->current = IndexOf(*history, static_cast<int32_t>(current)) >= 0 ? static_cast<int32_t>(current)
                                                                           : history->versions.back().number;
  return -1;
}

int ReadSoundHistory(const char* folder, int slot, SoundHistory* history) {
  std::string text;
  if (ReadRegularFile(IndexPath(folder, slot).c_str(), SoundHistoryIndexMax, &text) != ReadFileDone) text.clear();
  return ParseSoundHistory(text, history);
}

int ReadSoundVersion(const char* folder, int slot, int32_t number, std::string* text) {
  return ReadRegularFile(VersionPath(folder, slot, number).c_str(), RecipeMaxText + 1, text) == ReadFileDone ? -1
                                                                                                              : 0;
}

int RecordSoundVersion(const char* folder, int slot, const char* name, const std::string& text) {
  SoundHistory history;
  ReadSoundHistory(folder, slot, &history);
  std::string current;
  if (history.current > 0 && ReadSoundVersion(folder, slot, history.current, &current) && current == text) {
    if (history.name == name) return 0;
    history.name = name;  // renamed: the same sound under its new name
    WriteIndex(folder, slot, history);
    return 0;
  }
  std::string base = std::string(folder) + "/.history";
  if (!CreateFolder(base.c_str()) || !CreateFolder(SoundHistoryPath(folder, slot).c_str())) return 0;
  int32_t number = history.versions.empty() ? 1 : history.versions.back().number + 1;
  if (!FileReplaceWhole(VersionPath(folder, slot, number).c_str(), text.data(), text.size())) return 0;
  history.name = name;
  history.current = number;
  history.versions.push_back({number, static_cast<int64_t>(std::time(nullptr))});
  std::vector<SoundVersionInfo> dropped;
  while (history.versions.size() > static_cast<size_t>(SoundHistoryKeep)) {
    dropped.push_back(history.versions.front());
    history.versions.erase(history.versions.begin());
  }
  if (!WriteIndex(folder, slot, history)) return 0;
  for (const SoundVersionInfo& v : dropped) RemoveFile(VersionPath(folder, slot, v.number).c_str());
  return -1;
}

int StepSoundHistory(const char* folder, int slot, int step, std::string* name) {
  SoundHistory history;
  if (!ReadSoundHistory(folder, slot, &history) || history.name.empty()) return 0;
  std::string path = std::string(folder) + "/" + history.name;
  std::string onDisk;
  // A change the watcher has not seen yet is kept before it is replaced.
  if (ReadRegularFile(path.c_str(), RecipeMaxText + 1, &onDisk) == ReadFileDone &&
      RecordSoundVersion(folder, slot, history.name.c_str(), onDisk))
    ReadSoundHistory(folder, slot, &history);
  int at = IndexOf(history, history.current) + step;
  if (at < 0 || at >= static_cast<int>(history.versions.size())) return 0;
  std::string text;
  if (!ReadSoundVersion(folder, slot, history.versions[at].number, &text)) return 0;
  history.current = history.versions[at].number;
  // The index first: the file's new text is then the current version, which
  // the watcher does not take for a new one.
  if (!WriteIndex(folder, slot, history) || !FileReplaceWhole(path.c_str(), text.data(), text.size())) return 0;
  *name = history.name;
  return -1;
}

}  // namespace zorta
