#include "sfx/user_sounds.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/timing.h"
#include "io/file.h"
#include "platform/folder.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "sfx/recipe.h"
#include "sfx/sample.h"
#include "sfx/sound_bank.h"
#include "sfx/sound_history.h"

namespace zorta {

namespace {
struct UserSound {
  std::string name;    // in the folder
  int64_t id;          // follows the file through a rename; finished builds find it by this
  int slot;            // -1 while it has none
  FileStamp loaded;    // the version last handed to be made
  FileStamp seen;      // the version the last look found
  int32_t missing;     // looks in a row that did not find it
  int32_t unreadable;  // -1 while the last build could not read it
  int32_t refused;     // -1 once it was told it gets no slot
  uint64_t asked;      // the latest build asked for
  uint64_t answered;   // the latest build come back
  uint64_t play;       // the build to play as soon as it is in its slot, 0 for none
};
std::vector<UserSound> Sounds;
UserSoundReport Report = nullptr;
uint32_t LastPoll = 0;
int32_t Polled = 0;
int64_t LastId = 0;
uint64_t LastTicket = 0;
std::map<std::string, int> Recorded;  // the slots of files without a number, as last recorded
std::string RecordText;               // the record's text as last read or written
int32_t KeepHistory = 0;              // -1: every version read is kept (sound_history.h)

// A file to make, and what came of it. The noise generator's state goes
// along, so a recipe's noise starts where the program's stood.
struct Job {
  int64_t id;
  uint64_t ticket;
  std::string path;
  RandomGenerator random;
};
struct Built {
  int64_t id;
  uint64_t ticket;
  ReadFileResult read;
  std::string text;
  int ok;
  std::vector<int16_t> frames;
  int volume;
  RecipeError error;
  int rate;  // the recipe's own: its synth voice alone plays at 44100 Hz
};

// The building thread and what it shares with the frame's, under `lock`.
// Only the frame's thread touches the bank and the sound library.
struct Builder {
  std::mutex lock;
  std::condition_variable wake;  // a job or the stop
  std::condition_variable idle;  // a job done
  std::deque<Job> jobs;
  std::vector<Built> done;
  int32_t running = 0;
  bool stop = false;
  UserSoundBuildHook hook = nullptr;
  std::thread thread;

  ~Builder() { Stop(); }
  void Stop() {
    {
      std::lock_guard<std::mutex> hold(lock);
      stop = true;
      jobs.clear();
    }
    wake.notify_all();
    if (thread.joinable()) thread.join();
    std::lock_guard<std::mutex> hold(lock);
    done.clear();
    stop = false;
  }
};
Builder Work;

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

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The order a file manager shows: ASCII letters without case, runs of digits
// by their value; names that still tie go by their bytes, so the order is
// the same on every system.
bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      while (i < a.size() && a[i] == '0') i++;
      while (j < b.size() && b[j] == '0') j++;
      size_t si = i, sj = j;
      while (i < a.size() && IsDigit(a[i])) i++;
      while (j < b.size() && IsDigit(b[j])) j++;
      if (i - si != j - sj) return i - si < j - sj;
      int c = a.compare(si, i - si, b, sj, j - sj);
      if (c != 0) return c < 0;
      continue;
    }
    unsigned char x = static_cast<unsigned char>(Folded(a[i])), y = static_cast<unsigned char>(Folded(b[j]));
    if (x != y) return x < y;
    i++;
    j++;
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
  return a < b;
}

UserSound* Find(const std::string& name) {
  for (UserSound& s : Sounds)
    if (s.name == name) return &s;
  return nullptr;
}

UserSound* Holder(int slot) {
  for (UserSound& s : Sounds)
    if (s.slot == slot) return &s;
  return nullptr;
}

bool SlotTaken(int slot) { return SoundBank[slot] != nullptr || Holder(slot) != nullptr; }

int FirstFreeSlot() {
  for (int slot = UserSoundFirstSlot; slot < SoundBankSlots; slot++)
    if (!SlotTaken(slot)) return slot;
  return -1;
}

// The recipe files in the folder, in natural order.
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
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

// The record is lines of "SLOT NAME"; a line that does not read so, or a slot
// outside the users' range, is passed over: a damaged record only loses places.
void ReadRecord() {
  Recorded.clear();
  if (ReadRegularFile(UserSoundIndex, 64 * 1024, &RecordText) != ReadFileDone) RecordText.clear();
  size_t at = 0;
  while (at < RecordText.size()) {
    size_t end = RecordText.find('\n', at);
    if (end == std::string::npos) end = RecordText.size();
    std::string line = RecordText.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t digits = 0;
    while (digits < line.size() && digits < 6 && IsDigit(line[digits])) digits++;
    if (digits == 0 || digits + 1 >= line.size() || line[digits] != ' ') continue;
    int slot = atoi(line.substr(0, digits).c_str());
    if (slot >= UserSoundFirstSlot && slot < SoundBankSlots) Recorded[line.substr(digits + 1)] = slot;
  }
}

