#include "engine/framebuffer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

namespace {

GLuint FrameObject = 0;

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

bool CreateFrameBuffer(std::string& error)
{
  GLuint colour = 0;
  GLuint depth = 0;
  glGenRenderbuffers(1, &colour);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, FrameWidth, FrameHeight);
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, FrameWidth, FrameHeight);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);

  glGenFramebuffers(1, &FrameObject);
  glBindFramebuffer(GL_FRAMEBUFFER, FrameObject);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
  const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  if (status != GL_FRAMEBUFFER_COMPLETE) {
    error = "the 640 x 480 frame buffer is incomplete (status " + std::to_string(status) + ")";
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
