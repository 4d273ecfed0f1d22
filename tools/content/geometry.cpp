#include "tools/content/geometry.h"

#include "engine/numbers.h"

#include <algorithm>
#include <cmath>

namespace {

// Adds triangle a, b, c, flipped if its normal points against outward.
void AddOrientedTriangle(TMesh& mesh, int a, int b, int c, TVec outward)
{
  const TVec pa = mesh.Vertices[a].Position;
  const TVec n = Cross(mesh.Vertices[b].Position - pa, mesh.Vertices[c].Position - pa);
  if (Dot(n, outward) < 0)
    std::swap(b, c);
  mesh.Faces.push_back({a, b, c});
}

}  // namespace

double TRandom::Next()
{
  State = State * 1664525u + 1013904223u;
  return (State >> 8) / double(1u << 24);
}

void AddTriangle(TMesh& mesh, const std::array<TVec, 3>& corners,
                 const std::array<std::array<double, 2>, 3>& uv, TVec outward)
{
  const int a = AddVertex(mesh, corners[0], uv[0][0], uv[0][1]);
  const int b = AddVertex(mesh, corners[1], uv[1][0], uv[1][1]);
  const int c = AddVertex(mesh, corners[2], uv[2][0], uv[2][1]);
  AddOrientedTriangle(mesh, a, b, c, outward);
}

double Length(TVec a) { return std::sqrt(Dot(a, a)); }

TVec Normalize(TVec a)
{
  const double l = Length(a);
  return l > 0 ? a * (1.0 / l) : a;
}

TBounds MeshBounds(const TMesh& mesh)
{
  TBounds b{{1e30, 1e30, 1e30}, {-1e30, -1e30, -1e30}};
  for (const TMeshVertex& v : mesh.Vertices) {
    b.Min = {std::min(b.Min.x, v.Position.x), std::min(b.Min.y, v.Position.y),
             std::min(b.Min.z, v.Position.z)};
    b.Max = {std::max(b.Max.x, v.Position.x), std::max(b.Max.y, v.Position.y),
             std::max(b.Max.z, v.Position.z)};
  }
  return b;
}

int AddVertex(TMesh& mesh, TVec position, double u, double v)
{
  mesh.Vertices.push_back({position, u, v});
  return static_cast<int>(mesh.Vertices.size()) - 1;
}

void Append(TMesh& mesh, const TMesh& part)
{
  const int base = static_cast<int>(mesh.Vertices.size());
  mesh.Vertices.insert(mesh.Vertices.end(), part.Vertices.begin(), part.Vertices.end());
  for (const auto& f : part.Faces)
    mesh.Faces.push_back({f[0] + base, f[1] + base, f[2] + base});
}

void TransformMesh(TMesh& mesh, const std::function<TVec(TVec)>& transform)
{
  for (TMeshVertex& v : mesh.Vertices)
    v.Position = transform(v.Position);
}

void AddQuad(TMesh& mesh, const std::array<TVec, 4>& corners,
             const std::array<std::array<double, 2>, 4>& uv, TVec outward)
{
  int i[4];
  for (int k = 0; k < 4; ++k)
    i[k] = AddVertex(mesh, corners[k], uv[k][0], uv[k][1]);
  AddOrientedTriangle(mesh, i[0], i[1], i[2], outward);
  AddOrientedTriangle(mesh, i[0], i[2], i[3], outward);
}

