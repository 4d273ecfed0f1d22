#include "scenes/intervals.h"

#include <gtest/gtest.h>

// Which scene plays at t: the interval that holds it, start included and
// end excluded, none before the music or after the last scene.
TEST(SceneAt, GivesTheIntervalThatHoldsTheTime)
{
  struct TCase {
    int32_t Time;
    int Scene;
  };
  const TCase cases[] = {
      {-1, -1},        {0, 0},          {48077, 0},     {48078, 1},       {84143, 4},
      {LastFrameTime, 12}, {226292, 12}, {226293, -1}, {INT32_MIN, -1}, {INT32_MAX, -1},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(SceneAt(c.Time), c.Scene) << "t = " << c.Time;
  for (int scene = 0; scene < SceneCount; ++scene) {
    EXPECT_EQ(SceneAt(SceneIntervals[scene].StartTime), scene) << SceneIntervals[scene].Name;
    EXPECT_EQ(SceneAt(SceneIntervals[scene].EndTime - 1), scene) << SceneIntervals[scene].Name;
  }
}

TEST(IntervalProgress, IsTheFractionElapsedInsideAndMinusOneOutside)
{
  struct TCase {
    int32_t Start, End, Time;
    float Progress;
  };
  const TCase cases[] = {
      {1000, 3000, 1000, 0.0f}, {1000, 3000, 2000, 0.5f}, {1000, 3000, 2999, 0.9995f},
      {1000, 3000, 3000, -1.0f}, {1000, 3000, 999, -1.0f}, {0, 0, 0, -1.0f},
      {0, 4, 1, 0.25f},
  };
  for (const TCase& c : cases)
    EXPECT_FLOAT_EQ(IntervalProgress(c.Start, c.End, c.Time), c.Progress)
        << c.Start << ".." << c.End << " at " << c.Time;
}
