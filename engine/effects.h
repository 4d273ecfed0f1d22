// Screen-space effects on the frame before it is presented: the motion trail
// (the previous frame blended over the new one), thumbnails that shrink the
// picture on the GPU, a software blur of the frame's top-left corner, the
// blur mix and the additive glow, and the sphere-map switch.
//
// The picture lives in the frame buffer; two screen copies, render targets of
// the frame (FrameTargets, engine/framebuffer.h), alternate from frame to
// frame (ScreenCopyIndex 1 = ScreenCopyA is current). A copy holds the
// picture at texels (0, 0) to (FrameWidth, FrameHeight), t = 0 at the bottom
// row. The glow corner and the blurred corner are the frame's top-left
// GlowCornerPixels and BlurCornerPixels a side (256 and 128 at 640 x 480).
// Quads are in the overlay space (y down), 640 x 480 units at any frame size.
// Every drawing operation issues GL calls on the frame as it is and needs
// GL_TEXTURE_2D enabled by the caller; BlurPasses and ScaledBlurWeight are
// plain arithmetic.
#pragma once

#include <cstdint>

// 1 or 2: which screen copy is current. Flipped by FlipScreenCopies every
// frame; put back by the timeline where it draws frames that must leave no
// trace (the warm-up, a paused frame; host/timeline.h).
extern int32_t ScreenCopyIndex;

// The copy written this frame and the one written last frame.
uint32_t CurrentScreenCopy();
uint32_t PreviousScreenCopy();

void DrawTrail(float alpha);
void CaptureScreen();
void DrawScreenThumbnail();
void CaptureGlowCorner();
void DrawGlowThumbnail();
// The four recursive passes (up, down, right, left) over a side x side RGB
// buffer (rows packed, side * 3 bytes each) whose row 0 is the lowest
// frame-buffer row; weight 0 to 256 is the share each output takes from its
// already filtered neighbour.
void BlurPasses(uint8_t* buffer, int side, int weight);
// The weight that gives a blur of a frame at scale k the reach, in frame
// units, that weight gives at k = 1: each pass keeps (weight / 256) of its
// neighbour per pixel, so per pixel at k it keeps (weight / 256)^(1 / k):
// Round(256 (weight / 256)^(1 / k)), weight itself at k = 1.
int ScaledBlurWeight(int weight, double k);
// Reads the frame's top-left corner (BlurCornerPixels a side), blurs it with
// the weight scaled to the frame (ScaledBlurWeight) and uploads it to
// BlurTexture. Draws nothing, so it leaves the matrices alone; leaves the
// pack and unpack alignment at 4.
void BlurCorner(int weight);
// Draws the current copy back over the top-left corner (the glow corner) that
// the thumbnails overwrote; the rest of the frame is what was copied, so it is
// left alone. Leaves the scissor state as it found it.
void RestoreScreen();
void AddGlow();
// Result: blur * (1 - alpha) + picture * alpha.
void MixBlur(float red, float green, float blue, float alpha);
// RestoreScreen, MixBlur and AddGlow drawn as one pass on the fast path
// (engine/shaders.h), leaving the colour (red, green, blue, alpha) current and
// BlurTexture bound as they do, and texture unit 1, which it reads the blur
// through, with no texture bound; false, drawing nothing, where the reference path is in force or
// its program could not be built (the caller then draws the three).
bool MixBlurAndAddGlow(float red, float green, float blue, float alpha);
void FlipScreenCopies();
// on = 1 turns sphere-map generation of s and t on; any other value turns it off.
void SphereMapping(uint8_t on);
