#include "engine/text.h"

#include <GL/gl.h>

uint32_t FontTexture = 0;

namespace {

constexpr int GlyphGridSide = 16;

}  // namespace

std::vector<TGlyphQuad> LayoutText(const std::string& text, float x, float y, float glyphWidth,
                                   float glyphHeight, float advance)
{
  const float left = x - static_cast<float>(text.size()) * advance / 2;
  const float top = y - glyphHeight;
  std::vector<TGlyphQuad> quads;
  quads.reserve(text.size());
  for (size_t k = 0; k < text.size(); ++k) {
    const int c = static_cast<uint8_t>(text[k]);
    const int column = c % GlyphGridSide;
    const int row = c / GlyphGridSide;
    TGlyphQuad quad;
    quad.x0 = left + static_cast<float>(k) * advance;
    quad.x1 = quad.x0 + glyphWidth;
    quad.top = top;
    quad.bottom = y;
    quad.s0 = static_cast<double>(column) / GlyphGridSide;
    quad.s1 = static_cast<double>(column + 1) / GlyphGridSide;
    quad.t0 = static_cast<double>(row) / GlyphGridSide;
    quad.t1 = static_cast<double>(row + 1) / GlyphGridSide;
    quads.push_back(quad);
  }
  return quads;
}

void Begin2D()
{
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, ScreenWidth, ScreenHeight, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void End2D()
{
  glMatrixMode(GL_PROJECTION);
  glMatrixMode(GL_MODELVIEW);
}

void DrawText(const std::string& text, uint32_t texture, float x, float y, float glyphWidth,
              float glyphHeight, float advance, float red, float green, float blue, float alpha)
{
  Begin2D();
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, texture);

  glBegin(GL_QUADS);
  glColor4f(red, green, blue, alpha);
  for (const TGlyphQuad& quad : LayoutText(text, x, y, glyphWidth, glyphHeight, advance)) {
    glTexCoord2d(quad.s0, quad.t0);
    glVertex2f(quad.x0, quad.top);
    glTexCoord2d(quad.s1, quad.t0);
    glVertex2f(quad.x1, quad.top);
    glTexCoord2d(quad.s1, quad.t1);
    glVertex2f(quad.x1, quad.bottom);
    glTexCoord2d(quad.s0, quad.t1);
    glVertex2f(quad.x0, quad.bottom);
  }
  glEnd();

  End2D();
  glDisable(GL_BLEND);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
