// Maps as JSON, both ways, through the program's map codec: `map info`
// describes what the program will load, `map build` makes a map file from a
// description. Strings are UTF-8; a byte that is not part of valid UTF-8 is
// written as the code point U+DC00 + byte ("\udcXX") and read back as that byte.
#pragma once
#include <cstdio>

namespace zorta {

// Prints the map at mapPath as JSON to out. Messages go to err as
// "zorta-tool map info: ..."; the result is the exit code (0, or 1 when the file
// cannot be read or is not a map file).
int MapInfoJson(const char* mapPath, FILE* out, FILE* err);
// Writes the map that the JSON description at jsonPath describes to outPath.
// A description that is not well formed is refused with the file, the JSON
// pointer of the offending value and the reason (for text that is not JSON,
// its line and column); nothing is written then, nor over the description itself.
// The result is the exit code (0 or 1).
int MapBuildFromJson(const char* jsonPath, const char* outPath, FILE* err);

}  // namespace zorta
