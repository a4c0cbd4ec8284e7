// Sample buffers: creation and locking through the sound layer, clearing,
// the envelope, finishing; and the one real-to-sample conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/sound.h"
#include "platform/testing.h"
#include "sfx/sample.h"
#include "reset.h"

using namespace zorta;

namespace {
struct SampleTest : ::testing::Test {
  void SetUp() override { ResetForTests(); }
  void TearDown() override {
    SoundSeamReset();
    SeamReset();
  }
};

std::string Hex(const void* p) {
  char buf[32];
  snprintf(buf, sizeof buf, "%p", p);
  return buf;
}

std::vector<int16_t> Envelope(std::vector<int16_t> v, double fraction) {
  ApplyEnvelope(v.data(), static_cast<int>(v.size()), fraction);
  return v;
}
}  // namespace

TEST(WrapSample, TruncatesTowardZeroAndKeepsLow16Bits) {
  EXPECT_EQ(WrapSample(0.99), 0);
  EXPECT_EQ(WrapSample(-0.99), 0);
  EXPECT_EQ(WrapSample(-7.5), -7);
  EXPECT_EQ(WrapSample(32767.9), 32767);
  EXPECT_EQ(WrapSample(32768.0), -32768);
  EXPECT_EQ(WrapSample(-32769.5), 32767);
  EXPECT_EQ(WrapSample(65536.0 * 3 + 5.9), 5);
  // Beyond 32 bits: 2^40 + 70000 keeps 70000 - 65536.
  EXPECT_EQ(WrapSample(1099511627776.0 + 70000.0), 70000 - 65536);
  EXPECT_EQ(WrapSample(-1099511627776.0 - 1.5), -1);
  // Beyond 64 bits the low bits still count.
  EXPECT_EQ(WrapSample(std::ldexp(1.0, 66) + std::ldexp(1.0, 14)), 16384);
  EXPECT_EQ(WrapSample(-std::ldexp(1.0, 64) - std::ldexp(1.0, 15)), -32768);
  EXPECT_EQ(WrapSample(std::ldexp(1.0, 64) + std::ldexp(1.0, 12) * 3), 12288);
  EXPECT_EQ(WrapSample(std::nan("")), 0);
}

TEST_F(SampleTest, CreateSampleAllocatesAndLocksTheWholeLength) {
  SeamRecordCalls(true);
  int16_t* buf = CreateSample(100, 22050, 64);
  ASSERT_NE(buf, nullptr);
  const auto& calls = SeamCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], "FSOUND_Sample_Alloc(-2,100,304,22050,64,128,128)");
  SampleHandle h = FinishSample();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(calls[1], "FSOUND_Sample_Lock(" + Hex(h) + ",0,200)");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2].rfind("FSOUND_Sample_Unlock(" + Hex(h) + ",", 0), 0u);
  EXPECT_EQ(FSOUND_Sample_GetData(h), buf);
  EXPECT_EQ(FSOUND_Sample_GetLength(h), 100);
  int freq = 0, vol = 0, pan = 0, pri = 0;
  FSOUND_Sample_GetDefaults(h, &freq, &vol, &pan, &pri);
  EXPECT_EQ(freq, 22050);
  EXPECT_EQ(vol, 64);
  EXPECT_EQ(pan, 128);
  EXPECT_EQ(pri, 128);
}

TEST_F(SampleTest, FailedAllocationGivesNoBufferAndNoHandle) {
  SeamFailCall("FSOUND_Sample_Alloc", 1);
  SeamRecordCalls(true);
  EXPECT_EQ(CreateSample(100, 22050, 64), nullptr);
  EXPECT_EQ(FinishSample(), nullptr);
  ASSERT_EQ(SeamCalls().size(), 1u);  // no lock, no unlock
}

