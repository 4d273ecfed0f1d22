#include "scenes/firsthalf.h"
#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/textures.h"
#include "host/timeline.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// The largest float below x.
float Below(float x)
{
  return std::nextafter(x, 0.0f);
}

// Progress of timeline slot `slot` at music time t.
float ProgressOfSlot(int slot, int32_t t)
{
  return SceneTable[slot]->Progress(t);
}

}  // namespace

TEST(SceneShots, InsideRangeHoldsAtBothEnds)
{
  struct {
    double x, lo, hi;
    bool inside;
  } cases[] = {{0.25, 0, 0.25, true},        {0.25, 0.25, 0.5, true},
               {Below(0.25f), 0.25, 0.5, false}, {0.5000001, 0.25, 0.5, false},
               {-0.0, 0, 1, true},            {1, 0.75, 1, true}};
  for (const auto& c : cases)
    EXPECT_EQ(InsideRange(c.x, c.lo, c.hi), c.inside) << c.x << " in " << c.lo << ".." << c.hi;
}

TEST(SceneShots, ShotIsTruncatedAndPulseIsRoundedHalvesToEven)
{
  struct {
    float p;
    int shots;
    double pace;
    int index;
    float fraction;
    double pulse;
  } cases[] = {
      {0.0f, 8, 5, 0, 0.0f, 0.0},
      {0.375f, 8, 5, 3, 0.0f, 0.0},
      // 8000 p = 62.5 rounds down to the even 62, 187.5 up to 188.
      {1 / 128.0f, 8, 5, 0, 5 / 128.0f, 0.062},
      {3 / 128.0f, 8, 5, 0, 15 / 128.0f, 0.188},
      {1 / 64.0f, 4, 2, 0, 2 / 64.0f, 0.062},
      {3 / 64.0f, 4, 2, 0, 6 / 64.0f, 0.188},
      // Just below a cut the truncated shot is still the old one while the
      // rounded pulse has already restarted.
      {Below(0.25f), 4, 2, 0, 0.5f, 0.0},
      {0.25f, 4, 2, 1, 0.0f, 0.0},
      {0.6f, 4, 2, 2, 0.2f, 0.4},
      {Below(1.0f), 4, 2, 3, 0.5f, 0.0},
  };
  for (const auto& c : cases) {
    const TShot shot = ChooseShot(c.p, c.shots, c.pace);
    EXPECT_EQ(shot.Index, c.index) << c.p;
    EXPECT_NEAR(shot.Fraction, c.fraction, 1e-6) << c.p;
    EXPECT_NEAR(ShotPulse(c.p, c.shots), c.pulse, 1e-12) << c.p;
  }
}

TEST(SceneShots, FadesAreOpaqueAtTheEndsAndClearInTheMiddle)
{
  const double pi = 3.14159265358979323846;
  struct {
    double u;
    float blackAlpha;
    float flashGrey;
  } cases[] = {{0, 1, 1}, {pi / 2, 0, 0}, {pi / 6, 0.75f, static_cast<float>(1 - std::pow(0.5, 0.25))}};
  for (const auto& c : cases) {
    const TFade black = BlackFade(c.u);
    EXPECT_EQ(black.Blend, TFadeBlend::Alpha);
    EXPECT_FLOAT_EQ(black.Colour.r + black.Colour.g + black.Colour.b, 0);
    EXPECT_NEAR(black.Colour.a, c.blackAlpha, 1e-6) << c.u;
    const TFade flash = WhiteFlash(c.u);
    EXPECT_EQ(flash.Blend, TFadeBlend::Additive);
    EXPECT_NEAR(flash.Colour.r, c.flashGrey, 1e-6) << c.u;
    EXPECT_EQ(flash.Colour.g, flash.Colour.r);
    EXPECT_EQ(flash.Colour.b, flash.Colour.r);
    EXPECT_EQ(flash.Colour.a, 1);
  }
}

