// A stand-in for the machine: scripted mouse, keys and key buffer, a record
// of every sound call, and a virtual clock that the screens' frames and
// waits advance, so whole timed loops run headless and repeatably.
#pragma once

#include "shell/seam.h"

#include <deque>
#include <functional>
#include <vector>

struct SoundCall {
    enum Kind { Play, Allocate, Priority, Start, Release } kind;
    SAMPLE* sample; // Play, Allocate
    int volume;     // Play; Priority: the priority
    int pan;        // Play
    int frequency;  // Play
    int voice;      // Allocate (the voice given), Priority, Start, Release
};

struct TestSeamState {
    // Input read by the game.
    int mickeyX = 0, mickeyY = 0; // handed out once, then zeroed
    int buttons = 0;
    int pointerX = 0, pointerY = 0;
    bool keys[128] = {};
    std::deque<int> keyBuffer; // readkey() values: scan code << 8 | char

    // Output seen.
    std::vector<SoundCall> sounds;
    int nextVoice = 0;     // voice handed out by allocateVoice; -1: none free
    int presents = 0;      // frames put on the screen
    int screenClears = 0;
    unsigned int restedMs = 0;

    // Virtual clock: ticks added to speedCounter per presented frame, and
    // per 10 ms rested. Every 100 ticks runs secondsFunc.
    int ticksPerPresent = 1;
    int tickRemainder = 0;
    long totalTicks = 0;

    // Called before each present advances the clock, with the frame number
    // (counting from 1); scripts change the input here.
    std::function<void(int frame)> onPresent;
    // Called from rest() and readKey(); lets a script feed blocking waits.
    std::function<void()> onWait;
};

extern TestSeamState testSeam;
extern const Seam recordingSeam;

// Advances the virtual clock: speedCounter, and seconds through secondsFunc.
void advanceTicks(int ticks);

// Installs the recording seam with a fresh state for one test; puts the
// Allegro seam back when it goes out of scope.
class ScopedTestSeam {
public:
    ScopedTestSeam();
    ~ScopedTestSeam();
    ScopedTestSeam(const ScopedTestSeam&) = delete;
    ScopedTestSeam& operator=(const ScopedTestSeam&) = delete;
};

// The sounds played with a given sample, in order.
std::vector<SoundCall> playsOf(const SAMPLE* sample);