// Writes the slots of the files without a number when they changed; a
// folder that cannot be written to only loses the record (tried again at the
// next change, not at every look).
void WriteRecord() {
  std::map<std::string, int> now;
  for (const UserSound& s : Sounds)
    if (s.slot >= 0 && AskedSlot(s.name) < 0 && s.name.find_first_of("\r\n") == std::string::npos)
      now[s.name] = s.slot;
  if (now == Recorded) return;
  std::string text = "# Slots of the sound files without a number, kept from one start to the next.\n";
  for (const auto& entry : now) text += std::to_string(entry.second) + " " + entry.first + "\n";
  if (now.empty() && RecordText.empty()) text.clear();
  if (text != RecordText) FileReplaceWhole(UserSoundIndex, text.data(), text.size());
  Recorded = now;
  RecordText = text;
}

// On the building thread: reads and makes one file.
Built Build(const Job& job) {
  Built b{job.id, job.ticket, ReadFileFailed, {}, 0, {}, 0, {0, 0, ""}, RecipeBankRate};
  // One byte over the limit is enough to have the recipe refused for its size.
  b.read = ReadRegularFile(job.path.c_str(), RecipeMaxText + 1, &b.text);
  if (b.read != ReadFileDone) return b;
  RandomState = job.random;
  b.ok = RenderRecipe(b.text.data(), b.text.size(), &b.frames, &b.volume, &b.error, &b.rate);
  return b;
}

void BuildLoop() {
  std::unique_lock<std::mutex> hold(Work.lock);
  for (;;) {
    Work.wake.wait(hold, [] { return Work.stop || !Work.jobs.empty(); });
    if (Work.stop) break;
    Job job = std::move(Work.jobs.front());
    Work.jobs.pop_front();
    Work.running = -1;
    UserSoundBuildHook hook = Work.hook;
    hold.unlock();
    if (hook != nullptr) hook(job.path.c_str());
    hold.lock();
    if (Work.stop) break;
    hold.unlock();
    Built built = Build(job);
    hold.lock();
    Work.running = 0;
    if (!Work.stop) Work.done.push_back(std::move(built));
    Work.idle.notify_all();
  }
  Work.running = 0;
  Work.idle.notify_all();
}

// Where no thread can be started (a web page): the jobs built at once on the
// frame's thread, under `lock` as the building thread would leave them.
void BuildWaitingJobs() {
  // A build draws on the generator handed with its job; the frame's own
  // sequence goes on afterwards as if the build had run elsewhere.
  RandomGenerator frames = RandomState;
  while (!Work.jobs.empty()) {
    Job job = std::move(Work.jobs.front());
    Work.jobs.pop_front();
    if (Work.hook != nullptr) Work.hook(job.path.c_str());
    Work.done.push_back(Build(job));
  }
  RandomState = frames;
}

// Hands the file to the building thread; a build of it still waiting there
// is replaced, one under way is left to come back stale.
void Submit(UserSound* s) {
  s->asked = ++LastTicket;
  Job job{s->id, s->asked, PathOf(s->name), RandomState};
  {
    std::lock_guard<std::mutex> hold(Work.lock);
    auto same = std::find_if(Work.jobs.begin(), Work.jobs.end(), [&](const Job& j) { return j.id == s->id; });
    if (same != Work.jobs.end())
      *same = std::move(job);
    else
      Work.jobs.push_back(std::move(job));
    if (!WinThreadsAvailable()) {
      BuildWaitingJobs();
      return;
    }
    if (!Work.thread.joinable()) Work.thread = std::thread(BuildLoop);
  }
  Work.wake.notify_one();
}

void Release(UserSound* s) {
  if (s->slot < 0) return;
  SampleHandle old = SoundBank[s->slot];
  SoundBank[s->slot] = nullptr;
  if (old != nullptr) FSOUND_Sample_Free(old);
  s->slot = -1;
}

