// File names as the framework's data writes them, Windows style, made into
// names this system's files go by.
#pragma once
#include <cstdio>
#include <string>

namespace zorta {

// The name as this system should be asked for it. "\\" separates folders
// like "/"; when the name does not exist as written, each part of it is
// looked up in its folder ignoring the case of ASCII letters, as Windows
// would find it: a part that exists as written is kept, otherwise the
// first of the matching entries in byte order, folders only before the last
// part. The first part that matches nothing, and everything after it, stay
// as written, so a file about to be created keeps its new name. On Windows
// the name is returned as it is.
std::string HostPath(const char* path);

// fopen of the file HostPath finds; on Windows the UTF-8 name goes to the
// system's wide-character call, so names outside the ANSI code page open.
FILE* HostOpenFile(const char* path, const char* mode);

// Makes the folder the working folder, where the framework's relative names
// (Maps/, TileSets/, Sounds/, log.txt) then resolve: -1, or 0 with the
// system's reason in *error.
int EnterFolder(const char* path, std::string* error);

}  // namespace zorta
