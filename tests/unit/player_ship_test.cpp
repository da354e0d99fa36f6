// The player's ship driven step by step through the recording seam: steering,
// the firing and special-weapon rules, bounds against fixed objects, the
// explosion, scoring with extra lives, reset and drawing.
#include "entities/player_ship.h"

#include "entities/object.h"
#include "entities/sound.h"
#include "shell/globals.h"
#include "support/fake_data.h"
#include "support/test_seam.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

constexpr int W = 640;
constexpr int H = 480;
constexpr int shipW = 25; // the fake ship is 25 x 19: odd, so integer halves show
constexpr int shipH = 19;

class ShipTest : public ::testing::Test {
protected:
    ScopedTestSeam testSeamScope;
    FakeGameData data;
    SAMPLE* fireSound = data.sfx.sample(SFX_SHIP_FIRES);
    SAMPLE* dieSound = data.sfx.sample(SFX_SHIP_DIES);
    SAMPLE* lifeSound = data.sfx.sample(SFX_EXTRA_LIFE);
    PlayerShip ship{data.sprites, data.explosion, fireSound, dieSound, lifeSound};
    std::vector<Object*> noObjects;

    // One logic step with this input.
    int step(int buttons = 0, int mx = 0, int my = 0, bool space = false)
    {
        testSeam.buttons = buttons;
        testSeam.mickeyX = mx;
        testSeam.mickeyY = my;
        testSeam.keys[KEY_SPACE] = space;
        return ship.move(noObjects);
    }
    void steps(int n, int buttons = 0)
    {
        for (int i = 0; i < n; ++i)
            step(buttons);
    }
};

// --- Steering -------------------------------------------------------------

TEST_F(ShipTest, HundredMickeysAddOnePixelPerStepScaledBySensitivity)
{
    step(0, 100, -100);
    EXPECT_EQ(1.0f, ship.vx);
    EXPECT_EQ(-1.0f, ship.vy);
    EXPECT_EQ(321.0f, ship.x);
    EXPECT_EQ(239.0f, ship.y);

    // No friction: the speed stays until the mouse changes it.
    steps(50);
    EXPECT_EQ(1.0f, ship.vx);
    EXPECT_EQ(371.0f, ship.x);
    EXPECT_EQ(189.0f, ship.y);

    mouseSens = 0.5f;
    step(0, 100, 0);
    EXPECT_EQ(1.5f, ship.vx);
    mouseSens = 0.0f;
    step(0, 400, 400);
    EXPECT_EQ(1.5f, ship.vx);
    EXPECT_EQ(-1.0f, ship.vy);
}

TEST_F(ShipTest, SpeedIsClampedToFourAndAHalfEachWay)
{
    step(0, 500, -500);
    EXPECT_EQ(4.5f, ship.vx);
    EXPECT_EQ(-4.5f, ship.vy);
    EXPECT_EQ(324.5f, ship.x);
    step(0, 300, -300); // cannot build up beyond the limit
    EXPECT_EQ(4.5f, ship.vx);
    step(0, -100, 100);
    EXPECT_EQ(3.5f, ship.vx);
    EXPECT_EQ(-3.5f, ship.vy);
    step(0, -10000, 10000);
    EXPECT_EQ(-4.5f, ship.vx);
    EXPECT_EQ(4.5f, ship.vy);
}

// --- Firing -------------------------------------------------------------

TEST_F(ShipTest, ShotLeavesFromTheCentreAtTwiceTheSpeedWithARandomPitch)
{
    ship.x = 100.5f;
    ship.y = 200.25f;
    ship.vx = 1.5f;
    ship.vy = -0.5f;
    steps(21); // fireTimer now 21
    const float x = ship.x, y = ship.y;

    srand(1234);
    const int expectedPitch = 950 + rand() % 101;
    srand(1234);
    step(1);
    ASSERT_EQ(1u, ship.bullets.size());
    const Bullet& b = ship.bullets[0];
    // From the position before this step's motion; halves in integers.
    EXPECT_EQ(x + 12 - 1, b.x);
    EXPECT_EQ(y + 9 - 1, b.y);
    EXPECT_EQ(3.0f, b.vx);
    EXPECT_EQ(-1.0f, b.vy);
    EXPECT_EQ(ship.bulletSprite, b.sprite);
    EXPECT_EQ(ship.bulletMask, b.mask);
    EXPECT_EQ(x + 1.5f, ship.x);

    auto plays = playsOf(fireSound);
    ASSERT_EQ(1u, plays.size());
    EXPECT_EQ(200, plays[0].volume);
    EXPECT_EQ(panFor(x), plays[0].pan);
    EXPECT_EQ(expectedPitch, plays[0].frequency);
}

