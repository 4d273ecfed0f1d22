// The demo: a window, the soundtrack and thirteen scenes in step with it.
#include "host/options.h"
#include "host/processsetup.h"
#include "host/window.h"

// The program's own main, on every system: SDL does not wrap it (on Windows
// SDL2main would); SDL_SetMainReady tells SDL so.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
  TDemoOptions options;
  std::string error;
  switch (ParseDemoOptions(argc, argv, options, error)) {
    case TDemoCommand::Help:
      std::fputs(DemoUsage().c_str(), stdout);
      return 0;
    case TDemoCommand::Bad:
      std::fprintf(stderr, "mvrk_dms: %s\n%s", error.c_str(), DemoUsage().c_str());
      return 2;
    case TDemoCommand::Run:
      break;
  }
  SDL_SetMainReady();
  MaskFloatingPointExceptions();
  KeepFreedMemory();
  return RunDemo(options) ? 0 : 1;
}
