#include "display/draw.h"

// Filled in with the drawing primitives.
void ResetClipRect() {}
