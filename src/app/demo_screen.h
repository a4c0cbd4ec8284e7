// The demo screen: a title bar and a grid of 500 buttons, one per SoundBank
// slot; clicking a numbered button plays its effect.
#pragma once

namespace zorta {

extern const char DemoTitle[];

void DrawDemoScreen();

}  // namespace zorta
