#include "host/timeline.h"

#include "host/processsetup.h"

#include "engine/assets.h"
#include "engine/camera.h"
#include "engine/effects.h"
#include "engine/framebuffer.h"
#include "engine/textures.h"
#include "host/musicclock.h"
#include "scenes/frame.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

// A sanitizer's allocator replaces glibc's and ignores its settings.
#if defined(__SANITIZE_ADDRESS__)
#define SANITIZED_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SANITIZED_ALLOCATOR 1
#endif
#endif

namespace {

struct TTimelineCase {
  int32_t t;
  int activeSlot;
  float progress;
};

std::vector<int> RenderedSlots;
std::vector<int32_t> RenderedTimes;
// The pixels each Render could draw: its scissor box's, or the frame's
// when the scissor test was off.
std::vector<int> RenderedScissored;

// What a frame found when it began to draw, and what it changed.
struct TRenderedValues {
  TFramePacing Pacing;
  uint32_t RandomSeed;
};
std::vector<TRenderedValues> RenderedValues;

class TRecordingScene : public mve_genericscene {
public:
  explicit TRecordingScene(int slot) : Slot(slot) {}
  void Render(int32_t t, TFramePacing pacing) override
  {
    RenderedSlots.push_back(Slot);
    RenderedTimes.push_back(t);
    GLint box[4] = {0, 0, FrameWidth, FrameHeight};
    if (glIsEnabled(GL_SCISSOR_TEST))
      glGetIntegerv(GL_SCISSOR_BOX, box);
    RenderedScissored.push_back(box[2] * box[3]);
    RenderedValues.push_back({pacing, RandomSeed});
    NextRandom(10);  // as a beat shake would
    std::fprintf(stderr, "RENDERED %d\n", Slot);
  }
  int Slot;
};

// Replaces every filled slot by a recording scene with the same interval.
class DrawFrameTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    BuildSceneTable();
    for (int slot = 0; slot < SceneSlotCount; ++slot) {
      if (!SceneTable[slot])
        continue;
      auto scene = std::make_unique<TRecordingScene>(slot);
      scene->StartTime = SceneTable[slot]->StartTime;
      scene->EndTime = SceneTable[slot]->EndTime;
      SceneTable[slot] = std::move(scene);
    }
    RenderedSlots.clear();
    RenderedTimes.clear();
    RenderedScissored.clear();
    RenderedValues.clear();
    StartFramesAfresh();
  }
  void TearDown() override { BuildSceneTable(); }
};

}  // namespace

TEST(SceneTableTest, ProgressAtTheBoundaries)
{
  BuildSceneTable();
  const TTimelineCase cases[] = {
      {0, 0, 0.0f},
      {48077, 0, static_cast<float>(48077.0 / 48078.0)},
      {48078, 1, 0.0f},
      {132194, 6, 0.0f},
      {223999, 12, static_cast<float>((223999.0 - 216119.0) / (226293.0 - 216119.0))},
  };
  for (const auto& c : cases) {
    int active = -1;
    int activeCount = 0;
    for (int slot = 0; slot < SceneSlotCount; ++slot) {
      if (SceneTable[slot] && SceneTable[slot]->Progress(c.t) != -1.0f) {
        active = slot;
        ++activeCount;
      }
    }
    EXPECT_EQ(activeCount, 1) << "t " << c.t;
    ASSERT_EQ(active, c.activeSlot) << "t " << c.t;
    EXPECT_EQ(SceneTable[active]->Progress(c.t), c.progress) << "t " << c.t;
  }
}