TEST_F(ShipTest, FiringNeedsAFreshPressAndMoreThanTwentyStepsSinceTheLastShot)
{
    ship.vx = 0.25f;
    ship.vy = 0.25f;
    steps(20);
    step(1); // fireTimer 20: too soon after the start
    EXPECT_TRUE(ship.bullets.empty());
    step(1); // 21 now, but the button was already down
    EXPECT_TRUE(ship.bullets.empty());
    step(0);
    step(1); // fresh press, 23 steps
    ASSERT_EQ(1u, ship.bullets.size());

    // Held on: nothing more, ever.
    steps(100, 1);
    EXPECT_EQ(1u, ship.bullets.size());

    // A fresh press 15 steps after a shot fires nothing; 21 steps after, it fires.
    step(0);
    step(1);
    ASSERT_EQ(2u, ship.bullets.size());
    steps(14);
    step(1); // 15 steps after the shot
    EXPECT_EQ(2u, ship.bullets.size());
    step(0);
    steps(4);
    step(1); // 21 steps after the shot
    EXPECT_EQ(3u, ship.bullets.size());
    EXPECT_EQ(3u, playsOf(fireSound).size());
}

TEST_F(ShipTest, AShipStillOnEitherAxisCannotShoot)
{
    ship.fireTimer = 100;
    ship.vx = 3;
    ship.vy = 0; // as after touching the top or bottom bound
    step(1);
    step(0);
    ship.vx = 0;
    ship.vy = -2;
    step(1);
    step(0);
    ship.vx = 0;
    ship.vy = 0;
    step(1);
    EXPECT_TRUE(ship.bullets.empty());
    EXPECT_TRUE(testSeam.sounds.empty());
}

TEST_F(ShipTest, FiresSilentlyWithSoundOff)
{
    soundOn = false;
    ship.vx = 1;
    ship.vy = 1;
    ship.fireTimer = 21;
    step(1);
    EXPECT_EQ(1u, ship.bullets.size());
    EXPECT_TRUE(testSeam.sounds.empty());
}

// --- Selection and special weapons --------------------------------------

TEST_F(ShipTest, RightButtonAdvancesTheSelectionOncePerPressWrapping)
{
    steps(10, 2); // held down: one advance
    EXPECT_EQ(1, ship.selectedSpecial);
    step(0);
    step(2);
    EXPECT_EQ(2, ship.selectedSpecial);
    step(0);
    step(2 | 1);
    EXPECT_EQ(0, ship.selectedSpecial);
}

TEST_F(ShipTest, SpecialNeedsAChargeOfTheSelectedWeaponAndAFreshSpace)
{
    step(0, 0, 0, true);
    EXPECT_FALSE(ship.specialFired) << "no charge";

    // A charge arrives while Space is still held: wait for a fresh press.
    ship.charges[1] = 2;
    ship.selectedSpecial = 1;
    step(0, 0, 0, true);
    EXPECT_FALSE(ship.specialFired);
    step();
    step(0, 0, 0, true);
    EXPECT_TRUE(ship.specialFired);
    EXPECT_EQ(1, ship.charges[1]);
    ship.specialFired = false; // the play loop clears it after the frame
    step(0, 0, 0, true);
    EXPECT_FALSE(ship.specialFired) << "held";
    step();
    ship.selectedSpecial = 2;
    step(0, 0, 0, true);
    EXPECT_FALSE(ship.specialFired) << "weapon 2 has no charge";
    step();
    ship.selectedSpecial = 1;
    step(0, 0, 0, true);
    EXPECT_TRUE(ship.specialFired);
    EXPECT_EQ(0, ship.charges[1]);
    EXPECT_EQ(0, ship.charges[0]);
    EXPECT_EQ(0, ship.charges[2]);
}

