// Enemies: the kind table, entry, freezing, travel and arrival, homing,
// shooting and mines, damage, push-back, drawing.
#include "entities/enemy.h"

#include "entities/sound.h"
#include "shell/globals.h"
#include "support/fake_data.h"
#include "support/test_seam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int W = 640;
constexpr int H = 480;

// The fake frame 0 of kind k is (21 + 2k) x (17 + 2k).
int frameW(int kind) { return 21 + 2 * kind; }
int frameH(int kind) { return 17 + 2 * kind; }

class EnemyTest : public ::testing::Test {
protected:
    ScopedTestSeam testSeamScope;
    FakeGameData data;

    Enemy* make(int kind) { return new Enemy(kind, data.sprites, data.explosion, data.sfx); }
    SAMPLE* sfx(int index) { return data.sfx.sample(index); }
};

// An enemy that stands still at (x, y) heading for (destX, destY), free to travel.
void place(Enemy& e, float x, float y, int destX, int destY)
{
    e.x = x;
    e.y = y;
    e.destX = destX;
    e.destY = destY;
    e.freezeSecond = seconds - 1;
}

TEST_F(EnemyTest, EveryKindTakesItsRowOfTheTable)
{
    struct Row {
        float speed;
        int hitPoints, points, fireInterval, bulletSpeed, bulletSprite;
        bool homing;
    } rows[7] = {
        {0.8f, 1, 10, -1, 0, 4, false},  {0.3f, 2, 20, -1, 0, 4, false},
        {0.25f, 1, 30, 200, 0, 5, false}, {1.5f, 1, 40, -1, 0, 4, false},
        {0.4f, 1, 70, 150, 4, 4, false},  {0.3f, 1, 110, 500, 3, 4, true},
        {1.25f, 1, 200, -1, 0, 4, true},
    };
    seconds = 37;
    for (int kind = 0; kind < 7; ++kind) {
        SCOPED_TRACE(::testing::Message() << "kind " << kind);
        Enemy* e = make(kind);
        const Row& r = rows[kind];
        EXPECT_EQ(r.speed, e->speed);
        EXPECT_EQ(r.hitPoints, e->hitPoints);
        EXPECT_EQ(r.points, e->points);
        EXPECT_EQ(r.fireInterval, e->fireInterval);
        EXPECT_EQ(r.bulletSpeed, e->bulletSpeed);
        EXPECT_EQ(r.homing, e->homing);
        EXPECT_EQ(data.sprites.bitmap(r.bulletSprite), e->bulletSprite);
        EXPECT_EQ(data.sprites.bitmap(6 + 2 * kind), e->images[0]);
        EXPECT_EQ(data.sprites.bitmap(7 + 2 * kind), e->images[1]);
        EXPECT_EQ(sfx(3), e->dieSample);
        EXPECT_EQ(sfx(11), e->hitSample);
        EXPECT_EQ(sfx(4), e->fireSample);
        EXPECT_EQ(data.explosion.data(), e->explosionData);
        EXPECT_EQ(37, e->freezeSecond);
        EXPECT_EQ(0, e->fireTimer);
        EXPECT_EQ(0, e->frame);
        EXPECT_EQ(-1.0f, e->explosionFrame);
        EXPECT_FALSE(e->killed);
        EXPECT_FALSE(e->expired);
        EXPECT_TRUE(e->bullets.empty());
        for (PMASK* m : e->masks)
            EXPECT_NE(nullptr, m);
        delete e;
    }
}

// The constructor's use of rand(): destinations drawn in pairs until one is
// accepted, then one number for the side.
struct Entry {
    int destX, destY;
    bool right;
};
Entry referenceEntry(int w, int h)
{
    int dx, dy;
    do {
        dx = rand() % 641;
        dy = rand() % 464 + 17;
    } while (dx < 60 || dx > W - w - 65 || dy + h > H - 40);
    const bool right = rand() % 2 == 0;
    return {dx, dy, right};
}

TEST_F(EnemyTest, EntersFiftySevenPixelsInFromEitherSideAtMidHeight)
{
    int rights = 0;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        const int kind = seed % 7;
        srand(seed);
        const Entry expected = referenceEntry(frameW(kind), frameH(kind));
        srand(seed);
        Enemy* e = make(kind);
        SCOPED_TRACE(::testing::Message() << "seed " << seed << " kind " << kind);
        EXPECT_EQ(expected.right ? W - frameW(kind) - 57 : 57, e->x);
        EXPECT_EQ(H / 2 - frameH(kind) / 2, e->y);
        EXPECT_EQ(expected.destX, e->destX);
        EXPECT_EQ(expected.destY, e->destY);
        rights += expected.right;
        delete e;
    }
    EXPECT_GT(rights, 50);
    EXPECT_LT(rights, 150);
}

