#include "engine/textures.h"

#include "engine/fatal.h"
#include "engine/paths.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>

TTextureList Textures;

namespace {

// Larger images are refused before their pixels are allocated: the demo's
// images are far smaller, and a damaged header may claim anything.
constexpr int MaxImageSide = 8192;
// A cap on libjpeg's own working memory (progressive images buffer the
// whole image's coefficients).
constexpr long MaxDecoderMemory = 512L * 1024 * 1024;

// libjpeg reports errors through error_exit, which must not return; this one
// keeps the message and jumps back into DecodeJpeg instead of ending the
// process. Warnings (damaged or truncated data) are treated as errors.
struct TJpegErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void JumpWithReason(j_common_ptr cinfo)
{
  auto* manager = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->Message);
  std::longjmp(manager->Jump, 1);
}

void RefuseWarnings(j_common_ptr cinfo, int level)
{
  if (level < 0)
    JumpWithReason(cinfo);
}

TRgbImage ReadImage(const std::string& fileName)
{
  std::vector<uint8_t> bytes;
  std::string error;
  TRgbImage image;
  if (!ReadFileBytes(fileName, bytes, error) ||
      !DecodeJpeg(bytes.data(), bytes.size(), image, error))
    FatalFileError(fileName, error);
  return image;
}

// Uploads a tightly packed image and all its mipmap levels; GLU scales sides
// that are not powers of two.
void BuildMipmaps(const std::string& fileName, int components, GLenum format, int width, int height,
                  const uint8_t* pixels)
{
  GLint alignment;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const GLint result =
      gluBuild2DMipmaps(GL_TEXTURE_2D, components, width, height, format, GL_UNSIGNED_BYTE, pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  if (result != 0)
    FatalFileError(fileName, std::string("cannot build the texture: ") +
                                 reinterpret_cast<const char*>(gluErrorString(result)));
}

GLuint NewTexture(int magFilter, int minFilter)
{
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  return name;
}

}  // namespace

bool DecodeJpeg(const uint8_t* bytes, size_t size, TRgbImage& image, std::string& error)
{
  jpeg_decompress_struct cinfo;
  TJpegErrorManager manager;
  cinfo.err = jpeg_std_error(&manager.Base);
  manager.Base.error_exit = JumpWithReason;
  manager.Base.emit_message = RefuseWarnings;
  manager.Message[0] = '\0';
  image.Width = 0;
  image.Height = 0;
  image.Pixels.clear();
  if (setjmp(manager.Jump)) {
    jpeg_destroy_decompress(&cinfo);
    error = manager.Message;
    image.Width = 0;
    image.Height = 0;
    image.Pixels.clear();
    return false;
  }

  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = MaxDecoderMemory;
  jpeg_mem_src(&cinfo, bytes, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.image_width > MaxImageSide || cinfo.image_height > MaxImageSide) {
    std::snprintf(manager.Message, sizeof manager.Message,
                  "image of %u x %u pixels is larger than %d x %d", cinfo.image_width,
                  cinfo.image_height, MaxImageSide, MaxImageSide);
    std::longjmp(manager.Jump, 1);
  }
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);

  const size_t stride = static_cast<size_t>(cinfo.output_width) * 3;
  image.Width = static_cast<int>(cinfo.output_width);
  image.Height = static_cast<int>(cinfo.output_height);
  // Rows are appended as they are decoded, so memory follows the data that
  // is really there rather than what the header claims.
  while (cinfo.output_scanline < cinfo.output_height) {
    const size_t offset = static_cast<size_t>(cinfo.output_scanline) * stride;
    image.Pixels.resize(offset + stride);
    JSAMPROW row = image.Pixels.data() + offset;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

uint32_t LoadTexture(const std::string& fileName, int magFilter, int minFilter)
{
  const TRgbImage image = ReadImage(fileName);
  const GLuint name = NewTexture(magFilter, minFilter);
  BuildMipmaps(fileName, 3, GL_RGB, image.Width, image.Height, image.Pixels.data());
  return name;
}

uint32_t LoadAlphaTexture(const std::string& colourFile, const std::string& alphaFile,
                          int magFilter, int minFilter)
{
  const TRgbImage colour = ReadImage(colourFile);
  const TRgbImage alpha = ReadImage(alphaFile);
  if (colour.Width != alpha.Width || colour.Height != alpha.Height)
    FatalFileError(alphaFile, "alpha image of " + std::to_string(alpha.Width) + " x " +
                                  std::to_string(alpha.Height) + " pixels does not match the " +
                                  std::to_string(colour.Width) + " x " +
                                  std::to_string(colour.Height) + " of " + colourFile);

  const size_t pixels = static_cast<size_t>(colour.Width) * colour.Height;
  std::vector<uint8_t> rgba(pixels * 4);
  for (size_t i = 0; i < pixels; ++i) {
    rgba[i * 4 + 0] = colour.Pixels[i * 3 + 0];
    rgba[i * 4 + 1] = colour.Pixels[i * 3 + 1];
    rgba[i * 4 + 2] = colour.Pixels[i * 3 + 2];
    rgba[i * 4 + 3] = alpha.Pixels[i * 3 + 2];
  }
  const GLuint name = NewTexture(magFilter, minFilter);
  BuildMipmaps(colourFile, 4, GL_RGBA, colour.Width, colour.Height, rgba.data());
  return name;
}

uint32_t CreateRenderTarget(int width, int height)
{
  const std::vector<uint8_t> black(
      width > 0 && height > 0 ? static_cast<size_t>(width) * height * 3 : 0, 0);
  const GLuint name = NewTexture(GL_LINEAR, GL_LINEAR);
  GLint alignment;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, black.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  return name;
}

void ClearRenderTarget(uint32_t texture, int width, int height)
{
  const std::vector<uint8_t> black(static_cast<size_t>(width) * height * 3, 0);
  glBindTexture(GL_TEXTURE_2D, texture);
  GLint alignment;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, black.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

std::string TextureKey(const std::string& fileName)
{
  std::string key = fileName.substr(0, fileName.find('.'));
  const size_t backslash = key.rfind('\\');
  if (backslash != std::string::npos)
    key.erase(0, backslash + 1);
  const size_t slash = key.rfind('/');
  if (slash != std::string::npos)
    key.erase(0, slash + 1);
  return UpperCaseAscii(key);
}

bool ListTexture(TTextureList& list, const std::string& key, uint32_t texture)
{
  if (list.Count < 0 || list.Count >= TextureListCapacity)
    return false;
  list.TextureKeys[list.Count] = key.substr(0, TextureKeyLength);
  list.TextureIds[list.Count] = texture;
  ++list.Count;
  return true;
}

void AddTexture(TTextureList& list, const std::string& fileName)
{
  const uint32_t texture = LoadTexture(fileName, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
  if (!ListTexture(list, TextureKey(fileName), texture))
    FatalFileError(fileName, "the texture list is full (" + std::to_string(TextureListCapacity) +
                                 " textures)");
}

uint32_t FindTexture(const TTextureList& list, const std::string& key)
{
  const int count = std::clamp(list.Count, 0, TextureListCapacity);
  for (int i = 0; i < count; ++i)
    if (list.TextureKeys[i] == key)
      return list.TextureIds[i];
  return 0;
}
