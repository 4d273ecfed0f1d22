#include "host/timeline.h"

#include "engine/assets.h"
#include "engine/camera.h"
#include "engine/effects.h"
#include "engine/framebuffer.h"
#include "engine/text.h"
#include "engine/textures.h"
#include "host/musicclock.h"
#include "scenes/frame.h"
#include "scenes/scenes.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

std::unique_ptr<mve_genericscene> SceneTable[SceneSlotCount];

int32_t MusicTime = 0;

// The pacing the next frame is drawn with; the previous frame's, written by
// EndFrame, or a first frame's.
TFramePacing FramePacing = FirstFramePacing;

namespace {

template <typename TScene>
void PutScene(int slot, int32_t start, int32_t end)
{
  SceneTable[slot] = std::make_unique<TScene>();
  SceneTable[slot]->StartTime = start;
  SceneTable[slot]->EndTime = end;
}

// Scene `slot` of SceneIntervals.
template <typename TScene>
void PutScene(int slot)
{
  PutScene<TScene>(slot, SceneIntervals[slot].StartTime, SceneIntervals[slot].EndTime);
}

// Everything outside GL that drawing a frame changes and a later frame reads.
struct TFrameValues {
  int32_t MusicTime;
  TFramePacing Pacing;
  TCamera Camera;
  int32_t ScreenCopyIndex;
  uint32_t RandomSeed;
};

TFrameValues SaveFrameValues()
{
  return {MusicTime, FramePacing, Camera, ScreenCopyIndex, RandomSeed};
}

void RestoreFrameValues(const TFrameValues& v)
{
  MusicTime = v.MusicTime;
  FramePacing = v.Pacing;
  Camera = v.Camera;
  ScreenCopyIndex = v.ScreenCopyIndex;
  RandomSeed = v.RandomSeed;
}

// The frame values the paused frames at one music time (PausedValues.MusicTime)
// are drawn from; none while the clock runs, and none again after a seek.
bool PausedValuesHeld = false;
TFrameValues PausedValues;

// The four render targets the effects use, with their sizes at the frame's
// size: created at start-up and made anew when the frame changes size,
// cleared again after the warm-up.
struct TRenderTargetSlot {
  uint32_t* Texture;
  int Width, Height;
};
std::vector<TRenderTargetSlot> RenderTargets()
{
  return {{&ScreenCopyA, ScreenCopyWidth(), ScreenCopyHeight()},
          {&ScreenCopyB, ScreenCopyWidth(), ScreenCopyHeight()},
          {&GlowTexture, GlowCornerPixels(), GlowCornerPixels()},
          {&BlurTexture, BlurCornerPixels(), BlurCornerPixels()}};
}

// The GL matrices of the three modes and which mode is current.
struct TMatrices {
  GLint Mode;
  GLfloat ModelView[16], Projection[16], Texture[16];
};

TMatrices SaveMatrices()
{
  TMatrices m;
  glGetIntegerv(GL_MATRIX_MODE, &m.Mode);
  glGetFloatv(GL_MODELVIEW_MATRIX, m.ModelView);
  glGetFloatv(GL_PROJECTION_MATRIX, m.Projection);
  glGetFloatv(GL_TEXTURE_MATRIX, m.Texture);
  return m;
}

void RestoreMatrices(const TMatrices& m)
{
  glMatrixMode(GL_TEXTURE);
  glLoadMatrixf(m.Texture);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(m.Projection);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(m.ModelView);
  glMatrixMode(static_cast<GLenum>(m.Mode));
}

}  // namespace

const double WarmUpFractions[WarmUpFrameCount] = {0.05, 0.3, 0.48, 0.7, 0.9};

std::vector<int32_t> WarmUpTimes(const mve_genericscene& scene)
{
  std::vector<int32_t> times;
  const int32_t end = std::min(scene.EndTime, LastFrameTime + 1);
  for (double fraction : WarmUpFractions) {
    const int32_t t = scene.StartTime + static_cast<int32_t>(fraction * (end - scene.StartTime));
    if (t < end && (times.empty() || t != times.back()))
      times.push_back(t);
  }
  return times;
}

void WarmUpScenes(int32_t startTime)
{
  const TFrameValues values = SaveFrameValues();
  const TMatrices matrices = SaveMatrices();
  SaveFrameContents();
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  // What is compiled depends on the state, not on how many pixels a draw
  // covers, so most warm-up frames draw one pixel. But a scene's first frame
  // drawn whole still took up to twice its steady time (water's 80 ms against
  // 38), so each scene's first warm-up time is drawn into a box of the base
  // frame's size: what it makes ready does not grow with the frame, and at
  // 3840 x 2880 whole frames made the start-up ten times as long.
  const int boxWidth = std::min(FrameWidth, BaseFrameWidth);
  const int boxHeight = std::min(FrameHeight, BaseFrameHeight);
  glEnable(GL_SCISSOR_TEST);
  for (auto& scene : SceneTable) {
    if (!scene || scene->Progress(scene->StartTime) == -1.0f)
      continue;
    bool whole = true;
    for (int32_t t : WarmUpTimes(*scene)) {
      MusicTime = t;
      if (whole)
        glScissor(0, 0, boxWidth, boxHeight);
      else
        glScissor(0, 0, 1, 1);
      scene->Render(t, FramePacing);
      whole = false;
    }
  }
  // The one-pixel pass leaves the first frames after start-up up to half as
  // slow again as those after them; drawing the first frame a few times here
  // (in the box), while the loading screen shows, takes that away.
  glScissor(0, 0, boxWidth, boxHeight);
  for (int k = 0; k < FirstFrameRehearsals; ++k)
    RenderFrame(startTime);
  glDisable(GL_SCISSOR_TEST);
  glFinish();
  for (const TRenderTargetSlot& target : RenderTargets())
    ClearRenderTarget(*target.Texture, target.Width, target.Height);
  glPopClientAttrib();
  glPopAttrib();
  RestoreFrameContents();
  RestoreMatrices(matrices);
  RestoreFrameValues(values);
}

