// Every caption of the demo stands out from what the generated content shows
// behind it. Each scene with captions is rendered every 250 ms of music while
// a caption line is at least 30 % opaque, once with the real font and once
// with an all-black font (fully transparent glyphs, so the captions draw
// nothing). Over the line's glyph pixels (those its glyphs cover at least
// half) the two frames must differ by at least 12 % of full luminance on
// average, and at least half of those pixels must differ visibly (by more
// than 4 %). The worst frame of each scene is printed, and named on failure.
#include "engine/assets.h"
#include "engine/framebuffer.h"
#include "engine/text.h"
#include "host/headlessdemo.h"
#include "host/timeline.h"
#include "scenes/plans.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int32_t SampleStep = 250;
constexpr float LeastAlpha = 0.3f;
constexpr double LeastMeanDifference = 0.12;
constexpr double VisibleDifference = 0.04;
constexpr double LeastVisibleShare = 0.5;
constexpr double MidGrey = 0.5;

// The luminances the picture under the captions can still take after the
// scene's own full-screen quad, whatever the content shows.
struct TPictureRange {
  double Darkest = 0, Brightest = 1;
};

TPictureRange RangeUnder(const TFade& fade)
{
  if (fade.Blend == TFadeBlend::Additive)
    return {fade.Colour.r, 1};
  return {fade.Colour.a * fade.Colour.r, fade.Colour.a * fade.Colour.r + 1 - fade.Colour.a};
}

TPictureRange RangeUnder(const std::optional<TFade>& fade)
{
  return fade ? RangeUnder(*fade) : TPictureRange{};
}

struct TCaptionFrame {
  std::vector<TCaption> Lines;
  TPictureRange Picture;
};

struct TCaptionScene {
  const char* Name;
  int Slot;
  std::function<TCaptionFrame(float p)> Captions;
};

// The captions each scene's plan gives it at p, and what its fade or flash
// quad leaves of the picture.
const TCaptionScene CaptionScenes[] = {
    {"balance", 2,
     [](float p) {
       const TBalancePlan plan = BalancePlan(p);
       return TCaptionFrame{plan.Captions, RangeUnder(plan.Fade)};
     }},
    {"fall", 3,
     [](float p) {
       const TFallPlan plan = FallPlan(p);
       return TCaptionFrame{plan.Captions, RangeUnder(plan.Fade)};
     }},
    {"water", 4,
     [](float p) {
       const TWaterPlan plan = WaterPlan(p);
       return TCaptionFrame{plan.Captions, RangeUnder(plan.Fade)};
     }},
    {"wobbler", 5,
     [](float p) { return TCaptionFrame{WobblerPlan(p).Captions, {}}; }},
    {"rush", 6,
     [](float p) {
       const TRushPlan plan = RushPlan(p);
       return TCaptionFrame{plan.Captions, RangeUnder(plan.Fade)};
     }},
    {"capped", 7,
     [](float p) {
       const TCappedPlan plan = CappedPlan(p);
       return TCaptionFrame{plan.Captions, RangeUnder(plan.Fade)};
     }},
    {"jump", 8,
     [](float p) { return TCaptionFrame{JumpPlan(p).Captions, {}}; }},
    {"atom", 9,
     [](float p) {
       const TAtomPlan plan = AtomPlan(p);
       return TCaptionFrame{plan.Captions, RangeUnder(plan.Fade)};
     }},
    {"outro", 10,
     [](float p) {
       const TOutroPlan plan = OutroPlan(p);
       return TCaptionFrame{plan.Captions, RangeUnder(plan.Fade)};
     }},
    {"last", 11,
     [](float p) { return TCaptionFrame{LastPlan(p).Captions, {}}; }},
    {"movrik", 12,
     [](float p) {
       const TMovrikPlan plan = MovrikPlan(p);
       TCaptionFrame frame{plan.Captions, {}};
       if (plan.Flash)
         frame.Picture = RangeUnder(plan.Flash);
       if (plan.Fade)
         frame.Picture = RangeUnder(plan.Fade);
       return frame;
     }},
};

// Whether a line is sampled: it is at least 30 % opaque, not blank, and a
// mid-grey picture behind it, seen through the scene's own fade or flash
// quad, would let it stand out by the required mean difference. Where the
// scene itself fades the picture to black under black letters, or flashes it
// to white under white ones, no content could make the caption readable.
bool Sampled(const TCaption& line, const TPictureRange& picture)
{
  if (line.Colour.a < LeastAlpha || line.Text.find_first_not_of(' ') == std::string::npos)
    return false;
  const bool white = line.Colour.r + line.Colour.g + line.Colour.b > 1.5f;
  const double room = white ? 1 - picture.Darkest : picture.Brightest;
  return line.Colour.a * room * MidGrey >= LeastMeanDifference;
}

double Luminance(const std::vector<uint8_t>& frame, size_t pixel)
{
  const uint8_t* rgb = &frame[pixel * 3];
  return (0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]) / 255;
}

