#include "engine/framebuffer.h"

#include "engine/numbers.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>

int FrameWidth = BaseFrameWidth;
int FrameHeight = BaseFrameHeight;

namespace {

// The frame's objects: the frame buffer object with its colour and its
// depth-and-stencil render buffers and, with multisampling, the
// single-sampled colour every read is resolved into.
struct TFrameStorage {
  GLuint Object = 0;
  GLuint Colour = 0;
  GLuint DepthStencil = 0;
  GLuint ResolveObject = 0;
  GLuint ResolveColour = 0;
};

TFrameStorage Frame;
int FrameSamples = 1;  // 1: not multisampled

// Storage for one renderbuffer of the frame, multisampled or not.
void Storage(GLuint buffer, GLenum format, int width, int height, int samples)
{
  glBindRenderbuffer(GL_RENDERBUFFER, buffer);
  if (samples > 1)
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
  else
    glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
}

void DeleteStorage(TFrameStorage& storage)
{
  glDeleteFramebuffers(1, &storage.Object);
  glDeleteRenderbuffers(1, &storage.Colour);
  glDeleteRenderbuffers(1, &storage.DepthStencil);
  if (storage.ResolveObject) {
    glDeleteFramebuffers(1, &storage.ResolveObject);
    glDeleteRenderbuffers(1, &storage.ResolveColour);
  }
  storage = TFrameStorage();
}

std::string SizeText(int width, int height)
{
  return std::to_string(width) + "x" + std::to_string(height);
}

// What of a width x height frame the driver cannot hold: its render buffers,
// its viewport, and the screen copies the effects make of it (the smallest
// powers of two that hold it). Empty when it holds all.
std::string DriverLimit(int width, int height)
{
  GLint renderbufferLimit = 0;
  GLint textureLimit = 0;
  GLint viewportLimit[2] = {0, 0};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbufferLimit);
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureLimit);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewportLimit);
  const std::string frame = "the frame " + SizeText(width, height);
  if (width > renderbufferLimit || height > renderbufferLimit)
    return frame + " is larger than the driver's render buffers (" +
           std::to_string(renderbufferLimit) + " pixels a side)";
  if (width > viewportLimit[0] || height > viewportLimit[1])
    return frame + " is larger than the driver's viewport (" +
           SizeText(viewportLimit[0], viewportLimit[1]) + ")";
  const int copyWidth = PowerOfTwoAtLeast(width);
  const int copyHeight = PowerOfTwoAtLeast(height);
  if (copyWidth > textureLimit || copyHeight > textureLimit)
    return frame + " needs " + SizeText(copyWidth, copyHeight) +
           " screen copies, larger than the driver's textures (" + std::to_string(textureLimit) +
           " pixels a side)";
  return "";
}

