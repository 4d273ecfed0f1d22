// The frame. Every frame is drawn into an offscreen framebuffer object of the
// frame's size, bound for drawing and reading, so "the back buffer" that the
// effects copy from and read back is always this one, whether the program
// runs in a window or headless. The window front end puts it onto the window;
// the capture tool reads it back.
//
// The frame is the designed 4:3 picture: 640 x 480 pixels unless the program
// chooses another 4:3 size (ChooseFrameSize), the world in the letterbox
// band between two black bars (FrameLetterbox). Its scale k = FrameWidth /
// 640 = FrameHeight / 480 turns a length of the 640 x 480 picture into frame
// pixels (FramePixels). Overlay space stays 640 x 480 units at any size.
//
// An output (a window, a video, PNG frames) of any shape shows the frame
// drawn at the k that fits the band to it (FrameToFit): the band fills a
// 16:9 output edge to edge, a wider one gets black pillars, a taller one
// part of the bars, a 4:3 one the whole frame.
//
// FrameScale, FramePixels, FrameLetterbox, CheckFrameSize, FrameToFit and
// FitFrameToWindow are plain arithmetic; the other functions issue GL calls
// and need a current context.
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
// (ChooseFrameSize) are smaller.
constexpr int LargestOutputSide = 32768;

extern int FrameWidth;   // frame pixels, 640 unless chosen; written by ChooseFrameSize
extern int FrameHeight;  // frame pixels, 480 unless chosen; written by ChooseFrameSize

// k: frame pixels per pixel of the 640 x 480 picture.
double FrameScale();
// A length of the 640 x 480 picture in frame pixels: Round(length * k),
// halves to even, at least 1.
int FramePixels(double length);

// The letterbox of a frame frameHeight rows tall, in whole rows: a bar of
// Round(frameHeight / 8) rows (halves to even) at the top and the same at
// the bottom, the band all the rows between. Every row is in exactly one.
struct TLetterbox {
  int Bar;   // rows of each bar
  int Band;  // rows of the band: frameHeight - 2 Bar
};
TLetterbox FrameLetterbox(int frameHeight);

// Whether WxH can be the frame: 4:3 exactly, at least 320 x 240. False with
// the reason otherwise. What the driver holds is ChooseFrameSize's to check.
bool CheckFrameSize(int width, int height, std::string& error);

// Makes WxH the frame's size (CheckFrameSize, then the driver's renderbuffer,
// texture and viewport limits); once the frame buffer exists, its storage is
// made anew at that size, black, and the viewport set to the whole frame.
// All or nothing: false with a reason naming the size and the limit (or the
// driver's refusal) otherwise, and then the frame, its storage and the GL
// state are as they were.
bool ChooseFrameSize(int width, int height, std::string& error);

// The frame drawn for an output (a window, a video, PNG frames) of width x
// height pixels: the largest frame, its width a multiple of 4, no wider than
// the output and whose band is no taller, so k = min(width / 640, height /
// 360) in whole frame rows and columns. The frame stands centred (an odd
// pixel left over goes right and below); Top is below zero where the output
// shows only the middle rows of the frame, and the output is black wherever
// the frame does not reach. FrameWidth 0 when not even a 320 x 240 frame
// fits (an output under 320 x 180).
struct TFrameFit {
  int FrameWidth, FrameHeight;
  int Left, Top;  // of the frame in the output, pixels from the top-left
};
TFrameFit FrameToFit(int width, int height);

// Multisampling: 1 (none, the default), or 2, 4 or 8 samples where the
// driver offers them; false with a reason naming the counts it offers
// otherwise. Once the frame buffer exists its storage is made anew, all or
// nothing as with ChooseFrameSize. With samples, every read of the frame
// (the effects' copies and read-back, the capture's, the window's
// presentation) resolves it first, between BeginFrameRead and EndFrameRead.
bool ChooseFrameSamples(int samples, std::string& error);
// The sample counts a frame can be asked for, whatever the driver offers.
constexpr int FrameSampleCounts[] = {2, 4, 8};
bool IsFrameSampleCount(int samples);
int FrameSampleCount();
// Binds the frame's pixels for reading (resolved when multisampled); the frame
// stays bound for drawing. EndFrameRead binds the frame for both again.
void BeginFrameRead();
void EndFrameRead();

// Creates the frame's colour (RGB, no alpha), 24-bit depth and 8-bit stencil
// storage at the chosen size, black, binds it and sets the viewport to the
// whole frame. Depth and stencil share one buffer: clear them together,
// since clearing one alone has to keep the other.
bool CreateFrameBuffer(std::string& error);

// Keeps a copy of the frame's colour, depth and stencil (in a second frame
// buffer object) and puts it back: for drawing that must leave no trace in the
// frame. Restoring releases the copy.
void SaveFrameContents();
void RestoreFrameContents();

// Reads the frame as RGB bytes, top row first. Sets the pack alignment to 1.
void ReadFramePixels(std::vector<uint8_t>& rgb);

// Draws the frame into the window's default framebuffer of the given size
// as FitFrameToWindow places it, black around; then binds the frame again.
// The caller swaps buffers.
void BlitFrameToWindow(int windowWidth, int windowHeight);

// Where BlitFrameToWindow puts the whole frame in a window of the given
// size, in GL window coordinates (x from the left, y from the bottom): pixel
// for pixel when the frame is the window's fit (FrameToFit), else scaled,
// its aspect kept, so that its band fits the window as the fit's would. The
// rectangle reaches past the window where the window shows only the frame's
// middle rows.
struct TFitRect {
  int x, y, width, height;
};
TFitRect FitFrameToWindow(int windowWidth, int windowHeight);
