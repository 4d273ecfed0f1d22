#include "scenes/firsthalf.h"
#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/geox.h"

#include <GL/gl.h>

#include <cmath>

TCameraPath HumPath = {};

THumFrame PlanHumFrame(float p)
{
  THumFrame frame;
  // The camera waits at the start of its path until the last fifth.
  frame.CameraFraction = p > 0.8 ? static_cast<float>((p - 0.8) * 3) : 0.0f;

  // The screen steps one frame every 1/500 of the scene; at 0.25, 0.5 and
  // 0.75 two ranges hold and the later one wins.
  const int64_t n = TruncSafe(static_cast<double>(p) * 10 * 50);
  frame.ScreenLoop = nullptr;
  frame.ScreenSlot = 0;
  if (InsideRange(p, 0, 0.25)) {
    frame.ScreenLoop = Loop1Frames;
    frame.ScreenSlot = static_cast<int>(n % 10);
  }
  if (InsideRange(p, 0.25, 0.5)) {
    frame.ScreenLoop = Loop2Frames;
    frame.ScreenSlot = static_cast<int>(n % 8);
  }
  if (InsideRange(p, 0.5, 0.75)) {
    frame.ScreenLoop = Loop3Frames;
    frame.ScreenSlot = static_cast<int>(n % 10);
  }
  if (InsideRange(p, 0.75, 1)) {
    frame.ScreenLoop = Loop2Frames;
    frame.ScreenSlot = static_cast<int>(n % 8);
  }

  frame.FadeLevel = static_cast<float>(std::sqrt(1.0 - p));
  return frame;
}

namespace {

// The Huma models, lit with their own textures, except the "PLANE" screen,
// which shows the loop frame unlit.
void DrawHumaModels(const THumFrame& frame)
{
  glPushMatrix();
  PlaceHumanModels(-28);
  for (int i = 0; i < HumaModels.Count; ++i) {
    if (HumaModels.Names[i] == "PLANE") {
      glEnable(GL_TEXTURE_2D);
      glColor4f(1, 1, 1, 1);
      if (frame.ScreenLoop)
        glBindTexture(GL_TEXTURE_2D, frame.ScreenLoop[frame.ScreenSlot]);
      DrawGeox(HumaModels.Models[i], true, false, true);
    } else {
      DrawModelLit(HumaModels, i);
    }
  }
  glPopMatrix();
}

}  // namespace

void tscene_hum::Prepare()
{
  LoadCameraPath(HumPath, "data\\scene_hum.camera");
}

void tscene_hum::Render(int32_t t)
{
  const float p = Progress(t);
  const THumFrame frame = PlanHumFrame(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(HumPath, frame.CameraFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawHumaModels(frame);
  DrawCityWallOverlay();
  DrawStreaks(p, 4, black, black);
  DrawSmokeColumns(p, 2);
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawLetterboxBars();
  FadeLevel = frame.FadeLevel;
  FinishFrame(0.3f, FadeLevel);
}
