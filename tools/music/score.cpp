#include "tools/music/score.h"

#include "scenes/intervals.h"
#include "scenes/musicrules.h"
#include "tools/music/dsp.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <iterator>
#include <sstream>
#include <string>

namespace {

constexpr int SectionCount = SceneCount;

// A chord: the bass root (MIDI, around octave 2) and four voiced tones.
struct TChord {
  float Root;
  float Tones[4];
};

const TChord Am{45, {57, 60, 64, 67}};
const TChord F{41, {53, 57, 60, 64}};
const TChord C{48, {55, 60, 64, 67}};
const TChord G{43, {55, 59, 62, 67}};
const TChord Dm{50, {53, 57, 60, 62}};
const TChord Em{40, {55, 59, 62, 64}};
const TChord E{40, {56, 59, 64, 68}};

TNote Voice(TInstrument instrument, float velocity, float pan = 0,
            float reverb = 0, float echo = 0, float param = 0,
            bool ducked = false)
{
  TNote n;
  n.Instrument = instrument;
  n.Velocity = velocity;
  n.Pan = pan;
  n.Reverb = reverb;
  n.Echo = echo;
  n.Param = param;
  n.Ducked = ducked;
  return n;
}

void Put(std::vector<TNote>& out, TNote voice, double start, double length,
         float pitch, float velocityScale = 1.0f)
{
  voice.Start = start;
  voice.Length = length;
  voice.Pitch = pitch;
  voice.Velocity *= velocityScale;
  out.push_back(voice);
}

// MIDI number of a note name such as "A4", "C#5" or "Bb3"; -1 if the token
// is not one.
float ParsePitch(const std::string& token)
{
  static const int Offsets[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (token.size() < 2 || token[0] < 'A' || token[0] > 'G')
    return -1;
  int pitch = Offsets[token[0] - 'A'];
  size_t i = 1;
  if (token[i] == '#' || token[i] == 'b') {
    pitch += token[i] == '#' ? 1 : -1;
    ++i;
  }
  if (i + 1 != token.size() || !std::isdigit(static_cast<unsigned char>(token[i])))
    return -1;
  return static_cast<float>(12 * (token[i] - '0' + 1) + pitch);
}

// A melody written as one token per step: a note name starts a note, "-"
// holds it, "." rests; "|" marks bar lines for the reader and counts as a
// space, also where two string pieces meet.
void AddLine(std::vector<TNote>& out, const TSection& s, double firstBar,
             int stepsPerBar, const char* text, const TNote& voice,
             float legato = 0.9f)
{
  std::string spaced(text);
  std::replace(spaced.begin(), spaced.end(), '|', ' ');
  std::istringstream tokens(spaced);
  std::string token;
  int step = 0;
  int noteStep = -1;
  float pitch = 0;
  auto finish = [&] {
    if (noteStep >= 0) {
      const double start = s.At(firstBar + double(noteStep) / stepsPerBar);
      const double end = s.At(firstBar + double(step) / stepsPerBar);
      Put(out, voice, start, (end - start) * legato, pitch);
    }
    noteStep = -1;
  };
  while (tokens >> token) {
    if (token == "-") {
      ++step;
      continue;
    }
    finish();
    if (token != ".") {
      pitch = ParsePitch(token);
      assert(pitch > 0 && "bad note name in a melody");
      noteStep = step;
    }
    ++step;
  }
  finish();
}

// A drum pattern, one character per sixteenth, repeated over the bars:
// 'x' a full hit, 'o' a soft one, anything else a rest. Kicks are held for
// a quarter note unless the next kick cuts them (see ChokeKicks).
void AddPattern(std::vector<TNote>& out, const TSection& s, int firstBar,
                int bars, const std::string& pattern, const TNote& voice,
                float pitch = 60)
{
  const double steps = voice.Instrument == TInstrument::Kick ? 4 : 1;
  for (int step = 0; step < bars * 16; ++step) {
    const char c = pattern[step % pattern.size()];
    if (c != 'x' && c != 'o')
      continue;
    const double start = s.At(firstBar + step / 16.0);
    Put(out, voice, start, s.BarSeconds() * steps / 16.0, pitch,
        c == 'x' ? 1.0f : 0.55f);
  }
}

void AddChord(std::vector<TNote>& out, const TSection& s, double bar,
              double bars, const TChord& chord, TNote voice, float spread,
              float transpose = 0)
{
  const double start = s.At(bar);
  const double length = s.At(bar + bars) - start;
  const float pans[4] = {-1.0f, 1.0f, -0.35f, 0.35f};
  for (int k = 0; k < 4; ++k) {
    voice.Pan = spread * pans[k];
    Put(out, voice, start, length, chord.Tones[k] + transpose);
  }
}

// The chord's root in the sub-bass octave, A1 to G2.
float SubPitch(const TChord& chord)
{
  return chord.Root - 12 >= 33 ? chord.Root - 12 : chord.Root;
}

float Mix(float from, float to, double x)
{
  return from + (to - from) * static_cast<float>(x);
}

// The 32-step drum figure of the beat scenes: kicks exactly on the steps on
// which the picture shakes (BeatTable), snare on the backbeat.
std::string BeatKicks()
{
  std::string pattern;
  for (uint8_t beat : BeatTable)
    pattern += beat ? 'x' : '.';
  return pattern;
}
const std::string ShakeKicks = BeatKicks();
const std::string BackbeatSnare = "....x.......x.......x.......x...";
const std::string SixteenthHats = "xoxoxoxoxoxoxo.oxoxoxoxoxoxoxo.o";
const std::string OpenHats = "..............x...............x.";

// The full beat over a whole eight-bar section, opened by a crash, with a
// bass that plays with every kick. chords holds one chord per bar.
void AddFullBeat(std::vector<TNote>& out, const TSection& s,
                 const TChord* chords, float bassBrightness)
{
  Put(out, Voice(TInstrument::Crash, 0.32f, -0.2f, 0.3f), s.At(0), 2.5, 60);
  AddPattern(out, s, 0, s.Bars, ShakeKicks, Voice(TInstrument::Kick, 1.0f));
  AddPattern(out, s, 0, s.Bars, BackbeatSnare,
             Voice(TInstrument::Snare, 0.5f, 0.05f, 0.18f));
  AddPattern(out, s, 0, s.Bars, SixteenthHats,
             Voice(TInstrument::Hat, 0.13f, 0.3f, 0.05f));
  AddPattern(out, s, 0, s.Bars, OpenHats,
             Voice(TInstrument::Hat, 0.09f, -0.3f, 0.1f, 0, 1));
  // The bass note of each kick of the figure, in its order: length in
  // sixteenths and interval above the bar's root.
  struct THit {
    int Length, Interval;
  };
  const THit hits[6] = {{2, 0}, {3, 12}, {3, 0}, {4, 7}, {2, 0}, {4, 12}};
  // Ducked, so that each kick, not the bass note under it, starts the hit.
  const TNote bass =
      Voice(TInstrument::Bass, 0.45f, 0, 0, 0, bassBrightness, true);
  for (int pair = 0; pair < s.Bars; pair += 2) {
    int kick = 0;
    for (int step = 0; step < 32; ++step) {
      if (!BeatTable[step])
        continue;
      assert(kick < 6);
      const THit& hit = hits[kick++];
      const int bar = pair + step / 16;
      const double start = s.At(pair + step / 16.0);
      const double length = s.BarSeconds() * hit.Length / 16.0;
      Put(out, bass, start, length, chords[bar].Root + hit.Interval);
    }
  }
}

void ComposeHum(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[4] = {Am, F, C, G};
  Put(out, Voice(TInstrument::Drone, 0.6f, 0, 0.3f), s.At(0),
      s.At(29) - s.At(0), 33);
  Put(out, Voice(TInstrument::Wind, 0.3f, 0.3f, 0.5f, 0, 900), s.At(0),
      s.At(29) - s.At(0), 0);
  // The build stops two bars before the end: only the drone's and the
  // pad's tails and the bell remain, a breath before the first cut.
  for (int bar = 0; bar < s.Bars - 2; bar += 2) {
    const TChord& chord = chords[(bar / 2) % 4];
    const double build = double(bar) / s.Bars;
    AddChord(out, s, bar, 2, chord,
             Voice(TInstrument::Pad, Mix(0.16f, 0.24f, build), 0, 0.45f, 0,
                   Mix(600, 2600, build)),
             0.6f);
    if (bar >= 8)
      Put(out, Voice(TInstrument::Sub, 0.45f), s.At(bar),
          s.At(bar + 2) - s.At(bar) - 0.15, SubPitch(chord));
    if (bar >= 8 && bar < 30) {
      const int order[8] = {0, 1, 2, 3, 2, 1, 2, 3};
      const TNote pluck = Voice(TInstrument::Pluck, Mix(0.1f, 0.24f, build), 0,
                                0.3f, 0.35f);
      for (int step = 0; step < 16; ++step) {
        TNote n = pluck;
        n.Pan = step % 2 ? 0.45f : -0.45f;
        Put(out, n, s.At(bar + step / 8.0), s.BarSeconds() / 8.0,
            chord.Tones[order[step % 8]] + 12);
      }
    }
  }
  AddLine(out, s, 16, 4,
          "E5 - - - | D5 - C5 - | A4 - - - | C5 - F5 - |"
          "E5 - - - | G5 - E5 - | D5 - - - | B4 - D5 - |"
          "E5 - A5 - | G5 - E5 - | F5 - E5 - | C5 - A4 - |"
          "G5 - - E5 | C5 - - - | D5 - - - | B4 - - - |",
          Voice(TInstrument::Bell, 0.3f, -0.2f, 0.45f, 0.3f));
  AddPattern(out, s, 16, 8, "x...............", Voice(TInstrument::Kick, 0.55f));
  AddPattern(out, s, 24, 6, "x.......x.......", Voice(TInstrument::Kick, 0.7f));
  AddPattern(out, s, 20, 10, "..x...x...x...x.",
             Voice(TInstrument::Hat, 0.09f, 0.25f, 0.1f));
}

void ComposePrefall(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[8] = {Am, F, C, G, Am, F, Dm, E};
  const double step = s.BarSeconds() / 16.0;
  for (int bar = 0; bar < s.Bars; ++bar) {
    const TChord& chord = chords[bar];
    // Each bar is one phrase that stops two sixteenths before the next
    // downbeat, so every bar line is a cut.
    AddPattern(out, s, bar, 1, "x.....x...x.....", Voice(TInstrument::Kick, 0.95f));
    AddPattern(out, s, bar, 1, "....x.......x...",
               Voice(TInstrument::Snare, 0.45f, 0, 0.25f));
    AddPattern(out, s, bar, 1, "xoxoxoxoxoxoxo..",
               Voice(TInstrument::Hat, 0.1f, 0.3f));
    AddChord(out, s, bar, 12.0 / 16, chord,
             Voice(TInstrument::Stab, 0.3f, 0, 0.3f, 0.15f), 0.5f, 12);
    AddChord(out, s, bar, 12.0 / 16, chord,
             Voice(TInstrument::Stab, 0.26f, 0, 0.3f), 0.7f);
    Put(out, Voice(TInstrument::Bass, 0.5f, 0, 0, 0, 0.5f), s.At(bar),
        6 * step, chord.Root);
    Put(out, Voice(TInstrument::Bass, 0.45f, 0, 0, 0, 0.5f), s.At(bar + 6.0 / 16),
        3 * step, chord.Root + 12);
    Put(out, Voice(TInstrument::Bass, 0.45f, 0, 0, 0, 0.5f), s.At(bar + 10.0 / 16),
        3 * step, chord.Root);
    for (int k = 0; k < 12; ++k) {
      const int index = bar % 2 ? 11 - k : k;
      const float pitch = chord.Tones[index % 4] + 12 * (index / 4);
      TNote pluck = Voice(TInstrument::Pluck, 0.2f, k % 2 ? 0.5f : -0.5f,
                          0.25f, 0.25f);
      Put(out, pluck, s.At(bar + (2 + k) / 16.0), step * 0.9, pitch);
    }
    Put(out, Voice(TInstrument::Riser, 0.25f), s.At(bar + 14.0 / 16), 2 * step,
        60);
  }
}

void ComposeBalance(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[8] = {F, G, Em, Am, Dm, G, C, E};
  for (int bar = 0; bar < s.Bars; ++bar) {
    AddChord(out, s, bar, 1, chords[bar],
             Voice(TInstrument::Pad, 0.24f, 0, 0.55f, 0, 1500), 0.9f);
    Put(out, Voice(TInstrument::Sub, 0.42f), s.At(bar),
        s.BarSeconds() * 0.92, SubPitch(chords[bar]));
  }
  AddLine(out, s, 0, 8,
          "C6 - - A5 - - E5 - | D6 - - B5 - - G5 - | B5 - - G5 - - E5 - |"
          "C6 - - - E6 - - - | F6 - - D6 - - A5 - | G6 - - D6 - - B5 - |"
          "E6 - - C6 - - G5 - | G#5 - - B5 - - E6 - |",
          Voice(TInstrument::Bell, 0.28f, 0.25f, 0.4f, 0.35f, 1.8f));
  AddLine(out, s, 0, 4,
          "A4 - - - | B4 - - - | G4 - - - | A4 - C5 - |"
          "D5 - - - | B4 - - - | C5 - - - | B4 - - - |",
          Voice(TInstrument::Lead, 0.16f, -0.3f, 0.5f, 0.2f, 1400));
  AddPattern(out, s, 0, s.Bars, "o.x.o.x.o.x.o.xo",
             Voice(TInstrument::Hat, 0.06f, -0.5f, 0.2f));
}

void ComposeFall(const TSection& s, std::vector<TNote>& out)
{
  Put(out, Voice(TInstrument::Riser, 0.65f, 0, 0.2f), s.At(0),
      s.At(8) - s.At(0) - 0.01, 40);
  const TChord chords[4] = {Dm, F, G, E};
  for (int bar = 0; bar < s.Bars; bar += 2) {
    const double build = double(bar) / s.Bars;
    AddChord(out, s, bar, 2, chords[bar / 2],
             Voice(TInstrument::Pad, Mix(0.16f, 0.26f, build), 0, 0.4f, 0,
                   Mix(500, 3500, build), true),
             0.6f, -12);
  }
  for (int eighth = 0; eighth < s.Bars * 8; ++eighth) {
    const double build = eighth / (s.Bars * 8.0);
    Put(out,
        Voice(TInstrument::Bass, Mix(0.4f, 0.6f, build), 0, 0, 0,
              Mix(0.05f, 1.0f, build)),
        s.At(eighth / 8.0), s.BarSeconds() / 10.0, 40);
  }
  // The snare roll doubles its speed every two bars, to thirty-seconds.
  const int hitsPerBar[8] = {4, 4, 8, 8, 8, 16, 16, 32};
  for (int bar = 0; bar < s.Bars; ++bar)
    for (int hit = 0; hit < hitsPerBar[bar]; ++hit) {
      const double x = (bar + double(hit) / hitsPerBar[bar]) / s.Bars;
      Put(out, Voice(TInstrument::Snare, Mix(0.18f, 0.5f, x), 0, 0.25f),
          s.At(bar + double(hit) / hitsPerBar[bar]),
          s.BarSeconds() / hitsPerBar[bar], 60);
    }
  AddPattern(out, s, 0, 4, "x...............", Voice(TInstrument::Kick, 0.8f));
  AddPattern(out, s, 4, 4, "x...x...x...x...", Voice(TInstrument::Kick, 0.85f));
}

void ComposeWater(const TSection& s, std::vector<TNote>& out)
{
  Put(out, Voice(TInstrument::Boom, 0.8f, 0, 0.5f), s.At(0), 2.0, 30);
  const TChord chords[4] = {F, Em, Dm, Am};
  for (int bar = 0; bar < s.Bars; bar += 2) {
    const TChord& chord = chords[(bar / 2) % 4];
    // The last four bars darken and thin out towards the groove.
    const double ebb = std::max(0.0, (bar - 10) / 6.0);
    AddChord(out, s, bar, 2, chord,
             Voice(TInstrument::Pad, Mix(0.24f, 0.14f, ebb), 0, 0.75f, 0,
                   Mix(1000, 450, ebb)),
             0.85f);
    Put(out, Voice(TInstrument::Sub, 0.45f), s.At(bar),
        s.At(bar + 2) - s.At(bar) - 0.2, SubPitch(chord));
  }
  Put(out, Voice(TInstrument::Wind, 0.2f, -0.3f, 0.6f, 0, 500), s.At(0),
      s.At(15) - s.At(0), 0);
  // Drops of water on the A minor pentatonic, placed by a fixed sequence.
  const float pentatonic[7] = {69, 72, 74, 76, 79, 81, 84};
  TNoise dice;
  dice.State = 84143;
  for (int bar = 0; bar < s.Bars - 2; ++bar)
    for (int k = 0; k < 3; ++k) {
      const int eighth = static_cast<int>((dice.Next() + 1.0f) * 4.0f) % 8;
      const int index = static_cast<int>((dice.Next() + 1.0f) * 3.5f) % 7;
      const float pan = dice.Next() * 0.8f;
      Put(out,
          Voice(TInstrument::Drop, 0.3f + 0.1f * dice.Next(), pan, 0.6f, 0.5f),
          s.At(bar + eighth / 8.0), 0.2, pentatonic[index]);
    }
  AddLine(out, s, 4, 4,
          "A5 - - - | G5 - E5 - | E5 - - - | D5 - B4 - |"
          "F5 - - - | E5 - D5 - | C5 - - - | E5 - - - |",
          Voice(TInstrument::Bell, 0.2f, 0.2f, 0.6f, 0.4f, 1.5f));
}

void ComposeWobbler(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[4] = {Am, F, C, G};
  const double beat = s.BarSeconds() / 4.0;
  Put(out, Voice(TInstrument::Crash, 0.3f, 0.2f, 0.3f), s.At(0), 2.5, 60);
  // Filter sweeps per beat, bar by bar: quarters, eighths, quarters,
  // eighth triplets.
  const double sweepsPerBeat[4] = {1, 2, 1, 3};
  for (int bar = 0; bar < s.Bars; ++bar) {
    const TChord& chord = chords[(bar / 2) % 4];
    const double rate = sweepsPerBeat[bar % 4] / beat;
    for (int half = 0; half < 2; ++half)
      Put(out, Voice(TInstrument::Wobble, 0.55f, 0, 0, 0, float(rate)),
          s.At(bar + half * 0.5), s.BarSeconds() * 0.47, SubPitch(chord));
    if (bar % 2 == 0)
      AddChord(out, s, bar, 2, chord,
               Voice(TInstrument::Pad, 0.15f, 0, 0.4f, 0, 1300, true), 0.8f);
    AddChord(out, s, bar + 6.0 / 16, 1.0 / 16, chord,
             Voice(TInstrument::Stab, 0.16f, 0, 0.25f, 0.3f), 0.6f, 12);
    AddChord(out, s, bar + 14.0 / 16, 1.0 / 16, chord,
             Voice(TInstrument::Stab, 0.12f, 0, 0.25f, 0.3f), 0.6f, 12);
  }
  AddPattern(out, s, 0, s.Bars, "x.........x.....x.........x...x.",
             Voice(TInstrument::Kick, 0.9f));
  AddPattern(out, s, 0, s.Bars, "........x.......",
             Voice(TInstrument::Snare, 0.55f, 0, 0.2f));
  AddPattern(out, s, 0, s.Bars, "o.x.o.x.o.x.o.x.",
             Voice(TInstrument::Hat, 0.12f, 0.25f, 0.05f));
  AddPattern(out, s, 0, s.Bars, "..............................x.",
             Voice(TInstrument::Hat, 0.08f, -0.3f, 0.1f, 0, 1));
  AddLine(out, s, 8, 8,
          "A4 . C5 . E5 . D5 C5 | . . A4 . . . . . |"
          "F4 . A4 . C5 . D5 C5 | . . A4 . . . . . |"
          "E5 . G5 . E5 . D5 C5 | . . G4 . . . . . |"
          "D5 . B4 . G4 . A4 B4 | . . D5 . . . . . |",
          Voice(TInstrument::Pluck, 0.3f, -0.2f, 0.2f, 0.35f));
}

void ComposeRush(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[8] = {Am, F, C, G, Am, F, G, G};
  AddFullBeat(out, s, chords, 0.5f);
  for (int bar = 0; bar < s.Bars; ++bar)
    AddChord(out, s, bar, 1, chords[bar],
             Voice(TInstrument::Pad, 0.2f, 0, 0.35f, 0, 2200, true), 0.8f);
  AddLine(out, s, 0, 8,
          "A5 - E5 - A5 C6 B5 A5 | C6 - - A5 - F5 - - |"
          "G5 - E5 - G5 C6 B5 G5 | B5 - - G5 - D5 - - |"
          "A5 - E5 - A5 C6 B5 A5 | C6 - - A5 - C6 D6 - |"
          "E6 - D6 - B5 - G5 - | D6 - - - B5 - - - |",
          Voice(TInstrument::Lead, 0.26f, 0.1f, 0.25f, 0.25f, 3500));
  Put(out, Voice(TInstrument::Riser, 0.3f, 0, 0.2f), s.At(7), s.BarSeconds(), 50);
}

void ComposeCapped(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[8] = {Dm, F, Am, G, Dm, F, G, E};
  AddFullBeat(out, s, chords, 0.7f);
  AddPattern(out, s, 0, s.Bars, "....x.......x...",
             Voice(TInstrument::Clap, 0.3f, -0.1f, 0.3f));
  const int order[8] = {0, 2, 1, 3, 2, 1, 3, 2};
  for (int bar = 0; bar < s.Bars; ++bar) {
    AddChord(out, s, bar, 1, chords[bar],
             Voice(TInstrument::Pad, 0.17f, 0, 0.35f, 0, 1800, true), 0.8f);
    for (int step = 0; step < 16; ++step) {
      TNote pluck = Voice(TInstrument::Pluck, step % 4 == 0 ? 0.22f : 0.15f,
                          step % 2 ? 0.55f : -0.55f, 0.2f, 0.2f);
      Put(out, pluck, s.At(bar + step / 16.0), s.BarSeconds() / 18.0,
          chords[bar].Tones[order[step % 8]] + 12);
    }
  }
  AddLine(out, s, 0, 8,
          "F5 - E5 - D5 - A4 - | C5 - - - F5 - E5 - |"
          "E5 - - - C5 - A4 - | B4 - - - D5 - - - |"
          "F5 - E5 - D5 - A5 - | A5 - G5 - F5 - C5 - |"
          "D5 - - - B4 - G4 - | G#4 - - - B4 - E5 - |",
          Voice(TInstrument::Lead, 0.28f, -0.1f, 0.25f, 0.3f, 2600));
}

void ComposeJump(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[8] = {F, G, Am, Am, F, G, E, E};
  AddFullBeat(out, s, chords, 0.8f);
  for (int bar = 0; bar < s.Bars; ++bar)
    for (int offbeat = 0; offbeat < 4; ++offbeat)
      AddChord(out, s, bar + (4 * offbeat + 2) / 16.0, 1.5 / 16, chords[bar],
               Voice(TInstrument::Stab, 0.2f, 0, 0.25f, 0.15f), 0.7f, 12);
  AddLine(out, s, 0, 8,
          "A5 - C6 - F6 - E6 C6 | B5 - D6 - G6 - F6 D6 |"
          "E6 - - - C6 - A5 - | E6 - D6 - C6 - B5 - |"
          "A5 - C6 - F6 - E6 C6 | D6 - - - B5 - G5 - |"
          "G#5 - B5 - E6 - D6 B5 | E6 - - - - - - - |",
          Voice(TInstrument::Lead, 0.25f, 0.15f, 0.3f, 0.3f, 4000));
}

void ComposeAtom(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[8] = {Am, F, C, G, Am, F, G, E};
  AddFullBeat(out, s, chords, 1.0f);
  Put(out, Voice(TInstrument::Crash, 0.35f, 0.2f, 0.3f), s.At(4), 2.5, 60);
  for (int bar = 0; bar < s.Bars; ++bar)
    AddChord(out, s, bar, 1, chords[bar],
             Voice(TInstrument::Pad, 0.22f, 0, 0.35f, 0, 2800, true), 0.9f);
  // Noise grows through the whole section; the quake shakes its second half.
  Put(out, Voice(TInstrument::Riser, 0.45f, 0, 0.3f, 0, 0, true), s.At(0),
      s.At(8) - s.At(0) - 0.01, 45);
  Put(out, Voice(TInstrument::Quake, 0.6f, 0, 0.1f, 0, 0, true), s.At(4),
      s.At(8) - s.At(4) - 0.5, 0);
  AddLine(out, s, 0, 8,
          "A5 - - - E6 - - - | F6 - - - E6 - C6 - |"
          "G6 - - - E6 - - - | D6 - - - B5 - G5 - |"
          "A5 - C6 - E6 - A6 - | A6 - G6 - F6 - C6 - |"
          "D6 - - - G6 - F6 - | E6 - - - - - - - |",
          Voice(TInstrument::Lead, 0.28f, 0, 0.35f, 0.3f, 4500));
}

void ComposeOutro(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[8] = {F, G, Em, Am, Dm, G, C, E};
  Put(out, Voice(TInstrument::Crash, 0.3f, 0.2f, 0.4f), s.At(0), 2.5, 60);
  Put(out, Voice(TInstrument::Crash, 0.22f, -0.2f, 0.4f), s.At(8), 2.5, 60);
  for (int bar = 0; bar < s.Bars; ++bar) {
    const TChord& chord = chords[bar % 8];
    AddChord(out, s, bar, 1, chord,
             Voice(TInstrument::Pad, 0.2f, 0, 0.45f, 0, 1700, true), 0.85f);
    for (int eighth = 0; eighth < 8; ++eighth)
      Put(out, Voice(TInstrument::Bass, eighth % 2 ? 0.32f : 0.4f, 0, 0, 0, 0.3f),
          s.At(bar + eighth / 8.0), s.BarSeconds() / 10.0,
          chord.Root + (eighth == 6 ? 12 : 0));
  }
  AddPattern(out, s, 0, s.Bars, "x.......x.......", Voice(TInstrument::Kick, 0.8f));
  AddPattern(out, s, 0, s.Bars, "....x.......x...",
             Voice(TInstrument::Clap, 0.3f, 0, 0.35f));
  AddPattern(out, s, 0, s.Bars, "..x...x...x...x.",
             Voice(TInstrument::Hat, 0.1f, 0.3f, 0.1f));
  const char* theme =
      "A4 - C5 - F5 - E5 - | D5 - - - B4 - G4 - | B4 - - - E5 - D5 - |"
      "C5 - - - - - A4 - | F5 - - - D5 - A4 - | B4 - D5 - G5 - F5 - |"
      "E5 - - - C5 - G4 - | G#4 - - - B4 - - - |";
  AddLine(out, s, 0, 8, theme,
          Voice(TInstrument::Lead, 0.27f, -0.1f, 0.35f, 0.3f, 2800));
  AddLine(out, s, 8, 8, theme,
          Voice(TInstrument::Lead, 0.24f, -0.1f, 0.35f, 0.3f, 3200));
  const size_t first = out.size();
  AddLine(out, s, 8, 8, theme,
          Voice(TInstrument::Bell, 0.22f, 0.3f, 0.4f, 0.35f, 1.6f));
  for (size_t i = first; i < out.size(); ++i)
    out[i].Pitch += 12;
}

void ComposeLast(const TSection& s, std::vector<TNote>& out)
{
  const TChord chords[4] = {Am, F, C, G};
  for (int bar = 0; bar < s.Bars; bar += 2) {
    const TChord& chord = chords[bar / 2];
    AddChord(out, s, bar, 2, chord,
             Voice(TInstrument::Pad, 0.24f, 0, 0.6f, 0, 900), 0.9f);
    Put(out, Voice(TInstrument::Sub, 0.45f), s.At(bar),
        s.At(bar + 2) - s.At(bar) - 0.2, SubPitch(chord));
  }
  // Only the hits on which the picture shakes remain of the beat.
  AddPattern(out, s, 0, s.Bars, "x.....x.............x...........",
             Voice(TInstrument::Kick, 0.6f, 0, 0.2f));
  AddPattern(out, s, 0, s.Bars, "..x.......x...........x.........",
             Voice(TInstrument::Snare, 0.25f, 0, 0.5f, 0.3f));
  AddLine(out, s, 0, 4,
          "E5 - - - | . . C5 - | A4 - - - | . . C5 - |"
          "G5 - - - | . . E5 - | D5 - - - | B4 - - - |",
          Voice(TInstrument::Bell, 0.22f, 0.3f, 0.6f, 0.45f, 1.2f));
}

void ComposeMovrik(const TSection& s, std::vector<TNote>& out)
{
  AddChord(out, s, 0, 2, F, Voice(TInstrument::Pad, 0.3f, 0, 0.6f, 0, 1400), 0.9f);
  AddChord(out, s, 2, 1, G, Voice(TInstrument::Pad, 0.3f, 0, 0.6f, 0, 1400), 0.9f);
  AddChord(out, s, 3, 4, Am, Voice(TInstrument::Pad, 0.3f, 0, 0.6f, 0, 1200), 0.9f);
  Put(out, Voice(TInstrument::Sub, 0.5f), s.At(0), s.At(2) - s.At(0) - 0.1, 29);
  Put(out, Voice(TInstrument::Sub, 0.5f), s.At(2), s.At(3) - s.At(2) - 0.1, 31);
  Put(out, Voice(TInstrument::Sub, 0.5f), s.At(3), s.At(7) - s.At(3), 33);
  Put(out, Voice(TInstrument::Drone, 0.6f, 0, 0.4f), s.At(3), s.At(7) - s.At(3),
      45);
  AddLine(out, s, 0, 8,
          "A5 - - - C6 - - - | E6 - - - - - - - | D6 - - - B5 - - - |"
          "C6 - - - - - - - | A5 - - - - - - - |",
          Voice(TInstrument::Bell, 0.26f, 0.2f, 0.6f, 0.4f, 1.4f));
}

// One drum voice plays the kicks, so each kick ends where the next begins
// and no tail blurs the next hit.
void ChokeKicks(std::vector<TNote>& notes)
{
  std::vector<TNote*> kicks;
  for (TNote& n : notes)
    if (n.Instrument == TInstrument::Kick)
      kicks.push_back(&n);
  std::sort(kicks.begin(), kicks.end(),
            [](const TNote* a, const TNote* b) { return a->Start < b->Start; });
  for (size_t k = 0; k + 1 < kicks.size(); ++k)
    kicks[k]->Length =
        std::min(kicks[k]->Length, kicks[k + 1]->Start - kicks[k]->Start - 0.004);
}

}  // namespace

double TSection::BarSeconds() const
{
  return (EndMs - StartMs) / 1000.0 / Bars;
}

double TSection::At(double bar) const
{
  return StartMs / 1000.0 + bar * BarSeconds();
}

std::vector<TSection> ScoreSections()
{
  std::vector<TSection> sections;
  for (int i = 0; i < SceneCount; ++i) {
    const TSceneInterval& scene = SceneIntervals[i];
    sections.push_back({scene.Name, scene.StartTime, scene.EndTime, SceneBars[i]});
  }
  return sections;
}

std::vector<TNote> ComposeScore()
{
  using TComposer = void (*)(const TSection&, std::vector<TNote>&);
  const TComposer composers[SectionCount] = {
      ComposeHum,  ComposePrefall, ComposeBalance, ComposeFall,  ComposeWater,
      ComposeWobbler, ComposeRush, ComposeCapped,  ComposeJump,  ComposeAtom,
      ComposeOutro, ComposeLast,   ComposeMovrik};
  const std::vector<TSection> sections = ScoreSections();
  std::vector<TNote> notes;
  for (int i = 0; i < SectionCount; ++i)
    composers[i](sections[i], notes);
  ChokeKicks(notes);
  return notes;
}
