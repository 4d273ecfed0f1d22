#include "tools/content/font.h"

#include "engine/fatal.h"
#include "tools/content/writers.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {

const char* const FontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr int Cell = 64;
constexpr int PixelSize = 48;
// Baseline from the top of a cell: room for accents above and descenders below.
constexpr int Baseline = 50;

}  // namespace

void WriteFont()
{
  FT_Library library;
  if (FT_Init_FreeType(&library) != 0)
    FatalMessage("FreeType could not be initialised", "content");
  FT_Face face;
  if (FT_New_Face(library, FontFile, 0, &face) != 0)
    FatalFileError(FontFile, "cannot load the font");
  FT_Set_Pixel_Sizes(face, 0, PixelSize);

  TImage image;
  image.Width = image.Height = 16 * Cell;
  image.Pixels.assign(size_t(image.Width) * image.Height * 3, 0);
  // Printable ASCII and Latin-1; control codes stay blank cells.
  for (int code = 32; code < 256; ++code) {
    if (code >= 127 && code < 160)
      continue;
    if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0)
      continue;
    const FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int cellX = (code % 16) * Cell, cellY = (code / 16) * Cell;
    const int left = cellX + (Cell - static_cast<int>(bitmap.width)) / 2;
    const int top = cellY + Baseline - glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row)
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = left + static_cast<int>(col), y = top + static_cast<int>(row);
        // Keep a one-pixel gutter so that mipmaps do not bleed between cells.
        if (x <= cellX || y <= cellY || x >= cellX + Cell - 1 || y >= cellY + Cell - 1)
          continue;
        const uint8_t value = bitmap.buffer[row * bitmap.pitch + col];
        uint8_t* p = &image.Pixels[(size_t(y) * image.Width + x) * 3];
        p[0] = p[1] = p[2] = std::max(p[0], value);
      }
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  WriteJpeg("data\\font.jpg", image, 95);
}
