#include "scenes/firsthalf.h"
#include "scenes/scenes.h"

#include "engine/text.h"

#include <cmath>

TCameraPath WaterPath = {};

TWaterFrame PlanWaterFrame(float p)
{
  TWaterFrame frame;
  frame.CameraFraction = p;
  // Twelve steps of the height fields: three rounds of the four.
  frame.WaterPhase = 12.0 * p;
  const double u = Pi * p;
  frame.Fade = BlackFade(u);
  // Sharp at both ends, only the blurred copy in the middle.
  frame.FadeLevel = static_cast<float>(std::sqrt(1 - std::sin(u)));
  frame.CaptionAdvance = CaptionAdvance(p);
  frame.CaptionAlpha = p;
  return frame;
}

void tscene_water::Prepare()
{
  LoadCameraPath(WaterPath, "data\\scene_water.camera");
}

void tscene_water::Render(int32_t t)
{
  const float p = Progress(t);
  const TWaterFrame frame = PlanWaterFrame(p);
  const TColour black = {0, 0, 0, 1};

  SceneCamera(WaterPath, frame.CameraFraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, HazeLight, black);
  DrawSun();
  DrawGroundHaze(HazeDark);
  DrawWater(frame.WaterPhase);
  DrawSmokeColumns(p, 2);
  DrawFadeQuad(frame.Fade.Colour, frame.Fade.Blend);
  DrawLetterboxBars();
  FadeLevel = frame.FadeLevel;
  FinishFrame(0.3f, FadeLevel);
  DrawText("AMBIENCE", FontTexture, 320, 420, 50, 50, frame.CaptionAdvance, 0, 0, 0,
           frame.CaptionAlpha);
}
