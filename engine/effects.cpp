#include "engine/effects.h"

#include "engine/framebuffer.h"
#include "engine/numbers.h"
#include "engine/shaders.h"
#include "engine/text.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <vector>

int32_t ScreenCopyIndex = 1;

namespace {

// The corner BlurCorner reads back, blurs and uploads.
std::vector<uint8_t> BlurBuffer;

// Corners top-left, top-right, bottom-right, bottom-left.
void Quad(float x0, float y0, float x1, float y1, double s0, double t0, double s1, double t1)
{
  glBegin(GL_QUADS);
  glTexCoord2d(s0, t1);
  glVertex2f(x0, y0);
  glTexCoord2d(s1, t1);
  glVertex2f(x1, y0);
  glTexCoord2d(s1, t0);
  glVertex2f(x1, y1);
  glTexCoord2d(s0, t0);
  glVertex2f(x0, y1);
  glEnd();
}

// The picture from a screen copy, over the given overlay rectangle.
void CopyQuad(float x1, float y1)
{
  Quad(0, 0, x1, y1, 0.0, 0.0, static_cast<double>(FrameWidth) / ScreenCopySide(FrameWidth),
       static_cast<double>(FrameHeight) / ScreenCopySide(FrameHeight));
}

// A whole square texture over the given overlay rectangle.
void FullQuad(float x1, float y1)
{
  Quad(0, 0, x1, y1, 0.0, 0.0, 1.0, 1.0);
}

// RestoreScreen, MixBlur and AddGlow in one pass: the picture from the
// current copy (the frame holds the same pixels once restored), the blurred
// corner stretched over it, both terms worked out in 8-bit steps as the blend
// unit does: each sum saturated, and each product of two 8-bit values x and y
// taken as (x y + floor(x y / 256) + 128) / 256, rounded down, as Mesa's
// blend unit multiplies. That is x y / 255 rounded for all but 24 pairs (152
// and 229 the first), which it gives one less.
TFastProgram BlurAndGlowProgram = {
    "blur and glow",
    R"(#version 120
varying vec2 pictureCoord;
varying vec2 blurCoord;
void main()
{
  gl_Position = ftransform();
  pictureCoord = gl_MultiTexCoord0.st;
  blurCoord = gl_MultiTexCoord1.st;
}
)",
    R"(#version 120
uniform sampler2D picture;
uniform sampler2D blur;
uniform vec4 mixColour;
varying vec2 pictureCoord;
varying vec2 blurCoord;
vec3 Scaled(vec3 a, float b)
{
  vec3 p = a * b;
  return floor((p + floor(p / 256.0) + 128.0) / 256.0);
}
void main()
{
  vec3 dst = floor(texture2D(picture, pictureCoord).rgb * 255.0 + 0.5);
  vec3 src = floor(clamp(texture2D(blur, blurCoord).rgb * mixColour.rgb, 0.0, 1.0) * 255.0 + 0.5);
  float a = floor(clamp(mixColour.a, 0.0, 1.0) * 255.0 + 0.5);
  vec3 mixed = min(Scaled(src, 255.0 - a) + Scaled(dst, a), 255.0);
  gl_FragColor = vec4(min(mixed + src, 255.0) / 255.0, 1.0);
}
)",
    {"picture", "blur", "mixColour"}};
// BlurAndGlowProgram.Uniforms, in the order of its names.
enum TBlurAndGlowUniform { PictureUniform, BlurUniform, MixColourUniform };

}  // namespace

uint32_t CurrentScreenCopy()
{
  const TFrameTargets& targets = FrameTargets();
  return ScreenCopyIndex == 1 ? targets.ScreenCopyA : targets.ScreenCopyB;
}

uint32_t PreviousScreenCopy()
{
  const TFrameTargets& targets = FrameTargets();
  return ScreenCopyIndex == 1 ? targets.ScreenCopyB : targets.ScreenCopyA;
}

void DrawTrail(float alpha)
{
  Begin2D();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, alpha);
  glBindTexture(GL_TEXTURE_2D, PreviousScreenCopy());
  CopyQuad(ScreenWidth - 1, ScreenHeight - 1);
  glDisable(GL_BLEND);
  End2D();
}

void CaptureScreen()
{
  Begin2D();
  glBindTexture(GL_TEXTURE_2D, CurrentScreenCopy());
  BeginFrameRead();
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, FrameWidth, FrameHeight);
  EndFrameRead();
  End2D();
}

void DrawScreenThumbnail()
{
  Begin2D();
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, CurrentScreenCopy());
  CopyQuad(BaseGlowCorner, BaseGlowCorner);
  End2D();
}

void CaptureGlowCorner()
{
  Begin2D();
  glBindTexture(GL_TEXTURE_2D, FrameTargets().GlowTexture);
  const int corner = GlowCornerPixels(FrameWidth);
  BeginFrameRead();
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, FrameHeight - corner, corner, corner);
  EndFrameRead();
  End2D();
}

void DrawGlowThumbnail()
{
  Begin2D();
  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  glBindTexture(GL_TEXTURE_2D, FrameTargets().GlowTexture);
  FullQuad(128, 128);
  End2D();
}

