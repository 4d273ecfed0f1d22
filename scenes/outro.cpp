#include "scenes/scenes.h"

#include "engine/camera.h"
#include "engine/text.h"
#include "scenes/frame.h"
#include "scenes/plans.h"
#include "scenes/shots.h"

#include <GL/gl.h>

#include <cmath>

TCameraPath OutroPath = {};

const char* const GreetingList[GreetingSlotCount] = {
    "",         "",      "QZR",        "MOLKO",  "SVIRA", "FENTARIX",
    "UBRO",     "KALDIM", "NORVENTIKA", "ZIRMAK", "B4X",   "PLORANTIS",
    "GEMU",     "YRK",   "",           ""};

namespace {

// Trunc(16 p); clamped so that a progress outside [0, 1) still names a slot.
int GreetingSlot(float p)
{
  const double slot = std::trunc(GreetingSlotCount * static_cast<double>(p));
  if (!(slot >= 0))
    return 0;
  if (slot > GreetingSlotCount - 1)
    return GreetingSlotCount - 1;
  return static_cast<int>(slot);
}

}  // namespace

TOutroPlan OutroPlan(float p)
{
  TOutroPlan plan;
  plan.PathFraction = p;
  plan.WaterPhase = 12.0 * static_cast<float>(p / 4);
  plan.Flash = WhiteFlash(Pi * p);
  plan.FadeLevel = static_cast<float>(std::sin(Pi * p));
  plan.Slot = GreetingSlot(p);
  plan.Caption = GreetingList[plan.Slot];
  plan.CaptionAlpha = static_cast<float>(ShotPulse(p, GreetingSlotCount));
  plan.CaptionAdvance = CaptionAdvance(p);
  return plan;
}

void tscene_outro::Prepare()
{
  LoadCameraPath(OutroPath, "data\\scene_outro.camera");
}

void tscene_outro::Render(int32_t t)
{
  const float p = Progress(t);
  const TOutroPlan plan = OutroPlan(p);

  SceneCamera(OutroPath, plan.PathFraction);
  DrawSky();
  BeginSceneFrame();
  DrawWobblaModels();
  DrawSun();
  DrawGroundHaze(HazeDark);
  DrawWater(plan.WaterPhase);
  DrawLetterboxBars();
  DrawFadeQuad(plan.Flash.Colour, plan.Flash.Blend);
  // The flash covered the bars too; black them again.
  DrawLetterboxBars();
  FadeLevel = plan.FadeLevel;
  FinishFrame(0.3f, FadeLevel);
  DrawText(plan.Caption, FontTexture, 320, 420, 50, 50, plan.CaptionAdvance, 0, 0, 0,
           plan.CaptionAlpha);
}
