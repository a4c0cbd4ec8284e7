// What the player sees over the world and the windows the game opens: the
// score line, the level list, "level complete", "game over" and the question
// on Escape. Runs once per frame as the world frame's last drawing; the rules
// themselves never run here, only the choices made in the windows.
#pragma once
#include <cstdint>

// The level the first frame starts (a MapList name), or null for the first map.
extern const char* StartLevelName;
void DrawGameScreen();
// The answer of the quit question: yes keeps the result line of the game as
// it ends (QuitResult) and closes the window.
void AnswerQuit(int32_t answer);
extern char QuitResult[256];
// Forgets which windows were shown (for tests).
void ResetGameScreen();
