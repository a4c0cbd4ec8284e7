// zorta-tool history: the versions the program kept of a user's sound, and
// any one of them in full.
#include <cstdio>
#include <ctime>
#include <string>

#include <CLI/CLI.hpp>

#include "bank_access.h"
#include "platform/folder.h"
#include "sfx/sound_history.h"
#include "tool.h"

namespace zorta {

namespace {
std::string HistoryFile, HistoryShow;

// The slot of a sound file: its leading number, else the one the folder's
// record of the files without a number gives it; -1 for none.
int SlotOfFile(const std::string& folder, const std::string& name) {
  size_t digits = 0;
  while (digits < name.size() && digits < 6 && name[digits] >= '0' && name[digits] <= '9') digits++;
  if (digits > 0) return std::stoi(name.substr(0, digits));
  std::string record;
  if (ReadRegularFile((folder + "/.slots").c_str(), 64 * 1024, &record) != ReadFileDone) return -1;
  size_t at = 0;
  while (at < record.size()) {
    size_t end = record.find('\n', at);
    if (end == std::string::npos) end = record.size();
    std::string line = record.substr(at, end - at);
    at = end + 1;
    size_t space = line.find(' ');
    long slot = -1;
    if (space != std::string::npos && line.substr(space + 1) == name && ParseNumber(line.substr(0, space), &slot))
      return static_cast<int>(slot);
  }
  return -1;
}

// The first comment line's text, or "" when the recipe has none.
std::string FirstComment(const std::string& text) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    size_t start = at;
    while (start < end && (text[start] == ' ' || text[start] == '\t')) start++;
    if (start < end && text[start] == '#') {
      start++;
      while (start < end && text[start] == ' ') start++;
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    at = end + 1;
  }
  return std::string();
}

std::string UtcTime(int64_t seconds) {
  time_t t = static_cast<time_t>(seconds);
  struct tm parts;
#ifdef _WIN32
  if (gmtime_s(&parts, &t) != 0) return "?";
#else
  if (gmtime_r(&t, &parts) == nullptr) return "?";
#endif
  char text[32];
  strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
  return text;
}

int RunHistory() {
  const char* name = "history";
  if (HistoryFile.empty())
    return ToolUsageError(name, "no file given (for example: zorta-tool history Sounds/120-laser.txt)");
  size_t cut = HistoryFile.find_last_of("/\\");
  std::string folder = cut == std::string::npos ? "." : HistoryFile.substr(0, cut);
  std::string base = cut == std::string::npos ? HistoryFile : HistoryFile.substr(cut + 1);
  int slot = SlotOfFile(folder, base);
  SoundHistory history;
  if (slot < 0 || !ReadSoundHistory(folder.c_str(), slot, &history))
    return ToolError(name, "no versions kept of '%s' (the program keeps them in %s/.history/NNN)",
                     HistoryFile.c_str(), folder.c_str());
  if (!HistoryShow.empty()) {
    long number = -1;
    std::string text;
    if (!ParseNumber(HistoryShow, &number) || !ReadSoundVersion(folder.c_str(), slot, static_cast<int32_t>(number), &text))
      return ToolError(name, "no version '%s' of '%s' (versions %d to %d)", HistoryShow.c_str(), HistoryFile.c_str(),
                       history.versions.front().number, history.versions.back().number);
    fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  printf("%s: slot %d, %zu version%s (the last %d are kept), * the current one\n", HistoryFile.c_str(), slot,
         history.versions.size(), history.versions.size() == 1 ? "" : "s", SoundHistoryKeep);
  for (const SoundVersionInfo& v : history.versions) {
    std::string text;
    bool read = ReadSoundVersion(folder.c_str(), slot, v.number, &text) != 0;
    std::string size = read ? std::to_string(text.size()) + " bytes" : "missing";
    std::string comment = FirstComment(text);
    printf("%c %4d  %s UTC  %11s%s%s\n", v.number == history.current ? '*' : ' ', static_cast<int>(v.number),
           UtcTime(v.time).c_str(), size.c_str(), comment.empty() ? "" : "  ", comment.c_str());
  }
  return 0;
}

void SetUp(CLI::App* tool) {
  CLI::App* history = AddToolCommand(tool, "history", "history FILE [--show K]",
                                     "list the versions kept of a sound of yours (number, time, size, first comment, "
                                     "* the current one), or print version K",
                                     RunHistory);
  history->add_option("FILE", HistoryFile, "a sound file in the Sounds folder, such as Sounds/120-laser.txt")
      ->type_name("");
  history->add_option("--show", HistoryShow, "print version K in full")->type_name("K");
}

ToolRegistration registration(SetUp);
}  // namespace

}  // namespace zorta
