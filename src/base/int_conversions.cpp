#include "base/int_conversions.h"

#include <cmath>

int32_t truncToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);  // the language truncates toward zero
}
