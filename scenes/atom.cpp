#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/camera.h"
#include "engine/geox.h"
#include "engine/textures.h"
#include "scenes/frame.h"
#include "scenes/onepass.h"
#include "scenes/passes.h"
#include "scenes/plans.h"
#include "scenes/steptimes.h"

#include <GL/gl.h>

namespace {

TCameraPath AtomPath = {};
TSphereModel AtomSky = {};  // SkyModel's radius and facet depth, from Prepare

// The additive flash from the centre of the world: five rotated "ATOM" quads
// and the dim red sky shells. Depth writes stay off while it draws (and, below
// p = 0.45, until DrawSun turns them on).
void AtomFlash(const TAtomPlan& plan)
{
  MarkFrameStep(TFrameStep::Models);
  glDepthMask(GL_FALSE);
  glColor4f(1, 1, 1, 1);
  if (!plan.Flash)
    return;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, "ATOM"));
  for (int i = 1; i <= AtomQuadCount; ++i) {
    const float a = plan.QuadA[i - 1];
    const float b = plan.QuadB[i - 1];
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(1, 1, 1, 1);
    glPushMatrix();
    glRotatef(199.0f * i, 1, 2.2f, 3.7f);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(a, 50, b);
    glTexCoord2f(0, 1);
    glVertex3f(a, 50, -b);
    glTexCoord2f(1, 1);
    glVertex3f(-a, 50, -b);
    glTexCoord2f(1, 0);
    glVertex3f(-a, 50, b);
    glEnd();
    glPopMatrix();
    glDisable(GL_BLEND);
  }
  glDisable(GL_TEXTURE_2D);
  const TColour shellColour = {0.03f, 0.02f, 0.02f, 1};
  if (DrawSpheresInOnePass(SkyModel, AtomSky, plan.ShellScale, AtomShellCount, shellColour)) {
    glDepthMask(GL_TRUE);
    return;
  }
  for (const float s : plan.ShellScale) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(shellColour.r, shellColour.g, shellColour.b, shellColour.a);
    glPushMatrix();
    glScalef(s, s, s);
    DrawGeoxPlain(SkyModel);
    glPopMatrix();
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
  }
  glDepthMask(GL_TRUE);
}

}  // namespace

void tscene_atom::Prepare()
{
  LoadCameraPath(AtomPath, "data\\scene_atom.camera");
  AtomSky = SphereModel(SkyModel);
}

void tscene_atom::Render(int32_t t, TFramePacing pacing)
{
  const float p = Progress(t);
  const TAtomPlan plan = AtomPlan(p);

  SceneCamera(AtomPath, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  BeatShake(p, 2);
  if (plan.Quake) {
    const TVector3 quake = RandomJolt(plan.QuakeAmplitude);
    glTranslatef(quake.x, quake.y, quake.z);
  }
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  StreakRings(plan.RingP, 60, 6, 4);
  DrawSmokeColumns(p, 2);
  AtomFlash(plan);
  DrawSun();
  DrawGroundHaze(HazeLight);
  if (plan.Fade) {
    DrawFadeQuad(plan.Fade->Colour, plan.Fade->Blend);
    glColor4f(1, 1, 1, 1);
  }
  DrawLetterboxBars();
  EndSceneFrame(plan, pacing);
}
