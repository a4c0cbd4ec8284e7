// Replays: the file both ways, its refusals, runs joined as they are
// recorded, and a recorded game played back to the same world, bit for bit,
// however many frames were drawn while it was recorded.
#include <cstdio>

#include "game_test_support.h"

using namespace zorta;

namespace {

class ReplayFile : public GameTest {};

Replay Read(const std::string& text, std::string* error) {
  FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
  Replay r;
  if (!ReadReplay(f, &r, error)) r.seed = 0xDEAD;
  fclose(f);
  return r;
}

std::string Written(const Replay& r) {
  char* buffer = nullptr;
  size_t size = 0;
  FILE* f = open_memstream(&buffer, &size);
  WriteReplay(f, r);
  fclose(f);
  std::string text(buffer, size);
  free(buffer);
  return text;
}

TEST_F(ReplayFile, ReadsWhatItWritesAndSkipsComments) {
  std::string text =
      "zorta-game replay 1\nseed 4294967295\n# a comment\nnew level1.map\nrun 120 2 0 0 0\n\nrun 1 18 16 127 64\n"
      "level level2.map\nend 121 00000000000c0ffe\n# after the end, comments\n";
  std::string error;
  Replay r = Read(text, &error);
  ASSERT_EQ(r.seed, 4294967295u) << error;
  ASSERT_EQ(r.entries.size(), 4u);
  EXPECT_EQ(r.entries[0].kind, ReplayEntry::NewGameAt);
  EXPECT_EQ(r.entries[0].name, "level1.map");
  EXPECT_EQ(r.entries[2].count, 1u);
  EXPECT_EQ(r.entries[2].bits[2], 127u);
  EXPECT_EQ(r.entries[3].kind, ReplayEntry::LevelAt);
  EXPECT_EQ(r.endSteps, 121u);
  EXPECT_EQ(r.endHash, 0xc0ffeu);
  std::string again = Written(r);
  EXPECT_EQ(again,
            "zorta-game replay 1\nseed 4294967295\nnew level1.map\nrun 120 2 0 0 0\nrun 1 18 16 127 64\nlevel level2.map\n"
            "end 121 00000000000c0ffe\n");
  // The last line may end without a newline.
  EXPECT_EQ(Read("zorta-game replay 1\nnew a\nrun 3 0 0 0 0\nend 3 0000000000000000", &error).entries.size(), 2u);
  // Lines ended by CRLF, as a Windows checkout may turn them, read the same.
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  error.clear();
  Replay fromCrlf = Read(crlf, &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(Written(fromCrlf), again);
}

TEST_F(ReplayFile, RefusesWhatIsNotAReplayNamingTheLine) {
  std::string error;
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "line 1: not a zorta-game replay"},
      {"zorta-game replay 2\n", "line 1: not a zorta-game replay"},
      {"zorta-game replay 1\nseed -1\n", "line 2: seed wants one number"},
      {"zorta-game replay 1\nseed 4294967296\n", "line 2: seed wants one number"},
      {"zorta-game replay 1\nnew a\nrun 5 0 0 0\n", "line 3: run wants a count and four control sets"},
      {"zorta-game replay 1\nnew a\nrun 5 0 0 0 x\n", "line 3: a control set is 0 to 127"},
      {"zorta-game replay 1\nnew a\n\nrun 5 128 0 0 0\n", "line 4: a control set is 0 to 127"},
      {"zorta-game replay 1\nnew two words\n", "line 2: a level name without spaces is wanted"},
      {"zorta-game replay 1\njump 5\n", "line 2: unknown line"},
      // Play before any new game would run on the map loaded at start-up.
      {"zorta-game replay 1\nseed 1\nrun 5 0 0 0 0\nnew a\nend 5 0000000000000000\n",
       "line 3: play before the first 'new' line"},
      {"zorta-game replay 1\nlevel b\n", "line 2: play before the first 'new' line"},
      // A file cut at a line boundary, and end lines that do not fit.
      {"zorta-game replay 1\nnew a\nrun 5 0 0 0 0\n", "line 4: the end line is missing: the file was cut short"},
      {"zorta-game replay 1\nnew a\nrun 5 0 0 0 0\nend 5\n", "line 4: end wants the step count and the 16-digit hash"},
      {"zorta-game replay 1\nnew a\nrun 5 0 0 0 0\nend 5 0123\n",
       "line 4: end wants the step count and the 16-digit hash"},
      {"zorta-game replay 1\nnew a\nrun 5 0 0 0 0\nend 4 0000000000000000\n",
       "line 4: the end line's step count is not that of the runs"},
      {"zorta-game replay 1\nnew a\nend 0 0000000000000000\nrun 5 0 0 0 0\n",
       "line 4: nothing but comments may follow the end line"},
  };
  for (const Case& c : cases) {
    error.clear();
    EXPECT_EQ(Read(c.text, &error).seed, 0xDEADu) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
  // A NUL inside a name: what was read could not be written back.
  const char nul[] = "zorta-game replay 1\nseed 1\nnew 2\0\0\0l1.map\n";
  error.clear();
  EXPECT_EQ(Read(std::string(nul, sizeof nul - 1), &error).seed, 0xDEADu);
  EXPECT_EQ(error, "line 3: a NUL byte");
}

TEST_F(ReplayFile, RecordingJoinsEqualStepsIntoOneRun) {
  PlayerControls[0].current = ControlRight;
  RecordStep();
  RecordStep();
  PlayerControls[0].pressed = ControlButton1;
  RecordStep();
  PlayerControls[0].pressed = 0;
  RecordStep();
  RecordEvent(ReplayEntry::LevelAt, "b.map");
  RecordStep();
  // The end line holds where the world stood at the last thing recorded.
  char end[64];
  snprintf(end, sizeof end, "end %u %016llx\n", Game.steps, static_cast<unsigned long long>(HashWorld()));
  EXPECT_EQ(Written(Recording), "zorta-game replay 1\nseed 1\nrun 2 2 0 0 0\nrun 1 2 16 0 0\nrun 1 2 0 0 0\n"
                                "level b.map\nrun 1 2 0 0 0\n" + std::string(end));
}

TEST_F(ReplayFile, ARecordedGamePlaysBackToTheSameWorldWhateverWasDrawn) {
  WriteLevel("a.map",
             {"##########", "#........#", "#..#.....#", "#........#", "#........#", "##########"},
             {PlacePlayer(0, 1, 1), PlacePlayer(1, 1, 4), Place("Coin", 5, 1), Place("Coin", 7, 3),
              Place("Goal", 8, 4), PlaceEnemy(2, 3, {{Centre(8), Centre(3)}, {Centre(8), Centre(1)}}, 0.4f, 1)});
  ResetGame(77);
  Recording.seed = 77;
  RecordingOn = -1;
  GameStep = RecordAndRunGameStep;
  ASSERT_EQ(NewGame("a.map"), -1);
  RecordEvent(ReplayEntry::NewGameAt, "a.map");
  // Both players, jumps, walls in the way; a frame drawn every third step,
  // which re-sorts the walkers and ends flashes, as the real frames do.
  struct Leg {
    int steps;
    ControlBits one, pressed, two;
  } legs[] = {{300, ControlRight, 0, 0},          {200, ControlDown | ControlRight, 0, ControlUp},
              {1, ControlLeft | ControlButton1, ControlButton1, ControlRight},
              {400, ControlDown, 0, ControlRight}, {600, ControlRight, 0, ControlUp | ControlRight},
              {300, ControlUp, 0, ControlDown}};
  int n = 0;
  for (const Leg& leg : legs) {
    for (int i = 0; i < leg.steps; i++) {
      Steps(1, leg.one, i == 0 ? leg.pressed : 0, leg.two);
      if (++n % 3 == 0) {
        DrawWorld();
      }
    }
  }
  char live[256];
  FormatResult(live, sizeof live);
  uint64_t liveHash = HashWorld();
  EXPECT_GT(Game.score, 0);
  EXPECT_EQ(Game.steps, static_cast<uint32_t>(n));

  Replay recorded = Recording;
  RecordingOn = 0;
  GameStep = RunGameStep;
  ResetGame(recorded.seed);
  // The recording ends where the game stood, and reads back from its file.
  EXPECT_EQ(recorded.endSteps, static_cast<uint32_t>(n));
  EXPECT_EQ(recorded.endHash, liveHash);
  std::string error;
  recorded = Read(Written(recorded), &error);
  ASSERT_EQ(error, "");
  ASSERT_EQ(PlayReplay(recorded), -1);
  char replayed[256];
  FormatResult(replayed, sizeof replayed);
  EXPECT_STREQ(replayed, live);
  EXPECT_EQ(HashWorld(), liveHash);
  EXPECT_EQ(ReplayEndMatches(recorded), -1);
  // Another seed is another world: the coins turn out of step, and the end line says so.
  ResetGame(78);
  ASSERT_EQ(PlayReplay(recorded), -1);
  EXPECT_NE(HashWorld(), liveHash);
  EXPECT_EQ(ReplayEndMatches(recorded), 0);
}

volatile std::sig_atomic_t stopRequest = 0;
void StepThenSignalAt100() {
  RunGameStep();
  if (Game.steps == 100) stopRequest = 2;  // as Ctrl-C's handler does
}

TEST_F(ReplayFile, AStopRequestEndsThePlayAtTheNextStep) {
  WriteLevel("a.map", {"###", "#.#", "###"}, {});
  Replay r;
  r.entries.push_back(ReplayEntry{ReplayEntry::NewGameAt, 0, {0, 0, 0, 0}, "a.map"});
  r.entries.push_back(ReplayEntry{ReplayEntry::Run, 4294967295u, {0, 0, 0, 0}, ""});
  stopRequest = 0;
  GameStep = StepThenSignalAt100;
  EXPECT_EQ(PlayReplay(r, 0, nullptr, &stopRequest), 0);
  EXPECT_EQ(Game.steps, 100u);
  GameStep = RunGameStep;
}

TEST_F(ReplayFile, AReplayNamingALevelNotInTheListStops) {
  WriteLevel("a.map", {"###", "#.#", "###"}, {});
  Replay r;
  r.entries.push_back(ReplayEntry{ReplayEntry::NewGameAt, 0, {0, 0, 0, 0}, "a.map"});
  r.entries.push_back(ReplayEntry{ReplayEntry::Run, 10, {0, 0, 0, 0}, ""});
  r.entries.push_back(ReplayEntry{ReplayEntry::LevelAt, 0, {0, 0, 0, 0}, "gone.map"});
  r.entries.push_back(ReplayEntry{ReplayEntry::Run, 10, {0, 0, 0, 0}, ""});
  EXPECT_EQ(PlayReplay(r), 0);
  EXPECT_EQ(Game.steps, 10u);
}

}  // namespace
