// Wave set-up, the enemy schedule and the count-up of the wave-completed
// screen, driven on the seam's virtual clock.
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "pmask/pmask.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "support/game_fixture.h"

#include <algorithm>
#include <cstdlib>

namespace {

class Waves : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        // The final wait of the wave-completed screen ends at once.
        testSeam.buttons = 1;
        onEachFrame(100000, nullptr);
    }

    // Every rule a placed hazard obeys, checked against a mask of its own.
    void expectHazardRules()
    {
        PMASK* m = create_allegro_pmask(bitmapAt(game->spritesData, SPR_HAZARD));
        for (size_t i = 0; i < game->hazards.size(); ++i) {
            const Object* h = game->hazards[i];
            SCOPED_TRACE(testing::Message() << "wave " << game->wave << " hazard " << i);
            EXPECT_EQ(OBJ_HAZARD, h->type);
            EXPECT_FALSE(220 < h->x && h->x < 390 && 140 < h->y && h->y < 310) << "central zone";
            EXPECT_FALSE(250 < h->x && h->x < 370 && h->y > 380) << "exit approach";
            for (const Object* c : game->collectables)
                EXPECT_FALSE(check_pmask_collision(m, c->mask, h->x, h->y, c->x, c->y)) << "on a collectable";
            for (const Object* p : game->powerUps)
                EXPECT_FALSE(check_pmask_collision(m, p->mask, h->x, h->y, p->x, p->y)) << "on a power-up";
            for (size_t j = 0; j < i; ++j) {
                const Object* o = game->hazards[j];
                EXPECT_FALSE(check_pmask_collision(m, m, h->x, h->y, o->x, o->y)) << "on hazard " << j;
            }
        }
        destroy_pmask(m);
    }

    void expectPositionsInRange()
    {
        for (auto* list : {&game->collectables, &game->powerUps, &game->hazards})
            for (const Object* o : *list) {
                EXPECT_TRUE(o->x >= 60 && o->x <= 570) << o->x;
                EXPECT_TRUE(o->y >= 17 && o->y <= 430) << o->y;
                EXPECT_EQ(0, o->dx);
                EXPECT_EQ(0, o->dy);
            }
    }

    // Kind k joins in wave 3k + 1 at 8 seconds and comes down to 6.
    static int expectedInterval(int kind, int wave)
    {
        const int joins = 3 * kind + 1;
        return wave < joins ? -1 : std::max(6, 8 - (wave - joins));
    }
};

TEST_F(Waves, FirstWaveOfAGameShowsNoScreen)
{
    game->nextWave();
    EXPECT_EQ(1, game->wave);
    EXPECT_EQ(7u, game->collectables.size());
    EXPECT_LE(game->powerUps.size(), 3u);
    EXPECT_TRUE(game->hazards.empty());
    EXPECT_EQ(8, game->enemySpawns[0].interval);
    EXPECT_EQ(-1, game->enemySpawns[1].interval);
    EXPECT_EQ(1500, bonusScore.load());
    EXPECT_EQ(0, speedCounter.load());
    EXPECT_EQ(0, testSeam.presents);
    EXPECT_FALSE(game->exitOpen);
    EXPECT_EQ(320, game->player->x);
    EXPECT_EQ(240, game->player->y);
}

TEST_F(Waves, DrawsYBeforeXForPickUpsAndXBeforeYForHazards)
{
    for (unsigned seed : {1u, 99u, 4242u}) {
        SCOPED_TRACE(seed);
        game->wave = 5; // builds wave 6: two hazards
        srand(seed);
        game->nextWave();

        // The same draws, made by a plain reference of the set-up.
        srand(seed);
        for (const Object* c : game->collectables) {
            const int y = rand() % 414 + 17;
            const int x = rand() % 511 + 60;
            EXPECT_EQ(x, c->x);
            EXPECT_EQ(y, c->y);
            EXPECT_EQ(OBJ_COLLECTABLE, c->type);
        }
        const size_t n = rand() % 4;
        ASSERT_EQ(n, game->powerUps.size());
        for (const Object* p : game->powerUps) {
            const int k = rand() % 3;
            const int y = rand() % 414 + 17;
            const int x = rand() % 511 + 60;
            EXPECT_EQ(OBJ_POWERUP_FIRST + k, p->type);
            EXPECT_EQ(bitmapAt(game->spritesData, SPR_POWERUP_FIRST + k), p->sprite);
            EXPECT_EQ(x, p->x);
            EXPECT_EQ(y, p->y);
        }
        // The first hazard takes the first fitting (x, y) pair.
        ASSERT_EQ(2u, game->hazards.size());
        const Object* h = game->hazards[0];
        bool matched = false;
        for (int attempt = 0; attempt < 1000 && !matched; ++attempt) {
            const int x = rand() % 511 + 60;
            const int y = rand() % 414 + 17;
            matched = x == h->x && y == h->y;
        }
        EXPECT_TRUE(matched);
        expectHazardRules();
    }
}

