// The scenes' plans, worked out without GL: the shot and fade arithmetic
// they share and the table's plan columns for every scene.
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
