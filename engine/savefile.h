// Writing an output file whole or not at all. ReplaceFileBytes writes the
// bytes to a temporary file beside the file it replaces (".NAME.PID.N.part"
// in the same folder), flushes them to the disk and then renames it over
// that file, so that a kill, a crash or a full disk never leaves a truncated
// file, or an empty one, under the name: it holds the old contents or the
// new ones, and a failure leaves no temporary behind.
//
// - The new file keeps the old one's permission bits (and its owner and
//   group, where the process may give them away); a file that did not exist
//   gets 0666 less the umask, like any new file.
// - A symbolic link stays a link. The name is followed through every link to
//   the name it finally stands for, and the file there is replaced; a link
//   whose file does not exist yet gets that file, made in the folder the
//   link points into. Links that go round in a loop fail ("Too many levels
//   of symbolic links") and nothing is written.
// - A name that exists and is not a regular file (a device such as
//   /dev/stdout or /dev/full, a pipe) has no old contents to keep: it is
//   opened for writing as it is, never truncated, renamed or replaced, and
//   takes the bytes directly. A failure there can come after part of the
//   bytes have reached it. A folder fails with "Is a directory".
//
// The POSIX implementation is in savefile_linux.cpp and uses nothing but the
// C library, so every program of the project can write through it, the music
// tools included; savefile.cpp holds what both platforms share. On Windows
// (savefile_windows.cpp) the name is UTF-8, the temporary is flushed with
// FlushFileBuffers and moved over the target with MoveFileExW (replacing it,
// writing through), and a device (NUL, a pipe) is written in place; links and
// the old file's attributes are the system's.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Replaces (or creates) the file at path, exactly as given, with size bytes,
// as above. On failure returns false with the system's reason ("No space
// left on device", "Permission denied", ...); a regular file under the name
// is then as it was.
bool ReplaceFileBytes(const std::string& path, const void* data, size_t size, std::string& error);

// The name path finally stands for: path itself when it is no symbolic link
// (or does not exist), else the name its chain of links ends at, each
// relative link read from the folder of the link that holds it. False with
// the system's reason when a link cannot be read or the links loop. On
// Windows the system follows its own links when a file is opened, so the
// name is path itself.
bool FollowLinks(const std::string& path, std::string& target, std::string& error);

// Writes all size bytes to the open file descriptor fd, going on after short
// writes and interruptions; false with errno set at the first failure.
bool WriteAllBytes(int fd, const void* data, size_t size);

// How one try to make a new file under one name went: made (the name is the
// caller's now), taken (something has that name already) or failed for
// another reason (the caller keeps the system's reason).
enum class TNewFile { Made, Taken, Failed };

// The names a temporary that must be new is tried under, at the most.
constexpr int NewFileAttempts = 100;

// Makes a temporary that no one else has: calls make(0), make(1), ... (each
// creating its own name for attempt, exclusively) until one does not find its
// name taken, NewFileAttempts times at the most, and returns what the last
// call said: Taken when every name was.
TNewFile MakeNewFile(const std::function<TNewFile(int attempt)>& make);
