// The paths the program builds from the executable's: the help file and the settings file.
#pragma once

#include <cstddef>

// '\\' and ':' end a directory on Windows; '/' as well, so a Linux path is cut the same way.
constexpr bool isPathSeparator(char c) { return c == '\\' || c == ':' || c == '/'; }

// Fills helpPath: the executable's directory followed by the help file name, or "?" when that
// would not fit in 128 bytes. size must leave room for a cut 127-character path, "?" and the
// terminator (130 bytes); a smaller buffer gets an empty path.
void buildHelpPath(char* helpPath, std::size_t size);

// A help path ending in "?" (the executable's directory was too long) names no file.
bool helpPathNamesFile(const char* helpPath);
