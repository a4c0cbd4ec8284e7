#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "app/timing.h"
#include "platform/clock.h"
#include "test_util.h"

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

TEST(WriteLog, AppendsExactlyTheTextGiven) {
  WriteWholeFile("log.txt", "left over from an earlier run\n");
  CreateLogFile();
  EXPECT_EQ(ReadWholeFile("log.txt"), "");
  WriteLog("A\n");
  WriteLog("B\n");
  EXPECT_EQ(ReadWholeFile("log.txt"), "A\nB\n");
}

}  // namespace
