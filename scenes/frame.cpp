#include "scenes/frame.h"

#include "engine/assets.h"
#include "engine/geox.h"
#include "engine/effects.h"
#include "engine/framebuffer.h"
#include "engine/haze.h"
#include "engine/text.h"
#include "engine/textures.h"
#include "scenes/steptimes.h"
#include "scenes/waterculling.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

const TColour HazeLight = {HazeLightRgb.R / 255.0f, HazeLightRgb.G / 255.0f,
                           HazeLightRgb.B / 255.0f, 1};
const TColour HazeDark = {HazeDarkRgb.R / 255.0f, HazeDarkRgb.G / 255.0f, HazeDarkRgb.B / 255.0f,
                          1};

namespace {

void SetColour(const TColour& c)
{
  glColor4f(c.r, c.g, c.b, c.a);
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names)
{
  for (const char* candidate : names)
    if (name == candidate)
      return true;
  return false;
}

void BindNamedTexture(const char* key)
{
  glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, key));
}

}  // namespace

double Frac4(double x)
{
  return static_cast<double>(RoundEven(x * 10000) % 10000) / 10000;
}

int BeatStep(float p)
{
  const int step = static_cast<int>(TruncSafe(static_cast<double>(p) * BeatSceneSteps) % 32);
  return step < 0 ? step + 32 : step;
}

TWaterBlend WaterBlend(double q)
{
  TWaterBlend blend;
  blend.a = static_cast<int>(TruncSafe(q) % 4);
  if (blend.a < 0)
    blend.a += 4;  // a negative phase still picks a height field
  blend.b = (blend.a + 1) % 4;
  blend.w = 1 - static_cast<double>(TruncSafe(256 * q) % 256) / 255;
  return blend;
}

float TrailAlpha(float t, TFramePacing pacing)
{
  return static_cast<float>(1 - static_cast<double>(pacing.ElapsedMs) * t / pacing.PaceMs);
}

void SceneCamera(const TCameraPath& path, float fraction)
{
  SampleCameraPath(Camera, path, fraction);
}

void DrawSky()
{
  MarkFrameStep(TFrameStep::Sky);
  ApplySkyCamera(Camera);
  glDisable(GL_DEPTH_TEST);
  glBindTexture(GL_TEXTURE_2D, SkyModel.Texture);
  // Every scene covers the rows outside the letterbox band with its bars
  // before anything reads them, so the sky is filled only inside the band.
  glPushAttrib(GL_SCISSOR_BIT);
  glEnable(GL_SCISSOR_TEST);
  const TLetterbox letterbox = FrameLetterbox(FrameHeight);
  glScissor(0, letterbox.Bar, FrameWidth, letterbox.Band);
  glCallList(SkyModel.ListId);
  glPopAttrib();
  glEnable(GL_DEPTH_TEST);
  ApplyCamera(Camera);
}

void BeginSceneFrame()
{
  // The letterbox band, the bars' rows above and below it.
  const TLetterbox letterbox = FrameLetterbox(FrameHeight);
  glViewport(0, letterbox.Bar, FrameWidth, letterbox.Band);
  glClearColor(0.71f, 0.71f, 0.71f, 1);
  // Depth and stencil share a buffer; clearing both is the cheaper clear.
  glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glEnable(GL_NORMALIZE);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glColor4f(1, 1, 1, 1);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHT0);
  const float ambient[4] = {0, 0, 0, 1};
  const float diffuse[4] = {1, 1, 1, 1};
  const float position[4] = {0, 0, -1000, 1};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_POSITION, position);
}

void DrawCityChrome()
{
  MarkFrameStep(TFrameStep::City);
  BindNamedTexture("ENVGLOBAL");
  SphereMapping(1);
  for (int i = 0; i < CityModels.Count; ++i)
    if (IsOneOf(CityModels.Names[i], {"WALL", "CAPSULE"}))
      DrawGeoxSmooth(CityModels.Models[i]);
  SphereMapping(0);
}