// On the frame's thread: the finished builds into their slots, each only if
// it is the file's latest; a failure keeps the slot's last good sound.
void Install() {
  std::vector<Built> done;
  {
    std::lock_guard<std::mutex> hold(Work.lock);
    done.swap(Work.done);
  }
  for (Built& b : done) {
    auto it = std::find_if(Sounds.begin(), Sounds.end(), [&](const UserSound& s) { return s.id == b.id; });
    if (it == Sounds.end() || it->asked != b.ticket) continue;
    UserSound* s = &*it;
    s->answered = b.ticket;
    if (b.read != ReadFileDone) {
      if (!s->unreadable)
        Tell(s->name, 0, 0,
             b.read == ReadFileNotRegular ? "not a regular file: only plain text files are read"
                                          : "the file cannot be read");
      s->unreadable = -1;
      continue;
    }
    s->unreadable = 0;
    // A broken recipe is still the user's work: it is kept like any other.
    if (KeepHistory && s->slot >= 0) RecordSoundVersion(UserSoundFolder, s->slot, s->name.c_str(), b.text);
    if (!b.ok) {
      Tell(s->name, b.error.line, b.error.column, b.error.message);
      continue;
    }
    if (s->slot < 0) continue;  // it lost its slot meanwhile
    SampleHandle fresh = SampleFromFrames(b.frames.data(), static_cast<int>(b.frames.size()), b.volume, b.rate);
    if (fresh == nullptr) {
      Tell(s->name, 0, 0, "the sound library has no room for the sound");
      continue;
    }
    SampleHandle old = SoundBank[s->slot];
    SoundBank[s->slot] = fresh;
    if (old != nullptr) FSOUND_Sample_Free(old);
    if (s->play == b.ticket) FSOUND_PlaySound(FSOUND_FREE, fresh);
    s->play = 0;
  }
}

void Refuse(UserSound* s, const std::string& message) {
  if (!s->refused) Tell(s->name, 0, 0, message);
  s->refused = -1;
}

// A numbered file takes its own slot: a file without a number there moves
// to the first empty one, its sound with it; a file gone from this look
// gives it up.
bool ClaimAsked(UserSound* s, int asked) {
  if (asked < UserSoundFirstSlot || asked >= SoundBankSlots) {
    Refuse(s, "slot " + std::to_string(asked) + " is not a user slot: name the file after one from " +
                  std::to_string(UserSoundFirstSlot) + " to " + std::to_string(SoundBankSlots - 1) +
                  ", as in 120-laser.txt");
    return false;
  }
  UserSound* holder = Holder(asked);
  if (holder != nullptr && holder->missing > 0) {
    Release(holder);
  } else if (holder != nullptr && AskedSlot(holder->name) < 0) {
    int other = FirstFreeSlot();
    if (other < 0) {
      Release(holder);
      Refuse(holder, "every slot is taken");
    } else {
      SoundBank[other] = SoundBank[asked];
      SoundBank[asked] = nullptr;
      holder->slot = other;
    }
  }
  if (SlotTaken(asked)) {
    Refuse(s, "slot " + std::to_string(asked) + " is already taken by another file");
    return false;
  }
  s->slot = asked;
  return true;
}

// Gives slots to the files waiting for one and hands them to be made:
// numbered files first, then the others, each in natural order, those with
// a recorded slot still free taking it before the rest fill the gaps.
void Place(std::vector<int64_t> waiting) {
  std::vector<UserSound*> numbered, plain;
  for (UserSound& s : Sounds)
    if (s.slot < 0 && std::find(waiting.begin(), waiting.end(), s.id) != waiting.end())
      (AskedSlot(s.name) >= 0 ? numbered : plain).push_back(&s);
  auto byName = [](const UserSound* a, const UserSound* b) { return NaturalLess(a->name, b->name); };
  std::sort(numbered.begin(), numbered.end(), byName);
  std::sort(plain.begin(), plain.end(), byName);
  std::vector<UserSound*> placed;
  for (UserSound* s : numbered)
    if (ClaimAsked(s, AskedSlot(s->name))) placed.push_back(s);
  for (UserSound* s : plain) {
    auto record = Recorded.find(s->name);
    if (record != Recorded.end() && !SlotTaken(record->second)) s->slot = record->second;
  }
  for (UserSound* s : plain) {
    if (s->slot < 0) s->slot = FirstFreeSlot();
    if (s->slot < 0)
      Refuse(s, "every slot is taken");
    else
      placed.push_back(s);
  }
  for (UserSound* s : placed) {
    s->refused = 0;
    s->loaded = s->seen;
    Submit(s);
  }
}

// A file new to this look with the time and size of one that has just gone
// is that file renamed: it keeps the slot and the sound.
UserSound* RenamedFrom(const std::string& name, const FileStamp& stamp) {
  int asked = AskedSlot(name);
  for (UserSound& s : Sounds)
    if (s.missing > 0 && s.slot >= 0 && SameStamp(s.seen, stamp) && (asked < 0 || asked == s.slot)) return &s;
  return nullptr;
}

