// Handler of the main window's menu commands (and of the commands the program sends itself).
#pragma once

#include <cstdint>

void dispatchCommand(int32_t commandId);
