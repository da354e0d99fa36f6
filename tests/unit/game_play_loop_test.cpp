// The play loop at the step level and through playGame on the virtual
// clock: deaths, game over, the name entry, special weapons, enemy entry and
// the wandering bonus.
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "highscores/highscore_manager.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "support/game_fixture.h"

#include <cmath>

namespace {

class PlayLoop : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        ship = game->player;
        onEachFrame(20000, nullptr);
    }

    // A game in wave 1 with an empty field at a second in which nothing enters.
    void quietGame()
    {
        game->startGame();
        clearField();
        seconds = 1;
    }

    void stepOnce()
    {
        speedCounter = 1;
        runBatch();
    }

    SAMPLE* sfx(int index) { return sampleAt(game->sfxData, index); }

    PlayerShip* ship = nullptr;
};

TEST_F(PlayLoop, DeathWipesEnemiesOnlyWhenTheExplosionEnds)
{
    quietGame();
    addEnemy(0, 60, 60);
    addEnemy(1, 500, 60);
    Object* collectable = addObject(game->collectables, OBJ_COLLECTABLE, SPR_COLLECTABLE, 60, 400);
    ship->die(2);
    for (int step = 1; step <= 28; ++step) {
        if (step == 10)
            seconds = 8; // kind 0 enters during the explosion
        stepOnce();
        ASSERT_EQ(5, ship->lives) << step;
        ASSERT_FALSE(game->enemies.empty());
    }
    EXPECT_EQ(3u, game->enemies.size());
    stepOnce();
    EXPECT_EQ(4, ship->lives);
    EXPECT_TRUE(game->enemies.empty());
    EXPECT_FALSE(ship->destroyed);
    EXPECT_LT(ship->explosionFrame, 0);
    EXPECT_EQ(320, ship->x);
    EXPECT_EQ(240, ship->y);
    ASSERT_EQ(1u, game->collectables.size()); // the wave stays as it was
    EXPECT_EQ(collectable, game->collectables[0]);
    EXPECT_EQ(8, game->enemySpawns[0].interval);
}

TEST_F(PlayLoop, GameEndsAfterTheSixthCompletedDeath)
{
    int deathsStarted = 0;
    int lastDrawnLives = 5;
    onEachFrame(20000, [&](int frame) {
        if (frame == 1)
            clearField();
        if (testSeam.screenClears > 0) { // game over: any key leaves it
            testSeam.keyBuffer.push_back(keyCode(KEY_A, 'a'));
            return;
        }
        lastDrawnLives = ship->lives;
        if (ship->explosionFrame < 0 && !ship->destroyed) {
            ship->die(2);
            ++deathsStarted;
        }
    });
    game->playGame();
    EXPECT_EQ(6, deathsStarted);
    EXPECT_EQ(-1, ship->lives);
    EXPECT_EQ(0, lastDrawnLives); // the state with no life left is never drawn
    EXPECT_EQ("None", game->highscores->GetEntry(4).name);
    EXPECT_EQ(0, game->highscores->GetEntry(0).score);
}

TEST_F(PlayLoop, AnExtraLifeMeansOneMoreDeath)
{
    int deathsStarted = 0;
    onEachFrame(20000, [&](int frame) {
        if (frame == 1) {
            clearField();
            ship->score = 4990;
            ship->addScore(10, -1, -1);
        }
        if (testSeam.screenClears > 0) {
            testSeam.buttons = 1; // a qualifying score: the left button ends the entry
            return;
        }
        if (ship->explosionFrame < 0 && !ship->destroyed) {
            ship->die(2);
            ++deathsStarted;
        }
    });
    game->playGame();
    EXPECT_EQ(7, deathsStarted);
    EXPECT_EQ(5000, game->highscores->GetEntry(0).score);
}