// --- Bounds and fixed objects ------------------------------------------

class ShipBoundsTest : public ShipTest {
protected:
    // The game's left hazard (58 x 74 at 0, 203), the exit and the bonus.
    Object hazard{0, 203, OBJ_HAZARD, data.sprites.bitmap(SPR_HAZARD_LEFT), 0, 0};
    Object exitGate{299, 470, OBJ_EXIT_GATE, data.sprites.bitmap(SPR_EXIT_GATE), 0, 0};
    Object bonus{400, 100, OBJ_WANDERING_BONUS, data.sprites.bitmap(SPR_WANDERING_BONUS), 4, 4};
    std::vector<Object*> fixed{&hazard, &exitGate, &bonus};

    int stepAmong() { return ship.move(fixed); }
};

TEST_F(ShipBoundsTest, TheBoundWinsOverAFixedObject)
{
    // Over the hazard and about to cross the left edge.
    ship.x = 0.5f;
    ship.y = 210;
    ship.vx = -1;
    EXPECT_EQ(OBJ_HAZARD, ship.collisionDetect(fixed)) << "on the hazard, inside the bounds";
    EXPECT_EQ(0, stepAmong());
    EXPECT_EQ(0.5f, ship.x);
    EXPECT_EQ(0.0f, ship.vx);

    // Inside the bounds the hazard is reported and nothing is undone.
    ship.x = 2.5f;
    ship.vx = -1;
    EXPECT_EQ(1, stepAmong());
    EXPECT_EQ(1.5f, ship.x);
    EXPECT_EQ(-1.0f, ship.vx);
}

TEST_F(ShipBoundsTest, ExitGateAndBonusAreReportedByTheirOwnCodes)
{
    ship.x = 300;
    ship.y = 451;
    ship.vy = 1; // to 452: the bottom row 470 overlaps the gate's top row
    EXPECT_EQ(2, stepAmong());
    ship.x = 390;
    ship.y = 95;
    ship.vx = 0;
    ship.vy = 0;
    EXPECT_EQ(3, stepAmong());
    ship.x = 200;
    ship.y = 300;
    EXPECT_EQ(0, stepAmong());
    EXPECT_EQ(0, ship.collisionDetect(fixed));
}

TEST_F(ShipBoundsTest, EveryEdgeToThePixel)
{
    struct Case {
        float x, y;
        int report;
    } cases[] = {
        {0, 17, 0},
        {W - shipW, H - shipH, 0},
        {-0.25f, 100, 1},
        {W - shipW + 0.25f, 100, 1},
        {100, 16.75f, 2},
        {100, H - shipH + 0.25f, 2},
        {-1, 0, 1}, // both crossed: only the horizontal bound is reported
        {W, H, 1},
    };
    for (const Case& c : cases) {
        ship.x = c.x;
        ship.y = c.y;
        EXPECT_EQ(c.report, ship.collisionDetect(noObjects)) << "at " << c.x << ", " << c.y;
    }
}

TEST_F(ShipBoundsTest, ADiagonalPushIntoACornerLosesTheHorizontalSpeedFirst)
{
    ship.x = 0.5f;
    ship.y = 17.5f;
    ship.vx = -1;
    ship.vy = -1;
    EXPECT_EQ(0, stepAmong());
    EXPECT_EQ(0.5f, ship.x);
    EXPECT_EQ(0.0f, ship.vx);
    EXPECT_EQ(16.5f, ship.y) << "the vertical move is kept: one step beyond the top";
    EXPECT_EQ(-1.0f, ship.vy);
    EXPECT_EQ(0, stepAmong());
    EXPECT_EQ(16.5f, ship.y);
    EXPECT_EQ(0.0f, ship.vy);
    EXPECT_EQ(0.5f, ship.x);
}

// --- Death and explosion ------------------------------------------------

