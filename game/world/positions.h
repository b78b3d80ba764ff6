// Map positions as whole pixels: the bound the level readers hold every
// position to, and conversions and sums that stay defined whatever a float
// position holds.
#pragma once

#include <cmath>
#include <cstdint>

// Level files give positions within this many pixels of the map's corner
// either way: far outside any 65 x 65 map, yet a float holds every whole
// pixel up to it and sums and distances of such positions stay within an int.
constexpr int32_t kPositionLimit = 1 << 24;

// A position read from a level file, held to -kPositionLimit..kPositionLimit.
inline int32_t held_position(int32_t v) {
  if (v > kPositionLimit) return kPositionLimit;
  if (v < -kPositionLimit) return -kPositionLimit;
  return v;
}

// A position truncated toward zero as a cast does; a value beyond the int
// range gives its nearest end and NaN gives 0, where a cast is undefined.
inline int32_t position_to_int(float v) {
  constexpr float kIntEnd = 2147483648.0f;  // 2^31, exact as a float
  if (std::isnan(v)) return 0;
  if (v >= kIntEnd) return INT32_MAX;
  if (v < -kIntEnd) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// A screen coordinate: the sum taken in 64 bits and held to the int range.
inline int32_t held_sum(int64_t a, int64_t b, int64_t c = 0) {
  const int64_t sum = a + b + c;
  if (sum > INT32_MAX) return INT32_MAX;
  if (sum < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(sum);
}

// |a - b| of two truncated positions, held at the largest int.
inline int32_t position_distance(float a, float b) {
  const int64_t d = static_cast<int64_t>(position_to_int(a)) - position_to_int(b);
  const int64_t magnitude = d < 0 ? -d : d;
  return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}
