// Colours, the clip rectangle and drawing primitives.
#pragma once

void ResetClipRect();
