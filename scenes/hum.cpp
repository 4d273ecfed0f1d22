#include "scenes/plans.h"
#include "scenes/passes.h"
#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/geox.h"

#include <GL/gl.h>

namespace {

TCameraPath HumPath = {};

// The Huma models, lit with their own textures, except the "PLANE" screen,
// which shows the loop frame unlit.
void DrawHumaModels(const THumPlan& plan)
{
  glPushMatrix();
  PlaceHumanModels(-28);
  for (int i = 0; i < HumaModels.Count; ++i) {
    if (HumaModels.Names[i] == "PLANE") {
      glEnable(GL_TEXTURE_2D);
      glColor4f(1, 1, 1, 1);
      if (plan.ScreenLoop)
        glBindTexture(GL_TEXTURE_2D, plan.ScreenLoop[plan.ScreenSlot]);
      DrawGeoxSmoothTextured(HumaModels.Models[i]);
    } else {
      DrawModelLit(HumaModels, i);
    }
  }
  glPopMatrix();
}

}  // namespace

void tscene_hum::Prepare()
{
  LoadCameraPath(HumPath, "data\\scene_hum.camera");
}

void tscene_hum::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const THumPlan plan = HumPlan(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(HumPath, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawHumaModels(plan);
  DrawCityWallOverlay();
  DrawStreaks(p, 4, black, black);
  DrawSmokeColumns(p, 2);
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
