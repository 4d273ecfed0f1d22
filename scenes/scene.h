// The scene base class: one timed scene of the demo. Times are signed
// milliseconds of music; the timeline holds the scenes and calls Render with
// the frame's music time while the scene is active.
#pragma once

#include <cstdint>

class mve_genericscene {
public:
  virtual ~mve_genericscene() = default;
  // Draws one frame at music time t.
  virtual void Render(int32_t t) { (void)t; }
  // Runs once at start-up, after the assets are loaded.
  virtual void Prepare() {}

  // Fraction of [StartTime, EndTime) elapsed at t, or -1 outside it and for
  // a scene whose interval is empty (0, 0).
  float Progress(int32_t t) const;

  int32_t StartTime = 0;  // ms of music, inclusive
  int32_t EndTime = 0;    // ms of music, exclusive
};