TEST_F(SampleTest, FailedLockKeepsTheHandleButNeverUnlocks) {
  SeamFailCall("FSOUND_Sample_Lock", 1);
  SeamRecordCalls(true);
  EXPECT_EQ(CreateSample(100, 22050, 64), nullptr);
  SampleHandle h = FinishSample();
  EXPECT_NE(h, nullptr);
  for (const std::string& c : SeamCalls()) EXPECT_EQ(c.find("Unlock"), std::string::npos) << c;
  // The next sample is unaffected by the earlier failure.
  ASSERT_NE(CreateSample(10, 22050, 64), nullptr);
  SampleHandle h2 = FinishSample();
  EXPECT_NE(h2, h);
  EXPECT_EQ(SeamCalls().back().rfind("FSOUND_Sample_Unlock(" + Hex(h2), 0), 0u);
}

TEST_F(SampleTest, ClearSamplesZeroesAndResetsTheOscillator) {
  int16_t buf[4] = {1, 2, 3, 4};
  Oscillator = {1.5, 7.0};
  ClearSamples(buf, 3);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(buf[2], 0);
  EXPECT_EQ(buf[3], 4);
  EXPECT_EQ(Oscillator.phase, 0.0);
  EXPECT_EQ(Oscillator.modAngle, 0.0);
  // A count of 0 (or below) writes nothing but still resets.
  buf[0] = 9;
  Oscillator = {1.5, 7.0};
  ClearSamples(buf, 0);
  EXPECT_EQ(buf[0], 9);
  EXPECT_EQ(Oscillator.phase, 0.0);
  EXPECT_EQ(Oscillator.modAngle, 0.0);
  Oscillator = {1.5, 7.0};
  ClearSamples(buf, -3);
  EXPECT_EQ(buf[0], 9);
  EXPECT_EQ(Oscillator.phase, 0.0);
  Oscillator = {1.5, 7.0};
  ResetOscillator();
  EXPECT_EQ(Oscillator.phase, 0.0);
  EXPECT_EQ(Oscillator.modAngle, 0.0);
}

TEST(ApplyEnvelope, RiseAndFall) {
  const std::vector<int16_t> flat = {100, 100, 100, 100};
  EXPECT_EQ(Envelope(flat, 0), (std::vector<int16_t>{100, 75, 50, 25}));
  EXPECT_EQ(Envelope(flat, 0.5), (std::vector<int16_t>{0, 50, 100, 50}));
  EXPECT_EQ(Envelope(flat, 1), (std::vector<int16_t>{0, 25, 50, 75}));
  // 0.2 × 4 = 0.8 truncates to no attack at all.
  EXPECT_EQ(Envelope(flat, 0.2), (std::vector<int16_t>{100, 75, 50, 25}));
  // Negative values truncate toward zero: -7 × 1 / 2 = -3.
  EXPECT_EQ(Envelope({-7, -7}, 0), (std::vector<int16_t>{-7, -3}));
  EXPECT_EQ(Envelope({-7, -7, -7}, 1), (std::vector<int16_t>{0, -2, -4}));
  // Full-scale values do not overflow the product.
  EXPECT_EQ(Envelope({-32768, -32768, 32767}, 0), (std::vector<int16_t>{-32768, -21845, 10922}));
}

TEST(ApplyEnvelope, StaysWithinItsCount) {
  // Fractions outside 0..1 never reach past the count.
  std::vector<int16_t> v = {100, 100, 100, 100, 555};
  ApplyEnvelope(v.data(), 4, 2.5);
  EXPECT_EQ(v, (std::vector<int16_t>{0, 25, 50, 75, 555}));
  v = {100, 100, 100, 100, 555};
  ApplyEnvelope(v.data(), 4, -1);
  EXPECT_EQ(v, (std::vector<int16_t>{100, 75, 50, 25, 555}));
  v = {100, 555};
  ApplyEnvelope(v.data(), 0, 0.5);
  EXPECT_EQ(v, (std::vector<int16_t>{100, 555}));
}
