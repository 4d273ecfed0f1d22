// The scene base class: one timed scene of the demo. Times are signed
// milliseconds of music; the timeline holds the scenes and calls Render with
// the frame's music time and its pacing while the scene is active.
#pragma once

#include <cstdint>

// How much music the frame before took and how much a frame is paced to, in
// ms; the trail of FinishFrame fades by their ratio. The timeline keeps it
// from one frame to the next and hands it to Render.
struct TFramePacing {
  int32_t ElapsedMs;  // ms of music the previous frame took
  int32_t PaceMs;     // ms of music a frame is paced to
};

// The pacing of a frame that has no frame before it: the first frame, and the
// first after a seek or a resize. The trail alpha it gives is below zero, so
// the trail shows nothing of whatever the frame buffer held before.
constexpr TFramePacing FirstFramePacing = {999, 30};

class mve_genericscene {
public:
  virtual ~mve_genericscene() = default;
  // Draws one frame at music time t, paced as `pacing` says.
  virtual void Render(int32_t t, TFramePacing pacing)
  {
    (void)t;
    (void)pacing;
  }
  // Runs once at start-up, after the assets are loaded.
  virtual void Prepare() {}

  // Fraction of [StartTime, EndTime) elapsed at t, or -1 outside it and for
  // a scene whose interval is empty (0, 0).
  float Progress(int32_t t) const;

  int32_t StartTime = 0;  // ms of music, inclusive
  int32_t EndTime = 0;    // ms of music, exclusive
};
