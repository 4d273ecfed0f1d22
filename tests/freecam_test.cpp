#include "host/freecam.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

class FreeCameraTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    ResetFreeCamera();
    camera = DefaultCamera();
  }
  void TearDown() override { ResetFreeCamera(); }
  TCamera camera;
};

}  // namespace

TEST_F(FreeCameraTest, HomeAndEndStepOncePerKeyDown)
{
  struct {
    int key;
    float perPress;
  } cases[] = {{VK_HOME_KEY, 5}, {VK_END_KEY, -5}};
  for (const auto& c : cases) {
    camera = DefaultCamera();
    Keys[c.key] = true;  // one key-down event
    FreeCameraStep(camera, {0, 0});
    FreeCameraStep(camera, {0, 0});  // still held, no new event
    EXPECT_FLOAT_EQ(camera.FieldOfView, 70 + c.perPress);
    Keys[c.key] = true;  // auto-repeat sends another key-down
    FreeCameraStep(camera, {0, 0});
    EXPECT_FLOAT_EQ(camera.FieldOfView, 70 + 2 * c.perPress);
  }
}

TEST_F(FreeCameraTest, HighestDigitWins)
{
  struct {
    std::vector<int> digits;
    bool shift;
    float fieldOfView;
    float speed;
  } cases[] = {
      {{1}, false, 70, 0.0001f}, {{2, 7}, false, 70, 100},   {{8, 3}, false, 70, 1000},
      {{1}, true, 10, 0.01f},    {{2, 5, 6}, true, 110, 0.01f}, {{8}, true, 150, 0.01f},
  };
  for (const auto& c : cases) {
    ResetFreeCamera();
    camera = DefaultCamera();
    Keys[VK_SHIFT_KEY] = c.shift;
    for (int d : c.digits)
      Keys['0' + d] = true;
    FreeCameraStep(camera, {0, 0});
    EXPECT_FLOAT_EQ(camera.FieldOfView, c.fieldOfView);
    EXPECT_FLOAT_EQ(FreeCamSpeed, c.speed);
  }
}

TEST_F(FreeCameraTest, MouseLookTurnsByMotionSinceThePreviousIteration)
{
  FreeCameraStep(camera, {100, 100});  // no button: only the cursor is noted
  EXPECT_FLOAT_EQ(camera.Target.x, 0);
  EXPECT_EQ(LastCursor.x, 100);

  FreeCameraStep(camera, {400, 100});  // moved with the button up
  MouseLook = 1;
  const TCamera before = camera;
  FreeCameraStep(camera, {433, 100});  // first drag frame: 33 pixels of yaw
  TCamera expected = before;
  TurnCamera(expected, 0.0f, 33.0f / 333, 0.0f);
  EXPECT_FLOAT_EQ(camera.Target.x, expected.Target.x);
  EXPECT_FLOAT_EQ(camera.Target.z, expected.Target.z);
  EXPECT_NE(camera.Target.x, before.Target.x);
}

TEST_F(FreeCameraTest, MovementKeysAndEscape)
{
  struct {
    int key;
    TVector3 eye;
  } cases[] = {
      {VK_UP_KEY, {0, 0, -10 + 0.03f * 20}},
      {VK_DOWN_KEY, {0, 0, -10 - 0.03f * 20}},
      {VK_LEFT_KEY, {0.01f / 3 * 200, 0, -10}},
      {VK_RIGHT_KEY, {-0.01f / 3 * 200, 0, -10}},
      {VK_PRIOR_KEY, {0, 0.45f, -10}},
      {VK_NEXT_KEY, {0, -0.45f, -10}},
  };
  for (const auto& c : cases) {
    ResetFreeCamera();
    camera = DefaultCamera();
    Keys[c.key] = true;
    EXPECT_FALSE(FreeCameraStep(camera, {0, 0}));
    EXPECT_NEAR(camera.Eye.x, c.eye.x, 1e-5) << c.key;
    EXPECT_NEAR(camera.Eye.y, c.eye.y, 1e-5) << c.key;
    EXPECT_NEAR(camera.Eye.z, c.eye.z, 1e-5) << c.key;
  }
  ResetFreeCamera();
  Keys[VK_ESCAPE_KEY] = true;
  EXPECT_TRUE(FreeCameraStep(camera, {0, 0}));
}

// A quick tap can go down and up between two steps (a slow frame, or the
// loading screen): the key-down still quits at the next step. Keys held
// without Escape keep their held-state meaning: released before the step,
// they do nothing.
TEST_F(FreeCameraTest, EscapeTappedBetweenStepsQuits)
{
  FreeCameraKeyEvent(VK_ESCAPE_KEY, true);
  FreeCameraKeyEvent(VK_ESCAPE_KEY, false);
  EXPECT_TRUE(FreeCameraStep(camera, {0, 0}));
  EXPECT_FALSE(FreeCameraStep(camera, {0, 0})) << "one tap quits once";

  const TCamera before = camera;
  FreeCameraKeyEvent(VK_UP_KEY, true);
  FreeCameraKeyEvent(VK_UP_KEY, false);
  EXPECT_FALSE(FreeCameraStep(camera, {0, 0}));
  EXPECT_EQ(camera.Eye.z, before.Eye.z);
  FreeCameraKeyEvent(-1, true);  // keys the demo ignores
  FreeCameraKeyEvent(256, true);
  EXPECT_FALSE(FreeCameraStep(camera, {0, 0}));
}

TEST_F(FreeCameraTest, KeyMapCoversTheTableKeys)
{
  struct {
    SDL_Keycode sdl;
    int vk;
  } cases[] = {{SDLK_ESCAPE, 27}, {SDLK_LEFT, 37}, {SDLK_UP, 38},    {SDLK_RIGHT, 39},
               {SDLK_DOWN, 40},   {SDLK_PAGEUP, 33}, {SDLK_PAGEDOWN, 34}, {SDLK_HOME, 36},
               {SDLK_END, 35},    {SDLK_LSHIFT, 16}, {SDLK_RSHIFT, 16},  {SDLK_1, 49},
               {SDLK_8, 56},      {SDLK_a, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(VirtualKeyFromSDL(c.sdl), c.vk) << c.sdl;
}

TEST_F(FreeCameraTest, RightButtonReleaseRewritesDefaultCamera)
{
  TTempDir dir;
  dir.Enter();
  ClearCameraPath(RecordedPath);
  for (int press = 1; press <= 3; ++press) {
    camera.FieldOfView = 10.0f * press;
    EXPECT_EQ(RecordCameraKey(camera), "");
    TCameraPath saved = {};
    LoadCameraPath(saved, "default.camera");
    EXPECT_EQ(saved.Count, press);
  }
  ClearCameraPath(RecordedPath);
}

// A save that fails says why, and the next one that can be written holds
// every key recorded meanwhile.
TEST_F(FreeCameraTest, FailedSaveIsReportedAndTheNextHoldsEveryKey)
{
  TTempDir dir;
  dir.Enter();
  ClearCameraPath(RecordedPath);
  ASSERT_EQ(mkdir("default.camera", 0755), 0);
  EXPECT_EQ(RecordCameraKey(camera),
            "default.camera: not saved: Is a directory (the file keeps its last keys)");
  ASSERT_EQ(rmdir("default.camera"), 0);
  ASSERT_EQ(RecordCameraKey(camera), "");
  TCameraPath saved = {};
  LoadCameraPath(saved, "default.camera");
  EXPECT_EQ(saved.Count, 2);
  ClearCameraPath(RecordedPath);
}
