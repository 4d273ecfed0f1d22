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

namespace {

// The pacing carried from one frame to the next: the one the next frame is
// drawn with, the previous frame's (written by EndFrame) or a first frame's.
TFramePacing CarriedPacing = FirstFramePacing;

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
// (MusicTime is the frame's own time, which RenderFrame writes; a later frame
// does not read it.)
struct TFrameValues {
  TFramePacing Pacing;
  TCamera Camera;
  int32_t ScreenCopyIndex;
  uint32_t RandomSeed;
};

TFrameValues SaveFrameValues()
{
  return {CarriedPacing, Camera, ScreenCopyIndex, RandomSeed};
}

void RestoreFrameValues(const TFrameValues& v)
{
  CarriedPacing = v.Pacing;
  Camera = v.Camera;
  ScreenCopyIndex = v.ScreenCopyIndex;
  RandomSeed = v.RandomSeed;
}

// The frame values the paused frames at one music time (PausedTime) are drawn
// from; none while the clock runs, and none again after a seek.
bool PausedValuesHeld = false;
int32_t PausedTime = 0;
TFrameValues PausedValues;

// The scenes active at t drawn into the frame, each handed the carried
// pacing.
void DrawScenes(int32_t t)
{
  for (auto& scene : SceneTable)
    if (scene && scene->Progress(t) != -1.0f)
      scene->Render(t, CarriedPacing);
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
      if (whole)
        glScissor(0, 0, boxWidth, boxHeight);
      else
        glScissor(0, 0, 1, 1);
      scene->Render(t, CarriedPacing);
      whole = false;
    }
  }
  // The one-pixel pass leaves the first frames after start-up up to half as
  // slow again as those after them; drawing the first frame a few times here
  // (in the box), while the loading screen shows, takes that away.
  glScissor(0, 0, boxWidth, boxHeight);
  for (int k = 0; k < FirstFrameRehearsals; ++k)
    DrawScenes(startTime);
  glDisable(GL_SCISSOR_TEST);
  glFinish();
  ClearFrameTargets();
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
  if (!MakeFrame(width, height, FrameSampleCount(), error))
    return false;
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
  if (PausedValuesHeld && PausedTime == t) {
    RestoreFrameValues(PausedValues);
  } else {
    PausedValues = SaveFrameValues();
    PausedTime = t;
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
  DrawScenes(t);
}

void EndFrame(int32_t elapsed)
{
  CarriedPacing = {elapsed, FramePace};
}

TFramePacing PacingOfNextFrame()
{
  return CarriedPacing;
}

void StartFramesAfresh()
{
  CarriedPacing = FirstFramePacing;
  PausedValuesHeld = false;
}

std::optional<int32_t> DrawFrame(TMusicClock& clock)
{
  const int32_t t = clock.Position();
  if (t > LastFrameTime)
    return std::nullopt;
  if (clock.Paused()) {
    DrawPausedFrame(t);
    return t;
  }
  PausedValuesHeld = false;
  RenderFrame(t);
  EndFrame(WaitForFramePace(clock, t));
  return t;
}

void SeekTimeline(TMusicClock& clock, int32_t t)
{
  clock.Seek(std::clamp(t, 0, LastFrameTime));
  StartFramesAfresh();
}
