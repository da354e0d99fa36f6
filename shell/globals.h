// Process-wide settings and the counters that the timer callbacks drive.
#pragma once

#include <atomic>

// The game draws a 640 x 480 picture whatever the window's size; entities and
// screens lay out against these so that they also work on memory bitmaps
// before any mode.
constexpr int screenWidth = 640;
constexpr int screenHeight = 480;
// The top rows of the picture, which hold the status line in play.
constexpr int statusLineHeight = 17;

// Settings: set at start-up, and again by the Options page.
extern bool soundOn;
extern bool musicOn; // the music plays: Music 1, MusicVolume above 0 and a sound card
extern int soundVolume; // 0..100: every effect's volume is scaled by it
extern int musicVolume; // 0..100
extern float mouseSens;

// Shared with Allegro's timer thread. Lock-free atomics, so that the main
// flow's decrement of speedCounter or reset of frames never loses a tick.
extern std::atomic<int> speedCounter;
extern std::atomic<int> seconds;
extern std::atomic<int> frames;
extern std::atomic<int> fps;
extern std::atomic<int> bonusScore;
// Every tick since start-up, never reset: a clock in logic steps for what
// outlasts one screen (the gamepad's repeats).
extern std::atomic<int> ticks;

// Set by the window's close button and by SIGTERM, SIGINT or SIGHUP, from
// Allegro's threads or a signal handler. Every screen's loop leaves when it
// is set, and the shell then shuts down as after Exit.
extern std::atomic<bool> quitRequested;

// Set while play is paused: the time bonus then stands still.
extern std::atomic<bool> gamePaused;
// Set on Allegro's input thread when the window loses the keyboard focus;
// play pauses when it finds it set, and clears it.
extern std::atomic<bool> focusLost;

// Installed at 100 Hz: one logic step owed per call.
void timerFunc();
// Installed at 1 Hz: drains the time bonus (never below 0) unless play is
// paused, counts the second and publishes the frame count of the second
// just gone.
void secondsFunc();