TEST_F(EnemyTest, DestinationsKeepClearOfTheLeftTheRightAndTheBottom)
{
    srand(99);
    for (int kind = 0; kind < 7; ++kind) {
        Enemy* e = make(kind);
        int minX = W, maxX = 0, minY = H, maxY = 0;
        for (int i = 0; i < 3000; ++i) {
            e->findNewDest();
            minX = std::min(minX, e->destX);
            maxX = std::max(maxX, e->destX);
            minY = std::min(minY, e->destY);
            maxY = std::max(maxY, e->destY);
        }
        EXPECT_GE(minX, 60);
        EXPECT_LE(maxX, W - frameW(kind) - 65);
        EXPECT_GE(minY, 17);
        EXPECT_LE(maxY + frameH(kind), H - 40);
        // ... and reach those limits.
        EXPECT_LE(minX, 62);
        EXPECT_GE(maxX, W - frameW(kind) - 67);
        EXPECT_LE(minY, 19);
        EXPECT_GE(maxY + frameH(kind), H - 42);
        delete e;
    }
}

TEST_F(EnemyTest, FrozenDuringTheSecondItWasMadeButItsTimerRuns)
{
    advanceTicks(500); // seconds 5, at the start of the second
    Enemy* e = make(0);
    const float x = e->x, y = e->y;
    for (int i = 0; i < 99; ++i) {
        e->move(0, 0);
        advanceTicks(1);
    }
    EXPECT_EQ(5, seconds.load());
    EXPECT_EQ(x, e->x);
    EXPECT_EQ(y, e->y);
    EXPECT_EQ(99, e->fireTimer);
    advanceTicks(1);
    e->move(0, 0);
    EXPECT_NE(x, e->x);
    delete e;
}

TEST_F(EnemyTest, MadeInTheLastTickOfASecondTravelsInTheNextStep)
{
    advanceTicks(99);
    Enemy* e = make(3);
    const float x = e->x;
    e->move(0, 0);
    EXPECT_EQ(x, e->x);
    advanceTicks(1);
    e->move(0, 0);
    EXPECT_EQ(1.5f, std::abs(e->x - x));
    delete e;
}

TEST_F(EnemyTest, AxesTravelIndependentlyAtSpeedEach)
{
    Enemy* e = make(3); // speed 1.5
    place(*e, 100, 300, 200, 200);
    e->move(0, 0);
    EXPECT_EQ(101.5f, e->x);
    EXPECT_EQ(298.5f, e->y);
    place(*e, 300, 100, 200, 400);
    for (int i = 0; i < 10; ++i)
        e->move(0, 0);
    EXPECT_EQ(285.0f, e->x);
    EXPECT_EQ(115.0f, e->y);

    // Within one speed of the destination an axis stands still.
    place(*e, 199.5f, 100, 200, 400);
    e->move(0, 0);
    EXPECT_EQ(199.5f, e->x);
    EXPECT_EQ(101.5f, e->y);
    place(*e, 200.5f, 100, 200, 400);
    e->move(0, 0);
    EXPECT_EQ(199.0f, e->x);
    e->move(0, 0);
    EXPECT_EQ(199.0f, e->x);
    delete e;
}

TEST_F(EnemyTest, ArrivalIsStrictlyWithinSpeedPlusOneOnBothAxes)
{
    srand(5);
    Enemy* e = make(2); // speed 0.25
    // y ends this step exactly at destY + speed + 1: not yet arrived.
    place(*e, 300, 200 + 2 * 0.25f + 1, 300, 200);
    e->move(0, 0);
    EXPECT_EQ(201.25f, e->y);
    EXPECT_EQ(300, e->destX);
    EXPECT_EQ(200, e->destY);
    e->move(0, 0); // 201: inside
    EXPECT_FALSE(e->destX == 300 && e->destY == 200) << "a new destination";
    EXPECT_GE(e->destX, 60);

    // Close on y but not on x: no arrival.
    place(*e, 100, 200, 300, 200);
    e->move(0, 0);
    EXPECT_EQ(300, e->destX);
    delete e;
}

