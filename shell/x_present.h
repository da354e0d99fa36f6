// The game's picture put on Allegro's window by the X server itself.
//
// Allegro's X11 driver sends what is drawn on `screen` as it is drawn: an
// enlarged picture goes out one line per request, and a picture at another
// depth than the display's is converted on every frame. Here each picture
// goes once, 640 x 480 at most, in the display's own pixel format, into a
// pixmap of the server's; the RENDER extension enlarges it from there onto
// the window. The pixmap keeps the last picture, so an exposed window is
// repainted from it on Allegro's input thread, whether the game is drawing
// or not.
#pragma once

#include <cstdint>

struct BITMAP;

// Opens on Allegro's window for the current viewport. Returns false (and
// changes nothing) where the display is not 24-bit true colour with 32-bit
// pixels or lacks RENDER 0.6; Allegro's own drawing then stays in force.
bool openXPresent();
// Gives exposures back to Allegro; called at exit.
void closeXPresent();
// Called after a new mode on the same window (Allegro keeps its window
// through set_gfx_mode): the pictures go to the viewport now in force.
void followViewport();

// Where the staging picture is shared with the server and holds 32-bit
// pixels laid out as canvas's, points canvas's rows into it: the game then
// draws straight into what the server reads, and presenting the canvas
// copies nothing. A 640 x 480 canvas that lives until closeXPresent.
// Returns whether it did.
bool shareCanvas(BITMAP* canvas);

// The seam's present and clearScreen on the X server.
void xPresent(BITMAP* picture, int x, int y);
void xClearScreen(int color);

// Where a 32-bit pixel keeps its red, green and blue bytes.
struct PixelLayout {
    int redShift, greenShift, blueShift;
};

// Writes picture (at 15, 16, 24 or 32 bits, drawn with the current colour
// conversion) into rows of 32-bit pixels `pitch` pixels apart, starting at
// `out`.
void convertPicture(BITMAP* picture, uint32_t* out, int pitch, PixelLayout layout);
