// The thirteen scenes: their plans, worked out without GL, and the frames
// they render in the started demo. SceneRows holds one row per scene with
// what it shows: its fade or flash quad, blur mix and captions at the start,
// middle and end, how its first frame opens, when its captions are checked
// on the frame, and the random numbers its shake draws. The tests after the
// table look closer at each scene's own arithmetic.
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

namespace {

// The largest float below x.
float Below(float x)
{
  return std::nextafter(x, -1.0f);
}

float Above(float x)
{
  return std::nextafter(x, 2.0f);
}

// Progress of timeline slot `slot` at music time t.
float ProgressOfSlot(int slot, int32_t t)
{
  return SceneTable[slot]->Progress(t);
}

// How many numbers NextRandom handed out since the seed was `before`.
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

// Saves the shared generator state and puts it back after the test.
class SeedGuard {
public:
  SeedGuard() : Saved(RandomSeed) {}
  ~SeedGuard() { RandomSeed = Saved; }

private:
  uint32_t Saved;
};

// What the scene table compares of a plan: the full-screen quad it draws (if
// any), its blur mix and its captions.
struct TPlanView {
  std::optional<TFade> Quad;
  float FadeLevel;
  std::vector<TCaption> Captions;
};

// A fade or flash quad: additive white of this grey, or black of this alpha.
struct TQuadRow {
  bool Drawn;
  TFadeBlend Blend;
  float Level;
};
constexpr TQuadRow NoQuad = {false, TFadeBlend::Alpha, 0};
constexpr TQuadRow Black(float alpha)
{
  return {true, TFadeBlend::Alpha, alpha};
}
constexpr TQuadRow White(float grey)
{
  return {true, TFadeBlend::Additive, grey};
}

// One caption line: its text and place, square glyph cells, its colour, and
// its advance and opacity at p = 0, 0.5 and just below 1.
struct TLineRow {
  const char* Text;  // nullptr: changes with p (the outro's greetings)
  float X, Y, Glyph;
  bool White;
  float Advance[3];
  float Alpha[3];
};

// What a scene's first frame shows when drawn from a fresh start (no trail of
// an earlier frame).
enum class TOpening { Picture, Black, WhiteMiddle };

// A music time at which the captions are checked on the rendered frame.
// MinInk > 0 also asks for more than that many pixels of the letters' own
// colour (near black or near white) in the middle of every glyph box, and
// none of it in the picture around the lines.
struct TCaptionSample {
  int32_t Time;
  int MinInk;
};

struct TSceneRow {
  const char* Name;
  int Slot;
  TPlanView (*Plan)(float p);
  // At p = 0, 0.5 and just below 1.
  TQuadRow Quad[3];
  float FadeLevel[3];
  std::vector<TLineRow> Lines;
  TOpening Opening;
  std::vector<TCaptionSample> CaptionSamples;
  // Random numbers drawn by Render at p = 0.5, 1.5, 65.5 and 66.5 / 128: a
  // beat step and an off-beat step, then an off-beat and a beat step past
  // the middle.
  int Draws[4];
};

constexpr float LastP = 0.99999994f;  // Below(1.0f)

const TSceneRow SceneRows[] = {
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

}  // namespace

TEST(SceneShots, InsideRangeHoldsAtBothEnds)
{
  struct {
    double x, lo, hi;
    bool inside;
  } cases[] = {{0.25, 0, 0.25, true},        {0.25, 0.25, 0.5, true},
               {Below(0.25f), 0.25, 0.5, false}, {0.5000001, 0.25, 0.5, false},
               {-0.0, 0, 1, true},            {1, 0.75, 1, true}};
  for (const auto& c : cases)
    EXPECT_EQ(InsideRange(c.x, c.lo, c.hi), c.inside) << c.x << " in " << c.lo << ".." << c.hi;
}

TEST(SceneShots, ShotIsTruncatedAndPulseIsRoundedHalvesToEven)
{
  struct {
    float p;
    int shots;
    double pace;
    int index;
    float fraction;
    double pulse;
  } cases[] = {
      {0.0f, 8, 5, 0, 0.0f, 0.0},
      {0.375f, 8, 5, 3, 0.0f, 0.0},
      // 8000 p = 62.5 rounds down to the even 62, 187.5 up to 188.
      {1 / 128.0f, 8, 5, 0, 5 / 128.0f, 0.062},
      {3 / 128.0f, 8, 5, 0, 15 / 128.0f, 0.188},
      {1 / 64.0f, 4, 2, 0, 2 / 64.0f, 0.062},
      {3 / 64.0f, 4, 2, 0, 6 / 64.0f, 0.188},
      // Just below a cut the truncated shot is still the old one while the
      // rounded pulse has already restarted.
      {Below(0.25f), 4, 2, 0, 0.5f, 0.0},
      {0.25f, 4, 2, 1, 0.0f, 0.0},
      {0.6f, 4, 2, 2, 0.2f, 0.4},
      {Below(1.0f), 4, 2, 3, 0.5f, 0.0},
  };
  for (const auto& c : cases) {
    const TShot shot = ChooseShot(c.p, c.shots, c.pace);
    EXPECT_EQ(shot.Index, c.index) << c.p;
    EXPECT_NEAR(shot.Fraction, c.fraction, 1e-6) << c.p;
    EXPECT_NEAR(ShotPulse(c.p, c.shots), c.pulse, 1e-12) << c.p;
  }
}

TEST(SceneShots, FadesAreOpaqueAtTheEndsAndClearInTheMiddle)
{
  const double pi = 3.14159265358979323846;
  struct {
    double u;
    float blackAlpha;
    float flashGrey;
  } cases[] = {{0, 1, 1}, {pi / 2, 0, 0}, {pi / 6, 0.75f, 0.159103587f}};
  for (const auto& c : cases) {
    const TFade black = BlackFade(c.u);
    EXPECT_EQ(black.Blend, TFadeBlend::Alpha);
    EXPECT_FLOAT_EQ(black.Colour.r + black.Colour.g + black.Colour.b, 0);
    EXPECT_NEAR(black.Colour.a, c.blackAlpha, 1e-6) << c.u;
    const TFade flash = WhiteFlash(c.u);
    EXPECT_EQ(flash.Blend, TFadeBlend::Additive);
    EXPECT_NEAR(flash.Colour.r, c.flashGrey, 1e-6) << c.u;
    EXPECT_EQ(flash.Colour.g, flash.Colour.r);
    EXPECT_EQ(flash.Colour.b, flash.Colour.r);
    EXPECT_EQ(flash.Colour.a, 1);
  }
}

// The table's plan columns: each scene's quad, blur mix and captions at the
// start, the middle and the end of the scene.
TEST(ScenePlans, QuadsBlurAndCaptionsAtTheStartMiddleAndEnd)
{
  const float ps[3] = {0.0f, 0.5f, Below(1.0f)};
  for (const TSceneRow& row : SceneRows)
    for (int k = 0; k < 3; ++k) {
      SCOPED_TRACE(std::string(row.Name) + " at p = " + std::to_string(ps[k]));
      const TPlanView plan = row.Plan(ps[k]);
      const TQuadRow& quad = row.Quad[k];
      ASSERT_EQ(plan.Quad.has_value(), quad.Drawn);
      if (quad.Drawn) {
        EXPECT_EQ(plan.Quad->Blend, quad.Blend);
        if (quad.Blend == TFadeBlend::Additive) {
          EXPECT_NEAR(plan.Quad->Colour.r, quad.Level, 1e-6);
          EXPECT_EQ(plan.Quad->Colour.g, plan.Quad->Colour.r);
          EXPECT_EQ(plan.Quad->Colour.b, plan.Quad->Colour.r);
          EXPECT_EQ(plan.Quad->Colour.a, 1.0f);
        } else {
          EXPECT_EQ(plan.Quad->Colour.r + plan.Quad->Colour.g + plan.Quad->Colour.b, 0.0f);
          EXPECT_NEAR(plan.Quad->Colour.a, quad.Level, 1e-6);
        }
      }
      EXPECT_NEAR(plan.FadeLevel, row.FadeLevel[k], 1e-6);

      ASSERT_EQ(plan.Captions.size(), row.Lines.size());
      for (size_t i = 0; i < row.Lines.size(); ++i) {
        const TLineRow& line = row.Lines[i];
        const TCaption& caption = plan.Captions[i];
        if (line.Text) {
          EXPECT_EQ(caption.Text, line.Text);
        }
        EXPECT_EQ(caption.X, line.X) << caption.Text;
        EXPECT_EQ(caption.Y, line.Y) << caption.Text;
        EXPECT_EQ(caption.GlyphWidth, line.Glyph) << caption.Text;
        EXPECT_EQ(caption.GlyphHeight, line.Glyph) << caption.Text;
        const float grey = line.White ? 1.0f : 0.0f;
        EXPECT_EQ(caption.Colour.r, grey) << caption.Text;
        EXPECT_EQ(caption.Colour.g, grey) << caption.Text;
        EXPECT_EQ(caption.Colour.b, grey) << caption.Text;
        EXPECT_NEAR(caption.Advance, line.Advance[k], 1e-4) << caption.Text;
        EXPECT_NEAR(caption.Colour.a, line.Alpha[k], 1e-6) << caption.Text;
      }
    }
}

// Quads between the ends, where the curves show their shape.
TEST(ScenePlans, QuadsBetweenTheEnds)
{
  struct {
    const char* scene;
    float p;
    TQuadRow quad;
    float fadeLevel;
  } cases[] = {
      {"rush", 0.25f, White(0.0830f), 0.7071f},
      // The capped flash clears faster (an eighth root) ...
      {"capped", 0.25f, White(0.0424f), 0.0f},
      // ... and the black takes over just past the middle.
      {"capped", Above(0.5f), Black(0.0f), 0.0f},
      {"capped", 0.75f, Black(0.5f), 0.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.scene) + " at p = " + std::to_string(c.p));
    const TPlanView plan = Row(c.scene).Plan(c.p);
    ASSERT_EQ(plan.Quad.has_value(), c.quad.Drawn);
    if (c.quad.Drawn) {
      EXPECT_EQ(plan.Quad->Blend, c.quad.Blend);
      if (c.quad.Blend == TFadeBlend::Additive) {
        EXPECT_NEAR(plan.Quad->Colour.r, c.quad.Level, 1e-4);
        EXPECT_EQ(plan.Quad->Colour.r, plan.Quad->Colour.b);
        EXPECT_EQ(plan.Quad->Colour.a, 1.0f);
      } else {
        EXPECT_EQ(plan.Quad->Colour.r, 0.0f);
        EXPECT_NEAR(plan.Quad->Colour.a, c.quad.Level, 1e-4);
      }
    }
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 1e-3);
  }
}

