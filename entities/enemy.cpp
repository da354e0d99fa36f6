#include "entities/enemy.h"

#include "entities/sound.h"
#include "pmask/pmask.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "shell/seam.h"

#include <cstdlib>

const EnemyKind enemyKinds[enemyKindCount] = {
    // speed, hitPoints, points, fireInterval, bulletSpeed, bulletSprite, homing
    {0.8f, 1, 10, -1, 0, SPR_ENEMY_BULLET, false},
    {0.3f, 2, 20, -1, 0, SPR_ENEMY_BULLET, false},
    {0.25f, 1, 30, 200, 0, SPR_MINE, false}, // lays a stationary mine every 200 steps
    {1.5f, 1, 40, -1, 0, SPR_ENEMY_BULLET, false},
    {0.4f, 1, 70, 150, 4, SPR_ENEMY_BULLET, false},
    {0.3f, 1, 110, 500, 3, SPR_ENEMY_BULLET, true},
    {1.25f, 1, 200, -1, 0, SPR_ENEMY_BULLET, true},
};

namespace {

constexpr int entryInset = 57;            // enemies enter this far in from a side edge
constexpr int destLeftMin = 60;           // destinations keep clear of the left edge,
constexpr int destRightMargin = 65;       // the right edge
constexpr int destBottomMargin = 40;      // and the exit row at the bottom
constexpr float explosionEnd = EXP_FIREBALL_FIRST + EXP_FRAMES;
constexpr float explosionPerStep = 0.45f;
constexpr int pushBackMargin = 10;        // push-back stops this far from the right and bottom
constexpr int enemyVolume = 200;

// The shot's direction is a fraction r / 32767 of a right angle, r drawn in
// 0..32767 whatever the runtime's RAND_MAX.
constexpr int shotDirectionSteps = 32767;

} // namespace

Enemy::Enemy(int kind, DATAFILE* sprites, DATAFILE* explosion, DATAFILE* sfx)
    : masks{nullptr, nullptr, nullptr}, killed(false), expired(false),
      points(enemyKinds[kind].points), explosionFrame(-1), frame(0),
      hitPoints(enemyKinds[kind].hitPoints), freezeSecond(seconds),
      fireInterval(enemyKinds[kind].fireInterval), bulletSpeed(enemyKinds[kind].bulletSpeed),
      fireTimer(0), x(0), y(0), speed(enemyKinds[kind].speed), destX(0), destY(0),
      homing(enemyKinds[kind].homing),
      images{bitmapAt(sprites, SPR_ENEMY_FIRST + 2 * kind),
             bitmapAt(sprites, SPR_ENEMY_FIRST + 2 * kind + 1)},
      bulletSprite(bitmapAt(sprites, enemyKinds[kind].bulletSprite)), explosionData(explosion),
      dieSample(sampleAt(sfx, SFX_ENEMY_DIES)), hitSample(sampleAt(sfx, SFX_ENEMY_HIT)),
      fireSample(sampleAt(sfx, SFX_ENEMY_FIRES))
{
    masks[0] = create_allegro_pmask(images[0]);
    masks[1] = create_allegro_pmask(images[1]);
    masks[2] = create_allegro_pmask(bulletSprite);
    findNewDest();
    if (rand() % 2 == 0)
        x = screenWidth - images[0]->w - entryInset;
    else
        x = entryInset;
    y = screenHeight / 2 - images[0]->h / 2;
}

Enemy::~Enemy()
{
    for (PMASK* mask : masks)
        destroy_pmask(mask);
}

bool Enemy::isExploding() const
{
    return explosionFrame >= 0 && explosionFrame < explosionEnd;
}

void Enemy::move(int shipX, int shipY)
{
    if (isExploding()) {
        explosionFrame += explosionPerStep;
        return;
    }

    // Every enemy flips its picture at the same whole second.
    frame = seconds % 2;

    if (fireInterval > 0 && fireTimer >= fireInterval) {
        if (soundOn)
            seam.playSample(fireSample, enemyVolume, panFor(x), ownPitch);
        const int r = rand() % (shotDirectionSteps + 1);
        const float shotVx = bulletSpeed * (static_cast<float>(r) / shotDirectionSteps);
        const float shotVy = bulletSpeed - shotVx;
        bullets.push_back(Bullet(x + images[frame]->w / 2 - 1, y + images[frame]->h / 2 - 1,
                                 shotVx, shotVy, bulletSprite, masks[2]));
        fireTimer = 0;
    }

    for (Bullet& bullet : bullets)
        bullet.move();

    if (homing) {
        destX = shipX;
        destY = shipY;
    }

    // Frozen for the rest of the second in which it entered or was pushed.
    if (seconds != freezeSecond) {
        // Within one speed of the destination the two steps cancel.
        if (x < destX)
            x += speed;
        if (x > destX)
            x -= speed;
        if (y < destY)
            y += speed;
        if (y > destY)
            y -= speed;
        if (destX - speed - 1 < x && x < destX + speed + 1 && destY - speed - 1 < y &&
            y < destY + speed + 1)
            findNewDest();
    }

    ++fireTimer;
}

void Enemy::draw(BITMAP* target)
{
    for (Bullet& bullet : bullets)
        bullet.draw(target);
    const int left = static_cast<int>(x);
    const int top = static_cast<int>(y);
    if (!isExploding()) {
        draw_sprite(target, images[frame], left, top);
        return;
    }
    BITMAP* blast = bitmapAt(explosionData, EXP_FIREBALL_FIRST + static_cast<int>(explosionFrame));
    draw_sprite(target, blast, left + images[0]->w / 2 - blast->w / 2,
                top + images[0]->h / 2 - blast->h / 2);
}

void Enemy::findNewDest()
{
    const int width = images[frame]->w;
    const int height = images[frame]->h;
    do {
        destX = rand() % (screenWidth + 1);
        destY = rand() % (screenHeight - statusLineHeight + 1) + statusLineHeight;
    } while (destX < destLeftMin || destX > screenWidth - width - destRightMargin ||
             destY + height > screenHeight - destBottomMargin);
}

void Enemy::takeDamage(int damage, int cause, bool sound)
{
    hitPoints -= damage;
    if (hitPoints < 1) {
        if (soundOn && sound)
            seam.playSample(dieSample, enemyVolume, panFor(x), ownPitch);
        killed = true;
        bullets.clear(); // its shots and mines vanish with it
        // Rammed by the ship: no explosion of its own, removed at once.
        if (cause == 1)
            explosionFrame = explosionEnd;
        else
            explosionFrame = EXP_FIREBALL_FIRST;
    } else if (soundOn) {
        seam.playSample(hitSample, enemyVolume, panFor(x), ownPitch);
    }
}

void Enemy::moveBack(int shipX, int shipY)
{
    while (x > 0 && x + images[frame]->w < screenWidth - pushBackMargin && y > statusLineHeight &&
           y + images[frame]->h < screenHeight - pushBackMargin) {
        x += x < shipX ? -1 : 1;
        y += y < shipY ? -1 : 1;
    }
    freezeSecond = seconds;
}
