#include "engine/assets.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Keeps the program's one generator sequence intact for other tests.
class GeneratorTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    saved = RandomSeed;
    RandomSeed = 0;
  }
  void TearDown() override { RandomSeed = saved; }
  uint32_t saved = 0;
};

}  // namespace

TEST_F(GeneratorTest, NextRandomFollowsTheRecurrence)
{
  EXPECT_EQ(NextRandom(64), 0);
  EXPECT_EQ(RandomSeed, 1u);
  EXPECT_EQ(NextRandom(64), 2);
  EXPECT_EQ(RandomSeed, 134775814u);

  // The same recurrence worked out independently in 64-bit arithmetic.
  uint64_t seed = RandomSeed;
  for (int32_t n : {1, 2, 10, 200, 1000, 1100, 10000, 64, 2147483647}) {
    for (int k = 0; k < 50; ++k) {
      seed = (seed * 134775813ull + 1ull) % 4294967296ull;
      const int64_t expected = static_cast<int64_t>((seed * static_cast<uint64_t>(n)) / 4294967296ull);
      const int32_t got = NextRandom(n);
      ASSERT_EQ(got, expected) << "n " << n << " draw " << k;
      ASSERT_GE(got, 0);
      ASSERT_LT(got, n);
    }
  }
}

TEST_F(GeneratorTest, TerrainCornersAndFirstHeight)
{
  TGeoxData terrain;
  BuildTerrain(terrain, 0);
  ASSERT_EQ(terrain.VertexCount, 65536);
  ASSERT_EQ(terrain.FaceCount, 130050);
  EXPECT_NEAR(terrain.Vertices[0].x, -4980.47f, 0.01f);
  EXPECT_NEAR(terrain.Vertices[0].z, -4980.47f, 0.01f);
  EXPECT_NEAR(terrain.Vertices[65535].x, 4980.47f, 0.01f);
  EXPECT_NEAR(terrain.Vertices[65535].z, 4980.47f, 0.01f);
  // Vertex 0: the first draw NextRandom(64) is 0; A = 96 sin(0) = 0, so N = 96
  // and the height is 96 / 255 * 60 + 20.
  EXPECT_FLOAT_EQ(terrain.Vertices[0].y, static_cast<float>(96 / 255.0 * 60 + 20));
  // Vertex 1 (i = 0, j = 1): the second draw is 2, and sin(32 pi i / 255) = 0.
  EXPECT_FLOAT_EQ(terrain.Vertices[1].y, static_cast<float>(98 / 255.0 * 60 + 20));
  const GeoxFace& f = terrain.Faces[0];
  EXPECT_EQ(f.a, 256);
  EXPECT_EQ(f.b, 0);
  EXPECT_EQ(f.c, 1);
  const GeoxFace& g = terrain.Faces[1];
  EXPECT_EQ(g.a, 1);
  EXPECT_EQ(g.b, 257);
  EXPECT_EQ(g.c, 256);
  for (const GeoxVertex& v : terrain.Vertices) {
    ASSERT_GE(v.y, 20.0f);
    ASSERT_LE(v.y, 80.0f);
  }
}

TEST_F(GeneratorTest, ParticlesAndStreaksStayInTheirRanges)
{
  GenerateParticles();
  for (int k = 0; k < ParticleCount; ++k) {
    EXPECT_GE(Particles[k].y, 500);
    EXPECT_LE(Particles[k].y, 699);
    EXPECT_GE(Particles[k].x, -50);
    EXPECT_LT(Particles[k].x, 50);
    EXPECT_GE(Particles[k].z, -50);
    EXPECT_LT(Particles[k].z, 50);
  }
  GenerateStreaks();
  for (const TStreak& s : Streaks) {
    for (float v : {s.x0, s.z0, s.x1, s.z1}) {
      EXPECT_GE(v, -1500);
      EXPECT_LT(v, 1500);
    }
  }
}

TEST_F(GeneratorTest, ParticleDrawOrderIsYThenXThenZ)
{
  // From seed 0 the first three draws are 0 of 200, then 31 and 861 of 1000:
  // y = 0 + 500, x = (2 * 0.031 - 1) * 50, z = (2 * 0.861 - 1) * 50.
  GenerateParticles();
  EXPECT_EQ(Particles[0].y, 500.0f);
  EXPECT_FLOAT_EQ(Particles[0].x, -46.9f);
  EXPECT_FLOAT_EQ(Particles[0].z, 36.1f);
}
