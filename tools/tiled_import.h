// `map import`: a Tiled map converted by the framework's importer and
// written as a map file and its tile sets, all or nothing.
#pragma once
#include <cstdio>
#include <string>

#include "world/tiled_import.h"

namespace zorta {

// Reads, converts and writes the Tiled map at mapPath into outDir; mapFile
// names the map file written. False with a message, nothing written.
bool ImportTiledFile(const std::string& mapPath, const std::string& outDir, TiledImport* imported,
                     std::string* mapFile, std::string* error);

// `map import MAP OUTDIR`: OUTDIR/Maps/NAME.map and OUTDIR/TileSets/NAME-K.gfx,
// all or nothing. Notes go to out, errors to err; the exit code.
int MapImportCommand(const char* mapPath, const char* outDir, FILE* out, FILE* err);

}  // namespace zorta
