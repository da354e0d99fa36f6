// Screen mode and the shell's fatal-error routine.
#pragma once

#include <cstdarg>

// Sets 640 x 480 with the windowed or full-screen driver. colorDepth 0 tries
// 16, 15, 32 and 24 bits in that order; any other depth is tried once.
// Returns only when a mode is set; otherwise ends through errorMessage.
void setGraphicsMode(bool windowed, int colorDepth);

// Shows the printf-style message, leaves any graphics mode and ends the
// process with status 1. Never returns.
[[noreturn]] void errorMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Formats and shows a message with allegro_message; shared by both fatal
// routines, which differ only in when they leave the graphics mode.
void showMessage(const char* format, va_list args);
