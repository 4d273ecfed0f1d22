// What the capture tool renders and how its frames fit the output size:
// plain arithmetic on music times and RGB pixels (top row first), no GL.
#pragma once

#include "engine/framebuffer.h"

#include <cstdint>
#include <vector>

// The music times of the frames: from, from + step, ... up to to; with
// fps > 0 instead frame k at round(from + k * 1000 / fps) ms (halves up), so
// that a rate that does not divide 1000 does not drift. Times are ms.
std::vector<int32_t> CaptureTimes(int32_t from, int32_t to, int32_t step, int fps);

// The frame rate of those times as a fraction Frames / Seconds: fps / 1, or
// 1000 / step.
struct TCaptureRate {
  int Frames;
  int Seconds;
};
TCaptureRate CaptureRate(int32_t step, int fps);

// The RGB frame (place.Width x place.Height, top row first) drawn pixel for
// pixel into a width x height picture at (place.Left, place.Top) (PlaceFrame
// of the frame FrameForOutput gives): black where the frame does not reach,
// and only the frame's part inside the picture where it reaches past it
// (a negative Left or Top).
std::vector<uint8_t> PadFrame(const std::vector<uint8_t>& rgb, const TFramePlacement& place,
                              int width, int height);
