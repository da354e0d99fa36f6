// Shots: the screen boundary to the pixel, constant motion, truncated drawing.
// Score texts are aged and drawn by the ship (player_ship_test.cpp).
#include "entities/bullet.h"

#include "support/fake_data.h"

#include <gtest/gtest.h>

namespace {

constexpr int W = 640;
constexpr int H = 480;

class BulletTest : public ::testing::Test {
protected:
    FakeGameData data;
    BITMAP* sprite = data.sprites.setBitmap(SPR_ENEMY_BULLET, 6, 8);
    PMASK* mask = nullptr; // borrowed by bullets, never touched by them
};

TEST_F(BulletTest, StartsUnhitAndMovesByItsConstantSpeed)
{
    Bullet b(10.5f, 20.25f, 1.5f, -0.75f, sprite, mask);
    EXPECT_FALSE(b.hit);
    for (int i = 0; i < 4; ++i)
        b.move();
    EXPECT_FLOAT_EQ(16.5f, b.x);
    EXPECT_FLOAT_EQ(17.25f, b.y);

    Bullet mine(100, 200, 0, 0, sprite, mask);
    for (int i = 0; i < 1000; ++i)
        mine.move();
    EXPECT_EQ(100.0f, mine.x);
    EXPECT_EQ(200.0f, mine.y);
}

TEST_F(BulletTest, TouchingAnEdgeIsInsideAnyFractionBeyondIsOutside)
{
    // Sprite 6 x 8.
    struct Case {
        float x, y;
        bool outside;
    } cases[] = {
        {0, 0, false},
        {W - 6, H - 8, false},        // right and bottom edges on the screen's edges
        {-0.001f, 100, true},
        {W - 6 + 1, 100, true},       // one pixel more
        {W - 6 + 0.25f, 100, true},   // the sum is made in floating point
        {100, -0.001f, true},
        {100, H - 8 + 1, true},
        {100, H - 8 + 0.25f, true},
        {W - 6 - 0.25f, H - 8 - 0.25f, false},
    };
    for (const Case& c : cases) {
        Bullet b(c.x, c.y, 0, 0, sprite, mask);
        EXPECT_EQ(c.outside, b.checkForOutside()) << "at " << c.x << ", " << c.y;
    }
}

TEST_F(BulletTest, DrawsAtThePositionTruncatedTowardZero)
{
    BITMAP* target = create_bitmap(W, H);
    const int black = makecol(0, 0, 0);
    const int colour = fakeColor(spritesCatalogue, SPR_ENEMY_BULLET);

    clear_to_color(target, black);
    Bullet b(10.9f, 20.7f, 0, 0, sprite, mask);
    b.draw(target);
    EXPECT_EQ(colour, getpixel(target, 10, 20));
    EXPECT_EQ(colour, getpixel(target, 15, 27));
    EXPECT_EQ(black, getpixel(target, 16, 20));
    EXPECT_EQ(black, getpixel(target, 10, 28));

    // Just left of the screen: toward zero is 0, not -1.
    clear_to_color(target, black);
    Bullet left(-0.5f, -0.5f, 0, 0, sprite, mask);
    left.draw(target);
    EXPECT_EQ(colour, getpixel(target, 5, 7));
    EXPECT_EQ(black, getpixel(target, 6, 7));
    destroy_bitmap(target);
}

} // namespace
