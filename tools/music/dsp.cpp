#include "tools/music/dsp.h"

#include <algorithm>
#include <cmath>

float TNoise::Next()
{
  State ^= State << 13;
  State ^= State >> 17;
  State ^= State << 5;
  return static_cast<float>(State >> 8) * (2.0f / 16777216.0f) - 1.0f;
}

double MidiToHz(double note)
{
  return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

namespace {

// The polyBLEP residual that rounds off a unit step at phase 0.
double Blep(double t, double dt)
{
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

void Advance(double& phase, double increment)
{
  phase += increment;
  if (phase >= 1.0)
    phase -= std::floor(phase);
}

}  // namespace

float SawStep(double& phase, double increment)
{
  const double value = 2.0 * phase - 1.0 - Blep(phase, increment);
  Advance(phase, increment);
  return static_cast<float>(value);
}

float SquareStep(double& phase, double increment)
{
  double value = phase < 0.5 ? 1.0 : -1.0;
  value += Blep(phase, increment);
  double half = phase + 0.5;
  if (half >= 1.0)
    half -= 1.0;
  value -= Blep(half, increment);
  Advance(phase, increment);
  return static_cast<float>(value);
}

float SineStep(double& phase, double increment)
{
  const double value = std::sin(2.0 * Pi * phase);
  Advance(phase, increment);
  return static_cast<float>(value);
}

float TEnvelope::Level(double t, double length) const
{
  const double held = std::min(t, length);
  double level;
  if (held < Attack)
    level = held / Attack;
  else
    level = Sustain + (1.0 - Sustain) * std::exp(-(held - Attack) / Decay);
  if (t > length)
    level *= std::max(0.0, 1.0 - (t - length) / Release);
  return static_cast<float>(level);
}

namespace {

TBiquad Normalised(double b0, double b1, double b2, double a0, double a1,
                   double a2)
{
  TBiquad f;
  f.B0 = static_cast<float>(b0 / a0);
  f.B1 = static_cast<float>(b1 / a0);
  f.B2 = static_cast<float>(b2 / a0);
  f.A1 = static_cast<float>(a1 / a0);
  f.A2 = static_cast<float>(a2 / a0);
  return f;
}

}  // namespace

TBiquad MakeLowPass(double hz, double q)
{
  const double w = 2.0 * Pi * hz / SampleRate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double c = std::cos(w);
  return Normalised((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c,
                    1 - alpha);
}

TBiquad MakeHighPass(double hz, double q)
{
  const double w = 2.0 * Pi * hz / SampleRate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double c = std::cos(w);
  return Normalised((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c,
                    1 - alpha);
}

TBiquad MakeBandPass(double hz, double q)
{
  const double w = 2.0 * Pi * hz / SampleRate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double c = std::cos(w);
  return Normalised(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

void TSvf::Process(float x, double hz, float resonance)
{
  hz = std::clamp(hz, 10.0, SampleRate * 0.45);
  const float g = static_cast<float>(std::tan(Pi * hz / SampleRate));
  const float k = 2.0f - 2.0f * resonance;
  const float a1 = 1.0f / (1.0f + g * (g + k));
  const float a2 = g * a1;
  const float a3 = g * a2;
  const float v3 = x - Ic2;
  const float v1 = a1 * Ic1 + a2 * v3;
  const float v2 = Ic2 + a2 * Ic1 + a3 * v3;
  Ic1 = 2.0f * v1 - Ic1;
  Ic2 = 2.0f * v2 - Ic2;
  Low = v2;
  Band = v1;
  High = x - k * v1 - v2;
}

namespace {

const int CombLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int AllPassLengths[4] = {556, 441, 341, 225};
// Extra delay of the right side, which decorrelates the two sides.
const int StereoSpread = 23;

}  // namespace

TReverb::TReverb(float roomSize, float damping)
    : Feedback(roomSize), Damping(damping)
{
  for (int length : CombLengths) {
    CombsL.push_back({std::vector<float>(length), 0, 0});
    CombsR.push_back({std::vector<float>(length + StereoSpread), 0, 0});
  }
  for (int length : AllPassLengths) {
    AllPassL.push_back({std::vector<float>(length), 0});
    AllPassR.push_back({std::vector<float>(length + StereoSpread), 0});
  }
}

namespace {

template <typename TComb>
float RunCombs(std::vector<TComb>& combs, float in, float feedback,
               float damping)
{
  float out = 0;
  for (auto& comb : combs) {
    const float delayed = comb.Buffer[comb.Pos];
    comb.Store = delayed * (1.0f - damping) + comb.Store * damping;
    comb.Buffer[comb.Pos] = in + comb.Store * feedback;
    if (++comb.Pos == comb.Buffer.size())
      comb.Pos = 0;
    out += delayed;
  }
  return out;
}

template <typename TAllPass>
float RunAllPasses(std::vector<TAllPass>& passes, float x)
{
  for (auto& pass : passes) {
    const float delayed = pass.Buffer[pass.Pos];
    pass.Buffer[pass.Pos] = x + delayed * 0.5f;
    if (++pass.Pos == pass.Buffer.size())
      pass.Pos = 0;
    x = delayed - x;
  }
  return x;
}

}  // namespace

void TReverb::Process(float in, float& outL, float& outR)
{
  in *= 0.015f;
  outL = RunAllPasses(AllPassL, RunCombs(CombsL, in, Feedback, Damping));
  outR = RunAllPasses(AllPassR, RunCombs(CombsR, in, Feedback, Damping));
}

TEcho::TEcho(double delaySeconds, float feedback)
    : BufferL(static_cast<size_t>(delaySeconds * SampleRate)),
      BufferR(BufferL.size()), Feedback(feedback),
      ToneL(MakeLowPass(3500, 0.7)), ToneR(MakeLowPass(3500, 0.7))
{
}

void TEcho::Process(float in, float& outL, float& outR)
{
  outL = BufferL[Pos];
  outR = BufferR[Pos];
  // The left tap feeds the right line and the other way round, so repeats
  // bounce between the sides; the input enters on the left only.
  BufferL[Pos] = in + ToneR.Process(outR) * Feedback;
  BufferR[Pos] = ToneL.Process(outL) * Feedback;
  if (++Pos == BufferL.size())
    Pos = 0;
}

void LimitPeaks(std::vector<float>& stereo, float ceiling)
{
  const size_t frames = stereo.size() / 2;
  if (frames == 0)
    return;
  std::vector<float> gain(frames);
  for (size_t i = 0; i < frames; ++i) {
    const float peak =
        std::max(std::fabs(stereo[2 * i]), std::fabs(stereo[2 * i + 1]));
    gain[i] = peak > ceiling ? ceiling / peak : 1.0f;
  }
  // Backwards: the gain may rise by at most 1/ramp per sample going back
  // from a peak, so it falls in a ramp of about 3 ms towards every peak.
  const float ramp = 1.0f / (0.003f * SampleRate);
  for (size_t i = frames - 1; i-- > 0;)
    gain[i] = std::min(gain[i], gain[i + 1] + ramp);
  // Forwards: recover with a 150 ms time constant.
  const float recover = 1.0f - std::exp(-1.0f / (0.15f * SampleRate));
  for (size_t i = 1; i < frames; ++i)
    gain[i] = std::min(gain[i], gain[i - 1] + (1.0f - gain[i - 1]) * recover);
  for (size_t i = 0; i < frames; ++i) {
    stereo[2 * i] *= gain[i];
    stereo[2 * i + 1] *= gain[i];
  }
}
