// The timeline: the scene base class, the table of timed scenes, the one-time
// start-up and the per-frame routine, with the frame-wide values scenes read.
//
// Times are signed milliseconds of music (MusicTime). The music clock is the
// only clock; the front end (window or capture) passes it in.
#pragma once

#include "host/musicclock.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class mve_genericscene {
public:
  virtual ~mve_genericscene() = default;
  virtual void Render(int32_t t) { (void)t; }
  virtual void Prepare() {}

  // Fraction of [StartTime, EndTime) elapsed at t, or -1 outside it and for
  // a scene whose interval is empty (0, 0).
  float Progress(int32_t t) const;

  int32_t StartTime = 0;
  int32_t EndTime = 0;
};

constexpr int SceneSlotCount = 32;
// The music position past which the program ends itself.
constexpr int32_t LastFrameTime = 223999;

extern std::unique_ptr<mve_genericscene> SceneTable[SceneSlotCount];

extern int32_t MusicTime;
extern int32_t FrameElapsed;
extern int32_t FrameStep;
extern float TrailFactor;
extern int32_t ScreenWidth;
extern int32_t ScreenHeight;
extern float FadeLevel;
extern float LightVector[4];

// Fills SceneTable: the thirteen scenes in slots 0 to 12, placeholder city
// scenes in 13 to 19, the rest empty. Runs once before the program starts.
void BuildSceneTable();

// The frame's GL viewport and a default 45-degree projection; scenes replace
// the projection through their cameras.
void SetupViewport(int width, int height);

// One-time start-up once the GL context is current: GL defaults, render
// targets, font, the "PRERENDERING..." screen (shown with present), assets,
// every scene's Prepare, WarmUpScenes, then the music is started.
void InitDemo(TMusicClock& clock, const std::function<void()>& present);

// Draws every scene of the timeline at the times of WarmUpTimes, into one
// scissored pixel, so that GL compiles every combination of state the demo
// uses before the music starts instead of at the first frame after a cut.
// Then puts back everything the drawing changed: the frame's pixels and depth,
// the screen copies and the other render targets (black again), the GL
// attributes and matrices, the frame-wide values, Camera, ScreenCopyIndex,
// RandomSeed and ParticlePhase; the frames that follow are drawn exactly as
// without it.
void WarmUpScenes();

// Where in a scene the warm-up draws: fractions of its interval (cut off at
// LastFrameTime) chosen to pass every switch of state inside the scenes (the
// fades and flashes of the first and second halves, the last-quarter water).
constexpr int WarmUpFrameCount = 5;
extern const double WarmUpFractions[WarmUpFrameCount];
std::vector<int32_t> WarmUpTimes(const mve_genericscene& scene);

// Draws the scene active at the clock's position and waits until the clock
// has moved at least 20 ms on. Ends the process with status 0 once the music
// has passed LastFrameTime.
void DrawFrame(TMusicClock& clock);

// All floating-point exceptions masked, round to nearest, for the whole run.
void MaskFloatingPointExceptions();
