#include "app/demo_screen.h"

#include <cstdio>

#include "base/settings.h"
#include "display/draw.h"
#include "display/text.h"
#include "gui/gui.h"
#include "sfx/sound_bank.h"

namespace zorta {

const char DemoTitle[] = "--- Zorta Demo ---     <Click A Sound To Play It>     Every sound made at start-up";

void DrawDemoScreen() {
  FillRect(0, 0, ScreenWidth, ScreenHeight, 0);
  FillRect(0, 0, ScreenWidth, 15, PackColor(0, 0, 128, ColorDepth));
  PrintText(DemoTitle, ScreenWidth / 2 - 192, 0);
  const uint32_t normal = PackColor(64, 64, 64, ColorDepth);
  const uint32_t hover = PackColor(96, 96, 96, ColorDepth);
  int32_t x = 2, y = 20;
  for (int i = 0; i < SoundBankSlots; i++) {
    uint32_t fill = normal;
    // The hit area is two pixels wider than the drawn button, so the gap to
    // the right belongs to it; the gap below belongs to no button.
    if (IsMouseOver(&RootWindow, x, y, 32, 16)) {
      if (IsClicked(&RootWindow) && SoundBank[i] != nullptr) FSOUND_PlaySound(FSOUND_FREE, SoundBank[i]);
      fill = hover;
    }
    FillRect(x, y, 30, 16, fill);
    if (SoundBank[i] != nullptr) {
      char label[12];
      snprintf(label, sizeof label, "%d", i);
      PrintText(label, x + 5, y);
    }
    if (y + 18 < ScreenHeight - 16) {
      y += 18;
    } else {
      y = 20;
      x += 32;
    }
  }
}

}  // namespace zorta