// One look at the folder. At start-up every file is made at once; later a
// file is made once the same version has been seen twice.
void Look(bool atStart) {
  std::vector<std::string> names = ListRecipeFiles();
  for (UserSound& s : Sounds) s.missing++;
  std::vector<int64_t> waiting;
  for (const std::string& name : names) {
    FileStamp stamp{0, 0};
    if (!GetFileStamp(PathOf(name).c_str(), &stamp)) continue;
    UserSound* known = Find(name);
    if (known == nullptr && (known = RenamedFrom(name, stamp)) != nullptr) {
      known->name = name;
      known->missing = 0;
      if (known->asked != known->answered) Submit(known);  // the build under way may read the old name
      continue;
    }
    if (known == nullptr) {
      Sounds.push_back({name, ++LastId, -1, {-1, -1}, stamp, 0, 0, 0, 0, 0, 0});
      if (atStart) waiting.push_back(LastId);  // a file added while running waits for a steady second look
      continue;
    }
    known->missing = 0;
    bool steady = SameStamp(stamp, known->seen);
    known->seen = stamp;
    if (!atStart && !steady) continue;
    // A file that could not be read is tried again: its permissions may have
    // changed without its time or size.
    bool retry = known->unreadable && known->asked == known->answered;
    if (known->slot < 0) {
      waiting.push_back(known->id);
    } else if (!SameStamp(stamp, known->loaded) || retry) {
      known->loaded = stamp;
      Submit(known);
    }
  }
  // A file gone for two looks in a row (not just replaced by an editor's save) gives its slot back.
  for (size_t i = 0; i < Sounds.size();) {
    if (Sounds[i].missing >= 2) {
      Release(&Sounds[i]);
      Sounds.erase(Sounds.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      i++;
    }
  }
  Place(waiting);
  WriteRecord();
}
}  // namespace

void SetUserSoundReport(UserSoundReport report) { Report = report; }

void StartUserSounds() {
  ReadRecord();
  Look(true);
  Polled = 0;
}

void LoadUserSounds() {
  StartUserSounds();
  WaitForUserSounds();
}

int UserSoundsBuilding() {
  std::lock_guard<std::mutex> hold(Work.lock);
  return (!Work.jobs.empty() || Work.running || !Work.done.empty()) ? -1 : 0;
}

void PollUserSounds(uint32_t nowMs) {
  Install();
  if (Polled && nowMs - LastPoll < UserSoundPollMs) return;
  Polled = -1;
  LastPoll = nowMs;
  Look(false);
}

void SetUserSoundHistory(int keep) { KeepHistory = keep ? -1 : 0; }

int UserSoundWritten(const char* name, int play) {
  FileStamp stamp{0, 0};
  if (name == nullptr || !GetFileStamp(PathOf(name).c_str(), &stamp)) return -1;
  UserSound* s = Find(name);
  if (s == nullptr) {
    Sounds.push_back({name, ++LastId, -1, stamp, stamp, 0, 0, 0, 0, 0, 0});
    Place({LastId});
    WriteRecord();
    s = &Sounds.back();
  } else {
    s->missing = 0;
    s->seen = s->loaded = stamp;
    if (s->slot < 0)
      Place({s->id});
    else
      Submit(s);  // any build of the older text comes back stale
  }
  if (play && s->slot >= 0) s->play = s->asked;
  return s->slot;
}

void UserSoundRemoved(const char* name) {
  for (size_t i = 0; name != nullptr && i < Sounds.size(); i++) {
    if (Sounds[i].name != name) continue;
    Release(&Sounds[i]);
    Sounds.erase(Sounds.begin() + static_cast<std::ptrdiff_t>(i));
    WriteRecord();
    return;
  }
}

std::string UserSoundFileAt(int slot) {
  UserSound* s = slot >= 0 ? Holder(slot) : nullptr;
  return s != nullptr ? s->name : std::string();
}

void ForgetUserSounds() {
  Work.Stop();
  KeepHistory = 0;
  Sounds.clear();
  Recorded.clear();
  RecordText.clear();
  Polled = 0;
}

int UserSoundSlot(const char* name) {
  UserSound* s = Find(name);
  return s != nullptr ? s->slot : -1;
}

void SetUserSoundBuildHook(UserSoundBuildHook hook) {
  std::lock_guard<std::mutex> hold(Work.lock);
  Work.hook = hook;
}

void WaitForUserSounds() {
  {
    std::unique_lock<std::mutex> hold(Work.lock);
    Work.idle.wait(hold, [] { return (Work.jobs.empty() && !Work.running) || !Work.thread.joinable(); });
  }
  Install();
}

}  // namespace zorta
