// Screen-space effects on the frame before it is presented: the motion trail
// (the previous frame blended over the new one), thumbnails that shrink the
// picture on the GPU, a software blur of the 128 x 128 corner, the blur mix
// and the additive glow, and the sphere-map switch.
//
// The picture lives in the frame buffer; two 1024 x 512 screen copies
// alternate from frame to frame (ScreenCopyIndex 1 = ScreenCopyA is current).
// A copy holds the 640 x 480 picture at texels (0, 0) to (640, 480), t = 0 at
// the bottom row. Quads are in the overlay space (y down). Every drawing
// operation issues GL calls and needs GL_TEXTURE_2D enabled by the caller;
// BlurPasses is plain arithmetic.
#pragma once

#include <cstdint>

constexpr int BlurSize = 128;
constexpr int BlurRowBytes = BlurSize * 3;

extern int32_t ScreenCopyIndex;  // 1 or 2; flipped by FlipScreenCopies every frame

// The copy written this frame and the one written last frame.
uint32_t CurrentScreenCopy();
uint32_t PreviousScreenCopy();

void DrawTrail(float alpha);
void CaptureScreen();
void DrawScreenThumbnail();
void CaptureGlowCorner();
void DrawGlowThumbnail();
// The four recursive passes (up, down, right, left) over a 128 x 128 RGB
// buffer whose row 0 is the lowest frame-buffer row; weight 0 to 256 is the
// share each output takes from its already filtered neighbour.
void BlurPasses(uint8_t buffer[BlurSize * BlurRowBytes], int weight);
// Reads the frame's 128 x 128 top-left corner, blurs it and uploads it to
// BlurTexture.
void BlurCorner(int weight);
// Draws the current copy back over the top-left 256 x 256 corner that the
// thumbnails overwrote; the rest of the frame is what was copied, so it is
// left alone. Leaves the scissor state as it found it.
void RestoreScreen();
void AddGlow();
// Result: blur * (1 - alpha) + picture * alpha.
void MixBlur(float red, float green, float blue, float alpha);
void FlipScreenCopies();
// on = 1 turns sphere-map generation of s and t on; any other value turns it off.
void SphereMapping(uint8_t on);
