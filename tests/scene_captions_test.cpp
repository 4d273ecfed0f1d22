// Every scene's captions on the frames the started demo renders.
#include "scene_rows.h"

#include "scenes/passes.h"
#include "scenes/plans.h"
#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/text.h"
#include "engine/textures.h"
#include "host/headlessdemo.h"
#include "host/timeline.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// Compares the frame drawn with the font and with the blank one: every pixel
// that changes by more than 6 of 255 lies in the box of a non-blank
// character, black letters darken and white ones brighten their boxes, and
// every box over a background its letters can show on (mean grey above 40
// for black letters, below 215 for white ones) holds at least 20 such pixels;
// at least three boxes can show.
void ExpectGlyphsInTheirBoxes(const TFramePair& frames, const std::vector<TGlyphBox>& boxes)
{
  std::vector<int> inked(boxes.size(), 0);
  std::vector<double> behind(boxes.size(), 0);
  std::vector<int> area(boxes.size(), 0);
  int stray = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const double before = Grey(frames.Plain, x, y);
      const double change = Grey(frames.Shown, x, y) - before;
      bool hit = false;
      for (size_t i = 0; i < boxes.size(); ++i)
        if (InBox(boxes[i], x, y)) {
          hit = true;
          behind[i] += before;
          ++area[i];
          inked[i] += boxes[i].Sign * change > 6;
        }
      stray += std::fabs(change) > 6 && !hit;
    }
  EXPECT_EQ(stray, 0) << "pixels changed outside the caption boxes";
  int showable = 0;
  for (size_t i = 0; i < boxes.size(); ++i) {
    const double mean = behind[i] / std::max(area[i], 1);
    const bool canShow = boxes[i].Sign < 0 ? mean > 40 : mean < 215;
    if (canShow) {
      ++showable;
      EXPECT_GE(inked[i], 20) << "\"" << boxes[i].Text << "\" shows no glyph in the box of '"
                              << boxes[i].Char << "' at x " << boxes[i].x0 << " to " << boxes[i].x1;
    }
  }
  EXPECT_GE(showable, 3) << "caption boxes on a background that can show them";
}

// Every glyph box holds more than minInk pixels of its letters' colour in its
// middle (the part no neighbouring box of its line overlaps, two pixels in from
// top and bottom), and the picture from 80 pixels above the lines down to the
// lower bar holds none outside the boxes.
void ExpectInkInTheBoxesOnly(const std::vector<uint8_t>& frame,
                             const std::vector<std::vector<TGlyphBox>>& lines, int minInk)
{
  std::vector<TGlyphBox> all;
  float top = 480;
  for (const auto& line : lines)
    for (size_t k = 0; k < line.size(); ++k) {
      const TGlyphBox& b = line[k];
      all.push_back(b);
      top = std::min(top, b.top);
      const float left = k > 0 ? std::max(b.x0, line[k - 1].x1) : b.x0;
      const float right = k + 1 < line.size() ? std::min(b.x1, line[k + 1].x0) : b.x1;
      int ink = 0;
      for (int y = static_cast<int>(b.top) + 2; y < static_cast<int>(b.bottom) - 2; ++y)
        for (int x = static_cast<int>(std::ceil(left)); x < static_cast<int>(right); ++x)
          ink += Ink(frame, x, y, b.Sign);
      EXPECT_GT(ink, minInk) << "'" << b.Char << "' of \"" << b.Text << "\" at x " << b.x0;
    }
  ASSERT_FALSE(all.empty());
  const int sign = all.front().Sign;
  int stray = 0;
  for (int y = std::max(60, static_cast<int>(top) - 80); y < 420; ++y)
    for (int x = 0; x < 640; ++x)
      stray += Ink(frame, x, y, sign) &&
               std::none_of(all.begin(), all.end(), [&](const TGlyphBox& b) { return InBox(b, x, y); });
  EXPECT_EQ(stray, 0) << "pixels of the letters' colour around the captions";
}

}  // namespace

// Every scene's captions, on frames the demo renders: at the sample times the
// letters show in the boxes the text layout gives them and nowhere else, and
// where a scene's captions start transparent its first frame shows none.
TEST(SceneFrames, CaptionsShowInTheirGlyphBoxes)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  SeedGuard guard;
  for (const TSceneRow& row : SceneRows) {
    const mve_genericscene& scene = *SceneTable[row.Slot];
    for (const TCaptionSample& sample : row.CaptionSamples) {
      SCOPED_TRACE(std::string(row.Name) + " at t = " + std::to_string(sample.Time));
      const auto lines = GlyphBoxes(row.Plan(scene.Progress(sample.Time)).Captions);
      std::vector<TGlyphBox> boxes;
      for (const auto& line : lines)
        boxes.insert(boxes.end(), line.begin(), line.end());
      const TFramePair frames = RenderWithAndWithoutFont(sample.Time);
      ExpectGlyphsInTheirBoxes(frames, boxes);
      if (sample.MinInk > 0)
        ExpectInkInTheBoxesOnly(frames.Shown, lines, sample.MinInk);
    }
    const bool clearAtStart =
        !row.Lines.empty() && std::all_of(row.Lines.begin(), row.Lines.end(),
                                          [](const TLineRow& line) { return line.Alpha[0] == 0; });
    if (clearAtStart) {
      SCOPED_TRACE(std::string(row.Name) + " at its start");
      const TFramePair frames = RenderWithAndWithoutFont(scene.StartTime);
      EXPECT_TRUE(frames.Shown == frames.Plain) << "a caption shows at p = 0";
    }
  }
}
