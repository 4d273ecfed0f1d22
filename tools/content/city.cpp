#include "tools/content/city.h"

#include "engine/numbers.h"
#include "tools/content/geometry.h"
#include "tools/content/writers.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// wall.jpg holds four storeys of four windows; side, front and cave tile too.
constexpr double WallRepeat = 140;
constexpr double RoofRepeat = 110;
constexpr double BrickRepeat = 80;
constexpr double RockRepeat = 160;

constexpr double ChimneyTop = 400;
const double Chimneys[5][2] = {{-137, -352}, {-404, -243}, {395, -68}, {-301, 449}, {232, 387}};

// The figures of the first and third scenes stand on this roof.
constexpr double FigureRoof = 239.8;

struct TRect {
  double x0, z0, x1, z1;
};

bool Overlaps(const TRect& a, const TRect& b)
{
  return a.x0 < b.x1 && b.x0 < a.x1 && a.z0 < b.z1 && b.z0 < a.z1;
}

// Room kept free of blocks: the figure's tower, the chrome structures, the
// chimneys' yards.
std::vector<TRect> ReservedAreas()
{
  std::vector<TRect> areas = {
      {-570, 960, 570, 1040},    // long wall
      {-1040, -570, -960, 570},  // side wall
      {380, -700, 820, -500},    // capsule
  };
  for (const auto& c : Chimneys)
    areas.push_back({c[0] - 70, c[1] - 70, c[0] + 70, c[1] + 70});
  return areas;
}

// A gable roof over the rectangle lo..hi (lo.y is the eaves height), ridge
// along x.
void AddGableRoof(TMesh& mesh, TVec lo, TVec hi, double height, double overhang)
{
  const double x0 = lo.x - overhang, x1 = hi.x + overhang;
  const double z0 = lo.z - overhang, z1 = hi.z + overhang, zm = (lo.z + hi.z) / 2;
  const double y0 = lo.y, yr = lo.y + height;
  const double slope = std::hypot(zm - z0, height) / RoofRepeat;
  const double ux0 = x0 / RoofRepeat, ux1 = x1 / RoofRepeat;
  AddQuad(mesh, {{{x0, yr, zm}, {x1, yr, zm}, {x1, y0, z0}, {x0, y0, z0}}},
          {{{ux0, 0}, {ux1, 0}, {ux1, slope}, {ux0, slope}}}, {0, zm - z0, -height});
  AddQuad(mesh, {{{x1, yr, zm}, {x0, yr, zm}, {x0, y0, z1}, {x1, y0, z1}}},
          {{{-ux1, 0}, {-ux0, 0}, {-ux0, slope}, {-ux1, slope}}}, {0, z1 - zm, height});
  const double g = 1 / RoofRepeat;
  for (int side = 0; side < 2; ++side) {
    const double x = side ? hi.x : lo.x;
    const double gz0 = lo.z, gz1 = hi.z;
    AddTriangle(mesh, {{{x, y0, gz0}, {x, y0, gz1}, {x, yr, zm}}},
                {{{gz0 * g, 0.3}, {gz1 * g, 0.3}, {zm * g, 0}}}, {side ? 1.0 : -1.0, 0, 0});
  }
}

// A pyramid roof over lo..hi.
void AddPyramidRoof(TMesh& mesh, TVec lo, TVec hi, double height, double overhang)
{
  const double x0 = lo.x - overhang, x1 = hi.x + overhang, z0 = lo.z - overhang, z1 = hi.z + overhang;
  const TVec apex = {(x0 + x1) / 2, lo.y + height, (z0 + z1) / 2};
  const TVec corners[4] = {{x0, lo.y, z0}, {x1, lo.y, z0}, {x1, lo.y, z1}, {x0, lo.y, z1}};
  for (int i = 0; i < 4; ++i) {
    const TVec a = corners[i], b = corners[(i + 1) % 4];
    const TVec mid = (a + b) * 0.5;
    const TVec outward = {mid.x - apex.x, height, mid.z - apex.z};
    const double w = Length(b - a) / RoofRepeat, s = Length(apex - mid) / RoofRepeat;
    AddTriangle(mesh, {{a, b, apex}}, {{{0, s}, {w, s}, {w / 2, 0}}}, outward);
  }
}

