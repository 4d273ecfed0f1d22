#include "scenes/waterculling.h"

#include "engine/assets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Clip matrix (column-major) of an orthographic view straight down: world x
// from -1000 to 1000 and z from -500 to 500 fill the view, heights 0 to 100
// the depth range.
void TopDownClip(double clip[16])
{
  const double m[16] = {1 / 1000.0, 0, 0, 0, 0, 0, 1 / 50.0, 0, 0, 1 / 500.0, 0, 0, 0, 0, -1, 1};
  std::copy(m, m + 16, clip);
}

}  // namespace

TEST(WaterCulling, BoxesBeyondOnePlaneAreOutside)
{
  double clip[16];
  TopDownClip(clip);
  struct {
    float low[3], high[3];
    bool outside;
  } cases[] = {
      {{-10, 10, -10}, {10, 20, 10}, false},         // in the middle
      {{1001, 10, -10}, {1200, 20, 10}, true},       // right of the view
      {{-1200, 10, -10}, {-1001, 20, 10}, true},     // left
      {{-10, 10, 501}, {10, 20, 600}, true},         // beyond the top edge
      {{-10, 101, -10}, {10, 150, 10}, true},        // past the far plane
      {{-10, -50, -10}, {10, -1, 10}, true},         // behind the near plane
      {{990, 10, -10}, {1010, 20, 10}, false},       // across an edge
      {{1000, 10, -10}, {1100, 20, 10}, false},      // touching an edge
      {{-2000, 10, -2000}, {2000, 20, 2000}, false}, // round the whole view
      {{1001, 10, 501}, {1200, 20, 600}, true},      // beyond two planes
  };
  for (const auto& c : cases)
    EXPECT_EQ(BoxOutsideClip(clip, c.low, c.high), c.outside)
        << c.low[0] << "," << c.low[1] << "," << c.low[2];
}

TEST(WaterCulling, KeepsEveryFaceThatCanShowInFaceOrder)
{
  // Two generated height fields and the surface that blends them.
  const uint32_t seed = RandomSeed;
  static TGeoxData fields[3];
  for (int m = 0; m < 3; ++m)
    BuildTerrain(fields[m], m);
  RandomSeed = seed;
  const TGeoxData& water = fields[2];
  double clip[16];
  TopDownClip(clip);

  std::vector<uint32_t> corners;
  ASSERT_TRUE(VisibleWaterCorners(fields[0], fields[1], water, clip, corners));
  ASSERT_EQ(corners.size() % 3, 0u);
  // The grid spans 9960 units each way in cells of 39 units: the view covers
  // 51 x 25 cells of it, and whole blocks of 8 x 8 cells are kept round them.
  const size_t all = water.Faces.size();
  EXPECT_GE(corners.size() / 3, 2u * 51 * 25);
  EXPECT_LE(corners.size() / 3, 2u * (51 + 16) * (25 + 16));

  // The kept faces are a subsequence of the model's faces, and no face with
  // a corner inside the view (in either field) was dropped.
  auto inView = [](const GeoxVertex& v) {
    return std::fabs(v.x) <= 1000 && std::fabs(v.z) <= 500 && v.y >= 0 && v.y <= 100;
  };
  size_t next = 0;
  for (size_t f = 0; f < all; ++f) {
    const GeoxFace& face = water.Faces[f];
    const bool kept = next < corners.size() && corners[next] == static_cast<uint32_t>(face.a) &&
                      corners[next + 1] == static_cast<uint32_t>(face.b) &&
                      corners[next + 2] == static_cast<uint32_t>(face.c);
    if (kept)
      next += 3;
    bool shows = false;
    for (int32_t corner : {face.a, face.b, face.c})
      for (int m = 0; m < 2; ++m)
        shows = shows || inView(fields[m].Vertices[corner]);
    if (shows) {
      ASSERT_TRUE(kept) << "face " << f;
    }
  }
  EXPECT_EQ(next, corners.size()) << "kept faces out of order";

  // Seen whole, nothing is culled; a model that is not the grid is drawn
  // whole by the caller.
  double wide[16] = {1e-5, 0, 0, 0, 0, 0, 1e-3, 0, 0, 1e-5, 0, 0, 0, 0, -1, 1};
  ASSERT_TRUE(VisibleWaterCorners(fields[0], fields[1], water, wide, corners));
  EXPECT_EQ(corners.size(), all * 3);
  TGeoxData small;
  small.Vertices.resize(3);
  small.Faces.resize(1);
  EXPECT_FALSE(VisibleWaterCorners(small, small, small, clip, corners));
}
