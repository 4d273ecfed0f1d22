#include "tools/content/shapes.h"

#include "engine/numbers.h"
#include "tools/content/geometry.h"
#include "tools/content/writers.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

// The sky is a sphere of this radius around the origin. The atom flash draws
// it again scaled up to nine times, so its shells reach just beyond the city.
constexpr double SkyRadius = 320;

// A closed smooth blob with no seam: rows of a latitude grid that wrap
// around, and one vertex at each pole, so every vertex normal averages all
// of its neighbours.
TMesh Blob(TVec centre, double radius, double a, double b, double c)
{
  TMesh mesh;
  const int slices = 40, stacks = 28;
  auto point = [&](double lon, double lat) {
    const TVec d = {std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon)};
    const double r = radius * (1 + 0.16 * std::sin(3 * lon + a) * std::cos(2 * lat) +
                               0.11 * std::sin(4 * lat + b) + 0.07 * std::cos(5 * lon - c) * std::cos(lat));
    return centre + d * r;
  };
  const int top = AddVertex(mesh, point(0, Pi / 2), 0, 0);
  for (int j = 1; j < stacks; ++j)
    for (int i = 0; i < slices; ++i)
      AddVertex(mesh, point(2 * Pi * i / slices, Pi / 2 - Pi * j / stacks), double(i) / slices,
                double(j) / stacks);
  const int bottom = AddVertex(mesh, point(0, -Pi / 2), 0, 1);
  auto at = [&](int i, int j) { return 1 + (j - 1) * slices + (i % slices); };
  // Longitude grows towards +x from +z, so (i, j), (i, j + 1), (i + 1, j + 1)
  // runs counter-clockwise seen from outside.
  for (int i = 0; i < slices; ++i) {
    mesh.Faces.push_back({top, at(i, 1), at(i + 1, 1)});
    mesh.Faces.push_back({bottom, at(i + 1, stacks - 1), at(i, stacks - 1)});
    for (int j = 1; j < stacks - 1; ++j) {
      mesh.Faces.push_back({at(i, j), at(i, j + 1), at(i + 1, j + 1)});
      mesh.Faces.push_back({at(i, j), at(i + 1, j + 1), at(i + 1, j)});
    }
  }
  return mesh;
}

TMesh Sky()
{
  TMesh mesh;
  AddEllipsoid(mesh, {0, 0, 0}, {SkyRadius, SkyRadius, SkyRadius}, 64, 32);
  return mesh;
}

// A cage that turns over the plaza: a ring, a smaller ring above it, four
// ribs up to a hub and hanging spikes, all smooth and untextured.
TMesh Arounder()
{
  TMesh mesh;
  const double ringRadius = 290, ringHeight = 330, hubHeight = 520;
  AddTorus(mesh, {0, ringHeight, 0}, ringRadius, 15, 96, 12);
  AddTorus(mesh, {0, 455, 0}, 175, 9, 64, 10);
  for (int rib = 0; rib < 4; ++rib) {
    const double angle = rib * Pi / 2 + Pi / 4;
    const TVec out = {std::cos(angle), 0, std::sin(angle)};
    TVec previous = out * ringRadius + TVec{0, ringHeight, 0};
    for (int k = 1; k <= 10; ++k) {
      const double t = k * (Pi / 2) / 10;
      const TVec next = out * (ringRadius * std::cos(t)) + TVec{0, ringHeight + (hubHeight - ringHeight) * std::sin(t), 0};
      AddCapsule(mesh, previous, next, 10, 10, {0, 1, 0}, 12);
      previous = next;
    }
  }
  AddEllipsoid(mesh, {0, hubHeight, 0}, {36, 28, 36}, 20, 12);
  AddCapsule(mesh, {0, hubHeight, 0}, {0, hubHeight + 90, 0}, 8, 8, {0, 0, 1}, 12);
  for (int k = 0; k < 24; ++k) {
    const double angle = k * 2 * Pi / 24;
    const TVec at = {ringRadius * std::cos(angle), ringHeight, ringRadius * std::sin(angle)};
    const double length = (k % 2) ? 45 : 80;
    AddCylinder(mesh, at, at - TVec{0, length, 0}, 9, 1, 10, 1, 1, false);
  }
  return mesh;
}

