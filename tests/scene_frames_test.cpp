// The scenes' frames in the started demo: how each opens, the random numbers
// it draws, and the GL state it leaves for the next frame.
#include "scene_rows.h"

#include "scenes/passes.h"
#include "scenes/plans.h"
#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/text.h"
#include "engine/textures.h"
#include "host/headlessdemo.h"
#include "host/timeline.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The first frame of the scenes that open under an opaque black quad is black
// all over (only the blur of black shows); those that open on a full white
// flash are white in the middle. The picture is taken without the captions,
// which are checked on their own.
TEST(SceneFrames, FirstFramesOpenBlackOrWhite)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  for (const TSceneRow& row : SceneRows) {
    if (row.Opening == TOpening::Picture)
      continue;
    const int32_t t = SceneTable[row.Slot]->StartTime;
    SCOPED_TRACE(std::string(row.Name) + " at t = " + std::to_string(t));
    const std::vector<uint8_t> frame = RenderAfresh(t, BlankFont());
    if (row.Opening == TOpening::Black) {
      EXPECT_LE(*std::max_element(frame.begin(), frame.end()), 2) << "brightest channel";
    } else {
      int white = 0;
      for (int y = 220; y < 260; ++y)
        for (int x = 300; x < 340; ++x)
          white += Ink(frame, x, y, 1);
      EXPECT_EQ(white, 1600) << "white pixels in the middle 40 x 40";
    }
  }
}

// Render draws three random numbers on a beat step when the scene shakes,
// and the atom three more on every frame past its middle.
TEST(SceneFrames, RenderDrawsTheShakeAndQuakeNumbers)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  const double steps[4] = {0.5 / 128, 1.5 / 128, 65.5 / 128, 66.5 / 128};
  for (const TSceneRow& row : SceneRows) {
    mve_genericscene& scene = *SceneTable[row.Slot];
    for (int k = 0; k < 4; ++k) {
      const int32_t t = scene.StartTime + static_cast<int32_t>(steps[k] * (scene.EndTime - scene.StartTime));
      SCOPED_TRACE(std::string(row.Name) + " at t = " + std::to_string(t));
      RandomSeed = 777;
      scene.Render(t, PacingOfNextFrame());
      EXPECT_EQ(DrawsSince(777), row.Draws[k]);
    }
  }
}

// Every scene, rendered in the started demo at a few moments, hands the frame
// over in the state the next frame's first steps expect, without GL errors.
TEST(SceneFrames, ScenesLeaveTheFrameStateForTheNext)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  for (const TSceneRow& row : SceneRows) {
    mve_genericscene& scene = *SceneTable[row.Slot];
    for (double f : {0.0, 0.3, 0.47, 0.6, 0.8, 0.999}) {
      const int32_t t = TimeAt(scene, f);
      SCOPED_TRACE(std::string(row.Name) + " at t = " + std::to_string(t));
      while (glGetError() != GL_NO_ERROR) {
      }
      scene.Render(t, PacingOfNextFrame());
      EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
      GLint viewport[4];
      glGetIntegerv(GL_VIEWPORT, viewport);
      EXPECT_EQ(viewport[1], 0);
      EXPECT_EQ(viewport[3], 480);
      GLboolean depthMask = GL_FALSE;
      glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
      EXPECT_EQ(depthMask, GL_TRUE);
      EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
      EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
      EXPECT_FALSE(glIsEnabled(GL_BLEND));
      EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
      EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
    }
  }
}
