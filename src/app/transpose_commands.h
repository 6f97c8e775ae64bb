#pragma once

#include <cstdint>

void setTranspose(int32_t commandId);  // 111..115
// Texts and grey state of 114, 112, 115 and 111 for a layout.
void relabelTransposeItems(int32_t layoutId);
