// Windows only: the program's file names are UTF-8; the system's wide API
// takes UTF-16. Conversions both ways, and the system's reason for an error
// code in the program's words. Used by the Windows modules of the file system
// and of whole-or-nothing saving.
#pragma once

#include <string>

// The UTF-16 form of a UTF-8 name; false for bytes that are not UTF-8.
bool WideName(const std::string& name, std::wstring& wide);

// The UTF-8 form of a UTF-16 name (unpaired surrogates become U+FFFD).
std::string Utf8Name(const std::wstring& wide);

// The system's message for a GetLastError() code, in UTF-8, without the
// trailing full stop and line break ("The system cannot find the path
// specified"); "error N" when the system has none.
std::string SystemReason(unsigned long code);
