#include "bench/benchstats.h"

#include <algorithm>
#include <cmath>
#include <map>

double Median(std::vector<double> values)
{
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Percentile(std::vector<double> values, double q)
{
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const size_t rank = static_cast<size_t>(std::ceil(q / 100 * values.size()));
  return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

namespace {

// Frames [first, last) of one scene.
TSceneStats OneScene(const std::vector<TFrameTime>& frames, size_t first, size_t last,
                     int32_t step)
{
  TSceneStats stats;
  stats.Slot = frames[first].Slot;
  stats.Frames = static_cast<int>(last - first);
  std::vector<double> ms;
  for (size_t i = first; i < last; ++i) {
    ms.push_back(frames[i].Ms);
    stats.TotalMs += frames[i].Ms;
    if (frames[i].Ms > stats.WorstMs) {
      stats.WorstMs = frames[i].Ms;
      stats.WorstAt = frames[i].Time;
    }
  }
  stats.MedianMs = Median(ms);
  stats.P95Ms = Percentile(ms, 95);

  // Windows of one second of music that the scene's frames fill.
  bool found = false;
  size_t end = first;
  double sum = 0;
  for (size_t i = first; i < last; ++i) {
    while (end < last && frames[end].Time < frames[i].Time + 1000)
      sum += frames[end++].Ms;
    if (frames[end - 1].Time - frames[i].Time + step < 1000)
      break;
    const double mean = sum / (end - i);
    if (!found || mean > stats.SlowestSecondMs) {
      stats.SlowestSecondMs = mean;
      stats.SlowestSecondAt = frames[i].Time;
      found = true;
    }
    sum -= frames[i].Ms;
  }
  if (!found) {
    stats.SlowestSecondMs = stats.TotalMs / stats.Frames;
    stats.SlowestSecondAt = frames[first].Time;
  }
  return stats;
}

}  // namespace

std::vector<TSceneStats> SceneStats(const std::vector<TFrameTime>& frames, int32_t step)
{
  // A scene's frames are consecutive in a run; gather each slot's stretch.
  std::map<int, TSceneStats> bySlot;
  size_t first = 0;
  for (size_t i = 1; i <= frames.size(); ++i) {
    if (i < frames.size() && frames[i].Slot == frames[first].Slot)
      continue;
    if (i > first)
      bySlot[frames[first].Slot] = OneScene(frames, first, i, step);
    first = i;
  }
  std::vector<TSceneStats> stats;
  for (const auto& entry : bySlot)
    stats.push_back(entry.second);
  return stats;
}

std::vector<TCutStats> CutStats(const std::vector<TFrameTime>& frames,
                                const std::vector<int32_t>& cuts)
{
  std::vector<TCutStats> stats;
  for (int32_t cut : cuts) {
    TCutStats entry;
    entry.Time = cut;
    bool any = false;
    std::vector<double> after;
    for (const TFrameTime& frame : frames) {
      if (frame.Time >= cut && frame.Time < cut + CutSettleMs) {
        if (!any || frame.Ms > entry.WorstMs) {
          entry.WorstMs = frame.Ms;
          entry.WorstAt = frame.Time;
          entry.Slot = frame.Slot;
        }
        any = true;
      } else if (frame.Time >= cut + CutSettleMs && frame.Time < cut + CutSettleMs + 1000) {
        after.push_back(frame.Ms);
      }
    }
    if (!any)
      continue;
    entry.MedianMs = Median(after);
    stats.push_back(entry);
  }
  return stats;
}
