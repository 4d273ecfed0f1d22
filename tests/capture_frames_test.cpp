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

// A 640 x 480 picture: the left half black, the right half white.
std::vector<uint8_t> HalfWhite()
{
  std::vector<uint8_t> rgb(static_cast<size_t>(FrameWidth) * FrameHeight * 3, 0);
  for (int y = 0; y < FrameHeight; ++y)
    for (int x = FrameWidth / 2; x < FrameWidth; ++x)
      for (int c = 0; c < 3; ++c)
        rgb[(static_cast<size_t>(y) * FrameWidth + x) * 3 + c] = 255;
  return rgb;
}

uint8_t Red(const std::vector<uint8_t>& rgb, int width, int x, int y)
{
  return rgb[(static_cast<size_t>(y) * width + x) * 3];
}

TEST(ScaleFrameToFit, KeepsFourToThreeInsideBlackBars)
{
  // Uniform grey scales to the same grey inside the picture, black outside.
  const std::vector<uint8_t> grey(static_cast<size_t>(FrameWidth) * FrameHeight * 3, 130);
  struct TCase {
    int Width, Height;
    int Left, Top, PictureWidth, PictureHeight;
  };
  const TCase cases[] = {
      {1440, 1080, 0, 0, 1440, 1080},  // exactly 4:3, no bars
      {1920, 1080, 240, 0, 1440, 1080}, // wide: bars left and right
      {640, 640, 0, 80, 640, 480},     // tall: bars above and below
      {320, 240, 0, 0, 320, 240},      // shrinking
  };
  for (const TCase& c : cases) {
    const std::vector<uint8_t> out = ScaleFrameToFit(grey, FrameWidth, FrameHeight, c.Width, c.Height);
    ASSERT_EQ(out.size(), static_cast<size_t>(c.Width) * c.Height * 3);
    SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
    const int right = c.Left + c.PictureWidth - 1;
    const int bottom = c.Top + c.PictureHeight - 1;
    for (auto [x, y] : {std::pair{c.Left, c.Top}, {right, bottom}, {c.Left + c.PictureWidth / 2, c.Top + 7}})
      EXPECT_EQ(Red(out, c.Width, x, y), 130) << x << "," << y;
    if (c.Left > 0) {
      EXPECT_EQ(Red(out, c.Width, c.Left - 1, c.Top), 0);
      EXPECT_EQ(Red(out, c.Width, right + 1, c.Top), 0);
    }
    if (c.Top > 0) {
      EXPECT_EQ(Red(out, c.Width, c.Left, c.Top - 1), 0);
      EXPECT_EQ(Red(out, c.Width, c.Left, bottom + 1), 0);
    }
  }
}

TEST(ScaleFrameToFit, SameSizeKeepsEveryByteAndEdgesStayInPlace)
{
  const std::vector<uint8_t> picture = HalfWhite();
  EXPECT_EQ(ScaleFrameToFit(picture, FrameWidth, FrameHeight, FrameWidth, FrameHeight), picture);

  // Twice the size: the edge between columns 319 and 320 moves to 639/640,
  // sharp a few pixels away from it (Lanczos rings only next to the edge).
  const std::vector<uint8_t> doubled = ScaleFrameToFit(picture, FrameWidth, FrameHeight, 1280, 960);
  EXPECT_EQ(Red(doubled, 1280, 630, 500), 0);
  EXPECT_LT(Red(doubled, 1280, 639, 500), 128);
  EXPECT_GT(Red(doubled, 1280, 640, 500), 128);
  EXPECT_EQ(Red(doubled, 1280, 650, 500), 255);
}

}  // namespace
