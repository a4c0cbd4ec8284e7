// Text output: white, transparent text straight into the BackBuffer. Text is
// cut by the surface's edges only, not by the clip rectangle. All of it is
// public (zorta/display.h).
#pragma once
#include "zorta/display.h"
