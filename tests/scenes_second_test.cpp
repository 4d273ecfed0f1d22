#include "scenes/plans.h"

#include "engine/assets.h"
#include "engine/text.h"
#include "host/timeline.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

namespace {

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

float Above(float p)
{
  return std::nextafter(p, 2.0f);
}

float Below(float p)
{
  return std::nextafter(p, -1.0f);
}

}  // namespace

TEST(SecondHalfPlans, FourShotScenesCutEveryQuarter)
{
  // capped flies each path whole and sharpens linearly; jump flies the first
  // half of each path and sharpens along a square root.
  struct {
    float p;
    int shot;
    float cappedFraction, jumpFraction;
    float cappedLevel;
  } cases[] = {
      {0.0f, 0, 0.0f, 0.0f, 0.0f},
      {0.2498f, 0, 0.9992f, 0.4996f, 0.999f},
      {0.25f, 1, 0.0f, 0.0f, 0.0f},
      {0.5f, 2, 0.0f, 0.0f, 0.0f},
      {0.625f, 2, 0.5f, 0.25f, 0.5f},
      {0.75f, 3, 0.0f, 0.0f, 0.0f},
      {0.9998f, 3, 0.9992f, 0.4996f, 0.999f},
  };
  for (const auto& c : cases) {
    const TCappedPlan capped = CappedPlan(c.p);
    const TJumpPlan jump = JumpPlan(c.p);
    EXPECT_EQ(capped.Shot.Index, c.shot) << c.p;
    EXPECT_EQ(jump.Shot.Index, c.shot) << c.p;
    EXPECT_NEAR(capped.Shot.Fraction, c.cappedFraction, 1e-5) << c.p;
    EXPECT_NEAR(jump.Shot.Fraction, c.jumpFraction, 1e-5) << c.p;
    EXPECT_NEAR(capped.FadeLevel, c.cappedLevel, 1e-6) << c.p;
    EXPECT_NEAR(jump.FadeLevel, std::sqrt(c.cappedLevel), 1e-6) << c.p;
  }
  // Half a pulse step before the cut the level has already restarted.
  EXPECT_EQ(CappedPlan(0.2499f).FadeLevel, 0.0f);
  EXPECT_EQ(CappedPlan(0.2499f).Shot.Index, 0);
}

TEST(SecondHalfPlans, FlashesAndFadesAtTheEndsOfEachScene)
{
  using TFadeOf = TFade (*)(float);
  using TLevelOf = float (*)(float);
  const TFadeOf rushFlash = [](float p) { return RushPlan(p).Flash; };
  const TLevelOf rushLevel = [](float p) { return RushPlan(p).FadeLevel; };
  const TFadeOf cappedFade = [](float p) { return CappedPlan(p).Fade; };
  const TLevelOf cappedLevel = [](float p) { return CappedPlan(p).FadeLevel; };
  const TFadeOf outroFlash = [](float p) { return OutroPlan(p).Flash; };
  const TLevelOf outroLevel = [](float p) { return OutroPlan(p).FadeLevel; };
  const auto additive = TFadeBlend::Additive;
  const auto alpha = TFadeBlend::Alpha;
  // Each row: the quad's blend, its grey (additive) or its black's alpha, and
  // the blur mix.
  struct {
    const char* scene;
    TFadeOf fadeOf;
    TLevelOf levelOf;
    float p;
    TFadeBlend blend;
    float level;
    float fadeLevel;
  } cases[] = {
      {"rush", rushFlash, rushLevel, 0.0f, additive, 1.0f, 0.0f},
      {"rush", rushFlash, rushLevel, 0.25f, additive, 0.0830f, 0.7071f},
      {"rush", rushFlash, rushLevel, 0.5f, additive, 0.0f, 1.0f},
      {"capped", cappedFade, cappedLevel, 0.0f, additive, 1.0f, 0.0f},
      {"capped", cappedFade, cappedLevel, 0.25f, additive, 0.0424f, 0.0f},
      // p = 0.5 still takes the white branch, which adds nothing there.
      {"capped", cappedFade, cappedLevel, 0.5f, additive, 0.0f, 0.0f},
      {"capped", cappedFade, cappedLevel, Above(0.5f), alpha, 0.0f, 0.0f},
      {"capped", cappedFade, cappedLevel, 0.75f, alpha, 0.5f, 0.0f},
      {"outro", outroFlash, outroLevel, 0.0f, additive, 1.0f, 0.0f},
      {"outro", outroFlash, outroLevel, 0.5f, additive, 0.0f, 1.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.scene) + " at p = " + std::to_string(c.p));
    const TFade fade = c.fadeOf(c.p);
    EXPECT_EQ(fade.Blend, c.blend);
    if (c.blend == TFadeBlend::Additive) {
      EXPECT_NEAR(fade.Colour.r, c.level, 1e-4);
      EXPECT_EQ(fade.Colour.r, fade.Colour.b);
      EXPECT_EQ(fade.Colour.a, 1.0f);
    } else {
      EXPECT_EQ(fade.Colour.r, 0.0f);
      EXPECT_NEAR(fade.Colour.a, c.level, 1e-4);
    }
    EXPECT_NEAR(c.levelOf(c.p), c.fadeLevel, 1e-3);
  }
}

