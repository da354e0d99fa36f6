// A stand-in for the machine: scripted mouse and keys, a record of every sound
// call, and a virtual clock that frames and waits advance.
#pragma once

#include "shell/seam.h"

#include <deque>
#include <functional>
#include <vector>

struct SoundCall {
    enum Kind { Play, Allocate, Priority, Start, Release, Hold } kind;
    SAMPLE* sample;     // Play, Allocate
    int volume;         // Play; Priority: the priority; Hold: 1 held, 0 let go
    int pan, frequency; // Play
    int voice;          // Allocate (the voice given), Priority, Start, Release
};

struct TestSeamState {
    // Input read by the game; the mickeys are handed out once, then zeroed.
    int mickeyX = 0, mickeyY = 0, buttons = 0, pointerX = 0, pointerY = 0, leftPresses = 0;
    bool keys[128] = {};
    std::deque<int> keyBuffer; // readkey() values: scan code << 8 | char
    bool padThere = false;
    PadState pad = {};
    // Output seen; allocateVoice hands out nextVoice (-1: none free).
    std::vector<SoundCall> sounds;
    int nextVoice = 0, presents = 0, screenClears = 0;
    std::vector<std::pair<bool, int>> screenModes; // windowed, scale asked for; each is set if screenModeWorks
    bool screenModeWorks = true;
    unsigned int restedMs = 0;
    // Virtual clock: ticks added to speedCounter per presented frame and per
    // 10 ms rested; every 100 ticks runs secondsFunc.
    int ticksPerPresent = 1, tickRemainder = 0;
    long totalTicks = 0;
    std::function<void(int frame)> onPresent; // before each present advances the clock; frames count from 1
    std::function<void()> onWait;             // from rest(), and from readKey() on an empty buffer
};

extern TestSeamState testSeam;
extern const Seam recordingSeam;

// Advances the virtual clock: speedCounter, and seconds through secondsFunc.
void advanceTicks(int ticks);

// Installs the recording seam with a fresh state and fresh globals for one
// test; puts the Allegro seam back when it goes out of scope.
struct ScopedTestSeam {
    ScopedTestSeam();
    ~ScopedTestSeam();
};

// The sounds played with a given sample, in order.
std::vector<SoundCall> playsOf(const SAMPLE* sample);
