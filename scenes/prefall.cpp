#include "scenes/firsthalf.h"
#include "scenes/scenes.h"

#include <cmath>
#include <string>

TCameraPath PrefallPaths[8] = {};

TPrefallFrame PlanPrefallFrame(float p)
{
  TPrefallFrame frame;
  // The pulse restarts with every eighth; being rounded, it may restart a
  // little before the path changes, which uses truncation.
  frame.FadeLevel = static_cast<float>(std::sqrt(ShotPulse(p, 8)));
  frame.Shot = ChooseShot(p, 8, 5);
  // Black at the cut, clear a quarter into the eighth, black again at its end.
  frame.Fade = BlackFade(Pi * (1 - static_cast<double>(frame.FadeLevel)));
  return frame;
}

void tscene_prefall::Prepare()
{
  for (int i = 0; i < 8; ++i)
    LoadCameraPath(PrefallPaths[i], "data\\scene_prefall" + std::to_string(i) + ".camera");
}

void tscene_prefall::Render(int32_t t)
{
  const float p = Progress(t);
  const TPrefallFrame frame = PlanPrefallFrame(p);
  const TColour black = {0, 0, 0, 1};

  FadeLevel = frame.FadeLevel;
  SceneCamera(PrefallPaths[frame.Shot.Index], frame.Shot.Fraction);
  DrawSky();
  BeginSceneFrame();
  DrawCityChrome();
  DrawCityTextured();
  DrawCityWallOverlay();
  DrawStreaks(p, 4, HazeLight, black);
  DrawSun();
  DrawGroundHaze(HazeLight);
  DrawSmokeColumns(p, 2);
  DrawFadeQuad(frame.Fade.Colour, frame.Fade.Blend);
  DrawLetterboxBars();
  FinishFrame(0.3f, FadeLevel);
}
