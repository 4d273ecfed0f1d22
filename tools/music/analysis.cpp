#include "tools/music/analysis.h"

#include "tools/music/dsp.h"

#include <algorithm>
#include <cmath>

namespace {

size_t FrameAt(const TDecodedAudio& audio, double t)
{
  const double frames = double(audio.Samples.size() / std::max(1, audio.Channels));
  return static_cast<size_t>(std::clamp(t * audio.Rate, 0.0, frames));
}

double ToDb(double power)
{
  return power > 0 ? 10.0 * std::log10(power) : -200.0;
}

// Mono mix of [first, last) frames.
std::vector<float> MonoMix(const TDecodedAudio& audio, size_t first, size_t last)
{
  const int channels = audio.Channels;
  std::vector<float> mono(last - first);
  for (size_t i = first; i < last; ++i) {
    float sum = 0;
    for (int c = 0; c < channels; ++c)
      sum += audio.Samples[i * channels + c];
    mono[i - first] = sum / channels;
  }
  return mono;
}

// The two stages of the K-weighting of BS.1770 at any sample rate: a high
// shelf of about +4 dB above 1.7 kHz and a high-pass at 38 Hz. The stages
// are designed from their analogue prototypes so that they match the
// standard's 48 kHz coefficients.
TBiquad KWeightingShelf(double rate)
{
  const double k = std::tan(Pi * 1681.974450955533 / rate);
  const double q = 0.7071752369554196;
  const double vh = std::pow(10.0, 3.999843853973347 / 20.0);
  const double vb = std::pow(vh, 0.4996667741545416);
  const double a0 = 1.0 + k / q + k * k;
  TBiquad f;
  f.B0 = float((vh + vb * k / q + k * k) / a0);
  f.B1 = float(2.0 * (k * k - vh) / a0);
  f.B2 = float((vh - vb * k / q + k * k) / a0);
  f.A1 = float(2.0 * (k * k - 1.0) / a0);
  f.A2 = float((1.0 - k / q + k * k) / a0);
  return f;
}

TBiquad KWeightingHighPass(double rate)
{
  const double k = std::tan(Pi * 38.13547087613982 / rate);
  const double q = 0.5003270373253953;
  const double a0 = 1.0 + k / q + k * k;
  TBiquad f;
  f.B0 = 1.0f;
  f.B1 = -2.0f;
  f.B2 = 1.0f;
  f.A1 = float(2.0 * (k * k - 1.0) / a0);
  f.A2 = float((1.0 - k / q + k * k) / a0);
  return f;
}

}  // namespace

float PeakAmplitude(const TDecodedAudio& audio)
{
  float peak = 0;
  for (float x : audio.Samples)
    peak = std::max(peak, std::fabs(x));
  return peak;
}

