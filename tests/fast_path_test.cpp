// The fast path against the reference path on real pixels: every frame the
// scenes show at their cuts, quarters, halves, three quarters and ends stays
// within the tolerance of the layered drawing, at 640 x 480 and at 1440 x
// 1080; and the one-pass programs are really the ones drawing, so that the
// comparison cannot pass by the fast path quietly falling back.
#include "engine/assets.h"
#include "engine/effects.h"
#include "engine/framebuffer.h"
#include "engine/shaders.h"
#include "engine/text.h"
#include "engine/textures.h"
#include "host/headlessdemo.h"
#include "host/timeline.h"
#include "scene_rows.h"
#include "scenes/intervals.h"
#include "scenes/onepass.h"
#include "test_support.h"
#include "tools/compare/difference.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class TReferenceGuard {
public:
  ~TReferenceGuard() { UseReferencePath(false); }
};

// Frames at times, the first drawn afresh (RenderAfresh), the rest following
// it at the live pace, on the chosen path; the random generator put back.
std::vector<std::vector<uint8_t>> RenderRun(const std::vector<int32_t>& times, bool reference)
{
  SeedGuard seed;
  UseReferencePath(reference);
  std::vector<std::vector<uint8_t>> frames;
  frames.push_back(RenderAfresh(times[0], FontTexture));
  for (size_t i = 1; i < times.size(); ++i) {
    RenderHeadlessFrame(times[i], times[i] - times[i - 1]);
    frames.push_back(ReadFrame());
  }
  UseReferencePath(false);
  return frames;
}

// Each scene's first frame, its quarter, half and three quarters and 100 ms
// before its end, each with the two frames 20 ms before it.
std::vector<std::vector<int32_t>> FixedRuns()
{
  std::vector<std::vector<int32_t>> runs;
  for (const TSceneInterval& scene : SceneIntervals) {
    const int32_t end = std::min(scene.EndTime, LastFrameTime);
    for (int32_t t : {scene.StartTime, scene.StartTime + (end - scene.StartTime) / 4,
                      scene.StartTime + (end - scene.StartTime) / 2,
                      scene.StartTime + (end - scene.StartTime) * 3 / 4, end - 100}) {
      const int32_t from = std::max(0, t - 40);
      runs.push_back({from, from + 20, from + 40});
    }
  }
  return runs;
}

void ExpectWithinTolerance(const std::vector<uint8_t>& reference, const std::vector<uint8_t>& fast,
                           int32_t t, TFrameDifference& largest)
{
  ASSERT_EQ(reference.size(), fast.size());
  const TFrameDifference d = CompareFrames(reference.data(), fast.data(), FrameWidth, FrameHeight);
  EXPECT_TRUE(WithinTolerance(d)) << "at " << t << " ms: mean " << d.Mean << ", share over 16 "
                                  << d.ShareOver16 << ", worst " << d.Worst << " at (" << d.WorstX
                                  << ", " << d.WorstY << ")";
  largest.Mean = std::max(largest.Mean, d.Mean);
  largest.ShareOver16 = std::max(largest.ShareOver16, d.ShareOver16);
  largest.Worst = std::max(largest.Worst, d.Worst);
}

// The largest differences of a set of frames, for the test log.
void PrintLargest(const char* size, const TFrameDifference& largest)
{
  std::printf("%s: largest mean %.4f, largest share over 16 %.5f%%, worst %d\n", size, largest.Mean,
              100 * largest.ShareOver16, largest.Worst);
}

}  // namespace

TEST(FastPath, EveryFixedFrameIsWithinTheToleranceOfTheReference)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  TReferenceGuard guard;
  TFrameDifference largest;
  for (const std::vector<int32_t>& run : FixedRuns()) {
    const auto reference = RenderRun(run, true);
    const auto fast = RenderRun(run, false);
    for (size_t i = 0; i < run.size(); ++i)
      ExpectWithinTolerance(reference[i], fast[i], run[i], largest);
  }
  PrintLargest("640x480", largest);
}

TEST(FastPath, LargeFramesAreWithinTheToleranceOfTheReference)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  TReferenceGuard guard;
  TDefaultFrameGuard size;
  ASSERT_TRUE(ResizeFrame(1440, 1080, error)) << error;
  TFrameDifference largest;
  for (const TSceneRow& row : SceneRows) {
    const int32_t t = TimeAt(*SceneTable[row.Slot], 0.6);
    SCOPED_TRACE(row.Name);
    ExpectWithinTolerance(RenderRun({t}, true)[0], RenderRun({t}, false)[0], t, largest);
  }
  PrintLargest("1440x1080", largest);
}

