#include "tools/music/instruments.h"

#include "tools/music/dsp.h"

#include <algorithm>
#include <cmath>

namespace {

size_t SampleCount(double seconds)
{
  return static_cast<size_t>(std::max(0.0, seconds) * SampleRate) + 1;
}

double Time(size_t i)
{
  return static_cast<double>(i) / SampleRate;
}

std::vector<float> RenderPad(const TNote& n, TNoise& noise)
{
  const TEnvelope env{0.6, 1.0, 1.0, 1.6};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  const double detune[3] = {-0.11, 0.0, 0.12};
  double phase[3];
  for (double& p : phase)
    p = (noise.Next() + 1.0f) * 0.5;
  double inc[3];
  for (int k = 0; k < 3; ++k)
    inc[k] = MidiToHz(n.Pitch + detune[k]) / SampleRate;
  TSvf filter;
  const double cutoff = n.Param > 0 ? n.Param : 1800.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    float x = 0;
    for (int k = 0; k < 3; ++k)
      x += SawStep(phase[k], inc[k]);
    // A slow breathing of the filter keeps long chords alive.
    filter.Process(x, cutoff * (1.0 + 0.25 * std::sin(2.0 * Pi * 0.23 * t)),
                   0.1f);
    out[i] = filter.Low * 0.3f * env.Level(t, n.Length);
  }
  return out;
}

std::vector<float> RenderStab(const TNote& n)
{
  const TEnvelope env{0.003, 0.22, 0.0, 0.08};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  double p1 = 0, p2 = 0.3;
  const double inc1 = MidiToHz(n.Pitch - 0.08) / SampleRate;
  const double inc2 = MidiToHz(n.Pitch + 0.08) / SampleRate;
  TSvf filter;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const float x = SawStep(p1, inc1) + SawStep(p2, inc2);
    filter.Process(x, 700.0 + 4500.0 * std::exp(-t / 0.12), 0.2f);
    out[i] = filter.Low * 0.35f * env.Level(t, n.Length);
  }
  return out;
}

std::vector<float> RenderBass(const TNote& n)
{
  const TEnvelope env{0.003, 0.4, 0.7, 0.06};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  double saw = 0, sub = 0;
  const double inc = MidiToHz(n.Pitch) / SampleRate;
  TSvf filter;
  const double bright = 300.0 + 2200.0 * n.Param;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const float s = SawStep(saw, inc);
    filter.Process(s, 180.0 + bright * std::exp(-t / 0.09), 0.3f);
    const float x = 0.55f * filter.Low + 0.6f * SineStep(sub, inc * 0.5);
    out[i] = x * env.Level(t, n.Length);
  }
  return out;
}

std::vector<float> RenderSub(const TNote& n)
{
  const TEnvelope env{0.02, 1.0, 1.0, 0.2};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  double phase = 0;
  const double inc = MidiToHz(n.Pitch) / SampleRate;
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = SineStep(phase, inc) * 0.8f * env.Level(Time(i), n.Length);
  return out;
}

std::vector<float> RenderPluck(const TNote& n)
{
  const TEnvelope env{0.002, 0.35, 0.0, 0.05};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  double p1 = 0, p2 = 0.25;
  const double inc = MidiToHz(n.Pitch) / SampleRate;
  const double inc2 = MidiToHz(n.Pitch + 0.07) / SampleRate;
  TSvf filter;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const float x = 0.6f * SawStep(p1, inc) + 0.4f * SquareStep(p2, inc2);
    filter.Process(x, 500.0 + 5000.0 * std::exp(-t / 0.07), 0.35f);
    out[i] = filter.Low * 0.45f * env.Level(t, n.Length);
  }
  return out;
}

