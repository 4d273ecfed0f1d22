// The demo's command line. With no arguments the demo runs as it always has:
// full screen (asking for a window when the display lacks the mode), from the
// start of the music. ParseDemoOptions reads the arguments without acting on
// them; main prints DemoUsage and chooses the exit status.
#pragma once

#include <cstdint>
#include <string>

struct TDemoOptions {
  bool Windowed = false;  // --window: a resizable window, without asking
  int32_t From = 0;       // --from MS: where the music and the scenes start, in ms
};

enum class TDemoCommand {
  Run,   // the options are read into TDemoOptions
  Help,  // --help or -h: the usage on standard output, status 0
  Bad,   // the reason is in error: the usage on standard error, status 2
};

TDemoCommand ParseDemoOptions(int argc, const char* const* argv, TDemoOptions& options,
                              std::string& error);

// The usage: the options, then the demo maker's keys and the free camera's.
std::string DemoUsage();