// Makes the frame's storage at width x height with that many samples, all
// or nothing: the new objects are made and checked beside the old ones, which
// are released only once the new are complete. On success the new frame is
// bound, black, with the viewport over it; on failure the old frame, its
// binding and the rest of the GL state are as they were.
bool MakeFrameStorage(int width, int height, int samples, std::string& error)
{
  error = DriverLimit(width, height);
  if (!error.empty())
    return false;
  while (glGetError() != GL_NO_ERROR) {
  }
  TFrameStorage fresh;
  glGenFramebuffers(1, &fresh.Object);
  glGenRenderbuffers(1, &fresh.Colour);
  glGenRenderbuffers(1, &fresh.DepthStencil);
  Storage(fresh.Colour, GL_RGB8, width, height, samples);
  Storage(fresh.DepthStencil, GL_DEPTH24_STENCIL8, width, height, samples);
  GLenum status = GL_FRAMEBUFFER_COMPLETE;
  if (samples > 1) {
    glGenFramebuffers(1, &fresh.ResolveObject);
    glGenRenderbuffers(1, &fresh.ResolveColour);
    Storage(fresh.ResolveColour, GL_RGB8, width, height, 1);
    glBindFramebuffer(GL_FRAMEBUFFER, fresh.ResolveObject);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              fresh.ResolveColour);
    status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  }
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, fresh.Object);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, fresh.Colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            fresh.DepthStencil);
  if (status == GL_FRAMEBUFFER_COMPLETE)
    status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  const GLenum glError = glGetError();
  if (status != GL_FRAMEBUFFER_COMPLETE || glError != GL_NO_ERROR) {
    glBindFramebuffer(GL_FRAMEBUFFER, Frame.Object);
    DeleteStorage(fresh);
    error = "the driver cannot make the " + SizeText(width, height) + " frame" +
            (samples > 1 ? " with " + std::to_string(samples) + " samples" : std::string()) +
            (glError == GL_OUT_OF_MEMORY ? std::string(": out of memory")
             : glError != GL_NO_ERROR    ? " (GL error " + std::to_string(glError) + ")"
                                         : " (frame buffer status " + std::to_string(status) + ")");
    return false;
  }

  if (Frame.Object)
    DeleteStorage(Frame);
  Frame = fresh;
  FrameWidth = width;
  FrameHeight = height;
  FrameSamples = samples;
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor)
    glEnable(GL_SCISSOR_TEST);
  glViewport(0, 0, FrameWidth, FrameHeight);
  return true;
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
  glBindFramebuffer(GL_FRAMEBUFFER, Frame.Object);
}

// Division rounding toward minus infinity, for centring in an output smaller
// than the frame.
int FloorHalf(int n)
{
  return n >= 0 ? n / 2 : -((1 - n) / 2);
}

}  // namespace

double FrameScale()
{
  return static_cast<double>(FrameWidth) / BaseFrameWidth;
}

int FramePixels(double length)
{
  const int pixels = static_cast<int>(RoundEven(length * FrameScale()));
  return pixels < 1 ? 1 : pixels;
}

TLetterbox FrameLetterbox(int frameHeight)
{
  const int bar = static_cast<int>(RoundEven(frameHeight / 8.0));
  return {bar, frameHeight - 2 * bar};
}

bool CheckFrameSize(int width, int height, std::string& error)
{
  const std::string size = SizeText(width, height);
  if (static_cast<long>(width) * 3 != static_cast<long>(height) * 4) {
    error = "the frame " + size + " is not 4:3";
    return false;
  }
  if (width < SmallestFrameWidth) {
    error = "the frame " + size + " is smaller than " +
            SizeText(SmallestFrameWidth, SmallestFrameWidth * 3 / 4);
    return false;
  }
  return true;
}

bool ChooseFrameSize(int width, int height, std::string& error)
{
  if (!CheckFrameSize(width, height, error))
    return false;
  if (Frame.Object)
    return MakeFrameStorage(width, height, FrameSamples, error);
  FrameWidth = width;
  FrameHeight = height;
  return true;
}

bool CreateFrameBuffer(std::string& error)
{
  return MakeFrameStorage(FrameWidth, FrameHeight, FrameSamples, error);
}

bool ChooseFrameSamples(int samples, std::string& error)
{
  if (samples == FrameSamples)
    return true;
  if (samples != 1) {
    GLint most = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &most);
    std::string offered;
    for (int n : FrameSampleCounts)
      if (n <= most)
        offered += (offered.empty() ? "" : ", ") + std::to_string(n);
    if (!IsFrameSampleCount(samples) || samples > most) {
      error = "multisampling with " + std::to_string(samples) + " samples is not offered; " +
              (offered.empty() ? std::string("the driver offers none")
                               : "the driver offers " + offered);
      return false;
    }
  }
  if (Frame.Object)
    return MakeFrameStorage(FrameWidth, FrameHeight, samples, error);
  FrameSamples = samples;
  return true;
}

bool IsFrameSampleCount(int samples)
{
  for (int n : FrameSampleCounts)
    if (n == samples)
      return true;
  return false;
}

int FrameSampleCount()
{
  return FrameSamples;
}