void DrawCityTextured()
{
  glEnable(GL_LIGHTING);
  for (int i = 0; i < CityModels.Count; ++i) {
    const std::string& name = CityModels.Names[i];
    glBindTexture(GL_TEXTURE_2D, FindTexture(Textures, name));
    if (IsOneOf(name, {"AHOUSE", "BHOUSE", "CHOUSE"}))
      BindNamedTexture("WALL");
    else if (IsOneOf(name, {"AROOF", "BROOF", "CROOF"}))
      BindNamedTexture("FRONT");
    glColor4f(1, 1, 1, 1);
    if (IsOneOf(name, {"WALL", "CAPSULE"}))
      continue;
    if (name == "TUBE")
      DrawGeoxSmoothTextured(CityModels.Models[i]);
    else
      DrawGeoxFlatTextured(CityModels.Models[i]);
  }
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  MarkFrameStep(TFrameStep::Models);
}

void DrawCityWallOverlay()
{
  MarkFrameStep(TFrameStep::City);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, WallEnvTexture);
  glEnable(GL_LIGHTING);
  for (int i = 0; i < CityModels.Count; ++i) {
    glColor4f(1, 1, 1, 1);
    if (CityModels.Names[i] == "WALL")
      DrawGeoxFlatTextured(CityModels.Models[i]);
  }
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
}

namespace {

// The streak quads of the last (p, flights): the rings and rotated fields draw the
// same streaks several times a frame, so the positions are worked out once.
struct TStreakQuads {
  float P = -1;
  double Flights = 0;
  bool Valid = false;
  std::vector<GLfloat> Positions;  // three corners of x, y, z per streak
};
TStreakQuads StreakQuads;
// The streak colours of the last (head, tail): the rings draw the same
// colours six times a frame.
struct TStreakColours {
  TColour Head = {0, 0, 0, 0};
  TColour Tail = {0, 0, 0, 0};
  bool Valid = false;
  std::vector<GLfloat> Values;  // head, head, tail as r, g, b, a per streak
};
TStreakColours StreakColours;
std::vector<GLfloat> SmokeCorners;  // x, y, z, s, t, r, g, b, a per corner
std::vector<uint32_t> WaterCorners;
TGeoxData WaterSurface;  // DrawWater's, blended anew every frame

void BuildStreakQuads(float p, double flights)
{
  if (StreakQuads.Valid && StreakQuads.P == p && StreakQuads.Flights == flights)
    return;
  StreakQuads.Positions.resize(StreakCount * 3 * 3);
  GLfloat* out = StreakQuads.Positions.data();
  for (int i = 0; i < StreakCount; ++i) {
    const TStreak& s = Streaks[i];
    const double f = Frac4(i / 5000.0 + flights * p);
    const double x = f * s.x0 + (1 - f) * s.x1;
    const double z = f * s.z0 + (1 - f) * s.z1;
    const double y = 35 * std::sin(Pi * f);
    const double f2 = f + 0.02;
    const double x2 = f2 * s.x0 + (1 - f2) * s.x1;
    const double z2 = f2 * s.z0 + (1 - f2) * s.z1;
    const GLfloat corners[3][3] = {
        {static_cast<float>(x - 0.3), static_cast<float>(y), static_cast<float>(z - 0.3)},
        {static_cast<float>(x + 0.3), static_cast<float>(y), static_cast<float>(z + 0.3)},
        {static_cast<float>(x2), static_cast<float>(y), static_cast<float>(z2)},
    };
    for (const auto& corner : corners)
      for (GLfloat v : corner)
        *out++ = v;
  }
  StreakQuads.P = p;
  StreakQuads.Flights = flights;
  StreakQuads.Valid = true;
}

bool SameColour(const TColour& a, const TColour& b)
{
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

void BuildStreakColours(TColour head, TColour tail)
{
  if (StreakColours.Valid && SameColour(StreakColours.Head, head) &&
      SameColour(StreakColours.Tail, tail))
    return;
  StreakColours.Values.resize(StreakCount * 3 * 4);
  GLfloat* colour = StreakColours.Values.data();
  for (int i = 0; i < StreakCount; ++i)
    for (const TColour& c : {head, head, tail}) {
      *colour++ = c.r;
      *colour++ = c.g;
      *colour++ = c.b;
      *colour++ = c.a;
    }
  StreakColours.Head = head;
  StreakColours.Tail = tail;
  StreakColours.Valid = true;
}

// The current projection x modelview, column-major.
void CurrentClipMatrix(double clip[16])
{
  GLdouble modelView[16], projection[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k)
        sum += projection[k * 4 + row] * modelView[column * 4 + k];
      clip[column * 4 + row] = sum;
    }
}

}  // namespace

