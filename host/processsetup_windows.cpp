#include "host/processsetup.h"

#include <float.h>

#include <cfenv>

// The C runtime's heap keeps what is freed for the process already.
void KeepFreedMemory() {}

void MaskFloatingPointExceptions()
{
  // Every exception masked and round to nearest, in the SSE unit and the x87
  // alike (_controlfp sets both on x64).
  _controlfp(_MCW_EM, _MCW_EM);
  _controlfp(_RC_NEAR, _MCW_RC);
  std::feclearexcept(FE_ALL_EXCEPT);
}
