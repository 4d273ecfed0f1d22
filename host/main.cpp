// The demo: a window, the soundtrack and thirteen scenes in step with it.
#include "engine/filesystem.h"
#include "engine/paths.h"
#include "host/musicclock.h"
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

// The demo reads its content from the working directory. Started elsewhere,
// its first missing file ends it; the way out is said first.
void AdviseOnMissingContent()
{
  if (!PathExists(ResolvePath("data")))
    std::fprintf(stderr,
                 "mvrk_dms: the working directory holds no data folder: run mvrk_dms in its "
                 "content folder (the one that holds data, City and the others)\n");
}

// The window and its context first, then the demo's start-up in it (the
// loading screen, the content, the warm-up, the music from options.From,
// held there with --pause), then the frames until the user quits or the
// music is over, then the teardown. False when the window could not be made
// (the user has been told why).
bool RunDemo(const TDemoOptions& options)
{
  const int width = options.Width ? options.Width : 640;
  const int height = options.Height ? options.Height : 480;
  AdviseOnMissingContent();
  if (!CreateDemoWindow("mvrk_dms", options.Mode, width, height, 32, options.Samples))
    return false;
  TMusicClock& clock = DemoMusicClock();
  InitDemo(clock, [&] { PresentFrame(options.From); }, options.From);
  // Said on standard error as the pause key says it, with the time.
  if (options.Paused) {
    // Held at From exactly, however long the pause took to come.
    clock.Pause();
    clock.Seek(options.From);
    std::fprintf(stderr, "mvrk_dms: paused at %d ms\n", static_cast<int>(clock.Position()));
  } else {
    std::fprintf(stderr, "mvrk_dms: playing from %d ms\n", static_cast<int>(options.From));
  }
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
