// The program's message boxes and its fatal start-up errors. The program has
// no fallback content: a file that is missing or malformed ends the process.
// A message goes to standard error always, and to a box when the SDL video
// subsystem is running (the windowed demo); headless tools and tests only
// print.
//
// While a box is up, SIGTERM and SIGINT end the program at once with status
// 1, and the box with it (engine/boxprocess.h); a signal the program was
// started with ignored stays ignored. Otherwise SDL only notes them for its
// event loop, which nothing reads until the box is answered.
#pragma once

#include <string>

enum class TMessageIcon { Error, Warning };

// Shows a message box (when a window system is up) and writes the same text
// to standard error. Returns when the user has closed the box.
void ShowMessage(const std::string& text, const std::string& caption,
                 TMessageIcon icon);

// A yes/no question in a box with the warning icon, also written to standard
// error. When the box cannot be shown (no window system, or an X display
// without the core fonts the box draws with) the answer is yes, and standard
// error says why no question came.
bool AskYesNo(const std::string& text, const std::string& caption);

// Reports "file: reason" and ends the process with exit status 1.
[[noreturn]] void FatalFileError(const std::string& file, const std::string& reason);

// Reports a fixed message text and ends the process with exit status 1.
[[noreturn]] void FatalMessage(const std::string& text, const std::string& caption);
