#include "scenes/passes.h"
#include "scenes/plans.h"
#include "scenes/scenes.h"

#include <string>

namespace {

TCameraPath PrefallPaths[8] = {};

}  // namespace

void tscene_prefall::Prepare()
{
  for (int i = 0; i < 8; ++i)
    LoadCameraPath(PrefallPaths[i], "data\\scene_prefall" + std::to_string(i) + ".camera");
}

void tscene_prefall::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TPrefallPlan plan = PrefallPlan(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(PrefallPaths[plan.Shot.Index], plan.Shot.Fraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, HazeLight, black);
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawSmokeColumns(p, 2);
  DrawFadeQuad(plan.Fade.Colour, plan.Fade.Blend);
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