void BlurPasses(uint8_t* buffer, int side, int weight)
{
  const unsigned w = static_cast<unsigned>(weight);
  const unsigned v = 256 - w;
  const int rowBytes = side * 3;
  auto at = [buffer, rowBytes](int row, int byte) -> uint8_t& { return buffer[row * rowBytes + byte]; };
  for (int r = 1; r < side; ++r)
    for (int b = 0; b < rowBytes; ++b)
      at(r, b) = static_cast<uint8_t>((w * at(r - 1, b) + v * at(r, b)) >> 8);
  for (int r = side - 2; r >= 0; --r)
    for (int b = 0; b < rowBytes; ++b)
      at(r, b) = static_cast<uint8_t>((w * at(r + 1, b) + v * at(r, b)) >> 8);
  for (int r = 0; r < side; ++r) {
    for (int x = 1; x < side; ++x)
      for (int c = 0; c < 3; ++c)
        at(r, x * 3 + c) = static_cast<uint8_t>((w * at(r, (x - 1) * 3 + c) + v * at(r, x * 3 + c)) >> 8);
    for (int x = side - 2; x >= 0; --x)
      for (int c = 0; c < 3; ++c)
        at(r, x * 3 + c) = static_cast<uint8_t>((w * at(r, (x + 1) * 3 + c) + v * at(r, x * 3 + c)) >> 8);
  }
}

int ScaledBlurWeight(int weight, double k)
{
  if (weight <= 0 || weight >= 256 || k == 1.0)
    return weight;
  return static_cast<int>(RoundEven(256.0 * std::pow(weight / 256.0, 1.0 / k)));
}

void BlurCorner(int weight)
{
  if (weight < 0)
    weight = 0;
  if (weight > 256)
    weight = 256;
  const int side = BlurCornerPixels(FrameWidth);
  BlurBuffer.resize(static_cast<size_t>(side) * side * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  BeginFrameRead();
  glReadPixels(0, FrameHeight - side, side, side, GL_RGB, GL_UNSIGNED_BYTE, BlurBuffer.data());
  EndFrameRead();
  BlurPasses(BlurBuffer.data(), side, ScaledBlurWeight(weight, FrameScale(FrameWidth)));
  glBindTexture(GL_TEXTURE_2D, FrameTargets().BlurTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, side, side, GL_RGB, GL_UNSIGNED_BYTE, BlurBuffer.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void RestoreScreen()
{
  Begin2D();
  glDisable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, CurrentScreenCopy());
  glPushAttrib(GL_SCISSOR_BIT);
  glEnable(GL_SCISSOR_TEST);
  const int corner = GlowCornerPixels(FrameWidth);
  glScissor(0, FrameHeight - corner, corner, corner);
  CopyQuad(ScreenWidth, ScreenHeight);
  glPopAttrib();
  End2D();
}

void AddGlow()
{
  Begin2D();
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, FrameTargets().BlurTexture);
  FullQuad(ScreenWidth, ScreenHeight);
  glDisable(GL_BLEND);
  End2D();
}

void MixBlur(float red, float green, float blue, float alpha)
{
  Begin2D();
  glColor4f(red, green, blue, alpha);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, FrameTargets().BlurTexture);
  FullQuad(ScreenWidth, ScreenHeight);
  glDisable(GL_BLEND);
  End2D();
}

bool MixBlurAndAddGlow(float red, float green, float blue, float alpha)
{
  const GLuint program = FastProgram(BlurAndGlowProgram);
  if (program == 0)
    return false;
  Begin2D();
  glDisable(GL_BLEND);
  glUseProgram(program);
  const std::vector<int32_t>& uniforms = BlurAndGlowProgram.Uniforms;
  glUniform1i(uniforms[PictureUniform], 0);
  glUniform1i(uniforms[BlurUniform], 1);
  glUniform4f(uniforms[MixColourUniform], red, green, blue, alpha);
  glColor4f(red, green, blue, alpha);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, FrameTargets().BlurTexture);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, CurrentScreenCopy());
  const double s1 = static_cast<double>(FrameWidth) / ScreenCopySide(FrameWidth);
  const double t1 = static_cast<double>(FrameHeight) / ScreenCopySide(FrameHeight);
  const float w = ScreenWidth;
  const float h = ScreenHeight;
  glBegin(GL_QUADS);
  glMultiTexCoord2d(GL_TEXTURE1, 0, 1);
  glTexCoord2d(0, t1);
  glVertex2f(0, 0);
  glMultiTexCoord2d(GL_TEXTURE1, 1, 1);
  glTexCoord2d(s1, t1);
  glVertex2f(w, 0);
  glMultiTexCoord2d(GL_TEXTURE1, 1, 0);
  glTexCoord2d(s1, 0);
  glVertex2f(w, h);
  glMultiTexCoord2d(GL_TEXTURE1, 0, 0);
  glTexCoord2d(0, 0);
  glVertex2f(0, h);
  glEnd();
  glUseProgram(0);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, FrameTargets().BlurTexture);
  End2D();
  return true;
}

void FlipScreenCopies()
{
  ScreenCopyIndex = ScreenCopyIndex == 1 ? 2 : 1;
}

void SphereMapping(uint8_t on)
{
  if (on == 1) {
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  } else {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
  }
}
