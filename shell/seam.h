// The game's one seam to the machine: input reads, sound output, putting a
// picture on the screen and waiting. The game calls Allegro through it, so
// that tests, replays and benchmarks can stand in for the mouse, keyboard,
// sound card, screen and clock. A plain table of function pointers, swapped
// as a whole; the game never asks which table is in force.
#pragma once

struct BITMAP;
struct SAMPLE;

// The first gamepad as its driver last read it: Allegro's sticks taken
// apart into axes, in order, each from -128 to 127; buttons by number.
constexpr int padAxisCount = 8;
constexpr int padButtonCount = 32;
struct PadState {
    int axes[padAxisCount];
    bool buttons[padButtonCount];
};

struct Seam {
    // Input.
    void (*mouseMickeys)(int* mx, int* my); // motion since the last call
    int (*mouseButtons)();                  // mouse_b: bit 0 left, bit 1 right
    int (*mouseX)();                        // pointer position (menus)
    int (*mouseY)();
    bool (*keyDown)(int scancode);          // key[scancode] is held
    bool (*keyWaiting)();                   // keypressed()
    int (*readKey)();                       // readkey(): scan code << 8 | char; 0 once quitting
    void (*clearKeys)();                    // clear_keybuf()
    // Left-button presses counted since start-up as they happen, so that a
    // press released again before the next logic step is seen: a reader
    // compares with the count it saw last.
    int (*leftPresses)();
    // Fills `pad` and answers true while a gamepad is there; false, with
    // `pad` untouched, when there is none or it has gone.
    bool (*readPad)(PadState* pad);

    // Sound. Callers test soundOn first; the seam only plays.
    void (*playSample)(SAMPLE* sample, int volume, int pan, int frequency);
    int (*allocateVoice)(SAMPLE* sample); // -1 when no voice is free
    void (*voiceSetPriority)(int voice, int priority);
    void (*voiceStart)(int voice);
    void (*releaseVoice)(int voice);
    // Holds every sound that is playing where it is (true), or lets those
    // held go on (false); for a paused game.
    void (*holdSounds)(bool hold);

    // Screen and time.
    void (*present)(BITMAP* picture, int x, int y); // copied (opaque) onto its place in the picture
    void (*clearScreen)(int color);                 // the picture's whole place
    void (*rest)(unsigned int milliseconds);
    // A rest for a picture that stands still: Allegro's input thread, which
    // otherwise wakes a thousand times a second, rests too, and what came in
    // meanwhile is read at the end.
    void (*restStill)(unsigned int milliseconds);
    // A new mode for the Windowed and Scale settings; false when it cannot be
    // set and the one before is back (changeGraphicsMode).
    bool (*screenMode)(bool windowed, int scale);
};

// The table in force; starts as allegroSeam.
extern Seam seam;
extern const Seam allegroSeam;

// Called by each screen's loop once it has shown a picture: keeps the music
// going, then rests until the timer owes a logic step, so that no two
// identical pictures are drawn, or until quitRequested is set. The gamepad
// is read every millisecond meanwhile: its driver sees a press only if it
// is still held when read.
void waitForTick();

// Called by the intro once a frame: true when Escape is held or
// was pressed since the last look, however briefly (the key buffer, which
// this empties), or the pad's A or Start was.
bool escapePressed();

// Set-up for play: called by the shell once the mouse and the window exist,
// with the back buffer every screen draws into (drawn in memory the X server
// reads, where it can be).
// Where the X server offers raw motion it replaces Allegro's mickeys; with
// TARNAVEL_SEAM_LOG set, the calls are also recorded (shell/seam_log.h).
void startSeam(BITMAP* canvas);
