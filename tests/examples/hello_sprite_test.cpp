// The hello-sprite example as a newcomer runs it, through its own main: its
// sprite shows, and moves right while the right arrow key is held.
#include <gtest/gtest.h>

#include "display/display.h"
#include "display/draw.h"
#include "platform/testing.h"
#include "platform/window.h"
#include "reset.h"

int HelloSpriteMain(int argc, char** argv);  // the example's main

namespace {

int frames = 0;
bool holdRight = false;
int heroLeft = -1, heroRow = -1;  // where the face's colour starts on the last frame

// The first column and row of the hero's face colour in the picture.
void FindHero() {
  uint32_t face = PackColor(250, 200, 40, ColorDepth);
  heroLeft = heroRow = -1;
  for (int y = 0; y < ScreenHeight && heroLeft < 0; y++)
    for (int x = 0; x < ScreenWidth; x++)
      if (DisplaySeamReadPixel(BackBuffer, x, y) == face) {
        heroLeft = x;
        heroRow = y;
        break;
      }
}

void OnFrame() {
  frames++;
  if (frames == 2 && holdRight) WinPostMessage(WM_KEYDOWN, VK_RIGHT, 0);
  if (frames == 40) FindHero();
}

int RunExample() {
  frames = 0;
  DisplaySeamOnPresent(OnFrame);
  char name[] = "hello-sprite", headless[] = "--headless", limit[] = "--frames", count[] = "40",
       noBank[] = "--no-bank", data[] = "--data", folder[] = HELLO_SPRITE_DIR;
  char* argv[] = {name, headless, limit, count, noBank, data, folder, nullptr};
  return HelloSpriteMain(7, argv);
}

TEST(HelloSprite, TheSpriteShowsAndMovesRightWhileTheRightKeyIsHeld) {
  ResetForTests();
  holdRight = false;
  ASSERT_EQ(RunExample(), 0);
  EXPECT_EQ(frames, 40);
  int stillLeft = heroLeft, stillRow = heroRow;
  ASSERT_GE(stillLeft, 0) << "the hero's face is nowhere in the picture";

  ResetForTests();
  holdRight = true;
  ASSERT_EQ(RunExample(), 0);
  ASSERT_GE(heroLeft, 0);
  EXPECT_EQ(heroRow, stillRow);
  // 38 frames of at least 4 ms each at 125 pixels a second.
  EXPECT_GE(heroLeft, stillLeft + 10);
}

}  // namespace
