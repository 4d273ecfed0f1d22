#include "scenes/passes.h"

#include "engine/assets.h"
#include "engine/effects.h"
#include "engine/textures.h"
#include "scenes/steptimes.h"

#include <GL/gl.h>

#include <algorithm>

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
  DrawGeoxSmoothTextured(scene.Models[i]);
  glDisable(GL_LIGHTING);
}

void PlaceHumanModels(float z)
{
  const float s = 1 / 70.0f;
  glRotatef(180, 0, 1, 0);
  glTranslatef(-50, 239.8f, z);
  glScalef(s, s, s);
}
