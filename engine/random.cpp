#include "engine/random.h"

uint32_t RandomSeed = 0;

int32_t NextRandom(int32_t n)
{
  RandomSeed = RandomSeed * 134775813u + 1u;
  return static_cast<int32_t>((static_cast<uint64_t>(RandomSeed) * static_cast<uint32_t>(n)) >> 32);
}
