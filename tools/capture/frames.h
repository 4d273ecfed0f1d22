// What the capture tool renders and how its frames are resized: plain
// arithmetic on music times and RGB pixels (top row first), no GL.
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

// The RGB frame (width x height) scaled with a Lanczos-3 filter to fit
// outWidth x outHeight with its aspect kept, centred on black: the same
// rectangle the window shows the frame in (FitFrameToWindow).
std::vector<uint8_t> ScaleFrameToFit(const std::vector<uint8_t>& rgb, int width, int height,
                                     int outWidth, int outHeight);
