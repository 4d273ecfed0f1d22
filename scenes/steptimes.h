// Time spent in each step of the frame, for the benchmark. The common frame
// steps mark where they begin; while StepTimes.Enabled is set, each mark
// waits for GL to finish (glFinish) and adds the wall time since the last mark
// to the step that was running, so the figures are what each step costs on
// its own. Disabled (the demo, the capture), a mark does nothing. Times are
// milliseconds of wall time.
#pragma once

#include <chrono>

enum class TFrameStep { Sky, City, Models, Streaks, Smoke, Haze, Water, Effects, Count };

constexpr int FrameStepCount = static_cast<int>(TFrameStep::Count);

// The steps' names as the benchmark prints them, in TFrameStep order.
extern const char* const FrameStepNames[FrameStepCount];

struct TStepTimes {
  bool Enabled = false;
  double Ms[FrameStepCount] = {};
  TFrameStep Current = TFrameStep::Count;  // Count: no step running
  std::chrono::steady_clock::time_point Since;
};

extern TStepTimes StepTimes;  // ms per step; written by MarkFrameStep, enabled and reset by the benchmark

// Starts step `next` (TFrameStep::Count ends the frame's last step). Issues
// glFinish when enabled.
void MarkFrameStep(TFrameStep next);
