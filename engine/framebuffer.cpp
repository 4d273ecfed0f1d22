#include "engine/framebuffer.h"

#include "engine/numbers.h"
#include "engine/textures.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>

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

// The frame as MakeFrame last made it.
TFrameStorage Frame;
TFrameTargets Targets;
int Width = BaseFrameWidth;
int Height = BaseFrameHeight;
int Samples = 1;  // 1: not multisampled

// The piece the next MakeFrame is to fail at (FailNextFramePiece).
TFramePiece FailingPiece = TFramePiece::None;
// A side every driver refuses (GL_INVALID_VALUE), for the failing piece.
constexpr int RefusedSide = -1;

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

void DeleteTargets(TFrameTargets& targets)
{
  for (uint32_t* texture : {&targets.ScreenCopyA, &targets.ScreenCopyB, &targets.GlowTexture,
                            &targets.BlurTexture})
    if (*texture)
      glDeleteTextures(1, texture);
  targets = TFrameTargets();
}

std::string SizeText(int width, int height)
{
  return std::to_string(width) + "x" + std::to_string(height);
}

// The side a piece is made at: side, or RefusedSide for the failing piece.
int PieceSide(TFramePiece piece, TFramePiece failing, int side)
{
  return piece == failing ? RefusedSide : side;
}

// What of a width x height frame the driver cannot hold: its render buffers,
// its viewport, and its screen copies. Empty when it holds all.
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
  const int copyWidth = ScreenCopySide(width);
  const int copyHeight = ScreenCopySide(height);
  if (copyWidth > textureLimit || copyHeight > textureLimit)
    return frame + " needs " + SizeText(copyWidth, copyHeight) +
           " screen copies, larger than the driver's textures (" + std::to_string(textureLimit) +
           " pixels a side)";
  return "";
}

// Whether the driver offers the sample count; the reason, naming what it
// offers, otherwise.
std::string SamplesRefused(int samples)
{
  if (samples == 1)
    return "";
  GLint most = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &most);
  if (IsFrameSampleCount(samples) && samples <= most)
    return "";
  std::string offered;
  for (int n : FrameSampleCounts)
    if (n <= most)
      offered += (offered.empty() ? "" : ", ") + std::to_string(n);
  return "multisampling with " + std::to_string(samples) + " samples is not offered; " +
         (offered.empty() ? std::string("the driver offers none") : "the driver offers " + offered);
}

// The reason of a GL error or an incomplete frame buffer status.
std::string DriverRefusal(GLenum glError, GLenum status)
{
  return glError == GL_OUT_OF_MEMORY ? std::string(": out of memory")
         : glError != GL_NO_ERROR    ? " (GL error " + std::to_string(glError) + ")"
                                     : " (frame buffer status " + std::to_string(status) + ")";
}

// Makes the frame buffer objects and render buffers of a width x height frame
// with that many samples into fresh, leaving fresh's frame buffer object
// bound. False with the GL error or the frame buffer status when the driver
// refuses them; the caller releases what was made either way. failing: the
// piece to be refused (FailNextFramePiece).
bool MakeStorage(TFrameStorage& fresh, int width, int height, int samples, TFramePiece failing,
                 GLenum& glError, GLenum& status)
{
  const int colourWidth = PieceSide(TFramePiece::Storage, failing, width);
  glGenFramebuffers(1, &fresh.Object);
  glGenRenderbuffers(1, &fresh.Colour);
  glGenRenderbuffers(1, &fresh.DepthStencil);
  Storage(fresh.Colour, GL_RGB8, colourWidth, height, samples);
  Storage(fresh.DepthStencil, GL_DEPTH24_STENCIL8, width, height, samples);
  status = GL_FRAMEBUFFER_COMPLETE;
  if (samples > 1) {
    glGenFramebuffers(1, &fresh.ResolveObject);
    glGenRenderbuffers(1, &fresh.ResolveColour);
    Storage(fresh.ResolveColour, GL_RGB8, width, height, 1);
    glBindFramebuffer(GL_FRAMEBUFFER, fresh.ResolveObject);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              fresh.ResolveColour);
    status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, fresh.Object);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, fresh.Colour);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                            fresh.DepthStencil);
  if (status == GL_FRAMEBUFFER_COMPLETE)
    status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  glError = glGetError();
  return status == GL_FRAMEBUFFER_COMPLETE && glError == GL_NO_ERROR;
}

