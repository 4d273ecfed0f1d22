#include "scenes/scenes.h"

#include "engine/camera.h"
#include "scenes/frame.h"
#include "scenes/passes.h"
#include "scenes/plans.h"

#include <GL/gl.h>

namespace {

TCameraPath RushPath = {};

constexpr int RushFieldCount = 20;

}  // namespace

void tscene_rush::Prepare()
{
  LoadCameraPath(RushPath, "data\\scene_rush.camera");
}

void tscene_rush::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TRushPlan plan = RushPlan(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(RushPath, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  BeatShake(p, 2);
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  // Twenty tilted copies of one slow streak field; GL normalises the axis.
  for (int i = 0; i < RushFieldCount; ++i) {
    glPushMatrix();
    glRotatef(33.0f * i, 1, 1.3f, 2.1f);
    DrawStreaks(p, 0.4, black, black);
    glPopMatrix();
  }
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawSmokeColumns(p, 2);
  DrawFadeQuad(plan.Fade.Colour, plan.Fade.Blend);
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