TEST(HumScene, CameraWaitsThenScreenPlaysTheLoopsInTurn)
{
  struct {
    float p;
    float camera;
    const uint32_t* loop;
    int slot;
  } cases[] = {
      {0.0f, 0, Loop1Frames, 0},
      {0.1f, 0, Loop1Frames, 0},  // p 10 50 = 50.0000007, frame 50
      {0.0195f, 0, Loop1Frames, 9},
      {Below(0.25f), 0, Loop1Frames, 4},  // frame 124
      {0.25f, 0, Loop2Frames, 5},         // both ranges hold; the later wins
      {std::nextafter(0.25f, 1.0f), 0, Loop2Frames, 5},
      {Below(0.5f), 0, Loop2Frames, 1},  // frame 249
      {0.5f, 0, Loop3Frames, 0},
      {Below(0.75f), 0, Loop3Frames, 4},  // frame 374
      {0.75f, 0, Loop2Frames, 7},
      {0.8f, 0, Loop2Frames, 0},         // 0.8f lies above 0.8: the camera just starts
      {0.9f, 0.3f, Loop2Frames, 1},      // 0.9f 500 = 449.99999, frame 449
      {Below(1.0f), 0.6f, Loop2Frames, 3},
  };
  for (const auto& c : cases) {
    const THumFrame frame = PlanHumFrame(c.p);
    EXPECT_NEAR(frame.CameraFraction, c.camera, 1e-6) << c.p;
    EXPECT_EQ(frame.ScreenLoop, c.loop) << c.p;
    EXPECT_EQ(frame.ScreenSlot, c.slot) << c.p;
    EXPECT_NEAR(frame.FadeLevel, std::sqrt(1 - static_cast<double>(c.p)), 1e-7) << c.p;
  }
  EXPECT_EQ(PlanHumFrame(0).FadeLevel, 1);
  EXPECT_LT(PlanHumFrame(Below(1.0f)).FadeLevel, 0.001f);
  // Below 0.8 the camera does not move at all.
  EXPECT_EQ(PlanHumFrame(Below(0.8f)).CameraFraction, 0);
  EXPECT_EQ(PlanHumFrame(ProgressOfSlot(0, 48077)).ScreenLoop, Loop2Frames);
}

TEST(PrefallScene, EightCutsOutOfBlackAndBlur)
{
  const double pi = 3.14159265358979323846;
  struct {
    float p;
    int path;
    float fraction;
    float fadeLevel;
  } cases[] = {
      {0.0f, 0, 0, 0},
      // 8000 p = 2999.6: still the third eighth, but the pulse has restarted.
      {2999.6f / 8000, 2, (2999.6f / 8000 - 0.25f) * 5, 0},
      {2999.4f / 8000, 2, (2999.4f / 8000 - 0.25f) * 5, static_cast<float>(std::sqrt(0.999))},
      {0.375f, 3, 0, 0},
      {0.4375f, 3, 0.3125f, static_cast<float>(std::sqrt(0.5))},
      {Below(1.0f), 7, 0.625f, 0},
  };
  for (const auto& c : cases) {
    const TPrefallFrame frame = PlanPrefallFrame(c.p);
    EXPECT_EQ(frame.Shot.Index, c.path) << c.p;
    EXPECT_NEAR(frame.Shot.Fraction, c.fraction, 1e-5) << c.p;
    EXPECT_NEAR(frame.FadeLevel, c.fadeLevel, 1e-6) << c.p;
    const double s = std::sin(pi * (1 - frame.FadeLevel));
    EXPECT_EQ(frame.Fade.Blend, TFadeBlend::Alpha);
    EXPECT_NEAR(frame.Fade.Colour.a, 1 - s * s, 1e-6) << c.p;
  }
  // A quarter into an eighth the pulse is at 0.5 and the quad is clear.
  EXPECT_NEAR(PlanPrefallFrame(1 / 32.0f).Fade.Colour.a, 0, 1e-6);

  // Music times: the scene opens black on path 0, and the first frame of the
  // fourth eighth jumps to the start of path 3.
  const TPrefallFrame first = PlanPrefallFrame(ProgressOfSlot(1, 48078));
  EXPECT_EQ(first.Shot.Index, 0);
  EXPECT_EQ(first.Fade.Colour.a, 1);
  const TPrefallFrame before = PlanPrefallFrame(ProgressOfSlot(1, 52584));
  const TPrefallFrame cut = PlanPrefallFrame(ProgressOfSlot(1, 52585));
  EXPECT_EQ(before.Shot.Index, 2);
  EXPECT_EQ(cut.Shot.Index, 3);
  EXPECT_LT(cut.Shot.Fraction, 0.001f);
}

// Balance, fall and water share the caption (advance 40 + 25 p, alpha p) and
// differ in their fades.
TEST(CaptionScenes, CaptionSpreadsAndFadesIn)
{
  struct {
    float p;
    float advance;
  } cases[] = {{0.0f, 40}, {0.5f, 52.5f}, {Below(1.0f), 65}};
  for (const auto& c : cases) {
    const TBalanceFrame balance = PlanBalanceFrame(c.p);
    const TFallFrame fall = PlanFallFrame(c.p);
    const TWaterFrame water = PlanWaterFrame(c.p);
    const TWobblerFrame wobbler = PlanWobblerFrame(c.p);
    for (float advance : {balance.CaptionAdvance, fall.CaptionAdvance, water.CaptionAdvance,
                          wobbler.CaptionAdvance})
      EXPECT_NEAR(advance, c.advance, 1e-5) << c.p;
    for (float alpha : {balance.CaptionAlpha, fall.CaptionAlpha, water.CaptionAlpha,
                        wobbler.WhiteLetterAlpha})
      EXPECT_EQ(alpha, c.p);
  }
}

