// The demo's window and GL context, on SDL2: window creation and teardown
// with their user-facing messages, the presenting of the frame into the
// window, and the message loop with the free camera and the demo maker's
// keys (pause, seeking, overlay, reloading the camera paths).
//
// The window knows nothing of the demo's start-up: the program's main makes
// the window, starts the demo in it (InitDemo, with DemoMusicClock and
// PresentFrame), runs the loop and destroys the window, in that order.
#pragma once

#include <string>

class TMusicClock;

// The 640 x 480 full-screen mode (fullScreen), a desktop-sized full-screen
// window without a mode change (desktop) or a window of width x height
// (resizable), with its GL context current and the frame's viewport set
// (SetupViewport); outside the full-screen mode the frame is drawn natively
// at the size whose letterbox band fits the window (FrameForOutput) and
// follows the window's size, or at 640 x 480 where the driver cannot make
// that size. samples: the frame's multisampling, 1 for none. Returns false,
// with the failure shown to the user and whatever was made undone, when the
// window, its context or its frame could not be had.
bool CreateDemoWindow(const std::string& title, int width, int height, int bits, bool fullScreen,
                      bool resizable, bool desktop, int samples);

// The soundtrack's clock, which paces the window's frames and which the
// developer keys pause and seek.
TMusicClock& DemoMusicClock();

// Shows the frame in the window, scaled or cropped to it, with the overlay
// over it when it is on, and swaps the buffers.
void PresentFrame();

// Takes the window's messages and, whenever none is waiting, draws a frame
// (DrawFrame), presents it and runs the free-camera step, until the user
// quits (Escape, even a tap shorter than a frame, or the close box). At the
// end of the music the process ends here with status 0 and without the
// teardown; a lost X display ends it with status 1 (host/lostdisplay.h).
void RunMessageLoop();

// Undoes whatever of the window and its context exists; a full-screen mode
// goes back to the desktop's.
void DestroyDemoWindow();