TEST(HumScene, CameraWaitsThenScreenPlaysTheLoopsInTurn)
{
  struct {
    float p;
    float camera;
    const uint32_t* loop;
    int slot;
    float fadeLevel;
  } cases[] = {
      {0.0f, 0, Loop1Frames, 0, 1},
      {0.1f, 0, Loop1Frames, 0, 0.948683321f},  // p 10 50 = 50.0000007, frame 50
      {0.0195f, 0, Loop1Frames, 9, 0.99020201f},
      {Below(0.25f), 0, Loop1Frames, 4, 0.866025388f},  // frame 124
      {0.25f, 0, Loop2Frames, 5, 0.866025388f},         // both ranges hold; the later wins
      {std::nextafter(0.25f, 1.0f), 0, Loop2Frames, 5, 0.866025388f},
      {Below(0.5f), 0, Loop2Frames, 1, 0.707106829f},  // frame 249
      {0.5f, 0, Loop3Frames, 0, 0.707106769f},
      {Below(0.75f), 0, Loop3Frames, 4, 0.50000006f},  // frame 374
      {0.75f, 0, Loop2Frames, 7, 0.5f},
      {0.8f, 0, Loop2Frames, 0, 0.44721359f},  // 0.8f lies above 0.8: the camera just starts
      {0.9f, 0.3f, Loop2Frames, 1, 0.316227794f},  // 0.9f 500 = 449.99999, frame 449
      {Below(1.0f), 0.6f, Loop2Frames, 3, 0.000244140625f},
  };
  for (const auto& c : cases) {
    const THumPlan plan = HumPlan(c.p);
    EXPECT_NEAR(plan.PathFraction, c.camera, 1e-6) << c.p;
    EXPECT_EQ(plan.ScreenLoop, c.loop) << c.p;
    EXPECT_EQ(plan.ScreenSlot, c.slot) << c.p;
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 1e-7) << c.p;
  }
  EXPECT_EQ(HumPlan(0).FadeLevel, 1);
  EXPECT_LT(HumPlan(Below(1.0f)).FadeLevel, 0.001f);
  // Below 0.8 the camera does not move at all.
  EXPECT_EQ(HumPlan(Below(0.8f)).PathFraction, 0);
  EXPECT_EQ(HumPlan(ProgressOfSlot(0, 48077)).ScreenLoop, Loop2Frames);
}

