#include "host/headlessdemo.h"

#include "engine/framebuffer.h"
#include "engine/headless.h"
#include "engine/paths.h"
#include "host/musicclock.h"
#include "host/processsetup.h"
#include "host/timeline.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

bool UseContentDirectory(const std::string& contentDir, std::string& error)
{
  struct stat state;
  const int code = ::stat(contentDir.c_str(), &state) != 0 ? errno
                   : !S_ISDIR(state.st_mode)               ? ENOTDIR
                   : ::access(contentDir.c_str(), R_OK | X_OK) != 0 ? errno
                                                                    : 0;
  if (code != 0) {
    error = "cannot enter the content directory " + contentDir + ": " + std::strerror(code);
    return false;
  }
  SetContentRoot(contentDir);
  return true;
}

bool StartHeadlessDemo(const std::string& contentDir, int width, int height, int samples,
                       const std::function<void()>& present, std::string& error)
{
  if (!UseContentDirectory(contentDir, error))
    return false;
  MaskFloatingPointExceptions();
  KeepFreedMemory();
  if (!CreateHeadlessContext(error)) {
    error = "no headless GL context: " + error;
    return false;
  }
  if (!MakeFrame(width, height, samples, error))
    return false;
  SetupViewport(FrameWidth, FrameHeight);
  // Nothing plays: the callers name each frame's time themselves.
  TScriptedClock clock;
  InitDemo(clock, present, 0);
  return true;
}

void RenderHeadlessFrame(int32_t t, int32_t step)
{
  RenderFrame(t);
  EndFrame(std::max(step, FramePace));
}
