#include "tools/music/score.h"

#include "host/timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

TEST(MusicScore, SectionsTileTheScenesOfTheTimeline)
{
  BuildSceneTable();
  const std::vector<TSection> sections = ScoreSections();
  ASSERT_EQ(sections.size(), 13u);
  for (size_t i = 0; i < sections.size(); ++i) {
    SCOPED_TRACE(sections[i].Name);
    ASSERT_TRUE(SceneTable[i]);
    EXPECT_EQ(sections[i].StartMs, SceneTable[i]->StartTime);
    EXPECT_EQ(sections[i].EndMs, SceneTable[i]->EndTime);
    // The last bar line is the scene's end.
    EXPECT_NEAR(sections[i].At(sections[i].Bars) * 1000.0, SceneTable[i]->EndTime,
                1e-6);
  }
}

// In the scenes that shake the picture, every kick falls on a shake step
// (start + k · length / 128 with k mod 32 in 0, 2, 6, 10, 20, 22) and every
// shake step has a kick or a snare.
TEST(MusicScore, DrumsOfTheShakingScenesHitTheShakeSteps)
{
  BuildSceneTable();
  const std::vector<TNote> notes = ComposeScore();
  const bool shakeStep[32] = {1, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0,
                              0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int slot : {6, 7, 8, 9, 11}) {
    const double start = SceneTable[slot]->StartTime / 1000.0;
    const double length = SceneTable[slot]->EndTime / 1000.0 - start;
    SCOPED_TRACE("slot " + std::to_string(slot));
    bool struck[128] = {};
    int kicks = 0;
    for (const TNote& n : notes) {
      const bool kick = n.Instrument == TInstrument::Kick;
      if ((!kick && n.Instrument != TInstrument::Snare) || n.Start < start - 1e-6 ||
          n.Start >= start + length - 1e-6)
        continue;
      const double step = (n.Start - start) / length * 128.0;
      const int k = static_cast<int>(std::lround(step));
      const bool onStep = std::fabs(step - k) * length / 128.0 < 0.0005;
      if (onStep && shakeStep[k % 32])
        struck[k] = true;
      if (kick) {
        ++kicks;
        EXPECT_TRUE(onStep && shakeStep[k % 32]) << "kick at " << n.Start;
      }
    }
    EXPECT_GT(kicks, 0);
    for (int k = 0; k < 128; ++k)
      EXPECT_TRUE(struck[k] || !shakeStep[k % 32]) << "no hit on step " << k;
  }
}

TEST(MusicScore, KicksNeverOverlap)
{
  const std::vector<TNote> notes = ComposeScore();
  std::vector<const TNote*> kicks;
  for (const TNote& n : notes)
    if (n.Instrument == TInstrument::Kick)
      kicks.push_back(&n);
  std::sort(kicks.begin(), kicks.end(),
            [](const TNote* a, const TNote* b) { return a->Start < b->Start; });
  ASSERT_GT(kicks.size(), 100u);
  for (size_t k = 0; k + 1 < kicks.size(); ++k)
    EXPECT_LE(kicks[k]->Start + kicks[k]->Length + 0.004, kicks[k + 1]->Start + 1e-9)
        << "kick at " << kicks[k]->Start;
}

TEST(MusicScore, EveryNoteIsInTuneAndStartsBeforeTheFadeEnds)
{
  const TInstrument pitched[] = {
      TInstrument::Pad,  TInstrument::Stab,   TInstrument::Bass,
      TInstrument::Sub,  TInstrument::Pluck,  TInstrument::Lead,
      TInstrument::Bell, TInstrument::Wobble, TInstrument::Drone,
      TInstrument::Drop, TInstrument::Riser};
  for (const TNote& n : ComposeScore()) {
    EXPECT_GE(n.Start, 0.0);
    EXPECT_LT(n.Start, FadeEnd);
    EXPECT_GT(n.Length, 0.0);
    if (std::count(std::begin(pitched), std::end(pitched), n.Instrument)) {
      // From C1 to C7; a note name the score cannot read would land far
      // outside.
      EXPECT_GE(n.Pitch, 24.0f) << "note at " << n.Start;
      EXPECT_LE(n.Pitch, 96.0f) << "note at " << n.Start;
    }
  }
}

}  // namespace
