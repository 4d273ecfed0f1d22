#include "tools/content/figures.h"

#include "tools/content/geometry.h"
#include "tools/content/writers.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int Sides = 16;

// Limb directions in the figure's body frame (x to its left, y up, z to its
// front); index 0 is the right side (-x), 1 the left.
struct TPose {
  TVec UpperArm[2], ForeArm[2], Thigh[2], Shin[2];
  // Head turn about the spine, radians, positive towards the figure's left.
  double HeadTurn = 0;
};

struct TFigure {
  TMesh Head, Shirt, Hands, Nogi;
};

TVec Unit(double x, double y, double z) { return Normalize({x, y, z}); }

// An ellipsoid in the frame (side, up, front) around centre.
void AddOrientedEllipsoid(TMesh& mesh, TVec centre, TVec radii, TVec side, TVec up, TVec front)
{
  TMesh part;
  AddEllipsoid(part, {0, 0, 0}, radii, 20, 14);
  TransformMesh(part, [&](TVec p) { return centre + side * p.x + up * p.y + front * p.z; });
  Append(mesh, part);
}

TFigure BuildFigure(const TPose& pose)
{
  TFigure f;
  const TVec front = {0, 0, 1}, up = {0, 1, 0}, side = {1, 0, 0};
  const TVec pelvis = {0, 1000, 0};
  const TVec neck = pelvis + up * 470;

  // Legs and hips.
  AddCapsule(f.Nogi, pelvis + TVec{-95, 0, 0}, pelvis + TVec{95, 0, 0}, 82, 100, front, Sides);
  for (int s = 0; s < 2; ++s) {
    const double sign = s ? 1 : -1;
    const TVec hip = pelvis + TVec{sign * 95, -20, 0};
    const TVec knee = hip + pose.Thigh[s] * 450;
    const TVec ankle = knee + pose.Shin[s] * 430;
    AddCapsule(f.Nogi, hip, knee, 80, 78, front, Sides);
    AddCapsule(f.Nogi, knee, ankle, 62, 58, front, Sides);
    // The shoe points along the shin's front, flat under the ankle.
    TVec e1, e2;
    PerpendicularBasis(pose.Shin[s], front, e1, e2);
    const TVec sole = ankle + pose.Shin[s] * 50;
    AddCapsule(f.Nogi, sole - e1 * 40, sole + e1 * 170, 42, 48, pose.Shin[s] * -1.0, Sides, 1, 0.2, 0.8);
  }

  // Torso, shoulders and arms.
  AddCapsule(f.Shirt, pelvis + up * 80, pelvis + up * 400, 98, 165, front, 20);
  for (int s = 0; s < 2; ++s) {
    const double sign = s ? 1 : -1;
    const TVec shoulder = neck + side * (sign * 185) - up * 55;
    const TVec elbow = shoulder + pose.UpperArm[s] * 290;
    const TVec wrist = elbow + pose.ForeArm[s] * 260;
    AddCapsule(f.Shirt, shoulder, elbow, 58, 58, front, Sides);
    AddCapsule(f.Shirt, elbow, wrist, 47, 47, front, Sides);
    AddCapsule(f.Hands, wrist + pose.ForeArm[s] * 30, wrist + pose.ForeArm[s] * 150, 46, 24,
               side * sign, Sides);
  }

  // Neck and head; the neck takes the skin at the bottom of the head image.
  AddCapsule(f.Head, neck - up * 40, neck + up * 100, 48, 48, front, Sides, 1, 0.06, 0.9);
  const TVec headFront = {std::sin(pose.HeadTurn), 0, std::cos(pose.HeadTurn)};
  const TVec headSide = Cross(up, headFront);
  AddOrientedEllipsoid(f.Head, neck + up * 205, {98, 124, 112}, headSide, up, headFront);
  return f;
}

// Applies one placement to every part.
void Place(TFigure& f, const std::function<TVec(TVec)>& transform)
{
  for (TMesh* m : {&f.Head, &f.Shirt, &f.Hands, &f.Nogi})
    TransformMesh(*m, transform);
}

double LowestPoint(const TFigure& f)
{
  double lowest = 1e30;
  for (const TMesh* m : {&f.Head, &f.Shirt, &f.Hands, &f.Nogi})
    lowest = std::min(lowest, MeshBounds(*m).Min.y);
  return lowest;
}

// Stands the figure with its lowest point on y = 0 and the given point of the
// ground plane at the origin.
void StandAt(TFigure& f, double x, double z)
{
  const double lowest = LowestPoint(f);
  Place(f, [&](TVec p) { return TVec{p.x - x, p.y - lowest, p.z - z}; });
}

std::vector<TListEntry> Entries(TFigure& f, const char* headName)
{
  std::vector<TListEntry> entries;
  entries.push_back({"nogi.geox", std::move(f.Nogi)});
  entries.push_back({"shirt.geox", std::move(f.Shirt)});
  entries.push_back({"hands.geox", std::move(f.Hands)});
  entries.push_back({headName, std::move(f.Head)});
  return entries;
}

