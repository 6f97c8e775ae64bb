// The character cell and the three label fonts.
#pragma once

#include <cstdint>

#include "platform/platform.h"

enum KeyFontSize : int32_t { kSmallKeyFont = 0, kNormalKeyFont = 1, kBigKeyFont = 2 };

void measureCharacterCell();
void createKeyFonts();
void deleteKeyFonts();
plat::Font selectKeyFont(plat::Surface surface, KeyFontSize size);
