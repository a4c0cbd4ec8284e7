// Decoding a 1024 x 1024 image of each format and converting it to a 32-bit
// surface layout, in megapixels per second, beside the whole-process time of
// an outside decoder reading the same file: ImageMagick's `convert IN rgba:-`
// for BMP and TGA, netpbm's ilbmtoppm for ILBM (ImageMagick has no ILBM
// reader), and ImageMagick on the raw pixels of the GFX file's image block.
// PNG and the 8-bit BMP are also decoded by ImageMagick inside this process,
// through its MagickWand library (opened at run time, one thread), reading
// the same file into 8-bit red, green, blue: the like-for-like comparison.
#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/image_formats.h"
#include "image/image_table.h"
#include "image/pixel_convert.h"
#include "io/file.h"

using namespace zorta;

namespace {

const int Side = 1024;
std::string Folder;

std::string PathOf(const char* name) { return Folder + "/" + name; }

void Shell(const std::string& command) {
  if (system(command.c_str()) != 0) fprintf(stderr, "bench_image: failed: %s\n", command.c_str());
}

// One natural-looking picture in every format, made once.
void MakeFiles() {
  char tmpl[] = "/tmp/zorta-bench-image-XXXXXX";
  Folder = mkdtemp(tmpl);
  Shell("cd " + Folder + " && convert -seed 7 -size 1024x1024 plasma:fractal -depth 8 src.ppm && " +
        "convert src.ppm -type TrueColor BMP3:image.bmp && " +
        "convert src.ppm -alpha set -type TrueColorAlpha -depth 8 image.tga && " +
        "ppmtoilbm -quiet -24force src.ppm > image.ilbm && " + "convert src.ppm -depth 8 rgb:image.rgb && " +
        "convert src.ppm PNG24:image.png && " +
        "convert src.ppm -alpha set -channel A -fx 'i/w' +channel PNG32:alpha.png && " +
        "convert src.ppm -colors 256 -type Palette BMP3:image8.bmp");
  // GFX: INFO, a 24-bit IMGE and ENDF around the same pixels.
  FILE* in = fopen(PathOf("image.rgb").c_str(), "rb");
  FILE* out = fopen(PathOf("image.gfx").c_str(), "wb");
  if (in == nullptr || out == nullptr) return;
  std::vector<uint8_t> rgb(Side * Side * 3);
  if (fread(rgb.data(), 1, rgb.size(), in) != rgb.size()) fprintf(stderr, "bench_image: short rgb\n");
  auto u32 = [&](uint32_t v) { fwrite(&v, 4, 1, out); };
  u32(0x47465831);
  u32(0x494E464F);
  u32(32);
  uint32_t info[8] = {Side, Side, 24, 0, 0, 0, 0, 0};
  fwrite(info, 4, 8, out);
  u32(0x494D4745);
  u32(static_cast<uint32_t>(rgb.size()));
  fwrite(rgb.data(), 1, rgb.size(), out);
  u32(0x454E4446);
  u32(0);
  fclose(in);
  fclose(out);
}

void DecodeAndConvert(benchmark::State& state, const char* file, int format) {
  std::string path = PathOf(file);
  std::vector<uint8_t> surface(Side * Side * 4);
  char message[LoadMessageSize];
  for (auto _ : state) {
    Image img;
    memset(&img, 0, sizeof img);
    if (!RunLoader(ImageFormats[format], path.c_str(), &img, message)) {
      state.SkipWithError(message);
      break;
    }
    ConvertPixels(surface.data(), 32, Side, img.pixels, img.bits, img.width, img.width, img.height, img.palette, 0);
    benchmark::DoNotOptimize(surface.data());
    FreeImage(&img);
  }
  state.counters["MP/s"] = benchmark::Counter(Side * Side / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void OutsideDecoder(benchmark::State& state, std::string command) {
  for (auto _ : state) Shell("cd " + Folder + " && " + command + " > /dev/null");
  state.counters["MP/s"] = benchmark::Counter(Side * Side / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// ImageMagick's MagickWand, found at run time so the benchmark needs no
// development package of it.
struct MagickWandCalls {
  void* library = nullptr;
  void* (*newWand)() = nullptr;
  int (*readImage)(void*, const char*) = nullptr;
  int (*exportPixels)(void*, ssize_t, ssize_t, size_t, size_t, const char*, int, void*) = nullptr;
  void (*clearWand)(void*) = nullptr;
  void* (*destroyWand)(void*) = nullptr;
} Magick;

int OpenMagickWand() {
  if (Magick.library != nullptr) return -1;
  setenv("MAGICK_THREAD_LIMIT", "1", 1);
  void* lib = dlopen("libMagickWand-6.Q16.so.6", RTLD_NOW);
  if (lib == nullptr) return 0;
  auto genesis = reinterpret_cast<void (*)()>(dlsym(lib, "MagickWandGenesis"));
  Magick.newWand = reinterpret_cast<void* (*)()>(dlsym(lib, "NewMagickWand"));
  Magick.readImage = reinterpret_cast<int (*)(void*, const char*)>(dlsym(lib, "MagickReadImage"));
  Magick.exportPixels = reinterpret_cast<int (*)(void*, ssize_t, ssize_t, size_t, size_t, const char*, int, void*)>(
      dlsym(lib, "MagickExportImagePixels"));
  Magick.clearWand = reinterpret_cast<void (*)(void*)>(dlsym(lib, "ClearMagickWand"));
  Magick.destroyWand = reinterpret_cast<void* (*)(void*)>(dlsym(lib, "DestroyMagickWand"));
  if (!genesis || !Magick.newWand || !Magick.readImage || !Magick.exportPixels || !Magick.clearWand ||
      !Magick.destroyWand)
    return 0;
  genesis();
  Magick.library = lib;
  return -1;
}

void MagickInProcess(benchmark::State& state, const char* file) {
  if (!OpenMagickWand()) {
    state.SkipWithError("libMagickWand-6.Q16.so.6 is not there");
    return;
  }
  std::string path = PathOf(file);
  std::vector<uint8_t> rgb(Side * Side * 3);
  void* wand = Magick.newWand();
  const int CharPixel = 1;  // StorageType
  for (auto _ : state) {
    if (!Magick.readImage(wand, path.c_str()) ||
        !Magick.exportPixels(wand, 0, 0, Side, Side, "RGB", CharPixel, rgb.data())) {
      state.SkipWithError("ImageMagick could not read the file");
      break;
    }
    benchmark::DoNotOptimize(rgb.data());
    Magick.clearWand(wand);
  }
  Magick.destroyWand(wand);
  state.counters["MP/s"] = benchmark::Counter(Side * Side / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ZortaBMP(benchmark::State& s) { DecodeAndConvert(s, "image.bmp", FormatBMP); }
void BM_ZortaPNG(benchmark::State& s) { DecodeAndConvert(s, "image.png", FormatPNG); }
void BM_ImageMagickPNG(benchmark::State& s) { MagickInProcess(s, "image.png"); }
void BM_ZortaPNGAlpha(benchmark::State& s) { DecodeAndConvert(s, "alpha.png", FormatPNG); }
void BM_ImageMagickPNGAlpha(benchmark::State& s) { MagickInProcess(s, "alpha.png"); }
void BM_ZortaBMP8(benchmark::State& s) { DecodeAndConvert(s, "image8.bmp", FormatBMPVariant); }
void BM_ImageMagickBMP8(benchmark::State& s) { MagickInProcess(s, "image8.bmp"); }
void BM_ImageMagickProcessPNG(benchmark::State& s) { OutsideDecoder(s, "convert image.png rgb:-"); }
void BM_ZortaILBM(benchmark::State& s) { DecodeAndConvert(s, "image.ilbm", FormatILBM); }
void BM_ZortaGFX(benchmark::State& s) { DecodeAndConvert(s, "image.gfx", FormatGFX); }
void BM_ZortaTGA(benchmark::State& s) { DecodeAndConvert(s, "image.tga", FormatTGA); }
void BM_ImageMagickBMP(benchmark::State& s) { OutsideDecoder(s, "convert image.bmp rgba:-"); }
void BM_NetpbmILBM(benchmark::State& s) { OutsideDecoder(s, "ilbmtoppm -quiet image.ilbm"); }
void BM_ImageMagickRawGFX(benchmark::State& s) {
  OutsideDecoder(s, "convert -size 1024x1024 -depth 8 rgb:image.rgb rgba:-");
}
void BM_ImageMagickTGA(benchmark::State& s) { OutsideDecoder(s, "convert image.tga rgba:-"); }

BENCHMARK(BM_ZortaPNG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickPNG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZortaPNGAlpha)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickPNGAlpha)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickProcessPNG)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZortaBMP8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickBMP8)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZortaBMP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickBMP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZortaILBM)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NetpbmILBM)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZortaGFX)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickRawGFX)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZortaTGA)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickTGA)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  MakeFiles();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Shell("rm -rf '" + Folder + "'");
  return 0;
}
