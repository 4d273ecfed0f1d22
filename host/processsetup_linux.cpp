#include "host/processsetup.h"

// <cfenv> first: it brings the C library's <features.h>, which says __GLIBC__.
#include <cfenv>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepFreedMemory()
{
#if defined(__GLIBC__)
  // A fixed mmap threshold at its ceiling and a trim threshold above the
  // demo's whole heap; without them only speed is lost, so a refusal (as
  // under a sanitizer's allocator) is not an error.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

void MaskFloatingPointExceptions()
{
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
#if defined(__GLIBC__)
  fedisableexcept(FE_ALL_EXCEPT);
#endif
}
