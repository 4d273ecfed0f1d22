#include "engine/framebuffer.h"

#include "scenes/scenes.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

TEST(FrameBuffer, FitKeepsTheAspectCentredInAnyWindow)
{
  struct {
    int w, h;
    TFitRect fit;
  } cases[] = {
      {640, 480, {0, 0, 640, 480}},
      {1920, 1080, {240, 0, 1440, 1080}},   // wide screen: bars left and right
      {1280, 1024, {0, 32, 1280, 960}},     // tall screen: bars top and bottom
      {2560, 1920, {0, 0, 2560, 1920}},     // HiDPI drawable of a 1280 x 960 window
      {320, 240, {0, 0, 320, 240}},
  };
  for (const auto& c : cases) {
    const TFitRect fit = FitFrameToWindow(c.w, c.h);
    EXPECT_EQ(fit.x, c.fit.x) << c.w << "x" << c.h;
    EXPECT_EQ(fit.y, c.fit.y) << c.w << "x" << c.h;
    EXPECT_EQ(fit.width, c.fit.width) << c.w << "x" << c.h;
    EXPECT_EQ(fit.height, c.fit.height) << c.w << "x" << c.h;
  }
}

TEST(FrameBuffer, HeadlessFrameReadsBackTopRowFirst)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  glDisable(GL_TEXTURE_2D);
  glClearColor(0, 0, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, FrameHeight - 10, FrameWidth, 10);  // GL rows count from the bottom
  glClearColor(1, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  const std::vector<uint8_t> frame = ReadFrame();
  ASSERT_EQ(frame.size(), size_t(FrameWidth * FrameHeight * 3));
  const TPixel top = PixelAt(frame, 5, 5);
  const TPixel bottom = PixelAt(frame, 5, FrameHeight - 5);
  EXPECT_EQ(top.r, 255);
  EXPECT_EQ(top.b, 0);
  EXPECT_EQ(bottom.r, 0);
  EXPECT_EQ(bottom.b, 255);
}

// The last scene masks the corridor in the stencil buffer: drawing where the
// stencil is 0 must leave the marked pixels alone.
TEST(FrameBuffer, StencilMasksDrawing)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  GLint stencilBits = 0;
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT,
                                        GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &stencilBits);
  EXPECT_EQ(stencilBits, 8);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 100, FrameHeight);
  glClearStencil(1);
  glClear(GL_STENCIL_BUFFER_BIT);
  glClearStencil(0);
  glDisable(GL_SCISSOR_TEST);
  glEnable(GL_STENCIL_TEST);
  glStencilFunc(GL_EQUAL, 0, 1);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor4f(0, 1, 0, 1);
  glRectf(-1, -1, 1, 1);
  glDisable(GL_STENCIL_TEST);
  glColor4f(1, 1, 1, 1);
  glEnable(GL_TEXTURE_2D);
  const std::vector<uint8_t> frame = ReadFrame();
  EXPECT_EQ(PixelAt(frame, 50, 240).g, 0);
  EXPECT_EQ(PixelAt(frame, 300, 240).g, 255);
}

TEST(FrameBuffer, PlaceholderSceneClearsToItsProgress)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  tscene_city city;
  city.StartTime = 1000;
  city.EndTime = 2000;
  struct {
    int32_t t;
    int grey;
  } cases[] = {{1000, 0}, {1500, 128}, {1999, 255}};
  for (const auto& c : cases) {
    city.Render(c.t);
    EXPECT_NEAR(PixelAt(ReadFrame(), 320, 240).g, c.grey, 1) << c.t;
  }
}

// The frame drawn for an output size: the largest 4:3 that fits, its width a
// multiple of 4, centred; too small an output has none.
TEST(FrameToFit, LargestFourToThreeCentred)
{
  struct TCase {
    int Width, Height;
    TFrameFit Fit;
  };
  const TCase cases[] = {
      {640, 480, {640, 480, 0, 0}},
      {1440, 1080, {1440, 1080, 0, 0}},
      {1920, 1080, {1440, 1080, 240, 0}},  // wide: bars left and right
      {640, 640, {640, 480, 0, 80}},       // tall: bars above and below
      {1000, 700, {932, 699, 34, 0}},      // 933 x 700 is not 4:3: the next width down
      {3840, 2160, {2880, 2160, 480, 0}},  // the largest frame, bars all round
      {4000, 4000, {2880, 2160, 560, 920}},
      {320, 240, {320, 240, 0, 0}},
      {319, 240, {0, 0, 159, 120}},        // no frame fits
  };
  for (const TCase& c : cases) {
    const TFrameFit fit = FrameToFit(c.Width, c.Height);
    SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
    EXPECT_EQ(fit.FrameWidth, c.Fit.FrameWidth);
    EXPECT_EQ(fit.FrameHeight, c.Fit.FrameHeight);
    EXPECT_EQ(fit.Left, c.Fit.Left);
    EXPECT_EQ(fit.Top, c.Fit.Top);
  }
}
