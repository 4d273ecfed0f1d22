// Content file names. The program names its files the Windows way, with
// backslashes and varying letter case ("data\nogi.jpg", "Data\Atom.jpg",
// "city\envglobal.jpg"). Every file reader goes through ResolvePath, which
// turns the separators into "/" and matches each component against the
// directory without regard to case. Relative names start at the content root:
// the working directory unless a tool names another with SetContentRoot (the
// root itself is used as given, not matched). Nothing changes the process's
// working directory, so a user's own paths stay as the user gave them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The folder relative program file names start at; "" or "." for the working
// directory.
void SetContentRoot(const std::string& root);

// The on-disk path for a program file name. A component that matches nothing
// is kept as written, so the caller's error names the file it looked for.
std::string ResolvePath(const std::string& name);

// Reads a whole file (name resolved as above). On failure returns false and
// sets error to the reason ("No such file or directory", ...).
bool ReadFileBytes(const std::string& name, std::vector<uint8_t>& bytes, std::string& error);

// The name with the ASCII letters a to z upper-cased and every other byte
// kept: texture keys and model list entries are upper-cased names.
std::string UpperCaseAscii(std::string name);

// a equals b but for the case of the ASCII letters (every other byte, UTF-8
// included, compares as it is): how file names and their endings are matched.
bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b);

// Replaces (or creates) a file with the given bytes, whole or not at all
// (ReplaceFileBytes). The whole name is resolved as above, its last
// component too: "Default.camera" replaces an existing "default.camera",
// and a last component that matches nothing is created as written. On
// failure returns false with the system's reason.
bool WriteFileBytes(const std::string& name, const void* data, size_t size, std::string& error);
