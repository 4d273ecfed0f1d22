// The demo's window and GL context, on SDL2: the message loop with the free
// camera and the demo maker's keys (pause, seeking, overlay, reloading the
// camera paths), and window creation and teardown with their user-facing
// messages.
#pragma once

#include "host/options.h"

#include <cstdint>
#include <string>

// Creates the window (full screen unless options ask for a window), runs the
// loop until the user quits (Escape, even a tap shorter than a frame, or the
// close box), destroys the window. Returns false when the window could not be
// created. At the end of the music the process ends here with status 0 and
// without the teardown; a lost X display ends it with status 1
// (host/lostdisplay.h).
bool RunDemo(const TDemoOptions& options);

// The 640 x 480 full-screen mode (fullScreen), a desktop-sized full-screen
// window without a mode change (desktop) or a window of width x height
// (resizable); outside the full-screen mode the frame is drawn natively at the
// largest 4:3 size that fits and follows the window's size. samples: the
// frame's multisampling, 1 for none. The music and the scenes start at
// startTime ms.
bool CreateDemoWindow(const std::string& title, int width, int height, int bits, bool fullScreen,
                      bool resizable, bool desktop, int samples, int32_t startTime);
void DestroyDemoWindow();
