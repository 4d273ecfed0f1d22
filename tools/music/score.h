// The composition: one section per scene of the timeline, in the same order
// and over the same intervals (milliseconds of music, SceneIntervals). Each
// section has its own tempo, its interval divided into the whole number of 4/4
// bars SceneBars gives it (scenes/musicrules.h), so a section's bar lines and
// its last bar end fall exactly on the scene's boundaries, and the
// beat-shaking scenes' sixteenth steps (interval / 128 for 8 bars) fall on
// sixteenth notes, with kicks on the steps of BeatTable.
#pragma once

#include "tools/music/instruments.h"

#include <cstdint>
#include <vector>

struct TSection {
  const char* Name;
  int32_t StartMs;
  int32_t EndMs;
  int Bars;
  // Seconds from the start of the piece at a (fractional) bar of the section.
  double At(double bar) const;
  double BarSeconds() const;
};

// The thirteen sections, hum to movrik.
std::vector<TSection> ScoreSections();

// The whole piece fades out between these times (seconds) and is rendered to
// PieceLength, past the program's end at 224 s and the last scene's end.
constexpr double FadeStart = 220.5;
constexpr double FadeEnd = 223.8;
constexpr double PieceLength = 226.6;

// Every note of the piece, in no particular order.
std::vector<TNote> ComposeScore();