TEST(PrefallScene, EightCutsOutOfBlackAndBlur)
{
  struct {
    float p;
    int path;
    float fraction;
    float fadeLevel;
    float fadeAlpha;
  } cases[] = {
      {0.0f, 0, 0, 0, 1},
      // 8000 p = 2999.6: still the third eighth, but the pulse has restarted.
      {2999.6f / 8000, 2, (2999.6f / 8000 - 0.25f) * 5, 0, 1},
      {2999.4f / 8000, 2, (2999.4f / 8000 - 0.25f) * 5, 0.999499857f, 0.999997556f},
      {0.375f, 3, 0, 0, 1},
      {0.4375f, 3, 0.3125f, 0.707106769f, 0.366872281f},
      {Below(1.0f), 7, 0.625f, 0, 1},
  };
  for (const auto& c : cases) {
    const TPrefallPlan plan = PrefallPlan(c.p);
    EXPECT_EQ(plan.Shot.Index, c.path) << c.p;
    EXPECT_NEAR(plan.Shot.Fraction, c.fraction, 1e-5) << c.p;
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 1e-6) << c.p;
    EXPECT_EQ(plan.Fade.Blend, TFadeBlend::Alpha);
    EXPECT_NEAR(plan.Fade.Colour.a, c.fadeAlpha, 1e-6) << c.p;
  }
  // A quarter into an eighth the pulse is at 0.5 and the quad is clear.
  EXPECT_NEAR(PrefallPlan(1 / 32.0f).Fade.Colour.a, 0, 1e-6);

  // Music times: the scene opens black on path 0, and the first frame of the
  // fourth eighth jumps to the start of path 3.
  const TPrefallPlan first = PrefallPlan(ProgressOfSlot(1, 48078));
  EXPECT_EQ(first.Shot.Index, 0);
  EXPECT_EQ(first.Fade.Colour.a, 1);
  const TPrefallPlan before = PrefallPlan(ProgressOfSlot(1, 52584));
  const TPrefallPlan cut = PrefallPlan(ProgressOfSlot(1, 52585));
  EXPECT_EQ(before.Shot.Index, 2);
  EXPECT_EQ(cut.Shot.Index, 3);
  EXPECT_LT(cut.Shot.Fraction, 0.001f);
}

TEST(BalanceScene, DarkAtBothEndsAndBlurringOut)
{
  struct {
    float p;
    float fadeAlpha;
    float fadeLevel;
  } cases[] = {{0.0f, 1, 1},
               {0.5f, 0, static_cast<float>(std::sqrt(0.5))},
               {0.25f, 0.5f, static_cast<float>(std::sqrt(0.75))},
               {Below(1.0f), 1, 0.000244f}};
  for (const auto& c : cases) {
    const TBalancePlan plan = BalancePlan(c.p);
    EXPECT_EQ(plan.PathFraction, c.p);
    EXPECT_EQ(plan.Fade.Blend, TFadeBlend::Alpha);
    EXPECT_NEAR(plan.Fade.Colour.a, c.fadeAlpha, 1e-6) << c.p;
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 1e-6) << c.p;
  }
}

TEST(FallScene, OutOfBlackThenIntoWhite)
{
  const float justBelowHalf = Below(0.5f);
  struct {
    float p;
    float camera, figure;  // path fractions
    TFadeBlend blend;
    float colour;  // the quad's grey
    float alpha;
    float fadeLevel;
  } cases[] = {
      {0.0f, 0, 0, TFadeBlend::Alpha, 0, 1, 0},
      {0.25f, 0.2f, 0.15f, TFadeBlend::Alpha, 0, 0.5f, static_cast<float>(std::sqrt(0.5))},
      {justBelowHalf, 0.4f, 0.3f, TFadeBlend::Alpha, 0, 0, 1},
      // At the change-over both quads leave the picture as it is.
      {0.5f, 0.4f, 0.3f, TFadeBlend::Additive, 0, 1, 1},
      {0.75f, 0.6f, 0.45f, TFadeBlend::Additive, 0.0829959586f, 1, static_cast<float>(std::sqrt(0.5))},
      {Below(1.0f), 0.8f, 0.6f, TFadeBlend::Additive, 0.98f, 1, 0},
  };
  for (const auto& c : cases) {
    const TFallPlan plan = FallPlan(c.p);
    EXPECT_NEAR(plan.PathFraction, c.camera, 1e-7) << c.p;
    EXPECT_NEAR(plan.FigureFraction, c.figure, 1e-7) << c.p;
    EXPECT_EQ(plan.Fade.Blend, c.blend) << c.p;
    EXPECT_NEAR(plan.Fade.Colour.r, c.colour, 0.01) << c.p;
    EXPECT_NEAR(plan.Fade.Colour.a, c.alpha, 1e-6) << c.p;
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 1e-3) << c.p;
  }
  // The last frame of the scene: almost white, almost fully blurred.
  const TFallPlan last = FallPlan(ProgressOfSlot(3, 84142));
  EXPECT_GT(last.Fade.Colour.r, 0.85f);
  EXPECT_LT(last.FadeLevel, 0.001f);
}

TEST(WaterScene, BlurredInTheMiddleSharpAtTheEnds)
{
  struct {
    float p;
    float fadeAlpha;
    float fadeLevel;
    double waterPhase;
  } cases[] = {
      {0.0f, 1, 1, 0},
      {0.5f, 0, 0, 6},
      {1 / 6.0f, 0.75f, static_cast<float>(std::sqrt(0.5)), 2},
      {Below(1.0f), 1, 1, 12},
  };
  for (const auto& c : cases) {
    const TWaterPlan plan = WaterPlan(c.p);
    EXPECT_EQ(plan.PathFraction, c.p);
    EXPECT_EQ(plan.Fade.Blend, TFadeBlend::Alpha);
    EXPECT_NEAR(plan.Fade.Colour.a, c.fadeAlpha, 1e-5) << c.p;
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 2e-3) << c.p;
    EXPECT_NEAR(plan.WaterPhase, c.waterPhase, 1e-5) << c.p;
  }
}

