#include "scenes/firsthalf.h"
#include "scenes/scenes.h"

#include "engine/assets.h"
#include "engine/text.h"

#include <GL/gl.h>

#include <cmath>

TCameraPath BalancePath = {};

TBalanceFrame PlanBalanceFrame(float p)
{
  TBalanceFrame frame;
  frame.CameraFraction = p;
  frame.Fade = BlackFade(Pi * p);
  frame.FadeLevel = static_cast<float>(std::sqrt(1.0 - p));
  frame.CaptionAdvance = CaptionAdvance(p);
  frame.CaptionAlpha = p;
  return frame;
}

void tscene_balance::Prepare()
{
  LoadCameraPath(BalancePath, "data\\scene_balance.camera");
}

void tscene_balance::Render(int32_t t)
{
  const float p = Progress(t);
  const TBalanceFrame frame = PlanBalanceFrame(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(BalancePath, frame.CameraFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  glPushMatrix();
  PlaceHumanModels(-48);
  for (int i = 0; i < HumcModels.Count; ++i)
    DrawModelLit(HumcModels, i);
  glPopMatrix();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, black, black);
  DrawSmokeColumns(p, 2);
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawFadeQuad(frame.Fade.Colour, frame.Fade.Blend);
  DrawLetterboxBars();
  FadeLevel = frame.FadeLevel;
  FinishFrame(0.3f, FadeLevel);
  DrawText("VIRTUALITY", FontTexture, 320, 420, 50, 50, frame.CaptionAdvance, 0, 0, 0,
           frame.CaptionAlpha);
}
