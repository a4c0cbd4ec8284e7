// The map file: tile layers in the LayerList and the table of object
// placements, loaded from "Maps/<name>".
#pragma once
#include <cstdint>

#include "zorta/world.h"

namespace zorta {

extern MapObject* SelectedMapObject;

// Replaces the current map with "Maps/<name>". A file that cannot be opened
// (or a name too long for the path) keeps the current map and its images.
// A file that ends early, or whose counts and sizes do not fit in what it
// holds, keeps every layer and placement read completely before that point.
void LoadMap(const char* name);
void FreeMap();

}  // namespace zorta
