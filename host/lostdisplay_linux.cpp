#include "host/lostdisplay.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Xlib calls this on a broken connection and ends the process if it returns.
int OnLostDisplay(Display* display)
{
  const char* name = display ? DisplayString(display) : std::getenv("DISPLAY");
  std::fprintf(stderr, "mvrk_dms: lost the connection to the X display %s; ending\n",
               name ? name : "(unknown)");
  std::fflush(stderr);
  ::_exit(1);
}

}  // namespace

void EndOnLostDisplay()
{
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "x11") == 0)
    XSetIOErrorHandler(OnLostDisplay);
}
