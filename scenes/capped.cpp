#include "scenes/scenes.h"

#include "engine/camera.h"
#include "scenes/frame.h"
#include "scenes/passes.h"
#include "scenes/plans.h"

#include <GL/gl.h>

namespace {

TCameraPath CappedPaths[4] = {};

}  // namespace

void tscene_capped::Prepare()
{
  LoadCameraPath(CappedPaths[0], "data\\scene_capped0.camera");
  LoadCameraPath(CappedPaths[1], "data\\scene_capped1.camera");
  LoadCameraPath(CappedPaths[2], "data\\scene_capped2.camera");
  LoadCameraPath(CappedPaths[3], "data\\scene_capped3.camera");
}

void tscene_capped::Render(int32_t t, TFramePacing pacing)
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
  EndSceneFrame(plan, pacing);
}
