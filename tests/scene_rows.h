// The thirteen scenes as their tests see them. SceneRows holds one row per
// scene with what it shows: its fade or flash quad, blur mix and captions at
// the start, middle and end, how its first frame opens, when its captions are
// checked on the frame, and the random numbers its shake draws. The helpers
// below render the real scenes in the started demo and find the caption
// glyphs on a frame. The tests are split by what they check:
// scene_plans_test.cpp (the table's plan columns), scene_captions_test.cpp,
// scene_frames_test.cpp (first frames, random draws, the GL state left behind)
// and scene_details_test.cpp (each scene's own arithmetic).
#pragma once

#include "engine/random.h"
#include "host/timeline.h"
#include "scenes/plans.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The largest float below x, and the smallest above it.
float Below(float x);
float Above(float x);

// Progress of timeline slot `slot` at music time t.
float ProgressOfSlot(int slot, int32_t t);

// How many numbers NextRandom handed out since the seed was `before`.
int DrawsSince(uint32_t before);

// Saves the shared generator state and puts it back after the test.
class SeedGuard {
public:
  SeedGuard() : Saved(RandomSeed) {}
  ~SeedGuard() { RandomSeed = Saved; }

private:
  uint32_t Saved;
};

// What the scene table compares of a plan: the full-screen quad it draws (if
// any), its blur mix and its captions.
struct TPlanView {
  std::optional<TFade> Quad;
  float FadeLevel;
  std::vector<TCaption> Captions;
};

// A fade or flash quad: additive white of this grey, or black of this alpha.
struct TQuadRow {
  bool Drawn;
  TFadeBlend Blend;
  float Level;
};
constexpr TQuadRow NoQuad = {false, TFadeBlend::Alpha, 0};
constexpr TQuadRow Black(float alpha)
{
  return {true, TFadeBlend::Alpha, alpha};
}
constexpr TQuadRow White(float grey)
{
  return {true, TFadeBlend::Additive, grey};
}

// One caption line: its text and place, square glyph cells, its colour, and
// its advance and opacity at p = 0, 0.5 and just below 1.
struct TLineRow {
  const char* Text;  // nullptr: changes with p (the outro's greetings)
  float X, Y, Glyph;
  bool White;
  float Advance[3];
  float Alpha[3];
};

// What a scene's first frame shows when drawn from a fresh start (no trail of
// an earlier frame).
enum class TOpening { Picture, Black, WhiteMiddle };

// A music time at which the captions are checked on the rendered frame.
// MinInk > 0 also asks for more than that many pixels of the letters' own
// colour (near black or near white) in the middle of every glyph box, and
// none of it in the picture around the lines.
struct TCaptionSample {
  int32_t Time;
  int MinInk;
};

struct TSceneRow {
  const char* Name;
  int Slot;
  TPlanView (*Plan)(float p);
  // At p = 0, 0.5 and just below 1.
  TQuadRow Quad[3];
  float FadeLevel[3];
  std::vector<TLineRow> Lines;
  TOpening Opening;
  std::vector<TCaptionSample> CaptionSamples;
  // Random numbers drawn by Render at p = 0.5, 1.5, 65.5 and 66.5 / 128: a
  // beat step and an off-beat step, then an off-beat and a beat step past
  // the middle.
  int Draws[4];
};

constexpr float LastP = 0.99999994f;  // Below(1.0f)

extern const TSceneRow SceneRows[SceneCount];
const TSceneRow& Row(const std::string& name);

// The real scene table with every scene prepared on the generated content,
// in the started demo. False, with the reason, without GL or content.
bool UseRealScenes(std::string& error);

// A music time at fraction f of the scene's shown interval (cut off at the
// last frame the program draws).
int32_t TimeAt(const mve_genericscene& scene, double f);

// The frame at music time t as a fresh start of the demo draws it first, with
// the captions in `font`: the screen copies and the glow and blur targets
// black, and a frame time long enough to make the trail's alpha negative, so
// no earlier frame shows. The random generator is put back, so that a second
// call jolts the view the same.
std::vector<uint8_t> RenderAfresh(int32_t t, uint32_t font);

// The frame at t drawn afresh with the real font and with the blank one.
struct TFramePair {
  std::vector<uint8_t> Shown, Plain;
};
TFramePair RenderWithAndWithoutFont(int32_t t);

// The box of one non-blank character of a caption, as the text layout places
// it, with the caption's colour: +1 for white letters, -1 for black ones.
struct TGlyphBox {
  float x0, x1, top, bottom;
  int Sign;
  char Char;
  std::string Text;
};
std::vector<std::vector<TGlyphBox>> GlyphBoxes(const std::vector<TCaption>& captions);

// Mean of the three channels, 0 to 255.
double Grey(const std::vector<uint8_t>& frame, int x, int y);
// A pixel in the letters' own colour: every channel at most 40 for black
// letters, at least 235 for white ones.
bool Ink(const std::vector<uint8_t>& frame, int x, int y, int sign);
// Whether the centre of pixel (x, y) lies in the box, widened by one pixel.
bool InBox(const TGlyphBox& b, int x, int y);

// Compares the frame drawn with the font and with the blank one: every pixel
// that changes by more than 6 of 255 lies in the box of a non-blank
// character, black letters darken and white ones brighten their boxes, and
// every box over a background its letters can show on (mean grey above 40
// for black letters, below 215 for white ones) holds at least 20 such pixels;
// at least three boxes can show. The boxes are in overlay units and land at k
// times their place in a frame of another size.
void ExpectGlyphsInTheirBoxes(const TFramePair& frames, const std::vector<TGlyphBox>& boxes);
