// Field objects: bouncing with its sounds, the edge look-ahead, drawing.
#include "entities/object.h"

#include "entities/sound.h"
#include "shell/globals.h"
#include "support/fake_data.h"
#include "support/test_seam.h"

#include <gtest/gtest.h>

namespace {

constexpr int W = 640;
constexpr int H = 480;

class ObjectTest : public ::testing::Test {
protected:
    ScopedTestSeam testSeamScope;
    FakeGameData data;
    SAMPLE* bounce = data.sfx.sample(SFX_BONUS_BOUNCE);
    BITMAP* sprite = data.sprites.setBitmap(SPR_WANDERING_BONUS, 20, 30);
};

TEST(Pan, MatchesExactIntegerArithmeticAcrossAndBeyondTheScreen)
{
    // Reference: x * 255 / 640 in integers truncates toward zero like the
    // game's float formula must, also at the multiples of 128 where the
    // exact result is a whole number.
    for (int x = -700; x <= 1400; ++x)
        ASSERT_EQ(x * 255 / 640, panFor(static_cast<float>(x))) << "x = " << x;
    EXPECT_EQ(0, panFor(0.9f));
    EXPECT_EQ(0, panFor(-1.5f)); // toward zero, not down
    EXPECT_EQ(255, panFor(640.0f));
}

TEST_F(ObjectTest, BouncesOffTheLeftBoundSixteenPixelsInWithPanByPosition)
{
    Object o(17, 100, OBJ_WANDERING_BONUS, sprite, -4, 3);
    o.move(bounce);
    EXPECT_EQ(13, o.x);
    EXPECT_EQ(103, o.y);
    EXPECT_EQ(4, o.dx);
    EXPECT_EQ(3, o.dy);
    auto plays = playsOf(bounce);
    ASSERT_EQ(1u, plays.size());
    EXPECT_EQ(255, plays[0].volume);
    EXPECT_EQ(5, plays[0].pan); // trunc(13 / 640 * 255)
    EXPECT_EQ(1000, plays[0].frequency);
    // Not clamped: it comes back by its reversed speed.
    o.move(bounce);
    EXPECT_EQ(17, o.x);
    EXPECT_EQ(1u, playsOf(bounce).size());
}

TEST_F(ObjectTest, LeftAndTopBoundsAreAtSixteenRightAndBottomAtTheEdgesToThePixel)
{
    struct Case {
        int x, y, dx, dy;
        bool bouncesX, bouncesY;
    } cases[] = {
        {18, 100, -1, 0, false, false}, // x 17: inside
        {17, 100, -1, 0, true, false},  // x 16: out
        {W - 20 - 1, 100, 1, 0, false, false}, // right edge on the screen edge: inside
        {W - 20, 100, 1, 0, true, false},      // one pixel over
        {100, 18, 0, -1, false, false},
        {100, 17, 0, -1, false, true},
        {100, H - 30 - 1, 0, 1, false, false},
        {100, H - 30, 0, 1, false, true},
    };
    for (const Case& c : cases) {
        testSeam.sounds.clear();
        Object o(c.x, c.y, OBJ_WANDERING_BONUS, sprite, c.dx, c.dy);
        o.move(bounce);
        SCOPED_TRACE(::testing::Message() << "from " << c.x << "," << c.y);
        EXPECT_EQ(c.bouncesX ? -c.dx : c.dx, o.dx);
        EXPECT_EQ(c.bouncesY ? -c.dy : c.dy, o.dy);
        EXPECT_EQ((c.bouncesX || c.bouncesY) ? 1u : 0u, playsOf(bounce).size());
    }
}

TEST_F(ObjectTest, RightBouncePansByPositionVerticalBouncesPanCentre)
{
    Object right(W - 22, 200, OBJ_WANDERING_BONUS, sprite, 4, 0);
    right.move(bounce); // x 622, right edge 642
    Object bottom(300, H - 31, OBJ_WANDERING_BONUS, sprite, 0, 4);
    bottom.move(bounce);
    Object top(300, 19, OBJ_WANDERING_BONUS, sprite, 0, -4);
    top.move(bounce);
    auto plays = playsOf(bounce);
    ASSERT_EQ(3u, plays.size());
    EXPECT_EQ(622 * 255 / 640, plays[0].pan);
    EXPECT_EQ(128, plays[1].pan);
    EXPECT_EQ(128, plays[2].pan);
    EXPECT_EQ(-4, bottom.dy);
    EXPECT_EQ(4, top.dy);
    for (const SoundCall& c : plays) {
        EXPECT_EQ(255, c.volume);
        EXPECT_EQ(1000, c.frequency);
    }
}

TEST_F(ObjectTest, CornerIsTakenOverTwoSteps)
{
    // Heading into the bottom-right corner: sideways first, then downwards.
    Object o(W - 22, H - 32, OBJ_WANDERING_BONUS, sprite, 4, 4);
    o.move(bounce);
    EXPECT_EQ(-4, o.dx);
    EXPECT_EQ(4, o.dy) << "only the sideways bounce in the first step";
    o.move(bounce); // x 618, y 456: still out at the bottom
    EXPECT_EQ(-4, o.dx);
    EXPECT_EQ(-4, o.dy);
    auto plays = playsOf(bounce);
    ASSERT_EQ(2u, plays.size());
    EXPECT_EQ(622 * 255 / 640, plays[0].pan);
    EXPECT_EQ(128, plays[1].pan);
}

TEST_F(ObjectTest, BouncesSilentlyWithSoundOff)
{
    soundOn = false;
    Object o(17, 100, OBJ_WANDERING_BONUS, sprite, -4, 0);
    o.move(bounce);
    EXPECT_EQ(4, o.dx);
    Object v(100, 17, OBJ_WANDERING_BONUS, sprite, 0, -4);
    v.move(bounce);
    EXPECT_EQ(4, v.dy);
    EXPECT_TRUE(testSeam.sounds.empty());
}

TEST_F(ObjectTest, IsAtEdgeLooksTwoStepsAheadInTheDirectionOfTravel)
{
    // Sprite 20 x 30.
    Object o(W - 20 - 5, 200, OBJ_WANDERING_BONUS, sprite, 3, 0);
    EXPECT_TRUE(o.isAtEdge()); // 635 > 634
    o.dx = 2;
    EXPECT_FALSE(o.isAtEdge()); // 635 > 636 is false
    o.dx = -3;
    EXPECT_FALSE(o.isAtEdge()) << "moving away from the right edge";

    // Negative speeds make a negative margin: the left test needs x < -2|dx|.
    o.x = 5;
    o.dx = -3;
    EXPECT_FALSE(o.isAtEdge());
    o.x = -7;
    EXPECT_TRUE(o.isAtEdge());
    o.x = 5;
    o.dx = 3;
    EXPECT_TRUE(o.isAtEdge()) << "5 < 6";

    o.x = 300;
    o.dx = 0;
    o.y = H - 30 - 8;
    o.dy = 4;
    EXPECT_FALSE(o.isAtEdge()); // 480 - 8 > 472 is false
    o.dy = 5;
    EXPECT_TRUE(o.isAtEdge());
    o.dy = -5;
    EXPECT_FALSE(o.isAtEdge());
    o.y = 9;
    o.dy = 5;
    EXPECT_TRUE(o.isAtEdge());
    o.dy = 4;
    EXPECT_FALSE(o.isAtEdge());
}

TEST_F(ObjectTest, DrawsItsSpriteAtItsPositionLeavingTheMaskColourOut)
{
    BITMAP* target = create_bitmap(W, H);
    clear_to_color(target, makecol(0, 0, 0));
    BITMAP* disc = data.sprites.bitmap(SPR_COLLECTABLE); // 12 x 12 disc
    Object o(100, 50, OBJ_COLLECTABLE, disc, 0, 0);
    o.draw(target);
    const int colour = fakeColor(spritesCatalogue, SPR_COLLECTABLE);
    EXPECT_EQ(colour, getpixel(target, 106, 56));
    EXPECT_EQ(colour, getpixel(target, 100, 56));
    EXPECT_EQ(makecol(0, 0, 0), getpixel(target, 99, 56));
    EXPECT_EQ(makecol(0, 0, 0), getpixel(target, 100, 50)) << "the disc's corner is mask colour";
    EXPECT_EQ(makecol(0, 0, 0), getpixel(target, 112, 56));
    destroy_bitmap(target);
}

TEST_F(ObjectTest, MaskDescribesTheSprite)
{
    Object o(0, 0, OBJ_HAZARD, sprite, 0, 0);
    ASSERT_NE(nullptr, o.mask);
    EXPECT_FALSE(o.hit);
}

} // namespace
