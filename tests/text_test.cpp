#include "engine/text.h"

#include "engine/textures.h"
#include "jpeg_fixture.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr TRgb Magenta = {255, 0, 255};    // opaque (blue 255)
constexpr TRgb HalfGreen = {0, 255, 128};  // half transparent
constexpr TRgb Cyan = {0, 255, 255};
constexpr TRgb White = {255, 255, 255};
constexpr TRgb Black = {0, 0, 0};
constexpr int Tolerance = 12;

// A 256 x 256 font image: 16 x 16 pixel cells, cell c coloured cell(c). The
// font takes its alpha from the image's own blue channel.
uint32_t LoadFont(const std::function<TRgb(int c)>& cell)
{
  TTempDir dir;
  WriteBytes(dir.File("font.jpg"),
             EncodeJpeg(256, 256, [&](int x, int y) { return cell(y / 16 * 16 + x / 16); }));
  return LoadAlphaTexture(dir.File("font.jpg"), dir.File("font.jpg"), GL_LINEAR,
                          GL_LINEAR_MIPMAP_LINEAR);
}

TRgb TestCell(int c)
{
  switch (c) {
  case 'A':
    return Magenta;
  case 'B':
    return HalfGreen;
  case ' ':
    return White;
  case 255:
    return Cyan;
  default:
    return Black;
  }
}

void ClearFrame(TRgb colour)
{
  glViewport(0, 0, 640, 480);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glClearColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void ExpectColour(const TPixel& got, TRgb want, const std::string& where)
{
  EXPECT_NEAR(got.r, want.r, Tolerance) << where;
  EXPECT_NEAR(got.g, want.g, Tolerance) << where;
  EXPECT_NEAR(got.b, want.b, Tolerance) << where;
}

}  // namespace

TEST(TextLayout, BoxesHangAboveYAndBytesPickTheirCells)
{
  const std::vector<TGlyphQuad> line = LayoutText("PRERENDERING...", 320, 240, 33, 33, 33);
  ASSERT_EQ(line.size(), 15u);
  EXPECT_FLOAT_EQ(line.front().x0, 72.5f);
  EXPECT_FLOAT_EQ(line.back().x1, 567.5f);
  EXPECT_FLOAT_EQ(line.back().top, 207.0f);
  EXPECT_FLOAT_EQ(line.back().bottom, 240.0f);

  // Bytes above 127 must not turn negative on the way to their cell.
  const struct {
    char byte;
    int column, row;
  } cases[] = {{'\0', 0, 0}, {' ', 0, 2}, {'A', 1, 4}, {'\x80', 0, 8}, {'\xff', 15, 15}};
  for (const auto& c : cases) {
    const std::vector<TGlyphQuad> quad = LayoutText(std::string(1, c.byte), 0, 0, 8, 8, 8);
    ASSERT_EQ(quad.size(), 1u);
    EXPECT_DOUBLE_EQ(quad[0].s0, c.column / 16.0) << int(static_cast<uint8_t>(c.byte));
    EXPECT_DOUBLE_EQ(quad[0].s1, (c.column + 1) / 16.0) << int(static_cast<uint8_t>(c.byte));
    EXPECT_DOUBLE_EQ(quad[0].t0, c.row / 16.0) << int(static_cast<uint8_t>(c.byte));
    EXPECT_DOUBLE_EQ(quad[0].t1, (c.row + 1) / 16.0) << int(static_cast<uint8_t>(c.byte));
  }
}

TEST(TextDrawing, PrerenderingCoversItsBoxExactly)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  const uint32_t font = LoadFont([](int) { return White; });
  ClearFrame(Black);
  DrawText("PRERENDERING...", font, 320, 240, 33, 33, 33, 1, 1, 1, 1);
  const std::vector<uint8_t> frame = ReadFrame();

  // Boxes span x 72.5 to 567.5 and y 207 to 240: the pixels whose centres lie
  // inside are columns 72 to 566 and rows 207 to 239.
  int minX = 640, maxX = -1, minY = 480, maxY = -1, lit = 0, dim = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const TPixel p = PixelAt(frame, x, y);
      if (p.r < 128)
        continue;
      ++lit;
      dim += p.r < 250 || p.g < 250 || p.b < 250;
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
  EXPECT_EQ(minX, 72);
  EXPECT_EQ(maxX, 566);
  EXPECT_EQ(minY, 207);
  EXPECT_EQ(maxY, 239);
  EXPECT_EQ(lit, 495 * 33);
  EXPECT_EQ(dim, 0);
}

