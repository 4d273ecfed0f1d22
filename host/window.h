// The demo's window and GL context, on SDL2: window creation and teardown
// with their user-facing messages, the presenting of the frame into the
// window, and the message loop with the free camera and the demo maker's
// keys (pause, seeking, overlay, reloading the camera paths).
//
// The window knows nothing of the demo's start-up: the program's main makes
// the window, starts the demo in it (InitDemo, with DemoMusicClock and
// PresentFrame), runs the loop and destroys the window, in that order.
#pragma once

#include <cstdint>
#include <string>

class TMusicClock;

// How the window shows the demo; main chooses it once from the command line.
enum class TWindowMode {
  FullScreen,  // the display switched to the window's size (640 x 480); when the
               // display lacks that mode the user is asked for a window instead
  Desktop,     // full screen at the desktop's size, no mode change
  Window,      // a resizable window of the size asked for
};

// Makes the window in that mode, with its GL context current, the frame and
// the frame's viewport set (SetupViewport), in these steps, each reporting
// its own failure: the video start (a display, not a driver that draws
// nowhere), the mode (the full-screen question), the window, the GL context
// (the specified texts), the frame (its size named). Width x height is the
// full-screen mode's size or the window's client size; Desktop takes the
// desktop's. Outside the full-screen mode the frame is drawn natively at the
// size FrameForOutput gives for the window (the largest frame whose letterbox
// band fits it: 1920 x 1440 on a 1920 x 1080 desktop), or at 640 x 480 where
// the driver cannot make that size, and follows the window's size. samples: the frame's multisampling, 1 for none. Returns
// false, with the failure shown to the user and whatever was made undone,
// when the window, its context or its frame could not be had.
bool CreateDemoWindow(const std::string& title, TWindowMode mode, int width, int height, int bits,
                      int samples);

// The soundtrack's clock, which paces the window's frames and which the
// developer keys pause and seek.
TMusicClock& DemoMusicClock();

// Shows the frame drawn for music time t (ms) in the window, scaled or
// cropped to it, with the overlay over it when it is on, and swaps the
// buffers.
void PresentFrame(int32_t t);

// Takes the window's messages and, whenever none is waiting, draws a frame
// (DrawFrame), presents it and runs the free-camera step, until the user
// quits (Escape, even a tap shorter than a frame, or the close box) or the
// music is over; the caller then tears the window down. A lost X display
// ends the process here with status 1 (host/lostdisplay.h).
void RunMessageLoop();

// Undoes whatever of the window and its context exists; a full-screen mode
// goes back to the desktop's.
void DestroyDemoWindow();
