#include "frames.h"

#include "engine/framebuffer.h"

#include <algorithm>

std::vector<int32_t> CaptureTimes(int32_t from, int32_t to, int32_t step, int fps)
{
  std::vector<int32_t> times;
  for (int64_t k = 0;; ++k) {
    const int64_t t = fps > 0 ? from + (2000 * k + fps) / (2 * static_cast<int64_t>(fps))
                              : from + k * step;
    if (t > to)
      break;
    times.push_back(static_cast<int32_t>(t));
  }
  return times;
}

TCaptureRate CaptureRate(int32_t step, int fps)
{
  return fps > 0 ? TCaptureRate{fps, 1} : TCaptureRate{1000, step};
}

std::vector<uint8_t> PadFrame(const std::vector<uint8_t>& rgb, const TFramePlacement& place,
                              int width, int height)
{
  if (place.Width == width && place.Height == height && place.Left == 0 && place.Top == 0)
    return rgb;
  std::vector<uint8_t> out(static_cast<size_t>(width) * height * 3, 0);
  // The frame's columns and rows that land inside the picture.
  const int left = std::max(0, -place.Left);
  const int right = std::min(place.Width, width - place.Left);
  const int top = std::max(0, -place.Top);
  const int bottom = std::min(place.Height, height - place.Top);
  if (left >= right)
    return out;
  const size_t row = static_cast<size_t>(place.Width) * 3;
  for (int y = top; y < bottom; ++y)
    std::copy(rgb.begin() + y * row + left * 3, rgb.begin() + y * row + right * 3,
              out.begin() + ((static_cast<size_t>(place.Top + y)) * width + place.Left + left) * 3);
  return out;
}