void BuildSceneTable()
{
  for (auto& slot : SceneTable)
    slot.reset();
  for (int slot = 0; slot < 20; ++slot)
    PutScene<tscene_city>(slot, 0, 0);
  PutScene<tscene_hum>(0);
  PutScene<tscene_prefall>(1);
  PutScene<tscene_balance>(2);
  PutScene<tscene_fall>(3);
  PutScene<tscene_water>(4);
  PutScene<tscene_wobbler>(5);
  PutScene<tscene_rush>(6);
  PutScene<tscene_capped>(7);
  PutScene<tscene_jump>(8);
  PutScene<tscene_atom>(9);
  PutScene<tscene_outro>(10);
  PutScene<tscene_last>(11);
  PutScene<tscene_movrik>(12);
}

void SetupViewport(int width, int height)
{
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(width) / height, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void InitDemo(TMusicClock& clock, const std::function<void()>& present, int32_t startTime)
{
  BuildSceneTable();

  glEnable(GL_TEXTURE_2D);
  glShadeModel(GL_SMOOTH);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);

  for (const TRenderTargetSlot& target : RenderTargets())
    *target.Texture = CreateRenderTarget(target.Width, target.Height);

  FontTexture = LoadAlphaTexture("data\\font.jpg", "data\\font.jpg", GL_LINEAR,
                                 GL_LINEAR_MIPMAP_LINEAR);

  Begin2D();
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  DrawText("PRERENDERING...", FontTexture, 320, 240, 33, 33, 33, 1, 1, 1, 1);
  present();

  LoadAssets();

  for (auto& scene : SceneTable)
    if (scene)
      scene->Prepare();

  WarmUpScenes(startTime);

  clock.StartAt(startTime);
}

bool ResizeFrame(int width, int height, std::string& error)
{
  const int oldWidth = FrameWidth;
  const int oldHeight = FrameHeight;
  if (!ChooseFrameSize(width, height, error))
    return false;
  // The render targets at the new size are made beside the old ones; if the
  // driver cannot make them, the frame goes back to its old size and keeps
  // its old targets.
  while (glGetError() != GL_NO_ERROR) {
  }
  GLint boundTexture = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);
  const std::vector<TRenderTargetSlot> targets = RenderTargets();
  std::vector<uint32_t> made;
  for (const TRenderTargetSlot& target : targets)
    made.push_back(CreateRenderTarget(target.Width, target.Height));
  const GLenum madeError = glGetError();
  if (madeError != GL_NO_ERROR) {
    for (uint32_t texture : made)
      glDeleteTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    std::string restored;
    ChooseFrameSize(oldWidth, oldHeight, restored);
    error = "the driver cannot make the render targets of the " + std::to_string(width) + "x" +
            std::to_string(height) + " frame" +
            (madeError == GL_OUT_OF_MEMORY ? std::string(": out of memory")
                                            : " (GL error " + std::to_string(madeError) + ")");
    return false;
  }
  for (size_t i = 0; i < targets.size(); ++i) {
    glDeleteTextures(1, targets[i].Texture);
    *targets[i].Texture = made[i];
  }
  SetupViewport(FrameWidth, FrameHeight);
  StartFramesAfresh();
  return true;
}

namespace {

// A poll of the clock, not a sleep: returns as soon as FramePace ms of music
// have passed since t, with the music that passed.
int32_t WaitForFramePace(TMusicClock& clock, int32_t t)
{
  for (;;) {
    const int64_t elapsed = static_cast<int64_t>(clock.Position()) - t;
    if (elapsed >= FramePace)
      return static_cast<int32_t>(elapsed);
    std::this_thread::yield();
  }
}

// The frame at t while the clock stands: drawn from the values the first
// paused frame at t began with, then FramePace ms of wall-clock time.
void DrawPausedFrame(int32_t t)
{
  const auto begun = std::chrono::steady_clock::now();
  if (PausedValuesHeld && PausedValues.MusicTime == t) {
    RestoreFrameValues(PausedValues);
  } else {
    PausedValues = SaveFrameValues();
    PausedValuesHeld = true;
  }
  RenderFrame(t);
  std::this_thread::sleep_until(begun + std::chrono::milliseconds(FramePace));
  EndFrame(FramePace);
}

}  // namespace

void RenderFrame(int32_t t)
{
  MusicTime = t;
  for (auto& scene : SceneTable)
    if (scene && scene->Progress(t) != -1.0f)
      scene->Render(t, FramePacing);
}

void EndFrame(int32_t elapsed)
{
  FramePacing = {elapsed, FramePace};
}

TFramePacing NextFramePacing()
{
  return FramePacing;
}

void StartFramesAfresh()
{
  FramePacing = FirstFramePacing;
  PausedValuesHeld = false;
}

bool DrawFrame(TMusicClock& clock)
{
  const int32_t t = clock.Position();
  MusicTime = t;
  if (t > LastFrameTime)
    return false;
  if (clock.Paused()) {
    DrawPausedFrame(t);
    return true;
  }
  PausedValuesHeld = false;
  RenderFrame(t);
  EndFrame(WaitForFramePace(clock, t));
  return true;
}

void SeekTimeline(TMusicClock& clock, int32_t t)
{
  clock.Seek(std::clamp(t, 0, LastFrameTime));
  StartFramesAfresh();
}
