#include "scenes/plans.h"
#include "scenes/passes.h"
#include "scenes/scenes.h"

namespace {

TCameraPath WaterPath = {};

}  // namespace

void tscene_water::Prepare()
{
  LoadCameraPath(WaterPath, "data\\scene_water.camera");
}

void tscene_water::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TWaterPlan plan = WaterPlan(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(WaterPath, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, HazeLight, black);
  DrawSun();
  DrawGroundHaze(HazeDark);
  DrawWater(plan.WaterPhase);
  DrawSmokeColumns(p, 2);
  DrawFadeQuad(plan.Fade.Colour, plan.Fade.Blend);
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