// The screen beside the first figure: a 4:3 panel on two legs, standing on
// the figure's left. The front shows the whole loop image; everything else
// takes texel (0, 0), the image's dark frame.
TMesh Screen()
{
  TMesh mesh;
  const double x0 = 700, x1 = 2100, y0 = 450, y1 = 1500, z0 = -30, z1 = 30;
  const double edge = 0.5 / 64;
  AddQuad(mesh, {{{x0, y1, z1}, {x1, y1, z1}, {x1, y0, z1}, {x0, y0, z1}}},
          {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}}, {0, 0, 1});
  TMesh body;
  AddBox(body, {x0, y0, z0}, {x1, y1, z1}, 1e6, BoxAll & ~BoxFront);
  AddBox(body, {x0 + 200, 0, -60}, {x0 + 250, y0, 40}, 1e6);
  AddBox(body, {x1 - 250, 0, -60}, {x1 - 200, y0, 40}, 1e6);
  for (TMeshVertex& v : body.Vertices) {
    v.U = edge;
    v.V = edge;
  }
  Append(mesh, body);
  return mesh;
}

}  // namespace

int WriteFigures()
{
  int files = 0;

  // Huma: standing on the roof, turned to the screen at its left, pointing.
  {
    TPose pose;
    pose.UpperArm[0] = Unit(-0.18, -1, 0.05);
    pose.ForeArm[0] = Unit(-0.05, -1, 0.25);
    pose.UpperArm[1] = Unit(0.85, 0.3, 0.35);
    pose.ForeArm[1] = Unit(0.9, 0.35, 0.2);
    pose.Thigh[0] = Unit(-0.06, -1, 0);
    pose.Thigh[1] = Unit(0.06, -1, 0);
    pose.Shin[0] = pose.Shin[1] = Unit(0, -1, 0);
    pose.HeadTurn = 0.5;
    TFigure figure = BuildFigure(pose);
    StandAt(figure, 0, 0);
    std::vector<TListEntry> entries = Entries(figure, "head.geox");
    entries.push_back({"plane.geox", Screen()});
    WriteModelList("Huma", entries);
    files += static_cast<int>(entries.size());
  }

  // Humb: falling on its back, limbs flung up, centred on the origin.
  {
    TPose pose;
    pose.UpperArm[0] = Unit(-0.75, 0.35, 0.55);
    pose.ForeArm[0] = Unit(-0.45, 0.6, 0.65);
    pose.UpperArm[1] = Unit(0.8, 0.1, 0.6);
    pose.ForeArm[1] = Unit(0.6, -0.2, 0.75);
    pose.Thigh[0] = Unit(-0.3, -0.75, 0.6);
    pose.Shin[0] = Unit(-0.15, -0.95, -0.25);
    pose.Thigh[1] = Unit(0.3, -0.9, 0.3);
    pose.Shin[1] = Unit(0.2, -0.8, -0.55);
    pose.HeadTurn = -0.3;
    TFigure figure = BuildFigure(pose);
    // Lay it on its back (front up, head towards -z), the chest at the origin.
    Place(figure, [](TVec p) {
      const TVec q = p - TVec{0, 1250, 0};
      return TVec{q.x, q.z, -q.y};
    });
    std::vector<TListEntry> entries = Entries(figure, "head.textgeox");
    WriteModelList("Humb", entries);
    files += static_cast<int>(entries.size());
  }

  // Humc: balancing on its right leg at the roof's edge, arms out.
  {
    TPose pose;
    pose.UpperArm[0] = Unit(-1, 0.08, 0.05);
    pose.ForeArm[0] = Unit(-1, 0.2, -0.05);
    pose.UpperArm[1] = Unit(1, -0.05, 0.1);
    pose.ForeArm[1] = Unit(1, 0.1, 0.2);
    pose.Thigh[0] = Unit(-0.02, -1, 0);
    pose.Shin[0] = Unit(0, -1, 0);
    pose.Thigh[1] = Unit(0.2, -0.8, -0.55);
    pose.Shin[1] = Unit(0.1, -0.3, -0.95);
    pose.HeadTurn = -0.2;
    TFigure figure = BuildFigure(pose);
    StandAt(figure, -95, 0);
    std::vector<TListEntry> entries = Entries(figure, "head.geox");
    WriteModelList("Humc", entries);
    files += static_cast<int>(entries.size());
  }

  // Kuba: the big figure of the jump scene, arms thrown up, one mesh with the
  // kuba texture on every part (the lit side of the image faces front).
  {
    TPose pose;
    pose.UpperArm[0] = Unit(-0.55, 0.8, 0.15);
    pose.ForeArm[0] = Unit(-0.35, 0.95, 0.05);
    pose.UpperArm[1] = Unit(0.55, 0.8, 0.15);
    pose.ForeArm[1] = Unit(0.35, 0.95, 0.05);
    pose.Thigh[0] = Unit(-0.3, -0.8, 0.45);
    pose.Shin[0] = Unit(-0.1, -0.9, -0.4);
    pose.Thigh[1] = Unit(0.3, -0.8, 0.45);
    pose.Shin[1] = Unit(0.1, -0.9, -0.4);
    TFigure figure = BuildFigure(pose);
    StandAt(figure, 0, 0);
    TMesh kuba;
    for (const TMesh* m : {&figure.Nogi, &figure.Shirt, &figure.Hands, &figure.Head})
      Append(kuba, *m);
    WriteGeox("Data\\kuba.geox", kuba);
    WriteGeoxMap("data\\kuba.map", kuba);
    files += 1;
  }
  return files;
}
