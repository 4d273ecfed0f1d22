// Fatal start-up errors. The program has no fallback content: a file that is
// missing or malformed ends the process. The report goes to standard error
// always, and to a message box when the SDL video subsystem is running (the
// windowed demo); headless tools and tests only print.
#pragma once

#include <string>

enum class TMessageIcon { Error, Warning, Information };

// Shows a message box (when a window system is up) and writes the same text
// to standard error. Returns when the user has closed the box.
void ShowMessage(const std::string& text, const std::string& caption,
                 TMessageIcon icon);

// Reports "file: reason" and ends the process with exit status 1.
[[noreturn]] void FatalFileError(const std::string& file, const std::string& reason);

// Reports a fixed message text and ends the process with exit status 1.
[[noreturn]] void FatalMessage(const std::string& text, const std::string& caption);
