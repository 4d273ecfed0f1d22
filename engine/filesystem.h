// The file system as the program's file readers see it: a path is a UTF-8
// string, with "/" (or on Windows also "\") between its components, relative
// to the working directory unless it starts at a root. On Linux the bytes go
// to the system as they are; on Windows they are converted to UTF-16 for the
// wide API, so that any name the system can hold can be opened
// (filesystem_linux.cpp, filesystem_windows.cpp). Path resolution itself is
// engine/paths.h; nothing here changes the working directory.
#pragma once

#include <cstdio>
#include <string>

// Something (a file, a folder, a device) exists at path.
bool PathExists(const std::string& path);

// Finds an entry of the folder dir ("" for the working directory, or a folder
// ending in a separator) whose name equals name without regard to the case of
// the ASCII letters; its name as the folder spells it goes to found. False
// when the folder cannot be read or holds no such entry.
bool FindEntryCaseless(const std::string& dir, const std::string& name, std::string& found);

// std::fopen for a UTF-8 path; nullptr with errno set on failure.
FILE* OpenFile(const std::string& path, const char* mode);
