#include "tools/music/analysis.h"

#include "engine/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr int Rate = 44100;

// Stereo audio with the same signal, value(t), on both channels.
TDecodedAudio MakeAudio(double seconds, const std::function<float(double)>& value)
{
  TDecodedAudio audio;
  audio.Rate = Rate;
  audio.Channels = 2;
  const size_t frames = static_cast<size_t>(seconds * Rate);
  for (size_t i = 0; i < frames; ++i) {
    const float x = value(double(i) / Rate);
    audio.Samples.push_back(x);
    audio.Samples.push_back(x);
  }
  return audio;
}

float Noise(uint32_t& state)
{
  state = state * 1664525u + 1013904223u;
  return static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
}

TEST(MusicAnalysis, FindsTheLongestStuckStretchInTheRange)
{
  uint32_t state = 1;
  // Noise, stuck at 0.3 for 200 ms from 1 s, silent for 50 ms from 2 s.
  const TDecodedAudio audio = MakeAudio(3.0, [&](double t) {
    if (t >= 1.0 && t < 1.2)
      return 0.3f;
    if (t >= 2.0 && t < 2.05)
      return 0.0f;
    return 0.5f * Noise(state);
  });
  EXPECT_NEAR(LongestIdenticalRun(audio, 0.0, 3.0), 0.2, 0.001);
  EXPECT_NEAR(LongestIdenticalRun(audio, 1.5, 3.0), 0.05, 0.001);
  EXPECT_LT(LongestIdenticalRun(audio, 0.0, 0.9), 0.001);
}

struct TLoudnessCase {
  double amplitude;
  double silentSeconds;  // appended after 4 s of tone
  double expected;       // LUFS
};

TEST(MusicAnalysis, MeasuresLoudnessOfReferenceTonesAndGatesSilence)
{
  // A full-scale 997 Hz sine on both channels reads 0 LUFS. Silence after
  // the tone is gated away, all but the blocks that straddle the end.
  const TLoudnessCase cases[] = {{1.0, 0.0, 0.0},
                                 {0.1, 0.0, -20.0},
                                 {0.1, 4.0, -20.2},
                                 {0.01, 2.0, -40.2}};
  for (const TLoudnessCase& c : cases) {
    const TDecodedAudio audio = MakeAudio(4.0 + c.silentSeconds, [&](double t) {
      return t < 4.0 ? static_cast<float>(c.amplitude * std::sin(2 * Pi * 997 * t))
                     : 0.0f;
    });
    EXPECT_NEAR(IntegratedLoudness(audio, 0.0, audio.Seconds()), c.expected, 0.1)
        << "amplitude " << c.amplitude << ", silence " << c.silentSeconds;
  }
  EXPECT_LE(IntegratedLoudness(MakeAudio(2.0, [](double) { return 0.0f; }), 0, 2),
            -199.0);
}

// A kick-like hit: a falling low tone that decays.
float Hit(double t)
{
  if (t < 0)
    return 0;
  const double phase = 2 * Pi * (48 * t + 62 * 0.03 * (1 - std::exp(-t / 0.03)));
  return static_cast<float>(std::sin(phase) * std::exp(-t / 0.15));
}

TEST(MusicAnalysis, LocatesLowOnsetsAndIgnoresHighOnes)
{
  // Hits whose tails overlap the next ones, a weaker hit, and loud
  // high-pitched bursts between them that are no low onsets.
  const double hits[] = {0.50, 0.69, 1.13, 1.60, 1.79, 2.41};
  const double weak = 2.90;
  const double clicks[] = {0.60, 1.35, 2.10};
  uint32_t state = 7;
  const TDecodedAudio audio = MakeAudio(3.5, [&](double t) {
    double x = 0.5 * Hit(t - weak);
    for (double h : hits)
      x += Hit(t - h);
    for (double c : clicks)
      if (t >= c && t < c + 0.02)
        x += 0.8 * Noise(state) * std::sin(2 * Pi * 3000 * t);
    return static_cast<float>(0.4 * x);
  });
  const std::vector<TOnset> onsets = LowBandOnsets(audio, 0.3, 3.3);
  ASSERT_GE(onsets.size(), 7u);
  std::vector<double> found;
  for (size_t k = 0; k < 6; ++k)
    found.push_back(onsets[k].Time);
  std::sort(found.begin(), found.end());
  for (size_t k = 0; k < 6; ++k)
    EXPECT_NEAR(found[k], hits[k], 0.003) << "hit " << k;
  EXPECT_NEAR(onsets[6].Time, weak, 0.003);
}

TEST(MusicAnalysis, OnsetsOutsideTheRangeAreLeftOut)
{
  const TDecodedAudio audio =
      MakeAudio(2.0, [](double t) { return 0.4f * (Hit(t - 0.5) + Hit(t - 1.0)); });
  // The hit at 1.0 s belongs to the range that starts there.
  const std::vector<TOnset> before = LowBandOnsets(audio, 0.2, 1.0);
  ASSERT_FALSE(before.empty());
  EXPECT_NEAR(before.front().Time, 0.5, 0.003);
  for (const TOnset& onset : before)
    EXPECT_LT(onset.Time, 0.99);
  const std::vector<TOnset> after = LowBandOnsets(audio, 1.0, 1.8);
  ASSERT_FALSE(after.empty());
  EXPECT_NEAR(after.front().Time, 1.0, 0.003);
}

TEST(MusicAnalysis, SpectralChangePeaksWhereTheSoundChanges)
{
  uint32_t state = 3;
  // Noise for 3 s, then a tone over it.
  const TDecodedAudio audio = MakeAudio(6.0, [&](double t) {
    float x = 0.3f * Noise(state);
    if (t >= 3.0)
      x += 0.5f * static_cast<float>(std::sin(2 * Pi * 2000 * t));
    return x;
  });
  const TBandProfile profile = MeasureBands(audio);
  EXPECT_GT(SpectralChange(profile, 3.0, 1.0), 5.0);
  EXPECT_LT(SpectralChange(profile, 1.5, 1.0), 1.0);
  EXPECT_LT(SpectralChange(profile, 4.5, 1.0), 1.0);
}

}  // namespace
