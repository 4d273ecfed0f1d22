#include "engine/textures.h"

#include "engine/text.h"
#include "jpeg_fixture.h"
#include "test_support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using ::testing::ExitedWithCode;

namespace {

constexpr TRgb Red = {255, 0, 0};
constexpr TRgb Green = {0, 255, 0};
constexpr TRgb Blue = {0, 0, 255};
constexpr TRgb White = {255, 255, 255};
constexpr TRgb Black = {0, 0, 0};

// JPEG keeps flat colours within a few steps; filtering and rescaling add a
// little more near edges, so samples are taken well inside flat areas.
constexpr int Tolerance = 12;

void ExpectColour(const TPixel& got, TRgb want, const std::string& where)
{
  EXPECT_NEAR(got.r, want.r, Tolerance) << where;
  EXPECT_NEAR(got.g, want.g, Tolerance) << where;
  EXPECT_NEAR(got.b, want.b, Tolerance) << where;
}

void ExpectColour(const TRgbImage& image, int x, int y, TRgb want, const std::string& where)
{
  const size_t i = (static_cast<size_t>(y) * image.Width + x) * 3;
  ExpectColour(TPixel{image.Pixels[i], image.Pixels[i + 1], image.Pixels[i + 2]}, want, where);
}

TRgbImage Decoded(const std::vector<uint8_t>& bytes)
{
  TRgbImage image;
  std::string error;
  EXPECT_TRUE(DecodeJpeg(bytes.data(), bytes.size(), image, error)) << error;
  return image;
}

std::vector<uint8_t> TopRedBottomBlue(int width, int height)
{
  return EncodeJpeg(width, height, [height](int, int y) { return y < height / 2 ? Red : Blue; });
}

// Clears the frame and draws texture over all of it, s = 0 at the left and
// t = 0 at the top, blended when blend is set.
std::vector<uint8_t> DrawFullScreen(uint32_t texture, TRgb background, bool blend)
{
  glViewport(0, 0, 640, 480);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glClearColor(background.r / 255.0f, background.g / 255.0f, background.b / 255.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  Begin2D();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  if (blend) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    glDisable(GL_BLEND);
  }
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(0, 0);
  glTexCoord2f(1, 0);
  glVertex2f(640, 0);
  glTexCoord2f(1, 1);
  glVertex2f(640, 480);
  glTexCoord2f(0, 1);
  glVertex2f(0, 480);
  glEnd();
  glDisable(GL_BLEND);
  return ReadFrame();
}

// Overwrites the height and width of a JPEG's first SOF0 frame header.
std::vector<uint8_t> WithClaimedSize(std::vector<uint8_t> bytes, int width, int height)
{
  for (size_t i = 0; i + 9 < bytes.size(); ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
      bytes[i + 5] = static_cast<uint8_t>(height >> 8);
      bytes[i + 6] = static_cast<uint8_t>(height);
      bytes[i + 7] = static_cast<uint8_t>(width >> 8);
      bytes[i + 8] = static_cast<uint8_t>(width);
      return bytes;
    }
  }
  ADD_FAILURE() << "no SOF0 marker";
  return bytes;
}

}  // namespace

TEST(JpegDecoding, RowsTopFirstAndGreyAsEqualChannels)
{
  const struct {
    const char* what;
    bool greyscale;
    TRgb top, bottom;
  } cases[] = {
      {"colour", false, Red, Blue},
      {"greyscale", true, {200, 200, 200}, {40, 40, 40}},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> bytes = EncodeJpeg(
        24, 16, [&](int, int y) { return y < 8 ? c.top : c.bottom; }, c.greyscale);
    const TRgbImage image = Decoded(bytes);
    ASSERT_EQ(image.Width, 24) << c.what;
    ASSERT_EQ(image.Height, 16) << c.what;
    ASSERT_EQ(image.Pixels.size(), 24u * 16 * 3) << c.what;
    ExpectColour(image, 0, 0, c.top, std::string(c.what) + " top row");
    ExpectColour(image, 23, 15, c.bottom, std::string(c.what) + " bottom row");
    if (c.greyscale)
      for (size_t i = 0; i < image.Pixels.size(); i += 3) {
        ASSERT_EQ(image.Pixels[i], image.Pixels[i + 1]) << "pixel " << i / 3;
        ASSERT_EQ(image.Pixels[i], image.Pixels[i + 2]) << "pixel " << i / 3;
      }
  }
}

