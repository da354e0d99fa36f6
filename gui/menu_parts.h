// Pieces that the main menu and the credits screen share.
#pragma once

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
