// Triangle meshes as the generator builds them before writing: positions in
// the program's model space (y up, counter-clockwise faces seen from
// outside), one texture coordinate per vertex (v = 0 is the top row of the
// image). Construction is done in double precision; the writers round to
// 32-bit floats.
#pragma once

#include "engine/numbers.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

struct TVec {
  double x, y, z;
};

inline TVec operator+(TVec a, TVec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline TVec operator-(TVec a, TVec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline TVec operator*(TVec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline TVec operator*(double s, TVec a) { return a * s; }
inline double Dot(TVec a, TVec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline TVec Cross(TVec a, TVec b)
{
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(TVec a);
TVec Normalize(TVec a);

struct TMeshVertex {
  TVec Position;
  double U, V;
};

struct TMesh {
  std::vector<TMeshVertex> Vertices;
  std::vector<std::array<int32_t, 3>> Faces;
};

// The generator's own deterministic random sequence (a 32-bit linear
// congruential generator), so the content does not depend on the standard
// library's distributions.
struct TRandom {
  uint32_t State;
  // Uniform in [0, 1).
  double Next();
  double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }
};

struct TBounds {
  TVec Min, Max;
};
TBounds MeshBounds(const TMesh& mesh);

int AddVertex(TMesh& mesh, TVec position, double u, double v);
void Append(TMesh& mesh, const TMesh& part);
void TransformMesh(TMesh& mesh, const std::function<TVec(TVec)>& transform);

// A flat quad with its own four vertices, corners given in order around it;
// the faces are wound so that their normal points along outward.
void AddQuad(TMesh& mesh, const std::array<TVec, 4>& corners,
             const std::array<std::array<double, 2>, 4>& uv, TVec outward);

// A flat triangle with its own vertices, wound to face outward.
void AddTriangle(TMesh& mesh, const std::array<TVec, 3>& corners,
                 const std::array<std::array<double, 2>, 3>& uv, TVec outward);

// Which faces of a box to build.
enum TBoxFaces : unsigned {
  BoxLeft = 1, BoxRight = 2, BoxBottom = 4, BoxTop = 8, BoxBack = 16, BoxFront = 32,
  BoxAll = 63, BoxNoBottom = 59
};

// An axis-aligned box, each face flat with its own vertices. Texture
// coordinates are planar in world units: one repeat of the texture every
// repeat units, v growing downward on the walls.
void AddBox(TMesh& mesh, TVec min, TVec max, double repeat, unsigned faces = BoxAll);

// A grid surface: position(s, t) for s, t in [0, 1] over columns x rows cells,
// texture coordinates (s * uScale, t * vScale) plus offsets. Each triangle is
// wound so that its normal points away from inside(position), a point on the
// axis or centre of the solid. Smooth: grid vertices are shared.
void AddGrid(TMesh& mesh, int columns, int rows, const std::function<TVec(double, double)>& position,
             const std::function<TVec(TVec)>& inside, double uScale = 1, double vScale = 1,
             double uOffset = 0, double vOffset = 0);

// Two unit vectors perpendicular to axis and to each other, the first as close
// to hint as the axis allows.
void PerpendicularBasis(TVec axis, TVec hint, TVec& e1, TVec& e2);

// A smooth capsule from a to b: a cylinder with half-ellipsoid ends. The
// cross-section has radius r1 along the first basis vector (nearest to hint)
// and r2 along the second. u runs around (0.5 towards hint), v along a to b.
void AddCapsule(TMesh& mesh, TVec a, TVec b, double r1, double r2, TVec hint, int sides,
                double uScale = 1, double vScale = 1, double vOffset = 0);

// A smooth open or capped cylinder (frustum) from a to b with radii ra, rb.
void AddCylinder(TMesh& mesh, TVec a, TVec b, double ra, double rb, int sides, double uScale,
                 double vScale, bool caps);

// An ellipsoid with radii along x, y, z, u = longitude (0.5 facing +z), v = 0
// at the top pole.
void AddEllipsoid(TMesh& mesh, TVec centre, TVec radii, int slices, int stacks);

// A torus about the y axis through centre.
void AddTorus(TMesh& mesh, TVec centre, double majorRadius, double minorRadius, int segments,
              int sides, double startAngle = 0, double endAngle = 2 * Pi);
