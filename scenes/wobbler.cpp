#include "scenes/plans.h"
#include "scenes/passes.h"
#include "scenes/scenes.h"

#include <GL/gl.h>

#include <string>

namespace {

TCameraPath WobblerPaths[4] = {};

// Three copies of the black streak field at fixed angles and heights, all
// drifting with one phase, ten times slower than over the city.
void DrawStreakFields(float p)
{
  const TColour black = {0, 0, 0, 1};
  const struct {
    float angle, height;
  } fields[3] = {{0, 50}, {60, 60}, {96, 70}};
  for (const auto& field : fields) {
    glPushMatrix();
    if (field.angle != 0)
      glRotatef(field.angle, 0, 1, 0);
    glTranslatef(0, field.height, 0);
    DrawStreaks(p, 0.4, black, black);
    glPopMatrix();
  }
}

}  // namespace

void tscene_wobbler::Prepare()
{
  for (int i = 0; i < 4; ++i)
    LoadCameraPath(WobblerPaths[i], "data\\scene_wobbler" + std::to_string(i) + ".camera");
}

void tscene_wobbler::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TWobblerPlan plan = WobblerPlan(p);

  SceneCamera(WobblerPaths[plan.Shot.Index], plan.Shot.Fraction);
  DrawSky();
  BeginSceneFrame();
  DrawStreakFields(p);
  DrawWobblaModels();
  DrawSun();
  // The haze layers stand twice as far apart as over the city.
  glPushMatrix();
  glScalef(1, 2, 1);
  DrawGroundHaze(HazeLight);
  glPopMatrix();
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