TEST(TextDrawing, EachByteDrawsItsOwnCellInTheTextColour)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  const uint32_t font = LoadFont(TestCell);
  const struct {
    const char* what;
    std::string text;
    float r, g, b, a;
    TRgb seen;
  } cases[] = {
      {"A", "A", 1, 1, 1, 1, Magenta},
      {"space uses cell (0, 2)", " ", 1, 1, 1, 1, White},
      {"byte 255", "\xff", 1, 1, 1, 1, Cyan},
      {"blank cell is transparent", "C", 1, 1, 1, 1, Black},
      {"colour multiplies the glyph", "A", 0, 1, 1, 1, {0, 0, 255}},
      {"alpha fades the glyph", "A", 1, 1, 1, 0.5f, {128, 0, 128}},
  };
  for (const auto& c : cases) {
    ClearFrame(Black);
    // The box spans x 288 to 352 and y 236 to 300.
    DrawText(c.text, font, 320, 300, 64, 64, 64, c.r, c.g, c.b, c.a);
    const std::vector<uint8_t> frame = ReadFrame();
    ExpectColour(PixelAt(frame, 320, 268), c.seen, c.what);
    ExpectColour(PixelAt(frame, 280, 268), Black, std::string(c.what) + ", left of the box");
    ExpectColour(PixelAt(frame, 320, 230), Black, std::string(c.what) + ", above the box");
  }
}

TEST(TextDrawing, OverlappingGlyphsBlendInTextOrder)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  const uint32_t font = LoadFont(TestCell);
  // Glyphs 64 wide, 32 apart: the first spans x 288 to 352, the second 320
  // to 384, so x 320 to 352 shows both.
  const struct {
    const char* text;
    TRgb firstOnly, both, secondOnly;
  } cases[] = {
      {"AB", Magenta, {127, 128, 191}, {0, 128, 64}},  // half green over magenta
      {"BA", {0, 128, 64}, Magenta, Magenta},          // opaque magenta covers
  };
  for (const auto& c : cases) {
    ClearFrame(Black);
    DrawText(c.text, font, 320, 300, 64, 64, 32, 1, 1, 1, 1);
    const std::vector<uint8_t> frame = ReadFrame();
    ExpectColour(PixelAt(frame, 304, 268), c.firstOnly, std::string(c.text) + " first glyph");
    ExpectColour(PixelAt(frame, 336, 268), c.both, std::string(c.text) + " overlap");
    ExpectColour(PixelAt(frame, 368, 268), c.secondOnly, std::string(c.text) + " second glyph");
  }
}

TEST(TextDrawing, LeavesTheOverlayStateEvenForEmptyText)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  const uint32_t font = LoadFont(TestCell);
  const uint32_t other = CreateRenderTarget(8, 8);
  for (const std::string text : {"", "AB"}) {
    SCOPED_TRACE("text \"" + text + "\"");
    ClearFrame({40, 40, 40});
    // Everything DrawText sets, set otherwise first.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, other);
    glColor4f(1, 0, 0, 0.5f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(3, 4, 5);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);

    DrawText(text, font, 320, 300, 64, 64, 64, 1, 1, 1, 1);

    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0, mode = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(static_cast<uint32_t>(bound), font);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<GLfloat>(colour, colour + 4), (std::vector<GLfloat>{1, 1, 1, 1}));

    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i)
      EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0f : 0.0f) << "modelview entry " << i;
    // The overlay projection: top-left corner up, y down, depth -1 to 1.
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const struct {
      float x, y, z;
      float nx, ny, nz;
    } points[] = {{0, 0, 0, -1, 1, 0},
                  {640, 480, 0, 1, -1, 0},
                  {320, 120, 1, 0, 0.5f, -1},
                  {160, 360, -1, -0.5f, -0.5f, 1}};
    for (const auto& p : points) {
      EXPECT_NEAR(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], p.nx, 1e-6);
      EXPECT_NEAR(m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13], p.ny, 1e-6);
      EXPECT_NEAR(m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14], p.nz, 1e-6);
      EXPECT_NEAR(m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15], 1.0f, 1e-6);
    }

    const std::vector<uint8_t> frame = ReadFrame();
    // "AB" puts its A at x 256 to 320.
    ExpectColour(PixelAt(frame, 288, 268), text.empty() ? TRgb{40, 40, 40} : Magenta,
                 "first glyph's place");
  }
}
