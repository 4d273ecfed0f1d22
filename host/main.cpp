// The demo: a window, the soundtrack and thirteen scenes in step with it.
#include "host/options.h"
#include "host/processsetup.h"
#include "host/timeline.h"
#include "host/window.h"

// The program's own main, on every system: SDL does not wrap it (on Windows
// SDL2main would); SDL_SetMainReady tells SDL so.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <string>

namespace {

// The window and its context first, then the demo's start-up in it (the
// loading screen, the content, the warm-up, the music from options.From),
// then the frames until the user quits; the end of the music ends the
// process inside the loop. False when the window could not be made (the user
// has been told why).
bool RunDemo(const TDemoOptions& options)
{
  const bool fullScreen = !options.Windowed && !options.Desktop;
  const int width = options.Width ? options.Width : 640;
  const int height = options.Height ? options.Height : 480;
  if (!CreateDemoWindow("mvrk_dms", width, height, 32, fullScreen, options.Windowed,
                        options.Desktop, options.Samples))
    return false;
  InitDemo(DemoMusicClock(), PresentFrame, options.From);
  RunMessageLoop();
  DestroyDemoWindow();
  return true;
}

}  // namespace

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
