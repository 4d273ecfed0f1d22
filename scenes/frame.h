// The common scene frame: the steps every scene composes in its Render, most
// often in this order: SceneCamera, DrawSky, BeginSceneFrame, DrawCityChrome,
// DrawCityTextured, (the scene's own models), DrawCityWallOverlay,
// DrawStreaks, DrawSmokeColumns, DrawSun, DrawGroundHaze, DrawWater,
// DrawFadeQuad, DrawLetterboxBars, then EndSceneFrame (FinishFrame and the
// captions). The scenes vary it where their pictures
// need: most of those with smoke draw it after the haze (and the water), the
// outro draws its fade over the bars, and each Render lists its own order.
//
// p is the scene's progress in [0, 1) at the frame's music time; the steps
// that animate take it as their first argument. Each step leaves the GL state
// the next one expects:
// - at the start of Render: full-window viewport, depth test, lighting and
//   blending off, depth writes on, texturing on, colour white;
// - after BeginSceneFrame: the letterbox band's viewport (FrameLetterbox:
//   640 x 360 at 640 x 480, the frame's rows between the bars at any size), depth test on
//   (GL_LEQUAL), light 0 on but lighting off, texturing on;
// - after DrawStreaks: texturing off; DrawSmokeColumn, DrawSun and DrawWater
//   turn it back on, DrawGroundHaze leaves it off;
// - after DrawFadeQuad and DrawLetterboxBars: full-window viewport, depth test
//   off, texturing on, colour white, overlay projection loaded.
// Frac4, BeatStep, WaterBlend, BlendWaterSurface, TrailAlpha and RandomJolt
// are plain arithmetic (RandomJolt draws from NextRandom), SceneCamera only
// samples the path into Camera; the other steps issue GL calls, through the
// engine only: a frame goes from the scene's Render down through these steps
// (and the passes of scenes/passes.h) to the engine, and nothing here calls
// back up into a scene. Nothing here
// keeps a value from one frame to the next for the scenes: the frame's
// pacing comes in as an argument (the timeline keeps it), the trail factor
// and the blur mix are FinishFrame's arguments. The water's culling is in
// scenes/waterculling.h, the beat pattern in scenes/musicrules.h.
#pragma once

#include "engine/camera.h"
#include "engine/geox.h"
#include "engine/numbers.h"
#include "scenes/musicrules.h"
#include "scenes/scene.h"

#include <cstdint>
#include <string>
#include <vector>

struct TColour {
  float r, g, b, a;
};

// The dusty haze colours, engine/haze.h's HazeLightRgb and HazeDarkRgb over 255.
extern const TColour HazeLight;
extern const TColour HazeDark;

// The fractional part of x to four decimals: (Round(x * 10000) mod 10000) / 10000
// with a truncating remainder.
double Frac4(double x);

// The 32-step pattern position of p: Trunc(p * 128) mod 32.
int BeatStep(float p);

// Which height fields the water blends at phase q, and the weight of the first.
struct TWaterBlend {
  int a, b;
  double w;
};
TWaterBlend WaterBlend(double q);

// The trail alpha FinishFrame hands to DrawTrail: trail factor t (0 to 1, how
// much of the old picture the trail keeps) over the frame's pacing.
float TrailAlpha(float t, TFramePacing pacing);

enum class TFadeBlend { Alpha, Additive };

// One line of text as DrawCaption draws it with the font: glyph k's box
// starts at X - length * Advance / 2 + k * Advance, every box GlyphWidth x
// GlyphHeight with its bottom at Y.
struct TCaption {
  std::string Text;
  float X, Y;  // line centre, glyph bottoms
  float GlyphWidth, GlyphHeight;
  float Advance;
  TColour Colour;  // the letters' colour; a is their opacity
};

void SceneCamera(const TCameraPath& path, float fraction);
// Fills only the letterbox band; the scene's bars cover the rest.
void DrawSky();
void BeginSceneFrame();
void DrawCityChrome();
void DrawCityTextured();
void DrawCityWallOverlay();
// Streaks fly their arch `flights` times over the scene.
void DrawStreaks(float p, double flights, TColour head, TColour tail);
void DrawSmokeColumn(float p, float x, float y, float z, double rate);
void DrawSmokeColumns(float p, double rate);
void DrawSun();
void DrawGroundHaze(TColour colour);
// The water's surface at phase q: the two height fields of WaterBlend(q)
// (Terrains) mixed vertex by vertex, positions and normals, with its weight;
// its faces are the fields'. Plain arithmetic, no GL.
void BlendWaterSurface(double q, TGeoxData& surface);
// Blends the whole surface (BlendWaterSurface, into the water step's own
// scratch) but draws only the blocks of VisibleWaterCorners, in face order:
// the same pixels for about a third of the triangles.
void DrawWater(double q);
void DrawFadeQuad(TColour colour, TFadeBlend blend);
void DrawLetterboxBars();
// The post-processing chain: the trail with TrailAlpha(t, pacing), the screen
// copies, the blur and the glow, the blur mixed in with alpha a (0 blurred, 1
// sharp).
void FinishFrame(float t, float a, TFramePacing pacing);
// One caption line with FontTexture, blended over the frame, as DrawText
// draws it and leaves the state.
void DrawCaption(const TCaption& caption);

// The trail factor of every scene: how much of the old picture the trail keeps.
constexpr float SceneTrailFactor = 0.3f;

// The last step of every scene's frame, after DrawLetterboxBars: FinishFrame
// with SceneTrailFactor, the plan's FadeLevel as the blur mix and the frame's
// pacing, then the plan's Captions drawn over the finished frame.
template <class TPlan>
void EndSceneFrame(const TPlan& plan, TFramePacing pacing)
{
  FinishFrame(SceneTrailFactor, plan.FadeLevel, pacing);
  for (const TCaption& caption : plan.Captions)
    DrawCaption(caption);
}

// A random offset of up to half the amplitude either way on each axis:
// draws r1, r2, r3 = NextRandom(10000) in that order and returns
// (x (r3 / 10000 - 0.5), y (r2 / 10000 - 0.5), z (r1 / 10000 - 0.5)) of the
// amplitude. The beat shake and the atom's quake both jolt the view with it.
TVector3 RandomJolt(TVector3 amplitude);
// Translates the modelview by RandomJolt(a, a, a) on the beat steps; draws
// three random numbers on those steps and none on the others.
void BeatShake(float p, float amplitude);
// Six copies of black streaks flying `flights` times over the scene, copy i
// turned by angleStep i degrees about the vertical axis and raised by
// heightStep i units.
void StreakRings(float p, float angleStep, float heightStep, double flights);
