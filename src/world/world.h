// Map, objects and the world frame.
#pragma once

void ComputeSteps();
void LoadPendingMap();
void LoadFirstMap();
void ClearObjects();
void FreeMap();
void FreeObjectTypes();
