// The frame. Every frame is drawn into an offscreen framebuffer object of the
// frame's size, bound for drawing and reading, so "the back buffer" that the
// effects copy from and read back is always this one, whether the program
// runs in a window or headless. The window front end puts it onto the window;
// the capture tool reads it back.
//
// This module owns the frame: its size, its samples, its storage and the
// render targets the screen effects draw through (FrameTargets). MakeFrame
// alone makes them, all together or not at all.
//
// The frame is the designed 4:3 picture: 640 x 480 pixels unless the program
// makes another 4:3 size, the world in the letterbox band between two black
// bars (FrameLetterbox). Its scale k = width / 640 = height / 480 turns a
// length of the 640 x 480 picture into frame pixels (FramePixels). Overlay
// space stays 640 x 480 units at any size.
//
// An output (a window, a video, PNG frames) of any shape shows the frame
// drawn at the k that fits the band to it (FrameForOutput): the band fills a
// 16:9 output edge to edge, a wider one gets black pillars, a taller one
// part of the bars, a 4:3 one the whole frame. PlaceFrame says where a frame
// stands in its output, for the window's blit and the capture's padding
// alike.
//
// FrameScale, FramePixels, FrameLetterbox, ScreenCopySide, GlowCornerPixels,
// BlurCornerPixels, CheckFrameSize, FrameForOutput and PlaceFrame are plain
// arithmetic: every size is an argument, and they read no global and issue no
// GL call. FrameWidth, FrameHeight, FrameSampleCount and FrameTargets read
// the frame as it is; the other functions issue GL calls and need a current
// context.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int BaseFrameWidth = 640;
constexpr int BaseFrameHeight = 480;
constexpr int SmallestFrameWidth = 320;
// The smallest output a frame fits: the band of a 320 x 240 frame.
constexpr int SmallestOutputWidth = 320;
constexpr int SmallestOutputHeight = 180;
// The largest side a command line may name; the driver's own limits
// (MakeFrame) are smaller.
constexpr int LargestOutputSide = 32768;
// The top-left corners of the 640 x 480 picture that the effects work on, a
// side in pixels of that picture (overlay units): the glow corner, copied into
// GlowTexture and covered by the screen thumbnail, and the blurred corner
// (BlurTexture).
constexpr int BaseGlowCorner = 256;
constexpr int BaseBlurCorner = 128;

// The frame's size in pixels, 640 x 480 until MakeFrame makes another;
// read-only views, written by MakeFrame alone.
extern const int& FrameWidth;
extern const int& FrameHeight;

struct TFrameSize {
  int Width, Height;
};

// k of a frame frameWidth pixels wide: its pixels per pixel of the 640 x 480
// picture.
double FrameScale(int frameWidth);
// A length of the 640 x 480 picture in pixels of a frame frameWidth pixels
// wide: Round(length * k), halves to even, at least 1.
int FramePixels(double length, int frameWidth);

// The letterbox of a frame frameHeight rows tall, in whole rows: a bar of
// Round(frameHeight / 8) rows (halves to even) at the top and the same at
// the bottom, the band all the rows between. Every row is in exactly one.
struct TLetterbox {
  int Bar;   // rows of each bar
  int Band;  // rows of the band: frameHeight - 2 Bar
};
TLetterbox FrameLetterbox(int frameHeight);

// The sides of the render targets of a frame: a screen copy's side for a
// frame side (the smallest power of two that holds it: 1024 for 640, 512 for
// 480), and the glow and blurred corners' sides for a frame frameWidth pixels
// wide (BaseGlowCorner and BaseBlurCorner in its pixels: 256 and 128 at 640).
int ScreenCopySide(int frameSide);
int GlowCornerPixels(int frameWidth);
int BlurCornerPixels(int frameWidth);

// Whether WxH can be the frame: 4:3 exactly, at least 320 x 240. False with
// the reason otherwise. What the driver holds is MakeFrame's to check.
bool CheckFrameSize(int width, int height, std::string& error);

// The frame drawn for an output (a window, a video, PNG frames) of
// outputWidth x outputHeight pixels: the largest frame, its width a multiple
// of 4, no wider than the output and whose band is no taller, so k =
// min(width / 640, height / 360) in whole frame rows and columns. An output
// too small for even a 320 x 240 frame (under 320 x 180) gets the 640 x 480
// frame, which PlaceFrame then scales down into it.
TFrameSize FrameForOutput(int outputWidth, int outputHeight);