TEST_F(EnemyTest, HomingKindsChaseTheShipEveryStep)
{
    for (int kind : {5, 6}) {
        Enemy* e = make(kind);
        place(*e, 100, 100, 500, 400);
        e->move(400, 50);
        EXPECT_EQ(400, e->destX);
        EXPECT_EQ(50, e->destY);
        EXPECT_FLOAT_EQ(100 + e->speed, e->x);
        EXPECT_FLOAT_EQ(100 - e->speed, e->y);
        e->move(30, 300);
        EXPECT_EQ(30, e->destX);
        EXPECT_FLOAT_EQ(100.0f, e->x);
        delete e;
    }
    Enemy* wanderer = make(4);
    place(*wanderer, 100, 100, 500, 400);
    wanderer->move(30, 30);
    EXPECT_EQ(500, wanderer->destX);
    delete wanderer;
}

TEST_F(EnemyTest, KindTwoLaysItsFirstMineOnStep201ThenEvery200)
{
    srand(11);
    Enemy* e = make(2);
    std::vector<int> laidAt;
    std::vector<float> mineX;
    for (int step = 1; step <= 1000; ++step) {
        const size_t before = e->bullets.size();
        const float x = e->x; // the shot comes before this step's travel
        e->move(0, 0);
        if (e->bullets.size() > before) {
            laidAt.push_back(step);
            mineX.push_back(x);
        }
        if (step % 100 == 50)
            advanceTicks(100); // the seconds pass: it travels and flips frames
    }
    EXPECT_EQ(std::vector<int>({201, 401, 601, 801}), laidAt);
    ASSERT_EQ(4u, e->bullets.size());
    for (const Bullet& mine : e->bullets) {
        EXPECT_EQ(0.0f, mine.vx);
        EXPECT_EQ(0.0f, mine.vy);
        EXPECT_EQ(data.sprites.bitmap(SPR_MINE), mine.sprite);
        EXPECT_EQ(e->masks[2], mine.mask);
    }
    auto plays = playsOf(sfx(SFX_ENEMY_FIRES));
    ASSERT_EQ(4u, plays.size());
    EXPECT_EQ(200, plays[0].volume);
    EXPECT_EQ(1000, plays[0].frequency);
    EXPECT_EQ(panFor(mineX[0]), plays[0].pan);

    e->takeDamage(1, 2, true);
    EXPECT_TRUE(e->bullets.empty()) << "its mines vanish with it";
    delete e;
}

TEST_F(EnemyTest, ShotLeavesFromTheCentreOfTheCurrentFrameAndMovesAtOnce)
{
    data.sprites.setBitmap(SPR_ENEMY_FIRST + 2 * 4 + 1, 41, 31); // kind 4, frame 1
    advanceTicks(100);                                          // seconds 1: frame 1
    Enemy* e = make(4);
    e->x = 100.5f;
    e->y = 200;
    e->fireTimer = 150; // due now; still frozen, so no other rand() is drawn
    srand(77);
    const int r = rand() % 32768;
    srand(77);
    e->move(0, 0);
    ASSERT_EQ(1u, e->bullets.size());
    const Bullet& b = e->bullets[0];
    const float vx = 4 * (static_cast<float>(r) / 32767);
    EXPECT_FLOAT_EQ(vx, b.vx);
    EXPECT_FLOAT_EQ(4 - vx, b.vy);
    EXPECT_FLOAT_EQ(100.5f + 20 - 1 + vx, b.x); // made, then moved in the same step
    EXPECT_FLOAT_EQ(200 + 15 - 1 + (4 - vx), b.y);
    EXPECT_EQ(data.sprites.bitmap(SPR_ENEMY_BULLET), b.sprite);
    EXPECT_EQ(1, e->fireTimer);
    // The next one comes 150 steps later.
    for (int i = 0; i < 149; ++i)
        e->move(0, 0);
    EXPECT_EQ(1u, e->bullets.size());
    e->move(0, 0);
    EXPECT_EQ(2u, e->bullets.size());
    delete e;
}

// A seed whose first rand(), reduced to 0..32767, is `wanted`.
unsigned seedGiving(int wanted)
{
    for (unsigned seed = 1;; ++seed) {
        srand(seed);
        if (rand() % 32768 == wanted)
            return seed;
    }
}