namespace {

// The texture bound to texture unit 1, checking that unit 0 is the active one.
GLint TextureOnUnitOne()
{
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE0);
  GLint bound = -1;
  glActiveTexture(GL_TEXTURE1);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glActiveTexture(GL_TEXTURE0);
  return bound;
}

}  // namespace

// The one-pass drawing runs on the fast path and stands aside on the
// reference path, leaving texture unit 1 empty; the sky is a sphere the
// shells can be counted on.
TEST(FastPath, OnePassDrawingIsInUseUnlessTheReferenceIsChosen)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  TReferenceGuard guard;
  const TSphereModel sky = SphereModel(SkyModel);
  EXPECT_GT(sky.Radius, 0);
  EXPECT_GT(sky.FacetDepth, 0);
  EXPECT_LT(sky.FacetDepth, 0.01);
  const float scales[2] = {0.5f, 1.0f};
  const TColour colour = {0.03f, 0.02f, 0.02f, 1};
  for (bool reference : {false, true}) {
    SCOPED_TRACE(reference ? "reference" : "fast");
    UseReferencePath(reference);
    SaveFrameContents();
    EXPECT_EQ(MixBlurAndAddGlow(1, 1, 1, 0.5f), !reference);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.1, 0.1, -0.075, 0.075, 0.1, 99999);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    EXPECT_EQ(DrawSpheresInOnePass(SkyModel, sky, scales, 2, colour), !reference);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(TextureOnUnitOne(), 0) << "after the chain and the shells";
    RestoreFrameContents();
  }
}


// The one-pass drawing reads through texture unit 1 and leaves it empty, also
// after a whole frame of atom with its shells and the chain.
TEST(FastPath, AFrameOfAtomLeavesTextureUnitOneEmpty)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  TReferenceGuard guard;
  UseReferencePath(false);
  const int32_t atom = 178000;
  ASSERT_STREQ(SceneIntervals[9].Name, "atom");
  ASSERT_GE(atom, SceneIntervals[9].StartTime);
  SeedGuard seed;
  RenderAfresh(atom, FontTexture);
  EXPECT_EQ(TextureOnUnitOne(), 0) << "after a frame of atom";
}

// A model that is no sphere cannot be counted on.
TEST(FastPath, OnlySpheresAreSpheres)
{
  TGeoxData box;
  box.Vertices = {{1, 0, 0, 0, 0, 0, 0, 0}, {0, 2, 0, 0, 0, 0, 0, 0}, {0, 0, 1, 0, 0, 0, 0, 0}};
  EXPECT_EQ(SphereModel(box).Radius, 0);
  EXPECT_EQ(SphereModel(TGeoxData{}).Radius, 0);
  TGeoxData ball;
  ball.Vertices = {{3, 0, 0, 0, 0, 0, 0, 0}, {0, 3, 0, 0, 0, 0, 0, 0}, {0, 0, 3, 0, 0, 0, 0, 0}};
  ball.Faces = {{0, 1, 2, 0, 0, 0}, {0, 1, 7, 0, 0, 0}};  // the second points past the vertices: skipped
  const TSphereModel sphere = SphereModel(ball);
  EXPECT_DOUBLE_EQ(sphere.Radius, 3);
  EXPECT_NEAR(sphere.FacetDepth, 1 - 1 / std::sqrt(3.0), 1e-9);
}

// A program the driver refuses comes back as 0 with the compiler's reason,
// and the effect it serves falls back to its layers, said once.
TEST(FastPath, AProgramThatCannotBeBuiltFallsBackToTheLayers)
{
  std::string error;
  if (!UseHeadlessContext(error))
    GTEST_SKIP() << error;
  const char* vertex = "#version 120\nvoid main() { gl_Position = gl_Vertex; }\n";
  EXPECT_EQ(BuildProgram(vertex, "#version 120\nvoid main() { no_such_thing(); }\n", error), 0u);
  EXPECT_NE(error.find("fragment shader: "), std::string::npos) << error;
  error.clear();
  EXPECT_NE(BuildProgram(vertex, "#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n", error), 0u)
      << error;
  TFastProgram broken = {"broken", vertex, "#version 120\nvoid main() { broken }\n"};
  EXPECT_EQ(FastProgram(broken), 0u);
  EXPECT_TRUE(broken.Failed);
  EXPECT_EQ(FastProgram(broken), 0u);
}
