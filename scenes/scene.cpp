#include "scenes/scene.h"

float mve_genericscene::Progress(int32_t t) const
{
  if (StartTime == 0 && EndTime == 0)
    return -1.0f;
  if (t < StartTime || t >= EndTime)
    return -1.0f;
  return static_cast<float>(static_cast<double>(t - StartTime) /
                            static_cast<double>(EndTime - StartTime));
}
