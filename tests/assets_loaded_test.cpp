#include "engine/assets.h"

#include "engine/textures.h"
#include "scenes/frame.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

TEST(LoadedAssets, TexturesAreListedInLoadingOrder)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  const char* keys[] = {"NOGI",      "HEAD",         "SHIRT", "HANDS", "CORRIDOR", "KUBA",
                        "NET",       "WATER",        "WOBBLAENV", "WOBBLAENVRED", "ATOM",
                        "TUBE",      "WALL",         "SIDE",  "CAVE",  "FRONT", "ENVGLOBAL",
                        "WALLENVALPHA"};
  ASSERT_EQ(Textures.Count, 18);
  for (int i = 0; i < 18; ++i) {
    EXPECT_EQ(Textures.TextureKeys[i], keys[i]) << i;
    EXPECT_NE(Textures.TextureIds[i], 0u) << i;
  }
  // WALL is the plain wall texture, not the wall with the chrome alpha.
  EXPECT_EQ(FindTexture(Textures, "WALL"), Textures.TextureIds[12]);
  EXPECT_NE(FindTexture(Textures, "WALL"), WallEnvTexture);
  EXPECT_NE(WallEnvTexture, 0u);
  EXPECT_NE(SmogTexture, 0u);
  EXPECT_NE(SunTexture, 0u);
}

TEST(LoadedAssets, LoopFramesRepeatInTheirSlots)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  const struct {
    const uint32_t* slots;
    std::vector<int> frames;  // slot -> frame, -1 for an empty slot
  } loops[] = {
      {Loop1Frames, {0, 1, 2, 3, 4, 5, 4, 3, 2, 1, -1}},
      {Loop2Frames, {0, 1, 2, 3, 4, 3, 2, 1, -1}},
      {Loop3Frames, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1}},
  };
  for (const auto& loop : loops) {
    for (size_t slot = 0; slot < loop.frames.size(); ++slot) {
      const int frame = loop.frames[slot];
      if (frame < 0) {
        EXPECT_EQ(loop.slots[slot], 0u) << slot;
        continue;
      }
      EXPECT_EQ(loop.slots[slot], loop.slots[frame]) << slot;
      EXPECT_NE(loop.slots[slot], 0u) << slot;
    }
    // The frames themselves are distinct textures.
    for (int a = 0; a < 5; ++a)
      EXPECT_NE(loop.slots[a], loop.slots[a + 1]);
  }
}

TEST(LoadedAssets, ModelsAndDisplayListsAreInPlace)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  for (const TGeoxScene* scene : {&CityModels, &WobblaModels, &HumaModels, &HumbModels, &HumcModels})
    EXPECT_GT(scene->Count, 0);
  EXPECT_NE(SkyModel.ListId, 0u);
  EXPECT_NE(SkyModel.Texture, 0u);
  EXPECT_NE(ArounderModel.ListId, 0u);
  for (const TGeoxData& model : WobblaModels.Models)
    EXPECT_NE(model.ListId, 0u);
  for (const TGeoxData& terrain : Terrains)
    EXPECT_EQ(terrain.VertexCount, 65536);
}

TEST(LoadedAssets, WaterSurfaceBlendsTheFourFields)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  // q = 3.999: field 3 with weight 0, so the surface is field 0 exactly; q =
  // 1: field 1 with weight 1.
  struct {
    double q;
    int field;
  } cases[] = {{3.999, 0}, {1.0, 1}, {0.0, 0}};
  TGeoxData surface;
  for (const auto& c : cases) {
    BlendWaterSurface(c.q, surface);
    ASSERT_EQ(surface.Vertices.size(), Terrains[c.field].Vertices.size());
    EXPECT_EQ(surface.Faces.size(), Terrains[c.field].Faces.size());
    for (int v : {0, 1000, 65535}) {
      EXPECT_EQ(surface.Vertices[v].y, Terrains[c.field].Vertices[v].y) << c.q << " " << v;
      EXPECT_EQ(surface.Vertices[v].ny, Terrains[c.field].Vertices[v].ny) << c.q << " " << v;
    }
  }
  // Halfway through a quarter the surface lies between its two fields.
  BlendWaterSurface(0.5, surface);
  const double w = 1 - 128 / 255.0;
  const float expected = static_cast<float>(w * Terrains[0].Vertices[1000].y +
                                            (1 - w) * Terrains[1].Vertices[1000].y);
  EXPECT_FLOAT_EQ(surface.Vertices[1000].y, expected);
}