TEST_F(PlayLoop, EscapeLeadsToTheNameEntryWhichTakesOnlyVisibleCharacters)
{
    onEachFrame(20000, [&](int frame) {
        if (frame == 1) {
            clearField();
            ship->score = 1234;
        }
        if (frame == 5) {
            testSeam.keys[KEY_ESC] = true;
            testSeam.keyBuffer.push_back(keyCode(KEY_ESC, 27)); // thrown away at game over
        }
        if (testSeam.screenClears == 0) {
            EXPECT_LT(frame, 6) << "a frame was drawn after Escape";
        }
    });
    typeKeys({keyCode(KEY_A, 'a'), keyCode(KEY_LEFT, 0), keyCode(KEY_ESC, 27), keyCode(KEY_SPACE, ' '),
              keyCode(KEY_TAB, '\t'), keyCode(KEY_B, 'b'), keyCode(KEY_BACKSPACE, 8), keyCode(KEY_C, 'C'),
              keyCode(KEY_ENTER, 13)});
    game->playGame();
    // Frame 5 was the last of play; every frame after it is the name entry.
    EXPECT_EQ(5, ship->lives);
    EXPECT_EQ(1, testSeam.screenClears);
    EXPECT_EQ("aC", game->highscores->GetEntry(0).name);
    EXPECT_EQ(1234, game->highscores->GetEntry(0).score);

    rebuildGame(); // written at shutdown, read at the next start
    EXPECT_EQ("aC", game->highscores->GetEntry(0).name);
    EXPECT_EQ(1234, game->highscores->GetEntry(0).score);
}

TEST_F(PlayLoop, NameStopsAtNineCharactersAndBackspaceStillErases)
{
    ship->score = 50;
    std::vector<int> keys;
    for (char c : std::string("abcdefghijkl"))
        keys.push_back(keyCode(KEY_A + (c - 'a'), c));
    keys.push_back(keyCode(KEY_BACKSPACE, 8));
    keys.push_back(keyCode(KEY_Z, 'Z'));
    keys.push_back(keyCode(KEY_ENTER, 13));
    typeKeys(keys);
    game->gameOver();
    EXPECT_EQ("abcdefghZ", game->highscores->GetEntry(0).name);
}

TEST_F(PlayLoop, EnterNeedsANameThatWasOnceNonEmptyAndAnyNameReadsBack)
{
    ship->score = 77;
    typeKeys({keyCode(KEY_ENTER, 13), keyCode(KEY_X, 'x'), keyCode(KEY_BACKSPACE, 8), keyCode(KEY_ENTER, 13)});
    game->gameOver();
    EXPECT_EQ(4, testSeam.presents); // the first Enter did not end it
    const HighscoreEntry added = game->highscores->GetEntry(0);
    EXPECT_EQ(77, added.score);
    EXPECT_FALSE(added.name.empty());

    rebuildGame();
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(i == 0 ? added.name : "None", game->highscores->GetEntry(i).name);
        EXPECT_EQ(i == 0 ? 77 : 0, game->highscores->GetEntry(i).score);
    }
}

TEST_F(PlayLoop, AFurtherWaitingKeyEndsTheEntry)
{
    ship->score = 10;
    testSeam.onWait = []() {
        if (testSeam.keyBuffer.empty()) {
            testSeam.keyBuffer.push_back(keyCode(KEY_Q, 'q'));
            testSeam.keyBuffer.push_back(keyCode(KEY_W, 'w'));
        }
    };
    game->gameOver();
    EXPECT_EQ("q", game->highscores->GetEntry(0).name);
}

TEST_F(PlayLoop, ANonQualifyingScoreIgnoresClicksAndEndsOnAnyKey)
{
    ship->score = 0;
    testSeam.buttons = 1;
    onEachFrame(100, [](int frame) {
        if (frame == 30)
            testSeam.keyBuffer.push_back(keyCode(KEY_SPACE, ' '));
    });
    game->gameOver();
    EXPECT_EQ(30, testSeam.presents);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ("None", game->highscores->GetEntry(i).name);
}