// Makes the render targets of a width x height frame into fresh, in the order
// of TFramePiece, stopping at the first the driver refuses: false with the
// GL error and the piece's name then. The caller releases what was made.
bool MakeTargets(TFrameTargets& fresh, int width, int height, TFramePiece failing,
                 GLenum& glError, std::string& piece)
{
  const struct {
    TFramePiece Piece;
    uint32_t* Texture;
    int Width, Height;
    const char* Name;
  } pieces[] = {
      {TFramePiece::ScreenCopyA, &fresh.ScreenCopyA, ScreenCopySide(width), ScreenCopySide(height),
       "screen copy A"},
      {TFramePiece::ScreenCopyB, &fresh.ScreenCopyB, ScreenCopySide(width), ScreenCopySide(height),
       "screen copy B"},
      {TFramePiece::GlowTexture, &fresh.GlowTexture, GlowCornerPixels(width),
       GlowCornerPixels(width), "glow texture"},
      {TFramePiece::BlurTexture, &fresh.BlurTexture, BlurCornerPixels(width),
       BlurCornerPixels(width), "blur texture"},
  };
  for (const auto& p : pieces) {
    *p.Texture = CreateRenderTarget(PieceSide(p.Piece, failing, p.Width), p.Height);
    glError = glGetError();
    if (glError != GL_NO_ERROR) {
      piece = p.Name;
      return false;
    }
  }
  return true;
}

// Division rounding toward minus infinity, for centring in an output smaller
// than the frame.
int FloorHalf(int n)
{
  return n >= 0 ? n / 2 : -((1 - n) / 2);
}

}  // namespace

const int& FrameWidth = Width;
const int& FrameHeight = Height;

double FrameScale(int frameWidth)
{
  return static_cast<double>(frameWidth) / BaseFrameWidth;
}

int FramePixels(double length, int frameWidth)
{
  const int pixels = static_cast<int>(RoundEven(length * FrameScale(frameWidth)));
  return pixels < 1 ? 1 : pixels;
}

TLetterbox FrameLetterbox(int frameHeight)
{
  const int bar = static_cast<int>(RoundEven(frameHeight / 8.0));
  return {bar, frameHeight - 2 * bar};
}

int ScreenCopySide(int frameSide)
{
  return PowerOfTwoAtLeast(frameSide);
}

int GlowCornerPixels(int frameWidth)
{
  return FramePixels(BaseGlowCorner, frameWidth);
}

int BlurCornerPixels(int frameWidth)
{
  return FramePixels(BaseBlurCorner, frameWidth);
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

const TFrameTargets& FrameTargets()
{
  return Targets;
}

void ClearFrameTargets()
{
  ClearRenderTarget(Targets.ScreenCopyA, ScreenCopySide(Width), ScreenCopySide(Height));
  ClearRenderTarget(Targets.ScreenCopyB, ScreenCopySide(Width), ScreenCopySide(Height));
  ClearRenderTarget(Targets.GlowTexture, GlowCornerPixels(Width), GlowCornerPixels(Width));
  ClearRenderTarget(Targets.BlurTexture, BlurCornerPixels(Width), BlurCornerPixels(Width));
}

bool MakeFrame(int width, int height, int samples, std::string& error)
{
  const TFramePiece failing = FailingPiece;
  FailingPiece = TFramePiece::None;
  if (!CheckFrameSize(width, height, error))
    return false;
  error = SamplesRefused(samples);
  if (error.empty())
    error = DriverLimit(width, height);
  if (!error.empty())
    return false;

  // What making the pieces binds, to be put back whatever happens.
  GLint drawObject = 0;
  GLint readObject = 0;
  GLint renderbuffer = 0;
  GLint texture = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawObject);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readObject);
  glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
  while (glGetError() != GL_NO_ERROR) {
  }

  TFrameStorage fresh;
  TFrameTargets freshTargets;
  GLenum glError = GL_NO_ERROR;
  GLenum status = GL_FRAMEBUFFER_COMPLETE;
  std::string piece;
  bool made = MakeStorage(fresh, width, height, samples, failing, glError, status);
  if (made)
    made = MakeTargets(freshTargets, width, height, failing, glError, piece);
  glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer));
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
  if (!made) {
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawObject));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readObject));
    DeleteStorage(fresh);
    DeleteTargets(freshTargets);
    while (glGetError() != GL_NO_ERROR) {
    }
    error = "the driver cannot make the " + SizeText(width, height) + " frame" +
            (piece.empty() ? std::string() : "'s " + piece) +
            (samples > 1 ? " with " + std::to_string(samples) + " samples" : std::string()) +
            DriverRefusal(glError, status);
    return false;
  }

  // All made: the new frame takes the old one's place. A binding of an old
  // piece falls back to 0 as the piece is released.
  DeleteStorage(Frame);
  DeleteTargets(Targets);
  Frame = fresh;
  Targets = freshTargets;
  Width = width;
  Height = height;
  Samples = samples;
  glBindFramebuffer(GL_FRAMEBUFFER, Frame.Object);
  GLfloat clear[4];
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor)
    glEnable(GL_SCISSOR_TEST);
  glViewport(0, 0, Width, Height);
  return true;
}

