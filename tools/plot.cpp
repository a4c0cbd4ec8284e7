#include "plot.h"

#include <cairo.h>
#include <fftw3.h>
#include <png.h>

#include "output_file.h"

#include <errno.h>
#include <setjmp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace zorta {

namespace {
const double Pi = 3.14159265358979323846;
// Levels from here to 0 dB get the colour scale; 16-bit sound has about 96 dB.
const double ShownFloorDb = -100.0;
const char* const Face = "DejaVu Sans";

struct Rgb {
  double r, g, b;
};

// A dark-to-light scale whose brightness rises steadily, so louder is always
// lighter (close to matplotlib's "magma").
Rgb LevelColour(double t) {
  static const Rgb stops[] = {{0, 0, 4}, {80, 18, 123}, {182, 54, 121}, {251, 136, 97}, {252, 253, 191}};
  t = std::min(1.0, std::max(0.0, t)) * 4.0;
  int i = std::min(3, static_cast<int>(t));
  double f = t - i;
  const Rgb& a = stops[i];
  const Rgb& b = stops[i + 1];
  return {(a.r + (b.r - a.r) * f) / 255.0, (a.g + (b.g - a.g) * f) / 255.0, (a.b + (b.b - a.b) * f) / 255.0};
}

uint32_t PackRgb(const Rgb& c) {
  auto byte = [](double v) { return static_cast<uint32_t>(std::lround(std::min(1.0, std::max(0.0, v)) * 255.0)); };
  return 0xFF000000u | (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
}

void SetColour(cairo_t* cr, uint32_t rgb) {
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

// 1, 2 or 5 times a power of ten, giving at most maxTicks steps over range.
double NiceStep(double range, int maxTicks) {
  if (range <= 0) return 1;
  double step = std::pow(10.0, std::floor(std::log10(range / maxTicks)));
  while (range / step > maxTicks) {
    if (range / (step * 2) <= maxTicks) return step * 2;
    if (range / (step * 5) <= maxTicks) return step * 5;
    step *= 10;
  }
  return step;
}

std::string FormatNumber(double v) {
  char buf[32];
  if (std::fabs(v - std::round(v)) < 1e-9)
    snprintf(buf, sizeof buf, "%.0f", v);
  else
    snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// Text with its anchor at (x, y): ax 0 left, 0.5 centre, 1 right; the text is
// centred vertically on y.
void DrawText(cairo_t* cr, double x, double y, const std::string& text, double ax) {
  cairo_text_extents_t te;
  cairo_text_extents(cr, text.c_str(), &te);
  cairo_move_to(cr, x - te.x_advance * ax, y - (te.y_bearing + te.height / 2));
  cairo_show_text(cr, text.c_str());
}

void SetFont(cairo_t* cr, double size, bool bold) {
  cairo_select_font_face(cr, Face, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

// Min/max envelope: one filled bar per pixel column. Each column also takes the
// first frame of the next one, so a sound shorter than the panel stays joined up.
void DrawWaveform(cairo_t* cr, const std::vector<int16_t>& frames, double x, double y, int w, int h) {
  int64_t count = static_cast<int64_t>(frames.size());
  if (count == 0 || w <= 0 || h <= 1) return;
  for (int col = 0; col < w; col++) {
    int64_t a = col * count / w;
    int64_t b = (col + 1) * count / w;
    if (b <= a) b = a + 1;
    if (b < count) b++;
    if (a >= count) break;
    int lo = 32767, hi = -32768;
    for (int64_t i = a; i < b && i < count; i++) {
      lo = std::min(lo, static_cast<int>(frames[i]));
      hi = std::max(hi, static_cast<int>(frames[i]));
    }
    double yTop = y + (32767.0 - hi) / 65535.0 * (h - 1);
    double yBottom = y + (32767.0 - lo) / 65535.0 * (h - 1);
    cairo_rectangle(cr, x + col, std::floor(yTop), 1, std::floor(yBottom) - std::floor(yTop) + 1);
  }
  cairo_fill(cr);
}

// cairo's own PNG writer compresses hard and is most of the cost of a slot
// picture; libpng at a low level is about five times faster for the slot
// pictures, and the contact sheet, meant for pages, still gets the smallest file.
// libpng reports errors by jumping back to the setjmp here, so this frame
// holds nothing that needs destroying; false when it did.
bool WritePngRows(png_structp png, png_infop info, OutputFile* out, cairo_surface_t* surface, int level,
                  unsigned char* row) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  PngWritesTo(png, out);
  png_set_compression_level(png, level);
  // Fast: no row filters (choosing them costs more than it saves here).
  if (level < 6) png_set_filter(png, 0, PNG_FILTER_NONE);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; y++) {
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; x++) {
      row[3 * x] = static_cast<unsigned char>(pixels[x] >> 16);
      row[3 * x + 1] = static_cast<unsigned char>(pixels[x] >> 8);
      row[3 * x + 2] = static_cast<unsigned char>(pixels[x]);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

// cairo's own PNG writer compresses hard and is most of the cost of a slot
// picture; libpng at a low level is about five times faster for the slot
// pictures, and the contact sheet, meant for pages, still gets the smallest file.
bool WritePng(cairo_surface_t* surface, const std::string& path, int level, std::string* error) {
  cairo_surface_flush(surface);
  OutputFile out;
  if (!OpenOutput(path, &out, error)) return false;
  std::vector<unsigned char> row(static_cast<size_t>(cairo_image_surface_get_width(surface)) * 3);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = info != nullptr && WritePngRows(png, info, &out, surface, level, row.data());
  png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
  if (!ok) {
    AbandonOutput(&out);
    *error = "cannot write '" + path + "': PNG encoder failed";
    return false;
  }
  return FinishOutput(&out, error);
}

bool CheckSurface(cairo_surface_t* surface, std::string* error) {
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) return true;
  *error = std::string("cannot draw: ") + cairo_status_to_string(cairo_surface_status(surface));
  return false;
}
}  // namespace

Spectrogram ComputeSpectrogram(const int16_t* frames, int count, int rate, int window, int columns) {
  Spectrogram s;
  s.window = window;
  s.columns = columns;
  s.bins = window / 2 + 1;
  s.binHz = static_cast<double>(rate) / window;
  s.db.assign(static_cast<size_t>(s.columns) * s.bins, SpectrogramFloorDb);

  std::vector<double> hann(static_cast<size_t>(window));
  double gain = 0;
  for (int i = 0; i < window; i++) {
    hann[i] = 0.5 - 0.5 * std::cos(2 * Pi * i / window);
    gain += hann[i];
  }
  // A full-scale sine between two rows still shows within a few dB of 0:
  // its peak magnitude is 32768 times half the window's sum.
  double reference = 32768.0 * gain / 2;
  double* in = fftw_alloc_real(static_cast<size_t>(window));
  fftw_complex* out = fftw_alloc_complex(static_cast<size_t>(s.bins));
  fftw_plan plan = fftw_plan_dft_r2c_1d(window, in, out, FFTW_ESTIMATE);
  for (int c = 0; c < columns; c++) {
    int64_t centre = static_cast<int64_t>((c + 0.5) * count / columns);
    int64_t start = centre - window / 2;
    bool any = false;
    for (int i = 0; i < window; i++) {
      int64_t f = start + i;
      double v = f >= 0 && f < count ? frames[f] : 0.0;
      any = any || v != 0;
      in[i] = v * hann[i];
    }
    if (!any) continue;
    fftw_execute(plan);
    float* row = &s.db[static_cast<size_t>(c) * s.bins];
    for (int k = 0; k < s.bins; k++) {
      double power = out[k][0] * out[k][0] + out[k][1] * out[k][1];
      if (power <= 0) continue;
      float db = 10.0f * std::log10(static_cast<float>(power / (reference * reference)));
      row[k] = std::max(db, SpectrogramFloorDb);
    }
  }
  fftw_destroy_plan(plan);
  fftw_free(out);
  fftw_free(in);
  return s;
}

PlotLayout LayoutSlotPlot(int width, int height) {
  PlotLayout l;
  l.width = width;
  l.height = height;
  const int left = 58, right = 54, top = 30, bottom = 36, gap = 10;
  int inner = height - top - bottom - gap;
  l.waveX = l.specX = left;
  l.waveW = l.specW = width - left - right;
  l.waveY = top;
  l.waveH = inner * 2 / 5;
  l.specY = top + l.waveH + gap;
  l.specH = inner - l.waveH;
  return l;
}

double SpectrogramRowHz(const PlotLayout& l, int row, int rate) {
  return (l.specH - row - 0.5) / l.specH * (rate / 2.0);
}

bool WriteSlotPlot(int slot, const std::vector<int16_t>& frames, int rate, int width, int height,
                   const std::string& path, std::string* error) {
  return WriteSoundPlot("Slot " + std::to_string(slot), frames, rate, width, height, path, error);
}

bool WriteSoundPlot(const std::string& name, const std::vector<int16_t>& frames, int rate, int width, int height,
                    const std::string& path, std::string* error) {
  if (width < PlotMinWidth || height < PlotMinHeight || width > PlotMaxSide || height > PlotMaxSide) {
    *error = "picture size " + std::to_string(width) + "x" + std::to_string(height) + " is outside " +
             std::to_string(PlotMinWidth) + "x" + std::to_string(PlotMinHeight) + " to " +
             std::to_string(PlotMaxSide) + "x" + std::to_string(PlotMaxSide);
    return false;
  }
  PlotLayout l = LayoutSlotPlot(width, height);
  int count = static_cast<int>(frames.size());
  double durationMs = count * 1000.0 / rate;

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (!CheckSurface(surface, error)) {
    cairo_surface_destroy(surface);
    return false;
  }
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);

  // Title.
  char title[160];
  snprintf(title, sizeof title, "%s: %d frames, %.1f ms at %d Hz", name.substr(0, 100).c_str(), count, durationMs,
           rate);
  SetFont(cr, 14, true);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  DrawText(cr, l.waveX, 15, title, 0);

  // Waveform panel over the full 16-bit scale, grid at the half scales.
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_source_rgb(cr, 0.96, 0.96, 0.97);
  cairo_rectangle(cr, l.waveX, l.waveY, l.waveW, l.waveH);
  cairo_fill(cr);
  SetFont(cr, 10, false);
  const int levels[] = {32767, 16384, 0, -16384, -32768};
  for (int v : levels) {
    double y = std::floor(l.waveY + (32767.0 - v) / 65535.0 * (l.waveH - 1)) + 0.5;
    cairo_set_source_rgb(cr, v == 0 ? 0.6 : 0.85, v == 0 ? 0.6 : 0.85, v == 0 ? 0.6 : 0.85);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, l.waveX, y);
    cairo_line_to(cr, l.waveX + l.waveW, y);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    if (v != 16384 && v != -16384) DrawText(cr, l.waveX - 4, y, std::to_string(v), 1);
  }

  // Spectrogram panel: one transform per pixel column, each pixel row the
  // loudest transform row it covers.
  Spectrogram spec = ComputeSpectrogram(frames.data(), count, rate, PlotWindow, l.specW);
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, l.specW, l.specH);
  bool ok = CheckSurface(image, error);
  if (ok) {
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    int stride = cairo_image_surface_get_stride(image);
    std::vector<int> firstBin(static_cast<size_t>(l.specH)), lastBin(static_cast<size_t>(l.specH));
    for (int row = 0; row < l.specH; row++) {
      double halfRow = rate / 4.0 / l.specH;
      double hzHigh = SpectrogramRowHz(l, row, rate) + halfRow;
      double hzLow = SpectrogramRowHz(l, row, rate) - halfRow;
      int a = static_cast<int>(std::lround(hzLow / spec.binHz));
      int b = static_cast<int>(std::lround(hzHigh / spec.binHz)) - 1;
      a = std::min(a, spec.bins - 1);
      firstBin[row] = a;
      lastBin[row] = std::min(std::max(a, b), spec.bins - 1);
    }
    uint32_t palette[256];
    for (int i = 0; i < 256; i++) palette[i] = PackRgb(LevelColour(i / 255.0));
    for (int col = 0; col < l.specW; col++) {
      const float* levelsDb = &spec.db[static_cast<size_t>(col) * spec.bins];
      for (int row = 0; row < l.specH; row++) {
        float db = levelsDb[firstBin[row]];
        for (int k = firstBin[row] + 1; k <= lastBin[row]; k++) db = std::max(db, levelsDb[k]);
        double t = (db - ShownFloorDb) / -ShownFloorDb;
        int index = static_cast<int>(std::min(1.0, std::max(0.0, t)) * 255.0 + 0.5);
        reinterpret_cast<uint32_t*>(data + static_cast<size_t>(row) * stride)[col] = palette[index];
      }
    }
    cairo_surface_mark_dirty(image);
    cairo_set_source_surface(cr, image, l.specX, l.specY);
    cairo_paint(cr);
  }
  cairo_surface_destroy(image);

  // Frequency axis (kHz) and the colour scale on the right.
  cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
  for (int hz = 0; hz <= rate / 2; hz += 2000) {
    double y = l.specY + l.specH - (hz / (rate / 2.0)) * l.specH;
    y = std::min(y, l.specY + l.specH - 0.5);
    cairo_move_to(cr, l.specX - 3, std::floor(y) + 0.5);
    cairo_line_to(cr, l.specX, std::floor(y) + 0.5);
    cairo_stroke(cr);
    DrawText(cr, l.specX - 5, y, std::to_string(hz / 1000), 1);
  }
  cairo_save(cr);
  cairo_translate(cr, 12, l.specY + l.specH / 2.0);
  cairo_rotate(cr, -Pi / 2);
  DrawText(cr, 0, 0, "kHz (to " + std::to_string(rate / 2) + ")", 0.5);
  cairo_restore(cr);
  cairo_save(cr);
  cairo_translate(cr, 12, l.waveY + l.waveH / 2.0);
  cairo_rotate(cr, -Pi / 2);
  DrawText(cr, 0, 0, "sample", 0.5);
  cairo_restore(cr);
  int barX = l.specX + l.specW + 8;
  for (int row = 0; row < l.specH; row++) {
    Rgb c = LevelColour(1.0 - (row + 0.5) / l.specH);
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_rectangle(cr, barX, l.specY + row, 10, 1);
    cairo_fill(cr);
  }
  cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
  DrawText(cr, barX + 13, l.specY + 5, "0", 0);
  DrawText(cr, barX + 13, l.specY + l.specH - 5, FormatNumber(ShownFloorDb), 0);
  DrawText(cr, barX + 13, l.specY + l.specH / 2.0, "dB", 0);

  // Time axis under both panels.
  double stepMs = NiceStep(durationMs, std::max(2, l.specW / 70));
  for (double t = 0; t <= durationMs + 1e-9 && durationMs > 0; t += stepMs) {
    double x = std::floor(l.specX + t / durationMs * (l.specW - 1)) + 0.5;
    cairo_set_source_rgb(cr, 0.85, 0.85, 0.85);
    cairo_move_to(cr, x, l.waveY);
    cairo_line_to(cr, x, l.waveY + l.waveH);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    cairo_move_to(cr, x, l.specY + l.specH);
    cairo_line_to(cr, x, l.specY + l.specH + 4);
    cairo_stroke(cr);
    DrawText(cr, x, l.specY + l.specH + 11, FormatNumber(t), 0.5);
  }
  DrawText(cr, l.specX + l.specW, l.specY + l.specH + 26, "time (ms)", 1);
  // The waveform goes over its time grid.
  SetColour(cr, PlotWaveColour);
  DrawWaveform(cr, frames, l.waveX, l.waveY, l.waveW, l.waveH);

  cairo_destroy(cr);
  if (ok) ok = WritePng(surface, path, 1, error);
  cairo_surface_destroy(surface);
  return ok;
}

bool WriteBankSheet(const std::vector<std::vector<int16_t>>& waves, int rate, const std::string& path,
                    std::string* error) {
  const int columns = 10, cellW = 96, cellH = 44, pad = 6, top = 28;
  int slots = static_cast<int>(waves.size());
  int rows = std::max(1, (slots + columns - 1) / columns);
  int width = pad + columns * (cellW + pad);
  int height = top + rows * (cellH + pad) + pad;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (!CheckSurface(surface, error)) {
    cairo_surface_destroy(surface);
    return false;
  }
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  SetFont(cr, 13, true);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  char title[120];
  snprintf(title, sizeof title, "Zorta sound bank: slots 0 to %d, full 16-bit scale, each cell its whole sound",
           slots - 1);
  DrawText(cr, pad, top / 2.0, title, 0);

  for (int s = 0; s < slots; s++) {
    double x = pad + (s % columns) * (cellW + pad);
    double y = top + (s / columns) * (cellH + pad);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.96);
    cairo_rectangle(cr, x, y, cellW, cellH);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
    cairo_rectangle(cr, x, y + cellH / 2, cellW, 1);
    cairo_fill(cr);
    SetColour(cr, PlotWaveColour);
    DrawWaveform(cr, waves[s], x, y, cellW, cellH);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    char label[16];
    snprintf(label, sizeof label, "%02d", s);
    SetFont(cr, 10, true);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
    cairo_rectangle(cr, x, y, 17, 12);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    DrawText(cr, x + 2, y + 6, label, 0);
    if (!waves[s].empty()) {
      char ms[16];
      snprintf(ms, sizeof ms, "%.0f ms", waves[s].size() * 1000.0 / rate);
      SetFont(cr, 8, false);
      cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
      DrawText(cr, x + cellW - 2, y + cellH - 5, ms, 1);
    }
  }
  cairo_destroy(cr);
  bool ok = WritePng(surface, path, 9, error);
  cairo_surface_destroy(surface);
  return ok;
}

}  // namespace zorta
