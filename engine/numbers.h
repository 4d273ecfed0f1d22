// Numbers every part of the program shares: pi, the two guarded
// float-to-integer conversions the frame arithmetic uses and the reading of
// whole numbers from the command line. Plain arithmetic, no dependencies, so
// the tools can include it too.
#pragma once

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>

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

// The smallest power of two at least n (1 for n below 2): the side of a
// texture that holds n pixels where a driver wants powers of two.
inline int PowerOfTwoAtLeast(int n)
{
  int p = 1;
  while (p < n)
    p *= 2;
  return p;
}

// A whole decimal number from 0 to limit that fills text up to the character
// stop (the end of the text by default), as the programs' options take them.
inline bool ParseWholeNumber(const char* text, long limit, int32_t& value, char stop = '\0')
{
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != stop || parsed < 0 || parsed > limit)
    return false;
  value = static_cast<int32_t>(parsed);
  return true;
}
