// The instruments of the soundtrack: each renders one note as a mono signal,
// from its start to the end of its release, shaped by an envelope that starts
// and ends at zero so that no note clicks.
#pragma once

#include <cstdint>
#include <vector>

enum class TInstrument {
  Pad,     // three detuned saws through a soft low-pass; Param: cutoff in Hz
  Stab,    // short bright chord stab
  Bass,    // saw with a sub octave and a plucked filter; Param: brightness 0..1
  Sub,     // pure sine bass
  Pluck,   // decaying filtered saw and square for arpeggios
  Lead,    // two detuned saws with delayed vibrato; Param: cutoff in Hz
  Bell,    // two-operator FM bell; Param: modulation depth
  Wobble,  // saw bass under a resonant filter swept by an LFO; Param: LFO Hz
  Drone,   // slowly beating sines
  Wind,    // band-passed noise drifting in pitch; Param: centre in Hz
  Kick,
  Snare,
  Clap,
  Hat,     // closed; Param > 0 opens it
  Crash,
  Riser,   // noise band sweeping up over the note's length
  Boom,    // deep falling impact
  Drop,    // water drop: a short upward-gliding sine
  Quake,   // deep rumbling noise with a shaking amplitude
};

struct TNote {
  double Start = 0;    // seconds from the start of the piece
  double Length = 0;   // seconds held; the release follows
  TInstrument Instrument = TInstrument::Pad;
  float Pitch = 60;    // MIDI note number
  float Velocity = 1;  // linear gain
  float Pan = 0;       // -1 left to 1 right
  float Reverb = 0;    // send to the reverb
  float Echo = 0;      // send to the echo
  float Param = 0;     // see TInstrument
  bool Ducked = false; // pumped down by every kick
};

// The note's sound from its start, including the release tail; the seed
// drives its noise so that every run renders the same samples.
std::vector<float> RenderVoice(const TNote& note, uint32_t seed);
