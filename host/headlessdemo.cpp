#include "host/headlessdemo.h"

#include "engine/framebuffer.h"
#include "engine/headless.h"
#include "host/musicclock.h"
#include "host/timeline.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

bool StartHeadlessDemo(const std::string& contentDir, const std::function<void()>& present,
                       std::string& error)
{
  if (::chdir(contentDir.c_str()) != 0) {
    error = "cannot enter the content directory " + contentDir + ": " + std::strerror(errno);
    return false;
  }
  MaskFloatingPointExceptions();
  KeepFreedMemory();
  if (!CreateHeadlessContext(error)) {
    error = "no headless GL context: " + error;
    return false;
  }
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