TEST(SceneTableTest, SlotsAndPlaceholders)
{
  BuildSceneTable();
  for (int slot = 0; slot < SceneSlotCount; ++slot) {
    if (slot < 20) {
      ASSERT_TRUE(SceneTable[slot]) << slot;
    } else {
      EXPECT_FALSE(SceneTable[slot]) << slot;
      continue;
    }
    if (slot >= 13) {
      EXPECT_EQ(SceneTable[slot]->StartTime, 0);
      EXPECT_EQ(SceneTable[slot]->EndTime, 0);
      for (int32_t t : {0, 1, 100000, -5})
        EXPECT_EQ(SceneTable[slot]->Progress(t), -1.0f) << slot << " at " << t;
    }
  }
  // The thirteen intervals tile [0, 226293) without gaps.
  EXPECT_EQ(SceneTable[0]->StartTime, 0);
  for (int slot = 1; slot < 13; ++slot)
    EXPECT_EQ(SceneTable[slot]->StartTime, SceneTable[slot - 1]->EndTime) << slot;
  EXPECT_EQ(SceneTable[12]->EndTime, 226293);
  EXPECT_EQ(SceneTable[0]->Progress(-1), -1.0f);
  EXPECT_EQ(SceneTable[12]->Progress(226293), -1.0f);
}

TEST_F(DrawFrameTest, RendersOnlyTheActiveSlotAndPaces)
{
  struct {
    std::initializer_list<int32_t> script;
    int slot;
    int32_t elapsed;
    int polls;
  } cases[] = {
      {{500, 510, 519, 520}, 0, 20, 4},
      {{48078, 48200}, 1, 122, 2},        // a jump ends the wait at once
      {{223999, 224019}, 12, 20, 2},      // the last frame is still drawn
      {{60095, 60096, 60114, 60116}, 1, 21, 4},
  };
  for (const auto& c : cases) {
    TScriptedClock clock;
    clock.Script(c.script);
    RenderedSlots.clear();
    EXPECT_EQ(DrawFrame(clock), std::optional<int32_t>(*c.script.begin()));
    EXPECT_EQ(RenderedSlots, std::vector<int>{c.slot});
    EXPECT_EQ(MusicTime, *c.script.begin());
    EXPECT_EQ(PacingOfNextFrame().ElapsedMs, c.elapsed);
    EXPECT_EQ(PacingOfNextFrame().PaceMs, 20);
    EXPECT_EQ(clock.Polls, c.polls);
  }
}

TEST_F(DrawFrameTest, ReportsTheEndPastTheLastFrameBeforeDrawing)
{
  TScriptedClock clock;
  clock.Script({224000});
  RenderedSlots.clear();
  EXPECT_EQ(DrawFrame(clock), std::nullopt);
  EXPECT_TRUE(RenderedSlots.empty());
  clock.Script({223999, 224019});
  EXPECT_EQ(DrawFrame(clock), std::optional<int32_t>(223999));
  EXPECT_EQ(RenderedSlots, std::vector<int>{12});
}

// While the clock is paused its position stands still, so the frames are
// paced on the wall clock (one poll each, at least FramePace ms apart), and
// every paused frame is drawn from the values the first one began with.
TEST_F(DrawFrameTest, PausedFramesRedrawTheHeldTimeFromTheSameValues)
{
  TScriptedClock clock;
  clock.Script({5000, 5020});
  DrawFrame(clock);  // a frame of 20 ms of music
  clock.Pause();
  RandomSeed = 77;
  for (int frame = 0; frame < 3; ++frame) {
    const int polls = clock.Polls;
    const auto begun = std::chrono::steady_clock::now();
    DrawFrame(clock);
    EXPECT_GE(std::chrono::steady_clock::now() - begun, std::chrono::milliseconds(FramePace));
    EXPECT_EQ(clock.Polls, polls + 1);
  }
  clock.Resume();
  DrawFrame(clock);

  EXPECT_EQ(RenderedTimes, (std::vector<int32_t>{5000, 5020, 5020, 5020, 5021}));
  ASSERT_EQ(RenderedValues.size(), 5u);
  for (int frame = 1; frame <= 3; ++frame) {
    SCOPED_TRACE(frame);
    EXPECT_EQ(RenderedValues[frame].Pacing.ElapsedMs, 20);
    EXPECT_EQ(RenderedValues[frame].Pacing.PaceMs, 20);
    EXPECT_EQ(RenderedValues[frame].RandomSeed, 77u);
  }
  // Playing on, the frame follows the last paused one as any frame would.
  EXPECT_EQ(RenderedValues[4].Pacing.ElapsedMs, FramePace);
  EXPECT_NE(RenderedValues[4].RandomSeed, 77u);
}

