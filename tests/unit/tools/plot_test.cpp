// The bank tools' pictures: the spectrogram's frequency rows and levels, the
// slot pictures and contact sheet as real PNG files of the asked size, and
// the slot lists the tools accept.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "bank_access.h"
#include "plot.h"
#include "sfx/sound_bank.h"
#include "test_util.h"

using namespace zorta;

namespace {
const double Pi = 3.14159265358979323846;

std::vector<int16_t> Sine(double hz, double amplitude, int count) {
  std::vector<int16_t> v(static_cast<size_t>(count));
  for (int i = 0; i < count; i++) v[i] = static_cast<int16_t>(amplitude * std::sin(2 * Pi * hz * i / BankRate));
  return v;
}

int PeakBin(const Spectrogram& s, int column) {
  int best = 0;
  for (int k = 1; k < s.bins; k++)
    if (s.db[static_cast<size_t>(column) * s.bins + k] > s.db[static_cast<size_t>(column) * s.bins + best]) best = k;
  return best;
}

std::vector<int16_t> BankSlot(int slot) {
  FillBankAsProgram();
  std::vector<int16_t> frames = SlotFrames(slot);
  FreeSoundBank();
  return frames;
}

// Reads a PNG back; null surface status on failure.
struct Picture {
  cairo_surface_t* surface;
  explicit Picture(const std::string& path) : surface(cairo_image_surface_create_from_png(path.c_str())) {}
  ~Picture() { cairo_surface_destroy(surface); }
  bool Ok() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }
  int Width() const { return cairo_image_surface_get_width(surface); }
  int Height() const { return cairo_image_surface_get_height(surface); }
  uint32_t Pixel(int x, int y) const {
    const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
  }
  double Brightness(int x, int y) const {
    uint32_t p = Pixel(x, y);
    return 0.2126 * ((p >> 16) & 0xFF) + 0.7152 * ((p >> 8) & 0xFF) + 0.0722 * (p & 0xFF);
  }
};
}  // namespace

TEST(Spectrogram, SteadySineSlotPeaksInItsRow) {
  // Slot 81 is one sine of 0.01 half-cycles per frame: 110.25 Hz.
  std::vector<int16_t> frames = BankSlot(81);
  ASSERT_EQ(frames.size(), 4096u);
  const double hz = 0.01 / 2 * BankRate;
  for (int window : {PlotWindow, 2048}) {
    Spectrogram s = ComputeSpectrogram(frames.data(), static_cast<int>(frames.size()), BankRate, window, 16);
    ASSERT_EQ(s.bins, window / 2 + 1);
    EXPECT_DOUBLE_EQ(s.binHz, static_cast<double>(BankRate) / window);
    // Every column away from the ends, where the window is mostly silence.
    for (int c = 3; c < 13; c++) {
      int peak = PeakBin(s, c);
      EXPECT_GE(peak, static_cast<int>(std::floor(hz / s.binHz))) << "window " << window << " column " << c;
      EXPECT_LE(peak, static_cast<int>(std::ceil(hz / s.binHz))) << "window " << window << " column " << c;
    }
    // The sine starts at full scale and fades: loud early, far quieter late.
    EXPECT_GT(s.db[2 * s.bins + PeakBin(s, 2)], -6.0f);
    EXPECT_LT(s.db[15 * s.bins + PeakBin(s, 15)], s.db[2 * s.bins + PeakBin(s, 2)] - 10.0f);
  }
}