double LongestIdenticalRun(const TDecodedAudio& audio, double from, double to)
{
  const int channels = audio.Channels;
  const size_t first = FrameAt(audio, from), last = FrameAt(audio, to);
  size_t run = 0, longest = 0;
  for (size_t i = first + 1; i < last; ++i) {
    const float* now = &audio.Samples[i * channels];
    const bool same = std::equal(now, now + channels, now - channels);
    run = same ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return double(longest) / audio.Rate;
}

double RmsLevel(const TDecodedAudio& audio, double from, double to)
{
  const int channels = audio.Channels;
  const size_t first = FrameAt(audio, from), last = FrameAt(audio, to);
  if (last <= first)
    return -200.0;
  double sum = 0;
  for (size_t i = first * channels; i < last * channels; ++i)
    sum += double(audio.Samples[i]) * audio.Samples[i];
  return ToDb(sum / double((last - first) * channels));
}

double IntegratedLoudness(const TDecodedAudio& audio, double from, double to)
{
  const int channels = audio.Channels;
  const size_t first = FrameAt(audio, from), last = FrameAt(audio, to);
  // K-weighted power of every frame, summed over the channels.
  std::vector<double> power(last - first, 0.0);
  for (int c = 0; c < channels; ++c) {
    TBiquad shelf = KWeightingShelf(audio.Rate);
    TBiquad highPass = KWeightingHighPass(audio.Rate);
    for (size_t i = first; i < last; ++i) {
      const float y = highPass.Process(shelf.Process(audio.Samples[i * channels + c]));
      power[i - first] += double(y) * y;
    }
  }
  const size_t block = static_cast<size_t>(0.4 * audio.Rate);
  const size_t hop = block / 4;
  std::vector<double> blocks;
  for (size_t start = 0; start + block <= power.size(); start += hop) {
    double sum = 0;
    for (size_t i = start; i < start + block; ++i)
      sum += power[i];
    blocks.push_back(sum / block);
  }
  auto loudness = [](double meanPower) { return -0.691 + ToDb(meanPower); };
  auto gatedMean = [&](double gate) {
    double sum = 0;
    size_t count = 0;
    for (double p : blocks)
      if (loudness(p) > gate) {
        sum += p;
        ++count;
      }
    return count ? sum / count : 0.0;
  };
  const double ungated = gatedMean(-70.0);
  if (ungated <= 0)
    return -200.0;
  const double gated = gatedMean(loudness(ungated) - 10.0);
  return gated > 0 ? loudness(gated) : -200.0;
}

std::vector<TOnset> LowBandOnsets(const TDecodedAudio& audio, double from,
                                  double to)
{
  const double margin = 0.3;
  const size_t first = FrameAt(audio, from - margin);
  const size_t last = FrameAt(audio, to + margin);
  std::vector<float> low = MonoMix(audio, first, last);
  // Two second-order low-passes forwards, then the same backwards: a
  // zero-phase eighth-order response.
  for (int pass = 0; pass < 2; ++pass) {
    TBiquad a = MakeLowPass(150, 0.7071), b = MakeLowPass(150, 0.7071);
    for (float& x : low)
      x = b.Process(a.Process(x));
    std::reverse(low.begin(), low.end());
  }
  std::vector<double> energy(low.size() + 1, 0.0);
  for (size_t i = 0; i < low.size(); ++i)
    energy[i + 1] = energy[i] + double(low[i]) * low[i];

  const size_t window = static_cast<size_t>(0.020 * audio.Rate);
  const double stepSeconds = 0.001;
  std::vector<TOnset> steps;
  // Peaks are found a little beyond the range, so that a hit just outside
  // it is not taken for one at its edge.
  const double edge = 0.05;
  const long count = std::lround((to - from + 2 * edge) / stepSeconds);
  for (long k = 0; k < count; ++k) {
    const double t = from - edge + k * stepSeconds;
    const size_t i = static_cast<size_t>(std::lround(t * audio.Rate)) - first;
    if (i < window || i + window >= energy.size())
      continue;
    const double after = energy[i + window] - energy[i];
    const double before = energy[i] - energy[i - window];
    steps.push_back({t, after - before});
  }
  const size_t reach = static_cast<size_t>(0.030 / stepSeconds);
  std::vector<TOnset> onsets;
  for (size_t k = 0; k < steps.size(); ++k) {
    if (steps[k].Strength <= 0)
      continue;
    const size_t lo = k > reach ? k - reach : 0;
    const size_t hi = std::min(steps.size(), k + reach + 1);
    bool isPeak = true;
    for (size_t j = lo; j < hi && isPeak; ++j)
      if (steps[j].Strength > steps[k].Strength ||
          (steps[j].Strength == steps[k].Strength && j < k))
        isPeak = false;
    const double t = steps[k].Time;
    if (isPeak && t > from - stepSeconds / 2 && t < to - stepSeconds / 2)
      onsets.push_back(steps[k]);
  }
  std::sort(onsets.begin(), onsets.end(),
            [](const TOnset& a, const TOnset& b) { return a.Strength > b.Strength; });
  return onsets;
}

TBandProfile MeasureBands(const TDecodedAudio& audio)
{
  TBandProfile profile;
  const size_t frames = audio.Samples.size() / std::max(1, audio.Channels);
  const std::vector<float> mono = MonoMix(audio, 0, frames);
  const size_t hop = static_cast<size_t>(TBandProfile::FrameSeconds * audio.Rate);
  const size_t count = hop ? frames / hop : 0;
  profile.Energy.assign(count * TBandProfile::BandCount, 0.0);
  for (int band = 0; band < TBandProfile::BandCount; ++band) {
    TBiquad filter = MakeBandPass(62.5 * std::pow(2.0, band), 1.0);
    for (size_t f = 0; f < count; ++f) {
      double sum = 0;
      for (size_t i = f * hop; i < (f + 1) * hop; ++i) {
        const float y = filter.Process(mono[i]);
        sum += double(y) * y;
      }
      profile.Energy[f * TBandProfile::BandCount + band] = sum / hop;
    }
  }
  return profile;
}

double SpectralChange(const TBandProfile& profile, double t, double span)
{
  const int bands = TBandProfile::BandCount;
  const long frames = static_cast<long>(profile.Energy.size() / bands);
  auto frameAt = [&](double s) {
    return std::clamp(std::lround(s / TBandProfile::FrameSeconds), 0L, frames);
  };
  auto meanDb = [&](long a, long b, int band) {
    double sum = 0;
    for (long f = a; f < b; ++f)
      sum += profile.Energy[f * bands + band];
    // A floor of -100 dB keeps silence finite.
    return 10.0 * std::log10(1e-10 + sum / std::max(1L, b - a));
  };
  const long before = frameAt(t - span), middle = frameAt(t), after = frameAt(t + span);
  double sum = 0;
  for (int band = 0; band < bands; ++band) {
    const double d = meanDb(middle, after, band) - meanDb(before, middle, band);
    sum += d * d;
  }
  return std::sqrt(sum / bands);
}
