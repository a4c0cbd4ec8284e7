#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "base/timing.h"
#include "platform/clock.h"
#include "platform/testing.h"
#include "test_util.h"

using namespace zorta;

namespace {

RandomGenerator TableFor(double seed) {
  SeedRandom(seed);
  return RandomState;
}

bool SameTable(const RandomGenerator& a, const RandomGenerator& b) {
  return memcmp(&a, &b, sizeof a) == 0;
}

TEST(SeedRandom, ZeroSeedStartsFromTheFirstConstant) {
  SeedRandom(0);
  EXPECT_EQ(RandomState.p1, 0);
  EXPECT_EQ(RandomState.p2, 10);
  // sqrt(0) = 0, so the first value is frac(0.147328926107 x 46.1063140045).
  double s = 0.147328926107 * 46.1063140045;
  s = s - std::floor(s);
  uint64_t bits;
  memcpy(&bits, &s, sizeof bits);
  EXPECT_EQ(RandomState.buffer[0].word0, static_cast<uint32_t>(bits));
  EXPECT_NE(RandomState.buffer[0].word1, RandomState.buffer[0].word0);
}

TEST(SeedRandom, NegativeAndLargeSeedsFoldIntoTheUnitRange) {
  EXPECT_TRUE(SameTable(TableFor(-0.25), TableFor(0.147328926107 + 0.25)));
  EXPECT_TRUE(SameTable(TableFor(1.0), TableFor(0.0817835148503)));
  EXPECT_FALSE(SameTable(TableFor(0.0), TableFor(0.5)));
  // Large seeds are scaled down repeatedly, never looped on forever.
  SeedRandom(1e300);
  EXPECT_EQ(RandomState.p2, 10);
}

TEST(RandomUnit, IndicesWrapAfterSeventeenCalls) {
  SeedRandom(0);
  for (int i = 0; i < 17; i++) RandomUnit();
  EXPECT_EQ(RandomState.p1, 0);
  EXPECT_EQ(RandomState.p2, 10);
}

TEST(RandomUnit, FirstValueFollowsTheRotationRule) {
  SeedRandom(0);
  RandomWords a = RandomState.buffer[0], b = RandomState.buffer[10];
  uint32_t z = ((a.word0 << 19) | (a.word0 >> 13)) + b.word0;
  uint32_t y = ((a.word1 << 27) | (a.word1 >> 5)) + b.word1;
  uint64_t bits = (static_cast<uint64_t>((z & 0xFFFFF) | 0x3FF00000) << 32) | y;
  double expected;
  memcpy(&expected, &bits, sizeof expected);
  EXPECT_EQ(RandomUnit(), expected - 1.0);
  EXPECT_EQ(RandomState.buffer[0].word0, y);
  EXPECT_EQ(RandomState.buffer[0].word1, z);
  EXPECT_EQ(RandomState.p1, 16);
  EXPECT_EQ(RandomState.p2, 9);
}

TEST(RandomUnit, StaysInTheUnitIntervalAndRepeatsPerSeed) {
  SeedRandom(0);
  double sum = 0;
  std::vector<double> first;
  for (int i = 0; i < 100000; i++) {
    double r = RandomUnit();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
    sum += r;
    if (i < 50) first.push_back(r);
  }
  EXPECT_NEAR(sum / 100000, 0.5, 0.01);
  SeedRandom(0);
  for (double r : first) EXPECT_EQ(RandomUnit(), r);
}

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClockSeamUseFake(true);
    ResetClock();
  }
  void TearDown() override {
    ClockSeamSetNoCounter(false);
    ClockSeamUseFake(false);
    ResetClock();
  }
};

TEST_F(ClockTest, CountsFromItsFirstCall) {
  ClockSeamAdvanceMicros(123456789);
  EXPECT_EQ(GetTicks(), 0u);
  ClockSeamAdvanceMicros(2999);
  EXPECT_EQ(GetTicks(), 2u);  // truncated toward zero
  ClockSeamAdvanceMicros(1);
  EXPECT_EQ(GetTicks(), 3u);
}

TEST_F(ClockTest, WithoutACounterItReturnsTheUptimeOnEveryCall) {
  ClockSeamSetNoCounter(true);
  ClockSeamSetUptime(5000000);
  EXPECT_EQ(GetTicks(), 5000000u);
  ClockSeamAdvanceMicros(7000);
  EXPECT_EQ(GetTicks(), 5000007u);
}

// What the clock must read after `elapsed` counts at `frequency`: the whole
// milliseconds, truncated, worked out without any overflow.
uint32_t ExactTicks(int64_t elapsed, int64_t frequency) {
  __int128 ms = static_cast<__int128>(elapsed) * 1000 / frequency;
  return static_cast<uint32_t>(static_cast<unsigned __int128>(ms));
}

// At 1 GHz the counts times 1000 pass 64 bits after 106.75 days; the reading
// must stay exact after 200 days (and 9 years), at the common frequencies.
TEST_F(ClockTest, LongUptimesReadExactAtAnyFrequency) {
  const int64_t day = 86400;
  std::mt19937_64 random(11);
  for (int64_t frequency : {INT64_C(1000000000), INT64_C(10000000), INT64_C(3579545), INT64_C(2399999997)}) {
    ClockSeamUseFake(true);
    ResetClock();
    ClockSeamSetFrequency(frequency);
    ClockSeamAdvanceCounts(frequency * 3 + 17);  // the counter was running before the first call
    ASSERT_EQ(GetTicks(), 0u) << frequency;
    int64_t elapsed = 0;
    for (int64_t target : {200 * day * frequency, 200 * day * frequency + frequency - 1,
                           static_cast<int64_t>(106.8 * day) * frequency, 3300 * day * frequency}) {
      ClockSeamAdvanceCounts(target - elapsed);
      elapsed = target;
      EXPECT_EQ(GetTicks(), ExactTicks(elapsed, frequency)) << frequency << " " << elapsed;
    }
    // Random readings over the first 200 days, early ones included.
    ClockSeamUseFake(true);
    ResetClock();
    ClockSeamSetFrequency(frequency);
    ASSERT_EQ(GetTicks(), 0u);
    elapsed = 0;
    for (int i = 0; i < 2000; i++) {
      int64_t target = static_cast<int64_t>(random() % static_cast<uint64_t>(200 * day * frequency >> (i % 40)));
      ClockSeamAdvanceCounts(target - elapsed);
      elapsed = target;
      ASSERT_EQ(GetTicks(), ExactTicks(elapsed, frequency)) << frequency << " " << elapsed;
    }
  }
  EXPECT_EQ(ExactTicks(200 * day * INT64_C(1000000000), 1000000000), static_cast<uint32_t>(200 * day * 1000));
}

TEST(WriteLog, AppendsExactlyTheTextGiven) {
  WriteWholeFile("log.txt", "left over from an earlier run\n");
  CreateLogFile();
  EXPECT_EQ(ReadWholeFile("log.txt"), "");
  WriteLog("A\n");
  WriteLog("B\n");
  EXPECT_EQ(ReadWholeFile("log.txt"), "A\nB\n");
}

}  // namespace
