// Compiled with the normal build, never run: a game's own names at global
// scope beside the framework's. The public header declares nothing outside
// namespace zorta and none of the framework's internal names, so neither
// these declarations nor the unqualified calls below meet a second meaning.
struct View {
  int zoom;
};
struct Camera {
  float height;
};
struct Image {
  const char* file;
};
void Shutdown() {}
void Present() {}

#include <zorta/zorta.h>

using namespace zorta;

int GlobalNamesBesideTheFramework() {
  ::View view{2};
  ::Camera camera{1.5f};
  ::Image image{"own.png"};
  Shutdown();
  Present();
  zorta::Image* picture = zorta::FindImage(image.file);
  int x = zorta::View.x + zorta::Camera.ix + view.zoom + static_cast<int>(camera.height);
  if (KeyHeld(KeyLeft) && picture != nullptr) PlayBankSound(SoundBankEffects - 1);
  ProgramOptions options;
  options.frames = static_cast<uint32_t>(ScreenWidth);
  return x + static_cast<int>(options.frames) + MessageWindow.w;
}
