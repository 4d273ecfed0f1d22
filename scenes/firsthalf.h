// What the scenes tscene_hum to tscene_wobbler work out from their progress
// before they draw: camera fractions and paths, the screen's loop frame, the
// fade quads, FadeLevel and the caption spread. Plain arithmetic on p (the
// scene's progress in [0, 1) as a float), done in double and stored as float;
// each scene's Render draws with these values and nothing else from p except
// the phases of the common steps.
#pragma once

#include "scenes/shots.h"

#include <cstdint>


struct THumFrame {
  float CameraFraction;
  // The loop the "PLANE" screen plays (Loop1Frames, Loop2Frames or
  // Loop3Frames) and the slot in it; nullptr if no range holds p.
  const uint32_t* ScreenLoop;
  int ScreenSlot;
  float FadeLevel;
};
THumFrame PlanHumFrame(float p);

struct TPrefallFrame {
  float FadeLevel;
  TShot Shot;  // which of the eight paths, and where on it
  TFade Fade;
};
TPrefallFrame PlanPrefallFrame(float p);

struct TBalanceFrame {
  float CameraFraction;
  TFade Fade;
  float FadeLevel;
  float CaptionAdvance;
  float CaptionAlpha;
};
TBalanceFrame PlanBalanceFrame(float p);

struct TFallFrame {
  float CameraFraction;
  float FigureFraction;  // on the falling figure's own path
  TFade Fade;            // out of black, then into white from p = 0.5
  float FadeLevel;
  float CaptionAdvance;
  float CaptionAlpha;
};
TFallFrame PlanFallFrame(float p);

struct TWaterFrame {
  float CameraFraction;
  double WaterPhase;
  TFade Fade;
  float FadeLevel;
  float CaptionAdvance;
  float CaptionAlpha;
};
TWaterFrame PlanWaterFrame(float p);

struct TWobblerFrame {
  float FadeLevel;
  TShot Shot;  // which of the four paths, and where on it
  float CaptionAdvance;
  float WhiteLetterAlpha;  // of the "E" that completes " MOTION"
};
TWobblerFrame PlanWobblerFrame(float p);