TEST_F(EnemyTest, ShotDirectionRunsFromStraightDownToStraightRight)
{
    for (int r : {32767, 0, 16384}) {
        Enemy* e = make(4); // bullet speed 4
        e->fireTimer = 150;
        srand(seedGiving(r));
        e->move(0, 0);
        ASSERT_EQ(1u, e->bullets.size());
        const Bullet& b = e->bullets[0];
        SCOPED_TRACE(::testing::Message() << "r " << r);
        if (r == 32767) {
            EXPECT_EQ(4.0f, b.vx);
            EXPECT_EQ(0.0f, b.vy);
        } else if (r == 0) {
            EXPECT_EQ(0.0f, b.vx);
            EXPECT_EQ(4.0f, b.vy);
        } else {
            EXPECT_NEAR(2.0f, b.vx, 0.001f);
            EXPECT_FLOAT_EQ(4.0f, b.vx + b.vy);
        }
        delete e;
    }
}

TEST_F(EnemyTest, NonShootingKindsNeverShoot)
{
    for (int kind : {0, 1, 3, 6}) {
        Enemy* e = make(kind);
        for (int i = 0; i < 2000; ++i)
            e->move(320, 240);
        EXPECT_TRUE(e->bullets.empty());
        delete e;
    }
    EXPECT_TRUE(testSeam.sounds.empty());
}

TEST_F(EnemyTest, KindOneSurvivesOneHitAndIsDestroyedByTheSecond)
{
    Enemy* e = make(1);
    e->x = 320;
    e->bullets.push_back(Bullet(1, 1, 0, 0, e->bulletSprite, e->masks[2]));
    e->takeDamage(1, 2, true);
    EXPECT_EQ(1, e->hitPoints);
    EXPECT_FALSE(e->killed);
    EXPECT_EQ(-1.0f, e->explosionFrame);
    EXPECT_EQ(1u, e->bullets.size());
    auto hits = playsOf(sfx(SFX_ENEMY_HIT));
    ASSERT_EQ(1u, hits.size());
    EXPECT_EQ(200, hits[0].volume);
    EXPECT_EQ(127, hits[0].pan);
    EXPECT_EQ(1000, hits[0].frequency);

    e->takeDamage(1, 2, true);
    EXPECT_EQ(0, e->hitPoints);
    EXPECT_TRUE(e->killed);
    EXPECT_EQ(0.0f, e->explosionFrame);
    EXPECT_TRUE(e->bullets.empty());
    auto dies = playsOf(sfx(SFX_ENEMY_DIES));
    ASSERT_EQ(1u, dies.size());
    EXPECT_EQ(200, dies[0].volume);
    EXPECT_EQ(127, dies[0].pan);
    EXPECT_EQ(1u, playsOf(sfx(SFX_ENEMY_HIT)).size());
    delete e;
}

TEST_F(EnemyTest, RammedByTheShipItSkipsItsExplosion)
{
    Enemy* e = make(0);
    e->takeDamage(10, 1, true);
    EXPECT_TRUE(e->killed);
    EXPECT_EQ(13.0f, e->explosionFrame);
    EXPECT_FALSE(e->isExploding());
    EXPECT_EQ(-9, e->hitPoints);
    EXPECT_EQ(1u, playsOf(sfx(SFX_ENEMY_DIES)).size());
    delete e;
}

TEST_F(EnemyTest, TheSoundFlagSilencesOnlyTheDestructionSound)
{
    Enemy* e = make(1);
    e->takeDamage(1, 2, false);
    EXPECT_EQ(1u, playsOf(sfx(SFX_ENEMY_HIT)).size()) << "a hit is heard regardless";
    e->takeDamage(10, 2, false);
    EXPECT_TRUE(e->killed);
    EXPECT_TRUE(playsOf(sfx(SFX_ENEMY_DIES)).empty());

    // A killed enemy hit again restarts its explosion.
    e->explosionFrame = 6.3f;
    e->takeDamage(10, 2, false);
    EXPECT_EQ(0.0f, e->explosionFrame);
    delete e;

    soundOn = false;
    testSeam.sounds.clear();
    Enemy* quiet = make(1);
    quiet->takeDamage(1, 2, true);
    quiet->takeDamage(1, 2, true);
    EXPECT_TRUE(quiet->killed);
    EXPECT_TRUE(testSeam.sounds.empty());
    delete quiet;
}