TEST(WobblerScene, FourShotsEachSharpening)
{
  struct {
    float p;
    int path;
    float fraction;
    float fadeLevel;
  } cases[] = {
      {0.0f, 0, 0, 0},
      {0.125f, 0, 0.25f, static_cast<float>(std::sqrt(0.5))},
      {Below(0.25f), 0, 0.5f, 0},  // 4000 p rounds up to the cut
      {0.24985f, 0, 0.4997f, 0.999499857f},  // 4000 p = 999.4
      {0.25f, 1, 0, 0},
      {0.5f, 2, 0, 0},
      {Below(0.75f), 2, 0.5f, 0},
      {0.75f, 3, 0, 0},
      {0.875f, 3, 0.25f, static_cast<float>(std::sqrt(0.5))},
  };
  for (const auto& c : cases) {
    const TWobblerPlan plan = WobblerPlan(c.p);
    EXPECT_EQ(plan.Shot.Index, c.path) << c.p;
    EXPECT_NEAR(plan.Shot.Fraction, c.fraction, 1e-6) << c.p;
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 1e-6) << c.p;
  }
  // The first frame after the first cut, at music time 114171.
  const TWobblerPlan cut = WobblerPlan(ProgressOfSlot(5, 114171));
  EXPECT_EQ(cut.Shot.Index, 1);
  EXPECT_EQ(cut.FadeLevel, 0);
  EXPECT_EQ(WobblerPlan(ProgressOfSlot(5, 114170)).Shot.Index, 0);
}

TEST(FourShotScenes, CutEveryQuarter)
{
  // capped flies each path whole and sharpens linearly; jump flies the first
  // half of each path and sharpens along a square root.
  struct {
    float p;
    int shot;
    float cappedFraction, jumpFraction;
    float cappedLevel, jumpLevel;
  } cases[] = {
      {0.0f, 0, 0.0f, 0.0f, 0.0f, 0.0f},
      {0.2498f, 0, 0.9992f, 0.4996f, 0.999f, 0.999499857f},
      {0.25f, 1, 0.0f, 0.0f, 0.0f, 0.0f},
      {0.5f, 2, 0.0f, 0.0f, 0.0f, 0.0f},
      {0.625f, 2, 0.5f, 0.25f, 0.5f, 0.707106769f},
      {0.75f, 3, 0.0f, 0.0f, 0.0f, 0.0f},
      {0.9998f, 3, 0.9992f, 0.4996f, 0.999f, 0.999499857f},
  };
  for (const auto& c : cases) {
    const TCappedPlan capped = CappedPlan(c.p);
    const TJumpPlan jump = JumpPlan(c.p);
    EXPECT_EQ(capped.Shot.Index, c.shot) << c.p;
    EXPECT_EQ(jump.Shot.Index, c.shot) << c.p;
    EXPECT_NEAR(capped.Shot.Fraction, c.cappedFraction, 1e-5) << c.p;
    EXPECT_NEAR(jump.Shot.Fraction, c.jumpFraction, 1e-5) << c.p;
    EXPECT_NEAR(capped.FadeLevel, c.cappedLevel, 1e-6) << c.p;
    EXPECT_NEAR(jump.FadeLevel, c.jumpLevel, 1e-6) << c.p;
  }
  // Half a pulse step before the cut the level has already restarted.
  EXPECT_EQ(CappedPlan(0.2499f).FadeLevel, 0.0f);
  EXPECT_EQ(CappedPlan(0.2499f).Shot.Index, 0);
}

TEST(CappedScene, TurnsHalfARevolution)
{
  EXPECT_EQ(CappedPlan(0.0f).CapAngle, 0.0f);
  EXPECT_NEAR(CappedPlan(0.5f).CapAngle, 90.0f, 1e-4);
  EXPECT_NEAR(CappedPlan(Below(1.0f)).CapAngle, 180.0f, 1e-4);
  EXPECT_LT(CappedPlan(Below(1.0f)).CapAngle, 180.0f);
}

TEST(JumpScene, SwitchesToDarkWaterInTheLastQuarter)
{
  struct {
    float p;
    bool water;
    int fieldA, fieldB;
  } cases[] = {
      {0.0f, false, 0, 0},
      {Below(0.75f), false, 0, 0},
      {0.75f, true, 1, 2},              // 12 * 0.75 = 9
      {Above(0.75f), true, 1, 2},
      {0.8334f, true, 2, 3},            // 10.0008
      {Below(1.0f), true, 3, 0},        // 11.99..., wraps to the first field
  };
  for (const auto& c : cases) {
    const TJumpPlan plan = JumpPlan(c.p);
    EXPECT_EQ(plan.Water, c.water) << c.p;
    if (c.water) {
      const TWaterBlend blend = WaterBlend(plan.WaterPhase);
      EXPECT_EQ(blend.a, c.fieldA) << c.p;
      EXPECT_EQ(blend.b, c.fieldB) << c.p;
    }
  }
  // The rings' phase uses p / 3 rounded to a float before the rate 4.
  const float p = 0.7f;
  EXPECT_EQ(JumpPlan(p).RingP, p / 3);
}

TEST(SceneShake, BeatStepsShakeAndTheAtomQuakesPastItsMiddle)
{
  SeedGuard guard;
  // Steps are Trunc(128 p) mod 32; steps 0, 2, 6, 10, 20, 22 shake.
  struct {
    float p;
    int shakeDraws;
    bool quake;
  } cases[] = {
      {0.0f, 3, false},        {Below(1 / 128.0f), 3, false}, {1 / 128.0f, 0, false},
      {2 / 128.0f, 3, false},  {6.5f / 128, 3, false},        {20 / 128.0f, 3, false},
      {23 / 128.0f, 0, false}, {0.5f, 3, false},              {65 / 128.0f, 0, true},
      {66 / 128.0f, 3, true},  {Below(1.0f), 0, true},
  };
  for (const auto& c : cases) {
    RandomSeed = 777;
    BeatShake(c.p, 2);
    EXPECT_EQ(DrawsSince(777), c.shakeDraws) << c.p;
    EXPECT_EQ(AtomPlan(c.p).Quake, c.quake) << c.p;
  }
}

TEST(SceneShake, QuakeGrowsFromTheMiddleOfAtom)
{
  SeedGuard guard;
  struct {
    float p;
    bool quake;
    float xy, z;  // full amplitude along x and y, and along z
  } cases[] = {
      {0.25f, false, 0, 0},
      {0.5f, false, 0, 0},
      {0.75f, true, 28.75f, 11.25f},
      {Below(1.0f), true, 57.5f, 22.5f},
  };
  for (const auto& c : cases) {
    const TAtomPlan plan = AtomPlan(c.p);
    EXPECT_EQ(plan.Quake, c.quake) << c.p;
    EXPECT_NEAR(plan.QuakeAmplitude.x, c.xy, 1e-3) << c.p;
    EXPECT_NEAR(plan.QuakeAmplitude.y, c.xy, 1e-3) << c.p;
    EXPECT_NEAR(plan.QuakeAmplitude.z, c.z, 1e-3) << c.p;
    for (uint32_t seed : {1u, 99u, 123456u, 0xdeadbeefu}) {
      RandomSeed = seed;
      const TVector3 offset = RandomJolt(plan.QuakeAmplitude);
      EXPECT_LE(std::fabs(offset.x), c.xy / 2) << c.p;
      EXPECT_LE(std::fabs(offset.y), c.xy / 2) << c.p;
      EXPECT_LE(std::fabs(offset.z), c.z / 2) << c.p;
    }
  }
}

