#include "host/lostdisplay.h"

// The window system is part of Windows itself: there is no connection to a
// display that could go away while the demo plays.
void EndOnLostDisplay() {}
