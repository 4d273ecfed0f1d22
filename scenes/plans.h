// What each of the thirteen scenes works out from its progress before it
// draws, one plan per scene (HumPlan to MovrikPlan), and the arithmetic the
// plans share: the inclusive range test, the choice of shot and path fraction
// for scenes cut into equal shots, the per-shot pulse that restarts at every
// cut, the black fade and white flash quads, the spreading caption advance and
// the captions themselves (lines of TCaption, which EndSceneFrame draws). Each scene's Render takes its plan and issues the
// GL calls; everything here is plain arithmetic and touches no GL (the
// drawing passes several scenes share are in scenes/passes.h).
//
// p is a scene's progress in [0, 1) held as a float; the arithmetic on it is
// done in double and stored as float. Fractions are those given to
// SceneCamera or SampleCameraPath; angles given to glRotatef are degrees, the
// u of the fades radians; caption places, sizes and advances are overlay
// units (640 x 480, y down).
#pragma once

#include "engine/camera.h"
#include "scenes/frame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// lo <= x <= hi, inclusive at both ends.
bool InsideRange(double x, double lo, double hi);

// The shot shown at p when the scene is cut into `shots` equal shots, and the
// fraction of that shot's path: Index = Trunc(shots * p) mod shots, Fraction =
// (p - Index / shots) * pace. pace 2 flies the first half of each path.
struct TShot {
  int Index;
  float Fraction;
};
TShot ChooseShot(float p, int shots, double pace);

// The elapsed part of the current shot in steps of 1/1000:
// (Round(1000 * shots * p) mod 1000) / 1000, rounding halves to even. Being
// rounded, it restarts at 0 up to half a step before ChooseShot's cut.
double ShotPulse(float p, int shots);

// A full-screen quad for DrawFadeQuad.
struct TFade {
  TColour Colour;
  TFadeBlend Blend;
};
// Black with alpha 1 - sin^2 u, alpha blended: opaque at u = 0 and u = pi,
// clear at u = pi / 2.
TFade BlackFade(double u);
// Grey c = 1 - (sin u)^(1/4) (two square roots), added: white at u = 0 and
// u = pi, nothing at u = pi / 2.
TFade WhiteFlash(double u);

// The caption advance 40 + 25 p: letters 50 wide that start overlapping and
// spread apart over the scene.
float CaptionAdvance(float p);

// The line most scenes caption with: centred, glyph bottoms on the lower
// bar's edge (y 420), cells 50 x 50.
TCaption LowerCaption(const std::string& text, float advance, TColour colour);

struct THumPlan {
  float PathFraction;  // waits at 0 until p = 0.8
  // The loop the "PLANE" screen plays (Loop1Frames, Loop2Frames or
  // Loop3Frames) and the slot in it; nullptr if no range holds p.
  const uint32_t* ScreenLoop;
  int ScreenSlot;
  float FadeLevel;
  std::vector<TCaption> Captions;  // none
};
THumPlan HumPlan(float p);

struct TPrefallPlan {
  TShot Shot;       // which of the eight paths, and where on it
  TFade Fade;       // black at every cut
  float FadeLevel;  // square root of the shot pulse
  std::vector<TCaption> Captions;  // none
};
TPrefallPlan PrefallPlan(float p);

struct TBalancePlan {
  float PathFraction;
  TFade Fade;
  float FadeLevel;
  std::vector<TCaption> Captions;
};
TBalancePlan BalancePlan(float p);

struct TFallPlan {
  float PathFraction;
  float FigureFraction;  // on the falling figure's own path
  TFade Fade;            // out of black, then into white from p = 0.5
  float FadeLevel;
  std::vector<TCaption> Captions;
};
TFallPlan FallPlan(float p);

struct TWaterPlan {
  float PathFraction;
  double WaterPhase;
  TFade Fade;
  float FadeLevel;
  std::vector<TCaption> Captions;
};
TWaterPlan WaterPlan(float p);

struct TWobblerPlan {
  TShot Shot;       // which of the four paths, and where on it
  float FadeLevel;  // square root of the shot pulse
  // The black " MOTION", then the white "E" fading in on its leading blank.
  std::vector<TCaption> Captions;
};
TWobblerPlan WobblerPlan(float p);

struct TRushPlan {
  float PathFraction;
  TFade Fade;       // additive white at both ends, nothing at p = 0.5
  float FadeLevel;  // blur mix: 0 (blurred) at the ends, 1 (sharp) at p = 0.5
  std::vector<TCaption> Captions;
};
TRushPlan RushPlan(float p);

struct TCappedPlan {
  TShot Shot;       // four shots, each flying its whole path
  float CapAngle;   // turn of the arounder about the vertical axis
  TFade Fade;       // white flash up to p = 0.5, black fade after it
  float FadeLevel;  // sharpens linearly within each shot
  std::vector<TCaption> Captions;
};
TCappedPlan CappedPlan(float p);

struct TJumpPlan {
  TShot Shot;        // four shots, each flying the first half of its path
  float FadeLevel;   // square root of the shot pulse
  float RingP;       // p / 3 in single precision: the rings' phase is 4 * RingP
  bool Water;        // last quarter: no rings, dark haze and water
  double WaterPhase;
  std::vector<TCaption> Captions;
};
TJumpPlan JumpPlan(float p);

constexpr int AtomQuadCount = 5;
constexpr int AtomShellCount = 26;

struct TAtomPlan {
  float PathFraction;
  bool Quake;                       // second half: a growing random jolt
  TVector3 QuakeAmplitude;          // full width of the jolt on each axis
  float RingP;                      // p / 3 in single precision
  bool Flash;                       // from p = 0.45: the ATOM quads and the shells
  float QuadA[AtomQuadCount];       // quad i + 1 spans x in [-a, a] ...
  float QuadB[AtomQuadCount];       // ... and z in [-b, b]; b < 0 mirrors it
  float ShellScale[AtomShellCount]; // shell k is the sky scaled by this
  std::optional<TFade> Fade;        // first half: the picture comes out of black
  float FadeLevel;                  // g: the blur mix, caption opacity and spread
  std::vector<TCaption> Captions;
};
TAtomPlan AtomPlan(float p);

constexpr int GreetingSlotCount = 16;

// The greeting of each slot; slots 0, 1, 14 and 15 are empty.
extern const char* const GreetingList[GreetingSlotCount];

struct TOutroPlan {
  float PathFraction;
  double WaterPhase;  // 12 * (p / 4): three of the four height-field pairs
  TFade Fade;         // additive white at both ends
  float FadeLevel;
  int Slot;           // greeting slot, 0 to 15
  // The slot's greeting, its opacity rising through the slot.
  std::vector<TCaption> Captions;
};
TOutroPlan OutroPlan(float p);

struct TLastPlan {
  float WorldFraction;     // 30 % to 50 % of the world path
  float CorridorFraction;  // the first 80 % of the corridor path
  double WaterPhase;
  float FadeLevel;         // sharp at the start, blurred at the end
  std::vector<TCaption> Captions;  // two white lines fading in
};
TLastPlan LastPlan(float p);

struct TMovrikPlan {
  float PathFraction;
  float StreakLift;  // the streak layer climbs 700 * p
  float StreakP;     // p / 3 in single precision
  std::optional<TFade> Flash;  // first quarter: additive white
  std::optional<TFade> Fade;   // second half: alpha-blended black over everything
  float FadeLevel;
  std::vector<TCaption> Captions;  // five white, opaque lines
};
TMovrikPlan MovrikPlan(float p);
