#include "png.h"

#include "engine/savefile.h"

#include <png.h>

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t size)
{
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void FlushNothing(png_structp) {}

}  // namespace

bool EncodePng(int width, int height, const std::vector<uint8_t>& rgb, std::vector<uint8_t>& out,
               std::string& error)
{
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) {
    error = "image size does not match its pixels";
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    error = "libpng could not start";
    return false;
  }
  out.clear();
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = "libpng failed while encoding";
    return false;
  }
  png_set_write_fn(png, &out, AppendBytes, FlushNothing);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 3);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, rgb.data() + static_cast<size_t>(y) * width * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              std::string& error)
{
  std::vector<uint8_t> png;
  return EncodePng(width, height, rgb, png, error) &&
         ReplaceFileBytes(path, png.data(), png.size(), error);
}
