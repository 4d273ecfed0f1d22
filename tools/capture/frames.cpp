#include "frames.h"

#include "engine/numbers.h"

#include <algorithm>
#include <cmath>

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

namespace {

constexpr int LanczosLobes = 3;

double Lanczos(double x)
{
  if (x == 0)
    return 1;
  if (std::fabs(x) >= LanczosLobes)
    return 0;
  const double px = Pi * x;
  return LanczosLobes * std::sin(px) * std::sin(px / LanczosLobes) / (px * px);
}

// The source samples and normalised weights of each output sample along one
// axis, the filter widened when shrinking so that it still averages.
struct TTaps {
  std::vector<int> First;
  std::vector<std::vector<double>> Weights;
};

TTaps MakeTaps(int from, int to)
{
  TTaps taps;
  const double scale = static_cast<double>(to) / from;
  const double support = LanczosLobes * std::max(1.0, 1 / scale);
  const double stretch = std::min(1.0, scale);
  for (int i = 0; i < to; ++i) {
    const double centre = (i + 0.5) / scale - 0.5;
    const int first = static_cast<int>(std::floor(centre - support)) + 1;
    const int last = static_cast<int>(std::ceil(centre + support)) - 1;
    std::vector<double> weights;
    double sum = 0;
    for (int j = first; j <= last; ++j) {
      const double w = Lanczos((j - centre) * stretch);
      weights.push_back(w);
      sum += w;
    }
    for (double& w : weights)
      w /= sum;
    taps.First.push_back(first);
    taps.Weights.push_back(std::move(weights));
  }
  return taps;
}

uint8_t ToByte(double v)
{
  return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

}  // namespace

std::vector<uint8_t> ScaleFrameToFit(const std::vector<uint8_t>& rgb, int width, int height,
                                     int outWidth, int outHeight)
{
  const TFitRect fit = FitFrameToWindow(outWidth, outHeight);
  std::vector<uint8_t> out(static_cast<size_t>(outWidth) * outHeight * 3, 0);
  if (fit.width <= 0 || fit.height <= 0)
    return out;
  // Rows first, into floating point, then columns; edges repeat.
  const TTaps across = MakeTaps(width, fit.width);
  const TTaps down = MakeTaps(height, fit.height);
  std::vector<double> rows(static_cast<size_t>(height) * fit.width * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < fit.width; ++x)
      for (int c = 0; c < 3; ++c) {
        double v = 0;
        const std::vector<double>& weights = across.Weights[x];
        for (size_t k = 0; k < weights.size(); ++k) {
          const int sx = std::clamp(across.First[x] + static_cast<int>(k), 0, width - 1);
          v += weights[k] * rgb[(static_cast<size_t>(y) * width + sx) * 3 + c];
        }
        rows[(static_cast<size_t>(y) * fit.width + x) * 3 + c] = v;
      }
  // The fit rectangle counts rows from the bottom, as GL does; the pixels
  // here run from the top, so the top bar is the one left over below.
  const int top = outHeight - fit.y - fit.height;
  for (int y = 0; y < fit.height; ++y)
    for (int x = 0; x < fit.width; ++x)
      for (int c = 0; c < 3; ++c) {
        double v = 0;
        const std::vector<double>& weights = down.Weights[y];
        for (size_t k = 0; k < weights.size(); ++k) {
          const int sy = std::clamp(down.First[y] + static_cast<int>(k), 0, height - 1);
          v += weights[k] * rows[(static_cast<size_t>(sy) * fit.width + x) * 3 + c];
        }
        out[(static_cast<size_t>(top + y) * outWidth + fit.x + x) * 3 + c] = ToByte(v);
      }
  return out;
}
