// What the scenes of the second half (rush, capped, jump, atom, outro, last,
// movrik) compute from their progress p before they draw: path fractions,
// shots, fade quads, blur-mix levels, flash sizes and captions. Each scene's
// Render takes its plan and issues the GL calls; the plan functions are plain
// arithmetic and touch no GL. QuakeOffset alone draws from NextRandom.
//
// p is the scene's progress in [0, 1) as a float; fractions are those given
// to SampleCameraPath, angles are degrees (as glRotatef takes them), caption
// advances are overlay pixels.
#pragma once

#include "engine/camera.h"
#include "scenes/frame.h"
#include "scenes/shots.h"

#include <string>

struct TRushPlan {
  float PathFraction;
  TFade Flash;       // additive white at both ends, nothing at p = 0.5
  float FadeLevel;   // blur mix: 0 (blurred) at the ends, 1 (sharp) at p = 0.5
  float CaptionAdvance;
  float CaptionAlpha;
};
TRushPlan RushPlan(float p);

struct TCappedPlan {
  TShot Shot;        // four shots, each flying its whole path
  float CapAngle;    // turn of the arounder about the vertical axis
  TFade Fade;        // white flash up to p = 0.5, black fade after it
  float FadeLevel;   // sharpens linearly within each shot
  float CaptionAdvance;
  float CaptionAlpha;
};
TCappedPlan CappedPlan(float p);

struct TJumpPlan {
  TShot Shot;        // four shots, each flying the first half of its path
  float FadeLevel;   // square root of the shot pulse
  float RingP;       // p / 3 in single precision: the rings' phase is 4 * RingP
  bool Water;        // last quarter: no rings, dark haze and water
  double WaterPhase;
  float CaptionAdvance;
  float CaptionAlpha;
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
  bool Fade;                        // first half: the picture comes out of black
  TFade FadeQuad;
  float Glow;                       // g: the blur mix, caption alpha and spread
  float CaptionAdvance;
};
TAtomPlan AtomPlan(float p);

// The quake's RandomJolt when the plan has one (three random numbers drawn);
// zero and nothing drawn otherwise.
TVector3 QuakeOffset(const TAtomPlan& plan);

constexpr int GreetingSlotCount = 16;

struct TOutroPlan {
  float PathFraction;
  double WaterPhase; // 12 * (p / 4): three of the four height-field pairs
  TFade Flash;
  float FadeLevel;
  int Slot;          // greeting slot, 0 to 15
  std::string Caption;
  float CaptionAlpha; // rises through each slot
  float CaptionAdvance;
};
TOutroPlan OutroPlan(float p);

// The greeting of each slot; slots 0, 1, 14 and 15 are empty.
extern const char* const GreetingList[GreetingSlotCount];

struct TLastPlan {
  float WorldFraction;    // 30 % to 50 % of the world path
  float CorridorFraction; // the first 80 % of the corridor path
  double WaterPhase;
  float FadeLevel;        // sharp at the start, blurred at the end
  float CaptionAlpha;
};
TLastPlan LastPlan(float p);

constexpr int MovrikCaptionCount = 5;

struct TCaption {
  std::string Text;
  float X, Y;              // line centre, glyph bottoms
  float GlyphWidth, GlyphHeight;
  float Advance;
};

struct TMovrikPlan {
  float PathFraction;
  float StreakLift;  // the streak layer climbs 700 * p
  float StreakP;     // p / 3 in single precision
  bool Flash;        // first quarter: additive white
  TFade FlashQuad;
  bool Fade;         // second half: alpha-blended black over everything
  TFade FadeQuad;
  float FadeLevel;
  TCaption Captions[MovrikCaptionCount];  // white, opaque, in drawing order
};
TMovrikPlan MovrikPlan(float p);
