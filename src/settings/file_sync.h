// Pushing a written file's data to the disk before it is renamed into place.
#pragma once

#include <cstdio>

// Flushes the stream's buffer and asks the operating system to put the data on the disk.
// Returns false when either step fails. The file stays open.
bool syncFileToDisk(std::FILE* file);
