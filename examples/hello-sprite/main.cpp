// hello-sprite: a window with a sprite the arrow keys move, a sound of the
// bank on Space and a message on Enter. Run it beside hero.png, or give its
// folder with --data; `hello-sprite --headless --frames 60` runs it unseen.
#include <zorta/zorta.h>

using namespace zorta;

namespace {

int hero = -1;
float heroX = 308, heroY = 228;

// The movement runs in the world's fixed 4 ms steps: the same speed at any
// frame rate.
void Step() {
  const float speed = 0.5f;  // pixels a step: 125 a second
  if (KeyHeld(KeyLeft) && heroX > 0) heroX -= speed;
  if (KeyHeld(KeyRight) && heroX < ScreenWidth - 24) heroX += speed;
  if (KeyHeld(KeyUp) && heroY > 20) heroY -= speed;
  if (KeyHeld(KeyDown) && heroY < ScreenHeight - 24) heroY += speed;
}

void SetUp() {
  hero = LoadSprite("hero.png", 24, 24);
  GameStep = Step;
}

// Every frame, over the world (no map here, so black).
void Frame() {
  if (KeyPressed(KeySpace)) PlayBankSound(12);
  if (KeyPressed(KeyReturn))
    OpenMessageWindow("Hello, sprite!#Any key or click closes this.", 200, 200, 240, 60);
  if (KeyPressed(KeyEscape)) QuitProgram();
  FillRect(0, 20, ScreenWidth, ScreenHeight - 20, PackColor(40, 60, 90, ColorDepth));
  DrawSprite(hero, 0, static_cast<int>(heroX), static_cast<int>(heroY));
  PrintText("Arrows: move   Space: sound   Enter: message   Esc: quit", 8, 3);
}

}  // namespace

int main(int argc, char** argv) {
  ProgramOptions options;
  options.title = "Hello, sprite";
  int rc = ParseProgramArguments(argc, argv, &options);
  if (rc >= 0) return rc;
  options.setUp = SetUp;
  options.frame = Frame;
  return RunProgram(options);
}
