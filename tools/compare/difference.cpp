#include "tools/compare/difference.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

TFrameDifference CompareFrames(const uint8_t* a, const uint8_t* b, int width, int height)
{
  TFrameDifference d;
  const size_t pixels = static_cast<size_t>(width) * height;
  if (pixels == 0)
    return d;
  uint64_t sum = 0;
  size_t over = 0;
  for (size_t p = 0; p < pixels; ++p) {
    int largest = 0;
    for (int c = 0; c < 3; ++c) {
      const int diff = std::abs(static_cast<int>(a[p * 3 + c]) - static_cast<int>(b[p * 3 + c]));
      sum += static_cast<uint64_t>(diff);
      if (diff > largest)
        largest = diff;
    }
    if (largest > LargeDifference)
      ++over;
    if (largest > d.Worst) {
      d.Worst = largest;
      d.WorstX = static_cast<int>(p % static_cast<size_t>(width));
      d.WorstY = static_cast<int>(p / static_cast<size_t>(width));
    }
  }
  d.Mean = static_cast<double>(sum) / (static_cast<double>(pixels) * 3);
  d.ShareOver16 = static_cast<double>(over) / static_cast<double>(pixels);
  return d;
}

bool WithinTolerance(const TFrameDifference& difference)
{
  return difference.Mean <= ToleratedMeanDifference && difference.ShareOver16 <= ToleratedShareOver16;
}

bool DecodePng(const uint8_t* bytes, size_t size, int& width, int& height,
               std::vector<uint8_t>& rgb, std::string& error)
{
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes, size)) {
    error = std::string("not a readable PNG: ") + image.message;
    return false;
  }
  if (image.width == 0 || image.height == 0 || image.width > 8192 || image.height > 8192) {
    error = "a PNG of " + std::to_string(image.width) + "x" + std::to_string(image.height) +
            " pixels, more than 8192 a side or empty";
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    error = std::string("damaged PNG: ") + image.message;
    png_image_free(&image);
    return false;
  }
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  rgb = std::move(pixels);
  return true;
}
