#include "scenes/frame.h"

#include "engine/assets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

TEST(FrameArithmetic, Frac4KeepsFourDecimals)
{
  struct {
    double x;
    double frac;
  } cases[] = {{0.0, 0.0}, {1.99996, 0.0}, {1.25, 0.25}, {0.12344, 0.1234},
               {0.12345, 0.1234}, {0.12355, 0.1236}, {3.0, 0.0}, {-0.25, -0.25}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(Frac4(c.x), c.frac) << c.x;
  // Streak i = 0 at p = 0 sits at the start of its arch.
  EXPECT_EQ(Frac4(0 / 5000.0 + 3 * 0.0), 0.0);
}

TEST(FrameArithmetic, BeatStepsAndShakeDraws)
{
  struct {
    float p;
    int step;
    bool beat;
  } cases[] = {
      {0.0f, 0, true},          {1 / 128.0f, 1, false},  {2 / 128.0f, 2, true},
      {6.5f / 128, 6, true},    {10 / 128.0f, 10, true}, {20 / 128.0f, 20, true},
      {22 / 128.0f, 22, true},  {23 / 128.0f, 23, false}, {32 / 128.0f, 0, true},
      {127.9f / 128, 31, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BeatStep(c.p), c.step) << c.p;
    EXPECT_EQ(BeatTable[BeatStep(c.p)] == 1, c.beat) << c.p;
  }
  const uint32_t saved = RandomSeed;
  for (const auto& c : cases) {
    RandomSeed = 12345;
    BeatShake(c.p, 10.0f);  // no context needed for the draws; GL ignores the call
    uint32_t expected = 12345;
    if (c.beat)
      for (int k = 0; k < 3; ++k)
        expected = expected * 134775813u + 1u;
    EXPECT_EQ(RandomSeed, expected) << c.p;
  }
  RandomSeed = saved;
}

TEST(FrameArithmetic, WaterCyclesThroughTheFourFields)
{
  struct {
    double q;
    int a, b;
    double w;
  } cases[] = {
      {0.0, 0, 1, 1.0},
      {0.5, 0, 1, 1 - 128 / 255.0},
      {1.0, 1, 2, 1.0},
      {3.999, 3, 0, 1 - 255 / 255.0},
      {12 * 0.999, 3, 0, 1 - static_cast<int>(256 * 11.988) % 256 / 255.0},
  };
  for (const auto& c : cases) {
    const TWaterBlend blend = WaterBlend(c.q);
    EXPECT_EQ(blend.a, c.a) << c.q;
    EXPECT_EQ(blend.b, c.b) << c.q;
    EXPECT_DOUBLE_EQ(blend.w, c.w) << c.q;
  }
}
