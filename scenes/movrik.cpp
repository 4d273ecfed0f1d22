#include "scenes/scenes.h"

#include "engine/camera.h"
#include "engine/text.h"
#include "scenes/frame.h"
#include "scenes/plans.h"
#include "scenes/shots.h"

#include <GL/gl.h>

TCameraPath MovrikPath = {};

namespace {

}  // namespace

TMovrikPlan MovrikPlan(float p)
{
  TMovrikPlan plan = {};
  plan.PathFraction = p;
  plan.StreakLift = static_cast<float>(700.0 * p);
  plan.StreakP = p / 3;
  plan.Flash = p < 0.25f;
  if (plan.Flash)
    plan.FlashQuad = WhiteFlash(Pi * 2 * p);
  plan.Fade = p > 0.5f;
  if (plan.Fade)
    plan.FadeQuad = BlackFade(Pi * p);
  plan.FadeLevel = 1 - p;
  const float nameAdvance = static_cast<float>(65 + 25.0 * p);
  plan.Captions[0] = {"FASTDEMO FOR KESTUN 2006 BY", 320, 170, 20, 20, 15};
  plan.Captions[1] = {"MOVRIK", 320, 250, 90, 90, nameAdvance};
  plan.Captions[2] = {"WE ARE INVITING YOU TO VISIT", 320, 270, 20, 20, 15};
  plan.Captions[3] = {"VORDA ZALTORIVENKA 2006", 320, 300, 20, 20, 15};
  plan.Captions[4] = {"WWW.VORDAZ.ORG", 320, 330, 20, 20, 15};
  return plan;
}

void tscene_movrik::Prepare()
{
  LoadCameraPath(MovrikPath, "data\\scene_movrik.camera");
}

void tscene_movrik::Render(int32_t t)
{
  const float p = Progress(t);
  const TMovrikPlan plan = MovrikPlan(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(MovrikPath, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  // One slow layer of dust that climbs into the sky.
  glPushMatrix();
  glTranslatef(0, plan.StreakLift, 0);
  DrawStreaks(plan.StreakP, 4, black, black);
  glPopMatrix();
  DrawSun();
  if (plan.Flash)
    DrawFadeQuad(plan.FlashQuad.Colour, plan.FlashQuad.Blend);
  DrawLetterboxBars();
  // Drawn after the bars, so the black covers the whole window.
  if (plan.Fade) {
    DrawFadeQuad(plan.FadeQuad.Colour, plan.FadeQuad.Blend);
    glColor4f(1, 1, 1, 1);
  }
  FadeLevel = plan.FadeLevel;
  FinishFrame(0.3f, FadeLevel);
  for (const TCaption& caption : plan.Captions)
    DrawText(caption.Text, FontTexture, caption.X, caption.Y, caption.GlyphWidth,
             caption.GlyphHeight, caption.Advance, 1, 1, 1, 1);
}
