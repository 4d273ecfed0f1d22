#include "bench/benchstats.h"

#include <gtest/gtest.h>

namespace {

// Frames every 20 ms from `from` with the given costs, all in one slot.
std::vector<TFrameTime> FramesFrom(int slot, int32_t from, const std::vector<double>& ms)
{
  std::vector<TFrameTime> frames;
  for (size_t i = 0; i < ms.size(); ++i)
    frames.push_back({static_cast<int32_t>(from + 20 * i), slot, ms[i]});
  return frames;
}

}  // namespace

TEST(BenchStats, MedianAndPercentileOfSmallSets)
{
  struct {
    std::vector<double> values;
    double median, p95;
  } cases[] = {
      {{}, 0, 0},
      {{7}, 7, 7},
      {{4, 1, 3, 2}, 2.5, 4},
      {{5, 1, 9}, 5, 9},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Median(c.values), c.median);
    EXPECT_EQ(Percentile(c.values, 95), c.p95);
  }
  // Nearest rank: the 95th of 1..100 is 95, not an interpolation.
  std::vector<double> hundred;
  for (int i = 100; i >= 1; --i)
    hundred.push_back(i);
  EXPECT_EQ(Percentile(hundred, 95), 95);
  EXPECT_EQ(Percentile(hundred, 100), 100);
}

TEST(BenchStats, SlowestSecondIsAFullSecondInsideItsScene)
{
  // Two seconds of 10 ms frames with a slow half second in the middle of the
  // second, then a scene whose first frames are slower still.
  std::vector<double> ms(100, 10);
  for (int i = 60; i < 85; ++i)
    ms[i] = 30;
  std::vector<TFrameTime> frames = FramesFrom(4, 1000, ms);
  for (const TFrameTime& f : FramesFrom(5, 3000, {90, 90, 10, 10}))
    frames.push_back(f);

  const std::vector<TSceneStats> stats = SceneStats(frames, 20);
  ASSERT_EQ(stats.size(), 2u);
  EXPECT_EQ(stats[0].Slot, 4);
  EXPECT_EQ(stats[0].Frames, 100);
  EXPECT_EQ(stats[0].WorstMs, 30);
  EXPECT_EQ(stats[0].WorstAt, 1000 + 20 * 60);
  // Any window holding all 25 slow frames: (25 * 30 + 25 * 10) / 50.
  EXPECT_DOUBLE_EQ(stats[0].SlowestSecondMs, 20);
  EXPECT_EQ(stats[0].SlowestSecondAt, 1000 + 20 * 35);
  EXPECT_EQ(stats[0].TotalMs, 75 * 10 + 25 * 30);
  // Less than a second of scene 5: its whole stretch.
  EXPECT_EQ(stats[1].Slot, 5);
  EXPECT_DOUBLE_EQ(stats[1].SlowestSecondMs, 50);
  EXPECT_EQ(stats[1].SlowestSecondAt, 3000);
  EXPECT_EQ(stats[1].MedianMs, 50);
}

TEST(BenchStats, CutReportsTheWorstFrameJustAfterTheCutAgainstTheNextSecond)
{
  // 200 ms after the cut at 1000: 10 frames, one slow; then a second at 40 ms.
  std::vector<double> ms(10, 40);
  ms[1] = 120;
  for (int i = 0; i < 50; ++i)
    ms.push_back(i < 26 ? 50 : 40);  // median 50 over the following second
  std::vector<TFrameTime> frames = FramesFrom(3, 980, {20});
  for (const TFrameTime& f : FramesFrom(4, 1000, ms))
    frames.push_back(f);

  const std::vector<TCutStats> cuts = CutStats(frames, {0, 1000, 9000});
  ASSERT_EQ(cuts.size(), 1u);  // no frames after 0 or 9000 in this run
  EXPECT_EQ(cuts[0].Time, 1000);
  EXPECT_EQ(cuts[0].Slot, 4);
  EXPECT_EQ(cuts[0].WorstMs, 120);
  EXPECT_EQ(cuts[0].WorstAt, 1020);
  EXPECT_EQ(cuts[0].MedianMs, 50);
}
