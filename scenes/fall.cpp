#include "scenes/firsthalf.h"
#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/text.h"

#include <GL/gl.h>

#include <cmath>

TCameraPath FallPath = {};
TCameraPath FallHumanPath = {};

TFallFrame PlanFallFrame(float p)
{
  TFallFrame frame;
  frame.CameraFraction = static_cast<float>(0.8 * p);
  frame.FigureFraction = static_cast<float>(0.6 * p);
  const double u = Pi * p;
  // Both quads leave the picture as it is at p = 0.5, where they change over.
  frame.Fade = p < 0.5 ? BlackFade(u) : WhiteFlash(u);
  frame.FadeLevel = static_cast<float>(std::sin(u));
  frame.CaptionAdvance = CaptionAdvance(p);
  frame.CaptionAlpha = p;
  return frame;
}

namespace {

// The Humb figure seen from its own camera. The projection of that camera
// stays for the rest of the frame; the modelview returns to the scene camera.
void DrawFallingFigure(float fraction)
{
  glPushMatrix();
  glEnable(GL_TEXTURE_2D);
  SampleCameraPath(Camera, FallHumanPath, fraction);
  ApplyCamera(Camera);
  const float s = 1 / 70.0f;
  glScalef(s, s, s);
  for (int i = 0; i < HumbModels.Count; ++i)
    DrawModelLit(HumbModels, i);
  glPopMatrix();
}

}  // namespace

void tscene_fall::Prepare()
{
  LoadCameraPath(FallPath, "data\\scene_fall.camera");
  LoadCameraPath(FallHumanPath, "data\\scene_fallhuman.camera");
}

void tscene_fall::Render(int32_t t)
{
  const float p = Progress(t);
  const TFallFrame frame = PlanFallFrame(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(FallPath, frame.CameraFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, HazeLight, black);
  DrawFallingFigure(frame.FigureFraction);
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawSmokeColumns(p, 2);
  DrawFadeQuad(frame.Fade.Colour, frame.Fade.Blend);
  DrawLetterboxBars();
  FadeLevel = frame.FadeLevel;
  FinishFrame(0.3f, FadeLevel);
  DrawText("SPEED", FontTexture, 320, 420, 50, 50, frame.CaptionAdvance, 0, 0, 0, frame.CaptionAlpha);
}
