// The benchmark's figures from a run of frames: per scene the median, 95th
// percentile, worst frame and slowest one-second stretch, and per cut the
// worst frame just after it against the scene's pace a little later. Plain
// arithmetic on frame times, no GL. Times are milliseconds of music; frame
// costs are milliseconds of wall time.
#pragma once

#include <cstdint>
#include <vector>

struct TFrameTime {
  int32_t Time;  // music time the frame was drawn for
  int Slot;      // scene slot active at that time
  double Ms;     // what drawing it took
};

struct TSceneStats {
  int Slot = 0;
  int Frames = 0;
  double MedianMs = 0;
  double P95Ms = 0;
  double WorstMs = 0;
  int32_t WorstAt = 0;
  // The highest mean frame cost over one second of music (or over the whole
  // scene where less than a second of it was drawn), and where it starts.
  double SlowestSecondMs = 0;
  int32_t SlowestSecondAt = 0;
  double TotalMs = 0;
};

struct TCutStats {
  int32_t Time = 0;  // the cut: the first millisecond of the scene
  int Slot = 0;
  double WorstMs = 0;  // the longest frame in the CutSettleMs after the cut
  int32_t WorstAt = 0;
  double MedianMs = 0;  // the median of the second that follows
};

constexpr int32_t CutSettleMs = 200;

// Median of the values (the mean of the two middle ones for an even count);
// 0 for none.
double Median(std::vector<double> values);
// Nearest-rank percentile q in (0, 100]; 0 for none.
double Percentile(std::vector<double> values, double q);

// One entry per scene slot that has frames, in slot order. frames are in time
// order, step the music time between them.
std::vector<TSceneStats> SceneStats(const std::vector<TFrameTime>& frames, int32_t step);

// One entry per cut time that has frames in the CutSettleMs after it.
std::vector<TCutStats> CutStats(const std::vector<TFrameTime>& frames,
                                const std::vector<int32_t>& cuts);