void AddBox(TMesh& mesh, TVec lo, TVec hi, double repeat, unsigned faces)
{
  const double r = 1.0 / repeat;
  // Walls: u runs to the right of a viewer facing the wall, v downward.
  if (faces & BoxLeft)
    AddQuad(mesh, {{{lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}, {lo.x, lo.y, lo.z}}},
            {{{lo.z * r, -hi.y * r}, {hi.z * r, -hi.y * r}, {hi.z * r, -lo.y * r}, {lo.z * r, -lo.y * r}}},
            {-1, 0, 0});
  if (faces & BoxRight)
    AddQuad(mesh, {{{hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}}},
            {{{-hi.z * r, -hi.y * r}, {-lo.z * r, -hi.y * r}, {-lo.z * r, -lo.y * r}, {-hi.z * r, -lo.y * r}}},
            {1, 0, 0});
  if (faces & BoxBack)
    AddQuad(mesh, {{{hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}}},
            {{{-hi.x * r, -hi.y * r}, {-lo.x * r, -hi.y * r}, {-lo.x * r, -lo.y * r}, {-hi.x * r, -lo.y * r}}},
            {0, 0, -1});
  if (faces & BoxFront)
    AddQuad(mesh, {{{lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}}},
            {{{lo.x * r, -hi.y * r}, {hi.x * r, -hi.y * r}, {hi.x * r, -lo.y * r}, {lo.x * r, -lo.y * r}}},
            {0, 0, 1});
  if (faces & BoxTop)
    AddQuad(mesh, {{{lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}}},
            {{{lo.x * r, lo.z * r}, {hi.x * r, lo.z * r}, {hi.x * r, hi.z * r}, {lo.x * r, hi.z * r}}},
            {0, 1, 0});
  if (faces & BoxBottom)
    AddQuad(mesh, {{{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}}},
            {{{lo.x * r, lo.z * r}, {hi.x * r, lo.z * r}, {hi.x * r, hi.z * r}, {lo.x * r, hi.z * r}}},
            {0, -1, 0});
}

void AddGrid(TMesh& mesh, int columns, int rows, const std::function<TVec(double, double)>& position,
             const std::function<TVec(TVec)>& inside, double uScale, double vScale, double uOffset,
             double vOffset)
{
  const int base = static_cast<int>(mesh.Vertices.size());
  for (int j = 0; j <= rows; ++j)
    for (int i = 0; i <= columns; ++i) {
      const double s = double(i) / columns, t = double(j) / rows;
      AddVertex(mesh, position(s, t), s * uScale + uOffset, t * vScale + vOffset);
    }
  auto at = [&](int i, int j) { return base + j * (columns + 1) + i; };
  for (int j = 0; j < rows; ++j)
    for (int i = 0; i < columns; ++i) {
      const int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
      const TVec centre = (mesh.Vertices[a].Position + mesh.Vertices[c].Position) * 0.5;
      const TVec outward = centre - inside(centre);
      // Split along the diagonal that does not collapse at a pole.
      if (Length(mesh.Vertices[a].Position - mesh.Vertices[b].Position) < 1e-9) {
        AddOrientedTriangle(mesh, a, c, d, outward);
      } else if (Length(mesh.Vertices[c].Position - mesh.Vertices[d].Position) < 1e-9) {
        AddOrientedTriangle(mesh, a, b, c, outward);
      } else {
        AddOrientedTriangle(mesh, a, b, c, outward);
        AddOrientedTriangle(mesh, a, c, d, outward);
      }
    }
}

void PerpendicularBasis(TVec axis, TVec hint, TVec& e1, TVec& e2)
{
  const TVec d = Normalize(axis);
  TVec h = hint - d * Dot(hint, d);
  if (Length(h) < 1e-6) {
    const TVec other = std::fabs(d.x) < 0.9 ? TVec{1, 0, 0} : TVec{0, 0, 1};
    h = other - d * Dot(other, d);
  }
  e1 = Normalize(h);
  e2 = Cross(d, e1);
}

