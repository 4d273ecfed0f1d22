// Signal-processing parts of the soundtrack generator: noise, band-limited
// oscillators, envelopes, filters, reverb, echo and the output limiter.
// Everything runs at SampleRate; times are in seconds, frequencies in hertz,
// levels are linear amplitudes. No state is shared between instances, and the
// same input always gives the same output.
#pragma once

#include "engine/numbers.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int SampleRate = 44100;

// White noise from a 32-bit xorshift generator; equal seeds give equal noise.
struct TNoise {
  uint32_t State = 1;
  float Next();  // uniform in [-1, 1)
};

// Frequency of a MIDI note number (69 = A4 = 440 Hz); fractions detune.
double MidiToHz(double note);

// One sample of a band-limited (polyBLEP) sawtooth in [-1, 1]; phase is in
// cycles [0, 1) and advances by increment = frequency / SampleRate.
float SawStep(double& phase, double increment);
// The same for a square wave.
float SquareStep(double& phase, double increment);
// A sine; phase in cycles.
float SineStep(double& phase, double increment);

// Attack, decay to sustain, hold until length, then release to zero.
// Attack and release are linear ramps, the decay is exponential with the given
// time constant; the level at t is continuous and 0 at t = 0.
struct TEnvelope {
  double Attack = 0.005;
  double Decay = 0.2;
  double Sustain = 1.0;
  double Release = 0.05;
  float Level(double t, double length) const;
};

// Second-order section (RBJ cookbook), direct form II transposed.
struct TBiquad {
  float B0 = 1, B1 = 0, B2 = 0, A1 = 0, A2 = 0;
  float Z1 = 0, Z2 = 0;
  float Process(float x)
  {
    const float y = B0 * x + Z1;
    Z1 = B1 * x - A1 * y + Z2;
    Z2 = B2 * x - A2 * y;
    return y;
  }
};
TBiquad MakeLowPass(double hz, double q);
TBiquad MakeHighPass(double hz, double q);
TBiquad MakeBandPass(double hz, double q);

// Zero-delay-feedback state-variable filter; its cutoff may change on every
// sample without blowing up. Resonance: 0 (none) to about 0.95.
struct TSvf {
  float Ic1 = 0, Ic2 = 0;
  float Low = 0, Band = 0, High = 0;
  void Process(float x, double hz, float resonance);
};

// Room reverb from a mono send to stereo: eight damped combs and four
// all-passes per side.
class TReverb {
public:
  TReverb(float roomSize, float damping);
  void Process(float in, float& outL, float& outR);

private:
  struct TComb {
    std::vector<float> Buffer;
    size_t Pos = 0;
    float Store = 0;
  };
  struct TAllPass {
    std::vector<float> Buffer;
    size_t Pos = 0;
  };
  std::vector<TComb> CombsL, CombsR;
  std::vector<TAllPass> AllPassL, AllPassR;
  float Feedback;
  float Damping;
};

// Ping-pong echo from a mono send to stereo, with a darkening feedback path.
class TEcho {
public:
  TEcho(double delaySeconds, float feedback);
  void Process(float in, float& outL, float& outR);

private:
  std::vector<float> BufferL, BufferR;
  size_t Pos = 0;
  float Feedback;
  TBiquad ToneL, ToneR;
};

// Scales interleaved stereo so that no sample exceeds ceiling in magnitude.
// The gain falls in a short linear ramp ahead of each peak and recovers
// slowly after it, so the limiting adds no clicks.
void LimitPeaks(std::vector<float>& stereo, float ceiling);
