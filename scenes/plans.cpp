#include "scenes/plans.h"

#include "engine/assets.h"
#include "engine/numbers.h"

#include <cmath>

bool InsideRange(double x, double lo, double hi)
{
  return lo <= x && x <= hi;
}

TShot ChooseShot(float p, int shots, double pace)
{
  int64_t k = TruncSafe(static_cast<double>(p) * shots) % shots;
  if (k < 0)
    k += shots;  // a negative p still names one of the paths
  TShot shot;
  shot.Index = static_cast<int>(k);
  shot.Fraction = static_cast<float>((p - static_cast<double>(k) / shots) * pace);
  return shot;
}

double ShotPulse(float p, int shots)
{
  return static_cast<double>(RoundEven(1000.0 * shots * p) % 1000) / 1000;
}

TFade BlackFade(double u)
{
  const double s = std::sin(u);
  return TFade{{0, 0, 0, static_cast<float>(1 - s * s)}, TFadeBlend::Alpha};
}

TFade WhiteFlash(double u)
{
  const float c = static_cast<float>(1 - std::sqrt(std::sqrt(std::sin(u))));
  return TFade{{c, c, c, 1}, TFadeBlend::Additive};
}

float CaptionAdvance(float p)
{
  return static_cast<float>(40 + 25.0 * p);
}

TCaption LowerCaption(const std::string& text, float advance, TColour colour)
{
  TCaption caption;
  caption.Text = text;
  caption.X = 320;
  caption.Y = 420;
  caption.GlyphWidth = 50;
  caption.GlyphHeight = 50;
  caption.Advance = advance;
  caption.Colour = colour;
  return caption;
}

THumPlan HumPlan(float p)
{
  THumPlan plan;
  // The camera waits at the start of its path until the last fifth.
  plan.PathFraction = p > 0.8 ? static_cast<float>((p - 0.8) * 3) : 0.0f;

  // The screen steps one frame every 1/500 of the scene; at 0.25, 0.5 and
  // 0.75 two ranges hold and the later one wins.
  const int64_t n = TruncSafe(static_cast<double>(p) * 10 * 50);
  plan.ScreenLoop = nullptr;
  plan.ScreenSlot = 0;
  if (InsideRange(p, 0, 0.25)) {
    plan.ScreenLoop = Loop1Frames;
    plan.ScreenSlot = static_cast<int>(n % 10);
  }
  if (InsideRange(p, 0.25, 0.5)) {
    plan.ScreenLoop = Loop2Frames;
    plan.ScreenSlot = static_cast<int>(n % 8);
  }
  if (InsideRange(p, 0.5, 0.75)) {
    plan.ScreenLoop = Loop3Frames;
    plan.ScreenSlot = static_cast<int>(n % 10);
  }
  if (InsideRange(p, 0.75, 1)) {
    plan.ScreenLoop = Loop2Frames;
    plan.ScreenSlot = static_cast<int>(n % 8);
  }

  plan.FadeLevel = static_cast<float>(std::sqrt(1.0 - p));
  return plan;
}

TPrefallPlan PrefallPlan(float p)
{
  TPrefallPlan plan;
  // The pulse restarts with every eighth; being rounded, it may restart a
  // little before the path changes, which uses truncation.
  plan.FadeLevel = static_cast<float>(std::sqrt(ShotPulse(p, 8)));
  plan.Shot = ChooseShot(p, 8, 5);
  // Black at the cut, clear a quarter into the eighth, black again at its end.
  plan.Fade = BlackFade(Pi * (1 - static_cast<double>(plan.FadeLevel)));
  return plan;
}

TBalancePlan BalancePlan(float p)
{
  TBalancePlan plan;
  plan.PathFraction = p;
  plan.Fade = BlackFade(Pi * p);
  plan.FadeLevel = static_cast<float>(std::sqrt(1.0 - p));
  plan.Captions = {LowerCaption("VIRTUALITY", CaptionAdvance(p), {0, 0, 0, p})};
  return plan;
}

TFallPlan FallPlan(float p)
{
  TFallPlan plan;
  plan.PathFraction = static_cast<float>(0.8 * p);
  plan.FigureFraction = static_cast<float>(0.6 * p);
  const double u = Pi * p;
  // Both quads leave the picture as it is at p = 0.5, where they change over.
  plan.Fade = p < 0.5 ? BlackFade(u) : WhiteFlash(u);
  plan.FadeLevel = static_cast<float>(std::sin(u));
  plan.Captions = {LowerCaption("SPEED", CaptionAdvance(p), {0, 0, 0, p})};
  return plan;
}

TWaterPlan WaterPlan(float p)
{
  TWaterPlan plan;
  plan.PathFraction = p;
  // Twelve steps of the height fields: three rounds of the four.
  plan.WaterPhase = 12.0 * p;
  const double u = Pi * p;
  plan.Fade = BlackFade(u);
  // Sharp at both ends, only the blurred copy in the middle.
  plan.FadeLevel = static_cast<float>(std::sqrt(1 - std::sin(u)));
  plan.Captions = {LowerCaption("AMBIENCE", CaptionAdvance(p), {0, 0, 0, p})};
  return plan;
}

TWobblerPlan WobblerPlan(float p)
{
  TWobblerPlan plan;
  // Every shot opens as its blurred copy and sharpens until the next cut.
  plan.FadeLevel = static_cast<float>(std::sqrt(ShotPulse(p, 4)));
  plan.Shot = ChooseShot(p, 4, 2);
  // The white E lands on the leading blank and completes EMOTION.
  const float advance = CaptionAdvance(p);
  plan.Captions = {LowerCaption(" MOTION", advance, {0, 0, 0, 1}),
                   LowerCaption("E      ", advance, {1, 1, 1, p})};
  return plan;
}