std::vector<float> RenderLead(const TNote& n)
{
  const TEnvelope env{0.012, 0.3, 0.75, 0.15};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  double p1 = 0, p2 = 0.5, vib = 0;
  TSvf filter;
  const double cutoff = n.Param > 0 ? n.Param : 3200.0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    // Vibrato grows in after the first fifth of a second.
    const double depth = 0.14 * std::clamp((t - 0.2) / 0.3, 0.0, 1.0);
    const double bend = depth * SineStep(vib, 5.3 / SampleRate);
    const double inc1 = MidiToHz(n.Pitch + bend - 0.07) / SampleRate;
    const double inc2 = MidiToHz(n.Pitch + bend + 0.07) / SampleRate;
    const float x = SawStep(p1, inc1) + SawStep(p2, inc2);
    filter.Process(x, cutoff * (0.6 + 0.8 * std::exp(-t / 0.15)), 0.25f);
    out[i] = filter.Low * 0.3f * env.Level(t, n.Length);
  }
  return out;
}

std::vector<float> RenderBell(const TNote& n)
{
  const TEnvelope env{0.002, 1.2, 0.0, 0.3};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  double carrier = 0, modulator = 0;
  const double hz = MidiToHz(n.Pitch);
  const double depth = n.Param > 0 ? n.Param : 2.5;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const double m = SineStep(modulator, 3.5 * hz / SampleRate);
    const double index = depth * std::exp(-t / 0.35);
    const float x = static_cast<float>(
        std::sin(2.0 * Pi * carrier + index * m));
    carrier += hz / SampleRate;
    carrier -= std::floor(carrier);
    out[i] = x * 0.4f * env.Level(t, n.Length);
  }
  return out;
}

std::vector<float> RenderWobble(const TNote& n)
{
  const TEnvelope env{0.004, 1.0, 1.0, 0.05};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  double p1 = 0, p2 = 0.5, sub = 0, lfo = 0.5;
  const double inc = MidiToHz(n.Pitch) / SampleRate;
  const double inc2 = MidiToHz(n.Pitch + 0.12) / SampleRate;
  TSvf filter;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const double sweep = 0.5 + 0.5 * SineStep(lfo, n.Param / SampleRate);
    const float x = SawStep(p1, inc) + SawStep(p2, inc2);
    filter.Process(x, 120.0 + 2200.0 * sweep * sweep, 0.55f);
    const float y = 0.35f * filter.Low + 0.45f * SineStep(sub, inc);
    out[i] = y * env.Level(t, n.Length);
  }
  return out;
}

std::vector<float> RenderDrone(const TNote& n)
{
  const TEnvelope env{3.0, 1.0, 1.0, 3.0};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  double a = 0, b = 0, c = 0;
  const double hz = MidiToHz(n.Pitch);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const float x = SineStep(a, hz / SampleRate) +
                    0.7f * SineStep(b, (hz + 0.35) / SampleRate) +
                    0.25f * SineStep(c, 2.0 * hz / SampleRate);
    out[i] = x * 0.35f * env.Level(t, n.Length);
  }
  return out;
}

std::vector<float> RenderWind(const TNote& n, TNoise& noise)
{
  const TEnvelope env{2.0, 1.0, 1.0, 2.0};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  TSvf filter;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const double centre = n.Param * (1.0 + 0.5 * std::sin(2.0 * Pi * 0.07 * t) +
                                     0.2 * std::sin(2.0 * Pi * 0.31 * t));
    filter.Process(noise.Next(), centre, 0.6f);
    out[i] = filter.Band * 0.5f * env.Level(t, n.Length);
  }
  return out;
}

std::vector<float> RenderKick(const TNote& n, TNoise& noise)
{
  const TEnvelope click{0.0005, 0.004, 0.0, 0.004};
  // The kick sounds for its length, cut short by the next kick, then stops
  // in 4 ms (a fade far longer than a cycle of its low tone is).
  const double release = 0.004;
  std::vector<float> out(SampleCount(n.Length + release));
  double phase = 0;
  TBiquad snap = MakeHighPass(2500, 0.7);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    // The body starts low enough to be bass from its first cycle, and most
    // of its energy comes at once: a punch, then a longer boom.
    const double hz = 48.0 + 62.0 * std::exp(-t / 0.03);
    double level = std::min(1.0, t / 0.0008) *
                   (0.55 * std::exp(-t / 0.045) + 0.45 * std::exp(-t / 0.28));
    if (t > n.Length)
      level *= std::max(0.0, 1.0 - (t - n.Length) / release);
    out[i] = SineStep(phase, hz / SampleRate) * static_cast<float>(level) +
             0.25f * snap.Process(noise.Next()) * click.Level(t, 0.001);
  }
  return out;
}

