#include "engine/framebuffer.h"

#include "engine/effects.h"
#include "engine/text.h"
#include "host/timeline.h"
#include "scene_rows.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

// A frame change that fails, for a size one step past the driver's render
// buffers or at any piece the driver cannot make, changes nothing: the old
// frame keeps its size, samples, render targets (names, sizes, pixels) and
// last drawn pixels; the frame buffer and texture bindings, the viewport, the
// clear colour and the pack alignment stay; no GL error is left; and the next
// frame drawn is the frame drawn before the attempt.
TEST(MakeFrame, FailedChangeLeavesTheFrameAsItWas)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  TDefaultFrameGuard guard;
  SeedGuard seed;
  GLint mostSamples = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &mostSamples);
  // The old frame: neither the default size nor, where the driver offers
  // it, the default samples, so that neither can come back by chance.
  const int samples = mostSamples >= 2 ? 2 : 1;
  ASSERT_TRUE(MakeFrame(800, 600, samples, error)) << error;
  SetupViewport(FrameWidth, FrameHeight);
  const int32_t t = TimeAt(*SceneTable[Row("wobbler").Slot], 0.4);
  const std::vector<uint8_t> before = RenderAfresh(t, FontTexture);
  // Each attempt follows a frame of another time, so that the frame's
  // pixels show something else when the next frame is drawn.
  const int32_t other = TimeAt(*SceneTable[Row("water").Slot], 0.5);

  GLint limit = 0;
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &limit);
  const int past = (limit / 4 + 1) * 4;  // a 4:3 frame one step wider than the limit
  struct {
    const char* Name;
    int Width, Height;
    TFramePiece Failing;
    std::string Reason;  // a part of the error
  } cases[] = {
      {"past the render buffers", past, past * 3 / 4, TFramePiece::None, std::to_string(limit)},
      {"storage", 1280, 960, TFramePiece::Storage, "1280x960"},
      {"screen copy A", 1280, 960, TFramePiece::ScreenCopyA, "screen copy A"},
      {"screen copy B", 1280, 960, TFramePiece::ScreenCopyB, "screen copy B"},
      {"glow texture", 320, 240, TFramePiece::GlowTexture, "glow texture"},
      {"blur texture", 1440, 1080, TFramePiece::BlurTexture, "blur texture"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::vector<uint8_t> shown = RenderAfresh(other, FontTexture);
    ASSERT_NE(shown, before);
    const TFrameTargets targets = FrameTargets();
    GLint bound[2] = {0, 0};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound[0]);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &bound[1]);
    const std::vector<uint8_t> copy = TexturePixels(PreviousScreenCopy());
    ASSERT_NE(copy, std::vector<uint8_t>(copy.size(), 0)) << "the copy the last frame wrote";
    glBindTexture(GL_TEXTURE_2D, targets.GlowTexture);
    glViewport(3, 5, 100, 90);
    glClearColor(0.25f, 0.5f, 0.75f, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 2);

    FailNextFramePiece(c.Failing);
    EXPECT_FALSE(MakeFrame(c.Width, c.Height, 1, error));
    EXPECT_NE(error.find(std::to_string(c.Width) + "x" + std::to_string(c.Height)),
              std::string::npos)
        << error;
    EXPECT_NE(error.find(c.Reason), std::string::npos) << error;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 3);
    EXPECT_EQ(viewport[1], 5);
    EXPECT_EQ(viewport[2], 100);
    EXPECT_EQ(viewport[3], 90);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.25f);
    EXPECT_EQ(clear[1], 0.5f);
    EXPECT_EQ(clear[2], 0.75f);
    GLint alignment = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 2);
    GLint boundNow[2] = {0, 0};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &boundNow[0]);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &boundNow[1]);
    EXPECT_EQ(boundNow[0], bound[0]);
    EXPECT_EQ(boundNow[1], bound[1]);
    GLint texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    EXPECT_EQ(static_cast<uint32_t>(texture), targets.GlowTexture);

    EXPECT_EQ(FrameWidth, 800);
    EXPECT_EQ(FrameHeight, 600);
    EXPECT_EQ(FrameSampleCount(), samples);
    const TFrameTargets now = FrameTargets();
    EXPECT_EQ(now.ScreenCopyA, targets.ScreenCopyA);
    EXPECT_EQ(now.ScreenCopyB, targets.ScreenCopyB);
    EXPECT_EQ(now.GlowTexture, targets.GlowTexture);
    EXPECT_EQ(now.BlurTexture, targets.BlurTexture);
    EXPECT_EQ(TextureSide(now.ScreenCopyA, GL_TEXTURE_WIDTH), 1024);
    EXPECT_EQ(TextureSide(now.ScreenCopyB, GL_TEXTURE_HEIGHT), 1024);
    EXPECT_EQ(TextureSide(now.GlowTexture, GL_TEXTURE_WIDTH), 320);
    EXPECT_EQ(TextureSide(now.BlurTexture, GL_TEXTURE_WIDTH), 160);
    EXPECT_EQ(TexturePixels(PreviousScreenCopy()), copy);
    EXPECT_EQ(ReadFrame(), shown);

    SetupViewport(FrameWidth, FrameHeight);
    EXPECT_EQ(RenderAfresh(t, FontTexture), before);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
  }
}

