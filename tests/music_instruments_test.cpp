#include "tools/music/instruments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

const TInstrument AllInstruments[] = {
    TInstrument::Pad,   TInstrument::Stab,  TInstrument::Bass,
    TInstrument::Sub,   TInstrument::Pluck, TInstrument::Lead,
    TInstrument::Bell,  TInstrument::Wobble, TInstrument::Drone,
    TInstrument::Wind,  TInstrument::Kick,  TInstrument::Snare,
    TInstrument::Clap,  TInstrument::Hat,   TInstrument::Crash,
    TInstrument::Riser, TInstrument::Boom,  TInstrument::Drop,
    TInstrument::Quake};

TNote MakeNote(TInstrument instrument, double length)
{
  TNote note;
  note.Instrument = instrument;
  note.Length = length;
  note.Pitch = 57;
  note.Param = instrument == TInstrument::Wobble ? 4.0f : 0.0f;
  if (instrument == TInstrument::Wind)
    note.Param = 800;
  return note;
}

float Peak(const std::vector<float>& voice)
{
  float peak = 0;
  for (float x : voice)
    peak = std::max(peak, std::fabs(x));
  return peak;
}

// A voice that starts or stops away from zero clicks.
TEST(MusicInstruments, EveryVoiceStartsAndEndsAtSilence)
{
  for (TInstrument instrument : AllInstruments) {
    for (double length : {0.05, 2.5}) {
      const std::vector<float> voice = RenderVoice(MakeNote(instrument, length), 11);
      SCOPED_TRACE("instrument " + std::to_string(int(instrument)) + ", length " +
                   std::to_string(length));
      ASSERT_GT(voice.size(), 100u);
      const float peak = Peak(voice);
      // Slow swells barely start in a short note, but every voice sounds.
      EXPECT_GT(peak, length > 1 ? 0.05f : 1e-4f);
      EXPECT_LT(peak, 4.0f);
      EXPECT_LE(std::fabs(voice.front()), 0.001f * peak);
      EXPECT_LE(std::fabs(voice.back()), 0.01f * peak);
      // No jump larger than a quarter of the peak within the first sample.
      EXPECT_LE(std::fabs(voice[1] - voice[0]), 0.25f * peak);
    }
  }
}

TEST(MusicInstruments, AKickStopsSoonAfterItsLength)
{
  // The next kick cuts the one before it, so a kick must end on time.
  const std::vector<float> voice = RenderVoice(MakeNote(TInstrument::Kick, 0.1), 1);
  EXPECT_LE(voice.size(), static_cast<size_t>(0.106 * 44100));
  EXPECT_GT(voice.size(), static_cast<size_t>(0.1 * 44100));
}

TEST(MusicInstruments, NoiseFollowsTheSeed)
{
  const TNote snare = MakeNote(TInstrument::Snare, 0.2);
  EXPECT_EQ(RenderVoice(snare, 5), RenderVoice(snare, 5));
  EXPECT_NE(RenderVoice(snare, 5), RenderVoice(snare, 6));
}

}  // namespace