// From seed 4242 the generator gives 1137, 4852 and 6419: the first number
// moves along z, the third along x, each by (r / 10000 - 0.5) of the
// amplitude, and exactly three numbers are drawn.
TEST(SceneShake, JoltDrawsThreeNumbersZFirst)
{
  SeedGuard guard;
  struct {
    TVector3 amplitude;
    TVector3 offset;
  } cases[] = {
      {{28.75f, 28.75f, 11.25f}, {4.07962513f, -0.425500005f, -4.34587479f}},
      {{2, 2, 2}, {0.283800006f, -0.0296f, -0.772599995f}},
  };
  for (const auto& c : cases) {
    RandomSeed = 4242;
    const TVector3 offset = RandomJolt(c.amplitude);
    EXPECT_FLOAT_EQ(offset.x, c.offset.x);
    EXPECT_FLOAT_EQ(offset.y, c.offset.y);
    EXPECT_FLOAT_EQ(offset.z, c.offset.z);
    EXPECT_EQ(DrawsSince(4242), 3);
  }
}

// On a beat step the shake moves the view by the jolt of amplitude (a, a, a);
// off the beat it leaves the view alone.
TEST(SceneShake, BeatShakeTranslatesTheViewByTheJolt)
{
  std::string error;
  if (!UseHeadlessContext(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  struct {
    float p;
    float x, y, z;
  } cases[] = {{0.0f, 0.283800006f, -0.0296f, -0.772599995f}, {1.5f / 128, 0, 0, 0}};
  for (const auto& c : cases) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    RandomSeed = 4242;
    BeatShake(c.p, 2);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_FLOAT_EQ(m[12], c.x) << c.p;
    EXPECT_FLOAT_EQ(m[13], c.y) << c.p;
    EXPECT_FLOAT_EQ(m[14], c.z) << c.p;
    EXPECT_EQ(m[0] + m[5] + m[10] + m[15], 4.0f) << c.p;
  }
  glLoadIdentity();
}

TEST(AtomScene, FlashGrowsFromNothing)
{
  // The float nearest 0.45 lies just below it: no flash yet.
  EXPECT_FALSE(AtomPlan(0.45f).Flash);

  const TAtomPlan first = AtomPlan(Above(0.45f));
  ASSERT_TRUE(first.Flash);
  for (int i = 0; i < AtomQuadCount; ++i) {
    EXPECT_GE(first.QuadA[i], 0.0f);
    EXPECT_LT(first.QuadA[i], 1e-3f);
    EXPECT_LT(first.QuadB[i], 0.0f) << "mirrored in depth before p = 0.5";
  }
  for (float s : first.ShellScale) {
    EXPECT_TRUE(std::isfinite(s));
    EXPECT_GE(s, 0.0f);
    EXPECT_LT(s, 1.0f);
  }

  struct {
    float p;
    float quadA[AtomQuadCount];
    float quadB[AtomQuadCount];
    float firstShell, lastShell;  // scales of shells 2 and 27
  } cases[] = {
      {0.5f, {65, 130, 195, 260, 325}, {0, 0, 0, 0, 0}, 0.458437f, 6.18890f},
      {0.75f, {390, 780, 1170, 1560, 1950}, {325, 650, 975, 1300, 1625}, 0.573520f, 7.74253f},
  };
  for (const auto& c : cases) {
    const TAtomPlan plan = AtomPlan(c.p);
    ASSERT_TRUE(plan.Flash);
    for (int i = 0; i < AtomQuadCount; ++i) {
      EXPECT_NEAR(plan.QuadA[i], c.quadA[i], 1e-3) << c.p << " quad " << i + 1;
      EXPECT_NEAR(plan.QuadB[i], c.quadB[i], 1e-3) << c.p << " quad " << i + 1;
    }
    EXPECT_NEAR(plan.ShellScale[0], c.firstShell, 1e-4) << c.p;
    EXPECT_NEAR(plan.ShellScale[AtomShellCount - 1], c.lastShell, 1e-4) << c.p;
    for (int k = 1; k < AtomShellCount; ++k)
      EXPECT_GT(plan.ShellScale[k], plan.ShellScale[k - 1]) << c.p;
  }
}

TEST(AtomScene, GlowIsContinuousAcrossTheMiddle)
{
  struct {
    float p;
    bool fade;
    float fadeAlpha;
    float glow;
    float advance;
  } cases[] = {
      {0.0f, true, 1.0f, 0.0f, 40.0f},
      {0.25f, true, 0.5f, 0.25f, 46.25f},
      {0.5f, true, 0.0f, 0.5f, 52.5f},
      {Above(0.5f), false, 0.0f, 0.5f, 52.5f},
      {0.75f, false, 0.0f, 0.625f, 55.625f},
      {Below(1.0f), false, 0.0f, 0.75f, 58.75f},
  };
  for (const auto& c : cases) {
    const TAtomPlan plan = AtomPlan(c.p);
    ASSERT_EQ(plan.Fade.has_value(), c.fade) << c.p;
    if (c.fade) {
      EXPECT_EQ(plan.Fade->Blend, TFadeBlend::Alpha);
      EXPECT_NEAR(plan.Fade->Colour.a, c.fadeAlpha, 1e-6) << c.p;
    }
    EXPECT_NEAR(plan.FadeLevel, c.glow, 1e-6) << c.p;
    ASSERT_EQ(plan.Captions.size(), 1u);
    EXPECT_NEAR(plan.Captions[0].Advance, c.advance, 1e-4) << c.p;
    EXPECT_NEAR(plan.Captions[0].Colour.a, c.glow, 1e-6) << c.p;
  }
}

TEST(OutroScene, ShowsOneGreetingPerSlot)
{
  struct {
    float p;
    int slot;
    float alpha;
  } cases[] = {
      {0.0f, 0, 0.0f},
      {1 / 16.0f, 1, 0.0f},
      {2 / 16.0f, 2, 0.0f},            // the first name, still transparent
      {2.5f / 16, 2, 0.5f},
      {2.9988f / 16, 2, 0.999f},       // nearly opaque just before its slot ends
      {3 / 16.0f, 3, 0.0f},            // replaced by the next name at alpha 0
      {13.5f / 16, 13, 0.5f},
      {14 / 16.0f, 14, 0.0f},
      {Below(1.0f), 15, 0.0f},         // rounds up to a whole slot
  };
  for (const auto& c : cases) {
    const TOutroPlan plan = OutroPlan(c.p);
    EXPECT_EQ(plan.Slot, c.slot) << c.p;
    ASSERT_EQ(plan.Captions.size(), 1u);
    EXPECT_EQ(plan.Captions[0].Text, GreetingList[c.slot]) << c.p;
    EXPECT_NEAR(plan.Captions[0].Colour.a, c.alpha, 1e-6) << c.p;
  }
  // A progress outside the scene (Render called by hand) still names a slot.
  EXPECT_EQ(OutroPlan(-1.0f).Slot, 0);
  EXPECT_EQ(OutroPlan(1.0f).Slot, 15);
}

TEST(OutroScene, GreetingNamesHaveTheirSlotLengths)
{
  const size_t lengths[GreetingSlotCount] = {0, 0, 3, 5, 5, 8, 4, 6, 10, 6, 3, 9, 4, 3, 0, 0};
  for (int slot = 0; slot < GreetingSlotCount; ++slot) {
    const std::string name = GreetingList[slot];
    EXPECT_EQ(name.size(), lengths[slot]) << slot;
    for (char ch : name)
      EXPECT_TRUE(std::isupper(static_cast<unsigned char>(ch)) ||
                  std::isdigit(static_cast<unsigned char>(ch)))
          << slot << ": " << name;
  }
}

TEST(OutroScene, WaterBlendsThreePairsOverTheScene)
{
  struct {
    float p;
    int fieldA;
  } cases[] = {{0.0f, 0}, {Below(1 / 3.0f), 0}, {0.34f, 1}, {0.67f, 2}, {Below(1.0f), 2}};
  for (const auto& c : cases)
    EXPECT_EQ(WaterBlend(OutroPlan(c.p).WaterPhase).a, c.fieldA) << c.p;
}

TEST(LastScene, TravelsPartOfEachPath)
{
  struct {
    float p;
    float world, corridor, fadeLevel;
  } cases[] = {
      {0.0f, 0.3f, 0.0f, 1.0f},
      {0.5f, 0.4f, 0.4f, 0.5f},
      {Below(1.0f), 0.5f, 0.8f, 0.0f},
  };
  for (const auto& c : cases) {
    const TLastPlan plan = LastPlan(c.p);
    EXPECT_NEAR(plan.WorldFraction, c.world, 1e-6) << c.p;
    EXPECT_NEAR(plan.CorridorFraction, c.corridor, 1e-6) << c.p;
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 1e-6) << c.p;
  }
  // Water as in the city scenes: one height-field pair every twelfth.
  EXPECT_EQ(WaterBlend(LastPlan(Below(1.0f)).WaterPhase).a, 3);
}