// Each streak is a quad of two head corners in the head colour and the tail
// point twice in the tail colour. GL splits a quad into two triangles, and
// with the last two corners equal the second one is empty, so each streak goes
// out as the one triangle head, head, tail: the same pixels as the quads, for
// three quarters of the vertices. Drawn from arrays.
void DrawStreaks(float p, double flights, TColour head, TColour tail)
{
  MarkFrameStep(TFrameStep::Streaks);
  glDisable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  BuildStreakQuads(p, flights);
  BuildStreakColours(head, tail);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, StreakQuads.Positions.data());
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(4, GL_FLOAT, 0, StreakColours.Values.data());
  glDrawArrays(GL_TRIANGLES, 0, StreakCount * 3);
  glPopClientAttrib();
  glColor4f(1, 1, 1, 1);
}

// Two crossed billboards per particle, growing and fading along its
// direction; drawn from arrays.
void DrawSmokeColumn(float p, float x, float y, float z, double rate)
{
  MarkFrameStep(TFrameStep::Smoke);
  glPushMatrix();
  glTranslatef(x, y, z);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 1);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, SmogTexture);
  glDepthMask(GL_FALSE);

  constexpr int Floats = 9;
  SmokeCorners.resize(ParticleCount * 8 * Floats);
  GLfloat* out = SmokeCorners.data();
  for (int i = 0; i < ParticleCount; ++i) {
    // How far particle i is along its way, 0 to 1, kept as a float.
    const double f = static_cast<float>(Frac4(i / 500.0 + rate * p));
    const float s = static_cast<float>(65 * f * f * f + 10);
    const float alpha = static_cast<float>(1 - f);
    const float px = static_cast<float>(f * Particles[i].x);
    const float py = static_cast<float>(f * Particles[i].y);
    const float pz = static_cast<float>(f * Particles[i].z);
    const GLfloat corners[8][5] = {
        {px - s, py - s, pz, 0, 0}, {px + s, py - s, pz, 1, 0},
        {px + s, py + s, pz, 1, 1}, {px - s, py + s, pz, 0, 1},
        {px, py - s, pz - s, 0, 0}, {px, py - s, pz + s, 1, 0},
        {px, py + s, pz + s, 1, 1}, {px, py + s, pz - s, 0, 1},
    };
    for (const auto& corner : corners) {
      for (GLfloat v : corner)
        *out++ = v;
      *out++ = 1;
      *out++ = 1;
      *out++ = 1;
      *out++ = alpha;
    }
  }
  const GLsizei stride = Floats * sizeof(GLfloat);
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, SmokeCorners.data());
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexCoordPointer(2, GL_FLOAT, stride, SmokeCorners.data() + 3);
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(4, GL_FLOAT, stride, SmokeCorners.data() + 5);
  glDrawArrays(GL_QUADS, 0, ParticleCount * 8);
  glPopClientAttrib();

  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glPopMatrix();
}

void DrawSmokeColumns(float p, double rate)
{
  static const TPoint3 Chimneys[5] = {
      {-137, 400, -352}, {-404, 400, -243}, {395, 400, -68}, {-301, 400, 449}, {232, 400, 387}};
  for (const TPoint3& c : Chimneys)
    DrawSmokeColumn(p, c.x, c.y, c.z, rate);
}

