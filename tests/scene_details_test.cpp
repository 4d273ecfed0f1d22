// Each scene's own arithmetic and drawing passes, scene by scene.
#include "scene_rows.h"

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