// A seek keeps inside the music, and the frame after it starts afresh: the
// pacing values of a first frame, while paused as while playing.
TEST_F(DrawFrameTest, SeekingClampsAndGivesTheNextFrameFirstFrameValues)
{
  const struct {
    int32_t target;
    bool paused;
    int32_t drawnAt;
  } cases[] = {
      {100000, false, 100000}, {-1502, false, 0},    {300000, false, LastFrameTime},
      {100000, true, 100000},  {-1, true, 0},        {LastFrameTime + 1, true, LastFrameTime},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    TScriptedClock clock;
    clock.Script({5000, 5020});
    DrawFrame(clock);
    if (c.paused) {
      clock.Pause();
      DrawFrame(clock);  // holds the values of this paused frame...
    }
    RenderedTimes.clear();
    RenderedValues.clear();
    SeekTimeline(clock, c.target);
    DrawFrame(clock);
    if (c.paused)
      DrawFrame(clock);  // ...which the seek dropped: these are held now
    ASSERT_FALSE(RenderedValues.empty());
    for (const TRenderedValues& values : RenderedValues) {
      EXPECT_EQ(values.Pacing.ElapsedMs, FirstFramePacing.ElapsedMs);
      EXPECT_EQ(values.Pacing.PaceMs, FirstFramePacing.PaceMs);
    }
    EXPECT_EQ(RenderedTimes.front(), c.drawnAt);
    EXPECT_EQ(RenderedTimes.back(), c.drawnAt);
  }
}

// The warm-up must reach every scene, only at times inside it (a time outside
// would draw nothing of the scene, or another one), and pass the switches
// of state around the middle and in the last quarter of a scene.
TEST(WarmUpTimesTest, EveryTimeLiesInsideItsSceneAndCoversBothHalves)
{
  BuildSceneTable();
  for (int slot = 0; slot < 13; ++slot) {
    const mve_genericscene& scene = *SceneTable[slot];
    const std::vector<int32_t> times = WarmUpTimes(scene);
    ASSERT_EQ(times.size(), static_cast<size_t>(WarmUpFrameCount)) << slot;
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end())) << slot;
    const int32_t shownEnd = std::min(scene.EndTime, LastFrameTime + 1);
    for (int32_t t : times) {
      EXPECT_NE(scene.Progress(t), -1.0f) << slot << " at " << t;
      EXPECT_LT(t, shownEnd) << slot;
    }
    const double length = shownEnd - scene.StartTime;
    EXPECT_LT(times.front() - scene.StartTime, 0.1 * length) << slot;
    EXPECT_GT(times.back() - scene.StartTime, 0.75 * length) << slot;
    EXPECT_TRUE(std::any_of(times.begin(), times.end(), [&](int32_t t) {
      const double shown = (t - scene.StartTime) / length;
      return shown >= 0.45 && shown <= 0.5;
    })) << slot;
  }
}

TEST_F(DrawFrameTest, WarmUpDrawsEveryTimedSceneAtItsTimes)
{
  // Then the frame the music starts at, into the box, as often as rehearsed:
  // at a time inside jump (slot 8) only jump is drawn. The scissor is GL
  // state, so this needs a context; starting the demo builds the real scenes
  // again.
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  SetUp();
  const int32_t startTime = SceneTable[8]->StartTime + 100;
  MusicTime = 12345;
  WarmUpScenes(startTime);
  // Each scene's first time is drawn into a box of at most 640 x 480, its
  // others into one pixel.
  const int box = std::min(FrameWidth, BaseFrameWidth) * std::min(FrameHeight, BaseFrameHeight);
  std::vector<int> expectedSlots;
  std::vector<int32_t> expectedTimes;
  std::vector<int> expectedScissored;
  for (int slot = 0; slot < 13; ++slot)
    for (int32_t t : WarmUpTimes(*SceneTable[slot])) {
      expectedScissored.push_back(expectedSlots.size() > 0 && expectedSlots.back() == slot ? 1 : box);
      expectedSlots.push_back(slot);
      expectedTimes.push_back(t);
    }
  for (int k = 0; k < FirstFrameRehearsals; ++k) {
    expectedSlots.push_back(8);
    expectedTimes.push_back(startTime);
    expectedScissored.push_back(box);
  }
  EXPECT_EQ(RenderedSlots, expectedSlots);
  EXPECT_EQ(RenderedTimes, expectedTimes);
  EXPECT_EQ(RenderedScissored, expectedScissored);
  EXPECT_EQ(MusicTime, 12345);
}