void DrawSun()
{
  MarkFrameStep(TFrameStep::Haze);
  glColor4f(1, 1, 1, 1);
  glColor4f(1, 1, 1, 1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glDepthMask(GL_FALSE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, SunTexture);
  const float s = 3000;
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex3f(-s, -s, s);
  glTexCoord2f(1, 0);
  glVertex3f(s, -s, s);
  glTexCoord2f(1, 1);
  glVertex3f(s, s, s);
  glTexCoord2f(0, 1);
  glVertex3f(-s, s, s);
  glEnd();
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
}

void DrawGroundHaze(TColour colour)
{
  MarkFrameStep(TFrameStep::Haze);
  glColor4f(1, 1, 1, 1);
  glDepthMask(GL_FALSE);
  glDisable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
  // The top layer, i = 20, has alpha 0: blending it leaves every pixel as it
  // is (and depth writes are off), so it is not drawn; only its colour is
  // left current, as drawing it would.
  for (int i = 0; i < 20; ++i) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(colour.r, colour.g, colour.b, static_cast<float>((20 - i) / 21.0));
    const double y = 2.5 * i;
    glBegin(GL_QUADS);
    glNormal3f(0, 1, 0);
    glVertex3d(-2500, y, 2500);
    glVertex3d(2500, y, 2500);
    glVertex3d(2500, y, -2500);
    glVertex3d(-2500, y, -2500);
    glEnd();
  }
  glColor4f(colour.r, colour.g, colour.b, 0);
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
}

void BlendWaterSurface(double q, TGeoxData& surface)
{
  const TWaterBlend blend = WaterBlend(q);
  const TGeoxData& from = Terrains[blend.a];
  const TGeoxData& to = Terrains[blend.b];
  if (surface.Vertices.size() != from.Vertices.size() || surface.Faces.size() != from.Faces.size())
    surface = from;
  const size_t count = std::min({from.Vertices.size(), to.Vertices.size(), surface.Vertices.size()});
  const double w = blend.w;
  for (size_t v = 0; v < count; ++v) {
    const GeoxVertex& s = from.Vertices[v];
    const GeoxVertex& t = to.Vertices[v];
    GeoxVertex& d = surface.Vertices[v];
    d.x = static_cast<float>(w * s.x + (1 - w) * t.x);
    d.y = static_cast<float>(w * s.y + (1 - w) * t.y);
    d.z = static_cast<float>(w * s.z + (1 - w) * t.z);
    d.nx = static_cast<float>(w * s.nx + (1 - w) * t.nx);
    d.ny = static_cast<float>(w * s.ny + (1 - w) * t.ny);
    d.nz = static_cast<float>(w * s.nz + (1 - w) * t.nz);
  }
}

void DrawWater(double q)
{
  MarkFrameStep(TFrameStep::Water);
  glColor4f(1, 1, 1, 1);
  glDepthMask(GL_FALSE);
  glEnable(GL_TEXTURE_2D);
  BindNamedTexture("WATER");
  SphereMapping(1);
  glColor4f(1, 1, 1, 1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 0.5f);

  const TWaterBlend blend = WaterBlend(q);
  const TGeoxData& water = WaterSurface;
  BlendWaterSurface(q, WaterSurface);
  double clip[16];
  CurrentClipMatrix(clip);
  if (VisibleWaterCorners(Terrains[blend.a], Terrains[blend.b], water, clip, WaterCorners))
    DrawGeoxSmoothCorners(water, WaterCorners);
  else
    DrawGeoxSmooth(water);
  SphereMapping(0);
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
}

