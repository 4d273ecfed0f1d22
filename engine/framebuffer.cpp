#include "engine/framebuffer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>

int FrameWidth = BaseFrameWidth;
int FrameHeight = BaseFrameHeight;

namespace {

GLuint FrameObject = 0;
GLuint FrameBuffers[2] = {0, 0};  // colour, depth and stencil

// The copy of SaveFrameContents: a frame buffer object and its two buffers.
GLuint SavedObject = 0;
GLuint SavedBuffers[2] = {0, 0};

// Colour, depth and stencil of one frame buffer object into another, pixel for
// pixel.
void CopyFrame(GLuint from, GLuint to)
{
  glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
  glBlitFramebuffer(0, 0, FrameWidth, FrameHeight, 0, 0, FrameWidth, FrameHeight,
                    GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT,
                    GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, FrameObject);
}

}  // namespace

static bool MakeFrameStorage(std::string& error);

double FrameScale()
{
  return static_cast<double>(FrameWidth) / BaseFrameWidth;
}

int FramePixels(double length)
{
  const int pixels = static_cast<int>(std::lround(length * FrameScale()));
  return pixels < 1 ? 1 : pixels;
}

bool CheckFrameSize(int width, int height, std::string& error)
{
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (static_cast<long>(width) * 3 != static_cast<long>(height) * 4) {
    error = "the frame " + size + " is not 4:3";
    return false;
  }
  if (width < SmallestFrameWidth || width > LargestFrameWidth) {
    error = "the frame " + size + " is outside 320x240 to 2880x2160";
    return false;
  }
  return true;
}

bool ChooseFrameSize(int width, int height, std::string& error)
{
  if (!CheckFrameSize(width, height, error))
    return false;
  if (FrameObject) {
    GLint renderbufferLimit = 0;
    GLint textureLimit = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbufferLimit);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureLimit);
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (width > renderbufferLimit || height > renderbufferLimit) {
      error = "the frame " + size + " is larger than the driver's renderbuffers (" +
              std::to_string(renderbufferLimit) + " pixels a side)";
      return false;
    }
    // The screen copies are the smallest powers of two that hold the frame.
    int copy = 1;
    while (copy < width)
      copy *= 2;
    if (copy > textureLimit) {
      error = "the frame " + size + " needs " + std::to_string(copy) +
              "-pixel screen copies, larger than the driver's textures (" +
              std::to_string(textureLimit) + " pixels a side)";
      return false;
    }
  }
  FrameWidth = width;
  FrameHeight = height;
  if (FrameObject)
    return MakeFrameStorage(error);
  return true;
}

bool CreateFrameBuffer(std::string& error)
{
  glGenRenderbuffers(2, FrameBuffers);
  glGenFramebuffers(1, &FrameObject);
  return MakeFrameStorage(error);
}

static bool MakeFrameStorage(std::string& error)
{
  glBindRenderbuffer(GL_RENDERBUFFER, FrameBuffers[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, FrameWidth, FrameHeight);
  glBindRenderbuffer(GL_RENDERBUFFER, FrameBuffers[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, FrameWidth, FrameHeight);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);

  glBindFramebuffer(GL_FRAMEBUFFER, FrameObject);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, FrameBuffers[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            FrameBuffers[1]);
  const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    error = "the " + std::to_string(FrameWidth) + " x " + std::to_string(FrameHeight) +
            " frame buffer is incomplete (status " + std::to_string(status) + ")";
    return false;
  }
  glViewport(0, 0, FrameWidth, FrameHeight);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  return true;
}

void SaveFrameContents()
{
  glGenRenderbuffers(2, SavedBuffers);
  glBindRenderbuffer(GL_RENDERBUFFER, SavedBuffers[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, FrameWidth, FrameHeight);
  glBindRenderbuffer(GL_RENDERBUFFER, SavedBuffers[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, FrameWidth, FrameHeight);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glGenFramebuffers(1, &SavedObject);
  glBindFramebuffer(GL_FRAMEBUFFER, SavedObject);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, SavedBuffers[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            SavedBuffers[1]);
  CopyFrame(FrameObject, SavedObject);
}

void RestoreFrameContents()
{
  CopyFrame(SavedObject, FrameObject);
  glDeleteFramebuffers(1, &SavedObject);
  glDeleteRenderbuffers(2, SavedBuffers);
  SavedObject = 0;
}

void ReadFramePixels(std::vector<uint8_t>& rgb)
{
  const size_t row = FrameWidth * 3;
  std::vector<uint8_t> bottomUp(row * FrameHeight);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, FrameObject);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, FrameWidth, FrameHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  rgb.resize(row * FrameHeight);
  for (int y = 0; y < FrameHeight; ++y)
    std::copy(bottomUp.begin() + (FrameHeight - 1 - y) * row,
              bottomUp.begin() + (FrameHeight - y) * row, rgb.begin() + y * row);
}

TFitRect FitFrameToWindow(int windowWidth, int windowHeight)
{
  // The larger of the two scales that still fits, in integer arithmetic.
  int width = windowWidth;
  int height = static_cast<int>(static_cast<long>(windowWidth) * FrameHeight / FrameWidth);
  if (height > windowHeight) {
    height = windowHeight;
    width = static_cast<int>(static_cast<long>(windowHeight) * FrameWidth / FrameHeight);
  }
  return TFitRect{(windowWidth - width) / 2, (windowHeight - height) / 2, width, height};
}

void BlitFrameToWindow(int windowWidth, int windowHeight)
{
  const TFitRect fit = FitFrameToWindow(windowWidth, windowHeight);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, FrameObject);
  glBlitFramebuffer(0, 0, FrameWidth, FrameHeight, fit.x, fit.y, fit.x + fit.width,
                    fit.y + fit.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor)
    glEnable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_FRAMEBUFFER, FrameObject);
}
