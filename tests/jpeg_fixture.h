// JPEG files for the tests, written with libjpeg at quality 100 without
// chroma subsampling, so that flat areas aligned to 8 x 8 blocks come back
// within a step or two of the colour written.
#pragma once

#include <jpeglib.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

struct TRgb {
  uint8_t r, g, b;
};

// pixel(x, y) gives the colour of each pixel, y = 0 being the top row. A
// greyscale file keeps only the red component.
inline std::vector<uint8_t> EncodeJpeg(int width, int height,
                                       const std::function<TRgb(int x, int y)>& pixel,
                                       bool greyscale = false)
{
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = greyscale ? 1 : 3;
  cinfo.in_color_space = greyscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  for (int c = 0; c < cinfo.num_components; ++c)
    cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * cinfo.input_components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      const TRgb c = pixel(x, y);
      if (greyscale) {
        row[x] = c.r;
      } else {
        row[x * 3 + 0] = c.r;
        row[x * 3 + 1] = c.g;
        row[x * 3 + 2] = c.b;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

inline std::vector<uint8_t> SolidJpeg(int width, int height, TRgb colour)
{
  return EncodeJpeg(width, height, [colour](int, int) { return colour; });
}
