// What the demo does when its X display goes away (the server crashed or was
// restarted, a remote display dropped, the user logged out): it says so on
// standard error, naming the display, and ends at once with status 1. It runs
// no teardown: Xlib's own handler would call exit(), whose atexit SDL_Quit
// then waits forever on the dead connection to restore the display mode.
#pragma once

// Installs the handler, for the process, once SDL's video runs on X11; any
// other video driver is left alone. Call it after SDL's video is started. On
// Windows the window system is part of the system, with no connection to
// lose: it does nothing there (lostdisplay_windows.cpp).
void EndOnLostDisplay();
