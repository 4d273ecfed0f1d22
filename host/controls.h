// The demo maker's keys, beside the free camera's (which own the arrows,
// Page Up/Down, Home/End, the digits, Shift and the mouse; Escape quits):
// pause, seeking, the overlay and reloading the camera paths. The table maps
// SDL key codes to actions; SeekTarget is the arithmetic of the seeks, in
// milliseconds of music. Plain data and arithmetic, no SDL calls.
#pragma once

#include <SDL.h>

#include <cstdint>

enum class TDemoAction {
  None,
  Pause,          // pauses or resumes the music and the timeline
  BackSecond,
  ForwardSecond,
  BackBar,
  ForwardBar,
  PreviousScene,
  NextScene,
  Overlay,        // shows or hides the overlay
  ReloadPaths,    // reads every camera path again
};

struct TDemoKey {
  SDL_Keycode Key;
  TDemoAction Action;
  const char* Name;         // as the usage and the README name it
  const char* Description;
};

constexpr int DemoKeyCount = 9;
extern const TDemoKey DemoKeys[DemoKeyCount];

// One bar of the scene playing at music time t, rounded to whole ms: about
// 1502 (160 beats a minute, four to the bar), 1477 in the last scene but one,
// 1453 in the last. Times before the first scene take its bar, times past the
// last scene that one's.
int32_t BarLengthAt(int32_t t);
// Within this long after a scene's start, going to the previous scene goes
// to the start of the one before, not back to this one's start.
constexpr int32_t SceneRestartWindow = 1000;

// The action of a key, None for keys this table does not hold.
TDemoAction DemoActionFromSDL(SDL_Keycode key);

// Whether keyboard auto-repeat repeats the action: the seeks repeat, the
// switches (pause, overlay) and the reload act once per press.
bool DemoActionRepeats(TDemoAction action);

// Where a seek from music time t goes: t minus or plus a second or a bar
// (BarLengthAt(t));
// the start of the scene playing at t (or, within SceneRestartWindow of that
// start, of the scene before it); the start of the next scene (after the last
// scene, its end). The result may lie outside the music: SeekTimeline keeps
// it inside. Actions that do not seek return t.
int32_t SeekTarget(TDemoAction action, int32_t t);
