#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/camera.h"
#include "engine/effects.h"
#include "engine/geox.h"
#include "engine/textures.h"
#include "scenes/frame.h"
#include "scenes/passes.h"
#include "scenes/plans.h"

#include <GL/gl.h>

namespace {

TCameraPath JumpPaths[4] = {};

}  // namespace

void tscene_jump::Prepare()
{
  LoadCameraPath(JumpPaths[0], "data\\scene_kuba0.camera");
  LoadCameraPath(JumpPaths[1], "data\\scene_kuba1.camera");
  LoadCameraPath(JumpPaths[2], "data\\scene_kuba2.camera");
  LoadCameraPath(JumpPaths[3], "data\\scene_kuba3.camera");
}

void tscene_jump::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TJumpPlan plan = JumpPlan(p);

  SceneCamera(JumpPaths[plan.Shot.Index], plan.Shot.Fraction);
  DrawSky();
  BeginSceneFrame();
  BeatShake(p, 7);

  // The kuba figure, textured, with the sphere-mapped net added exactly on
  // top of it (the depth test passes on equal depth).
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, "KUBA"));
  glPushMatrix();
  glScalef(0.4f, 0.4f, 0.4f);
  DrawGeoxTextured(KubaModel);
  SphereMapping(1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, "NET"));
  DrawGeoxSmooth(KubaModel);
  glDisable(GL_BLEND);
  SphereMapping(0);
  glPopMatrix();
  glColor4f(1, 1, 1, 1);

  if (!plan.Water)
    StreakRings(plan.RingP, 33, 18, 4);
  DrawSun();
  if (plan.Water) {
    DrawGroundHaze(HazeDark);
    DrawWater(plan.WaterPhase);
  } else {
    DrawGroundHaze(HazeLight);
  }
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
