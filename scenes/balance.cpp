#include "scenes/plans.h"
#include "scenes/passes.h"
#include "scenes/scenes.h"

#include "engine/assets.h"

#include <GL/gl.h>

namespace {

TCameraPath BalancePath = {};

}  // namespace

void tscene_balance::Prepare()
{
  LoadCameraPath(BalancePath, "data\\scene_balance.camera");
}

void tscene_balance::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TBalancePlan plan = BalancePlan(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(BalancePath, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  glPushMatrix();
  PlaceHumanModels(-48);
  for (int i = 0; i < HumcModels.Count; ++i)
    DrawModelLit(HumcModels, i);
  glPopMatrix();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, black, black);
  DrawSmokeColumns(p, 2);
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawFadeQuad(plan.Fade.Colour, plan.Fade.Blend);
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