TEST(SecondHalfPlans, CaptionsFadeInAndSpread)
{
  struct {
    float p;
    float alpha;
    float advance;
  } rushCases[] = {{0.0f, 0.0f, 40.0f}, {0.5f, 0.5f, 52.5f}, {Below(1.0f), 1.0f, 65.0f}};
  for (const auto& c : rushCases) {
    EXPECT_NEAR(RushPlan(c.p).CaptionAlpha, c.alpha, 1e-6) << c.p;
    EXPECT_NEAR(RushPlan(c.p).CaptionAdvance, c.advance, 1e-4) << c.p;
    EXPECT_NEAR(CappedPlan(c.p).CaptionAdvance, c.advance, 1e-4) << c.p;
    // jump spreads less: 40 to 50.
    EXPECT_NEAR(JumpPlan(c.p).CaptionAdvance, 40 + (c.advance - 40) * 0.4f, 1e-4) << c.p;
    EXPECT_NEAR(LastPlan(c.p).CaptionAlpha, c.alpha, 1e-6) << c.p;
  }
}

TEST(SecondHalfPlans, CappedTurnsHalfARevolution)
{
  EXPECT_EQ(CappedPlan(0.0f).CapAngle, 0.0f);
  EXPECT_NEAR(CappedPlan(0.5f).CapAngle, 90.0f, 1e-4);
  EXPECT_NEAR(CappedPlan(Below(1.0f)).CapAngle, 180.0f, 1e-4);
  EXPECT_LT(CappedPlan(Below(1.0f)).CapAngle, 180.0f);
}

TEST(SecondHalfPlans, JumpSwitchesToDarkWaterInTheLastQuarter)
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

TEST(SecondHalfPlans, BeatShakeAndQuakeDrawTheirRandomNumbers)
{
  SeedGuard guard;
  // Steps are Trunc(128 p) mod 32; steps 0, 2, 6, 10, 20, 22 shake. In atom
  // the quake adds three more draws on every frame past the middle.
  struct {
    float p;
    int shakeDraws;
    int atomDraws;
  } cases[] = {
      {0.0f, 3, 3},           {Below(1 / 128.0f), 3, 3}, {1 / 128.0f, 0, 0},
      {2 / 128.0f, 3, 3},     {6.5f / 128, 3, 3},        {20 / 128.0f, 3, 3},
      {23 / 128.0f, 0, 0},    {0.5f, 3, 3},              {65 / 128.0f, 0, 3},
      {66 / 128.0f, 3, 6},    {Below(1.0f), 0, 3},
  };
  for (const auto& c : cases) {
    RandomSeed = 777;
    BeatShake(c.p, 2);
    EXPECT_EQ(DrawsSince(777), c.shakeDraws) << c.p;

    RandomSeed = 777;
    BeatShake(c.p, 2);
    QuakeOffset(AtomPlan(c.p));
    EXPECT_EQ(DrawsSince(777), c.atomDraws) << c.p;
  }
}

TEST(SecondHalfPlans, QuakeGrowsFromTheMiddleOfAtom)
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
      const TVector3 offset = QuakeOffset(plan);
      EXPECT_LE(std::fabs(offset.x), c.xy / 2) << c.p;
      EXPECT_LE(std::fabs(offset.y), c.xy / 2) << c.p;
      EXPECT_LE(std::fabs(offset.z), c.z / 2) << c.p;
    }
  }
  // The first number drawn moves along z, the third along x.
  const TAtomPlan plan = AtomPlan(0.75f);
  RandomSeed = 4242;
  const int r1 = NextRandom(10000);
  const int r2 = NextRandom(10000);
  const int r3 = NextRandom(10000);
  RandomSeed = 4242;
  const TVector3 offset = QuakeOffset(plan);
  EXPECT_FLOAT_EQ(offset.x, static_cast<float>(28.75 * (r3 / 10000.0 - 0.5)));
  EXPECT_FLOAT_EQ(offset.y, static_cast<float>(28.75 * (r2 / 10000.0 - 0.5)));
  EXPECT_FLOAT_EQ(offset.z, static_cast<float>(11.25 * (r1 / 10000.0 - 0.5)));
}

