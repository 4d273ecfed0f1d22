// The frame. Every frame is drawn into an offscreen framebuffer object of the
// frame's size, bound for drawing and reading, so "the back buffer" that the
// effects copy from and read back is always this one, whether the program
// runs in a window or headless. The window front end puts it onto the window;
// the capture tool reads it back.
//
// The frame is 640 x 480 pixels unless the program chooses another 4:3 size
// (ChooseFrameSize); its scale k = FrameWidth / 640 = FrameHeight / 480 turns
// a length of the 640 x 480 picture into frame pixels (FramePixels). Overlay
// space stays 640 x 480 units at any size. FrameScale, FramePixels and
// CheckFrameSize are plain arithmetic; the other functions issue GL calls and
// need a current context.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int BaseFrameWidth = 640;
constexpr int BaseFrameHeight = 480;
constexpr int SmallestFrameWidth = 320;
constexpr int LargestFrameWidth = 2880;

extern int FrameWidth;   // frame pixels, 640 unless chosen; written by ChooseFrameSize
extern int FrameHeight;  // frame pixels, 480 unless chosen; written by ChooseFrameSize

// k: frame pixels per pixel of the 640 x 480 picture.
double FrameScale();
// A length of the 640 x 480 picture in frame pixels: Round(length * k), at least 1.
int FramePixels(double length);

// Whether WxH can be the frame: 4:3 exactly, 320 x 240 to 2880 x 2160. False
// with the reason otherwise.
bool CheckFrameSize(int width, int height, std::string& error);

// Makes WxH the frame's size (CheckFrameSize, then the driver's renderbuffer
// and texture limits); once the frame buffer exists, its storage is made anew
// at that size. False with a reason naming the size and the limit otherwise,
// the size left as it was.
bool ChooseFrameSize(int width, int height, std::string& error);

// The frame drawn for an output (a window, a video) of width x height
// pixels: the largest 4:3 frame that fits (its width a multiple of 4, at most
// 2880 x 2160), centred, the rest black bars. FrameWidth 0 when not even a
// 320 x 240 frame fits.
struct TFrameFit {
  int FrameWidth, FrameHeight;
  int Left, Top;  // of the frame in the output, pixels from the top-left
};
TFrameFit FrameToFit(int width, int height);

// Multisampling: 1 (none, the default), or 2, 4 or 8 samples where the
// driver offers them; false with a reason naming the counts it offers
// otherwise. Once the frame buffer exists its storage is made anew. With
// samples, every read of the frame (the effects' copies and read-back, the
// capture's, the window's presentation) resolves it first, between
// BeginFrameRead and EndFrameRead.
bool ChooseFrameSamples(int samples, std::string& error);
int FrameSampleCount();
// Binds the frame's pixels for reading (resolved when multisampled); the frame
// stays bound for drawing. EndFrameRead binds the frame for both again.
void BeginFrameRead();
void EndFrameRead();

// Creates the frame's colour (RGB, no alpha), 24-bit depth and 8-bit stencil
// storage and binds it. Depth and stencil share one buffer: clear them
// together, since clearing one alone has to keep the other.
bool CreateFrameBuffer(std::string& error);

// Keeps a copy of the frame's colour, depth and stencil (in a second frame
// buffer object) and puts it back: for drawing that must leave no trace in the
// frame. Restoring releases the copy.
void SaveFrameContents();
void RestoreFrameContents();

// Reads the frame as RGB bytes, top row first.
void ReadFramePixels(std::vector<uint8_t>& rgb);

// Draws the frame into the window's default framebuffer of the given size,
// pixel for pixel when it was drawn at the window's fit (FrameToFit), else
// scaled to fit with its aspect kept; centred, black around; then binds the
// frame again. The caller swaps buffers.
void BlitFrameToWindow(int windowWidth, int windowHeight);

// The destination rectangle of BlitFrameToWindow: x, y, width, height.
struct TFitRect {
  int x, y, width, height;
};
TFitRect FitFrameToWindow(int windowWidth, int windowHeight);
