// The bank of 89 effects: slots, determinism, a checksum per slot, and three
// effects of different kinds worked out here straight from the formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/timing.h"
#include "platform/sound.h"
#include "platform/testing.h"
#include "sfx/builtin_recipes.h"
#include "sfx/recipe.h"
#include "sfx/sound_bank.h"
#include "reset.h"

using namespace zorta;

namespace {
using Samples = std::vector<int16_t>;

struct BankTest : ::testing::Test {
  void SetUp() override {
    ResetForTests();
    SeedRandom(0);
  }
  void TearDown() override {
    FreeSoundBank();
    SoundSeamReset();
    SeamReset();
  }
};

Samples SlotSamples(int slot) {
  SampleHandle h = SoundBank[slot];
  const int16_t* data = FSOUND_Sample_GetData(h);
  return data == nullptr ? Samples() : Samples(data, data + FSOUND_Sample_GetLength(h));
}

uint64_t Checksum(const Samples& v) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a over the little-endian bytes
  for (int16_t s : v) {
    uint16_t u = static_cast<uint16_t>(s);
    for (int b = 0; b < 2; b++) {
      h ^= (u >> (8 * b)) & 0xFFu;
      h *= 1099511628211ull;
    }
  }
  return h;
}

struct SlotFacts {
  int frames;
  int volume;
  uint64_t checksum;
};
// Pinned from a reviewed build; a change here means the bank sounds different.
const SlotFacts Expected[SoundBankEffects] = {
#include "bank_checksums.inc"
};

// Kept to 16 bits, written independently of the synthesis code.
int16_t Low16(double x) {
  long long t = static_cast<long long>(x);  // truncates toward zero
  long long m = ((t % 65536) + 65536) % 65536;
  return static_cast<int16_t>(m >= 32768 ? m - 65536 : m);
}
int16_t Low16(long long t) { return Low16(static_cast<double>(t)); }

double NoteStep(int note) {
  double hz = std::pow(2.0, (note - 9) * 0.08333333333333333) * (440.0 * 0.03125);
  return hz * 0.000045351473922902495;
}

void FadeOut(std::vector<long long>& v, int from, int n) {
  for (int j = 0; j < n; j++) v[from + j] = Low16(v[from + j] * (n - j) / n);
}
}  // namespace

TEST_F(BankTest, SlotsHoldTheEffectsInOrder) {
  BuildSoundBank();
  for (int slot = 0; slot < SoundBankSlots; slot++) {
    if (slot < SoundBankEffects) {
      ASSERT_NE(SoundBank[slot], nullptr) << slot;
      int freq = 0, vol = 0;
      FSOUND_Sample_GetDefaults(SoundBank[slot], &freq, &vol, nullptr, nullptr);
      EXPECT_EQ(freq, 22050) << slot;
      EXPECT_EQ(vol, Expected[slot].volume) << slot;
      EXPECT_EQ(FSOUND_Sample_GetLength(SoundBank[slot]), Expected[slot].frames) << slot;
    } else {
      ASSERT_EQ(SoundBank[slot], nullptr) << slot;
    }
  }
  for (int i = 0; i < SoundBankEffects; i++)
    for (int j = i + 1; j < SoundBankEffects; j++) ASSERT_NE(SoundBank[i], SoundBank[j]);
  FreeSoundBank();
  for (int slot = 0; slot < SoundBankSlots; slot++) ASSERT_EQ(SoundBank[slot], nullptr);
}

TEST_F(BankTest, ChecksumPerSlot) {
  BuildSoundBank();
  std::string table;
  bool same = true;
  for (int slot = 0; slot < SoundBankEffects; slot++) {
    Samples v = SlotSamples(slot);
    int vol = 0;
    FSOUND_Sample_GetDefaults(SoundBank[slot], nullptr, &vol, nullptr, nullptr);
    uint64_t sum = Checksum(v);
    char line[96];
    snprintf(line, sizeof line, "    {%d, %d, 0x%016llxull},  // %d\n", static_cast<int>(v.size()), vol,
             static_cast<unsigned long long>(sum), slot);
    table += line;
    EXPECT_EQ(sum, Expected[slot].checksum) << "slot " << slot;
    same = same && sum == Expected[slot].checksum;
  }
  if (!same) printf("Checksums of this build:\n%s", table.c_str());
}

TEST_F(BankTest, TwoBuildsAreIdentical) {
  FillSoundBank();
  std::vector<Samples> first;
  for (int slot = 0; slot < SoundBankEffects; slot++) first.push_back(SlotSamples(slot));
  FreeSoundBank();
  SeedRandom(0);
  BuildSoundBank();  // with sound output open this time
  for (int slot = 0; slot < SoundBankEffects; slot++) ASSERT_EQ(SlotSamples(slot), first[slot]) << slot;
}

TEST_F(BankTest, EveryEffectMakesSound) {
  FillSoundBank();
  for (int slot = 0; slot < SoundBankEffects; slot++) {
    int nonzero = 0;
    for (int16_t s : SlotSamples(slot)) nonzero += s != 0;
    EXPECT_GT(nonzero, 100) << slot;
  }
}

TEST_F(BankTest, FailedAllocationsLeaveSlotsEmpty) {
  SeamFailCall("FSOUND_Sample_Alloc");
  BuildSoundBank();
  for (int slot = 0; slot < SoundBankSlots; slot++) ASSERT_EQ(SoundBank[slot], nullptr) << slot;
  // No recipe ran, so no noise was drawn.
  double next = RandomUnit();
  SeedRandom(0);
  EXPECT_EQ(next, RandomUnit());
}