void AddCapsule(TMesh& mesh, TVec a, TVec b, double r1, double r2, TVec hint, int sides,
                double uScale, double vScale, double vOffset)
{
  const TVec axis = b - a;
  const double length = Length(axis);
  const TVec d = Normalize(axis);
  TVec e1, e2;
  PerpendicularBasis(axis, hint, e1, e2);
  const double cap = std::min(r1, r2);
  // t runs over the profile: the first cap, the straight part, the second cap.
  const int capRows = std::max(3, sides / 4);
  const int rows = 2 * capRows + 2;
  auto profile = [&](double t, double& along, double& scale) {
    const double row = t * rows;
    if (row <= capRows) {
      const double angle = (Pi / 2) * (1 - row / capRows);
      along = -cap * std::sin(angle);
      scale = std::cos(angle);
    } else if (row >= rows - capRows) {
      const double angle = (Pi / 2) * (row - (rows - capRows)) / capRows;
      along = length + cap * std::sin(angle);
      scale = std::cos(angle);
    } else {
      along = length * (row - capRows) / (rows - 2 * capRows);
      scale = 1;
    }
  };
  AddGrid(
      mesh, sides, rows,
      [&](double s, double t) {
        double along, scale;
        profile(t, along, scale);
        const double angle = 2 * Pi * (s - 0.5);
        return a + d * along + e1 * (std::cos(angle) * r1 * scale) +
               e2 * (std::sin(angle) * r2 * scale);
      },
      [&](TVec p) {
        const double along = std::clamp(Dot(p - a, d), 0.0, length);
        return a + d * along;
      },
      uScale, vScale, 0, vOffset);
}

void AddCylinder(TMesh& mesh, TVec a, TVec b, double ra, double rb, int sides, double uScale,
                 double vScale, bool caps)
{
  const TVec axis = b - a;
  const double length = Length(axis);
  const TVec d = Normalize(axis);
  TVec e1, e2;
  PerpendicularBasis(axis, {0, 0, -1}, e1, e2);
  AddGrid(
      mesh, sides, 1,
      [&](double s, double t) {
        const double angle = 2 * Pi * s;
        const double r = ra + (rb - ra) * t;
        return a + d * (length * t) + e1 * (std::cos(angle) * r) + e2 * (std::sin(angle) * r);
      },
      [&](TVec p) { return a + d * std::clamp(Dot(p - a, d), 0.0, length); }, uScale, vScale);
  if (!caps)
    return;
  for (int end = 0; end < 2; ++end) {
    const TVec c = end ? b : a;
    const double r = end ? rb : ra;
    const TVec out = end ? d : d * -1.0;
    const int centre = AddVertex(mesh, c, 0.5, 0.5);
    const int first = static_cast<int>(mesh.Vertices.size());
    for (int i = 0; i <= sides; ++i) {
      const double angle = 2 * Pi * i / sides;
      AddVertex(mesh, c + e1 * (std::cos(angle) * r) + e2 * (std::sin(angle) * r),
                0.5 + 0.5 * std::cos(angle), 0.5 + 0.5 * std::sin(angle));
    }
    for (int i = 0; i < sides; ++i)
      AddOrientedTriangle(mesh, centre, first + i, first + i + 1, out);
  }
}

void AddEllipsoid(TMesh& mesh, TVec centre, TVec radii, int slices, int stacks)
{
  AddGrid(
      mesh, slices, stacks,
      [&](double s, double t) {
        const double lon = 2 * Pi * (s - 0.5), lat = Pi * (0.5 - t);
        return centre + TVec{radii.x * std::sin(lon) * std::cos(lat), radii.y * std::sin(lat),
                             radii.z * std::cos(lon) * std::cos(lat)};
      },
      [&](TVec) { return centre; });
}

void AddTorus(TMesh& mesh, TVec centre, double majorRadius, double minorRadius, int segments,
              int sides, double startAngle, double endAngle)
{
  auto ring = [&](double s) {
    const double a = startAngle + (endAngle - startAngle) * s;
    return TVec{std::cos(a), 0, std::sin(a)};
  };
  AddGrid(
      mesh, segments, sides,
      [&](double s, double t) {
        const TVec r = ring(s);
        const double b = 2 * Pi * t;
        return centre + r * (majorRadius + minorRadius * std::cos(b)) +
               TVec{0, minorRadius * std::sin(b), 0};
      },
      [&](TVec p) {
        const TVec flat = {p.x - centre.x, 0, p.z - centre.z};
        return centre + Normalize(flat) * majorRadius;
      },
      (endAngle - startAngle) * majorRadius / (2 * Pi * minorRadius), 1);
}
