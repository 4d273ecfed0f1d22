#include "host/musicclock.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <map>
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

// The developer's pause, resume and seeks on the same fake audio source: the
// device calls back every 20 ticks for 20 frames unless the clock is paused
// (the audio clock pauses its device) or the device has stopped (a stall);
// the picture polls every 5 ticks. Events at a tick come before that tick's
// callback and poll.
enum class TClockOp { Seek, Pause, Resume, DeviceStops, DeviceCallsAgain };

struct TClockEvent {
  uint64_t Tick;
  TClockOp Op;
  int32_t Position;  // for Seek
};

struct TClockCase {
  const char* Name;
  std::vector<TClockEvent> Events;
  std::vector<std::pair<uint64_t, int32_t>> Positions;  // poll tick, position
  std::vector<std::pair<uint64_t, uint64_t>> Handed;    // callback tick, first frame handed
};

TEST(AudioClockSeek, PauseResumeAndSeekMoveThePositionAndTheSound)
{
  const TClockCase cases[] = {
      // Up to a seek the buffer handed at 980 plays from 960: 975 at 995.
      {"seek forward while playing",
       {{1000, TClockOp::Seek, 60000}},
       {{995, 975}, {1000, 60000}, {1015, 60000}, {1020, 60000}, {1025, 60005}, {1100, 60080}},
       {{1000, 60000}, {1020, 60020}}},
      {"seek backward while playing",
       {{1000, TClockOp::Seek, 200}},
       {{995, 975}, {1000, 200}, {1015, 200}, {1020, 200}, {1025, 205}, {1100, 280}},
       {{1000, 200}, {1020, 220}}},
      {"seek between two callbacks",
       {{1010, TClockOp::Seek, 5000}},
       {{1010, 5000}, {1035, 5000}, {1040, 5000}, {1045, 5005}},
       {{1020, 5000}, {1040, 5020}}},
      // No callback comes while paused, and that is no stall.
      {"pause holds, resume plays on from the held position",
       {{1000, TClockOp::Pause, 0}, {2000, TClockOp::Resume, 0}},
       {{1000, 980}, {1500, 980}, {1995, 980}, {2000, 980}, {2020, 980}, {2025, 985}},
       {{2000, 980}, {2020, 1000}}},
      {"a seek while paused stays paused at the new position",
       {{1000, TClockOp::Pause, 0}, {1500, TClockOp::Seek, 30000}, {2000, TClockOp::Resume, 0}},
       {{1495, 980}, {1500, 30000}, {1995, 30000}, {2020, 30000}, {2025, 30005}},
       {{2000, 30000}}},
      // The stall is noticed 250 ticks after the seek, then the position
      // follows the wall clock and the sound comes back where it stands.
      {"a device that stalls after a seek",
       {{1000, TClockOp::Seek, 9000}, {1000, TClockOp::DeviceStops, 0},
        {2000, TClockOp::DeviceCallsAgain, 0}},
       {{1000, 9000}, {1250, 9000}, {1255, 9000}, {1500, 9245}, {1995, 9740}, {2000, 9740},
        {2025, 9745}},
       {{2000, 9740}}},
      // Stalled since 1235 at 980; the pause holds what the wall clock reached.
      {"a pause during a stall",
       {{1000, TClockOp::DeviceStops, 0}, {1500, TClockOp::Pause, 0},
        {2500, TClockOp::Resume, 0}, {2500, TClockOp::DeviceCallsAgain, 0}},
       {{1230, 980}, {1495, 1240}, {1500, 1245}, {2495, 1245}, {2500, 1245}, {2525, 1250}},
       {{2500, 1245}}},
  };
  for (const TClockCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TPlaybackTracker tracker(1000, 1000);
    tracker.Start(0);
    uint64_t cursor = 0;
    bool deviceStopped = false;
    std::map<uint64_t, int32_t> positions;
    std::map<uint64_t, uint64_t> handed;
    int32_t last = 0;
    const uint64_t end = std::max(c.Positions.back().first, c.Handed.back().first) + 5;
    for (uint64_t now = 0; now <= end; now += 5) {
      bool sought = false;
      for (const TClockEvent& e : c.Events) {
        if (e.Tick != now)
          continue;
        switch (e.Op) {
          case TClockOp::Seek: tracker.Seek(e.Position, now); sought = true; break;
          case TClockOp::Pause: tracker.Pause(now); break;
          case TClockOp::Resume: tracker.Resume(now); break;
          case TClockOp::DeviceStops: deviceStopped = true; break;
          case TClockOp::DeviceCallsAgain: deviceStopped = false; break;
        }
      }
      if (!tracker.Paused() && !deviceStopped && now % 20 == 0) {
        const uint64_t from = tracker.Callback(cursor, 20, now);
        handed[now] = from;
        cursor = from + 20;
      }
      const int32_t position = tracker.Position(now);
      if (!sought) {
        EXPECT_GE(position, last) << "at tick " << now;
      }
      positions[now] = last = position;
    }
    for (const auto& [tick, position] : c.Positions)
      EXPECT_EQ(positions[tick], position) << "position at tick " << tick;
    for (const auto& [tick, frame] : c.Handed) {
      ASSERT_EQ(handed.count(tick), 1u) << "no callback at tick " << tick;
      EXPECT_EQ(handed[tick], frame) << "handed at tick " << tick;
    }
  }
}

TEST(WallClock, PauseHoldsResumeAndSeekMoveOn)
{
  TWallClock clock;
  clock.StartAt(5000);
  EXPECT_FALSE(clock.Paused());
  EXPECT_GE(clock.Position(), 5000);
  clock.Pause();
  EXPECT_TRUE(clock.Paused());
  const int32_t held = clock.Position();
  SDL_Delay(30);
  EXPECT_EQ(clock.Position(), held);
  clock.Seek(100);
  EXPECT_TRUE(clock.Paused());
  EXPECT_EQ(clock.Position(), 100);
  clock.Resume();
  SDL_Delay(30);
  EXPECT_GE(clock.Position(), 125);
  EXPECT_LT(clock.Position(), 1000);
  clock.Seek(70000);
  EXPECT_GE(clock.Position(), 70000);
  EXPECT_LT(clock.Position(), 70500);
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

TEST(AudioClock, StartingAtSeekingAndPausingMoveThePlayingSoundtrack)
{
  const char* content = std::getenv("MVRK_TEST_CONTENT");
  if (!content)
    GTEST_SKIP() << "no generated soundtrack (MVRK_TEST_CONTENT is set by ctest)";
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  TAudioClock clock(std::string(content) + "/data/soundtrack.ogg");
  clock.StartAt(150000);
  ASSERT_FALSE(clock.Silent());
  EXPECT_GE(clock.Position(), 150000);
  EXPECT_LT(clock.Position(), 150100);
  SDL_Delay(300);
  const int32_t played = clock.Position();
  EXPECT_GT(played, 150150);
  EXPECT_LT(played, 150500);

  clock.Pause();
  EXPECT_TRUE(clock.Paused());
  const int32_t held = clock.Position();
  EXPECT_GE(held, played);
  SDL_Delay(400);  // longer than a stall: a paused device is not stalled
  EXPECT_EQ(clock.Position(), held);

  clock.Seek(1000);
  EXPECT_EQ(clock.Position(), 1000);
  clock.Resume();
  EXPECT_FALSE(clock.Paused());
  SDL_Delay(300);
  EXPECT_GT(clock.Position(), 1150);
  EXPECT_LT(clock.Position(), 1500);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
