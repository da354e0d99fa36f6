// Pieces that the menu screens share.
#pragma once

#include "shell/settings.h"

#include <string>

struct BITMAP;
struct DATAFILE;
struct FONT;
class HighscoreManager;

// Draws the header and every row of the table into target, in the lower left
// corner: header at y 385, rows 15 pixels apart from y 400. Names are drawn
// as plain text.
void drawHighscoreTable(BITMAP* target, FONT* font, HighscoreManager& table);

// Draws the mouse pointer of misc.dat at the pointer's position.
void drawMenuPointer(BITMAP* target, const DATAFILE* miscData);

// The sound of a chosen button: the click, then 170 ms so that it is heard
// before the next screen starts. Silent and immediate while sound is off.
void playMenuClick(const DATAFILE* sfxData);

// The keyboard's choice among `count` items after one Up (step -1) or Down
// (+1), wrapping round; -1 is none yet, from which Down takes the first and
// Up the last.
int stepChoice(int chosen, int count, int step);

// A readkey() value's key is Up (-1) or Down (+1); 0 for any other.
int upOrDown(int key);
// A readkey() value's key is Enter, on the main keys or the keypad.
bool isEnter(int key);

// The Options page's rows, top to bottom.
enum OptionRow {
    OPTION_SOUND,
    OPTION_SOUND_VOLUME,
    OPTION_MUSIC,
    OPTION_MUSIC_VOLUME,
    OPTION_WINDOW,
    OPTION_SCALE,
    OPTION_MOUSE,
    OPTION_PAD,
    OPTION_BACK,
    OPTION_ROWS
};

// The settings after Left (step -1) or Right (+1) on a row of the Options
// page. Each row's values stand in a line, and a step moves along it without
// wrapping round, so that a key held down never flips a setting back and
// forth: Off, On; Window, Full screen; volumes by 10 on the tens from 0 to
// 100; Scale Auto (0), 1 ... `fitting` (the largest factor that fits); the
// mouse's and the pad's sensitivity 0.25 ... 5 by steps a player feels,
// keeping its sign. A value at the end of its line stays.
Settings stepOption(const Settings& settings, int row, int step, int fitting);

// What a row shows for its setting; Scale no more than `fitting`.
std::string optionText(const Settings& settings, int row, int fitting);