TEST(Spectrogram, LevelsAgainstFullScaleAndSilence) {
  // A full-scale sine in the middle of a row reads 0 dB there; half scale -6 dB.
  const int window = 512;
  double centreHz = 100 * static_cast<double>(BankRate) / window;
  std::vector<int16_t> full = Sine(centreHz, 32767, 8192);
  Spectrogram s = ComputeSpectrogram(full.data(), 8192, BankRate, window, 8);
  EXPECT_EQ(PeakBin(s, 4), 100);
  EXPECT_NEAR(s.db[4 * s.bins + 100], 0.0, 0.01);
  EXPECT_LT(s.db[4 * s.bins + 300], -90.0f);
  std::vector<int16_t> half = Sine(centreHz, 16384, 8192);
  Spectrogram h = ComputeSpectrogram(half.data(), 8192, BankRate, window, 8);
  EXPECT_NEAR(h.db[4 * h.bins + 100], -6.02, 0.02);

  // Silence, and a sound shorter than the window, and no sound at all.
  std::vector<int16_t> quiet(1000, 0);
  Spectrogram q = ComputeSpectrogram(quiet.data(), 1000, BankRate, window, 5);
  for (float v : q.db) ASSERT_EQ(v, SpectrogramFloorDb);
  std::vector<int16_t> shortSine = Sine(5000, 20000, 100);
  Spectrogram sh = ComputeSpectrogram(shortSine.data(), 100, BankRate, window, 3);
  EXPECT_NEAR(PeakBin(sh, 1) * sh.binHz, 5000, 2 * sh.binHz);
  Spectrogram none = ComputeSpectrogram(nullptr, 0, BankRate, window, 2);
  EXPECT_EQ(none.db.size(), 2u * none.bins);
}

