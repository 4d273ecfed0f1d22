#include "scenes/scenes.h"

#include "engine/camera.h"
#include "engine/text.h"
#include "scenes/frame.h"
#include "scenes/plans.h"

#include <GL/gl.h>

#include <cmath>

TCameraPath CappedPaths[4] = {};

namespace {

// The opening flash clears faster than the other scenes' (eighth root, three
// square roots), then the picture sinks into black from the middle on.
TFade CappedFade(float p)
{
  const double u = Pi * p;
  if (p <= 0.5f) {
    const float c = static_cast<float>(1 - std::sqrt(std::sqrt(std::sqrt(std::sin(u)))));
    return TFade{{c, c, c, 1}, TFadeBlend::Additive};
  }
  return BlackFade(u);
}

}  // namespace

TCappedPlan CappedPlan(float p)
{
  TCappedPlan plan;
  plan.Shot = ChooseShot(p, 4, 4);
  plan.CapAngle = static_cast<float>(180.0 * p);
  plan.Fade = CappedFade(p);
  plan.FadeLevel = static_cast<float>(ShotPulse(p, 4));
  plan.CaptionAdvance = CaptionAdvance(p);
  plan.CaptionAlpha = p;
  return plan;
}

void tscene_capped::Prepare()
{
  LoadCameraPath(CappedPaths[0], "data\\scene_capped0.camera");
  LoadCameraPath(CappedPaths[1], "data\\scene_capped1.camera");
  LoadCameraPath(CappedPaths[2], "data\\scene_capped2.camera");
  LoadCameraPath(CappedPaths[3], "data\\scene_capped3.camera");
}

void tscene_capped::Render(int32_t t)
{
  const float p = Progress(t);
  const TCappedPlan plan = CappedPlan(p);

  SceneCamera(CappedPaths[plan.Shot.Index], plan.Shot.Fraction);
  DrawSky();
  BeginSceneFrame();
  BeatShake(p, 2);
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, HazeLight, TColour{0, 0, 0, 1});
  glPushMatrix();
  glRotatef(plan.CapAngle, 0, 1, 0);
  DrawArounderModel();
  glPopMatrix();
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawSmokeColumns(p, 2);
  DrawFadeQuad(plan.Fade.Colour, plan.Fade.Blend);
  DrawLetterboxBars();
  FadeLevel = plan.FadeLevel;
  FinishFrame(0.3f, FadeLevel);
  DrawText("ZALTORIVENKA", FontTexture, 320, 420, 50, 50, plan.CaptionAdvance, 0, 0, 0,
           plan.CaptionAlpha);
}
