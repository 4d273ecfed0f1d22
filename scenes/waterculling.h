// Culling the water: which of its triangles can show through the view, worked
// out on the CPU from the two height fields it blends, so that DrawWater sends
// about a third of its 130050 faces for the same pixels. Pure geometry on
// plain data, no GL; clip matrices are column-major, as GL stores them.
#pragma once

#include "engine/geox.h"

#include <cstdint>
#include <vector>

// Whether the box from low to high (x, y, z) lies wholly beyond one of the six
// planes of the view, for the clip matrix projection x modelview (column-major,
// as GL stores it). Keeps boxes that only touch a plane.
bool BoxOutsideClip(const double clip[16], const float low[3], const float high[3]);

// The water is a grid of TerrainSide x TerrainSide vertices; it is culled in
// square blocks of this many cells a side.
constexpr int WaterBlockCells = 8;
// The corners (vertex indices) of the faces of water that can show through
// clip, in face order: every block of cells whose box around its vertices in
// both height fields from and to reaches into the view. False, with nothing
// culled, when the models are not such a grid.
bool VisibleWaterCorners(const TGeoxData& from, const TGeoxData& to, const TGeoxData& water,
                         const double clip[16], std::vector<uint32_t>& corners);
