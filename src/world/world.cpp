#include "world/world.h"

// Filled in with the map and the world.
void ComputeSteps() {}
void LoadPendingMap() {}
void LoadFirstMap() {}
void ClearObjects() {}
void FreeMap() {}
void FreeObjectTypes() {}
