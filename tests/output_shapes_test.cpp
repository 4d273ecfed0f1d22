// The picture at the shape of its output: for a table of outputs, the frame
// drawn at the fit's k, every one of its rows drawn by the frame itself, and
// the output showing its band edge to edge on 16:9, pillars beside it when
// wider and part of the bars when taller. (A size the driver cannot hold:
// tests/framebuffer_test.cpp.)
#include "scene_rows.h"

#include "engine/effects.h"
#include "engine/framebuffer.h"
#include "engine/text.h"
#include "engine/textures.h"
#include "host/timeline.h"
#include "test_support.h"
#include "tools/capture/frames.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TShape {
  int Width, Height;
  bool EdgeToEdge;  // 16:9: the band fills the output
};
const TShape Shapes[] = {{640, 480, false},   {1920, 1080, true}, {3840, 2160, true},
                         {2560, 1080, false}, {1920, 1200, false}, {1366, 768, false},
                         {1200, 900, false},  {644, 483, false},  {321, 181, false}};

// The frame at t drawn afresh over a frame cleared to a marker colour: a row
// or column the frame's own drawing never reaches keeps the marker.
std::vector<uint8_t> RenderOverMarker(int32_t t, float red, float green, float blue)
{
  glDisable(GL_SCISSOR_TEST);
  glClearColor(red, green, blue, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  return RenderAfresh(t, FontTexture);
}

bool Black(const std::vector<uint8_t>& rgb, int width, int x, int y)
{
  const size_t at = (static_cast<size_t>(y) * width + x) * 3;
  return rgb[at] == 0 && rgb[at + 1] == 0 && rgb[at + 2] == 0;
}

}  // namespace

TEST(OutputShapes, PictureIsTheBandOfTheFrameAtTheFitsScale)
{
  std::string error;
  if (!UseRealScenes(error))
    GTEST_SKIP() << error;
  TDefaultFrameGuard guard;
  SeedGuard seed;
  const int32_t times[] = {TimeAt(*SceneTable[Row("water").Slot], 0.5),
                           TimeAt(*SceneTable[Row("balance").Slot], 0.6)};
  for (const TShape& shape : Shapes) {
    const TFrameSize fit = FrameForOutput(shape.Width, shape.Height);
    const TFramePlacement place = PlaceFrame(fit, shape.Width, shape.Height);
    SCOPED_TRACE(std::to_string(shape.Width) + "x" + std::to_string(shape.Height) + ", frame " +
                 std::to_string(fit.Width) + "x" + std::to_string(fit.Height));
    ASSERT_TRUE(ResizeFrame(fit.Width, fit.Height, error)) << error;
    // Drawn pixel for pixel.
    ASSERT_EQ(place.Width, FrameWidth);
    ASSERT_EQ(place.Height, FrameHeight);
    const TLetterbox letterbox = FrameLetterbox(FrameHeight);
    // The whole band inside the output, and on 16:9 exactly the output.
    const int bandTop = place.Top + letterbox.Bar;
    EXPECT_GE(bandTop, 0);
    EXPECT_LE(bandTop + letterbox.Band, shape.Height);
    EXPECT_LE(place.Left + FrameWidth, shape.Width);
    if (shape.EdgeToEdge) {
      EXPECT_EQ(bandTop, 0);
      EXPECT_EQ(letterbox.Band, shape.Height);
      EXPECT_EQ(FrameWidth, shape.Width);
    }
    for (int32_t t : times) {
      SCOPED_TRACE("at " + std::to_string(t));
      const std::vector<uint8_t> frame = RenderOverMarker(t, 1, 0, 1);
      ASSERT_EQ(frame.size(), static_cast<size_t>(FrameWidth) * FrameHeight * 3);
      // Every pixel of the frame is the frame's own: none shows the marker.
      const std::vector<uint8_t> again = RenderOverMarker(t, 0, 1, 0);
      size_t undrawn = 0;
      int firstRow = -1;
      for (size_t i = 0; i < frame.size(); ++i)
        if (frame[i] != again[i]) {
          if (firstRow < 0)
            firstRow = static_cast<int>(i / 3 / FrameWidth);
          ++undrawn;
        }
      EXPECT_EQ(undrawn, 0u) << "first at row " << firstRow;

      // The output: its size, the frame's pixels where the frame reaches,
      // black everywhere else.
      const std::vector<uint8_t> output = PadFrame(frame, place, shape.Width, shape.Height);
      ASSERT_EQ(output.size(), static_cast<size_t>(shape.Width) * shape.Height * 3);
      size_t wrong = 0;
      for (int y = 0; y < shape.Height; ++y)
        for (int x = 0; x < shape.Width; ++x) {
          const int fx = x - place.Left;
          const int fy = y - place.Top;
          const bool inFrame = fx >= 0 && fx < FrameWidth && fy >= 0 && fy < FrameHeight;
          const size_t at = (static_cast<size_t>(y) * shape.Width + x) * 3;
          const size_t from = (static_cast<size_t>(fy) * FrameWidth + fx) * 3;
          for (int c = 0; c < 3; ++c)
            if (output[at + c] != (inFrame ? frame[from + c] : 0))
              ++wrong;
        }
      EXPECT_EQ(wrong, 0u);
      // Pillars, where there are any, are black on both sides.
      if (place.Left > 0) {
        EXPECT_TRUE(Black(output, shape.Width, 0, shape.Height / 2));
        EXPECT_TRUE(Black(output, shape.Width, shape.Width - 1, shape.Height / 2));
      }
    }
  }
}
