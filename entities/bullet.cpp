#include "entities/bullet.h"

#include "shell/al.h"
#include "shell/globals.h"

Bullet::Bullet(float x, float y, float vx, float vy, BITMAP* sprite, PMASK* mask)
    : x(x), y(y), mask(mask), hit(false), vx(vx), vy(vy), sprite(sprite)
{
}

void Bullet::move()
{
    x += vx;
    y += vy;
}

void Bullet::draw(BITMAP* target)
{
    draw_sprite(target, sprite, static_cast<int>(x), static_cast<int>(y));
}

bool Bullet::checkForOutside()
{
    return x < 0 || x + sprite->w > screenWidth || y < 0 || y + sprite->h > screenHeight;
}

ScoreText::ScoreText(int value, int x, int y) : value(value), brightness(255), x(x), y(y) {}
