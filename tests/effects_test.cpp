#include "engine/effects.h"

#include "engine/framebuffer.h"
#include "engine/shaders.h"
#include "engine/text.h"
#include "host/timeline.h"
#include "scenes/frame.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using TBlurBuffer = std::vector<uint8_t>;

// The blurred corner of the 640 x 480 frame: a side in pixels, and the bytes
// of a row.
constexpr int Side = 128;
constexpr int RowBytes = Side * 3;

TBlurBuffer Pattern()
{
  TBlurBuffer buffer(Side * RowBytes);
  for (size_t i = 0; i < buffer.size(); ++i)
    buffer[i] = static_cast<uint8_t>((i * 37 + i / RowBytes * 11) & 0xff);
  return buffer;
}

uint8_t& At(TBlurBuffer& b, int row, int x, int c)
{
  return b[row * RowBytes + x * 3 + c];
}

}  // namespace

TEST(BlurPasses, WeightZeroKeepsAndFullWeightFloodsWithTheBottomLeftPixel)
{
  TBlurBuffer unchanged = Pattern();
  BlurPasses(unchanged.data(), Side, 0);
  EXPECT_EQ(unchanged, Pattern());

  TBlurBuffer flooded = Pattern();
  const uint8_t corner[3] = {flooded[0], flooded[1], flooded[2]};
  BlurPasses(flooded.data(), Side, 256);
  for (int row = 0; row < Side; ++row)
    for (int x = 0; x < Side; ++x)
      for (int c = 0; c < 3; ++c)
        ASSERT_EQ(At(flooded, row, x, c), corner[c]) << row << "," << x;
}

TEST(BlurPasses, SpreadsOneBrightPixelByHand)
{
  // One bright red pixel in row 0, column 0, weight 128: each pass halves as
  // it goes, (128 * previous + 128 * own) >> 8.
  TBlurBuffer b(Side * RowBytes, 0);
  At(b, 0, 0, 0) = 200;
  BlurPasses(b.data(), Side, 128);
  // Up, column 0: 200, 100, 50, 25, 12, 6, 3, 1, 0.
  // Down from row 7: 0, 1, 3, 7, 16, 33, 66, 133 (row 0).
  // Right along row 0: 133, 66, 33, 16, 8, 4, 2, 1, 0.
  // Left from column 7: 0, 1, 2, 5, 10, 21, 43 (column 1), 88 (column 0).
  EXPECT_EQ(At(b, 0, 0, 0), 88);
  EXPECT_EQ(At(b, 0, 1, 0), 43);
  // Row 1 was 66 after the down pass: right 66, 33, 16, 8, 4, 2, 1, 0; left
  // 0, 1, 2, 5, 10, 21, 43.
  EXPECT_EQ(At(b, 1, 0, 0), 43);
  EXPECT_EQ(At(b, 0, 0, 1), 0);
  EXPECT_EQ(At(b, 0, 0, 2), 0);
  EXPECT_EQ(At(b, 127, 127, 0), 0);
}

namespace {

// A 640 x 480 frame of the test's own, with its own black render targets,
// drawn into with the overlay space's quads.
class EffectsPixelTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(UseHeadlessContext(error)) << error;
    ASSERT_TRUE(MakeFrame(BaseFrameWidth, BaseFrameHeight, 1, error)) << error;
    ScreenCopyIndex = 1;
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
  }
  void TearDown() override { ScreenCopyIndex = 1; }
  void Fill(float r, float g, float b)
  {
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
};

}  // namespace

// The copies alternate: the current one is screen copy A at index 1 and B at
// index 2, the previous the other; two flips come back to where they began.
TEST_F(EffectsPixelTest, FlipAlternatesAndTwoFlipsReadTheCopyJustWritten)
{
  const TFrameTargets& targets = FrameTargets();
  ASSERT_NE(targets.ScreenCopyA, targets.ScreenCopyB);
  EXPECT_EQ(CurrentScreenCopy(), targets.ScreenCopyA);
  EXPECT_EQ(PreviousScreenCopy(), targets.ScreenCopyB);
  FlipScreenCopies();
  EXPECT_EQ(ScreenCopyIndex, 2);
  EXPECT_EQ(CurrentScreenCopy(), targets.ScreenCopyB);
  EXPECT_EQ(PreviousScreenCopy(), targets.ScreenCopyA);
  FlipScreenCopies();
  EXPECT_EQ(ScreenCopyIndex, 1);
  EXPECT_EQ(CurrentScreenCopy(), targets.ScreenCopyA);
}

TEST_F(EffectsPixelTest, TrailAlphaFollowsTheFrameLength)
{
  struct {
    int32_t elapsed;
    float alpha;
  } cases[] = {{20, 0.7f}, {80, -0.2f}, {40, 0.4f}};
  for (const auto& c : cases)
    EXPECT_NEAR(TrailAlpha(0.3f, {c.elapsed, 20}), c.alpha, 1e-6) << c.elapsed;

  // Last frame red, this frame blue: alpha 0.7 mixes, a negative alpha
  // leaves the new picture, alpha 1 shows the old one except the last row
  // and column.
  struct {
    float alpha;
    int red, blue;
  } pictures[] = {{0.7f, 178, 77}, {-0.2f, 0, 255}, {1.0f, 255, 0}};
  for (const auto& c : pictures) {
    Fill(1, 0, 0);
    CaptureScreen();
    FlipScreenCopies();
    Fill(0, 0, 1);
    DrawTrail(c.alpha);
    const std::vector<uint8_t> frame = ReadFrame();
    EXPECT_NEAR(PixelAt(frame, 320, 240).r, c.red, 2) << c.alpha;
    EXPECT_NEAR(PixelAt(frame, 320, 240).b, c.blue, 2) << c.alpha;
    if (c.alpha == 1.0f) {
      EXPECT_EQ(PixelAt(frame, 639, 240).b, 255);
      EXPECT_EQ(PixelAt(frame, 320, 479).b, 255);
    }
  }
}

