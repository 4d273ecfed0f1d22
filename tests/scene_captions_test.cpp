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
