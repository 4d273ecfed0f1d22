#include "host/overlay.h"

#include "engine/assets.h"
#include "engine/effects.h"
#include "engine/framebuffer.h"
#include "host/headlessdemo.h"
#include "host/timeline.h"
#include "scenes/frame.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

TEST(OverlayText, MusicTimeAsMinutesSecondsAndMilliseconds)
{
  const struct {
    int32_t t;
    const char* text;
  } cases[] = {
      {0, "00:00.000"},       {7, "00:00.007"},       {59999, "00:59.999"},
      {60000, "01:00.000"},   {61234, "01:01.234"},   {223999, "03:43.999"},
      {-20, "00:00.000"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatMusicTime(c.t), c.text) << c.t;
}

TEST(OverlayText, LinesNameTheTimeTheSceneTheRateAndTheEye)
{
  const struct {
    int32_t t;
    bool paused;
    const char* time;
    const char* scene;
  } cases[] = {
      {0, false, "00:00.000", "hum  p 0.0000"},
      {48077, false, "00:48.077", "hum  p 1.0000"},  // 48077 / 48078 rounds up
      {48078, true, "00:48.078  PAUSED", "prefall  p 0.0000"},
      {54087, false, "00:54.087", "prefall  p 0.5000"},
      {223999, true, "03:43.999  PAUSED", "movrik  p 0.7745"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.t);
    const TOverlayInfo info = {c.t, c.paused, 20.5, 48.78, {1.5f, -2.25f, 300}, {"note one", "note two"}};
    const std::vector<std::string> lines = OverlayLines(info);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], c.time);
    EXPECT_EQ(lines[1], c.scene);
    EXPECT_EQ(lines[2], "frame 20.5 ms  48.8 fps");
    EXPECT_EQ(lines[3], "eye 1.50 -2.25 300.00");
    EXPECT_EQ(lines[4], "note one");
    EXPECT_EQ(lines[5], "note two");
  }
}

// Frames presented after a first one at 10 s, at the gaps (ms) of each
// pattern repeated count times.
TEST(OverlayFrameRate, AveragesTheLastSecond)
{
  struct TGaps {
    int count;
    std::vector<double> pattern;
  };
  const struct {
    const char* name;
    std::vector<TGaps> gaps;
    double frameMs;
    double within;  // the last second holds whole patterns only give or take a gap
  } cases[] = {
      {"one frame", {}, 0, 1e-6},
      {"steady 20 ms", {{100, {20}}}, 20, 1e-6},
      {"alternating 10 and 30 ms", {{60, {10, 30}}}, 20, 0.5},
      // Only the last second counts: the fast frames before it are gone.
      {"fast, then more than a second of slow", {{200, {5}}, {30, {40}}}, 40, 1e-6},
      {"slow frames", {{4, {250}}}, 250, 1e-6},
      // A frame longer than a second still counts as one frame.
      {"one long frame", {{50, {20}}, {1, {2500}}}, 2500, 1e-6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TPresentedFrameRate rate;
    double now = 10;
    rate.Add(now);
    for (const TGaps& gaps : c.gaps)
      for (int k = 0; k < gaps.count; ++k)
        for (double ms : gaps.pattern)
          rate.Add(now += ms / 1000);
    EXPECT_NEAR(rate.FrameMs(), c.frameMs, c.within);
    EXPECT_NEAR(rate.FramesPerSecond() * rate.FrameMs(), c.frameMs > 0 ? 1000 : 0, 1e-6);
  }
}

namespace {

// The window's framebuffer (0; the pbuffer headless) as RGB, bottom row first.
std::vector<uint8_t> ReadWindowPixels()
{
  GLint read = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  std::vector<uint8_t> rgb(size_t(FrameWidth) * FrameHeight * 3);
  glReadPixels(0, 0, FrameWidth, FrameHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
  return rgb;
}

// GL state that the next frame, or the next presentation, could see.
std::vector<float> GlStateSnapshot()
{
  std::vector<float> state;
  for (GLenum name : {GL_DRAW_FRAMEBUFFER_BINDING, GL_READ_FRAMEBUFFER_BINDING, GL_MATRIX_MODE,
                      GL_TEXTURE_BINDING_2D, GL_BLEND_SRC, GL_BLEND_DST}) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    state.push_back(static_cast<float>(value));
  }
  for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_SCISSOR_TEST, GL_CULL_FACE,
                     GL_LIGHTING})
    state.push_back(glIsEnabled(cap));
  for (GLenum name : {GL_VIEWPORT, GL_CURRENT_COLOR, GL_PROJECTION_MATRIX, GL_MODELVIEW_MATRIX}) {
    GLfloat values[16] = {};
    glGetFloatv(name, values);
    state.insert(state.end(), values, values + 16);
  }
  return state;
}

}  // namespace

// The overlay goes into the window's framebuffer after the frame is blitted
// there: the frame that the effects read and the captures save stays as it
// was, and so does the frame drawn after it; the window shows text.
TEST(OverlayDrawing, ReachesTheWindowButNeverTheFrame)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  BuildSceneTable();  // the real scenes, whatever an earlier test put in the table

  for (int32_t t : {30000, 150050}) {
    SCOPED_TRACE(t);
    const TOverlayInfo info = {t, true, 20, 50, Camera.Eye, {"F5: 3 camera paths reloaded"}};
    const std::vector<std::string> lines = OverlayLines(info);

    // Two frames from the same start, presented with or without the overlay.
    struct TRun {
      std::vector<std::vector<uint8_t>> Frames;
      std::vector<uint8_t> Window;
    };
    auto run = [&](bool overlay) {
      TRun result;
      RandomSeed = 1;
      ScreenCopyIndex = 1;
      StartFramesAfresh();
      RenderHeadlessFrame(t, FramePace);
      result.Frames.push_back(ReadFrame());
      BlitFrameToWindow(FrameWidth, FrameHeight);
      if (overlay) {
        const std::vector<float> before = GlStateSnapshot();
        DrawOverlay(lines, FrameWidth, FrameHeight);
        EXPECT_EQ(GlStateSnapshot(), before) << "the overlay left GL state changed";
      }
      result.Window = ReadWindowPixels();
      result.Frames.push_back(ReadFrame());
      RenderHeadlessFrame(t + FramePace, FramePace);
      result.Frames.push_back(ReadFrame());
      return result;
    };
    const TRun plain = run(false);
    const TRun shown = run(true);

    ASSERT_EQ(shown.Frames.size(), plain.Frames.size());
    for (size_t k = 0; k < plain.Frames.size(); ++k)
      EXPECT_TRUE(shown.Frames[k] == plain.Frames[k]) << "frame " << k << " differs";

    // Every changed window pixel lies in the top-left part the text takes,
    // and many of them are the text's warm white.
    int changed = 0, outside = 0, text = 0;
    for (int row = 0; row < FrameHeight; ++row) {
      const int y = FrameHeight - 1 - row;  // from the top
      for (int x = 0; x < FrameWidth; ++x) {
        const size_t i = (size_t(row) * FrameWidth + x) * 3;
        if (std::equal(&shown.Window[i], &shown.Window[i] + 3, &plain.Window[i]))
          continue;
        ++changed;
        if (x >= FrameWidth * 3 / 4 || y >= FrameHeight / 3)
          ++outside;
        if (shown.Window[i] > 200 && shown.Window[i + 1] > 170 && shown.Window[i + 2] < 170)
          ++text;
      }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(changed, 5000);
    EXPECT_GT(text, 500);
  }
}
