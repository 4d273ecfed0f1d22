#include "scenes/waterculling.h"

#include "engine/assets.h"

#include <algorithm>
#include <cmath>

bool BoxOutsideClip(const double clip[16], const float low[3], const float high[3])
{
  // Each corner of the box in clip space; the box is outside when all eight
  // lie beyond the same one of the six planes. The margin keeps boxes that
  // only touch a plane, whatever the rounding of GL's own transform.
  double corners[8][4];
  for (int c = 0; c < 8; ++c) {
    const double p[3] = {(c & 1) ? high[0] : low[0], (c & 2) ? high[1] : low[1],
                         (c & 4) ? high[2] : low[2]};
    for (int row = 0; row < 4; ++row)
      corners[c][row] = clip[row] * p[0] + clip[4 + row] * p[1] + clip[8 + row] * p[2] + clip[12 + row];
  }
  for (int axis = 0; axis < 3; ++axis)
    for (double side : {-1.0, 1.0}) {
      bool allBeyond = true;
      for (int c = 0; c < 8 && allBeyond; ++c) {
        const double v = side * corners[c][axis];
        const double w = corners[c][3];
        allBeyond = v - w > 1e-4 * (std::fabs(v) + std::fabs(w)) + 1e-6;
      }
      if (allBeyond)
        return true;
    }
  return false;
}

bool VisibleWaterCorners(const TGeoxData& from, const TGeoxData& to, const TGeoxData& water,
                         const double clip[16], std::vector<uint32_t>& corners)
{
  constexpr int Side = TerrainSide;
  constexpr int Cells = Side - 1;
  constexpr int Blocks = (Cells + WaterBlockCells - 1) / WaterBlockCells;
  const size_t vertexCount = static_cast<size_t>(Side) * Side;
  if (from.Vertices.size() != vertexCount || to.Vertices.size() != vertexCount ||
      water.Vertices.size() != vertexCount || water.Faces.size() != 2u * Cells * Cells)
    return false;

  // A block is kept when the box around its vertices in both height fields
  // (the blend lies between them) reaches into the view.
  bool visible[Blocks][Blocks];
  for (int bi = 0; bi < Blocks; ++bi)
    for (int bj = 0; bj < Blocks; ++bj) {
      float low[3] = {HUGE_VALF, HUGE_VALF, HUGE_VALF};
      float high[3] = {-HUGE_VALF, -HUGE_VALF, -HUGE_VALF};
      const int lastI = std::min((bi + 1) * WaterBlockCells, Cells);
      const int lastJ = std::min((bj + 1) * WaterBlockCells, Cells);
      for (const TGeoxData* field : {&from, &to})
        for (int i = bi * WaterBlockCells; i <= lastI; ++i)
          for (int j = bj * WaterBlockCells; j <= lastJ; ++j) {
            const GeoxVertex& v = field->Vertices[Side * i + j];
            const float p[3] = {v.x, v.y, v.z};
            for (int k = 0; k < 3; ++k) {
              low[k] = std::min(low[k], p[k]);
              high[k] = std::max(high[k], p[k]);
            }
          }
      visible[bi][bj] = !BoxOutsideClip(clip, low, high);
    }

  // The faces of the kept cells in their own order: row by row of cells, two
  // faces a cell.
  corners.clear();
  for (int i = 0; i < Cells; ++i)
    for (int j = 0; j < Cells; ++j) {
      if (!visible[i / WaterBlockCells][j / WaterBlockCells])
        continue;
      for (int f = 2 * (Cells * i + j), last = f + 2; f < last; ++f) {
        const GeoxFace& face = water.Faces[f];
        for (int32_t corner : {face.a, face.b, face.c}) {
          if (corner < 0 || static_cast<size_t>(corner) >= vertexCount)
            return false;
          corners.push_back(static_cast<uint32_t>(corner));
        }
      }
    }
  return true;
}
