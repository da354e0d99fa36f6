// Shots in flight and floating score texts: values held in their owners'
// vectors.
#pragma once

struct BITMAP;
struct PMASK;

class Bullet {
public:
    float x;
    float y;
    PMASK* mask; // the shooter's bullet mask; borrowed
    bool hit;    // left the screen or struck something; the owner erases it
    float vx;
    float vy;
    BITMAP* sprite; // borrowed

    Bullet(float x, float y, float vx, float vy, BITMAP* sprite, PMASK* mask);
    void move();
    void draw(BITMAP* target);
    // True when any part of the sprite lies outside the screen.
    bool checkForOutside();
};

class ScoreText {
public:
    int value;
    int brightness; // 255 at birth, 3 less per ageing pass
    int x;          // horizontal centre
    int y;          // top

    ScoreText(int value, int x, int y);
};
