// Renders the notes of the score into the final stereo mix: the voices
// (those marked Ducked pumped down by every kick), a reverb and an echo fed
// by each note's sends, the fade at the end and a peak limiter, so that no
// sample of the result exceeds MixCeiling.
#pragma once

#include "tools/music/instruments.h"

#include <functional>
#include <vector>

// -2 dBFS: the encoder's small overshoots stay under -1 dBFS.
constexpr float MixCeiling = 0.794f;

// Interleaved stereo at SampleRate, `seconds` long; the gain falls from 1 at
// fadeStart to 0 at fadeEnd along a half cosine. progress receives the
// fraction done now and then.
std::vector<float> RenderMix(const std::vector<TNote>& notes, double seconds,
                             double fadeStart, double fadeEnd,
                             const std::function<void(double)>& progress);
