#include "scenes/plans.h"
#include "scenes/passes.h"
#include "scenes/scenes.h"

#include "engine/assets.h"

#include <GL/gl.h>

namespace {

struct TFallPaths {
  TCameraPath Scene;   // the scene camera
  TCameraPath Figure;  // the camera the falling figure is seen from
};
TFallPaths FallPaths = {};

// The Humb figure seen from its own camera. The projection of that camera
// stays for the rest of the frame; the modelview returns to the scene camera.
void DrawFallingFigure(float fraction)
{
  glPushMatrix();
  glEnable(GL_TEXTURE_2D);
  SampleCameraPath(Camera, FallPaths.Figure, fraction);
  ApplyCamera(Camera);
  const float s = 1 / 70.0f;
  glScalef(s, s, s);
  for (int i = 0; i < HumbModels.Count; ++i)
    DrawModelLit(HumbModels, i);
  glPopMatrix();
}

}  // namespace

void tscene_fall::Prepare()
{
  LoadCameraPath(FallPaths.Scene, "data\\scene_fall.camera");
  LoadCameraPath(FallPaths.Figure, "data\\scene_fallhuman.camera");
}

void tscene_fall::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TFallPlan plan = FallPlan(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(FallPaths.Scene, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, HazeLight, black);
  DrawFallingFigure(plan.FigureFraction);
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawSmokeColumns(p, 2);
  DrawFadeQuad(plan.Fade.Colour, plan.Fade.Blend);
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