std::vector<float> RenderSnare(const TNote& n, TNoise& noise)
{
  const TEnvelope tone{0.001, 0.07, 0.0, 0.03};
  const TEnvelope hiss{0.001, 0.14, 0.0, 0.05};
  const double length = std::max(n.Length, 0.25);
  std::vector<float> out(SampleCount(length + hiss.Release));
  double phase = 0;
  TBiquad lowCut = MakeHighPass(160, 0.7);
  TBiquad colour = MakeBandPass(3200, 0.6);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const float body = SineStep(phase, (200.0 + 60.0 * std::exp(-t / 0.02)) /
                                           SampleRate);
    const float x = 0.5f * body * tone.Level(t, length) +
                    0.8f * colour.Process(noise.Next()) * hiss.Level(t, length);
    out[i] = lowCut.Process(x);
  }
  return out;
}

std::vector<float> RenderClap(const TNote& n, TNoise& noise)
{
  const double length = std::max(n.Length, 0.2);
  std::vector<float> out(SampleCount(length + 0.05));
  TBiquad colour = MakeBandPass(1400, 1.2);
  const TEnvelope tail{0.001, 0.12, 0.0, 0.05};
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    // Three quick bursts, then the tail.
    double level = tail.Level(t, length);
    for (int k = 0; k < 3; ++k) {
      const double dt = t - 0.011 * k;
      if (dt >= 0 && dt < 0.011)
        level = std::max(level, (1.0 - dt / 0.011) * std::min(1.0, dt / 0.0008));
    }
    out[i] = colour.Process(noise.Next()) * 1.2f * static_cast<float>(level);
  }
  return out;
}

// Noise through a high-pass and a band-pass in parallel, for the metals.
std::vector<float> RenderMetal(TNoise& noise, const TEnvelope& env,
                               double length, TBiquad high, float highGain,
                               TBiquad band, float bandGain)
{
  std::vector<float> out(SampleCount(length + env.Release));
  for (size_t i = 0; i < out.size(); ++i) {
    const float x = noise.Next();
    out[i] = (highGain * high.Process(x) + bandGain * band.Process(x)) *
             env.Level(Time(i), length);
  }
  return out;
}

std::vector<float> RenderHat(const TNote& n, TNoise& noise)
{
  const double decay = n.Param > 0 ? 0.22 : 0.035;
  return RenderMetal(noise, {0.0008, decay, 0.0, 0.02},
                     std::max(n.Length, decay * 4.0), MakeHighPass(7000, 0.7),
                     0.6f, MakeBandPass(10000, 1.0), 0.4f);
}

std::vector<float> RenderCrash(const TNote& n, TNoise& noise)
{
  return RenderMetal(noise, {0.001, 0.9, 0.0, 0.5}, std::max(n.Length, 2.5),
                     MakeHighPass(3000, 0.7), 0.7f, MakeBandPass(5200, 3.0),
                     0.5f);
}

std::vector<float> RenderRiser(const TNote& n, TNoise& noise)
{
  const double release = 0.03;
  std::vector<float> out(SampleCount(n.Length + release));
  TSvf filter;
  double saw = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const double x = std::min(t / n.Length, 1.0);
    const double hz = 250.0 * std::pow(40.0, x);
    filter.Process(noise.Next(), hz, 0.5f);
    const float tone = 0.15f * SawStep(saw, MidiToHz(n.Pitch + 24.0 * x) /
                                                 SampleRate);
    double level = x * x;
    if (t > n.Length)
      level *= std::max(0.0, 1.0 - (t - n.Length) / release);
    out[i] = (filter.Band + tone) * 0.8f * static_cast<float>(level);
  }
  return out;
}

