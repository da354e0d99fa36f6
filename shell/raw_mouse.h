// Relative mouse motion read straight from the X server.
//
// Allegro's X11 driver makes mickeys by warping the pointer back to the
// window centre and dropping the motion events that follow each warp, so at
// real mouse rates most of the hand's movement never reaches the ship.
// XInput2 raw-motion events, on a display connection of our own, carry every
// movement, also past the screen edge.
#pragma once

// Opens the connection and selects raw motion. Returns false (and changes
// nothing) where there is no X display or no XInput2.
bool openRawMouse();
void closeRawMouse();

// Motion since the last call, in whole mickeys (fractions carry over). While
// steering, the pointer is held inside the game window.
void rawMouseMickeys(int* mx, int* my);

// Lets the pointer go again and forgets pending motion; for screens that
// read the absolute pointer.
void releaseRawMouse();