TEST_F(PlayLoop, SpecialWeaponsSlowPushBackAndDamageEveryEnemy)
{
    for (int weapon = 0; weapon < 3; ++weapon) {
        SCOPED_TRACE(weapon);
        quietGame();
        Enemy* a = addEnemy(1, 100, 100);
        Enemy* b = addEnemy(3, 450, 300);
        b->takeDamage(1, 2, false); // already exploding: affected too
        ship->selectedSpecial = weapon;
        ship->charges[weapon] = 2;
        testSeam.sounds.clear();
        testSeam.keys[KEY_SPACE] = true;
        const float ax = a->x, ay = a->y;
        stepOnce();
        testSeam.keys[KEY_SPACE] = false;
        EXPECT_EQ(1, ship->charges[weapon]);
        ASSERT_EQ(1u, playsOf(sfx(SFX_SPECIAL)).size());
        EXPECT_EQ(200, playsOf(sfx(SFX_SPECIAL))[0].volume);
        if (weapon == 0) {
            EXPECT_FLOAT_EQ(0.1f, a->speed);
            EXPECT_FLOAT_EQ(0.1f, b->speed);
        } else if (weapon == 1) {
            // Pushed diagonally away from the ship up to the left or top band.
            EXPECT_LT(a->x, ax);
            EXPECT_LT(a->y, ay);
            EXPECT_TRUE(a->x <= 0 || a->y <= 17);
            EXPECT_EQ(seconds.load(), a->freezeSecond);
        } else {
            EXPECT_TRUE(a->killed); // two hit points: ten damage kills
            EXPECT_EQ(0, a->explosionFrame);
            EXPECT_EQ(-10, b->hitPoints);
            EXPECT_TRUE(playsOf(sfx(SFX_ENEMY_DIES)).empty()); // silently
            EXPECT_EQ(0, ship->score);
        }
        // The flash shows in the next frame, then the weapon is spent.
        const int flash[3] = {makecol(100, 100, 255), makecol(100, 255, 100), makecol(255, 100, 100)};
        game->drawFrame();
        EXPECT_EQ(flash[weapon], getpixel(game->buffer, 160, 470));
        EXPECT_FALSE(ship->specialFired);
        testSeam.sounds.clear();
        stepOnce();
        EXPECT_TRUE(playsOf(sfx(SFX_SPECIAL)).empty());
        game->drawFrame();
        EXPECT_EQ(makecol(0, 0, 0), getpixel(game->buffer, 160, 470));
    }
}

TEST_F(PlayLoop, AFiredWeaponRepeatsInEveryStepOfTheBatchForOneCharge)
{
    quietGame();
    Enemy* e = addEnemy(1, 100, 100);
    ship->selectedSpecial = 2;
    ship->charges[2] = 1;
    testSeam.keys[KEY_SPACE] = true;
    speedCounter = 3;
    runBatch();
    EXPECT_EQ(3u, playsOf(sfx(SFX_SPECIAL)).size());
    EXPECT_EQ(2 - 30, e->hitPoints);
    EXPECT_EQ(0, ship->charges[2]);
    game->drawFrame();
    stepOnce(); // space still held: no new firing, no charge left
    EXPECT_EQ(3u, playsOf(sfx(SFX_SPECIAL)).size());
}

TEST_F(PlayLoop, AWeaponFiredAsTheShipHitsAFixedHazardIsLost)
{
    quietGame();
    Enemy* e = addEnemy(0, 500, 60);
    Object* hazard = game->fixedObjects[1];
    putShipOn(hazard->mask, hazard->x, hazard->y);
    ship->selectedSpecial = 2;
    ship->charges[2] = 1;
    testSeam.keys[KEY_SPACE] = true;
    stepOnce();
    EXPECT_EQ(0, ship->explosionFrame); // died with cause 2
    EXPECT_FALSE(ship->specialFired);
    EXPECT_EQ(0, ship->charges[2]);
    EXPECT_FALSE(e->killed);
    EXPECT_TRUE(playsOf(sfx(SFX_SPECIAL)).empty());
}

