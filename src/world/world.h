// Map, objects and the world frame.
#pragma once

void ComputeSteps();
void LoadPendingMap();
void LoadFirstMap();
void ClearObjects();
void FreeMap();
void FreeObjectTypes();
// The RootWindow's Draw: player controls, the due logic steps, the world's
// drawing and, last, the demo screen.
void WorldFrame();