TEST(SecondHalfPlans, AtomFlashGrowsFromNothing)
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

TEST(SecondHalfPlans, AtomGlowIsContinuousAcrossTheMiddle)
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
    EXPECT_EQ(plan.Fade, c.fade) << c.p;
    if (c.fade) {
      EXPECT_EQ(plan.FadeQuad.Blend, TFadeBlend::Alpha);
      EXPECT_NEAR(plan.FadeQuad.Colour.a, c.fadeAlpha, 1e-6) << c.p;
    }
    EXPECT_NEAR(plan.Glow, c.glow, 1e-6) << c.p;
    EXPECT_NEAR(plan.CaptionAdvance, c.advance, 1e-4) << c.p;
  }
}

TEST(SecondHalfPlans, OutroShowsOneGreetingPerSlot)
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
    EXPECT_EQ(plan.Caption, GreetingList[c.slot]) << c.p;
    EXPECT_NEAR(plan.CaptionAlpha, c.alpha, 1e-6) << c.p;
  }
  // A progress outside the scene (Render called by hand) still names a slot.
  EXPECT_EQ(OutroPlan(-1.0f).Slot, 0);
  EXPECT_EQ(OutroPlan(1.0f).Slot, 15);
}

TEST(SecondHalfPlans, GreetingNamesHaveTheirSlotLengths)
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

TEST(SecondHalfPlans, OutroWaterBlendsThreePairsOverTheScene)
{
  struct {
    float p;
    int fieldA;
  } cases[] = {{0.0f, 0}, {Below(1 / 3.0f), 0}, {0.34f, 1}, {0.67f, 2}, {Below(1.0f), 2}};
  for (const auto& c : cases)
    EXPECT_EQ(WaterBlend(OutroPlan(c.p).WaterPhase).a, c.fieldA) << c.p;
}

TEST(SecondHalfPlans, LastTravelsPartOfEachPath)
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

TEST(SecondHalfPlans, MovrikFlashThenFadeOverTheShownPart)
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
    EXPECT_EQ(plan.Flash, c.flash) << c.p;
    if (c.flash) {
      EXPECT_EQ(plan.FlashQuad.Blend, TFadeBlend::Additive);
      EXPECT_NEAR(plan.FlashQuad.Colour.g, c.flashGrey, 1e-4) << c.p;
    }
    EXPECT_EQ(plan.Fade, c.fade) << c.p;
    if (c.fade) {
      EXPECT_EQ(plan.FadeQuad.Blend, TFadeBlend::Alpha);
      EXPECT_NEAR(plan.FadeQuad.Colour.a, c.fadeAlpha, 1e-4) << c.p;
    }
    EXPECT_NEAR(plan.FadeLevel, c.fadeLevel, 1e-4) << c.p;
    EXPECT_NEAR(plan.Captions[1].Advance, c.nameAdvance, 1e-3) << c.p;
  }
  EXPECT_NEAR(MovrikPlan(lastShown).StreakLift, 542.2f, 0.1f);
  EXPECT_EQ(MovrikPlan(lastShown).StreakP, lastShown / 3);
}

TEST(SecondHalfPlans, MovrikCreditLines)
{
  const TMovrikPlan plan = MovrikPlan(0.3f);
  EXPECT_EQ(plan.Captions[0].Text, "FASTDEMO FOR KESTUN 2006 BY");
  EXPECT_EQ(plan.Captions[1].Text, "MOVRIK");
  EXPECT_EQ(plan.Captions[2].Text, "WE ARE INVITING YOU TO VISIT");
  EXPECT_EQ(plan.Captions[3].Text, "VORDA ZALTORIVENKA 2006");
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

// Every scene of the second half, rendered in the started demo at a few
// moments, hands the frame over in the state the next frame's first steps
// expect, without GL errors.
TEST(SecondHalfRender, ScenesLeaveTheFrameStateForTheNext)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  // Other tests replace the table; start from the real one with its paths.
  BuildSceneTable();
  for (int slot = 6; slot <= 12; ++slot) {
    mve_genericscene& scene = *SceneTable[slot];
    scene.Prepare();
    const int32_t start = scene.StartTime;
    const int32_t end = std::min(scene.EndTime, LastFrameTime + 1);
    for (double p : {0.0, 0.3, 0.47, 0.6, 0.8, 0.999}) {
      const int32_t t = start + static_cast<int32_t>(p * (end - start));
      SCOPED_TRACE("slot " + std::to_string(slot) + " at t = " + std::to_string(t));
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
