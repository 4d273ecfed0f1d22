#include "scenes/scenes.h"

#include "engine/camera.h"
#include "scenes/frame.h"
#include "scenes/passes.h"
#include "scenes/plans.h"

namespace {

TCameraPath OutroPath = {};

}  // namespace

void tscene_outro::Prepare()
{
  LoadCameraPath(OutroPath, "data\\scene_outro.camera");
}

void tscene_outro::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TOutroPlan plan = OutroPlan(p);

  SceneCamera(OutroPath, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  DrawWobblaModels();
  DrawSun();
  DrawGroundHaze(HazeDark);
  DrawWater(plan.WaterPhase);
  DrawLetterboxBars();
  DrawFadeQuad(plan.Fade.Colour, plan.Fade.Blend);
  // The flash covered the bars too; black them again.
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