TEST_F(PlayLoop, EachKindEntersOnceInEverySecondThatIsAMultipleOfItsInterval)
{
    quietGame();
    game->enemySpawns[1].interval = 7;
    seconds = 56; // a multiple of 8 and of 7
    for (int i = 0; i < 100; ++i)
        stepOnce();
    ASSERT_EQ(2u, game->enemies.size());
    auto entries = playsOf(sfx(SFX_ENEMY_ENTERS));
    ASSERT_EQ(2u, entries.size());
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(100, entries[i].volume);
        EXPECT_EQ(game->enemies[i]->x >= 320 ? 255 : 0, entries[i].pan);
    }
    seconds = 57;
    stepOnce();
    seconds = 63; // kind 1 only
    stepOnce();
    stepOnce();
    EXPECT_EQ(3u, game->enemies.size());
    seconds = 64; // kind 0 only
    stepOnce();
    EXPECT_EQ(4u, game->enemies.size());
}

TEST_F(PlayLoop, WanderingBonusLaunchesInAHundredthSecondScoresAndIsParked)
{
    quietGame();
    Object* bonus = game->fixedObjects[game->bonusIndex];
    seconds = 99;
    stepOnce();
    EXPECT_FALSE(game->bonusActive);
    seconds = 200;
    for (int i = 0; i < 100 && !game->bonusActive; ++i)
        stepOnce();
    ASSERT_TRUE(game->bonusActive);
    EXPECT_EQ(200, game->bonusLaunchTime);
    EXPECT_TRUE(bonus->dx >= 2 && bonus->dx <= 4);
    EXPECT_TRUE(bonus->dy >= 2 && bonus->dy <= 4);
    EXPECT_EQ(240 + bonus->dy, bonus->y);

    // Taken by the ship: 2000 points and parked in the same step.
    seconds = 201;
    bonus->x = 400;
    bonus->y = 100;
    putShipOn(bonus->mask, bonus->x, bonus->y);
    stepOnce();
    EXPECT_EQ(2000, ship->score);
    EXPECT_FALSE(game->bonusActive);
    EXPECT_EQ(-200, bonus->x);
    EXPECT_EQ(-200, bonus->y);
    EXPECT_EQ(1u, playsOf(sfx(SFX_BONUS_TAKEN)).size());

    // Not relaunched within the same second.
    seconds = 200;
    for (int i = 0; i < 100; ++i)
        stepOnce();
    EXPECT_FALSE(game->bonusActive);
}

TEST_F(PlayLoop, TheOpenExitLeadsToTheNextWave)
{
    quietGame();
    addObject(game->collectables, OBJ_COLLECTABLE, SPR_COLLECTABLE, 60, 30); // keeps the exit closed
    Object* gate = game->fixedObjects[3];
    auto onGate = [&]() {
        // Above the gate, in the ship's area, clear of the bottom hazard.
        putShipOn(gate->mask, gate->x, gate->y);
        ship->vx = ship->vy = 0;
    };
    onGate();
    stepOnce();
    EXPECT_EQ(1, game->wave); // closed: nothing happens
    EXPECT_LT(ship->explosionFrame, 0);

    game->exitOpen = true;
    bonusScore = 0;
    onGate();
    onEachFrame(20000, [](int) { testSeam.buttons = 1; });
    speedCounter = 1;
    game->logicStep();
    --speedCounter;
    EXPECT_EQ(2, game->wave);
    EXPECT_EQ(-1, speedCounter.load()); // the next step waits for two ticks
    EXPECT_EQ(1u, playsOf(sfx(SFX_EXIT)).size());
    EXPECT_FALSE(game->exitOpen);
    EXPECT_EQ(9u, game->collectables.size());
}

TEST_F(PlayLoop, FrameShowsTheClosedExitBarUntilTheExitOpens)
{
    quietGame();
    game->drawFrame();
    const int bar = makecol(140, 0, 0);
    EXPECT_EQ(1, testSeam.presents);
    EXPECT_EQ(bar, getpixel(game->buffer, 299, 479));
    EXPECT_EQ(bar, getpixel(game->buffer, 340, 479));
    game->exitOpen = true;
    game->drawFrame();
    EXPECT_NE(bar, getpixel(game->buffer, 299, 479));
}

} // namespace
