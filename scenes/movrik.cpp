#include "scenes/scenes.h"

#include "engine/camera.h"
#include "scenes/frame.h"
#include "scenes/passes.h"
#include "scenes/plans.h"

#include <GL/gl.h>

namespace {

TCameraPath MovrikPath = {};

}  // namespace

void tscene_movrik::Prepare()
{
  LoadCameraPath(MovrikPath, "data\\scene_movrik.camera");
}

void tscene_movrik::Render(int32_t t, TFramePacing pacing)
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
    DrawFadeQuad(plan.Flash->Colour, plan.Flash->Blend);
  DrawLetterboxBars();
  // Drawn after the bars, so the black covers the whole window.
  if (plan.Fade) {
    DrawFadeQuad(plan.Fade->Colour, plan.Fade->Blend);
    glColor4f(1, 1, 1, 1);
  }
  EndSceneFrame(plan, pacing);
}
