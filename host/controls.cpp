#include "host/controls.h"

#include "scenes/intervals.h"
#include "scenes/musicrules.h"

#include <algorithm>
#include <cmath>

const TDemoKey DemoKeys[DemoKeyCount] = {
    {SDLK_SPACE, TDemoAction::Pause, "Space", "pause and resume"},
    {SDLK_COMMA, TDemoAction::BackSecond, ",", "one second back"},
    {SDLK_PERIOD, TDemoAction::ForwardSecond, ".", "one second forward"},
    {SDLK_LEFTBRACKET, TDemoAction::BackBar, "[", "one bar (of the scene playing, about 1.5 s) back"},
    {SDLK_RIGHTBRACKET, TDemoAction::ForwardBar, "]", "one bar forward"},
    {SDLK_MINUS, TDemoAction::PreviousScene, "-", "to the start of this scene (of the one before in its first second)"},
    {SDLK_EQUALS, TDemoAction::NextScene, "=", "to the start of the next scene"},
    {SDLK_F1, TDemoAction::Overlay, "F1", "show or hide the overlay (time, scene, frame rate, camera)"},
    {SDLK_F5, TDemoAction::ReloadPaths, "F5", "reload every camera path from its file"},
};

TDemoAction DemoActionFromSDL(SDL_Keycode key)
{
  for (const TDemoKey& k : DemoKeys)
    if (k.Key == key)
      return k.Action;
  return TDemoAction::None;
}

bool DemoActionRepeats(TDemoAction action)
{
  switch (action) {
    case TDemoAction::BackSecond:
    case TDemoAction::ForwardSecond:
    case TDemoAction::BackBar:
    case TDemoAction::ForwardBar:
    case TDemoAction::PreviousScene:
    case TDemoAction::NextScene:
      return true;
    default:
      return false;
  }
}

// The bar of the scene at t; before the music the first scene's, past its
// end the last one's.
int32_t BarLengthAt(int32_t t)
{
  const int32_t end = SceneIntervals[SceneCount - 1].EndTime;
  const int scene = SceneAt(std::clamp(t, 0, end - 1));
  return static_cast<int32_t>(std::lround(SceneBarLength(scene)));
}

int32_t SeekTarget(TDemoAction action, int32_t t)
{
  switch (action) {
    case TDemoAction::BackSecond: return t - 1000;
    case TDemoAction::ForwardSecond: return t + 1000;
    case TDemoAction::BackBar: return t - BarLengthAt(t);
    case TDemoAction::ForwardBar: return t + BarLengthAt(t);
    case TDemoAction::PreviousScene: {
      int32_t start = 0;
      for (const TSceneInterval& scene : SceneIntervals)
        if (scene.StartTime <= t - SceneRestartWindow)
          start = scene.StartTime;
      return start;
    }
    case TDemoAction::NextScene:
      for (const TSceneInterval& scene : SceneIntervals)
        if (scene.StartTime > t)
          return scene.StartTime;
      return SceneIntervals[SceneCount - 1].EndTime;
    default:
      return t;
  }
}
