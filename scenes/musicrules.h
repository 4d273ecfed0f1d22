// The rules the picture and the soundtrack share: how many 4/4 bars the score
// gives each scene of SceneIntervals (and so the length of its bars), and the
// beat pattern that the beat-shaking scenes jolt the camera on and the score
// puts its kicks on. The scene frame, the score, the music checker and the
// seek keys read them here. Depends on nothing but the interval table, so the
// music tools read it without the renderer. Times are ms of music.
#pragma once

#include "scenes/intervals.h"

#include <cstdint>

// The bars of each scene: bars of about 1502 ms (160 beats a minute), except
// the last two scenes, whose lengths give 1477 ms and 1453 ms.
constexpr int SceneBars[SceneCount] = {32, 8, 8, 8, 16, 16, 8, 8, 8, 8, 16, 8, 7};

// The sixteenth steps of a bar.
constexpr int StepsPerBar = 16;

// The sixteenth steps of a scene, its progress p from 0 to 1 spread over them.
constexpr int SceneSteps(int scene)
{
  return SceneBars[scene] * StepsPerBar;
}

// 1 on the sixteenth steps, of a pattern of 32 (two bars), that jolt the
// camera and carry a kick: 0, 2, 6, 10, 20 and 22.
constexpr uint8_t BeatTable[32] = {1, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// The scenes that shake on the beat (rush, capped, jump, atom and last, by
// their index in SceneIntervals) share one number of steps: the step of
// progress p is floor(p * BeatSceneSteps) mod 32.
constexpr int BeatScenes[] = {6, 7, 8, 9, 11};
constexpr int BeatSceneSteps = SceneSteps(BeatScenes[0]);
constexpr bool BeatScenesShareTheirSteps()
{
  for (int scene : BeatScenes)
    if (SceneSteps(scene) != BeatSceneSteps)
      return false;
  return true;
}
static_assert(BeatScenesShareTheirSteps(), "every beat-shaking scene has BeatSceneSteps steps");

// One bar of scene `scene` (an index into SceneIntervals), in ms.
constexpr double SceneBarLength(int scene)
{
  return static_cast<double>(SceneIntervals[scene].EndTime - SceneIntervals[scene].StartTime) /
         SceneBars[scene];
}