void FailNextFramePiece(TFramePiece piece)
{
  FailingPiece = piece;
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
  return Samples;
}

void BeginFrameRead()
{
  if (Samples > 1) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Frame.Object);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, Frame.ResolveObject);
    glBlitFramebuffer(0, 0, Width, Height, 0, 0, Width, Height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, Frame.Object);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Frame.ResolveObject);
  }
}

void EndFrameRead()
{
  if (Samples > 1)
    glBindFramebuffer(GL_FRAMEBUFFER, Frame.Object);
}

namespace {

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

}  // namespace

void SaveFrameContents()
{
  glGenRenderbuffers(2, SavedBuffers);
  Storage(SavedBuffers[0], GL_RGB8, Width, Height, Samples);
  Storage(SavedBuffers[1], GL_DEPTH24_STENCIL8, Width, Height, Samples);
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

namespace {

// FrameForOutput's frame where one fits, {0, 0} where none does.
TFrameSize FittingFrame(int outputWidth, int outputHeight)
{
  // The widest frame whose band fits: 9/16 of its width, give or take the
  // rounding of the bars, so start there and step down. A width that is a
  // multiple of 4 keeps the frame exactly 4:3.
  const long byHeight = static_cast<long>(outputHeight) * 16 / 9;
  int frameWidth = static_cast<int>(std::min<long>(outputWidth, byHeight + 4)) / 4 * 4;
  while (frameWidth >= SmallestFrameWidth &&
         FrameLetterbox(frameWidth * 3 / 4).Band > outputHeight)
    frameWidth -= 4;
  if (frameWidth < SmallestFrameWidth)
    return {0, 0};
  return {frameWidth, frameWidth * 3 / 4};
}

}  // namespace

TFrameSize FrameForOutput(int outputWidth, int outputHeight)
{
  const TFrameSize fit = FittingFrame(outputWidth, outputHeight);
  return fit.Width > 0 ? fit : TFrameSize{BaseFrameWidth, BaseFrameHeight};
}

TFramePlacement PlaceFrame(TFrameSize frame, int outputWidth, int outputHeight)
{
  const TFrameSize native = FittingFrame(outputWidth, outputHeight);
  if (native.Width == frame.Width && native.Height == frame.Height)
    return {FloorHalf(outputWidth - frame.Width), FloorHalf(outputHeight - frame.Height),
            frame.Width, frame.Height};
  // Scaled: the smaller of the two scales at which the frame's width and its
  // band's height fit, in integer arithmetic.
  const int band = FrameLetterbox(frame.Height).Band;
  long width = outputWidth;
  long height = static_cast<long>(outputWidth) * frame.Height / frame.Width;
  if (static_cast<long>(outputWidth) * band > static_cast<long>(outputHeight) * frame.Width) {
    height = static_cast<long>(outputHeight) * frame.Height / band;
    width = height * frame.Width / frame.Height;
  }
  return {FloorHalf(outputWidth - static_cast<int>(width)),
          FloorHalf(outputHeight - static_cast<int>(height)), static_cast<int>(width),
          static_cast<int>(height)};
}

void BlitFrameToWindow(int windowWidth, int windowHeight)
{
  const TFramePlacement place = PlaceFrame({Width, Height}, windowWidth, windowHeight);
  const bool native = place.Width == Width && place.Height == Height;
  // GL's window rows count from the bottom.
  const int bottom = windowHeight - place.Top - place.Height;
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
  glBlitFramebuffer(0, 0, Width, Height, place.Left, bottom, place.Left + place.Width,
                    bottom + place.Height, GL_COLOR_BUFFER_BIT, native ? GL_NEAREST : GL_LINEAR);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  if (scissor)
    glEnable(GL_SCISSOR_TEST);
  glBindFramebuffer(GL_FRAMEBUFFER, Frame.Object);
}
