// The first gamepad, read through the seam: its presses kept until a screen
// looks at them, its stick and d-pad as the arrow keys of the menus, its
// stick as steering in play, and its going away, which pauses play.
#pragma once

// The layout of Xbox-style pads under Linux's joystick interface, which
// most pads follow.
enum PadButton { PAD_A = 0, PAD_B = 1, PAD_X = 2, PAD_Y = 3, PAD_BACK = 6, PAD_START = 7 };
enum PadAxis { PAD_STICK_X = 0, PAD_STICK_Y = 1, PAD_DPAD_X = 6, PAD_DPAD_Y = 7 };

// Reads the pad through the seam. Each press of a button, and each push of
// a direction (the left stick or the d-pad past half way), waits in turn
// for nextKey, as keys wait in the key buffer; a direction held is pushed
// again after 0.5 s, then every 0.12 s. A button's press is also kept for
// padDown. Called by waitForTick and by the readers below.
void pollPad();

// A pad was there at the last read.
bool padPresent();
// True once after the pad has gone away.
bool padWentAway();
// An axis's position at the last read, -128 to 127; 0 without a pad.
int padAxis(int axis);
// The button is held, or was pressed since the last look at it here; -1
// (no button) never is.
bool padDown(int button);

// What the pad stands for on a screen, as readkey() values (0: nothing): a
// key for each direction, and for up to four buttons.
struct PadKeys {
    int up, down, left, right;
    struct { int button, key; } buttons[4];
};
// The menus': the directions as the arrow keys, A and Start as Enter, B as
// Escape.
extern const PadKeys menuPadKeys;

// The next key for a screen's key loop: the key buffer's first, else the
// one that the pad's next press stands for under `keys` (presses that
// stand for nothing there are passed over); 0 when there is none.
int nextKey(const PadKeys& keys);

// Empties the key buffer and forgets the pad's presses not yet taken; a
// direction held meanwhile repeats only once let go and pushed again.
// Called by each screen as it opens.
void forgetPresses();

// The speed, in pixels per step, that a stick at `position` adds to the
// ship in one step: none within the dead zone, then evenly more up to
// 0.12 x sensitivity at either end (as 12 units of mouse motion a step at
// MouseSensitivity 1: a brisk movement).
float stickPull(int position, float sensitivity);

// The name entry's letter picker: the letter `step` places after `letter`
// (before it, when negative) in A..Z, 0..9, round and round. A character
// outside those gives A; step 0 keeps one inside.
char pickLetter(char letter, int step);

// Forgets the pad and everything read from it, for a new seam (tests).
void resetPad();
