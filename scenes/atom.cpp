#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/camera.h"
#include "engine/geox.h"
#include "engine/text.h"
#include "engine/textures.h"
#include "scenes/frame.h"
#include "scenes/plans.h"
#include "scenes/steptimes.h"

#include <GL/gl.h>

#include <cmath>

TCameraPath AtomPath = {};

namespace {

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
  for (const float s : plan.ShellScale) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(0.03f, 0.02f, 0.02f, 1);
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

TAtomPlan AtomPlan(float p)
{
  TAtomPlan plan = {};
  plan.PathFraction = p;
  plan.Quake = p > 0.5f;
  if (plan.Quake) {
    const double q = p - 0.5;
    plan.QuakeAmplitude = {static_cast<float>(q * 115), static_cast<float>(q * 115),
                           static_cast<float>(q * 45)};
  }
  plan.RingP = p / 3;
  // Compared in double: the float nearest 0.45 lies below it, and the shells'
  // eighth root needs p - 0.45 >= 0.
  plan.Flash = p >= 0.45;
  if (plan.Flash) {
    for (int i = 1; i <= AtomQuadCount; ++i) {
      plan.QuadA[i - 1] = static_cast<float>(1300.0 * i * (p - 0.45));
      plan.QuadB[i - 1] = static_cast<float>(1300.0 * i * (p - 0.5));
    }
    const double root = std::sqrt(std::sqrt(std::sqrt(p - 0.45)));
    for (int i = 2; i <= AtomShellCount + 1; ++i)
      plan.ShellScale[i - 2] = static_cast<float>(root * i / 3);
  }
  plan.Fade = p <= 0.5f;
  if (plan.Fade)
    plan.FadeQuad = BlackFade(Pi * p);
  plan.Glow = plan.Fade ? p : static_cast<float>((p - 0.5) / 2 + 0.5);
  plan.CaptionAdvance = CaptionAdvance(plan.Glow);
  return plan;
}

TVector3 QuakeOffset(const TAtomPlan& plan)
{
  if (!plan.Quake)
    return {0, 0, 0};
  return RandomJolt(plan.QuakeAmplitude);
}

void tscene_atom::Prepare()
{
  LoadCameraPath(AtomPath, "data\\scene_atom.camera");
}

void tscene_atom::Render(int32_t t)
{
  const float p = Progress(t);
  const TAtomPlan plan = AtomPlan(p);

  SceneCamera(AtomPath, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  BeatShake(p, 2);
  if (plan.Quake) {
    const TVector3 quake = QuakeOffset(plan);
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
    DrawFadeQuad(plan.FadeQuad.Colour, plan.FadeQuad.Blend);
    glColor4f(1, 1, 1, 1);
  }
  DrawLetterboxBars();
  FadeLevel = plan.Glow;
  FinishFrame(0.3f, FadeLevel);
  DrawText("DESTROY ME", FontTexture, 320, 420, 50, 50, plan.CaptionAdvance, 0, 0, 0,
           plan.Glow);
}