// A flat roof slab with a row of north-light teeth facing -z.
void AddShedRoof(TMesh& mesh, TVec lo, TVec hi, int teeth, double toothHeight)
{
  AddBox(mesh, {lo.x - 3, lo.y, lo.z - 3}, {hi.x + 3, lo.y + 4, hi.z + 3}, RoofRepeat);
  const double y0 = lo.y + 4, depth = (hi.z - lo.z) / std::max(1, teeth);
  for (int k = 0; k < teeth; ++k) {
    const double z0 = lo.z + k * depth, z1 = z0 + depth;
    const double x0 = lo.x + 6, x1 = hi.x - 6, y1 = y0 + toothHeight;
    const double u0 = x0 / RoofRepeat, u1 = x1 / RoofRepeat;
    const double slope = std::hypot(depth, toothHeight) / RoofRepeat;
    AddQuad(mesh, {{{x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}}},
            {{{u0, 0}, {u1, 0}, {u1, 0.25}, {u0, 0.25}}}, {0, 0, -1});
    AddQuad(mesh, {{{x1, y1, z0}, {x0, y1, z0}, {x0, y0, z1}, {x1, y0, z1}}},
            {{{u1, 0}, {u0, 0}, {u0, slope}, {u1, slope}}}, {0, depth, toothHeight});
    for (int side = 0; side < 2; ++side) {
      const double x = side ? x1 : x0;
      AddTriangle(mesh, {{{x, y0, z0}, {x, y1, z0}, {x, y0, z1}}}, {{{0, 0.3}, {0, 0}, {0.3, 0.3}}},
                  {side ? 1.0 : -1.0, 0, 0});
    }
  }
}

TMesh Chimney(double x, double z)
{
  TMesh mesh;
  AddBox(mesh, {x - 42, 0, z - 42}, {x + 42, 46, z + 42}, BrickRepeat, BoxNoBottom);
  const double circumference = 2 * Pi * 30;
  AddCylinder(mesh, {x, 46, z}, {x, ChimneyTop - 16, z}, 30, 21, 20, circumference / BrickRepeat,
              (ChimneyTop - 62) / BrickRepeat, false);
  AddCylinder(mesh, {x, ChimneyTop - 16, z}, {x, ChimneyTop, z}, 25, 25, 20, circumference / BrickRepeat,
              16 / BrickRepeat, true);
  return mesh;
}

// A rough boulder: an ellipsoid pushed in and out by a fixed pattern.
void AddBoulder(TMesh& mesh, TVec centre, TVec radii, TRandom& random)
{
  TMesh rock;
  AddEllipsoid(rock, {0, 0, 0}, radii, 14, 9);
  const double phase = random.Range(0, 2 * Pi);
  for (TMeshVertex& v : rock.Vertices) {
    const TVec d = Normalize(v.Position);
    const double bump = 1 + 0.16 * std::sin(5 * d.x + phase) * std::cos(4 * d.z - phase) +
                        0.08 * std::sin(11 * d.y + 3 * d.x);
    v.Position = centre + v.Position * bump;
    v.U *= 2 * radii.x / RockRepeat;
    v.V *= 2 * radii.y / RockRepeat;
  }
  Append(mesh, rock);
}

}  // namespace