// After a real frame has left its marks (the frame, a screen copy, the random
// generator, the pacing, the camera), the warm-up draws every scene and must
// leave all of it as it found it, with the render targets black as start-up
// leaves them.
TEST(WarmUpScenesTest, LeavesNoTrace)
{
  std::string error;
  if (!UseStartedDemo(error))
    GTEST_SKIP() << error;
  BuildSceneTable();
  for (auto& scene : SceneTable)
    if (scene)
      scene->Prepare();
  TScriptedClock clock;
  clock.Script({178000, 178020});
  DrawFrame(clock);
  ClearFrameTargets();
  glBindTexture(GL_TEXTURE_2D, SunTexture);
  glColor4f(0.25f, 0.5f, 0.75f, 1);

  const std::vector<uint8_t> frame = ReadFrame();
  const uint32_t seed = RandomSeed;
  const int32_t copyIndex = ScreenCopyIndex;
  const TCamera camera = Camera;
  const TFramePacing pacing = PacingOfNextFrame();
  GLfloat projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);

  WarmUpScenes(178000);

  EXPECT_EQ(ReadFrame(), frame);
  EXPECT_EQ(RandomSeed, seed);
  EXPECT_EQ(ScreenCopyIndex, copyIndex);
  EXPECT_EQ(std::memcmp(&Camera, &camera, sizeof camera), 0);
  EXPECT_EQ(PacingOfNextFrame().ElapsedMs, pacing.ElapsedMs);
  EXPECT_EQ(PacingOfNextFrame().PaceMs, pacing.PaceMs);
  GLfloat after[16];
  glGetFloatv(GL_PROJECTION_MATRIX, after);
  EXPECT_EQ(std::memcmp(after, projection, sizeof after), 0);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), SunTexture);
  GLfloat colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[1], 0.5f);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
  const std::vector<uint8_t> copy = TexturePixels(FrameTargets().ScreenCopyA);
  ASSERT_EQ(copy.size(), 1024u * 512 * 3);
  EXPECT_TRUE(std::all_of(copy.begin(), copy.end(), [](uint8_t v) { return v == 0; }));
}

// The GL vertex buffers of a busy frame are megabytes, freed after each draw;
// once KeepFreedMemory has run, a block of that size allocated again must come
// back without touching fresh pages.
TEST(KeepFreedMemoryTest, ALargeBlockFreedAndTakenAgainCostsNoPageFaults)
{
#if !defined(__GLIBC__) || defined(SANITIZED_ALLOCATOR)
  GTEST_SKIP() << "only glibc's own allocator keeps freed memory";
#endif
  KeepFreedMemory();
  constexpr size_t size = 16 << 20;
  auto touch = [](uint8_t value) {
    auto* block = static_cast<uint8_t*>(std::malloc(size));
    ASSERT_NE(block, nullptr);
    std::memset(block, value, size);
    EXPECT_EQ(block[size / 2], value);
    std::free(block);
  };
  touch(1);
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  touch(2);
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  // 16 MB of fresh pages would be 4,096 faults; a few are allowed for the
  // test's own bookkeeping.
  EXPECT_LT(after.ru_minflt - before.ru_minflt, 64);
}