std::vector<float> RenderBoom(const TNote& n, TNoise& noise)
{
  const TEnvelope env{0.002, 0.9, 0.0, 0.4};
  const double length = std::max(n.Length, 2.0);
  std::vector<float> out(SampleCount(length + env.Release));
  double phase = 0;
  TBiquad rumble = MakeLowPass(180, 0.7);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const double hz = 32.0 + 50.0 * std::exp(-t / 0.25);
    const float x = SineStep(phase, hz / SampleRate) +
                    0.6f * rumble.Process(noise.Next());
    out[i] = x * env.Level(t, length);
  }
  return out;
}

std::vector<float> RenderDrop(const TNote& n)
{
  const TEnvelope env{0.002, 0.12, 0.0, 0.05};
  const double length = std::max(n.Length, 0.3);
  std::vector<float> out(SampleCount(length + env.Release));
  double phase = 0;
  const double hz = MidiToHz(n.Pitch);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const double glide = 1.0 + 0.9 * (1.0 - std::exp(-t / 0.03));
    out[i] = SineStep(phase, hz * glide / SampleRate) * 0.5f *
             env.Level(t, length);
  }
  return out;
}

std::vector<float> RenderQuake(const TNote& n, TNoise& noise)
{
  const TEnvelope env{0.5, 1.0, 1.0, 0.5};
  std::vector<float> out(SampleCount(n.Length + env.Release));
  TSvf low, mid;
  double shake = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = Time(i);
    const float x = noise.Next();
    low.Process(x, 55.0, 0.3f);
    mid.Process(x, 260.0, 0.2f);
    const float tremble = 0.75f + 0.25f * SineStep(shake, 7.0 / SampleRate);
    // Grows through the note.
    const double grow = std::min(1.0, 0.3 + 0.7 * t / n.Length);
    out[i] = (2.5f * low.Low + 0.5f * mid.Low) * tremble *
             static_cast<float>(grow) * env.Level(t, n.Length);
  }
  return out;
}

}  // namespace

std::vector<float> RenderVoice(const TNote& note, uint32_t seed)
{
  TNoise noise;
  noise.State = seed * 2654435761u + 0x9e3779b9u;
  if (noise.State == 0)
    noise.State = 1;
  std::vector<float> out;
  switch (note.Instrument) {
  case TInstrument::Pad: out = RenderPad(note, noise); break;
  case TInstrument::Stab: out = RenderStab(note); break;
  case TInstrument::Bass: out = RenderBass(note); break;
  case TInstrument::Sub: out = RenderSub(note); break;
  case TInstrument::Pluck: out = RenderPluck(note); break;
  case TInstrument::Lead: out = RenderLead(note); break;
  case TInstrument::Bell: out = RenderBell(note); break;
  case TInstrument::Wobble: out = RenderWobble(note); break;
  case TInstrument::Drone: out = RenderDrone(note); break;
  case TInstrument::Wind: out = RenderWind(note, noise); break;
  case TInstrument::Kick: out = RenderKick(note, noise); break;
  case TInstrument::Snare: out = RenderSnare(note, noise); break;
  case TInstrument::Clap: out = RenderClap(note, noise); break;
  case TInstrument::Hat: out = RenderHat(note, noise); break;
  case TInstrument::Crash: out = RenderCrash(note, noise); break;
  case TInstrument::Riser: out = RenderRiser(note, noise); break;
  case TInstrument::Boom: out = RenderBoom(note, noise); break;
  case TInstrument::Drop: out = RenderDrop(note); break;
  case TInstrument::Quake: out = RenderQuake(note, noise); break;
  }
  for (float& x : out)
    x *= note.Velocity;
  return out;
}