// Any frame in an output it is not the frame of: scaled, aspect kept, so
// that its band fits as the output's own frame's would; pixels from the
// output's top-left, y down.
TEST(PlaceFrame, ScalesTheBandIntoAnyOutput)
{
  struct {
    TFrameSize Frame;
    int Width, Height;
    TFramePlacement Place;
  } cases[] = {
      {{640, 480}, 640, 480, {0, 0, 640, 480}},            // the output's own: pixel for pixel
      {{640, 480}, 1920, 1080, {0, -180, 1920, 1440}},     // 16:9: the band fills it, the bars cut off
      {{640, 480}, 2560, 1080, {320, -180, 1920, 1440}},   // 21:9: pillars
      {{640, 480}, 1920, 1200, {0, -120, 1920, 1440}},     // 16:10: part of the bars
      {{640, 480}, 1280, 1024, {0, 32, 1280, 960}},        // 5:4: the whole frame, black above and below
      {{640, 480}, 2560, 1920, {0, 0, 2560, 1920}},        // HiDPI drawable of a 1280 x 960 window
      {{640, 480}, 320, 240, {0, 0, 320, 240}},
      {{640, 480}, 200, 100, {11, -17, 177, 133}},         // smaller than any frame's output
      {{1920, 1440}, 1366, 768, {0, -128, 1365, 1024}},    // another frame's output: scaled down
      {{320, 240}, 1920, 1080, {0, -180, 1920, 1440}},     // and up
      {{1364, 1023}, 1366, 768, {1, -128, 1364, 1023}},    // the output's own, an odd pixel right
      {{2880, 2160}, 3840, 2160, {0, -360, 3840, 2880}},   // scaled up till its band fills 16:9
  };
  for (const auto& c : cases) {
    const TFramePlacement place = PlaceFrame(c.Frame, c.Width, c.Height);
    SCOPED_TRACE(std::to_string(c.Frame.Width) + "x" + std::to_string(c.Frame.Height) + " in " +
                 std::to_string(c.Width) + "x" + std::to_string(c.Height));
    EXPECT_EQ(place.Left, c.Place.Left);
    EXPECT_EQ(place.Top, c.Place.Top);
    EXPECT_EQ(place.Width, c.Place.Width);
    EXPECT_EQ(place.Height, c.Place.Height);
  }
}

