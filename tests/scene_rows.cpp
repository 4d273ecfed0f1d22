#include "scene_rows.h"

#include "engine/effects.h"
#include "engine/framebuffer.h"

#include "scenes/passes.h"
#include "scenes/plans.h"
#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/text.h"
#include "engine/textures.h"
#include "host/headlessdemo.h"
#include "host/timeline.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

float Below(float x)
{
  return std::nextafter(x, -1.0f);
}

float Above(float x)
{
  return std::nextafter(x, 2.0f);
}

float ProgressOfSlot(int slot, int32_t t)
{
  // The table is filled when the demo starts; plain arithmetic needs no start.
  if (!SceneTable[slot])
    BuildSceneTable();
  return SceneTable[slot]->Progress(t);
}

int DrawsSince(uint32_t before)
{
  uint32_t seed = before;
  for (int n = 0; n < 16; ++n) {
    if (seed == RandomSeed)
      return n;
    seed = seed * 134775813u + 1u;
  }
  return -1;
}

const TSceneRow SceneRows[SceneCount] = {
    {"hum", 0,
     [](float p) {
       const THumPlan plan = HumPlan(p);
       return TPlanView{{}, plan.FadeLevel, {}};
     },
     {NoQuad, NoQuad, NoQuad},
     {1, 0.707106769f, 0.000244140625f},
     {},
     TOpening::Picture,
     {},
     {0, 0, 0, 0}},
    {"prefall", 1,
     [](float p) {
       const TPrefallPlan plan = PrefallPlan(p);
       return TPlanView{plan.Fade, plan.FadeLevel, {}};
     },
     // p = 0.5 is a cut: black again.
     {Black(1), Black(1), Black(1)},
     {0, 0, 0},
     {},
     TOpening::Black,
     {},
     {0, 0, 0, 0}},
    {"balance", 2,
     [](float p) {
       const TBalancePlan plan = BalancePlan(p);
       return TPlanView{plan.Fade, plan.FadeLevel, plan.Captions};
     },
     {Black(1), Black(0), Black(1)},
     {1, 0.707106769f, 0.000244140625f},
     {{"VIRTUALITY", 320, 420, 50, false, {40, 52.5f, 65}, {0, 0.5f, LastP}}},
     TOpening::Black,
     {{68000, 0}},
     {0, 0, 0, 0}},
    {"fall", 3,
     [](float p) {
       const TFallPlan plan = FallPlan(p);
       return TPlanView{plan.Fade, plan.FadeLevel, plan.Captions};
     },
     // Out of black, and from the middle on into white.
     {Black(1), White(0), White(0.97919786f)},
     {0, 1, 1.87253519e-07f},
     {{"SPEED", 320, 420, 50, false, {40, 52.5f, 65}, {0, 0.5f, LastP}}},
     TOpening::Black,
     {{84140, 0}},
     {0, 0, 0, 0}},
    {"water", 4,
     [](float p) {
       const TWaterPlan plan = WaterPlan(p);
       return TPlanView{plan.Fade, plan.FadeLevel, plan.Captions};
     },
     {Black(1), Black(0), Black(1)},
     {1, 0, 0.999999881f},
     {{"AMBIENCE", 320, 420, 50, false, {40, 52.5f, 65}, {0, 0.5f, LastP}}},
     TOpening::Black,
     {{100000, 0}},
     {0, 0, 0, 0}},
    {"wobbler", 5,
     [](float p) {
       const TWobblerPlan plan = WobblerPlan(p);
       return TPlanView{{}, plan.FadeLevel, plan.Captions};
     },
     {NoQuad, NoQuad, NoQuad},
     {0, 0, 0},
     // The white E fades in on the leading blank of the black " MOTION".
     {{" MOTION", 320, 420, 50, false, {40, 52.5f, 65}, {1, 1, 1}},
      {"E      ", 320, 420, 50, true, {40, 52.5f, 65}, {0, 0.5f, LastP}}},
     TOpening::Picture,
     {{124000, 0}},
     {0, 0, 0, 0}},
    {"rush", 6,
     [](float p) {
       const TRushPlan plan = RushPlan(p);
       return TPlanView{plan.Fade, plan.FadeLevel, plan.Captions};
     },
     {White(1), White(0), White(0.97919786f)},
     {0, 1, 1.87253519e-07f},
     {{"VORDA", 320, 420, 50, false, {40, 52.5f, 65}, {0, 0.5f, LastP}}},
     TOpening::WhiteMiddle,
     {{144210, 100}},
     {3, 0, 0, 3}},
    {"capped", 7,
     [](float p) {
       const TCappedPlan plan = CappedPlan(p);
       return TPlanView{plan.Fade, plan.FadeLevel, plan.Captions};
     },
     // p = 0.5 still takes the white branch, which adds nothing there.
     {White(1), White(0), Black(1)},
     {0, 0, 0},
     {{"ZALTORIVENKA", 320, 420, 50, false, {40, 52.5f, 65}, {0, 0.5f, LastP}}},
     TOpening::WhiteMiddle,
     {{153220, 0}},
     {3, 0, 0, 3}},
    {"jump", 8,
     [](float p) {
       const TJumpPlan plan = JumpPlan(p);
       return TPlanView{{}, plan.FadeLevel, plan.Captions};
     },
     {NoQuad, NoQuad, NoQuad},
     {0, 0, 0},
     // Spreads less than the others: 40 to 50.
     {{"CREATE ME", 320, 420, 50, false, {40, 45, 50}, {0, 0.5f, LastP}}},
     TOpening::Picture,
     {{164637, 0}},
     {3, 0, 0, 3}},
    {"atom", 9,
     [](float p) {
       const TAtomPlan plan = AtomPlan(p);
       return TPlanView{plan.Fade, plan.FadeLevel, plan.Captions};
     },
     // The caption's spread and opacity follow the blur mix, half as fast
     // past the middle.
     {Black(1), Black(0), NoQuad},
     {0, 0.5f, 0.75f},
     {{"DESTROY ME", 320, 420, 50, false, {40, 52.5f, 58.75f}, {0, 0.5f, 0.75f}}},
     TOpening::Black,
     {{179054, 0}},
     // Past the middle the quake draws three more on every frame.
     {3, 0, 3, 6}},
    {"outro", 10,
     [](float p) {
       const TOutroPlan plan = OutroPlan(p);
       return TPlanView{plan.Fade, plan.FadeLevel, plan.Captions};
     },
     {White(1), White(0), White(0.97919786f)},
     {0, 1, 1.87253519e-07f},
     // Each greeting fades in within its slot; these three are slot starts.
     {{nullptr, 320, 420, 50, false, {40, 52.5f, 65}, {0, 0, 0}}},
     TOpening::WhiteMiddle,
     {{199641, 0}},
     {0, 0, 0, 0}},
    {"last", 11,
     [](float p) {
       const TLastPlan plan = LastPlan(p);
       return TPlanView{{}, plan.FadeLevel, plan.Captions};
     },
     {NoQuad, NoQuad, NoQuad},
     {1, 0.5f, 5.96046448e-08f},
     // 40-pixel cells at an advance of 25: the letters overlap.
     {{"WELCOME", 320, 360, 40, true, {25, 25, 25}, {0, 0.5f, LastP}},
      {"VORDAZALTORIVENKA2006", 320, 390, 40, true, {25, 25, 25}, {0, 0.5f, LastP}}},
     TOpening::Picture,
     {{216118, 40}},
     {3, 0, 0, 3}},
    {"movrik", 12,
     [](float p) {
       const TMovrikPlan plan = MovrikPlan(p);
       return TPlanView{plan.Flash ? plan.Flash : plan.Fade, plan.FadeLevel, plan.Captions};
     },
     // White flash in the first quarter, black fade from the middle on.
     {White(1), NoQuad, Black(1)},
     {1, 0.5f, 5.96046448e-08f},
     {{"FASTDEMO FOR KESTUN 2006 BY", 320, 170, 20, true, {15, 15, 15}, {1, 1, 1}},
      {"MOVRIK", 320, 250, 90, true, {65, 77.5f, 90}, {1, 1, 1}},
      {"WE ARE INVITING YOU TO VISIT", 320, 270, 20, true, {15, 15, 15}, {1, 1, 1}},
      {"VORDA ZALTORIVENKA 2006", 320, 300, 20, true, {15, 15, 15}, {1, 1, 1}},
      {"WWW.VORDAZ.ORG", 320, 330, 20, true, {15, 15, 15}, {1, 1, 1}}},
     TOpening::WhiteMiddle,
     {{220000, 0}},
     {0, 0, 0, 0}},
};

