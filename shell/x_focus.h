// The keyboard focus across a new screen mode. Allegro unmaps its window to
// set a mode, and the X server then hands the focus elsewhere: without a
// window manager to give it back, the keys no longer reach the game.
#pragma once

// Gives the focus to the window the game draws in once it can take it
// (is viewable again), waiting up to a second for it to be mapped. Called
// after a mode the player asked for in that window; nothing without an X
// display.
void focusWindow();
