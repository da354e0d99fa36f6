// A player for whole games with no person at the controls: a seam whose input
// is read from the game's state, and a virtual clock that the frames and the
// waits advance, so that a game runs headless, faster than real time, and the
// same way every time for a given seed.
//
// What it answers depends on the screen asking, told apart by the game's own
// reads: a screen that reads the pointer is a menu, and the pointer goes to
// the button `choice` and clicks it; after the last life, or with `escape`
// held, it types a name (letters, now and then Backspace, Space or a key
// without a character) and Enter, all at once; otherwise it plays: it steers toward the
// nearest collectable, then into the open exit, keeps clear of hazards and
// enemies, fires in bursts (mostly when an enemy lies ahead), switches and
// fires special weapons now and then, and adds seeded noise to all of it.
//
// Callers that want to see every frame (checks, screenshots, a real window)
// install the seam and then replace its present with one that does their
// part and calls autopilotSeam.present.
#pragma once

#include "shell/seam.h"

#include <deque>
#include <random>

class MainGameClass;

struct Autopilot {
    MainGameClass* game = nullptr; // none: no input at all
    std::mt19937 random;
    int choice = 0;       // the menu button to click: 0 Play, 1 Instructions, 2 Credits, 3 Exit / Back;
                          // -1: the pointer rests in the middle
    bool escape = false;  // Escape held: ends the intro and play
    bool skirmish = false; // stays in the wave: takes nothing, leaves never, roams and fires
    int ticksPerFrame = 1; // the virtual clock; 0 leaves the clock to Allegro's timer and rest()
    long frames = 0, ticks = 0;

    // The input of the next frame, and what it is made from.
    int mickeyX = 0, mickeyY = 0, buttons = 0, leftPresses = 0;
    bool space = false, pointerRead = false;
    std::deque<int> typing; // the key buffer: a name being typed
    int restRemainder = 0;
    size_t collectablesLeft = 0; // progress watch: a target held by a hazard is given up for a while
    long sinceProgress = 0, boldSteps = 0;
    float boldX = 0, boldY = 0;
};

extern Autopilot autopilot;
extern const Seam autopilotSeam;

// A working directory for a run without a player: a fresh one under /tmp
// holding links to the datafiles of dataDir, removed at exit with whatever
// the game wrote into it. False when it cannot be made.
bool enterScratchDir(const char* dataDir);
// Allegro without a display: memory bitmaps at 32 bits, datafile bitmaps
// converted as they load. False when Allegro cannot start.
bool startHeadless();

// Puts `game` (or nothing) under the autopilot with a fresh state from
// `seed`, and installs autopilotSeam.
void engageAutopilot(MainGameClass* game, unsigned seed);
// Moves the virtual clock on: speedCounter, and secondsFunc every 100 ticks.
void advanceClock(int ticks);
// Chooses the input for the next frame from the screen and the field; the
// seam's present calls it, a loop without frames may call it itself.
void decideInput();