TEST_F(ShipTest, ExplosionOfCauseTwoShowsFramesZeroToTwelveForTwentyNineSteps)
{
    ship.x = 64;
    ship.vx = 2;
    ship.vy = 1;
    ship.fireHeld = true;
    ship.specialHeld = true;
    ship.specialFired = true;
    ship.fireTimer = 50;
    ship.addScore(10, 5, 5);
    ship.die(2);
    EXPECT_TRUE(ship.scoreTexts.empty());
    EXPECT_EQ(0.0f, ship.vx);
    EXPECT_EQ(0.0f, ship.vy);
    EXPECT_FALSE(ship.fireHeld || ship.specialHeld || ship.specialFired);
    EXPECT_EQ(0, ship.fireTimer);
    auto plays = playsOf(dieSound);
    ASSERT_EQ(1u, plays.size());
    EXPECT_EQ(200, plays[0].volume);
    EXPECT_EQ(25, plays[0].pan); // 64 / 640 * 255 = 25.5
    EXPECT_EQ(1000, plays[0].frequency);

    std::set<int> frames;
    int count = 0;
    while (!ship.destroyed && count < 1000) {
        frames.insert(static_cast<int>(ship.explosionFrame));
        step(1, 300, 300, true);
        ++count;
    }
    EXPECT_EQ(29, count);
    EXPECT_EQ(0, *frames.begin());
    EXPECT_EQ(12, *frames.rbegin());
    EXPECT_EQ(13u, frames.size());
    EXPECT_EQ(-1.0f, ship.explosionFrame);
    // No input was read while it exploded, and nothing moved.
    EXPECT_EQ(300, testSeam.mickeyX);
    EXPECT_EQ(64.0f, ship.x);
    EXPECT_TRUE(ship.bullets.empty());
}

TEST_F(ShipTest, ExplosionOfCauseOneShowsFramesFourteenToTwentySix)
{
    ship.die(1);
    std::set<int> frames;
    int count = 0;
    while (!ship.destroyed && count < 1000) {
        frames.insert(static_cast<int>(ship.explosionFrame));
        step();
        ++count;
    }
    EXPECT_EQ(29, count);
    EXPECT_EQ(14, *frames.begin());
    EXPECT_EQ(26, *frames.rbegin());
}

TEST_F(ShipTest, DyingAgainWhileExplodingStartsTheExplosionOver)
{
    ship.die(2);
    steps(20);
    ship.die(1);
    EXPECT_EQ(14.0f, ship.explosionFrame);
    int count = 0;
    while (!ship.destroyed && count < 1000) {
        step();
        ++count;
    }
    EXPECT_EQ(29, count);
    EXPECT_EQ(2u, playsOf(dieSound).size());
}

TEST_F(ShipTest, ScoreTextsStopAgeingWhileTheShipExplodes)
{
    ship.die(2);
    ship.addScore(40, 100, 100); // e.g. a bullet already in flight
    steps(10);
    ASSERT_EQ(1u, ship.scoreTexts.size());
    EXPECT_EQ(255, ship.scoreTexts[0].brightness);
}

// --- Score and extra lives ---------------------------------------------

TEST_F(ShipTest, ExtraLivesAtEveryFiveThousandTimesTheLevel)
{
    ship.score = 4990;
    ship.addScore(10, -1, -1);
    EXPECT_EQ(6, ship.lives);
    EXPECT_EQ(2, ship.extraLifeLevel);
    ship.addScore(4999, -1, -1);
    EXPECT_EQ(6, ship.lives) << "9999 < 10000";
    ship.addScore(1, -1, -1);
    EXPECT_EQ(7, ship.lives);

    ship.score = 4000;
    ship.lives = 5;
    ship.extraLifeLevel = 1;
    ship.addScore(2000, -1, -1);
    EXPECT_EQ(6, ship.lives);
    ship.addScore(4, -1, -1);
    EXPECT_EQ(6, ship.lives);
    EXPECT_EQ(6004, ship.score);
}