TEST(SlotPlot, WritesPngsOfTheAskedSize) {
  FillBankAsProgram();
  std::vector<std::vector<int16_t>> waves;
  for (int s = 0; s < SoundBankEffects; s++) waves.push_back(SlotFrames(s));
  FreeSoundBank();
  std::string error;
  struct Case {
    int slot, width, height;
  };
  // Slot 1 has fewer frames (256) than the panel has columns.
  for (Case c : {Case{0, 800, 480}, Case{1, 800, 480}, Case{20, 1200, 700}, Case{88, PlotMinWidth, PlotMinHeight}}) {
    std::string path = "slot-" + std::to_string(c.slot) + ".png";
    ASSERT_TRUE(WriteSlotPlot(c.slot, waves[c.slot], BankRate, c.width, c.height, path, &error)) << error;
    EXPECT_EQ(ReadWholeFile(path).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    Picture p(path);
    ASSERT_TRUE(p.Ok()) << path;
    EXPECT_EQ(p.Width(), c.width);
    EXPECT_EQ(p.Height(), c.height);
  }
  ASSERT_TRUE(WriteBankSheet(waves, BankRate, "bank.png", &error)) << error;
  Picture sheet("bank.png");
  ASSERT_TRUE(sheet.Ok());
  EXPECT_GT(sheet.Width(), 800);
  EXPECT_GT(sheet.Height(), 400);

  // Sizes out of range and unwritable places fail with a reason.
  EXPECT_FALSE(WriteSlotPlot(0, waves[0], BankRate, PlotMinWidth - 1, 480, "small.png", &error));
  EXPECT_NE(error.find("outside"), std::string::npos);
  EXPECT_FALSE(WriteSlotPlot(0, waves[0], BankRate, 800, PlotMaxSide + 1, "tall.png", &error));
  EXPECT_FALSE(WriteSlotPlot(0, waves[0], BankRate, 800, 480, "no/such/folder/x.png", &error));
  EXPECT_NE(error.find("cannot write 'no/such/folder/x.png'"), std::string::npos) << error;
  EXPECT_FALSE(WriteBankSheet(waves, BankRate, "no/such/folder/bank.png", &error));
}

TEST(SlotPlot, SpectrogramPanelShowsSlot81At110Hz) {
  std::vector<int16_t> frames = BankSlot(81);
  std::string error;
  ASSERT_TRUE(WriteSlotPlot(81, frames, BankRate, 800, 480, "slot-81.png", &error)) << error;
  Picture p("slot-81.png");
  ASSERT_TRUE(p.Ok());
  PlotLayout l = LayoutSlotPlot(800, 480);
  // The brightest row over the first half of the sound, where it is loud.
  int brightest = -1;
  double best = -1;
  for (int row = 0; row < l.specH; row++) {
    double sum = 0;
    for (int x = l.specX + l.specW / 10; x < l.specX + l.specW / 2; x++) sum += p.Brightness(x, l.specY + row);
    if (sum > best) {
      best = sum;
      brightest = row;
    }
  }
  // Rows run from 11025 Hz at the top to 0 Hz at the bottom.
  double rowHz = 11025.0 / l.specH;
  int expected = l.specH - 1 - static_cast<int>(110.25 / rowHz);
  EXPECT_NEAR(brightest, expected, 1.0 + (BankRate / static_cast<double>(PlotWindow)) / rowHz);
  EXPECT_NEAR(SpectrogramRowHz(l, expected, BankRate), 110.25, rowHz);
  // Far above the tone the panel is dark.
  EXPECT_LT(p.Brightness(l.specX + l.specW / 4, l.specY + l.specH / 4), 40.0);
}

TEST(SlotPlot, WaveformUsesTheFull16BitScale) {
  // First half at the top of the scale, second half at the bottom.
  std::vector<int16_t> frames(4000, 32767);
  for (size_t i = 2000; i < frames.size(); i++) frames[i] = -32768;
  std::string error;
  ASSERT_TRUE(WriteSlotPlot(7, frames, BankRate, 400, 300, "edges.png", &error)) << error;
  Picture p("edges.png");
  ASSERT_TRUE(p.Ok());
  PlotLayout l = LayoutSlotPlot(400, 300);
  int left = l.waveX + l.waveW / 4, right = l.waveX + 3 * l.waveW / 4;
  int top = l.waveY, bottom = l.waveY + l.waveH - 1;
  // 32767 reaches the panel's top row and no further down; -32768 its bottom row.
  EXPECT_EQ(p.Pixel(left, top), PlotWaveColour);
  EXPECT_NE(p.Pixel(left, top + 2), PlotWaveColour);
  EXPECT_NE(p.Pixel(left, bottom), PlotWaveColour);
  EXPECT_EQ(p.Pixel(right, bottom), PlotWaveColour);
  EXPECT_NE(p.Pixel(right, bottom - 2), PlotWaveColour);
  EXPECT_NE(p.Pixel(right, top), PlotWaveColour);
  // Nothing of the waveform outside its panel.
  EXPECT_NE(p.Pixel(left, top - 1), PlotWaveColour);
  EXPECT_NE(p.Pixel(right, bottom + 1), PlotWaveColour);
  // The switch from top to bottom lies in the middle column, where the
  // min/max bar spans the whole panel.
  int middle = l.waveX + l.waveW / 2;
  int spanning = 0;
  for (int x = middle - 1; x <= middle + 1; x++)
    if (p.Pixel(x, top) == PlotWaveColour && p.Pixel(x, bottom) == PlotWaveColour &&
        p.Pixel(x, (top + bottom) / 2) == PlotWaveColour)
      spanning++;
  EXPECT_GE(spanning, 1);
}

TEST(SlotLists, OrderRangesAndErrors) {
  std::vector<int> slots;
  std::string error;
  ASSERT_TRUE(ParseSlotSequence("5,0-2,5", &slots, &error));
  EXPECT_EQ(slots, (std::vector<int>{5, 0, 1, 2, 5}));
  ASSERT_TRUE(ParseSlotSequence("499", &slots, &error));
  EXPECT_EQ(slots, std::vector<int>{499});
  for (const char* bad : {"", ",", "1,", "3-1", "a", "-2", "1-", "1--2", " 1", "1234567890"}) {
    EXPECT_FALSE(ParseSlotSequence(bad, &slots, &error)) << bad;
    EXPECT_NE(error.find("bad slot list"), std::string::npos) << bad;
  }
  EXPECT_FALSE(ParseSlotSequence("0-500", &slots, &error));
  EXPECT_EQ(error, "slot 500 does not exist (slots are 0 to 499)");
  std::vector<bool> chosen;
  ASSERT_TRUE(ParseSlots("88,3-4,3", &chosen, &error));
  EXPECT_EQ(std::count(chosen.begin(), chosen.end(), true), 3);
  EXPECT_TRUE(chosen[3] && chosen[4] && chosen[88]);

  FillBankAsProgram();
  EXPECT_TRUE(SlotHasEffect(88, &error));
  EXPECT_FALSE(SlotHasEffect(89, &error));
  EXPECT_EQ(error, "slot 89 holds no effect (filled slots are 0 to 88)");
  EXPECT_TRUE(SlotFrames(89).empty());
  EXPECT_EQ(SlotFrames(20).size(), 32768u);
  FreeSoundBank();
}
