// The 640 x 480 frame. Every frame is drawn into an offscreen framebuffer
// object of that size, bound for drawing and reading, so "the back buffer"
// that the effects copy from and read back is always this one, whether the
// program runs in a window or headless. The window front end scales it onto
// the window; the capture tool reads it back. All functions issue GL calls
// and need a current context.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int FrameWidth = 640;
constexpr int FrameHeight = 480;

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
// scaled to fit with its aspect kept, centred, black around; then binds the
// frame again. The caller swaps buffers.
void BlitFrameToWindow(int windowWidth, int windowHeight);

// The destination rectangle of BlitFrameToWindow: x, y, width, height.
struct TFitRect {
  int x, y, width, height;
};
TFitRect FitFrameToWindow(int windowWidth, int windowHeight);