TEST_F(Waves, CountsAndPlacementRulesForWavesOneToThirty)
{
    for (int wave = 1; wave <= 30; ++wave) {
        game->nextWave();
        ASSERT_EQ(wave, game->wave);
        SCOPED_TRACE(wave);
        EXPECT_EQ(static_cast<size_t>(2 * wave + 5), game->collectables.size());
        EXPECT_LE(game->powerUps.size(), 3u);
        EXPECT_EQ(static_cast<size_t>(std::max(0, wave / 2 - 1)), game->hazards.size());
        EXPECT_TRUE(game->enemies.empty());
        EXPECT_FALSE(game->exitOpen);
        expectPositionsInRange();
        expectHazardRules();
    }
}

TEST_F(Waves, HazardPlacementEndsAtVeryHighWaves)
{
    game->wave = 599; // 1205 collectables: the field is full
    game->nextWave();
    EXPECT_EQ(600, game->wave);
    EXPECT_EQ(1205u, game->collectables.size());
    EXPECT_LT(game->hazards.size(), 299u);
    expectHazardRules();
    expectPositionsInRange();
}

TEST_F(Waves, ScheduleAdvancesOneSlotPerWaveAndStopsAtWave21)
{
    for (int wave = 1; wave <= 25; ++wave) {
        game->nextWave();
        SCOPED_TRACE(wave);
        for (int kind = 0; kind < 7; ++kind) {
            EXPECT_EQ(expectedInterval(kind, wave), game->enemySpawns[kind].interval) << "kind " << kind;
            EXPECT_NE(0, game->enemySpawns[kind].interval);
        }
    }
    for (int kind = 0; kind < 7; ++kind)
        EXPECT_EQ(6, game->enemySpawns[kind].interval);
}

// The count-up adds exactly the bonus left, 4 points per logic step, on the
// virtual clock: each present owes one step, each 10 ms rested one more.
TEST_F(Waves, CountUpAddsExactlyTheRemainingBonusFourPerStep)
{
    for (int bonus : {1500, 1460, 40, 4}) {
        SCOPED_TRACE(bonus);
        game->wave = 1;
        game->player->score = 100;
        bonusScore = bonus;
        testSeam.sounds.clear();
        const long start = testSeam.totalTicks;
        bool checked = false;
        onEachFrame(100000, [&](int) {
            const long steps = testSeam.totalTicks - start;
            EXPECT_EQ(100 + 4 * std::min<long>(steps, bonus / 4), game->player->score);
            checked = true;
        });
        game->nextWave();
        EXPECT_TRUE(checked);
        EXPECT_EQ(100 + bonus, game->player->score);
        EXPECT_EQ(2, game->wave);
        EXPECT_EQ(1500, bonusScore.load()); // refilled, whatever the timer did meanwhile
        EXPECT_EQ(0, speedCounter.load());
        const size_t steps = bonus / 4;
        EXPECT_EQ((steps + 4) / 5, playsOf(sampleAt(game->sfxData, SFX_COUNT_UP)).size());
        EXPECT_TRUE(game->player->scoreTexts.empty());
    }
}

TEST_F(Waves, CountUpCanGiveAnExtraLife)
{
    game->wave = 3;
    game->player->score = 4000;
    game->player->lives = 2;
    bonusScore = 1500;
    game->nextWave();
    EXPECT_EQ(5500, game->player->score);
    EXPECT_EQ(3, game->player->lives);
    EXPECT_EQ(2, game->player->extraLifeLevel);
    ASSERT_FALSE(testSeam.sounds.empty());
    bool jingle = false;
    for (const SoundCall& c : testSeam.sounds)
        jingle = jingle || (c.kind == SoundCall::Allocate && c.sample == sampleAt(game->sfxData, SFX_EXTRA_LIFE));
    EXPECT_TRUE(jingle);
}

TEST_F(Waves, NoBonusAddsNothingAndHoldsBothFrames)
{
    testSeam.buttons = 0;
    game->wave = 2;
    game->player->score = 700;
    bonusScore = 0;
    game->nextWave();
    EXPECT_EQ(700, game->player->score);
    EXPECT_EQ(2, testSeam.presents);
    EXPECT_EQ(200u + 200u + 400u, testSeam.restedMs); // two held frames, the whole final wait
    EXPECT_TRUE(playsOf(sampleAt(game->sfxData, SFX_COUNT_UP)).empty());
}

TEST_F(Waves, FinalWaitEndsAtTheLeftButtonOrAKeyTypedAfterTheCount)
{
    game->wave = 1;
    bonusScore = 1500;
    game->nextWave(); // left button held: only the first frame holds
    EXPECT_EQ(200u, testSeam.restedMs);

    // A key typed while counting is thrown away: the whole wait runs.
    testSeam.buttons = 0;
    testSeam.restedMs = 0;
    testSeam.keyBuffer.push_back(keyCode(KEY_A, 'a'));
    bonusScore = 1500;
    game->nextWave();
    EXPECT_EQ(600u, testSeam.restedMs);

    // A key typed during the wait ends it: the first frame holds 200 ms,
    // then the count runs without rests, so 250 ms falls into the wait.
    testSeam.restedMs = 0;
    bonusScore = 1500;
    testSeam.onWait = []() {
        if (testSeam.restedMs == 250)
            testSeam.keyBuffer.push_back(keyCode(KEY_A, 'a'));
    };
    game->nextWave();
    EXPECT_EQ(250u, testSeam.restedMs);
}

} // namespace
