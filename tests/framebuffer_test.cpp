#include "engine/framebuffer.h"

#include "scenes/scenes.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

// The 640 x 480 frame in a window it is not the fit of: scaled, aspect kept,
// so that its band fits as a native frame's would; GL's y from the bottom.
TEST(FrameBuffer, FitScalesTheBandIntoAnyWindow)
{
  struct {
    int w, h;
    TFitRect fit;
  } cases[] = {
      {640, 480, {0, 0, 640, 480}},           // the fit itself: pixel for pixel
      {1920, 1080, {0, -180, 1920, 1440}},    // 16:9: the band fills it, the bars cut off
      {2560, 1080, {320, -180, 1920, 1440}},  // 21:9: pillars
      {1920, 1200, {0, -120, 1920, 1440}},    // 16:10: part of the bars
      {1280, 1024, {0, 32, 1280, 960}},       // 5:4: the whole frame, black above and below
      {2560, 1920, {0, 0, 2560, 1920}},       // HiDPI drawable of a 1280 x 960 window
      {320, 240, {0, 0, 320, 240}},
  };
  ASSERT_EQ(FrameWidth, BaseFrameWidth);
  for (const auto& c : cases) {
    const TFitRect fit = FitFrameToWindow(c.w, c.h);
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    EXPECT_EQ(fit.x, c.fit.x);
    EXPECT_EQ(fit.y, c.fit.y);
    EXPECT_EQ(fit.width, c.fit.width);
    EXPECT_EQ(fit.height, c.fit.height);
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
    city.Render(c.t, FirstFramePacing);
    EXPECT_NEAR(PixelAt(ReadFrame(), 320, 240).g, c.grey, 1) << c.t;
  }
}

// The frame drawn for an output size: the widest 4:3 frame, its width a
// multiple of 4, no wider than the output and whose letterbox band is no
// taller, centred (an odd pixel right and below); too small an output has
// none.
TEST(FrameToFit, BandFitsTheOutputCentred)
{
  struct TCase {
    int Width, Height;
    TFrameFit Fit;
  };
  const TCase cases[] = {
      {640, 480, {640, 480, 0, 0}},          // 4:3: the whole frame, as designed
      {1440, 1080, {1440, 1080, 0, 0}},
      {1920, 1080, {1920, 1440, 0, -180}},   // 16:9: the band edge to edge
      {3840, 2160, {3840, 2880, 0, -360}},
      {2560, 1080, {1920, 1440, 320, -180}}, // 21:9: pillars of 320
      {1920, 1200, {1920, 1440, 0, -120}},   // 16:10: 60 rows of each bar show
      {1366, 768, {1364, 1023, 1, -128}},    // band 767 rows: one bar row shows below
      {1200, 900, {1200, 900, 0, 0}},
      {644, 483, {644, 483, 0, 0}},
      {800, 800, {800, 600, 0, 100}},        // taller than 4:3: black above and below
      {1000, 700, {1000, 750, 0, -25}},
      {321, 181, {320, 240, 0, -30}},
      {320, 180, {320, 240, 0, -30}},        // the smallest output
      {319, 180, {0, 0, 159, 90}},           // no frame fits
      {320, 179, {0, 0, 160, 89}},
  };
  for (const TCase& c : cases) {
    const TFrameFit fit = FrameToFit(c.Width, c.Height);
    SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
    EXPECT_EQ(fit.FrameWidth, c.Fit.FrameWidth);
    EXPECT_EQ(fit.FrameHeight, c.Fit.FrameHeight);
    EXPECT_EQ(fit.Left, c.Fit.Left);
    EXPECT_EQ(fit.Top, c.Fit.Top);
    if (fit.FrameWidth > 0) {
      EXPECT_LE(fit.FrameWidth, c.Width);
      EXPECT_LE(FrameLetterbox(fit.FrameHeight).Band, c.Height);
    }
  }
}

// The bars and the band in whole rows: every row of the frame in exactly one,
// the bars Round(h / 8) with halves to even.
TEST(FrameLetterbox, EveryRowInBarOrBand)
{
  struct {
    int Height, Bar, Band;
  } cases[] = {{480, 60, 360}, {1080, 135, 810}, {1440, 180, 1080}, {2880, 360, 2160},
               {483, 60, 363}, {900, 112, 676}, {1023, 128, 767},   {240, 30, 180},
               {2163, 270, 1623}};
  for (const auto& c : cases) {
    const TLetterbox letterbox = FrameLetterbox(c.Height);
    EXPECT_EQ(letterbox.Bar, c.Bar) << c.Height;
    EXPECT_EQ(letterbox.Band, c.Band) << c.Height;
  }
}
