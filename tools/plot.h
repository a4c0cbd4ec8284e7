// Pictures of the bank's sounds: a waveform over a spectrogram per slot, and a
// contact sheet of every waveform. Drawn with cairo into PNG files; no display.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zorta {

// Short-time spectrum of a sound: `columns` Hann-windowed transforms of
// `window` frames, centred evenly over the sound (frames outside it count as
// silence). Row k of a column is the level at k * binHz, for k = 0 .. window/2.
struct Spectrogram {
  int columns = 0;
  int bins = 0;
  int window = 0;
  double binHz = 0;
  // db[column * bins + k]: level in dB relative to a full-scale sine, never
  // below SpectrogramFloorDb.
  std::vector<float> db;
};
const float SpectrogramFloorDb = -150.0f;
// The transform length of the slot pictures: 43 Hz rows at 22050 Hz.
const int PlotWindow = 512;

// count >= 0, rate > 0, window even and >= 2, columns >= 1.
Spectrogram ComputeSpectrogram(const int16_t* frames, int count, int rate, int window, int columns);

// Where the two panels of a slot picture lie, in pixels.
struct PlotLayout {
  int width, height;
  int waveX, waveY, waveW, waveH;  // waveform
  int specX, specY, specW, specH;  // spectrogram, same left edge and width
};
// The waveform's colour, 0xRRGGBB.
const uint32_t PlotWaveColour = 0x1F59B3;
const int PlotMinWidth = 240, PlotMinHeight = 180, PlotMaxSide = 8192;
const int PlotDefaultWidth = 800, PlotDefaultHeight = 480;
PlotLayout LayoutSlotPlot(int width, int height);
// The frequency shown in the middle of a pixel row of the spectrogram panel
// (row 0 at its top, 11025 Hz).
double SpectrogramRowHz(const PlotLayout& layout, int row, int rate);

// Writes the picture of one slot; sizes as PlotMin/MaxSide allow.
bool WriteSlotPlot(int slot, const std::vector<int16_t>& frames, int rate, int width, int height,
                   const std::string& path, std::string* error);
// The same for any sound, titled with its name ("Slot 10", "laser").
bool WriteSoundPlot(const std::string& name, const std::vector<int16_t>& frames, int rate, int width, int height,
                    const std::string& path, std::string* error);
// Writes the contact sheet: waves[s] is slot s's frames (empty: no effect).
bool WriteBankSheet(const std::vector<std::vector<int16_t>>& waves, int rate, const std::string& path,
                    std::string* error);

}  // namespace zorta
