// The main window's creation and destruction sequences, which the front end calls from its own
// window creation and destruction.
#pragma once

#include <cstddef>

// Fills helpPath: the executable's directory followed by the help file name, or "?" when that
// would not fit in 128 bytes.
void buildHelpPath(char* helpPath, std::size_t size);
void onCreate();
void onDestroy();