TEST_F(ShipTest, AtMostOneLifePerCallTheRestFollowOnLaterCalls)
{
    ship.addScore(12000, -1, -1);
    EXPECT_EQ(6, ship.lives);
    ship.addScore(0, -1, -1);
    EXPECT_EQ(7, ship.lives);
    ship.addScore(0, -1, -1);
    EXPECT_EQ(7, ship.lives) << "15000 not reached";
    EXPECT_EQ(3, ship.extraLifeLevel);
}

TEST_F(ShipTest, ExtraLifeJinglePlaysThroughAVoiceReleasedOnTheNextStep)
{
    testSeam.nextVoice = 7;
    ship.addScore(5000, -1, -1);
    ASSERT_EQ(3u, testSeam.sounds.size());
    EXPECT_EQ(SoundCall::Allocate, testSeam.sounds[0].kind);
    EXPECT_EQ(lifeSound, testSeam.sounds[0].sample);
    EXPECT_EQ(SoundCall::Priority, testSeam.sounds[1].kind);
    EXPECT_EQ(7, testSeam.sounds[1].voice);
    EXPECT_EQ(255, testSeam.sounds[1].volume);
    EXPECT_EQ(SoundCall::Start, testSeam.sounds[2].kind);
    EXPECT_EQ(7, testSeam.sounds[2].voice);
    EXPECT_EQ(7, ship.lifeVoice);

    step();
    ASSERT_EQ(4u, testSeam.sounds.size());
    EXPECT_EQ(SoundCall::Release, testSeam.sounds[3].kind);
    EXPECT_EQ(7, testSeam.sounds[3].voice);
    EXPECT_EQ(-1, ship.lifeVoice);
    step();
    EXPECT_EQ(4u, testSeam.sounds.size());
}

TEST_F(ShipTest, ASecondJingleInTheSameStepLetsTheFirstVoiceGo)
{
    testSeam.nextVoice = 3;
    ship.addScore(5000, -1, -1);
    testSeam.nextVoice = 4;
    ship.addScore(5000, -1, -1);
    EXPECT_EQ(7, ship.lives);
    ASSERT_EQ(7u, testSeam.sounds.size());
    EXPECT_EQ(SoundCall::Release, testSeam.sounds[3].kind);
    EXPECT_EQ(3, testSeam.sounds[3].voice);
    EXPECT_EQ(SoundCall::Allocate, testSeam.sounds[4].kind);
    EXPECT_EQ(4, ship.lifeVoice);
}

TEST_F(ShipTest, NoFreeVoiceOrSoundOffStillGivesTheLife)
{
    testSeam.nextVoice = -1;
    ship.addScore(5000, -1, -1);
    EXPECT_EQ(6, ship.lives);
    ASSERT_EQ(1u, testSeam.sounds.size());
    EXPECT_EQ(SoundCall::Allocate, testSeam.sounds[0].kind);
    EXPECT_EQ(-1, ship.lifeVoice);
    step();
    EXPECT_EQ(1u, testSeam.sounds.size()) << "nothing to release";

    soundOn = false;
    testSeam.nextVoice = 2;
    ship.addScore(5000, -1, -1);
    EXPECT_EQ(7, ship.lives);
    EXPECT_EQ(1u, testSeam.sounds.size());
}

TEST_F(ShipTest, ScoreTextOnlyWhereBothCoordinatesAreNotNegative)
{
    ship.addScore(4, -1, -1);
    ship.addScore(5, 10, -1);
    ship.addScore(6, -1, 10);
    EXPECT_TRUE(ship.scoreTexts.empty());
    EXPECT_EQ(15, ship.score);
    ship.addScore(10, 0, 0);
    ASSERT_EQ(1u, ship.scoreTexts.size());
    EXPECT_EQ(10, ship.scoreTexts[0].value);
    EXPECT_EQ(0, ship.scoreTexts[0].x);
    EXPECT_EQ(0, ship.scoreTexts[0].y);
    ship.clearScoreTexts();
    EXPECT_TRUE(ship.scoreTexts.empty());
}

