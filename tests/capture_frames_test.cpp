#include "tools/capture/frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CaptureTimes, StepsAndFrameRates)
{
  struct TCase {
    int32_t From, To, Step;
    int Fps;
    std::vector<int32_t> Times;
  };
  const TCase cases[] = {
      {0, 100, 20, 0, {0, 20, 40, 60, 80, 100}},
      {5, 44, 20, 0, {5, 25}},              // the end is inclusive, not reached
      {7, 7, 20, 0, {7}},
      {0, 110, 20, 60, {0, 17, 33, 50, 67, 83, 100}},
      {1000, 1100, 20, 60, {1000, 1017, 1033, 1050, 1067, 1083, 1100}},
      {0, 120, 999, 25, {0, 40, 80, 120}},  // --fps wins over the step
      {0, 40, 20, 80, {0, 13, 25, 38}},     // 12.5 and 37.5 round up
      {0, 2000, 20, 1, {0, 1000, 2000}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(CaptureTimes(c.From, c.To, c.Step, c.Fps), c.Times)
        << "from " << c.From << " to " << c.To << " step " << c.Step << " fps " << c.Fps;
}

TEST(CaptureTimes, SixtyFramesASecondDoNotDrift)
{
  // The whole demo at 60 fps: every sixtieth frame lands on a whole second.
  const std::vector<int32_t> times = CaptureTimes(0, 223999, 20, 60);
  ASSERT_EQ(times.size(), 13440u);
  for (size_t k = 0; k < times.size(); k += 60)
    EXPECT_EQ(times[k], static_cast<int32_t>(k / 60 * 1000));
  EXPECT_EQ(times.back(), 223983);
}

TEST(CaptureRate, FramesPerSecondOrStep)
{
  EXPECT_EQ(CaptureRate(20, 60).Frames, 60);
  EXPECT_EQ(CaptureRate(20, 60).Seconds, 1);
  EXPECT_EQ(CaptureRate(40, 0).Frames, 1000);
  EXPECT_EQ(CaptureRate(40, 0).Seconds, 40);
}

uint8_t Red(const std::vector<uint8_t>& rgb, int width, int x, int y)
{
  return rgb[(static_cast<size_t>(y) * width + x) * 3];
}

TEST(PadFrame, PictureInsideBlackBars)
{
  // Sizes too small for a real frame: a hand-made placement.
  const TFramePlacement pillars = {2, 1, 4, 3};
  const std::vector<uint8_t> grey(4 * 3 * 3, 130);
  const std::vector<uint8_t> out = PadFrame(grey, pillars, 8, 5);
  ASSERT_EQ(out.size(), 8u * 5 * 3);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 1 && y < 4;
      EXPECT_EQ(Red(out, 8, x, y), inside ? 130 : 0) << x << "," << y;
    }
  EXPECT_EQ(PadFrame(grey, {0, 0, 4, 3}, 4, 3), grey);
}

// A frame taller than the picture shows its middle rows, pillars beside them.
TEST(PadFrame, CropsTheRowsPastThePicture)
{
  std::vector<uint8_t> rows(4 * 5 * 3);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 4; ++x)
      rows[(static_cast<size_t>(y) * 4 + x) * 3] = static_cast<uint8_t>(10 * (y + 1));
  const std::vector<uint8_t> out = PadFrame(rows, {1, -1, 4, 5}, 6, 3);
  ASSERT_EQ(out.size(), 6u * 3 * 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool inside = x >= 1 && x < 5;
      EXPECT_EQ(Red(out, 6, x, y), inside ? 10 * (y + 2) : 0) << x << "," << y;
    }
}

}  // namespace
