// Measurements on decoded audio, used to check the generated soundtrack.
// Times are seconds from the start of the audio, levels in dB (dBFS for
// amplitudes, LUFS for loudness). Stereo input is assumed where a function
// says "frames".
#pragma once

#include "tools/music/oggvorbis.h"

#include <vector>

// Largest magnitude of any sample.
float PeakAmplitude(const TDecodedAudio& audio);

// Length in seconds of the longest stretch of frames in [from, to) in which
// every frame repeats the frame before it exactly (a stuck or silent signal).
double LongestIdenticalRun(const TDecodedAudio& audio, double from, double to);

// RMS level of all channels over [from, to), in dBFS; -200 for digital
// silence or an empty range.
double RmsLevel(const TDecodedAudio& audio, double from, double to);

// Gated integrated loudness of [from, to) after ITU-R BS.1770 (K-weighting,
// 400 ms blocks, absolute and relative gates), in LUFS; -200 if every block
// is gated away.
double IntegratedLoudness(const TDecodedAudio& audio, double from, double to);

struct TOnset {
  double Time;
  double Strength;
};

// Onsets of the low band (below about 150 Hz) in [from, to), strongest first:
// the peaks of the energy step between the 20 ms before and after each
// millisecond, with the band filtered in both directions so that it adds no
// delay. Peaks closer than 30 ms to a stronger one are dropped.
std::vector<TOnset> LowBandOnsets(const TDecodedAudio& audio, double from,
                                  double to);

// Log energies of octave bands from 63 Hz to 8 kHz in 50 ms frames.
struct TBandProfile {
  static constexpr int BandCount = 8;
  static constexpr double FrameSeconds = 0.05;
  std::vector<double> Energy;  // BandCount values per frame
};
TBandProfile MeasureBands(const TDecodedAudio& audio);

// How much the sound changes at t: the RMS over the bands of the difference,
// in dB, between the mean band energies of [t - span, t) and [t, t + span).
double SpectralChange(const TBandProfile& profile, double t, double span);
