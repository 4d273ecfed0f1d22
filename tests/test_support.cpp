#include "test_support.h"

#include "engine/framebuffer.h"
#include "engine/headless.h"
#include "host/headlessdemo.h"
#include "host/timeline.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TTempDir::TTempDir()
{
  char pattern[] = "/tmp/mvrk_test_XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (!made)
    throw std::runtime_error("mkdtemp failed");
  Dir = made;
}

TTempDir::~TTempDir()
{
  if (!Previous.empty() && ::chdir(Previous.c_str()) != 0)
    std::perror("chdir back");
  std::error_code ignored;
  std::filesystem::remove_all(Dir, ignored);
}

void TTempDir::Enter()
{
  Previous = std::filesystem::current_path().string();
  if (::chdir(Dir.c_str()) != 0)
    throw std::runtime_error("chdir into " + Dir + " failed");
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    throw std::runtime_error("cannot write " + path);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

void WriteText(const std::string& path, const std::string& text)
{
  WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool UseHeadlessContext(std::string& error)
{
  return CreateHeadlessContext(error);
}

bool UseStartedDemo(std::string& error)
{
  static bool tried = false;
  static bool ok = false;
  static std::string reason;
  if (!tried) {
    tried = true;
    const char* content = std::getenv("MVRK_TEST_CONTENT");
    if (!content || !std::filesystem::exists(std::string(content) + "/data"))
      reason = "no generated content (MVRK_TEST_CONTENT is set by ctest)";
    else if (::chdir(content) != 0)
      reason = std::string("cannot enter ") + content;
    else
      ok = StartHeadlessDemo(".", BaseFrameWidth, BaseFrameHeight, 1, [] {}, reason);
  }
  error = reason;
  return ok;
}

uint32_t BlankFont()
{
  static GLuint id = 0;
  if (id == 0) {
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    const std::vector<uint8_t> texels(16 * 16 * 4, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  }
  return id;
}

TDefaultFrameGuard::~TDefaultFrameGuard()
{
  std::string error;
  FailNextFramePiece(TFramePiece::None);
  if (MakeFrame(BaseFrameWidth, BaseFrameHeight, 1, error))
    SetupViewport(FrameWidth, FrameHeight);
  StartFramesAfresh();
}

int TextureSide(uint32_t texture, uint32_t which)
{
  GLint value = 0;
  glBindTexture(GL_TEXTURE_2D, texture);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, which, &value);
  return value;
}

std::vector<uint8_t> TexturePixels(uint32_t texture)
{
  const int width = TextureSide(texture, GL_TEXTURE_WIDTH);
  const int height = TextureSide(texture, GL_TEXTURE_HEIGHT);
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return rgb;
}

std::vector<uint8_t> ReadFrame()
{
  std::vector<uint8_t> rgb;
  ReadFramePixels(rgb);
  return rgb;
}

TPixel PixelAt(const std::vector<uint8_t>& frame, int x, int y)
{
  const size_t i = (static_cast<size_t>(y) * FrameWidth + x) * 3;
  return TPixel{frame[i], frame[i + 1], frame[i + 2]};
}
