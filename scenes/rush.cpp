#include "scenes/scenes.h"

#include "engine/camera.h"
#include "engine/text.h"
#include "scenes/frame.h"
#include "scenes/plans.h"

#include <GL/gl.h>

#include <cmath>

TCameraPath RushPath = {};

namespace {

constexpr int RushFieldCount = 20;

}  // namespace

TRushPlan RushPlan(float p)
{
  TRushPlan plan;
  plan.PathFraction = static_cast<float>(0.8 * p);
  plan.Flash = WhiteFlash(Pi * p);
  plan.FadeLevel = static_cast<float>(std::sin(Pi * p));
  plan.CaptionAdvance = CaptionAdvance(p);
  plan.CaptionAlpha = p;
  return plan;
}

void tscene_rush::Prepare()
{
  LoadCameraPath(RushPath, "data\\scene_rush.camera");
}

void tscene_rush::Render(int32_t t)
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
  DrawFadeQuad(plan.Flash.Colour, plan.Flash.Blend);
  DrawLetterboxBars();
  FadeLevel = plan.FadeLevel;
  FinishFrame(0.3f, FadeLevel);
  DrawText("VORDA", FontTexture, 320, 420, 50, 50, plan.CaptionAdvance, 0, 0, 0,
           plan.CaptionAlpha);
}
