// Atom's sky shells drawn in one pass (the fast path of engine/shaders.h).
//
// The shells are 26 copies of the sky sphere, each added over the frame where
// it passes the depth test, writing no depth. One quad over the viewport with
// a GLSL program does the same per pixel: it follows the pixel's ray from the
// eye, counts the crossings of the spheres (both sides: nothing is culled)
// that lie between the near and the far plane and in front of the frame's
// depth (copied first), and adds that many shells' colour, saturated, as the
// blend unit adds them one by one. A shell whose surface passes close to the
// eye is drawn as the model instead (see DrawSpheresInOnePass). It returns
// false, drawing nothing, where the reference path is in force, the frame is
// multisampled (its depth cannot be copied), the program could not be built,
// the projection is not a frustum (glFrustum or gluPerspective: an
// orthographic one, say) or the modelview cannot be inverted; the caller
// then draws the shells. It issues GL calls and draws in the current
// viewport with the current camera matrices, leaving the GL state as drawing
// the shells would: texture unit 1, through which it reads the frame's
// depth, is left with no texture bound and unit 0 active.
#pragma once

#include "engine/geox.h"
#include "scenes/frame.h"

// A model whose every vertex lies at one distance from the origin (within a
// thousandth): that radius, and how far its facets sink below it at most, as
// a share of the radius. Radius 0 when the model is no such sphere.
struct TSphereModel {
  double Radius = 0;
  double FacetDepth = 0;
};
TSphereModel SphereModel(const TGeoxData& model);

// count copies of a sphere model scaled by scales[i], each adding colour
// (saturated) where it passes the depth test, seen from both sides, as count
// additive draws of the model would. The scales must rise evenly, smallest
// first; copies whose surface passes within a few facet depths of the eye
// (at most four) are drawn as the model. Otherwise it returns false.
bool DrawSpheresInOnePass(const TGeoxData& model, const TSphereModel& sphere, const float* scales,
                          int count, TColour colour);
