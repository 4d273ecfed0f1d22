// The program's one pseudo-random generator. The asset loader draws from it
// first and the scenes' beat shake continues the same sequence, so the
// generated data and the shake are the same on every run. Plain arithmetic,
// no GL.
#pragma once

#include <cstdint>

// The generator state: 0 when the program starts, never reseeded. Advanced by
// NextRandom; the warm-up (WarmUpScenes) and the paused frames of the
// timeline put it back to what it was, so that their extra frames draw
// nothing from the sequence.
extern uint32_t RandomSeed;  // written by NextRandom and the timeline

// seed := seed * 134775813 + 1; the result is the upper 32 bits of seed * n,
// in [0, n).
int32_t NextRandom(int32_t n);
