// Set-up of the whole process that the demo, the headless tools and the
// tests make once before drawing: the floating-point mode every frame is
// computed in, and how the C library keeps freed memory. Touches no GL.
// processsetup_linux.cpp and processsetup_windows.cpp (_controlfp) give the
// same mode on each system.
#pragma once

// All floating-point exceptions masked, round to nearest, for the whole run.
void MaskFloatingPointExceptions();

// Keeps freed memory in the process instead of handing it back to the system.
// GL allocates and frees a vertex buffer of several megabytes for each large
// draw; handed back each time, every frame of a busy scene first-touched
// about 16 MB of fresh pages again (about 4,000 page faults a frame in rush).
// On Windows the C runtime's heap keeps freed memory already; nothing to do.
void KeepFreedMemory();
