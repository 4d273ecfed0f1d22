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
int FrameSamples = 1;             // 1: not multisampled
// With multisampling, the single-sampled colour every read is resolved into.
GLuint ResolveObject = 0;
GLuint ResolveBuffer = 0;

// Storage for one renderbuffer of the frame, multisampled or not.
void Storage(GLuint buffer, GLenum format, int samples)
{
  glBindRenderbuffer(GL_RENDERBUFFER, buffer);
  if (samples > 1)
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, FrameWidth, FrameHeight);
  else
    glRenderbufferStorage(GL_RENDERBUFFER, format, FrameWidth, FrameHeight);
}

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
  Storage(FrameBuffers[0], GL_RGB8, FrameSamples);
  Storage(FrameBuffers[1], GL_DEPTH24_STENCIL8, FrameSamples);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  if (FrameSamples > 1) {
    if (!ResolveObject) {
      glGenFramebuffers(1, &ResolveObject);
      glGenRenderbuffers(1, &ResolveBuffer);
    }
    Storage(ResolveBuffer, GL_RGB8, 1);
    glBindFramebuffer(GL_FRAMEBUFFER, ResolveObject);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, ResolveBuffer);
  }

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

bool ChooseFrameSamples(int samples, std::string& error)
{
  if (samples == FrameSamples)
    return true;
  if (samples != 1) {
    GLint most = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &most);
    std::string offered;
    for (int n : {2, 4, 8})
      if (n <= most)
        offered += (offered.empty() ? "" : ", ") + std::to_string(n);
    if ((samples != 2 && samples != 4 && samples != 8) || samples > most) {
      error = "multisampling with " + std::to_string(samples) + " samples is not offered; " +
              (offered.empty() ? std::string("the driver offers none")
                               : "the driver offers " + offered);
      return false;
    }
  }
  FrameSamples = samples;
  return !FrameObject || MakeFrameStorage(error);
}

int FrameSampleCount()
{
  return FrameSamples;
}

void BeginFrameRead()
{
  if (FrameSamples > 1) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, FrameObject);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, ResolveObject);
    glBlitFramebuffer(0, 0, FrameWidth, FrameHeight, 0, 0, FrameWidth, FrameHeight,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, FrameObject);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, ResolveObject);
  }
}

void EndFrameRead()
{
  if (FrameSamples > 1)
    glBindFramebuffer(GL_FRAMEBUFFER, FrameObject);
}

void SaveFrameContents()
{
  glGenRenderbuffers(2, SavedBuffers);
  Storage(SavedBuffers[0], GL_RGB8, FrameSamples);
  Storage(SavedBuffers[1], GL_DEPTH24_STENCIL8, FrameSamples);
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
  BeginFrameRead();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, FrameWidth, FrameHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  EndFrameRead();
  rgb.resize(row * FrameHeight);
  for (int y = 0; y < FrameHeight; ++y)
    std::copy(bottomUp.begin() + (FrameHeight - 1 - y) * row,
              bottomUp.begin() + (FrameHeight - y) * row, rgb.begin() + y * row);
}

TFrameFit FrameToFit(int width, int height)
{
  // A width that is a multiple of 4 keeps the frame exactly 4:3.
  int frameWidth = std::min({width, height * 4 / 3, LargestFrameWidth}) / 4 * 4;
  if (frameWidth < SmallestFrameWidth)
    frameWidth = 0;
  const int frameHeight = frameWidth * 3 / 4;
  return {frameWidth, frameHeight, (width - frameWidth) / 2, (height - frameHeight) / 2};
}

TFitRect FitFrameToWindow(int windowWidth, int windowHeight)
{
  // A frame drawn at the window's own fit is shown pixel for pixel.
  const TFrameFit native = FrameToFit(windowWidth, windowHeight);
  if (native.FrameWidth == FrameWidth && native.FrameHeight == FrameHeight &&
      FrameWidth != BaseFrameWidth)
    return TFitRect{native.Left, windowHeight - native.Top - FrameHeight, FrameWidth, FrameHeight};
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
  BeginFrameRead();
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBlitFramebuffer(0, 0, FrameWidth, FrameHeight, fit.x, fit.y, fit.x + fit.width,
                    fit.y + fit.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor)
    glEnable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_FRAMEBUFFER, FrameObject);
}
