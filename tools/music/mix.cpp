#include "tools/music/mix.h"

#include "tools/music/dsp.h"

#include <algorithm>
#include <cmath>

namespace {

// Overall gain from the sum of the buses to the limiter.
constexpr float MasterGain = 0.65f;

struct TStereo {
  std::vector<float> L, R;
  explicit TStereo(size_t frames) : L(frames), R(frames) {}
};

// Adds voice, starting at frame first, scaled by gainL and gainR and, where
// duck is given, by the ducking gain of each frame.
void AddVoice(TStereo& bus, const std::vector<float>& voice, size_t first,
              float gainL, float gainR, const std::vector<float>* duck)
{
  const size_t count =
      std::min(voice.size(), bus.L.size() - std::min(first, bus.L.size()));
  for (size_t i = 0; i < count; ++i) {
    const float x = duck ? voice[i] * (*duck)[first + i] : voice[i];
    bus.L[first + i] += x * gainL;
    bus.R[first + i] += x * gainR;
  }
}

// Adds voice to a mono effect send.
void AddSend(std::vector<float>& send, const std::vector<float>& voice,
             size_t first, float gain)
{
  if (gain == 0)
    return;
  const size_t count =
      std::min(voice.size(), send.size() - std::min(first, send.size()));
  for (size_t i = 0; i < count; ++i)
    send[first + i] += voice[i] * gain;
}

// Gain of the ducked voices: every kick pulls it down at once (in 4 ms) and
// lets it come back over about a quarter of a second.
std::vector<float> DuckingGain(const std::vector<TNote>& notes, size_t frames)
{
  std::vector<float> gain(frames, 1.0f);
  const size_t span = static_cast<size_t>(0.4 * SampleRate);
  for (const TNote& n : notes) {
    if (n.Instrument != TInstrument::Kick)
      continue;
    const float depth = 0.55f * std::min(1.0f, n.Velocity);
    const size_t first = static_cast<size_t>(n.Start * SampleRate);
    for (size_t i = 0; i < span && first + i < frames; ++i) {
      const double t = double(i) / SampleRate;
      const double dip = depth * std::min(1.0, t / 0.004) * std::exp(-t / 0.12);
      gain[first + i] = std::min(gain[first + i], static_cast<float>(1.0 - dip));
    }
  }
  return gain;
}

}  // namespace

std::vector<float> RenderMix(const std::vector<TNote>& notes, double seconds,
                             double fadeStart, double fadeEnd,
                             const std::function<void(double)>& progress)
{
  const size_t frames = static_cast<size_t>(seconds * SampleRate);
  const std::vector<float> duck = DuckingGain(notes, frames);
  TStereo dry(frames);
  std::vector<float> reverbSend(frames), echoSend(frames);
  for (size_t k = 0; k < notes.size(); ++k) {
    const TNote& n = notes[k];
    const std::vector<float> voice = RenderVoice(n, static_cast<uint32_t>(k + 1));
    const size_t first = static_cast<size_t>(std::lround(n.Start * SampleRate));
    // Constant-power pan; the sends take the sum of both sides.
    const double angle = (std::clamp(n.Pan, -1.0f, 1.0f) + 1.0) * Pi / 4.0;
    const float l = static_cast<float>(std::cos(angle));
    const float r = static_cast<float>(std::sin(angle));
    AddVoice(dry, voice, first, l, r, n.Ducked ? &duck : nullptr);
    AddSend(reverbSend, voice, first, (l + r) * n.Reverb);
    AddSend(echoSend, voice, first, 0.5f * (l + r) * n.Echo);
    if (k % 256 == 0)
      progress(0.8 * k / notes.size());
  }

  TReverb reverb(0.86f, 0.35f);
  TEcho echo(0.2816, 0.42f);
  TBiquad lowCutL = MakeHighPass(28, 0.7), lowCutR = MakeHighPass(28, 0.7);
  std::vector<float> mix(2 * frames);
  for (size_t i = 0; i < frames; ++i) {
    float echoL, echoR, wetL, wetR;
    echo.Process(echoSend[i], echoL, echoR);
    reverb.Process(reverbSend[i] + 0.3f * (echoL + echoR), wetL, wetR);
    const float l = dry.L[i] + echoL + wetL;
    const float r = dry.R[i] + echoR + wetR;
    const double t = double(i) / SampleRate;
    double fade = 1.0;
    if (t >= fadeEnd)
      fade = 0.0;
    else if (t > fadeStart)
      fade = 0.5 + 0.5 * std::cos(Pi * (t - fadeStart) / (fadeEnd - fadeStart));
    const float gain = MasterGain * static_cast<float>(fade);
    mix[2 * i] = lowCutL.Process(l) * gain;
    mix[2 * i + 1] = lowCutR.Process(r) * gain;
  }
  progress(0.95);
  LimitPeaks(mix, MixCeiling);
  progress(1.0);
  return mix;
}