TEST(MovrikScene, FlashThenFadeOverTheShownPart)
{
  // The scene is cut short: the program ends after 223999.
  const float lastShown = static_cast<float>((223999 - 216119) / 10174.0);
  struct {
    float p;
    bool flash;
    float flashGrey;
    bool fade;
    float fadeAlpha;
    float fadeLevel;
    float nameAdvance;
  } cases[] = {
      {0.0f, true, 1.0f, false, 0, 1.0f, 65.0f},
      {0.125f, true, 0.0830f, false, 0, 0.875f, 68.125f},
      {0.25f, false, 0, false, 0, 0.75f, 71.25f},
      {0.5f, false, 0, false, 0, 0.5f, 77.5f},
      {Above(0.5f), false, 0, true, 0.0f, 0.5f, 77.5f},
      {lastShown, false, 0, true, 0.5767f, 0.2255f, 84.363f},
  };
  for (const auto& c : cases) {
    const TMovrikPlan plan = MovrikPlan(c.p);
    ASSERT_EQ(plan.Flash.has_value(), c.flash) << c.p;
    if (c.flash) {
      EXPECT_EQ(plan.Flash->Blend, TFadeBlend::Additive);
      EXPECT_NEAR(plan.Flash->Colour.g, c.flashGrey, 1e-4) << c.p;
    }
    ASSERT_EQ(plan.Fade.has_value(), c.fade) << c.p;
    if (c.fade) {
      EXPECT_EQ(plan.Fade->Blend, TFadeBlend::Alpha);
      EXPECT_NEAR(plan.Fade->Colour.a, c.fadeAlpha, 1e-4) << c.p;
    }
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 1e-4) << c.p;
    ASSERT_EQ(plan.Captions.size(), 5u);
    EXPECT_NEAR(plan.Captions[1].Advance, c.nameAdvance, 1e-3) << c.p;
  }
  EXPECT_NEAR(MovrikPlan(lastShown).StreakLift, 542.2f, 0.1f);
  EXPECT_EQ(MovrikPlan(lastShown).StreakP, lastShown / 3);
}

TEST(MovrikScene, CreditLinesStayInsideTheWindow)
{
  const TMovrikPlan plan = MovrikPlan(0.3f);
  ASSERT_EQ(plan.Captions.size(), 5u);
  EXPECT_EQ(plan.Captions[4].Text.size(), 14u);
  // The small lines stay inside the window with their overlapping cells.
  for (const TCaption& caption : plan.Captions) {
    const auto quads = LayoutText(caption.Text, caption.X, caption.Y, caption.GlyphWidth,
                                  caption.GlyphHeight, caption.Advance);
    ASSERT_FALSE(quads.empty());
    EXPECT_GE(quads.front().x0, 0.0f) << caption.Text;
    EXPECT_LE(quads.back().x1, 640.0f) << caption.Text;
  }
}

namespace {

// Two textures of one colour each under the Wobbla keys, and flat square
// models facing the viewer side by side, each in its own display list, drawn
// with the default light and an identity camera. The global texture list and
// model list are restored afterwards.
class WobblaPassTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    std::string error;
    if (!UseHeadlessContext(error))
      GTEST_SKIP() << error;
    SavedTextures = std::make_unique<TTextureList>(Textures);
    SavedModels = WobblaModels;
    Textures = TTextureList();
    ASSERT_TRUE(ListTexture(Textures, "WOBBLAENV", MakeTexture(0, 255, 0)));
    ASSERT_TRUE(ListTexture(Textures, "WOBBLAENVRED", MakeTexture(255, 0, 0)));

    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glEnable(GL_LIGHT0);
    const float ambient[4] = {0, 0, 0, 1};
    const float diffuse[4] = {1, 1, 1, 1};
    const float towardsViewer[4] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  void TearDown() override
  {
    if (SavedTextures)
      Textures = *SavedTextures;
    WobblaModels = SavedModels;
    glDisable(GL_LIGHT0);
  }