// Where a frame stands in an output of outputWidth x outputHeight pixels: the
// output's pixels it covers, from the output's top-left corner, y down. A
// frame that is the output's (FrameForOutput) stands pixel for pixel (Width x
// Height its own size), centred, an odd pixel left over going right and below.
// Any other frame is scaled, its aspect kept, by the smaller of the two scales
// at which its width and its band's height fit the output (in integer
// arithmetic), the frame centred. Left or Top is below zero where the output
// shows only the middle of the frame; the output is black wherever the frame
// does not reach. frame is at least 320 x 240.
struct TFramePlacement {
  int Left, Top;       // of the frame's top-left corner in the output
  int Width, Height;   // of the frame in output pixels
};
TFramePlacement PlaceFrame(TFrameSize frame, int outputWidth, int outputHeight);

// The render targets of the screen effects (engine/effects.h): GL texture
// names of RGB textures with linear filters and no mipmaps, texel (0, 0) at
// the frame's bottom-left. Sizes for a frame of width x height:
struct TFrameTargets {
  uint32_t ScreenCopyA = 0;  // ScreenCopySide(width) x ScreenCopySide(height) (1024 x 512 at 640 x 480)
  uint32_t ScreenCopyB = 0;  // the same
  uint32_t GlowTexture = 0;  // GlowCornerPixels(width) a side (256 at 640 x 480)
  uint32_t BlurTexture = 0;  // BlurCornerPixels(width) a side (128 at 640 x 480)
};
// The frame's render targets; all 0 until MakeFrame has made a frame.
const TFrameTargets& FrameTargets();
// Makes the render targets black again, as MakeFrame leaves them.
void ClearFrameTargets();

// Makes the frame width x height pixels (CheckFrameSize) with samples per
// pixel (1: not multisampled, the default; or 2, 4 or 8 where the driver
// offers them): its colour (RGB, no alpha), 24-bit depth and 8-bit stencil
// storage and its four render targets, all black. Every piece is made and
// checked beside the old frame first, and only when all are good does the new
// frame take the old one's place: bound, the viewport over the whole of it,
// the old pieces released. Depth and stencil share one buffer: clear them
// together, since clearing one alone has to keep the other.
// False with a reason naming the size and the limit (the driver's render
// buffers, viewport or textures), the sample counts the driver offers, or the
// piece the driver refused; then nothing has changed: the old frame, its
// size, samples, render targets and pixels, and the GL state (the frame
// buffer, render buffer and texture bindings, the viewport, the clear colour,
// the pack and unpack alignment) are as they were, and no GL error is left
// pending.
bool MakeFrame(int width, int height, int samples, std::string& error);

// The pieces MakeFrame makes, in its order. For tests, FailNextFramePiece
// makes the next MakeFrame ask the driver for that piece at a size it refuses,
// after the pieces before it have been made, as a driver that cannot make the
// piece would; None (the default) fails nothing. Used once, it is None again.
enum class TFramePiece { None, Storage, ScreenCopyA, ScreenCopyB, GlowTexture, BlurTexture };
void FailNextFramePiece(TFramePiece piece);

// The sample counts a frame can be asked for, whatever the driver offers.
constexpr int FrameSampleCounts[] = {2, 4, 8};
bool IsFrameSampleCount(int samples);
// The frame's samples per pixel, 1 when not multisampled; written by MakeFrame.
int FrameSampleCount();
// With samples, every read of the frame (the effects' copies and read-back,
// the capture's, the window's presentation) resolves it first, between
// BeginFrameRead and EndFrameRead. BeginFrameRead binds the frame's pixels for
// reading (resolved when multisampled); the frame stays bound for drawing.
// EndFrameRead binds the frame for both again.
void BeginFrameRead();
void EndFrameRead();

// Keeps a copy of the frame's colour, depth and stencil (in a second frame
// buffer object) and puts it back: for drawing that must leave no trace in the
// frame. Restoring releases the copy.
void SaveFrameContents();
void RestoreFrameContents();

// Reads the frame as RGB bytes, top row first. Sets the pack alignment to 1.
void ReadFramePixels(std::vector<uint8_t>& rgb);

// Draws the frame into the window's default framebuffer of the given size
// where PlaceFrame puts it, black around; then binds the frame again. The
// caller swaps buffers.
void BlitFrameToWindow(int windowWidth, int windowHeight);
