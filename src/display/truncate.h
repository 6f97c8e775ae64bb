// The one conversion from double to a 32-bit pixel value used by all geometry: truncation toward
// zero (-92.5 becomes -92), never rounding. NaN gives 0 and values beyond the int32 range stop at
// its ends, so no stored zoom or size can make the conversion undefined.
#pragma once

#include <cstdint>

int32_t truncToInt32(double value);
