#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/camera.h"
#include "engine/geox.h"
#include "engine/textures.h"
#include "scenes/frame.h"
#include "scenes/passes.h"
#include "scenes/plans.h"
#include "scenes/steptimes.h"

#include <GL/gl.h>

namespace {

struct TLastPaths {
  TCameraPath World;     // the city, Wobbla and arounder models, water and smoke
  TCameraPath Corridor;  // the corridor drawn over them
};
TLastPaths LastPaths = {};

// A GL modelview matrix, column-major as GL keeps it.
struct TViewMatrix {
  GLfloat m[16];
};

// Marks the pixels the corridor covers with stencil value 1, from the
// corridor camera with its beat jolt (drawing the jolt's random numbers, as
// the corridor would), and returns that camera's modelview matrix for the
// corridor itself. Leaves the world camera applied and the GL state of
// BeginSceneFrame.
TViewMatrix MaskCorridor(float p, float corridorFraction)
{
  TViewMatrix corridorView;
  const TCamera world = Camera;
  SampleCameraPath(Camera, LastPaths.Corridor, corridorFraction);
  ApplyCamera(Camera);
  BeatShake(p, 2);
  glGetFloatv(GL_MODELVIEW_MATRIX, corridorView.m);

  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glDepthMask(GL_FALSE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_STENCIL_TEST);
  glStencilFunc(GL_ALWAYS, 1, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  DrawGeoxTextured(CorridorModel);
  glDisable(GL_STENCIL_TEST);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

  Camera = world;
  ApplyCamera(Camera);
  return corridorView;
}

}  // namespace

void tscene_last::Prepare()
{
  LoadCameraPath(LastPaths.World, "data\\scene_last.camera");
  LoadCameraPath(LastPaths.Corridor, "data\\scene_corridor.camera");
}

void tscene_last::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TLastPlan plan = LastPlan(p);

  // The whole world once more, from the world camera, with the corridor over
  // it from its own camera. The corridor's triangles are opaque and drawn
  // after a depth clear, so they cover every pixel they touch: those pixels
  // are marked in the stencil buffer first and the world is drawn only
  // outside them. Only the corridor jolts on the beat.
  SceneCamera(LastPaths.World, plan.WorldFraction);
  DrawSky();
  BeginSceneFrame();
  const TViewMatrix corridorView = MaskCorridor(p, plan.CorridorFraction);
  glEnable(GL_STENCIL_TEST);
  glStencilFunc(GL_EQUAL, 0, 1);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
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
  glDisable(GL_STENCIL_TEST);

  MarkFrameStep(TFrameStep::Models);
  SampleCameraPath(Camera, LastPaths.Corridor, plan.CorridorFraction);
  ApplyCamera(Camera);
  glLoadMatrixf(corridorView.m);
  glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, "CORRIDOR"));
  DrawGeoxTextured(CorridorModel);

  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