TEST_F(BankTest, FailedLockStoresTheUnfilledSampleAndBuildingGoesOn) {
  SeamFailCall("FSOUND_Sample_Lock", 1);  // the first recipe's lock
  SeamRecordCalls(true);
  FillSoundBank();
  ASSERT_NE(SoundBank[0], nullptr);
  for (int16_t s : SlotSamples(0)) ASSERT_EQ(s, 0);
  char prefix[64];
  snprintf(prefix, sizeof prefix, "FSOUND_Sample_Unlock(%p,", static_cast<void*>(SoundBank[0]));
  int unlocks = 0;
  for (const std::string& c : SeamCalls()) {
    EXPECT_NE(c.rfind(prefix, 0), 0u) << c;
    unlocks += c.rfind("FSOUND_Sample_Unlock(", 0) == 0;
  }
  EXPECT_EQ(unlocks, SoundBankEffects - 1);
  for (int slot = 1; slot < SoundBankEffects; slot++)
    EXPECT_EQ(Checksum(SlotSamples(slot)), Expected[slot].checksum) << slot;
}

TEST_F(BankTest, Slot2PlainSweep) {
  // 256 frames: Sine 0.05→0.01 a(1); Envelope (0).
  FillSoundBank();
  std::vector<long long> v(256, 0);
  double phase = 0, step = 0.05, delta = (0.01 - 0.05) / 256;
  for (int i = 0; i < 256; i++) {
    v[i] = Low16(1.0 * std::sin(3.141592654 * phase) * 32767);
    phase += step;
    if (phase >= 2) phase -= 2;
    step += delta;
  }
  FadeOut(v, 0, 256);
  Samples got = SlotSamples(2);
  ASSERT_EQ(got.size(), v.size());
  for (size_t i = 0; i < v.size(); i++) ASSERT_EQ(got[i], v[i]) << i;
}

TEST_F(BankTest, Slot10ArpeggioInThreePasses) {
  // 8192 frames: Passes ×3 {Arp(Saw, 682; C-6 E-6 G-6; ×4)}; Envelope (0).
  FillSoundBank();
  std::vector<long long> v(8192, 0);
  const int notes[3] = {72, 76, 79};
  double phase = 0;
  for (int k = 0; k < 3; k++) {
    for (int call = 0; call < 12; call++) {
      double step = k * 0.0002 + NoteStep(notes[call % 3]);
      for (int i = call * 682; i < call * 682 + 682; i++) {
        long long saw = Low16(phase * 32767 - 32767);
        v[i] = Low16(v[i] + Low16(saw * 0.3333333333333333));
        phase += step;
        if (phase >= 2) phase -= 2;
      }
    }
  }
  FadeOut(v, 0, 8192);
  Samples got = SlotSamples(10);
  ASSERT_EQ(got.size(), v.size());
  for (size_t i = 0; i < v.size(); i++) ASSERT_EQ(got[i], v[i]) << i;
  for (int i = 8184; i < 8192; i++) EXPECT_EQ(got[i], 0);
}

TEST_F(BankTest, Slot62EchoAndNormalize) {
  // 1024 frames: Sine [0+256] 0.04→0.07 a(1); Envelope [0+256] (0); Echo 8; Normalize.
  FillSoundBank();
  std::vector<long long> v(1024, 0);
  double phase = 0, step = 0.04, delta = (0.07 - 0.04) / 256;
  for (int i = 0; i < 256; i++) {
    v[i] = Low16(std::sin(3.141592654 * phase) * 32767);
    phase += step;
    if (phase >= 2) phase -= 2;
    step += delta;
  }
  FadeOut(v, 0, 256);
  for (auto& x : v) x = Low16(x * 0.5);
  std::vector<long long> copy = v;
  int delay = 1024 / 9;
  for (int k = 1; k <= 8; k++)
    for (int j = k * delay; j < 1024; j++) v[j] = Low16(v[j] + copy[j - k * delay] / (2 * k));
  long long peak = 0;
  for (long long x : v) peak = std::max(peak, x < 0 ? -x : x);
  ASSERT_GT(peak, 0);
  ASSERT_LT(peak, 32768);
  for (auto& x : v) x = Low16(x * (32768 / peak));
  Samples got = SlotSamples(62);
  ASSERT_EQ(got.size(), v.size());
  for (size_t i = 0; i < v.size(); i++) ASSERT_EQ(got[i], v[i]) << i;
}

TEST_F(BankTest, Slot33EnvelopesOnlyItsRuns) {
  // Rise over [0+1024], fall over [7936+256]; the frames between keep the
  // full pulse of amplitude 1.
  FillSoundBank();
  Samples got = SlotSamples(33);
  ASSERT_EQ(got.size(), 8192u);
  EXPECT_EQ(got[0], 0);
  for (int i = 1024; i < 7936; i++) ASSERT_TRUE(got[i] == 32767 || got[i] == -32767) << i;
  EXPECT_TRUE(got[7936] == 32767 || got[7936] == -32767);
  EXPECT_TRUE(got[8191] == 127 || got[8191] == -127);
}

// A built-in recipe as the tool prints it, seed line and all, renders to its
// slot's very samples, whatever the generator held before.
TEST_F(BankTest, EachBuiltinRecipeWithItsSeedLineRendersToItsSlot) {
  FillSoundBank();
  for (int slot = 0; slot < SoundBankEffects; slot++) {
    std::string text = BuiltinRecipeWithSeed(slot);
    SeedRandom(12345);
    Samples frames;
    RecipeError error;
    ASSERT_TRUE(RenderRecipe(text.data(), text.size(), &frames, nullptr, &error)) << slot << ": " << error.message;
    EXPECT_EQ(frames, SlotSamples(slot)) << "slot " << slot;
  }
  EXPECT_EQ(BankNoiseBefore(0), 0);
  EXPECT_NE(BuiltinRecipeWithSeed(30).find("\nvolume 192\nseed 0 skip "), std::string::npos);
}
