// The demo's command line. With no arguments the demo runs as it always has:
// full screen (asking for a window when the display lacks the mode), from the
// start of the music. ParseDemoOptions reads the arguments without acting on
// them; main prints DemoUsage and chooses the exit status.
#pragma once

#include "host/window.h"

#include <cstdint>
#include <string>

struct TDemoOptions {
  // --window: Window (resizable, without asking); --desktop: Desktop (full
  // screen at the desktop's resolution, no mode change).
  TWindowMode Mode = TWindowMode::FullScreen;
  int32_t From = 0;       // --from MS: where the music and the scenes start, in ms
  bool Paused = false;    // --pause: the music starts paused at From (Space plays it)
  int32_t Width = 0;      // --size WxH (with --window): the window's client size; 0: 640 x 480
  int32_t Height = 0;
  int32_t Samples = 1;    // --msaa N: samples a pixel, 1 for none
};

enum class TDemoCommand {
  Run,   // the options are read into TDemoOptions
  Help,  // --help or -h: the usage on standard output, status 0
  Bad,   // the reason is in error: the usage on standard error, status 2
};

// "WxH", an output size the demo, the capture and the bench take: from
// SmallestOutputWidth x SmallestOutputHeight to LargestOutputSide a side
// (engine/framebuffer.h). False with the reason, naming the text, otherwise.
bool ParseOutputSize(const std::string& flag, const char* text, int32_t& width, int32_t& height,
                     std::string& error);

// "N" for --msaa: a count of FrameSampleCounts. False with the reason otherwise.
bool ParseSampleCount(const char* text, int32_t& samples, std::string& error);

TDemoCommand ParseDemoOptions(int argc, const char* const* argv, TDemoOptions& options,
                              std::string& error);

// The usage: the options, then the demo maker's keys and the free camera's.
std::string DemoUsage();
