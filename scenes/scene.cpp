#include "scenes/scene.h"

#include "scenes/intervals.h"

float mve_genericscene::Progress(int32_t t) const
{
  return IntervalProgress(StartTime, EndTime, t);
}
