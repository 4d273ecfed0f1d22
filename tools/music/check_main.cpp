// mvrk_music_check FILE: decodes a soundtrack with libvorbisfile and checks
// that it fits the demo: format, length, peak, no stuck stretches, the fade
// at the end, a steady level, drum hits on the beat-shake steps of the rush
// and atom scenes, and clear changes at the scene boundaries. Prints one
// line per check and exits with 1 if any fails.
#include "scenes/intervals.h"
#include "scenes/musicrules.h"
#include "tools/music/analysis.h"
#include "tools/music/oggvorbis.h"
#include "tools/usage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The scenes' slots in SceneIntervals.
enum TSlot { Hum = 0, Prefall, Balance, Fall, Water, Wobbler, Rush, Capped,
             Jump, Atom, Outro, Last, Movrik };

// The music may fade from here on; the program ends at 224 s.
constexpr double FadeFrom = 219.0;
constexpr double ProgramEnd = (LastFrameTime + 1) / 1000.0;
// Longest digital standstill accepted before the fade.
constexpr double ShortSilence = 0.05;
// Most the loudness of one section may differ from another's.
constexpr double LoudnessSpread = 6.0;

int Failures = 0;

void Report(bool ok, const std::string& what)
{
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok)
    ++Failures;
}

template <typename... TArgs>
std::string Format(const char* format, TArgs... args)
{
  char text[512];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

double StartOf(int slot) { return SceneIntervals[slot].StartTime / 1000.0; }
double EndOf(int slot) { return SceneIntervals[slot].EndTime / 1000.0; }

// Within the scene, the strongest low-band onsets, one for every beat-shake
// step, must each lie within 10 ms of such a step (start + k · length / n
// for the k whose BeatTable entry k mod 32 is 1, n the scene's SceneSteps)
// and together cover all of them.
void CheckShakeOnsets(const TDecodedAudio& audio, int slot)
{
  std::vector<double> shakes;
  const double start = StartOf(slot), length = EndOf(slot) - start;
  const int steps = SceneSteps(slot);
  for (int k = 0; k < steps; ++k)
    if (BeatTable[k % 32])
      shakes.push_back(start + k * length / steps);

  std::vector<TOnset> onsets = LowBandOnsets(audio, start, EndOf(slot));
  onsets.resize(std::min(onsets.size(), shakes.size()));
  std::vector<bool> hit(shakes.size(), false);
  double worst = 0;
  int misplaced = 0;
  for (const TOnset& onset : onsets) {
    size_t nearest = 0;
    for (size_t k = 1; k < shakes.size(); ++k)
      if (std::fabs(shakes[k] - onset.Time) < std::fabs(shakes[nearest] - onset.Time))
        nearest = k;
    const double miss = std::fabs(shakes[nearest] - onset.Time);
    worst = std::max(worst, miss);
    if (miss <= 0.010)
      hit[nearest] = true;
    else
      ++misplaced;
  }
  const long covered = std::count(hit.begin(), hit.end(), true);
  Report(misplaced == 0 && covered == long(shakes.size()),
         Format("%s: the %zu strongest low onsets lie on %ld of %zu shake steps, "
                "%d off them, worst %.1f ms away",
                SceneIntervals[slot].Name, onsets.size(), covered, shakes.size(),
                misplaced, worst * 1000.0));
}

// The change across the boundary must exceed the change across every bar
// line around it inside the two scenes it separates, up to 16 bars either
// side (the bars of SceneBars). The boundaries checked lie among scenes of
// bars of about 1502 ms, and 1.5024 s is the window of every comparison.
void CheckBoundary(const TBandProfile& profile, int slotAfter)
{
  const double bar = 1.5024;
  const double boundary = StartOf(slotAfter);
  const double change = SpectralChange(profile, boundary, bar);
  double inside = 0, where = 0;
  for (int slot : {slotAfter - 1, slotAfter}) {
    const double start = StartOf(slot), end = EndOf(slot);
    const int bars = SceneBars[slot];
    for (int k = 1; k < bars; ++k) {
      const double t = start + k * (end - start) / bars;
      if (t - bar < start - 1e-6 || t + bar > end + 1e-6 ||
          std::fabs(t - boundary) > 16.5 * bar)
        continue;
      const double c = SpectralChange(profile, t, bar);
      if (c > inside) {
        inside = c;
        where = t;
      }
    }
  }
  Report(change > inside,
         Format("boundary %s/%s at %.3f s: change %.1f dB, largest inside "
                "%.1f dB (at %.3f s)",
                SceneIntervals[slotAfter - 1].Name, SceneIntervals[slotAfter].Name, boundary,
                change, inside, where));
}

}  // namespace

int main(int argc, char** argv)
{
  const char* file = OnePathArgument(argc, argv,
                                     "usage: mvrk_music_check FILE\n"
                                     "Decodes a soundtrack and checks its format, length, level,\n"
                                     "fade and timing against the timeline.\n");
  TDecodedAudio audio;
  const std::string error = ReadOggVorbis(file, audio);
  if (!error.empty()) {
    std::fprintf(stderr, "%s: %s\n", file, error.c_str());
    return 1;
  }
  Report(audio.Rate == 44100 && audio.Channels == 2,
         Format("format: %d Hz, %d channels", audio.Rate, audio.Channels));
  if (audio.Channels != 2)
    return 1;

  Report(audio.Seconds() >= 226.3, Format("length %.3f s", audio.Seconds()));

  const double peak = 20.0 * std::log10(std::max(1e-10f, PeakAmplitude(audio)));
  Report(peak <= -1.0, Format("peak %.2f dBFS", peak));

  const double run = LongestIdenticalRun(audio, 0.0, FadeFrom);
  Report(run <= ShortSilence,
         Format("longest run of identical frames before %.0f s: %.1f ms",
                FadeFrom, run * 1000.0));

  const double body = RmsLevel(audio, 30.0, StartOf(Movrik));
  const double ending = RmsLevel(audio, ProgramEnd - 0.5, ProgramEnd);
  const double after = RmsLevel(audio, ProgramEnd, audio.Seconds());
  Report(ending <= body - 30.0 && after <= -60.0,
         Format("fade: %.1f dBFS in the last half second before %.0f s, "
                "%.1f dBFS after it, against %.1f dBFS in the body",
                ending, ProgramEnd, after, body));

  const double loudness = IntegratedLoudness(audio, 0.0, audio.Seconds());
  double loudest = -200, quietest = 0;
  for (int slot = Hum; slot <= Last; ++slot) {
    // The opening builds up over its first half; its second half counts.
    const double from = slot == Hum ? EndOf(Hum) / 2 : StartOf(slot);
    const double l = IntegratedLoudness(audio, from, EndOf(slot));
    std::printf("     %-8s %6.1f LUFS\n", SceneIntervals[slot].Name, l);
    loudest = std::max(loudest, l);
    quietest = std::min(quietest, l);
  }
  Report(loudness >= -20.0 && loudness <= -10.0 &&
             loudest - quietest <= LoudnessSpread,
         Format("level: %.1f LUFS integrated, sections from %.1f to %.1f LUFS",
                loudness, quietest, loudest));

  CheckShakeOnsets(audio, Rush);
  CheckShakeOnsets(audio, Atom);

  const TBandProfile profile = MeasureBands(audio);
  for (int slot : {Prefall, Fall, Water, Wobbler, Rush})
    CheckBoundary(profile, slot);

  std::printf("%s\n", Failures ? "FAILED" : "all checks passed");
  return Failures ? 1 : 0;
}
