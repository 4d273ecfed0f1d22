#include "sheet.h"

#include <cstdio>

namespace {

constexpr int LabelHeight = 12;
constexpr int Gap = 2;

// 3 x 5 glyphs for "0123456789", one row of bits per line, high bit left.
const uint8_t Digits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

}  // namespace

TContactSheet::TContactSheet(int frameWidth, int frameHeight, int scale, int columns)
    : FrameWidth(frameWidth), FrameHeight(frameHeight), Scale(scale), Columns(columns)
{
}

void TContactSheet::Add(const std::vector<uint8_t>& frame, int32_t musicTime)
{
  const int w = FrameWidth / Scale;
  const int h = FrameHeight / Scale;
  std::vector<uint8_t> thumb(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < Scale; ++dy)
          for (int dx = 0; dx < Scale; ++dx)
            sum += frame[(static_cast<size_t>(y * Scale + dy) * FrameWidth + x * Scale + dx) * 3 + c];
        thumb[(static_cast<size_t>(y) * w + x) * 3 + c] = static_cast<uint8_t>(sum / (Scale * Scale));
      }
  Thumbnails.push_back(std::move(thumb));
  Times.push_back(musicTime);
}

int TContactSheet::Width() const
{
  return Columns * (FrameWidth / Scale + Gap) + Gap;
}

int TContactSheet::Height() const
{
  const int rows = (static_cast<int>(Thumbnails.size()) + Columns - 1) / Columns;
  return (rows < 1 ? 1 : rows) * (FrameHeight / Scale + LabelHeight + Gap) + Gap;
}

std::vector<uint8_t> TContactSheet::Pixels() const
{
  const int width = Width();
  std::vector<uint8_t> sheet(static_cast<size_t>(width) * Height() * 3, 40);
  const int w = FrameWidth / Scale;
  const int h = FrameHeight / Scale;
  for (size_t n = 0; n < Thumbnails.size(); ++n) {
    const int left = Gap + static_cast<int>(n % Columns) * (w + Gap);
    const int top = Gap + static_cast<int>(n / Columns) * (h + LabelHeight + Gap);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w * 3; ++x)
        sheet[(static_cast<size_t>(top + y) * width + left) * 3 + x] = Thumbnails[n][static_cast<size_t>(y) * w * 3 + x];
    char label[16];
    std::snprintf(label, sizeof label, "%d", Times[n]);
    for (int k = 0; label[k]; ++k) {
      const uint8_t* glyph = Digits[label[k] - '0'];
      for (int gy = 0; gy < 5; ++gy)
        for (int gx = 0; gx < 3; ++gx) {
          if (!(glyph[gy] & (4 >> gx)))
            continue;
          for (int py = 0; py < 2; ++py)
            for (int px = 0; px < 2; ++px) {
              const int sx = left + k * 8 + gx * 2 + px;
              const int sy = top + h + 1 + gy * 2 + py;
              if (sx < width)
                for (int c = 0; c < 3; ++c)
                  sheet[(static_cast<size_t>(sy) * width + sx) * 3 + c] = 255;
            }
        }
    }
  }
  return sheet;
}
