#include "scenes/steptimes.h"

#include <GL/gl.h>

const char* const FrameStepNames[FrameStepCount] = {"sky",   "city", "models", "streaks",
                                                    "smoke", "haze", "water",  "effects"};

TStepTimes StepTimes;

void MarkFrameStep(TFrameStep next)
{
  if (!StepTimes.Enabled)
    return;
  glFinish();
  const auto now = std::chrono::steady_clock::now();
  if (StepTimes.Current != TFrameStep::Count)
    StepTimes.Ms[static_cast<int>(StepTimes.Current)] +=
        std::chrono::duration<double, std::milli>(now - StepTimes.Since).count();
  StepTimes.Current = next;
  StepTimes.Since = now;
}