TEST_F(EffectsPixelTest, LetterboxBarsCoverExactlySixtyRowsTopAndBottom)
{
  Fill(1, 1, 1);
  DrawLetterboxBars();
  const std::vector<uint8_t> frame = ReadFrame();
  for (int y : {0, 59, 420, 479})
    EXPECT_EQ(PixelAt(frame, 100, y).g, 0) << y;
  for (int y : {60, 240, 419})
    EXPECT_EQ(PixelAt(frame, 100, y).g, 255) << y;
}

TEST_F(EffectsPixelTest, FadeQuadsDarkenAndFlash)
{
  struct {
    TColour colour;
    TFadeBlend blend;
    int grey;
  } cases[] = {
      {{0, 0, 0, 1}, TFadeBlend::Alpha, 0},
      {{0, 0, 0, 0.5f}, TFadeBlend::Alpha, 64},
      {{1, 1, 1, 1}, TFadeBlend::Additive, 255},
      {{0.25f, 0.25f, 0.25f, 1}, TFadeBlend::Additive, 192},
  };
  for (const auto& c : cases) {
    Fill(0.5f, 0.5f, 0.5f);
    DrawFadeQuad(c.colour, c.blend);
    const std::vector<uint8_t> frame = ReadFrame();
    for (TPixel p : {PixelAt(frame, 0, 0), PixelAt(frame, 639, 479), PixelAt(frame, 320, 240)})
      EXPECT_NEAR(p.g, c.grey, 2);
  }
}

TEST_F(EffectsPixelTest, FinishFrameWithSharpMixAddsTheGlowOfTheBlur)
{
  // A uniform picture blurs to itself; mix alpha 1 keeps it and the glow adds
  // the blur once more. An 80 ms frame leaves no trail of older pictures.
  Fill(0.25f, 0.25f, 0.25f);
  FinishFrame(0.3f, 1.0f, {80, 20});
  const std::vector<uint8_t> frame = ReadFrame();
  EXPECT_NEAR(PixelAt(frame, 320, 240).r, 2 * 64, 2);
  EXPECT_EQ(ScreenCopyIndex, 2);
}

TEST_F(EffectsPixelTest, RestoreAfterTheThumbnailsGivesBackThePictureExactly)
{
  // A picture with detail everywhere, the corner included: stripes of four
  // colours. After the thumbnails and the blur read-back, the restore must
  // leave every pixel as it was, and leave the scissor test as it found it.
  Fill(0, 0, 0);
  glEnable(GL_SCISSOR_TEST);
  for (int x = 0; x < 640; x += 7) {
    glScissor(x, 0, 3, 480);
    Fill((x % 3) / 2.0f, (x % 5) / 4.0f, 1 - (x % 2));
  }
  for (int y = 0; y < 480; y += 11) {
    glScissor(0, y, 640, 4);
    Fill((y % 4) / 3.0f, 0.5f, (y % 3) / 2.0f);
  }
  glDisable(GL_SCISSOR_TEST);
  const std::vector<uint8_t> picture = ReadFrame();

  CaptureScreen();
  DrawScreenThumbnail();
  CaptureGlowCorner();
  DrawGlowThumbnail();
  BlurCorner(155);
  EXPECT_NE(ReadFrame(), picture);
  RestoreScreen();
  EXPECT_EQ(ReadFrame(), picture);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

// The chain's one pass leaves exactly the pixels its three layers leave: a
// picture holding every 8-bit value in each channel, under a uniform blur,
// mixed at every alpha from 0 to 255.
TEST_F(EffectsPixelTest, OnePassChainLeavesThePixelsOfItsLayers)
{
  std::vector<uint8_t> picture(640 * 480 * 3);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      uint8_t* p = &picture[(static_cast<size_t>(y) * 640 + x) * 3];
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(x + y);
      p[2] = static_cast<uint8_t>(255 - x);
    }
  std::vector<uint8_t> blur(128 * 128 * 3);
  for (size_t i = 0; i < blur.size(); i += 3) {
    blur[i] = 78;
    blur[i + 1] = 20;
    blur[i + 2] = 200;
  }
  auto drawPicture = [&] {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glWindowPos2i(0, 0);
    glDrawPixels(640, 480, GL_RGB, GL_UNSIGNED_BYTE, picture.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glEnable(GL_TEXTURE_2D);
  };
  glBindTexture(GL_TEXTURE_2D, FrameTargets().BlurTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 128, 128, GL_RGB, GL_UNSIGNED_BYTE, blur.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  drawPicture();
  CaptureScreen();
  int differing = 0;
  for (int level = 0; level < 256; ++level) {
    const float alpha = level / 255.0f;
    drawPicture();
    if (!MixBlurAndAddGlow(1, 1, 1, alpha))
      GTEST_SKIP() << "no one-pass program here";
    const std::vector<uint8_t> fast = ReadFrame();
    drawPicture();
    RestoreScreen();
    MixBlur(1, 1, 1, alpha);
    AddGlow();
    const std::vector<uint8_t> layers = ReadFrame();
    if (fast != layers) {
      size_t i = 0;
      while (fast[i] == layers[i])
        ++i;
      ADD_FAILURE() << "alpha " << level << ": pixel " << i / 3 % 640 << ", " << i / 3 / 640
                    << " channel " << i % 3 << " is " << int(fast[i]) << " in one pass, "
                    << int(layers[i]) << " in layers";
      if (++differing == 5)
        break;
    }
  }
  glColor4f(1, 1, 1, 1);
}