TEST(JpegDecoding, DamagedFilesAreRefusedWithTheReason)
{
  const std::vector<uint8_t> good = TopRedBottomBlue(64, 64);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* reason;
  } cases[] = {
      {"empty file", {}, "Empty input file"},
      {"not a JPEG", {'G', 'I', 'F', '8', '9', 'a', 0, 0}, "Not a JPEG file"},
      {"cut in half", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2),
       "Premature end of JPEG file"},
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 2),
       "Premature end of JPEG file"},
      {"claims 60000 x 60000 pixels", WithClaimedSize(good, 60000, 60000),
       "image of 60000 x 60000 pixels is larger than 8192 x 8192"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TRgbImage image;
    std::string error;
    EXPECT_FALSE(DecodeJpeg(c.bytes.data(), c.bytes.size(), image, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_TRUE(image.Pixels.empty());

    // The loaders end the process naming the file; a colour image that is
    // fine does not excuse a bad alpha image.
    TTempDir dir;
    WriteBytes(dir.File("good.jpg"), good);
    WriteBytes(dir.File("broken.jpg"), c.bytes);
    const std::string message = std::string("broken.jpg: ") + c.reason;
    EXPECT_EXIT(LoadTexture(dir.File("broken.jpg"), GL_LINEAR, GL_LINEAR), ExitedWithCode(1),
                message);
    EXPECT_EXIT(
        LoadAlphaTexture(dir.File("good.jpg"), dir.File("broken.jpg"), GL_LINEAR, GL_LINEAR),
        ExitedWithCode(1), message);
  }
  TTempDir dir;
  EXPECT_EXIT(LoadTexture(dir.File("missing.jpg"), GL_LINEAR, GL_LINEAR), ExitedWithCode(1),
              "missing.jpg: No such file or directory");
}

TEST(JpegDecoding, AlphaImageOfAnotherSizeIsRefused)
{
  TTempDir dir;
  WriteBytes(dir.File("colour.jpg"), SolidJpeg(16, 16, Red));
  WriteBytes(dir.File("alpha.jpg"), SolidJpeg(32, 16, White));
  EXPECT_EXIT(
      LoadAlphaTexture(dir.File("colour.jpg"), dir.File("alpha.jpg"), GL_LINEAR, GL_LINEAR),
      ExitedWithCode(1),
      "alpha.jpg: alpha image of 32 x 16 pixels does not match the 16 x 16 of .*colour.jpg");
}

TEST(TextureKeys, CutAtTheFirstDotAfterTheLastSeparator)
{
  const struct {
    const char* file;
    const char* key;
  } cases[] = {
      {"data\\nogi.jpg", "NOGI"},
      {"Wobbla\\wobblaenvred.jpg", "WOBBLAENVRED"},
      {"city\\envglobal.jpg", "ENVGLOBAL"},
      {"old.data\\x.jpg", "OLD"},  // the first dot cuts, even in a directory
      {"a/b\\c.jpg", "C"},
      {"a\\b/c.jpg", "C"},
      {"deep\\er\\name_2.tar.jpg", "NAME_2"},
      {"plain", "PLAIN"},
      {"data\\caf\xe9.jpg", "CAF\xe9"},  // bytes beyond ASCII are kept
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TextureKey(c.file), c.key) << c.file;
}

TEST(TextureList, RefusesEntriesBeyondItsCapacity)
{
  auto list = std::make_unique<TTextureList>();
  for (int i = 0; i < TextureListCapacity; ++i)
    ASSERT_TRUE(ListTexture(*list, "KEY" + std::to_string(i), 100 + i));
  EXPECT_FALSE(ListTexture(*list, "ONEMORE", 7));
  EXPECT_EQ(list->Count, TextureListCapacity);
  EXPECT_EQ(FindTexture(*list, "ONEMORE"), 0u);
  EXPECT_EQ(FindTexture(*list, "KEY999"), 1099u);
  EXPECT_EQ(FindTexture(*list, "KEY0"), 100u);

  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  TTempDir dir;
  WriteBytes(dir.File("data/nogi.jpg"), SolidJpeg(8, 8, Red));
  EXPECT_EXIT(AddTexture(*list, dir.File("data/nogi.jpg")), ExitedWithCode(1),
              "nogi.jpg: the texture list is full \\(1000 textures\\)");
}

TEST(TextureList, FindsTheFirstExactKey)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  TTempDir dir;
  dir.Enter();
  WriteBytes("data/nogi.jpg", SolidJpeg(8, 8, Red));
  WriteBytes("other/NOGI.jpeg", SolidJpeg(8, 8, Green));
  WriteBytes("data/a_texture_name_longer_than_32_chars.jpg", SolidJpeg(8, 8, Blue));

  TTextureList list;
  AddTexture(list, "Data\\nogi.jpg");
  AddTexture(list, "other\\nogi.JPEG");
  AddTexture(list, "data\\a_texture_name_longer_than_32_chars.jpg");
  ASSERT_EQ(list.Count, 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_NE(list.TextureIds[i], 0u) << i;
  EXPECT_NE(list.TextureIds[0], list.TextureIds[1]);

  const struct {
    const char* key;
    uint32_t texture;
  } cases[] = {
      {"NOGI", list.TextureIds[0]},  // both files have this key: the first wins
      {"nogi", 0},
      {"NOGI ", 0},
      {"A_TEXTURE_NAME_LONGER_THAN_32_CH", list.TextureIds[2]},
      {"A_TEXTURE_NAME_LONGER_THAN_32_CHARS", 0},
      {"MISSING", 0},
      {"", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindTexture(list, c.key), c.texture) << "\"" << c.key << "\"";
}

TEST(TextureImages, TopRowOfTheImageIsAtTZero)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  TTempDir dir;
  WriteBytes(dir.File("stripes.jpg"), TopRedBottomBlue(64, 64));
  const uint32_t texture = LoadTexture(dir.File("stripes.jpg"), GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
  ASSERT_NE(texture, 0u);
  const std::vector<uint8_t> frame = DrawFullScreen(texture, Black, false);
  ExpectColour(PixelAt(frame, 320, 40), Red, "top");
  ExpectColour(PixelAt(frame, 320, 440), Blue, "bottom");
}

TEST(TextureImages, AnySizeKeepsItsCornersInPlace)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  const TRgb quadrant[2][2] = {{Red, Green}, {Blue, White}};  // [top/bottom][left/right]
  // Odd row lengths (30 x 3 bytes) would show a wrong unpack alignment.
  const struct {
    int width, height;
  } sizes[] = {{100, 60}, {30, 20}, {64, 64}, {17, 9}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
    TTempDir dir;
    WriteBytes(dir.File("quads.jpg"), EncodeJpeg(size.width, size.height, [&](int x, int y) {
                 return quadrant[y >= size.height / 2][x >= size.width / 2];
               }));
    const uint32_t texture = LoadTexture(dir.File("quads.jpg"), GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
    const std::vector<uint8_t> frame = DrawFullScreen(texture, Black, false);
    ExpectColour(PixelAt(frame, 60, 40), Red, "top left");
    ExpectColour(PixelAt(frame, 580, 40), Green, "top right");
    ExpectColour(PixelAt(frame, 60, 440), Blue, "bottom left");
    ExpectColour(PixelAt(frame, 580, 440), White, "bottom right");
  }
}

TEST(TextureImages, AlphaComesFromTheBlueOfTheSecondImage)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  const struct {
    const char* what;
    bool greyscale;
    TRgb opaque, clear;
  } cases[] = {
      // Yellow has full red and green but no blue: transparent.
      {"colour alpha image", false, Blue, {255, 255, 0}},
      {"greyscale alpha image", true, White, Black},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TTempDir dir;
    WriteBytes(dir.File("colour.jpg"), SolidJpeg(32, 32, Red));
    WriteBytes(dir.File("alpha.jpg"),
               EncodeJpeg(
                   32, 32, [&](int x, int) { return x < 16 ? c.opaque : c.clear; }, c.greyscale));
    const uint32_t texture =
        LoadAlphaTexture(dir.File("colour.jpg"), dir.File("alpha.jpg"), GL_LINEAR, GL_LINEAR);
    const std::vector<uint8_t> frame = DrawFullScreen(texture, Green, true);
    ExpectColour(PixelAt(frame, 100, 240), Red, "left half, opaque");
    ExpectColour(PixelAt(frame, 540, 240), Green, "right half, transparent");
  }
}

TEST(RenderTargets, BlackWithLinearFiltersAndNoMipmaps)
{
  std::string error;
  ASSERT_TRUE(UseHeadlessContext(error)) << error;
  const struct {
    int width, height;
  } sizes[] = {{1024, 512}, {256, 256}, {128, 128}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
    const uint32_t texture = CreateRenderTarget(size.width, size.height);
    ASSERT_NE(texture, 0u);
    GLint mag = 0, min = 0, width = 0, height = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(mag, GL_LINEAR);
    EXPECT_EQ(min, GL_LINEAR);
    EXPECT_EQ(width, size.width);
    EXPECT_EQ(height, size.height);
    // An incomplete texture would leave the white background showing.
    const std::vector<uint8_t> frame = DrawFullScreen(texture, White, false);
    for (int y : {0, 239, 479})
      for (int x : {0, 320, 639})
        ExpectColour(PixelAt(frame, x, y), Black,
                     "pixel " + std::to_string(x) + ", " + std::to_string(y));
  }
}
