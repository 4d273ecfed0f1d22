#include "scenes/shots.h"

#include "engine/assets.h"
#include "engine/effects.h"
#include "engine/textures.h"
#include "scenes/steptimes.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

bool InsideRange(double x, double lo, double hi)
{
  return lo <= x && x <= hi;
}

TShot ChooseShot(float p, int shots, double pace)
{
  int64_t k = TruncSafe(static_cast<double>(p) * shots) % shots;
  if (k < 0)
    k += shots;  // a negative p still names one of the paths
  TShot shot;
  shot.Index = static_cast<int>(k);
  shot.Fraction = static_cast<float>((p - static_cast<double>(k) / shots) * pace);
  return shot;
}

double ShotPulse(float p, int shots)
{
  return static_cast<double>(RoundEven(1000.0 * shots * p) % 1000) / 1000;
}

TFade BlackFade(double u)
{
  const double s = std::sin(u);
  return TFade{{0, 0, 0, static_cast<float>(1 - s * s)}, TFadeBlend::Alpha};
}

TFade WhiteFlash(double u)
{
  const float c = static_cast<float>(1 - std::sqrt(std::sqrt(std::sin(u))));
  return TFade{{c, c, c, 1}, TFadeBlend::Additive};
}

float CaptionAdvance(float p)
{
  return static_cast<float>(40 + 25.0 * p);
}

void DrawWobblaModels()
{
  MarkFrameStep(TFrameStep::Models);
  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, "WOBBLAENV"));
  SphereMapping(1);
  const int count = std::min(WobblaModels.Count, static_cast<int32_t>(WobblaModels.Models.size()));
  for (int i = 0; i < count; ++i) {
    glColor4f(1, 1, 1, 1);
    if (i == count - 1)
      glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, "WOBBLAENVRED"));
    glCallList(WobblaModels.Models[i].ListId);
  }
  SphereMapping(0);
  glDisable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

void DrawArounderModel()
{
  MarkFrameStep(TFrameStep::Models);
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
  glCallList(ArounderModel.ListId);
  glDisable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

void DrawModelLit(const TGeoxScene& scene, int i)
{
  MarkFrameStep(TFrameStep::Models);
  glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, scene.Names[i]));
  glEnable(GL_LIGHTING);
  DrawGeox(scene.Models[i], true, false, true);
  glDisable(GL_LIGHTING);
}

void PlaceHumanModels(float z)
{
  const float s = 1 / 70.0f;
  glRotatef(180, 0, 1, 0);
  glTranslatef(-50, 239.8f, z);
  glScalef(s, s, s);
}
