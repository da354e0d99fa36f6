// Screen mode and the shell's fatal-error routine.
#pragma once

#include <cstdarg>

// Where the game's 640 x 480 picture stands on the screen: enlarged by a
// whole factor, its top-left corner at (left, top). The seam draws the
// picture and reads the pointer through it.
struct Viewport {
    int scale = 1;
    int left = 0;
    int top = 0;
};
extern Viewport viewport;

// The largest whole factor whose picture fits a desktop of the given size
// (0 x 0 when unknown), at least 1: a window takes at most nine tenths of the
// desktop's width and height, leaving the rest for panels and its frame; full
// screen takes all of it.
int fittingScale(bool windowed, int desktopWidth, int desktopHeight);

// The factor for the Scale setting on a desktop of the given size (0 x 0 when
// unknown). 0 asks for fittingScale; a larger factor gives that one instead,
// with a line in Log.txt; 1 is always taken.
int chooseScale(int scale, bool windowed, int desktopWidth, int desktopHeight);

// Sets the mode for the picture enlarged by `scale` with the windowed or
// full-screen driver: a window of the enlarged size, or, in full screen with
// a factor above 1, the desktop's own resolution with the picture centred.
// When no depth gives that, the plain 640 x 480 mode is tried instead.
// colorDepth 0 tries the desktop's own depth, then 16, 15, 32 and 24 bits in
// that order; any other depth is tried once. Sets viewport; returns only when a mode is set, otherwise
// ends through errorMessage.
void setGraphicsMode(bool windowed, int colorDepth, int scale);

// Called by the Options page through the seam: the window or full screen for
// the Scale setting `scale` (0 the largest that fits), at the colour depth in
// force, since every loaded picture is at that depth. When that mode cannot
// be set, the one before comes back, a line goes to Log.txt and the answer
// is false. The picture's way to the X server follows the new viewport.
bool changeGraphicsMode(bool windowed, int scale);

// Shows the printf-style message, leaves any graphics mode and ends the
// process with status 1. Never returns.
[[noreturn]] void errorMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Formats and shows a message with allegro_message, and writes it to the
// log as one line; shared by both fatal routines, which differ only in when
// they leave the graphics mode.
void showMessage(const char* format, va_list args);