TRushPlan RushPlan(float p)
{
  TRushPlan plan;
  plan.PathFraction = static_cast<float>(0.8 * p);
  plan.Fade = WhiteFlash(Pi * p);
  plan.FadeLevel = static_cast<float>(std::sin(Pi * p));
  plan.Captions = {LowerCaption("VORDA", CaptionAdvance(p), {0, 0, 0, p})};
  return plan;
}

namespace {

// The opening flash clears faster than the other scenes' (eighth root, three
// square roots), then the picture sinks into black from the middle on.
TFade CappedFade(float p)
{
  const double u = Pi * p;
  if (p <= 0.5f) {
    const float c = static_cast<float>(1 - std::sqrt(std::sqrt(std::sqrt(std::sin(u)))));
    return TFade{{c, c, c, 1}, TFadeBlend::Additive};
  }
  return BlackFade(u);
}

}  // namespace

TCappedPlan CappedPlan(float p)
{
  TCappedPlan plan;
  plan.Shot = ChooseShot(p, 4, 4);
  plan.CapAngle = static_cast<float>(180.0 * p);
  plan.Fade = CappedFade(p);
  plan.FadeLevel = static_cast<float>(ShotPulse(p, 4));
  plan.Captions = {LowerCaption("ZALTORIVENKA", CaptionAdvance(p), {0, 0, 0, p})};
  return plan;
}

TJumpPlan JumpPlan(float p)
{
  TJumpPlan plan;
  plan.Shot = ChooseShot(p, 4, 2);
  plan.FadeLevel = std::sqrt(static_cast<float>(ShotPulse(p, 4)));
  plan.RingP = p / 3;
  plan.Water = p >= 0.75f;
  plan.WaterPhase = 12.0 * p;
  // The letters spread less than in the other scenes: 40 to 50.
  const float advance = static_cast<float>(40 + 10.0 * p);
  plan.Captions = {LowerCaption("CREATE ME", advance, {0, 0, 0, p})};
  return plan;
}

TAtomPlan AtomPlan(float p)
{
  TAtomPlan plan = {};
  plan.PathFraction = p;
  plan.Quake = p > 0.5f;
  if (plan.Quake) {
    const double q = p - 0.5;
    plan.QuakeAmplitude = {static_cast<float>(q * 115), static_cast<float>(q * 115),
                           static_cast<float>(q * 45)};
  }
  plan.RingP = p / 3;
  // Compared in double: the float nearest 0.45 lies below it, and the shells'
  // eighth root needs p - 0.45 >= 0.
  plan.Flash = p >= 0.45;
  if (plan.Flash) {
    for (int i = 1; i <= AtomQuadCount; ++i) {
      plan.QuadA[i - 1] = static_cast<float>(1300.0 * i * (p - 0.45));
      plan.QuadB[i - 1] = static_cast<float>(1300.0 * i * (p - 0.5));
    }
    const double root = std::sqrt(std::sqrt(std::sqrt(p - 0.45)));
    for (int i = 2; i <= AtomShellCount + 1; ++i)
      plan.ShellScale[i - 2] = static_cast<float>(root * i / 3);
  }
  if (p <= 0.5f)
    plan.Fade = BlackFade(Pi * p);
  // Continuous at p = 0.5, then half as fast.
  plan.FadeLevel = plan.Fade ? p : static_cast<float>((p - 0.5) / 2 + 0.5);
  plan.Captions = {
      LowerCaption("DESTROY ME", CaptionAdvance(plan.FadeLevel), {0, 0, 0, plan.FadeLevel})};
  return plan;
}

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
  plan.Fade = WhiteFlash(Pi * p);
  plan.FadeLevel = static_cast<float>(std::sin(Pi * p));
  plan.Slot = GreetingSlot(p);
  const float alpha = static_cast<float>(ShotPulse(p, GreetingSlotCount));
  plan.Captions = {LowerCaption(GreetingList[plan.Slot], CaptionAdvance(p), {0, 0, 0, alpha})};
  return plan;
}

TLastPlan LastPlan(float p)
{
  TLastPlan plan;
  plan.WorldFraction = static_cast<float>(0.2 * p + 0.3);
  plan.CorridorFraction = static_cast<float>(0.8 * p);
  plan.WaterPhase = 12.0 * p;
  plan.FadeLevel = 1 - p;
  // Cells 40 wide at an advance of 25: the letters overlap.
  plan.Captions = {{"WELCOME", 320, 360, 40, 40, 25, {1, 1, 1, p}},
                   {"VORDAZALTORIVENKA2006", 320, 390, 40, 40, 25, {1, 1, 1, p}}};
  return plan;
}

TMovrikPlan MovrikPlan(float p)
{
  TMovrikPlan plan;
  plan.PathFraction = p;
  plan.StreakLift = static_cast<float>(700.0 * p);
  plan.StreakP = p / 3;
  if (p < 0.25f)
    plan.Flash = WhiteFlash(Pi * 2 * p);
  if (p > 0.5f)
    plan.Fade = BlackFade(Pi * p);
  plan.FadeLevel = 1 - p;
  const float nameAdvance = static_cast<float>(65 + 25.0 * p);
  const TColour white = {1, 1, 1, 1};
  plan.Captions = {{"FASTDEMO FOR KESTUN 2006 BY", 320, 170, 20, 20, 15, white},
                   {"MOVRIK", 320, 250, 90, 90, nameAdvance, white},
                   {"WE ARE INVITING YOU TO VISIT", 320, 270, 20, 20, 15, white},
                   {"VORDA ZALTORIVENKA 2006", 320, 300, 20, 20, 15, white},
                   {"WWW.VORDAZ.ORG", 320, 330, 20, 20, 15, white}};
  return plan;
}
