// Pieces several scenes share: the inclusive range test, the choice of shot
// and path fraction for scenes cut into equal shots, the per-shot pulse that
// restarts at every cut, the black fade and white flash quads, the spreading
// caption advance, and the model passes several scenes draw (the Wobbla and
// arounder models, lit textured models, the placing of the human models).
//
// p is a scene's progress in [0, 1) held as a float; the arithmetic on it is
// done in double. Angles are radians. Everything here is plain arithmetic
// except the drawing functions at the end, which issue GL calls.
#pragma once

#include "engine/geox.h"
#include "scenes/frame.h"

// lo <= x <= hi, inclusive at both ends.
bool InsideRange(double x, double lo, double hi);

// The shot shown at p when the scene is cut into `shots` equal shots, and the
// fraction of that shot's path: Index = Trunc(shots * p) mod shots, Fraction =
// (p - Index / shots) * pace. pace 2 flies the first half of each path.
struct TShot {
  int Index;
  float Fraction;
};
TShot ChooseShot(float p, int shots, double pace);

// The elapsed part of the current shot in steps of 1/1000:
// (Round(1000 * shots * p) mod 1000) / 1000, rounding halves to even. Being
// rounded, it restarts at 0 up to half a step before ChooseShot's cut.
double ShotPulse(float p, int shots);

// A full-screen quad for DrawFadeQuad.
struct TFade {
  TColour Colour;
  TFadeBlend Blend;
};
// Black with alpha 1 - sin^2 u, alpha blended: opaque at u = 0 and u = pi,
// clear at u = pi / 2.
TFade BlackFade(double u);
// Grey c = 1 - (sin u)^(1/4) (two square roots), added: white at u = 0 and
// u = pi, nothing at u = pi / 2.
TFade WhiteFlash(double u);

// The caption advance 40 + 25 p: letters 50 wide that start overlapping and
// spread apart over the scene.
float CaptionAdvance(float p);

// WobblaModels from their display lists, lit and sphere-mapped with the
// "WOBBLAENV" texture, the last model with "WOBBLAENVRED" instead. Turns
// lighting and texturing on; leaves lighting and sphere mapping off,
// texturing on and the colour white.
void DrawWobblaModels();

// ArounderModel from its display list: opaque, lit with the default material,
// untextured, writing depth. Leaves blending, lighting and texturing off and
// the colour white.
void DrawArounderModel();

// Entry i of scene, smooth-shaded and lit (default material) with the texture
// of its own name. Lighting is off again afterwards.
void DrawModelLit(const TGeoxScene& scene, int i);

// The human models stand in the city turned half round about y, at
// (-50, 239.8, z) and 1/70 of their modelled size. Multiplies the modelview
// matrix; the caller pushes and pops it.
void PlaceHumanModels(float z);
