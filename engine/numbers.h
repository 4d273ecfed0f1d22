// Numbers every part of the program shares: pi and the two guarded
// float-to-integer conversions the frame arithmetic uses. Plain arithmetic,
// no dependencies, so the tools can include it too.
#pragma once

#include <cmath>
#include <cstdint>

constexpr double Pi = 3.14159265358979323846;

// Truncation toward zero; values no int64 can hold (and NaN) give 0.
inline int64_t TruncSafe(double x)
{
  if (!(std::fabs(x) < 9.0e18))
    return 0;
  return static_cast<int64_t>(x);
}

// Round halves to even, as every rounding of the frame steps does; values no
// int64 can hold (and NaN) give 0.
inline int64_t RoundEven(double x)
{
  if (!(std::fabs(x) < 9.0e18))
    return 0;
  return static_cast<int64_t>(std::nearbyint(x));
}
