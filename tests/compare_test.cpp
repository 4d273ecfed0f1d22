// The picture comparison: how far two frames differ against the tolerance,
// and the PNG reader that takes the captured frames.
#include "tools/capture/png.h"
#include "tools/compare/difference.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int W = 100;
constexpr int H = 20;  // 2000 pixels: one pixel is 0.05 %

std::vector<uint8_t> Grey(uint8_t value)
{
  return std::vector<uint8_t>(W * H * 3, value);
}

}  // namespace

TEST(CompareFrames, MeasuresMeanShareAndWorstAgainstTheTolerance)
{
  struct TCase {
    const char* What;
    int Pixels;      // the first pixels changed
    int Channels;    // in each, the first channels changed
    int By;          // by this much
    double Mean;
    double Share;
    bool Within;
  };
  const TCase cases[] = {
      {"identical", 0, 0, 0, 0, 0, true},
      {"one pixel off by 16 counts nowhere", 1, 3, 16, 48.0 / 6000, 0, true},
      {"one pixel off by 17 in one channel is 0.05 %", 1, 1, 17, 17.0 / 6000, 0.0005, true},
      {"two pixels off by 17 are past it", 2, 1, 17, 34.0 / 6000, 0.001, false},
      {"every pixel off by 1 in two channels is a mean of 2/3", W * H, 2, 1, 2.0 / 3, 0, false},
      {"every pixel off by 1 in one channel is a mean of 1/3", W * H, 1, 1, 1.0 / 3, 0, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    const std::vector<uint8_t> a = Grey(100);
    std::vector<uint8_t> b = a;
    for (int p = 0; p < c.Pixels; ++p)
      for (int ch = 0; ch < c.Channels; ++ch)
        b[p * 3 + ch] = static_cast<uint8_t>(100 + c.By);
    const TFrameDifference d = CompareFrames(a.data(), b.data(), W, H);
    EXPECT_NEAR(d.Mean, c.Mean, 1e-12);
    EXPECT_NEAR(d.ShareOver16, c.Share, 1e-12);
    EXPECT_EQ(d.Worst, c.By);
    EXPECT_EQ(WithinTolerance(d), c.Within);
  }
}

TEST(CompareFrames, NamesTheWorstPixel)
{
  const std::vector<uint8_t> a = Grey(50);
  std::vector<uint8_t> b = a;
  b[(7 * W + 33) * 3 + 2] = 10;  // x 33, y 7, blue off by 40
  const TFrameDifference d = CompareFrames(a.data(), b.data(), W, H);
  EXPECT_EQ(d.Worst, 40);
  EXPECT_EQ(d.WorstX, 33);
  EXPECT_EQ(d.WorstY, 7);
}

TEST(DecodePng, ReadsWhatTheCaptureWrites)
{
  std::vector<uint8_t> rgb(W * H * 3);
  for (size_t i = 0; i < rgb.size(); ++i)
    rgb[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint8_t> png;
  std::string error;
  ASSERT_TRUE(EncodePng(W, H, rgb, png, error)) << error;
  int width = 0, height = 0;
  std::vector<uint8_t> decoded;
  ASSERT_TRUE(DecodePng(png.data(), png.size(), width, height, decoded, error)) << error;
  EXPECT_EQ(width, W);
  EXPECT_EQ(height, H);
  EXPECT_EQ(decoded, rgb);
}

TEST(DecodePng, RefusesDamagedAndOversizedFiles)
{
  std::vector<uint8_t> png;
  std::string error;
  ASSERT_TRUE(EncodePng(W, H, Grey(9), png, error)) << error;
  // The same file claiming 9000 x 20 pixels (width at byte 16 of the header;
  // its checksum is not mended, which libpng may report instead).
  std::vector<uint8_t> wide = png;
  wide[18] = 0x23;
  wide[19] = 0x28;
  const std::vector<uint8_t> cases[] = {
      {},
      {1, 2, 3},
      std::vector<uint8_t>(png.begin(), png.begin() + static_cast<long>(png.size() / 2)),
      wide,
  };
  for (const std::vector<uint8_t>& bytes : cases) {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    error.clear();
    EXPECT_FALSE(DecodePng(bytes.data(), bytes.size(), width, height, rgb, error)) << bytes.size();
    EXPECT_FALSE(error.empty());
  }
}