TEST(BalanceScene, DarkAtBothEndsAndBlurringOut)
{
  struct {
    float p;
    float fadeAlpha;
    float fadeLevel;
  } cases[] = {{0.0f, 1, 1},
               {0.5f, 0, static_cast<float>(std::sqrt(0.5))},
               {0.25f, 0.5f, static_cast<float>(std::sqrt(0.75))},
               {Below(1.0f), 1, 0.000244f}};
  for (const auto& c : cases) {
    const TBalanceFrame frame = PlanBalanceFrame(c.p);
    EXPECT_EQ(frame.CameraFraction, c.p);
    EXPECT_EQ(frame.Fade.Blend, TFadeBlend::Alpha);
    EXPECT_NEAR(frame.Fade.Colour.a, c.fadeAlpha, 1e-6) << c.p;
    EXPECT_NEAR(frame.FadeLevel, c.fadeLevel, 1e-6) << c.p;
  }
}

TEST(FallScene, OutOfBlackThenIntoWhite)
{
  const float justBelowHalf = Below(0.5f);
  struct {
    float p;
    TFadeBlend blend;
    float colour;  // the quad's grey
    float alpha;
    float fadeLevel;
  } cases[] = {
      {0.0f, TFadeBlend::Alpha, 0, 1, 0},
      {0.25f, TFadeBlend::Alpha, 0, 0.5f, static_cast<float>(std::sqrt(0.5))},
      {justBelowHalf, TFadeBlend::Alpha, 0, 0, 1},
      // At the change-over both quads leave the picture as it is.
      {0.5f, TFadeBlend::Additive, 0, 1, 1},
      {0.75f, TFadeBlend::Additive, static_cast<float>(1 - std::pow(std::sqrt(0.5), 0.25)), 1,
       static_cast<float>(std::sqrt(0.5))},
      {Below(1.0f), TFadeBlend::Additive, 0.98f, 1, 0},
  };
  for (const auto& c : cases) {
    const TFallFrame frame = PlanFallFrame(c.p);
    EXPECT_NEAR(frame.CameraFraction, 0.8 * c.p, 1e-7) << c.p;
    EXPECT_NEAR(frame.FigureFraction, 0.6 * c.p, 1e-7) << c.p;
    EXPECT_EQ(frame.Fade.Blend, c.blend) << c.p;
    EXPECT_NEAR(frame.Fade.Colour.r, c.colour, 0.01) << c.p;
    EXPECT_NEAR(frame.Fade.Colour.a, c.alpha, 1e-6) << c.p;
    EXPECT_NEAR(frame.FadeLevel, c.fadeLevel, 1e-3) << c.p;
  }
  // The last frame of the scene: almost white, almost fully blurred.
  const TFallFrame last = PlanFallFrame(ProgressOfSlot(3, 84142));
  EXPECT_GT(last.Fade.Colour.r, 0.85f);
  EXPECT_LT(last.FadeLevel, 0.001f);
}

TEST(WaterScene, BlurredInTheMiddleSharpAtTheEnds)
{
  struct {
    float p;
    float fadeAlpha;
    float fadeLevel;
    double waterPhase;
  } cases[] = {
      {0.0f, 1, 1, 0},
      {0.5f, 0, 0, 6},
      {1 / 6.0f, 0.75f, static_cast<float>(std::sqrt(0.5)), 2},
      {Below(1.0f), 1, 1, 12},
  };
  for (const auto& c : cases) {
    const TWaterFrame frame = PlanWaterFrame(c.p);
    EXPECT_EQ(frame.CameraFraction, c.p);
    EXPECT_EQ(frame.Fade.Blend, TFadeBlend::Alpha);
    EXPECT_NEAR(frame.Fade.Colour.a, c.fadeAlpha, 1e-5) << c.p;
    EXPECT_NEAR(frame.FadeLevel, c.fadeLevel, 2e-3) << c.p;
    EXPECT_NEAR(frame.WaterPhase, c.waterPhase, 1e-5) << c.p;
  }
}