int WriteCity()
{
  std::vector<TListEntry> entries;
  auto add = [&](const std::string& name, TMesh mesh) { entries.push_back({name, std::move(mesh)}); };

  // The ground, under the haze.
  {
    TMesh ground;
    AddQuad(ground, {{{-2600, -1, -2600}, {2600, -1, -2600}, {2600, -1, 2600}, {-2600, -1, 2600}}},
            {{{0, 0}, {5200 / RockRepeat / 2, 0}, {5200 / RockRepeat / 2, 5200 / RockRepeat / 2},
              {0, 5200 / RockRepeat / 2}}},
            {0, 1, 0});
    add("cave.geox", std::move(ground));
  }

  // The tower in the middle of the plaza: the figure's roof.
  {
    TMesh house, roof;
    AddBox(house, {-10, 0, -40}, {110, FigureRoof - 3.8, 47}, WallRepeat, BoxNoBottom);
    AddBox(roof, {-14, FigureRoof - 3.8, -44}, {114, FigureRoof, 50.5}, RoofRepeat);
    add("chouse0.geox", std::move(house));
    add("croof0.geox", std::move(roof));
  }

  // Blocks of houses on a street grid of 240 units, streets 70 wide.
  const std::vector<TRect> reserved = ReservedAreas();
  TRandom random{20060417u};
  int block = 0;
  for (int i = -6; i < 6; ++i)
    for (int j = -6; j < 6; ++j) {
      const double cx = 120 + 240 * i, cz = 120 + 240 * j;
      const double r = std::hypot(cx, cz);
      const TRect footprint = {cx - 85, cz - 85, cx + 85, cz + 85};
      const double pick = random.Next(), h = random.Next(), h2 = random.Next();
      if (r < 380 || r > 1700)
        continue;
      bool free = true;
      for (const TRect& area : reserved)
        free = free && !Overlaps(footprint, area);
      if (!free)
        continue;
      ++block;
      const std::string n = std::to_string(block);
      const double nearness = std::clamp(1.3 - r / 1300, 0.2, 1.0);
      TMesh house, roof;
      if (pick < 0.2 + 0.35 * nearness) {
        // A tower with a pyramid roof.
        const double half = 48 + 12 * h2, height = 140 + 200 * nearness * (0.5 + 0.5 * h);
        AddBox(house, {cx - half, 0, cz - half}, {cx + half, height, cz + half}, WallRepeat, BoxNoBottom);
        AddPyramidRoof(roof, {cx - half, height, cz - half}, {cx + half, height, cz + half},
                       40 + 30 * h2, 6);
        add("bhouse" + n + ".geox", std::move(house));
        add("broof" + n + ".geox", std::move(roof));
      } else if (pick < 0.75) {
        // Two to four houses with gable roofs.
        for (int lot = 0; lot < 4; ++lot) {
          const double lx = cx + ((lot & 1) ? 42 : -42), lz = cz + ((lot & 2) ? 42 : -42);
          const double size = random.Range(28, 38), height = random.Range(45, 70 + 60 * nearness);
          if (lot == 3 && h2 < 0.4)
            continue;
          AddBox(house, {lx - size, 0, lz - size * 0.8}, {lx + size, height, lz + size * 0.8}, WallRepeat,
                 BoxNoBottom);
          AddGableRoof(roof, {lx - size, height, lz - size * 0.8}, {lx + size, height, lz + size * 0.8},
                       random.Range(22, 34), 4);
        }
        add("ahouse" + n + ".geox", std::move(house));
        add("aroof" + n + ".geox", std::move(roof));
      } else {
        // A hall with north-light teeth.
        const double height = 60 + 50 * h;
        AddBox(house, {cx - 78, 0, cz - 70}, {cx + 78, height, cz + 70}, WallRepeat, BoxNoBottom);
        AddShedRoof(roof, {cx - 78, height, cz - 70}, {cx + 78, height, cz + 70}, 4, 16 + 8 * h2);
        add("chouse" + n + ".geox", std::move(house));
        add("croof" + n + ".geox", std::move(roof));
      }
    }

  // The chrome: a long wall, a side wall (kept as text) and the capsule.
  {
    TMesh wall, side, capsule;
    AddBox(wall, {-560, 0, 975}, {560, 280, 1020}, WallRepeat, BoxNoBottom);
    AddBox(side, {-1020, 0, -560}, {-975, 240, 560}, WallRepeat, BoxNoBottom);
    add("wall.geox", std::move(wall));
    add("wall2.textgeox", std::move(side));
    AddCapsule(capsule, {450, 300, -600}, {750, 300, -600}, 62, 62, {0, 0, -1}, 32);
    for (double x : {520.0, 680.0}) {
      AddCylinder(capsule, {x, 0, -630}, {x, 270, -610}, 9, 7, 12, 1, 1, false);
      AddCylinder(capsule, {x, 0, -570}, {x, 270, -590}, 9, 7, 12, 1, 1, false);
    }
    add("capsule.geox", std::move(capsule));
  }

  // Two elevated tubes on pillars, along the streets x = -720 and z = 720.
  {
    for (int k = 0; k < 2; ++k) {
      TMesh tube;
      const double height = k ? 210 : 150;
      auto at = [&](double along, double y) {
        return k ? TVec{along, y, 720} : TVec{-720, y, along};
      };
      AddCylinder(tube, at(-1450, height), at(1450, height), 20, 20, 24, 1, 2900 / 160.0, true);
      for (int p = -6; p <= 6; ++p) {
        const double along = p * 240.0;
        if (k == 1 && std::fabs(along + 720) < 1)
          continue;
        AddCylinder(tube, at(along, 0), at(along, height - 14), 9, 7, 12, 1, height / 160.0, false);
      }
      add(k ? "tube2.geox" : "tube.geox", std::move(tube));
    }
  }

  // Five chimneys; their tops are the bases of the smoke columns.
  for (int c = 0; c < 5; ++c)
    add("side" + std::to_string(c + 1) + ".geox", Chimney(Chimneys[c][0], Chimneys[c][1]));

  // Rocks around the outskirts, closing the view into the haze.
  TRandom rocks{1977u};
  for (int k = 0; k < 10; ++k) {
    TMesh cluster;
    const double angle = 2 * Pi * (k + 0.3) / 10;
    const double r = 1950 + 150 * rocks.Next();
    const TVec centre = {r * std::sin(angle), 0, r * std::cos(angle)};
    for (int b = 0; b < 4; ++b) {
      const TVec offset = {rocks.Range(-160, 160), 0, rocks.Range(-160, 160)};
      const double size = rocks.Range(90, 200);
      AddBoulder(cluster, centre + offset, {size * 1.3, size * rocks.Range(0.7, 1.4), size}, rocks);
    }
    add("cave" + std::to_string(k + 1) + (k % 3 == 0 ? ".textgeox" : ".geox"), std::move(cluster));
  }

  WriteModelList("City", entries);
  return static_cast<int>(entries.size());
}