TEST_F(EnemyTest, ExplosionPlaysTwentyNineStepsAndNothingElseHappens)
{
    Enemy* e = make(4);
    place(*e, 100, 100, 500, 400);
    e->fireTimer = 149;
    e->takeDamage(1, 2, true);
    int count = 0;
    while (e->isExploding() && count < 1000) {
        e->move(0, 0);
        ++count;
    }
    EXPECT_EQ(29, count);
    EXPECT_GE(e->explosionFrame, 13.0f);
    EXPECT_EQ(100.0f, e->x);
    EXPECT_EQ(100.0f, e->y);
    EXPECT_EQ(149, e->fireTimer);
    EXPECT_TRUE(e->bullets.empty());
    delete e;
}

TEST_F(EnemyTest, MoveBackPushesAwayToTheBandAndFreezes)
{
    seconds = 9;
    Enemy* e = make(0); // 21 x 17
    place(*e, 100, 100, 300, 300);
    e->moveBack(50, 50);
    EXPECT_EQ(453.0f, e->y); // bottom edge 470 = H - 10
    EXPECT_EQ(453.0f, e->x);
    EXPECT_EQ(9, e->freezeSecond);
    const float x = e->x;
    e->move(0, 0);
    EXPECT_EQ(x, e->x) << "frozen for the rest of the second";

    place(*e, 100, 60, 300, 300);
    e->moveBack(200, 300); // pushed up and left, to the status line
    EXPECT_EQ(17.0f, e->y);
    EXPECT_EQ(57.0f, e->x);
    place(*e, 30, 150, 300, 300);
    e->moveBack(200, 300); // to the left edge
    EXPECT_EQ(0.0f, e->x);
    EXPECT_EQ(120.0f, e->y);

    place(*e, 500, 300, 300, 300);
    e->moveBack(500, 300); // level on both axes: right and down
    EXPECT_EQ(609.0f, e->x); // right edge 630 = W - 10
    EXPECT_EQ(409.0f, e->y);

    seconds = 12;
    place(*e, 0, 200, 300, 300);
    e->moveBack(300, 300);
    EXPECT_EQ(0.0f, e->x) << "already touching the left edge";
    EXPECT_EQ(200.0f, e->y);
    EXPECT_EQ(12, e->freezeSecond);
    delete e;
}

TEST_F(EnemyTest, AnimationFlipsWithTheWholeSecond)
{
    Enemy* e = make(0);
    e->move(0, 0);
    EXPECT_EQ(0, e->frame);
    advanceTicks(100);
    e->move(0, 0);
    EXPECT_EQ(1, e->frame);
    advanceTicks(100);
    e->move(0, 0);
    EXPECT_EQ(0, e->frame);
    delete e;
}

TEST_F(EnemyTest, DrawsItsFrameAndItsExplosionCentredOnFrameZero)
{
    BITMAP* target = create_bitmap(W, H);
    const int black = makecol(0, 0, 0);
    data.sprites.setBitmap(SPR_ENEMY_FIRST + 1, 35, 27); // kind 0 frame 1, larger than frame 0
    Enemy* e = make(0);
    e->x = 100.7f;
    e->y = 200.2f;
    e->frame = 1;
    e->bullets.push_back(Bullet(400.9f, 300.1f, 0, 0, e->bulletSprite, e->masks[2]));

    clear_to_color(target, black);
    e->draw(target);
    EXPECT_EQ(PixelBox({100, 200, 35, 27}),
              colourBox(target, fakeColor(spritesCatalogue, SPR_ENEMY_FIRST + 1)));
    EXPECT_EQ(PixelBox({0, 0, 0, 0}), colourBox(target, fakeColor(spritesCatalogue, SPR_ENEMY_FIRST)));
    EXPECT_EQ(PixelBox({400, 300, 6, 6}), colourBox(target, fakeColor(spritesCatalogue, SPR_ENEMY_BULLET)));

    e->explosionFrame = 5.4f; // frame 5: 29 x 22, centred on frame 0 (21 x 17)
    clear_to_color(target, black);
    e->draw(target);
    EXPECT_EQ(PixelBox({100 + 10 - 14, 200 + 8 - 11, 29, 22}),
              colourBox(target, fakeColor(explosionCatalogue, 5)));
    EXPECT_EQ(PixelBox({0, 0, 0, 0}), colourBox(target, fakeColor(spritesCatalogue, SPR_ENEMY_FIRST + 1)));

    e->explosionFrame = 13; // over: the collision rules remove it before any drawing
    clear_to_color(target, black);
    e->draw(target);
    EXPECT_EQ(PixelBox({100, 200, 35, 27}),
              colourBox(target, fakeColor(spritesCatalogue, SPR_ENEMY_FIRST + 1)));
    delete e;
    destroy_bitmap(target);
}

} // namespace
