#include "replay.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include <zorta/zorta.h>

#include "game.h"

using namespace zorta;

Replay Recording;
int32_t RecordingOn = 0;

namespace {

const char Magic[] = "zorta-game replay 1";

bool ParseWord(const char* text, uint32_t* out) {
  char* end = nullptr;
  unsigned long long v = strtoull(text, &end, 10);
  if (end == text || *end != 0 || text[0] == '-' || v > UINT32_MAX) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

bool ParseHash(const std::string& text, uint64_t* out) {
  if (text.size() != 16 || text.find_first_not_of("0123456789abcdef") != std::string::npos) return false;
  *out = strtoull(text.c_str(), nullptr, 16);
  return true;
}

void MarkRecordingEnd() {
  Recording.endSteps = Game.steps;
  Recording.endHash = HashWorld();
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) i++;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') i++;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

}  // namespace

int ReadReplay(FILE* in, Replay* replay, std::string* error) {
  replay->seed = 1;
  replay->entries.clear();
  std::string line;
  int number = 0;
  bool sawMagic = false, sawNew = false, sawEnd = false;
  uint64_t runSteps = 0;
  for (;;) {
    line.clear();
    int c;
    while ((c = fgetc(in)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
    if (c == EOF && line.empty()) break;
    number++;
    // A checkout that turned the line ends into CRLF holds the same replay.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    auto fail = [&](const char* why) {
      *error = "line " + std::to_string(number) + ": " + why;
      return 0;
    };
    // A name holding a NUL could not be written back as it was read.
    if (line.find('\0') != std::string::npos) return fail("a NUL byte");
    if (!sawMagic) {
      if (line != Magic) return fail("not a zorta-game replay");
      sawMagic = true;
      continue;
    }
    std::vector<std::string> w = Words(line);
    if (w.empty() || w[0][0] == '#') continue;
    if (sawEnd) return fail("nothing but comments may follow the end line");
    if ((w[0] == "run" || w[0] == "level") && !sawNew) return fail("play before the first 'new' line");
    if (w[0] == "end") {
      if (w.size() != 3 || !ParseWord(w[1].c_str(), &replay->endSteps) || !ParseHash(w[2], &replay->endHash))
        return fail("end wants the step count and the 16-digit hash");
      if (replay->endSteps != runSteps) return fail("the end line's step count is not that of the runs");
      sawEnd = true;
    } else if (w[0] == "seed") {
      if (w.size() != 2 || !ParseWord(w[1].c_str(), &replay->seed)) return fail("seed wants one number");
    } else if (w[0] == "new" || w[0] == "level") {
      if (w.size() != 2) return fail("a level name without spaces is wanted");
      ReplayEntry e{w[0] == "new" ? ReplayEntry::NewGameAt : ReplayEntry::LevelAt, 0, {0, 0, 0, 0}, w[1]};
      replay->entries.push_back(e);
      sawNew = true;
    } else if (w[0] == "run") {
      ReplayEntry e{ReplayEntry::Run, 0, {0, 0, 0, 0}, ""};
      if (w.size() != 6 || !ParseWord(w[1].c_str(), &e.count)) return fail("run wants a count and four control sets");
      for (int i = 0; i < 4; i++)
        if (!ParseWord(w[2 + i].c_str(), &e.bits[i]) || e.bits[i] > 127) return fail("a control set is 0 to 127");
      replay->entries.push_back(e);
      runSteps += e.count;
    } else {
      return fail("unknown line");
    }
    if (c == EOF) break;
  }
  if (!sawMagic) {
    *error = "line 1: not a zorta-game replay";
    return 0;
  }
  if (!sawEnd) {
    *error = "line " + std::to_string(number + 1) + ": the end line is missing: the file was cut short";
    return 0;
  }
  return -1;
}

void WriteReplay(FILE* out, const Replay& replay) {
  fprintf(out, "%s\nseed %" PRIu32 "\n", Magic, replay.seed);
  for (const ReplayEntry& e : replay.entries) {
    if (e.kind == ReplayEntry::Run)
      fprintf(out, "run %" PRIu32 " %" PRIu32 " %" PRIu32 " %" PRIu32 " %" PRIu32 "\n", e.count, e.bits[0], e.bits[1],
              e.bits[2], e.bits[3]);
    else
      fprintf(out, "%s %s\n", e.kind == ReplayEntry::NewGameAt ? "new" : "level", e.name.c_str());
  }
  fprintf(out, "end %" PRIu32 " %016" PRIx64 "\n", replay.endSteps, replay.endHash);
}

void RecordStep() {
  uint32_t bits[4] = {PlayerControls[0].current, PlayerControls[0].pressed, PlayerControls[1].current,
                      PlayerControls[1].pressed};
  std::vector<ReplayEntry>& entries = Recording.entries;
  if (!entries.empty() && entries.back().kind == ReplayEntry::Run && memcmp(entries.back().bits, bits, sizeof bits) == 0 &&
      entries.back().count < UINT32_MAX) {
    entries.back().count++;
    return;
  }
  ReplayEntry e{ReplayEntry::Run, 1, {bits[0], bits[1], bits[2], bits[3]}, ""};
  entries.push_back(e);
}

void RecordEvent(ReplayEntry::Kind kind, const char* name) {
  Recording.entries.push_back(ReplayEntry{kind, 0, {0, 0, 0, 0}, name != nullptr ? name : ""});
  MarkRecordingEnd();
}

void RecordAndRunGameStep() {
  // Only steps of a started game are played back; before it nothing moves.
  bool recorded = RecordingOn && Game.level >= 0;
  if (recorded) RecordStep();
  RunGameStep();
  if (recorded) MarkRecordingEnd();
}

int PlayReplay(const Replay& replay, uint32_t traceEvery, FILE* trace, const volatile std::sig_atomic_t* stop) {
  for (const ReplayEntry& e : replay.entries) {
    if (e.kind == ReplayEntry::NewGameAt) {
      if (!NewGame(e.name.c_str())) return 0;
      continue;
    }
    if (e.kind == ReplayEntry::LevelAt) {
      if (!StartGameLevel(e.name.c_str())) return 0;
      continue;
    }
    for (uint32_t n = 0; n < e.count; n++) {
      if (stop != nullptr && *stop) return 0;
      for (int p = 0; p < PlayerCount; p++) {
        PlayerControls[p].current = e.bits[2 * p];
        PlayerControls[p].pressed = e.bits[2 * p + 1];
      }
      RunWorldStep();
      if (ShutdownDone) return 0;
      ClearPressedControls();
      if (traceEvery > 0 && trace != nullptr && Game.steps % traceEvery == 0) {
        const LiveObject* p1 = Players[0].object;
        fprintf(trace, "step %" PRIu32 " x %.2f y %.2f score %d lives %d coins %d state %d\n", Game.steps,
                p1 != nullptr ? p1->x : 0.0, p1 != nullptr ? p1->y : 0.0, static_cast<int>(Game.score),
                static_cast<int>(Game.lives), static_cast<int>(Game.coinsLeft), static_cast<int>(Game.state));
      }
    }
  }
  return -1;
}

int ReplayEndMatches(const Replay& replay) {
  return Game.steps == replay.endSteps && HashWorld() == replay.endHash ? -1 : 0;
}
