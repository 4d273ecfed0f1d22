#include "host/controls.h"

#include "host/freecam.h"
#include "scenes/intervals.h"

#include <gtest/gtest.h>

TEST(DemoKeys, MapKeysToActions)
{
  const struct {
    SDL_Keycode key;
    TDemoAction action;
  } cases[] = {
      {SDLK_SPACE, TDemoAction::Pause},
      {SDLK_COMMA, TDemoAction::BackSecond},
      {SDLK_PERIOD, TDemoAction::ForwardSecond},
      {SDLK_LEFTBRACKET, TDemoAction::BackBar},
      {SDLK_RIGHTBRACKET, TDemoAction::ForwardBar},
      {SDLK_MINUS, TDemoAction::PreviousScene},
      {SDLK_EQUALS, TDemoAction::NextScene},
      {SDLK_F1, TDemoAction::Overlay},
      {SDLK_F5, TDemoAction::ReloadPaths},
      // The free camera's keys and Escape keep their own meaning.
      {SDLK_ESCAPE, TDemoAction::None},
      {SDLK_LEFT, TDemoAction::None},
      {SDLK_PAGEUP, TDemoAction::None},
      {SDLK_HOME, TDemoAction::None},
      {SDLK_0, TDemoAction::None},
      {SDLK_LSHIFT, TDemoAction::None},
      {SDLK_a, TDemoAction::None},
      {SDLK_F2, TDemoAction::None},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DemoActionFromSDL(c.key), c.action) << SDL_GetKeyName(c.key);
}

TEST(DemoKeys, NoneIsAKeyTheFreeCameraUses)
{
  for (const TDemoKey& key : DemoKeys)
    EXPECT_EQ(VirtualKeyFromSDL(key.Key), -1) << key.Name;
}

TEST(DemoKeys, SeeksRepeatWhileSwitchesActOncePerPress)
{
  const struct {
    TDemoAction action;
    bool repeats;
  } cases[] = {
      {TDemoAction::BackSecond, true},     {TDemoAction::ForwardSecond, true},
      {TDemoAction::BackBar, true},        {TDemoAction::ForwardBar, true},
      {TDemoAction::PreviousScene, true},  {TDemoAction::NextScene, true},
      {TDemoAction::Pause, false},         {TDemoAction::Overlay, false},
      {TDemoAction::ReloadPaths, false},   {TDemoAction::None, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DemoActionRepeats(c.action), c.repeats) << static_cast<int>(c.action);
}

TEST(DemoKeys, SeekTargets)
{
  const struct {
    TDemoAction action;
    int32_t from;
    int32_t to;
  } cases[] = {
      {TDemoAction::BackSecond, 5000, 4000},
      {TDemoAction::BackSecond, 300, -700},  // SeekTimeline keeps it at 0
      {TDemoAction::ForwardSecond, 223500, 224500},
      {TDemoAction::BackBar, 10000, 8498},
      {TDemoAction::ForwardBar, 10000, 11502},
      // The last two scenes have bars of their own.
      {TDemoAction::ForwardBar, 210000, 211477},
      {TDemoAction::BackBar, 204300, 202823},
      {TDemoAction::BackBar, 204299, 202796},  // outro: 1502.75 ms bars
      {TDemoAction::ForwardBar, 220000, 221453},
      {TDemoAction::ForwardBar, 230000, 231453},
      {TDemoAction::BackBar, -100, -1602},
      // Well inside a scene: back to its start.
      {TDemoAction::PreviousScene, 50000, 48078},
      {TDemoAction::PreviousScene, 48078 + 1000, 48078},
      // In a scene's first second, and at its start: the scene before.
      {TDemoAction::PreviousScene, 48078 + 999, 0},
      {TDemoAction::PreviousScene, 60096, 48078},
      {TDemoAction::PreviousScene, 500, 0},
      {TDemoAction::NextScene, 0, 48078},
      {TDemoAction::NextScene, 48077, 48078},
      {TDemoAction::NextScene, 48078, 60096},
      {TDemoAction::NextScene, 204299, 204300},
      // After the last scene's start: its end, past the music.
      {TDemoAction::NextScene, 220000, 226293},
      {TDemoAction::Pause, 1234, 1234},
      {TDemoAction::Overlay, 1234, 1234},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SeekTarget(c.action, c.from), c.to)
        << "action " << static_cast<int>(c.action) << " from " << c.from;
}
