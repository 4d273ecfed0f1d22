// Writing an output file whole or not at all. The bytes go to a temporary
// file beside the target (".NAME.PID.N.part" in the same folder), are flushed
// to the disk and then renamed over the target, so that a kill, a crash or a
// full disk never leaves a truncated file, or an empty one, under the name: it
// holds the old contents or the new ones. A target that exists and is not a
// regular file (/dev/stdout, /dev/full, a pipe) is written in place instead.
// Uses nothing but the C library, so every program of the project can write
// through it, the music tools included. On Windows (savefile_windows.cpp) the
// name is UTF-8, the temporary is flushed with FlushFileBuffers and moved over
// the target with MoveFileExW (replacing it, writing through), and a device
// (NUL, a pipe) is written in place.
#pragma once

#include <cstddef>
#include <string>

// Replaces (or creates) the file at path, exactly as given, with size bytes.
// On failure returns false with the system's reason ("No space left on
// device", "Permission denied", ...) and leaves the target as it was.
bool ReplaceFileBytes(const std::string& path, const void* data, size_t size, std::string& error);

// Writes all size bytes to the open file descriptor fd, going on after short
// writes and interruptions; false with errno set at the first failure.
bool WriteAllBytes(int fd, const void* data, size_t size);