TEST_F(ShipTest, AScoreTextLivesExactlyEightyFiveAgeingPassesNeverDrawnDark)
{
    BITMAP* target = create_bitmap(W, H);
    const int blue = makecol(0, 0, 200);
    ship.x = 400; // keep the ship's own picture away from the text
    ship.addScore(10, 100, 50);
    ship.addScore(20, 200, 50);
    ship.scoreTexts[1].brightness = 9; // an older one, erased first, order kept
    ship.addScore(30, 300, 50);
    for (int pass = 1; pass <= 85; ++pass) {
        step();
        clear_to_color(target, blue);
        ship.draw(target, font);
        PixelBox box = colourBox(target, makecol(0, 0, 0));
        ASSERT_EQ(PixelBox({0, 0, 0, 0}), box) << "drawn at brightness 0 after pass " << pass;
        if (pass == 3) {
            ASSERT_EQ(2u, ship.scoreTexts.size());
            EXPECT_EQ(10, ship.scoreTexts[0].value);
            EXPECT_EQ(30, ship.scoreTexts[1].value);
        }
        if (pass == 84) {
            ASSERT_EQ(2u, ship.scoreTexts.size());
            EXPECT_EQ(3, ship.scoreTexts[0].brightness);
            // Still drawn at 3: "10" centred at 100, the built-in font 8 pixels high.
            PixelBox text = colourBox(target, makecol(3, 3, 3));
            EXPECT_GE(text.x, 92);
            EXPECT_LE(text.x + text.w, 308);
            EXPECT_GE(text.y, 50);
            EXPECT_LE(text.y + text.h, 58);
        }
    }
    EXPECT_TRUE(ship.scoreTexts.empty());
    destroy_bitmap(target);
}

// --- Reset ----------------------------------------------------------------

TEST_F(ShipTest, ResetPutsTheShipBackAndKeepsWhatThePlayerOwns)
{
    ship.lives = 3;
    ship.score = 1234;
    ship.extraLifeLevel = 2;
    ship.charges[0] = 1;
    ship.charges[2] = 4;
    ship.selectedSpecial = 2;
    ship.selectHeld = true;
    ship.x = 17;
    ship.y = 99;
    ship.vx = 2;
    ship.vy = -3;
    ship.specialFired = ship.specialHeld = ship.fireHeld = ship.destroyed = true;
    ship.fireTimer = 80;
    ship.explosionFrame = 5;
    ship.bullets.push_back(Bullet(1, 1, 1, 1, ship.bulletSprite, ship.bulletMask));
    ship.addScore(0, 10, 10);
    testSeam.mickeyX = 250; // motion made while the ship was away
    testSeam.mickeyY = -250;

    ship.reset();
    EXPECT_EQ(3, ship.lives);
    EXPECT_EQ(1234, ship.score);
    EXPECT_EQ(2, ship.extraLifeLevel);
    EXPECT_EQ(1, ship.charges[0]);
    EXPECT_EQ(4, ship.charges[2]);
    EXPECT_EQ(2, ship.selectedSpecial);
    EXPECT_TRUE(ship.selectHeld);
    EXPECT_EQ(320.0f, ship.x);
    EXPECT_EQ(240.0f, ship.y);
    EXPECT_EQ(0.0f, ship.vx);
    EXPECT_EQ(0.0f, ship.vy);
    EXPECT_FALSE(ship.specialFired || ship.specialHeld || ship.fireHeld || ship.destroyed);
    EXPECT_EQ(0, ship.fireTimer);
    EXPECT_EQ(-1.0f, ship.explosionFrame);
    EXPECT_TRUE(ship.bullets.empty());
    EXPECT_TRUE(ship.scoreTexts.empty());

    testSeam.buttons = 2; // still held: no new selection
    ship.move(noObjects);
    EXPECT_EQ(0.0f, ship.vx) << "the old motion was discarded";
    EXPECT_EQ(2, ship.selectedSpecial);
}

// --- Drawing ---------------------------------------------------------------

class ShipDrawTest : public ShipTest {
protected:
    BITMAP* target = create_bitmap(W, H);
    const int black = makecol(0, 0, 0);
    void SetUp() override { clear_to_color(target, black); }
    void TearDown() override { destroy_bitmap(target); }
    int spriteColour(int index) { return fakeColor(spritesCatalogue, index); }
    int blastColour(int index) { return fakeColor(explosionCatalogue, index); }
};

