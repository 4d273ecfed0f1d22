// The demo: a window, the soundtrack and thirteen scenes in step with it.
#include "host/timeline.h"
#include "host/window.h"

int main()
{
  MaskFloatingPointExceptions();
  return RunDemo() ? 0 : 1;
}