TEST(WobblerScene, FourShotsEachSharpening)
{
  struct {
    float p;
    int path;
    float fraction;
    float fadeLevel;
  } cases[] = {
      {0.0f, 0, 0, 0},
      {0.125f, 0, 0.25f, static_cast<float>(std::sqrt(0.5))},
      {Below(0.25f), 0, 0.5f, 0},  // 4000 p rounds up to the cut
      {0.24985f, 0, 0.4997f, static_cast<float>(std::sqrt(0.999))},  // 4000 p = 999.4
      {0.25f, 1, 0, 0},
      {0.5f, 2, 0, 0},
      {Below(0.75f), 2, 0.5f, 0},
      {0.75f, 3, 0, 0},
      {0.875f, 3, 0.25f, static_cast<float>(std::sqrt(0.5))},
  };
  for (const auto& c : cases) {
    const TWobblerFrame frame = PlanWobblerFrame(c.p);
    EXPECT_EQ(frame.Shot.Index, c.path) << c.p;
    EXPECT_NEAR(frame.Shot.Fraction, c.fraction, 1e-6) << c.p;
    EXPECT_NEAR(frame.FadeLevel, c.fadeLevel, 1e-6) << c.p;
  }
  // The first frame after the first cut, at music time 114171.
  const TWobblerFrame cut = PlanWobblerFrame(ProgressOfSlot(5, 114171));
  EXPECT_EQ(cut.Shot.Index, 1);
  EXPECT_EQ(cut.FadeLevel, 0);
  EXPECT_EQ(PlanWobblerFrame(ProgressOfSlot(5, 114170)).Shot.Index, 0);
}

namespace {

// Two textures of one colour each under the Wobbla keys, and flat square
// models facing the viewer side by side, each in its own display list, drawn
// with the default light and an identity camera. The global texture list and
// model list are restored afterwards.
class WobblaPassTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(UseHeadlessContext(error)) << error;
    SavedTextures = std::make_unique<TTextureList>(Textures);
    SavedModels = WobblaModels;
    Textures = TTextureList();
    ASSERT_TRUE(ListTexture(Textures, "WOBBLAENV", MakeTexture(0, 255, 0)));
    ASSERT_TRUE(ListTexture(Textures, "WOBBLAENVRED", MakeTexture(255, 0, 0)));

    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glEnable(GL_LIGHT0);
    const float ambient[4] = {0, 0, 0, 1};
    const float diffuse[4] = {1, 1, 1, 1};
    const float towardsViewer[4] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }

  void TearDown() override
  {
    if (SavedTextures)
      Textures = *SavedTextures;
    WobblaModels = SavedModels;
    glDisable(GL_LIGHT0);
  }

  static uint32_t MakeTexture(uint8_t r, uint8_t g, uint8_t b)
  {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    const uint8_t texel[4] = {r, g, b, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return id;
  }

  // Model k covers the k-th of `count` vertical strips of the view.
  void MakeModels(int count)
  {
    WobblaModels = TGeoxScene();
    for (int k = 0; k < count; ++k) {
      TGeoxData model;
      AllocateGeox(model, 4, 2);
      const float x0 = -1 + 2.0f * k / count;
      const float x1 = -1 + 2.0f * (k + 1) / count;
      const float corners[4][2] = {{x0, -1}, {x1, -1}, {x1, 1}, {x0, 1}};
      for (int v = 0; v < 4; ++v)
        model.Vertices[v] = GeoxVertex{corners[v][0], corners[v][1], 0, 0, 0, 1, 0, 0};
      model.Faces[0] = GeoxFace{0, 1, 2, 0, 0, 1};
      model.Faces[1] = GeoxFace{0, 2, 3, 0, 0, 1};
      model.ListId = glGenLists(1);
      glNewList(model.ListId, GL_COMPILE);
      DrawGeoxSmooth(model);
      glEndList();
      WobblaModels.Models.push_back(model);
      WobblaModels.Names.push_back("BLOB");
      WobblaModels.FileNames.push_back("BLOB.GEOX");
    }
    WobblaModels.Count = count;
  }

  // Which texture colour shows in the middle of strip k of count.
  static char StripColour(const std::vector<uint8_t>& frame, int k, int count)
  {
    const TPixel pixel = PixelAt(frame, 640 * (2 * k + 1) / (2 * count), 240);
    if (pixel.r > 150 && pixel.g < 50 && pixel.b < 50)
      return 'R';
    if (pixel.g > 150 && pixel.r < 50 && pixel.b < 50)
      return 'G';
    if (pixel.b > 150 && pixel.r < 50 && pixel.g < 50)
      return 'B';  // the background: nothing drawn here
    return '?';
  }

  std::unique_ptr<TTextureList> SavedTextures;
  TGeoxScene SavedModels;
};

}  // namespace

TEST_F(WobblaPassTest, OnlyTheLastModelIsRed)
{
  struct {
    int count;
    const char* strips;
  } cases[] = {{3, "GGR"}, {1, "R"}, {0, "B"}};
  for (const auto& c : cases) {
    glClear(GL_COLOR_BUFFER_BIT);
    MakeModels(c.count);
    DrawWobblaModels();
    const std::vector<uint8_t> frame = ReadFrame();
    std::string strips;
    const int n = c.count > 0 ? c.count : 1;
    for (int k = 0; k < n; ++k)
      strips += StripColour(frame, k, n);
    EXPECT_EQ(strips, c.strips) << c.count << " models";
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  }
}