TEST_F(ShipDrawTest, ShipAndBulletsAtTheirTruncatedPositions)
{
    ship.x = 100.7f;
    ship.y = 200.9f;
    ship.bullets.push_back(Bullet(300.6f, 50.2f, 1, 1, ship.bulletSprite, ship.bulletMask));
    ship.draw(target, font);
    EXPECT_EQ(PixelBox({100, 200, shipW, shipH}), colourBox(target, spriteColour(SPR_SHIP)));
    EXPECT_EQ(PixelBox({300, 50, 4, 4}), colourBox(target, spriteColour(SPR_SHIP_BULLET)));
}

TEST_F(ShipDrawTest, ExplosionFramesAreCentredOnTheShip)
{
    ship.x = 100.7f;
    ship.y = 200.9f;
    ship.die(2);
    ship.draw(target, font);
    // Frame 0 is 9 x 7: 100 + 25/2 - 9/2 = 108, 200 + 19/2 - 7/2 = 206.
    EXPECT_EQ(PixelBox({108, 206, 9, 7}), colourBox(target, blastColour(0)));
    EXPECT_EQ(PixelBox({0, 0, 0, 0}), colourBox(target, spriteColour(SPR_SHIP)));

    steps(12); // 5.4: frame 5, 29 x 22
    clear_to_color(target, black);
    ship.draw(target, font);
    EXPECT_EQ(PixelBox({100 + 12 - 14, 200 + 9 - 11, 29, 22}), colourBox(target, blastColour(5)));

    ship.die(1);
    clear_to_color(target, black);
    ship.draw(target, font);
    EXPECT_EQ(PixelBox({108, 206, 9, 7}), colourBox(target, blastColour(EXP_BREAKUP_FIRST)));
}

TEST_F(ShipDrawTest, DestroyedShipShowsOnlyItsBullets)
{
    ship.bullets.push_back(Bullet(30, 40, 1, 1, ship.bulletSprite, ship.bulletMask));
    ship.die(2);
    steps(29);
    ASSERT_TRUE(ship.destroyed);
    ship.scoreTexts.push_back(ScoreText(10, 200, 100));
    ship.draw(target, font);
    EXPECT_EQ(PixelBox({30, 40, 4, 4}), colourBox(target, spriteColour(SPR_SHIP_BULLET)));
    PixelBox everythingElse = colourBox(target, makecol(255, 255, 255));
    EXPECT_EQ(PixelBox({0, 0, 0, 0}), everythingElse);
    EXPECT_EQ(PixelBox({0, 0, 0, 0}), colourBox(target, spriteColour(SPR_SHIP)));
    EXPECT_EQ(PixelBox({0, 0, 0, 0}), colourBox(target, blastColour(12)));
}

TEST_F(ShipDrawTest, StatusLineShowsThePanelAndTheSelectedWeaponIcon)
{
    ship.selectedSpecial = 2;
    ship.lives = 7;
    ship.drawInfo(target, 3, font, 60);
    EXPECT_EQ(spriteColour(SPR_STATUS_PANEL), getpixel(target, 1, 16));
    EXPECT_EQ(PixelBox({592, 3, 14, 14}), colourBox(target, spriteColour(SPR_WEAPON_ICON_FIRST + 2)));
    // Texts in grey 150 from x 5 ("Wave: 3") to the charges at 608.
    PixelBox texts = colourBox(target, makecol(150, 150, 150));
    EXPECT_GE(texts.x, 5);
    EXPECT_LE(texts.x, 6);
    EXPECT_EQ(0, texts.y);
    EXPECT_GE(texts.x + texts.w, 608 + 8 * 2); // "x 0" reaches past 624
    PixelBox fpsText = colourBox(target, makecol(100, 100, 100));
    EXPECT_GE(fpsText.x, 300);
    EXPECT_LT(fpsText.x + fpsText.w, 300 + 8 * 7 + 1);
}

} // namespace
