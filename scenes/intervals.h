// The thirteen scenes of the demo and their intervals of music, in
// milliseconds: each scene is active from StartTime up to, not including,
// EndTime. The timeline places its scenes by this table and the music tools
// compose and check the soundtrack against it, so it depends on nothing.
#pragma once

#include <cstdint>

struct TSceneInterval {
  const char* Name;
  int32_t StartTime;
  int32_t EndTime;
};

constexpr int SceneCount = 13;

constexpr TSceneInterval SceneIntervals[SceneCount] = {
    {"hum", 0, 48078},          {"prefall", 48078, 60096}, {"balance", 60096, 72115},
    {"fall", 72115, 84143},     {"water", 84143, 108163},  {"wobbler", 108163, 132194},
    {"rush", 132194, 144211},   {"capped", 144211, 156223}, {"jump", 156223, 168243},
    {"atom", 168243, 180256},   {"outro", 180256, 204300}, {"last", 204300, 216119},
    {"movrik", 216119, 226293}};

// The scene that plays at music time t: the index of the interval that holds
// t, or -1 before the first and from the last one's end on.
constexpr int SceneAt(int32_t t)
{
  for (int scene = 0; scene < SceneCount; ++scene)
    if (t >= SceneIntervals[scene].StartTime && t < SceneIntervals[scene].EndTime)
      return scene;
  return -1;
}

// Fraction of [start, end) elapsed at t, or -1 outside it and for an empty
// interval (0, 0).
inline float IntervalProgress(int32_t start, int32_t end, int32_t t)
{
  if ((start == 0 && end == 0) || t < start || t >= end)
    return -1.0f;
  return static_cast<float>(static_cast<double>(t - start) / static_cast<double>(end - start));
}

// The music position past which the program ends itself; the last scene's
// interval runs on past it.
constexpr int32_t LastFrameTime = 223999;