void BeginFrameRead()
{
  if (FrameSamples > 1) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Frame.Object);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, Frame.ResolveObject);
    glBlitFramebuffer(0, 0, FrameWidth, FrameHeight, 0, 0, FrameWidth, FrameHeight,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, Frame.Object);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Frame.ResolveObject);
  }
}

void EndFrameRead()
{
  if (FrameSamples > 1)
    glBindFramebuffer(GL_FRAMEBUFFER, Frame.Object);
}

void SaveFrameContents()
{
  glGenRenderbuffers(2, SavedBuffers);
  Storage(SavedBuffers[0], GL_RGB8, FrameWidth, FrameHeight, FrameSamples);
  Storage(SavedBuffers[1], GL_DEPTH24_STENCIL8, FrameWidth, FrameHeight, FrameSamples);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glGenFramebuffers(1, &SavedObject);
  glBindFramebuffer(GL_FRAMEBUFFER, SavedObject);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, SavedBuffers[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            SavedBuffers[1]);
  CopyFrame(Frame.Object, SavedObject);
}

void RestoreFrameContents()
{
  CopyFrame(SavedObject, Frame.Object);
  glDeleteFramebuffers(1, &SavedObject);
  glDeleteRenderbuffers(2, SavedBuffers);
  SavedObject = 0;
}

void ReadFramePixels(std::vector<uint8_t>& rgb)
{
  const size_t row = static_cast<size_t>(FrameWidth) * 3;
  std::vector<uint8_t> bottomUp(row * FrameHeight);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, Frame.Object);
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
  // The widest frame whose band fits: 9/16 of its width, give or take the
  // rounding of the bars, so start there and step down. A width that is a
  // multiple of 4 keeps the frame exactly 4:3.
  const long byHeight = static_cast<long>(height) * 16 / 9;
  int frameWidth = static_cast<int>(std::min<long>(width, byHeight + 4)) / 4 * 4;
  while (frameWidth >= SmallestFrameWidth && FrameLetterbox(frameWidth * 3 / 4).Band > height)
    frameWidth -= 4;
  if (frameWidth < SmallestFrameWidth)
    return {0, 0, width / 2, height / 2};
  const int frameHeight = frameWidth * 3 / 4;
  return {frameWidth, frameHeight, FloorHalf(width - frameWidth), FloorHalf(height - frameHeight)};
}

TFitRect FitFrameToWindow(int windowWidth, int windowHeight)
{
  const TFrameFit native = FrameToFit(windowWidth, windowHeight);
  if (native.FrameWidth == FrameWidth && native.FrameHeight == FrameHeight)
    return TFitRect{native.Left, windowHeight - native.Top - FrameHeight, FrameWidth, FrameHeight};
  // Scaled: the larger of the two scales at which the frame's width and its
  // band's height still fit, in integer arithmetic, the band centred.
  const int band = FrameLetterbox(FrameHeight).Band;
  long width = windowWidth;
  long height = static_cast<long>(windowWidth) * FrameHeight / FrameWidth;
  if (static_cast<long>(windowWidth) * band > static_cast<long>(windowHeight) * FrameWidth) {
    height = static_cast<long>(windowHeight) * FrameHeight / band;
    width = height * FrameWidth / FrameHeight;
  }
  const int top = FloorHalf(windowHeight - static_cast<int>(height));
  return TFitRect{FloorHalf(windowWidth - static_cast<int>(width)),
                  windowHeight - top - static_cast<int>(height), static_cast<int>(width),
                  static_cast<int>(height)};
}

void BlitFrameToWindow(int windowWidth, int windowHeight)
{
  const TFitRect fit = FitFrameToWindow(windowWidth, windowHeight);
  const bool native = fit.width == FrameWidth && fit.height == FrameHeight;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, Frame.Object);
  BeginFrameRead();
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // What reaches past the window is clipped away.
  glBlitFramebuffer(0, 0, FrameWidth, FrameHeight, fit.x, fit.y, fit.x + fit.width,
                    fit.y + fit.height, GL_COLOR_BUFFER_BIT, native ? GL_NEAREST : GL_LINEAR);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor)
    glEnable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_FRAMEBUFFER, Frame.Object);
}