void DrawFadeQuad(TColour colour, TFadeBlend blend)
{
  MarkFrameStep(TFrameStep::Effects);
  glViewport(0, 0, FrameWidth, FrameHeight);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  if (blend == TFadeBlend::Additive)
    glBlendFunc(GL_ONE, GL_ONE);
  else
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 1);
  Begin2D();
  glDisable(GL_CULL_FACE);
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  SetColour(colour);
  glVertex2f(0, 0);
  glVertex2f(static_cast<float>(ScreenWidth), 0);
  glVertex2f(static_cast<float>(ScreenWidth), static_cast<float>(ScreenHeight));
  glVertex2f(0, static_cast<float>(ScreenHeight));
  glEnd();
  glDisable(GL_BLEND);
  End2D();
  glEnable(GL_TEXTURE_2D);
}

void DrawLetterboxBars()
{
  MarkFrameStep(TFrameStep::Effects);
  // The bars' whole rows in overlay units: every row outside the band.
  const float w = static_cast<float>(ScreenWidth);
  const float h = static_cast<float>(ScreenHeight);
  const TLetterbox letterbox = FrameLetterbox(FrameHeight);
  const float top = static_cast<float>(static_cast<double>(letterbox.Bar) * ScreenHeight / FrameHeight);
  const float bottom = static_cast<float>(static_cast<double>(letterbox.Bar + letterbox.Band) *
                                          ScreenHeight / FrameHeight);
  glColor4f(1, 1, 1, 1);
  glViewport(0, 0, FrameWidth, FrameHeight);
  glDisable(GL_DEPTH_TEST);
  glColor4f(1, 1, 1, 1);
  Begin2D();
  glDisable(GL_CULL_FACE);
  glDisable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  glColor4f(0, 0, 0, 1);
  glVertex2f(0, 0);
  glVertex2f(w, 0);
  glVertex2f(w, top);
  glVertex2f(0, top);
  glVertex2f(0, bottom);
  glVertex2f(w, bottom);
  glVertex2f(w, h);
  glVertex2f(0, h);
  glEnd();
  End2D();
  glEnable(GL_TEXTURE_2D);
  glColor4f(1, 1, 1, 1);
}

void FinishFrame(float t, float a, TFramePacing pacing)
{
  MarkFrameStep(TFrameStep::Effects);
  DrawTrail(TrailAlpha(t, pacing));
  CaptureScreen();
  DrawScreenThumbnail();
  CaptureGlowCorner();
  DrawGlowThumbnail();
  BlurCorner(155);
  if (!MixBlurAndAddGlow(1, 1, 1, a)) {
    RestoreScreen();
    MixBlur(1, 1, 1, a);
    AddGlow();
  }
  FlipScreenCopies();
}

void DrawCaption(const TCaption& caption)
{
  DrawText(caption.Text, FontTexture, caption.X, caption.Y, caption.GlyphWidth, caption.GlyphHeight,
           caption.Advance, caption.Colour.r, caption.Colour.g, caption.Colour.b, caption.Colour.a);
}

TVector3 RandomJolt(TVector3 amplitude)
{
  const int r1 = NextRandom(10000);
  const int r2 = NextRandom(10000);
  const int r3 = NextRandom(10000);
  return {static_cast<float>(amplitude.x * (r3 / 10000.0 - 0.5)),
          static_cast<float>(amplitude.y * (r2 / 10000.0 - 0.5)),
          static_cast<float>(amplitude.z * (r1 / 10000.0 - 0.5))};
}

void BeatShake(float p, float amplitude)
{
  if (BeatTable[BeatStep(p)] != 1)
    return;
  const TVector3 jolt = RandomJolt({amplitude, amplitude, amplitude});
  glTranslatef(jolt.x, jolt.y, jolt.z);
}

void StreakRings(float p, float angleStep, float heightStep, double flights)
{
  const TColour black = {0, 0, 0, 1};
  for (int i = 0; i < 6; ++i) {
    glPushMatrix();
    glRotatef(angleStep * i, 0, 1, 0);
    glTranslatef(0, heightStep * i, 0);
    DrawStreaks(p, flights, black, black);
    glPopMatrix();
  }
}
