#include "png.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              std::string& error)
{
  if (rgb.size() != static_cast<size_t>(width) * height * 3) {
    error = "image size does not match its pixels";
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::fclose(file);
    error = "libpng could not start";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    error = "libpng failed while writing";
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, rgb.data() + static_cast<size_t>(y) * width * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}