// The sides of what a frame is built from, for any frame width passed in: k,
// a length in frame pixels (halves to even, at least 1), the screen copies
// (the smallest powers of two that hold the frame), the glow corner (256 k)
// and the blurred corner (128 k).
TEST(FrameArithmetic, SidesFollowTheFrameWidthPassedIn)
{
  struct {
    int Width, Height;
    double Scale;
    int CopyWidth, CopyHeight, Glow, Blur;
  } cases[] = {
      {640, 480, 1.0, 1024, 512, 256, 128},      {320, 240, 0.5, 512, 256, 128, 64},
      {1000, 750, 1.5625, 1024, 1024, 400, 200}, {1364, 1023, 2.13125, 2048, 1024, 546, 273},
      {1440, 1080, 2.25, 2048, 2048, 576, 288},  {2884, 2163, 4.50625, 4096, 4096, 1154, 577},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
    EXPECT_DOUBLE_EQ(FrameScale(c.Width), c.Scale);
    EXPECT_EQ(ScreenCopySide(c.Width), c.CopyWidth);
    EXPECT_EQ(ScreenCopySide(c.Height), c.CopyHeight);
    EXPECT_EQ(GlowCornerPixels(c.Width), c.Glow);
    EXPECT_EQ(BlurCornerPixels(c.Width), c.Blur);
  }
  struct {
    double Length;
    int Width, Pixels;
  } lengths[] = {{2.5, 640, 2}, {3.5, 640, 4}, {1.25, 1280, 2}, {1.75, 1280, 4},
                 {0.1, 640, 1}, {0.0, 2880, 1}, {60, 1364, 128}, {60, 1000, 94}};
  for (const auto& l : lengths)
    EXPECT_EQ(FramePixels(l.Length, l.Width), l.Pixels) << l.Length << " at " << l.Width;
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
// taller, placed pixel for pixel and centred (an odd pixel right and below);
// too small an output gets the 640 x 480 frame, scaled down into it.
TEST(FrameForOutput, BandFitsTheOutputCentred)
{
  struct TCase {
    int Width, Height;
    TFrameSize Frame;
    TFramePlacement Place;
  };
  const TCase cases[] = {
      {640, 480, {640, 480}, {0, 0, 640, 480}},             // 4:3: the whole frame, as designed
      {1440, 1080, {1440, 1080}, {0, 0, 1440, 1080}},
      {1920, 1080, {1920, 1440}, {0, -180, 1920, 1440}},    // 16:9: the band edge to edge
      {3840, 2160, {3840, 2880}, {0, -360, 3840, 2880}},
      {2560, 1080, {1920, 1440}, {320, -180, 1920, 1440}},  // 21:9: pillars of 320
      {1920, 1200, {1920, 1440}, {0, -120, 1920, 1440}},    // 16:10: 60 rows of each bar show
      {1366, 768, {1364, 1023}, {1, -128, 1364, 1023}},     // band 767 rows: one bar row shows below
      {1200, 900, {1200, 900}, {0, 0, 1200, 900}},
      {644, 483, {644, 483}, {0, 0, 644, 483}},
      {800, 800, {800, 600}, {0, 100, 800, 600}},           // taller than 4:3: black above and below
      {1000, 700, {1000, 750}, {0, -25, 1000, 750}},
      {321, 181, {320, 240}, {0, -30, 320, 240}},
      {320, 180, {320, 240}, {0, -30, 320, 240}},           // the smallest output
      {319, 180, {640, 480}, {0, -30, 319, 239}},           // no frame fits: 640 x 480 scaled
      {320, 179, {640, 480}, {1, -30, 317, 238}},
  };
  for (const TCase& c : cases) {
    const TFrameSize frame = FrameForOutput(c.Width, c.Height);
    const TFramePlacement place = PlaceFrame(frame, c.Width, c.Height);
    SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
    EXPECT_EQ(frame.Width, c.Frame.Width);
    EXPECT_EQ(frame.Height, c.Frame.Height);
    EXPECT_EQ(place.Left, c.Place.Left);
    EXPECT_EQ(place.Top, c.Place.Top);
    EXPECT_EQ(place.Width, c.Place.Width);
    EXPECT_EQ(place.Height, c.Place.Height);
    if (frame.Width <= c.Width) {
      EXPECT_LE(FrameLetterbox(frame.Height).Band, c.Height);
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