const TSceneRow& Row(const std::string& name)
{
  for (const TSceneRow& row : SceneRows)
    if (name == row.Name)
      return row;
  std::abort();
}

bool UseRealScenes(std::string& error)
{
  if (!UseStartedDemo(error))
    return false;
  // Other tests replace the table; start from the real one with its paths.
  BuildSceneTable();
  for (const TSceneRow& row : SceneRows)
    SceneTable[row.Slot]->Prepare();
  return true;
}

int32_t TimeAt(const mve_genericscene& scene, double f)
{
  const int32_t end = std::min(scene.EndTime, LastFrameTime + 1);
  return scene.StartTime + static_cast<int32_t>(f * (end - scene.StartTime));
}

std::vector<uint8_t> RenderAfresh(int32_t t, uint32_t font)
{
  const uint32_t realFont = FontTexture;
  FontTexture = font;
  ClearFrameTargets();
  EndFrame(10 * FramePace);
  const uint32_t seed = RandomSeed;
  RenderHeadlessFrame(t, FramePace);
  RandomSeed = seed;
  FontTexture = realFont;
  return ReadFrame();
}

TFramePair RenderWithAndWithoutFont(int32_t t)
{
  return {RenderAfresh(t, FontTexture), RenderAfresh(t, BlankFont())};
}