  static uint32_t MakeTexture(uint8_t r, uint8_t g, uint8_t b)
  {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    const uint8_t texel[4] = {r, g, b, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return id;
  }

  // Model k covers the k-th of `count` vertical strips of the view.
  void MakeModels(int count)
  {
    WobblaModels = TGeoxScene();
    for (int k = 0; k < count; ++k) {
      TGeoxData model;
      AllocateGeox(model, 4, 2);
      const float x0 = -1 + 2.0f * k / count;
      const float x1 = -1 + 2.0f * (k + 1) / count;
      const float corners[4][2] = {{x0, -1}, {x1, -1}, {x1, 1}, {x0, 1}};
      for (int v = 0; v < 4; ++v)
        model.Vertices[v] = GeoxVertex{corners[v][0], corners[v][1], 0, 0, 0, 1, 0, 0};
      model.Faces[0] = GeoxFace{0, 1, 2, 0, 0, 1};
      model.Faces[1] = GeoxFace{0, 2, 3, 0, 0, 1};
      model.ListId = glGenLists(1);
      glNewList(model.ListId, GL_COMPILE);
      DrawGeoxSmooth(model);
      glEndList();
      WobblaModels.Models.push_back(model);
      WobblaModels.Names.push_back("BLOB");
      WobblaModels.FileNames.push_back("BLOB.GEOX");
    }
    WobblaModels.Count = count;
  }

  // Which texture colour shows in the middle of strip k of count.
  static char StripColour(const std::vector<uint8_t>& frame, int k, int count)
  {
    const TPixel pixel = PixelAt(frame, 640 * (2 * k + 1) / (2 * count), 240);
    if (pixel.r > 150 && pixel.g < 50 && pixel.b < 50)
      return 'R';
    if (pixel.g > 150 && pixel.r < 50 && pixel.b < 50)
      return 'G';
    if (pixel.b > 150 && pixel.r < 50 && pixel.g < 50)
      return 'B';  // the background: nothing drawn here
    return '?';
  }

  std::unique_ptr<TTextureList> SavedTextures;
  TGeoxScene SavedModels;
};

}  // namespace

TEST_F(WobblaPassTest, OnlyTheLastModelIsRed)
{
  struct {
    int count;
    const char* strips;
  } cases[] = {{3, "GGR"}, {1, "R"}, {0, "B"}};
  for (const auto& c : cases) {
    glClear(GL_COLOR_BUFFER_BIT);
    MakeModels(c.count);
    DrawWobblaModels();
    const std::vector<uint8_t> frame = ReadFrame();
    std::string strips;
    const int n = c.count > 0 ? c.count : 1;
    for (int k = 0; k < n; ++k)
      strips += StripColour(frame, k, n);
    EXPECT_EQ(strips, c.strips) << c.count << " models";
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  }
}

namespace {

// The real scene table with every scene prepared on the generated content,
// in the started demo. False, with the reason, without GL or content.
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

// A music time at fraction f of the scene's shown interval (cut off at the
// last frame the program draws).
int32_t TimeAt(const mve_genericscene& scene, double f)
{
  const int32_t end = std::min(scene.EndTime, LastFrameTime + 1);
  return scene.StartTime + static_cast<int32_t>(f * (end - scene.StartTime));
}

// The frame at music time t as a fresh start of the demo draws it first, with
// the captions in `font`: the screen copies and the glow and blur targets
// black, and a frame time long enough to make the trail's alpha negative, so
// no earlier frame shows. The random generator is put back, so that a second
// call jolts the view the same.
std::vector<uint8_t> RenderAfresh(int32_t t, uint32_t font)
{
  const uint32_t realFont = FontTexture;
  FontTexture = font;
  ClearRenderTarget(ScreenCopyA, 1024, 512);
  ClearRenderTarget(ScreenCopyB, 1024, 512);
  ClearRenderTarget(GlowTexture, 256, 256);
  ClearRenderTarget(BlurTexture, 128, 128);
  FrameStep = 20;
  FrameElapsed = 10 * FrameStep;
  const uint32_t seed = RandomSeed;
  RenderHeadlessFrame(t, FramePace);
  RandomSeed = seed;
  FontTexture = realFont;
  return ReadFrame();
}

// The frame at t drawn afresh with the real font and with the blank one.
struct TFramePair {
  std::vector<uint8_t> Shown, Plain;
};
TFramePair RenderWithAndWithoutFont(int32_t t)
{
  return {RenderAfresh(t, FontTexture), RenderAfresh(t, BlankFont())};
}

// The box of one non-blank character of a caption, as the text layout places
// it, with the caption's colour: +1 for white letters, -1 for black ones.
struct TGlyphBox {
  float x0, x1, top, bottom;
  int Sign;
  char Char;
  std::string Text;
};

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

// Mean of the three channels, 0 to 255.
double Grey(const std::vector<uint8_t>& frame, int x, int y)
{
  const TPixel p = PixelAt(frame, x, y);
  return (p.r + p.g + p.b) / 3.0;
}

// A pixel in the letters' own colour: every channel at most 40 for black
// letters, at least 235 for white ones.
bool Ink(const std::vector<uint8_t>& frame, int x, int y, int sign)
{
  const TPixel p = PixelAt(frame, x, y);
  return sign < 0 ? std::max({p.r, p.g, p.b}) <= 40 : std::min({p.r, p.g, p.b}) >= 235;
}

// Whether the centre of pixel (x, y) lies in the box, widened by one pixel.
bool InBox(const TGlyphBox& b, int x, int y)
{
  return b.x0 - 1 <= x + 0.5 && x + 0.5 <= b.x1 + 1 && b.top - 1 <= y + 0.5 && y + 0.5 <= b.bottom + 1;
}

// Compares the frame drawn with the font and with the blank one: every pixel
// that changes by more than 6 of 255 lies in the box of a non-blank
// character, black letters darken and white ones brighten their boxes, and
// every box over a background its letters can show on (mean grey above 40
// for black letters, below 215 for white ones) holds at least 20 such pixels;
// at least three boxes can show.
void ExpectGlyphsInTheirBoxes(const TFramePair& frames, const std::vector<TGlyphBox>& boxes)
{
  std::vector<int> inked(boxes.size(), 0);
  std::vector<double> behind(boxes.size(), 0);
  std::vector<int> area(boxes.size(), 0);
  int stray = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
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
      EXPECT_GE(inked[i], 20) << "\"" << boxes[i].Text << "\" shows no glyph in the box of '"
                              << boxes[i].Char << "' at x " << boxes[i].x0 << " to " << boxes[i].x1;
    }
  }
  EXPECT_GE(showable, 3) << "caption boxes on a background that can show them";
}

