// The seven enemy kinds: one class, one row of per-kind values each.
#pragma once

#include "entities/bullet.h"

#include <vector>

struct BITMAP;
struct DATAFILE;
struct PMASK;
struct SAMPLE;

struct EnemyKind {
    float speed;
    int hitPoints;
    int points;
    int fireInterval; // steps between shots; -1 never shoots
    int bulletSpeed;  // sum of both components of a shot's speed
    int bulletSprite; // sprites.dat index
    bool homing;      // chases the ship
};

constexpr int enemyKindCount = 7;
extern const EnemyKind enemyKinds[enemyKindCount];

class Enemy {
public:
    PMASK* masks[3]; // frame 0, frame 1, bullet; owned
    bool killed;
    bool expired;
    int points;
    float explosionFrame; // -1 alive; 0..13 exploding
    int frame;
    int hitPoints;
    int freezeSecond; // does not travel while seconds still equals this
    int fireInterval;
    int bulletSpeed;
    int fireTimer;
    float x;
    float y;
    float speed;
    int destX;
    int destY;
    bool homing;
    BITMAP* images[2];
    BITMAP* bulletSprite;
    DATAFILE* explosionData;
    SAMPLE* dieSample;
    SAMPLE* hitSample;
    SAMPLE* fireSample;
    std::vector<Bullet> bullets;

    Enemy(int kind, DATAFILE* sprites, DATAFILE* explosion, DATAFILE* sfx);
    ~Enemy();
    Enemy(const Enemy&) = delete;
    Enemy& operator=(const Enemy&) = delete;

    void move(int shipX, int shipY);
    void draw(BITMAP* target);
    void findNewDest();
    // Cause 1: rammed by the ship; 2: anything else.
    void takeDamage(int damage, int cause, bool sound);
    void moveBack(int shipX, int shipY);
    // Killed and its explosion still playing.
    bool isExploding() const;
};