std::vector<std::vector<TGlyphBox>> GlyphBoxes(const std::vector<TCaption>& captions)
{
  std::vector<std::vector<TGlyphBox>> lines;
  for (const TCaption& c : captions) {
    const std::vector<TGlyphQuad> quads =
        LayoutText(c.Text, c.X, c.Y, c.GlyphWidth, c.GlyphHeight, c.Advance);
    const int sign = c.Colour.r + c.Colour.g + c.Colour.b > 1.5f ? 1 : -1;
    std::vector<TGlyphBox> line;
    for (size_t k = 0; k < quads.size(); ++k)
      if (c.Text[k] != ' ')
        line.push_back({quads[k].x0, quads[k].x1, quads[k].top, quads[k].bottom, sign, c.Text[k], c.Text});
    lines.push_back(line);
  }
  return lines;
}

double Grey(const std::vector<uint8_t>& frame, int x, int y)
{
  const TPixel p = PixelAt(frame, x, y);
  return (p.r + p.g + p.b) / 3.0;
}

bool Ink(const std::vector<uint8_t>& frame, int x, int y, int sign)
{
  const TPixel p = PixelAt(frame, x, y);
  return sign < 0 ? std::max({p.r, p.g, p.b}) <= 40 : std::min({p.r, p.g, p.b}) >= 235;
}

bool InBox(const TGlyphBox& b, int x, int y)
{
  return b.x0 - 1 <= x + 0.5 && x + 0.5 <= b.x1 + 1 && b.top - 1 <= y + 0.5 && y + 0.5 <= b.bottom + 1;
}

void ExpectGlyphsInTheirBoxes(const TFramePair& frames, const std::vector<TGlyphBox>& overlayBoxes)
{
  // The boxes in frame pixels. A larger frame shows more of each glyph, if
  // not k^2 times as much (the blur and the glow spread less of it).
  const double k = FrameScale(FrameWidth);
  std::vector<TGlyphBox> boxes = overlayBoxes;
  for (TGlyphBox& b : boxes) {
    b.x0 = static_cast<float>(b.x0 * k);
    b.x1 = static_cast<float>(b.x1 * k);
    b.top = static_cast<float>(b.top * k);
    b.bottom = static_cast<float>(b.bottom * k);
  }
  const int enoughInk = std::max(5, static_cast<int>(20 * k));
  std::vector<int> inked(boxes.size(), 0);
  std::vector<double> behind(boxes.size(), 0);
  std::vector<int> area(boxes.size(), 0);
  int stray = 0;
  for (int y = 0; y < FrameHeight; ++y)
    for (int x = 0; x < FrameWidth; ++x) {
      const double before = Grey(frames.Plain, x, y);
      const double change = Grey(frames.Shown, x, y) - before;
      bool hit = false;
      for (size_t i = 0; i < boxes.size(); ++i)
        if (InBox(boxes[i], x, y)) {
          hit = true;
          behind[i] += before;
          ++area[i];
          inked[i] += boxes[i].Sign * change > 6;
        }
      stray += std::fabs(change) > 6 && !hit;
    }
  EXPECT_EQ(stray, 0) << "pixels changed outside the caption boxes";
  int showable = 0;
  for (size_t i = 0; i < boxes.size(); ++i) {
    const double mean = behind[i] / std::max(area[i], 1);
    const bool canShow = boxes[i].Sign < 0 ? mean > 40 : mean < 215;
    if (canShow) {
      ++showable;
      EXPECT_GE(inked[i], enoughInk) << "\"" << boxes[i].Text << "\" shows no glyph in the box of '"
                              << boxes[i].Char << "' at x " << boxes[i].x0 << " to " << boxes[i].x1;
    }
  }
  EXPECT_GE(showable, 3) << "caption boxes on a background that can show them";
}