// Every glyph box holds more than minInk pixels of its letters' colour in its
// middle (the part no neighbouring box of its line overlaps, two pixels in from
// top and bottom), and the picture from 80 pixels above the lines down to the
// lower bar holds none outside the boxes.
void ExpectInkInTheBoxesOnly(const std::vector<uint8_t>& frame,
                             const std::vector<std::vector<TGlyphBox>>& lines, int minInk)
{
  std::vector<TGlyphBox> all;
  float top = 480;
  for (const auto& line : lines)
    for (size_t k = 0; k < line.size(); ++k) {
      const TGlyphBox& b = line[k];
      all.push_back(b);
      top = std::min(top, b.top);
      const float left = k > 0 ? std::max(b.x0, line[k - 1].x1) : b.x0;
      const float right = k + 1 < line.size() ? std::min(b.x1, line[k + 1].x0) : b.x1;
      int ink = 0;
      for (int y = static_cast<int>(b.top) + 2; y < static_cast<int>(b.bottom) - 2; ++y)
        for (int x = static_cast<int>(std::ceil(left)); x < static_cast<int>(right); ++x)
          ink += Ink(frame, x, y, b.Sign);
      EXPECT_GT(ink, minInk) << "'" << b.Char << "' of \"" << b.Text << "\" at x " << b.x0;
    }
  ASSERT_FALSE(all.empty());
  const int sign = all.front().Sign;
  int stray = 0;
  for (int y = std::max(60, static_cast<int>(top) - 80); y < 420; ++y)
    for (int x = 0; x < 640; ++x)
      stray += Ink(frame, x, y, sign) &&
               std::none_of(all.begin(), all.end(), [&](const TGlyphBox& b) { return InBox(b, x, y); });
  EXPECT_EQ(stray, 0) << "pixels of the letters' colour around the captions";
}

}  // namespace

// Every scene's captions, on frames the demo renders: at the sample times the
// letters show in the boxes the text layout gives them and nowhere else, and
// where a scene's captions start transparent its first frame shows none.
TEST(SceneFrames, CaptionsShowInTheirGlyphBoxes)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  for (const TSceneRow& row : SceneRows) {
    const mve_genericscene& scene = *SceneTable[row.Slot];
    for (const TCaptionSample& sample : row.CaptionSamples) {
      SCOPED_TRACE(std::string(row.Name) + " at t = " + std::to_string(sample.Time));
      const auto lines = GlyphBoxes(row.Plan(scene.Progress(sample.Time)).Captions);
      std::vector<TGlyphBox> boxes;
      for (const auto& line : lines)
        boxes.insert(boxes.end(), line.begin(), line.end());
      const TFramePair frames = RenderWithAndWithoutFont(sample.Time);
      ExpectGlyphsInTheirBoxes(frames, boxes);
      if (sample.MinInk > 0)
        ExpectInkInTheBoxesOnly(frames.Shown, lines, sample.MinInk);
    }
    const bool clearAtStart =
        !row.Lines.empty() && std::all_of(row.Lines.begin(), row.Lines.end(),
                                          [](const TLineRow& line) { return line.Alpha[0] == 0; });
    if (clearAtStart) {
      SCOPED_TRACE(std::string(row.Name) + " at its start");
      const TFramePair frames = RenderWithAndWithoutFont(scene.StartTime);
      EXPECT_TRUE(frames.Shown == frames.Plain) << "a caption shows at p = 0";
    }
  }
}

// The first frame of the scenes that open under an opaque black quad is black
// all over (only the blur of black shows); those that open on a full white
// flash are white in the middle. The picture is taken without the captions,
// which are checked on their own.
TEST(SceneFrames, FirstFramesOpenBlackOrWhite)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  for (const TSceneRow& row : SceneRows) {
    if (row.Opening == TOpening::Picture)
      continue;
    const int32_t t = SceneTable[row.Slot]->StartTime;
    SCOPED_TRACE(std::string(row.Name) + " at t = " + std::to_string(t));
    const std::vector<uint8_t> frame = RenderAfresh(t, BlankFont());
    if (row.Opening == TOpening::Black) {
      EXPECT_LE(*std::max_element(frame.begin(), frame.end()), 2) << "brightest channel";
    } else {
      int white = 0;
      for (int y = 220; y < 260; ++y)
        for (int x = 300; x < 340; ++x)
          white += Ink(frame, x, y, 1);
      EXPECT_EQ(white, 1600) << "white pixels in the middle 40 x 40";
    }
  }
}

// Render draws three random numbers on a beat step when the scene shakes,
// and the atom three more on every frame past its middle.
TEST(SceneFrames, RenderDrawsTheShakeAndQuakeNumbers)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  const double steps[4] = {0.5 / 128, 1.5 / 128, 65.5 / 128, 66.5 / 128};
  for (const TSceneRow& row : SceneRows) {
    mve_genericscene& scene = *SceneTable[row.Slot];
    for (int k = 0; k < 4; ++k) {
      const int32_t t = scene.StartTime + static_cast<int32_t>(steps[k] * (scene.EndTime - scene.StartTime));
      SCOPED_TRACE(std::string(row.Name) + " at t = " + std::to_string(t));
      RandomSeed = 777;
      scene.Render(t);
      EXPECT_EQ(DrawsSince(777), row.Draws[k]);
    }
  }
}

// Every scene, rendered in the started demo at a few moments, hands the frame
// over in the state the next frame's first steps expect, without GL errors.
TEST(SceneFrames, ScenesLeaveTheFrameStateForTheNext)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  for (const TSceneRow& row : SceneRows) {
    mve_genericscene& scene = *SceneTable[row.Slot];
    for (double f : {0.0, 0.3, 0.47, 0.6, 0.8, 0.999}) {
      const int32_t t = TimeAt(scene, f);
      SCOPED_TRACE(std::string(row.Name) + " at t = " + std::to_string(t));
      while (glGetError() != GL_NO_ERROR) {
      }
      scene.Render(t);
      EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
      GLint viewport[4];
      glGetIntegerv(GL_VIEWPORT, viewport);
      EXPECT_EQ(viewport[1], 0);
      EXPECT_EQ(viewport[3], 480);
      GLboolean depthMask = GL_FALSE;
      glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
      EXPECT_EQ(depthMask, GL_TRUE);
      EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
      EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
      EXPECT_FALSE(glIsEnabled(GL_BLEND));
      EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
      EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    }
  }
}
