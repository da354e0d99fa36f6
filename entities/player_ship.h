// The player's ship and everything the player owns: inertial steering,
// shots, special weapons, lives, score, explosion and the status line.
#pragma once

#include "entities/bullet.h"

#include <vector>

struct BITMAP;
struct DATAFILE;
struct FONT;
struct PMASK;
struct RLE_SPRITE;
struct SAMPLE;
class Object;

class PlayerShip {
public:
    int lives;
    int extraLifeLevel;
    bool specialFired;
    std::vector<Bullet> bullets;
    std::vector<ScoreText> scoreTexts;
    int score;
    float explosionFrame; // negative while not exploding
    float explosionEnd;
    float x;
    float y;
    float vx;
    float vy;
    bool fireHeld;
    bool selectHeld;
    bool specialHeld;
    bool destroyed; // the explosion has run out; the play loop takes a life
    // The gamepad's part in the next step, set by the play loop before it:
    // the speed its stick adds, and its buttons for firing, the next special
    // weapon and firing that (held, or pressed since the step before).
    float padDx;
    float padDy;
    bool padFire;
    bool padSelect;
    bool padSpecial;
    int fireTimer;
    int charges[3];
    int selectedSpecial;
    BITMAP* sprite;
    BITMAP* bulletSprite;
    DATAFILE* explosionData;
    DATAFILE* spritesData;
    PMASK* mask;       // owned
    PMASK* bulletMask; // owned, shared by every bullet of the ship
    // Owned, the status line's panel and the three weapon icons as run-length
    // data; null: drawn from sprites.dat.
    RLE_SPRITE* panelRuns;
    RLE_SPRITE* iconRuns[3];
    int lifeVoice;
    SAMPLE* fireSample;
    SAMPLE* dieSample;
    SAMPLE* extraLifeSample;

    PlayerShip(DATAFILE* sprites, DATAFILE* explosion, SAMPLE* fire, SAMPLE* die, SAMPLE* extraLife);
    ~PlayerShip();
    PlayerShip(const PlayerShip&) = delete;
    PlayerShip& operator=(const PlayerShip&) = delete;

    // One step of input, motion and firing. Returns 1 hazard, 2 exit gate,
    // 3 wandering bonus touched, else 0.
    int move(std::vector<Object*>& fixed);
    // 1 beyond the left or right bound, 2 beyond the top or bottom bound,
    // else the type of the first fixed object touched, else 0.
    int collisionDetect(std::vector<Object*>& fixed);
    void moveBullets();
    // Cause 1: rammed an enemy; 2: anything else.
    void die(int cause);
    // Adds points, at most one extra life per call, and a score text at
    // (x, y) unless x or y is negative.
    void addScore(int points, int x, int y);
    void reset();
    void clearScoreTexts();
    void draw(BITMAP* target, FONT* font);
    void drawInfo(BITMAP* target, int wave, FONT* font, int fps);
    // Between die() and the end of the explosion.
    bool isExploding() const;
};