// The pixels that a line's glyphs cover at least half: the line drawn opaque
// black on white, on its own, and looked for inside its glyph boxes.
std::vector<size_t> GlyphPixels(const TCaption& line)
{
  glViewport(0, 0, FrameWidth, FrameHeight);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  DrawText(line.Text, FontTexture, line.X, line.Y, line.GlyphWidth, line.GlyphHeight, line.Advance, 0, 0, 0,
           1);
  const std::vector<uint8_t> frame = ReadFrame();
  const std::vector<TGlyphQuad> boxes =
      LayoutText(line.Text, line.X, line.Y, line.GlyphWidth, line.GlyphHeight, line.Advance);
  const int x0 = std::max(0, static_cast<int>(std::floor(boxes.front().x0)));
  const int x1 = std::min(FrameWidth, static_cast<int>(std::ceil(boxes.back().x1)));
  const int y0 = std::max(0, static_cast<int>(std::floor(line.Y - line.GlyphHeight)));
  const int y1 = std::min(FrameHeight, static_cast<int>(std::ceil(line.Y)));
  std::vector<size_t> pixels;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const size_t i = static_cast<size_t>(y) * FrameWidth + x;
      if (Luminance(frame, i) <= 0.5)
        pixels.push_back(i);
    }
  return pixels;
}

// The frame at music time t as the demo draws it, after a frame 250 ms
// earlier, so that no trail of another frame shows. The random generator is
// put back afterwards, so that a second call at t jolts the view the same.
std::vector<uint8_t> RenderSample(int32_t t)
{
  const uint32_t seed = RandomSeed;
  RenderHeadlessFrame(t, SampleStep);
  RandomSeed = seed;
  return ReadFrame();
}

struct TContrast {
  int32_t Time;
  std::string Text;
  double MeanDifference;  // of full scale
  double VisibleShare;    // of the glyph pixels
  bool Passes() const
  {
    return MeanDifference >= LeastMeanDifference && VisibleShare >= LeastVisibleShare;
  }
  // How far the worse of the two figures lies above (or below) its threshold.
  double Margin() const
  {
    return std::min(MeanDifference / LeastMeanDifference, VisibleShare / LeastVisibleShare);
  }
};

std::string Describe(const TContrast& c)
{
  char text[160];
  std::snprintf(text, sizeof text,
                "t = %d ms \"%s\": mean difference %.1f %%, %.0f %% of glyph pixels visible", c.Time,
                c.Text.c_str(), 100 * c.MeanDifference, 100 * c.VisibleShare);
  return text;
}

}  // namespace

TEST(CaptionContrast, EveryCaptionStandsOutFromWhatIsBehindIt)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  const uint32_t realFont = FontTexture;
  const uint32_t blankFont = BlankFont();

  std::string faults;
  for (const TCaptionScene& scene : CaptionScenes) {
    const mve_genericscene& timed = *SceneTable[scene.Slot];
    const int32_t end = std::min(timed.EndTime - 1, LastFrameTime);
    std::vector<TContrast> frames;
    for (int32_t t = timed.StartTime; t <= end; t += SampleStep) {
      const TCaptionFrame captions = scene.Captions(timed.Progress(t));
      std::vector<TCaption> lines;
      for (const TCaption& line : captions.Lines)
        if (Sampled(line, captions.Picture))
          lines.push_back(line);
      if (lines.empty())
        continue;
      FontTexture = realFont;
      const std::vector<uint8_t> shown = RenderSample(t);
      FontTexture = blankFont;
      const std::vector<uint8_t> plain = RenderSample(t);
      FontTexture = realFont;
      for (const TCaption& line : lines) {
        const std::vector<size_t> glyphs = GlyphPixels(line);
        ASSERT_FALSE(glyphs.empty()) << scene.Name << " \"" << line.Text << "\" covers no pixel";
        double sum = 0;
        size_t visible = 0;
        for (size_t i : glyphs) {
          const double d = std::abs(Luminance(shown, i) - Luminance(plain, i));
          sum += d;
          visible += d > VisibleDifference;
        }
        frames.push_back({t, line.Text, sum / glyphs.size(), double(visible) / glyphs.size()});
      }
    }
    ASSERT_FALSE(frames.empty()) << scene.Name << " was never sampled";
    const TContrast& worst = *std::min_element(
        frames.begin(), frames.end(), [](const TContrast& a, const TContrast& b) { return a.Margin() < b.Margin(); });
    const long failing =
        std::count_if(frames.begin(), frames.end(), [](const TContrast& c) { return !c.Passes(); });
    std::printf("%-8s %3zu samples, %3ld too faint; worst %s\n", scene.Name, frames.size(), failing,
                Describe(worst).c_str());
    if (failing > 0)
      faults += std::string(scene.Name) + ": " + std::to_string(failing) + " of " +
                std::to_string(frames.size()) + " samples too faint; worst " + Describe(worst) + "\n";
  }
  if (!faults.empty())
    ADD_FAILURE() << "captions too faint against what is behind them:\n" << faults;
}
