#include "host/musicclock.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

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

// A fake audio source on a tracker whose counter ticks once a millisecond at
// 1000 frames a second, so a tick, a frame and a millisecond are the same:
// the device asks for 20 frames every 20 ticks while it runs, and the picture
// polls every 5 ticks.
struct TFakeAudio {
  TPlaybackTracker Tracker{1000, 1000};
  uint64_t Cursor = 0;
  uint64_t Now = 0;
  std::vector<uint64_t> HandedFrom;  // where each callback started
  int32_t Last = 0;
  int32_t LargestStep = 0;

  // Plays until tick end, with or without callbacks.
  void Run(uint64_t end, bool callbacks)
  {
    for (; Now < end; Now += 5) {
      if (callbacks && Now % 20 == 0) {
        const uint64_t from = Tracker.Callback(Cursor, 20, Now);
        HandedFrom.push_back(from);
        Cursor = from + 20;
      }
      const int32_t position = Tracker.Position(Now);
      EXPECT_GE(position, Last) << "at tick " << Now;
      LargestStep = std::max(LargestStep, position - Last);
      Last = position;
    }
  }
};

TEST(AudioClockStall, FollowsTheWallClockThenTheAudioAgainWithoutAJump)
{
  TFakeAudio audio;
  audio.Tracker.Start(0);
  audio.Run(1000, true);
  EXPECT_FALSE(audio.Tracker.Stalled());
  EXPECT_EQ(audio.Last, 975);  // the buffer handed at 980 plays from 960

  // The device stops calling back after the buffer handed at tick 980; the
  // position holds at 980 until the stall is noticed at 1235, then moves on
  // with the wall clock.
  audio.Run(3000, false);
  EXPECT_TRUE(audio.Tracker.Stalled());
  EXPECT_EQ(audio.Tracker.Position(2995), 980 + 2995 - 1235);

  // Callbacks come again: the sound resumes where the picture stood at the
  // last poll, and the position goes on from there, never back.
  audio.Run(4005, true);
  EXPECT_FALSE(audio.Tracker.Stalled());
  EXPECT_EQ(audio.HandedFrom[50], 2740u);
  EXPECT_EQ(audio.HandedFrom[51], 2760u);
  EXPECT_EQ(audio.Last, 3720);  // handed 3740 at tick 4000, 20 frames playing
  // No poll moved the picture by more than a frame at 50 frames a second.
  EXPECT_LE(audio.LargestStep, 20);
}

TEST(AudioClockStall, ADeviceThatNeverCallsBackFollowsTheWallClock)
{
  TPlaybackTracker tracker(44100, 1000);
  tracker.Start(10000);
  EXPECT_EQ(tracker.Position(10200), 0);
  EXPECT_FALSE(tracker.Stalled());
  EXPECT_EQ(tracker.Position(10300), 0);
  EXPECT_TRUE(tracker.Stalled());
  EXPECT_EQ(tracker.Position(11300), 1000);
  // A first callback hands from the clock's position (1000 ms of 44100 Hz).
  EXPECT_EQ(tracker.Callback(0, 1024, 11301), 44100u);
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