// The corridor runs along +z from z = 0 to 2000, 80 wide and 70 high, seen
// from inside. Lighting is off for it, so corridor.jpg carries four bands of
// shaded surfaces: walls, floor, ceiling, frames. Window gaps in the walls and
// the ceiling, and the open far end, show the world behind.
TMesh Corridor()
{
  TMesh mesh;
  constexpr double Width = 40, Height = 70, Segment = 100;
  constexpr int Segments = 20;
  auto band = [](int b, double t) { return b * 0.25 + 0.02 + t * 0.21; };
  // A panel on a wall or the floor or ceiling: corners around it, facing in.
  auto panel = [&](TVec a, TVec b, TVec c, TVec d, int bandIndex, double t0, double t1, TVec inward) {
    AddQuad(mesh, {{a, b, c, d}},
            {{{0, band(bandIndex, t0)}, {1, band(bandIndex, t0)}, {1, band(bandIndex, t1)}, {0, band(bandIndex, t1)}}},
            inward);
  };
  for (int k = 0; k < Segments; ++k) {
    const double z0 = k * Segment, z1 = z0 + Segment;
    panel({-Width, 0, z0}, {-Width, 0, z1}, {Width, 0, z1}, {Width, 0, z0}, 1, 0, 1, {0, 1, 0});
    if (k % 4 == 2) {
      panel({-Width, Height, z0}, {-Width, Height, z1}, {-18, Height, z1}, {-18, Height, z0}, 2, 0, 0.3, {0, -1, 0});
      panel({18, Height, z0}, {18, Height, z1}, {Width, Height, z1}, {Width, Height, z0}, 2, 0.7, 1, {0, -1, 0});
    } else {
      panel({-Width, Height, z0}, {-Width, Height, z1}, {Width, Height, z1}, {Width, Height, z0}, 2, 0, 1, {0, -1, 0});
    }
    for (int s = 0; s < 2; ++s) {
      const double x = s ? Width : -Width;
      const TVec in = {s ? -1.0 : 1.0, 0, 0};
      if (k % 3 == 1) {
        // A window: low and high strips, jambs at both ends.
        panel({x, 24, z0}, {x, 24, z1}, {x, 0, z1}, {x, 0, z0}, 0, 0.66, 1, in);
        panel({x, Height, z0}, {x, Height, z1}, {x, 54, z1}, {x, 54, z0}, 0, 0, 0.23, in);
        panel({x, 54, z0}, {x, 54, z0 + 12}, {x, 24, z0 + 12}, {x, 24, z0}, 0, 0.23, 0.66, in);
        panel({x, 54, z1 - 12}, {x, 54, z1}, {x, 24, z1}, {x, 24, z1 - 12}, 0, 0.23, 0.66, in);
      } else {
        panel({x, Height, z0}, {x, Height, z1}, {x, 0, z1}, {x, 0, z0}, 0, 0, 1, in);
      }
    }
    // A frame ring at the start of every segment, standing 4 units in.
    const double f0 = z0, f1 = z0 + 6, i = 4;
    panel({-Width + i, Height - i, f0}, {-Width + i, Height - i, f1}, {-Width + i, i, f1}, {-Width + i, i, f0}, 3, 0, 1, {1, 0, 0});
    panel({Width - i, Height - i, f1}, {Width - i, Height - i, f0}, {Width - i, i, f0}, {Width - i, i, f1}, 3, 0, 1, {-1, 0, 0});
    panel({-Width + i, Height - i, f1}, {-Width + i, Height - i, f0}, {Width - i, Height - i, f0}, {Width - i, Height - i, f1}, 3, 0, 1, {0, -1, 0});
    panel({-Width + i, i, f0}, {-Width + i, i, f1}, {Width - i, i, f1}, {Width - i, i, f0}, 3, 0, 1, {0, 1, 0});
    for (const double fz : {f0, f1}) {
      const TVec facing = {0, 0, fz == f0 ? -1.0 : 1.0};
      panel({-Width, Height, fz}, {Width, Height, fz}, {Width, Height - i, fz}, {-Width, Height - i, fz}, 3, 0, 0.2, facing);
      panel({-Width, i, fz}, {Width, i, fz}, {Width, 0, fz}, {-Width, 0, fz}, 3, 0.8, 1, facing);
      panel({-Width, Height - i, fz}, {-Width + i, Height - i, fz}, {-Width + i, i, fz}, {-Width, i, fz}, 3, 0, 1, facing);
      panel({Width - i, Height - i, fz}, {Width, Height - i, fz}, {Width, i, fz}, {Width - i, i, fz}, 3, 0, 1, facing);
    }
  }
  // The closed near end.
  panel({Width, Height, 0}, {-Width, Height, 0}, {-Width, 0, 0}, {Width, 0, 0}, 0, 0, 1, {0, 0, 1});
  return mesh;
}

}  // namespace

int WriteShapes()
{
  WriteTextGeox("data\\sky.textgeox", Sky());
  WriteTextGeox("data\\arounder.textgeox", Arounder());
  const TMesh corridor = Corridor();
  WriteGeox("Data\\corridor.geox", corridor);
  WriteGeoxMap("data\\corridor.map", corridor);

  // Blobs around the plaza at heights 110 to 230, clear of the figure's
  // tower; the last one is the red one.
  const struct {
    double x, y, z, radius;
  } blobs[] = {{68, 150, 190, 52},   {-130, 175, 150, 60}, {-200, 125, -40, 58},
               {-70, 165, -195, 64}, {135, 135, -160, 50}, {-120, 250, 30, 60}};
  std::vector<TListEntry> entries;
  int k = 0;
  for (const auto& b : blobs) {
    ++k;
    entries.push_back({"wobbla" + std::to_string(k) + (k == 3 ? ".textgeox" : ".geox"),
                       Blob({b.x, b.y, b.z}, b.radius, k * 1.7, k * 2.3, k * 0.9)});
  }
  WriteModelList("Wobbla", entries);
  return 3 + static_cast<int>(entries.size());
}
