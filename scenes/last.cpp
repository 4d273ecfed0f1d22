#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/camera.h"
#include "engine/geox.h"
#include "engine/text.h"
#include "engine/textures.h"
#include "scenes/frame.h"
#include "scenes/plans.h"
#include "scenes/shots.h"
#include "scenes/steptimes.h"

#include <GL/gl.h>

TCameraPath LastPath = {};
TCameraPath CorridorPath = {};

TLastPlan LastPlan(float p)
{
  TLastPlan plan;
  plan.WorldFraction = static_cast<float>(0.2 * p + 0.3);
  plan.CorridorFraction = static_cast<float>(0.8 * p);
  plan.WaterPhase = 12.0 * p;
  plan.FadeLevel = 1 - p;
  plan.CaptionAlpha = p;
  return plan;
}

void tscene_last::Prepare()
{
  LoadCameraPath(LastPath, "data\\scene_last.camera");
  LoadCameraPath(CorridorPath, "data\\scene_corridor.camera");
}

void tscene_last::Render(int32_t t)
{
  const float p = Progress(t);
  const TLastPlan plan = LastPlan(p);

  // The whole world once more, from the world camera.
  SceneCamera(LastPath, plan.WorldFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, HazeLight, TColour{0, 0, 0, 1});
  DrawWobblaModels();
  DrawArounderModel();
  DrawSun();
  DrawGroundHaze(HazeDark);
  DrawWater(plan.WaterPhase);
  DrawSmokeColumns(p, 2);

  // The corridor over it from its own camera: with depth cleared it covers
  // everything where it has geometry, and the world shows through its
  // openings. Only the corridor jolts on the beat.
  MarkFrameStep(TFrameStep::Models);
  SampleCameraPath(Camera, CorridorPath, plan.CorridorFraction);
  ApplyCamera(Camera);
  BeatShake(p, 2);
  glClear(GL_DEPTH_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, "CORRIDOR"));
  DrawGeoxTextured(CorridorModel);

  DrawLetterboxBars();
  FadeLevel = plan.FadeLevel;
  FinishFrame(0.3f, FadeLevel);
  DrawText("WELCOME", FontTexture, 320, 360, 40, 40, 25, 1, 1, 1, plan.CaptionAlpha);
  DrawText("VORDAZALTORIVENKA2006", FontTexture, 320, 390, 40, 40, 25, 1, 1, 1,
           plan.CaptionAlpha);
}
