// Bitmap-font text in the 2D overlay space.
//
// Overlay space: x from 0 (left) to ScreenWidth, y from 0 (top) to
// ScreenHeight, growing downward; depth -1 to 1. The font image is a 16 x 16
// grid of glyph cells covering the whole image, the glyph of byte c in column
// c mod 16 and row c div 16, row 0 at the top. The font texture takes its
// alpha from its own brightness, so dark cells are transparent.
//
// LayoutText is plain arithmetic; Begin2D, End2D and DrawText issue GL calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern uint32_t FontTexture;  // GL texture name; loaded by InitDemo from "data\font.jpg"

// The size of overlay space, in overlay units: 640 x 480 at any frame size
// (a unit is k frame pixels, engine/framebuffer.h).
constexpr int32_t ScreenWidth = 640;
constexpr int32_t ScreenHeight = 480;

// One glyph box in overlay units with its cell's texture coordinates.
struct TGlyphQuad {
  float x0, x1, top, bottom;
  double s0, s1, t0, t1;
};

// One quad per byte: the line starts at x - n * advance / 2, glyph k at
// left + k * advance, every box glyphHeight tall with its bottom at y.
std::vector<TGlyphQuad> LayoutText(const std::string& text, float x, float y, float glyphWidth,
                                   float glyphHeight, float advance);

// Overlay projection (orthographic, y down) and identity modelview; leaves
// the modelview matrix selected.
void Begin2D();
// Selects the projection and then the modelview matrix; restores nothing, so
// the overlay projection stays in force until a camera is applied.
void End2D();

// Draws one line of text in one colour, blended over the frame. Leaves: the
// overlay projection, modelview identity, depth test off, blending off, 2D
// texturing on, colour white, texture bound.
void DrawText(const std::string& text, uint32_t texture, float x, float y, float glyphWidth,
              float glyphHeight, float advance, float red, float green, float blue, float alpha);
