#include "host/musicclock.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

TEST(PlaybackPosition, InterpolatesBetweenCallbacksAndNeverRunsAhead)
{
  // 1000 ticks a second, 1000 frames a second: one tick is one frame.
  const TPlaybackAnchor anchor = {5000, 10000, 1000, true};
  struct {
    uint64_t now;
    uint64_t frames;
  } cases[] = {
      {10000, 4000},  // the previous buffer has just begun to play
      {10250, 4250},
      {10999, 4999},
      {11000, 5000},  // end of the data handed so far
      {15000, 5000},  // late callback: the position waits for it
      {9000, 4000},   // a clock read before the callback's own stamp
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlayedFrames(anchor, c.now, 1000, 1000), c.frames) << c.now;
  EXPECT_EQ(PlayedFrames(TPlaybackAnchor{}, 123456, 1000, 1000), 0u);
  EXPECT_EQ(PlayedFrames(TPlaybackAnchor{500, 0, 1000, true}, 0, 1000, 1000), 0u);
}

TEST(AudioClock, MissingSoundtrackFallsBackToTheWallClock)
{
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  TTempDir dir;
  TAudioClock clock(dir.File("data/soundtrack.ogg"));
  clock.Start();
  EXPECT_TRUE(clock.Silent());
  const int32_t first = clock.Position();
  SDL_Delay(60);
  const int32_t second = clock.Position();
  EXPECT_GE(second - first, 50);
  EXPECT_LT(second - first, 1000);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

TEST(AudioClock, PlayingTheSoundtrackAdvancesInRealTimeAndNeverBackwards)
{
  const char* content = std::getenv("MVRK_TEST_CONTENT");
  if (!content)
    GTEST_SKIP() << "no generated soundtrack (MVRK_TEST_CONTENT is set by ctest)";
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  TAudioClock clock(std::string(content) + "/data/soundtrack.ogg");
  clock.Start();
  ASSERT_FALSE(clock.Silent());
  const uint64_t start = SDL_GetTicks64();
  int32_t last = clock.Position();
  int32_t distinct = 0;
  while (SDL_GetTicks64() - start < 400) {
    const int32_t now = clock.Position();
    ASSERT_GE(now, last);
    distinct += now != last;
    last = now;
    SDL_Delay(1);
  }
  // The device consumes audio in real time, less its buffer at the start;
  // between callbacks the position moves in small steps, not in jumps of a
  // whole buffer only.
  EXPECT_GT(last, 250);
  EXPECT_LT(last, 450);
  EXPECT_GT(distinct, 50);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
