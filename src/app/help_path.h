// The help file's path, built from the executable's.
#pragma once

#include <cstddef>

// Fills helpPath: the executable's directory followed by the help file name, or "?" when that
// would not fit in 128 bytes. size must leave room for a cut 127-character path, "?" and the
// terminator (130 bytes); a smaller buffer gets an empty path.
void buildHelpPath(char* helpPath, std::size_t size);

// A help path ending in "?" (the executable's directory was too long) names no file.
bool helpPathNamesFile(const char* helpPath);
