// The two conversions to a 32-bit value that every rule of the program uses, so that no stored
// value or zoom can make a conversion undefined or an addition overflow.
#pragma once

#include <cstdint>

// From double: truncation toward zero (-92.5 becomes -92), never rounding. NaN gives 0 and values
// beyond the int32 range stop at its ends.
int32_t truncToInt32(double value);

// From a sum or product formed in 64 bits: values beyond the int32 range stop at its ends.
constexpr int32_t saturateToInt32(int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}
