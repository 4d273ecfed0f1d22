// A GL context with no window: EGL on Mesa's surfaceless platform, or where
// that is missing (another vendor's EGL) on the first EGL device that gives
// one (EGL_EXT_platform_device): a desktop GL compatibility context with a
// 640 x 480 pbuffer and 24 depth bits. Used by the tests, the capture tool and
// the bench; the frame itself is drawn into the frame buffer object of
// framebuffer.h, at any size, as in the window.
#pragma once

#include <string>

// Creates the context, makes it current and makes the 640 x 480 frame
// (MakeFrame), bound. Returns false with a reason when any step fails. The context is
// made once per process: later calls give the first call's answer.
bool CreateHeadlessContext(std::string& error);
