// Replay regression: a fixed seed and a fixed stream of per-step inputs,
// played through the real frame loop for several thousand logic steps, must
// give the same digest of the game state every run.
//
// When behaviour changes on purpose (game rules, entity motion, the
// generated sprites or sounds), the digest changes too. Renew it by running
//   build/tests/unit_tests --gtest_filter=GameReplay.*
// and copying the "digest" value that the failure message prints into
// expectedDigest below, after checking that the change is the one intended.
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "shell/globals.h"
#include "support/game_fixture.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

namespace {

constexpr uint64_t expectedDigest = 0x0ull;
constexpr int replaySteps = 8000;

// The input of one logic step.
struct StepInput {
    int mickeyX;
    int mickeyY;
    int buttons;
    bool space;
};

// The recorded input stream: a player who nudges the mouse every so often,
// taps the left button, now and then changes weapon or fires one. Made by
// its own generator, so that it never depends on the game's rand().
class InputStream {
public:
    StepInput next()
    {
        StepInput in{0, 0, 0, false};
        if (--segment <= 0) {
            segment = 15 + static_cast<int>(draw() % 60);
            in.mickeyX = static_cast<int>(draw() % 301) - 150;
            in.mickeyY = static_cast<int>(draw() % 301) - 150;
        }
        const uint32_t r = draw();
        if (r % 23 == 0)
            in.buttons |= 1;
        if (r % 331 == 0)
            in.buttons |= 2;
        in.space = r % 409 == 0;
        return in;
    }

private:
    uint32_t draw()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }

    uint32_t state = 0x2545F491u;
    int segment = 0;
};

class Digest {
public:
    void add(int64_t v)
    {
        for (int i = 0; i < 8; ++i) {
            hash ^= static_cast<uint64_t>(v >> (8 * i)) & 0xff;
            hash *= 0x100000001b3ull;
        }
    }
    uint64_t hash = 0xcbf29ce484222325ull;
};

struct ReplayResult {
    uint64_t digest = 0;
    int games = 1;
    int highestWave = 0;
    int deaths = 0;
    int bestScore = 0;
};

class GameReplay : public GameFixture {
protected:
    void addState(Digest& d)
    {
        const PlayerShip* s = game->player;
        d.add(s->score);
        d.add(s->lives);
        d.add(game->wave);
        d.add(static_cast<int>(s->x));
        d.add(static_cast<int>(s->y));
        d.add(static_cast<int>(s->explosionFrame * 100));
        d.add(s->charges[0] * 10000 + s->charges[1] * 100 + s->charges[2]);
        d.add(s->selectedSpecial);
        d.add(static_cast<int64_t>(s->bullets.size()));
        d.add(static_cast<int64_t>(game->enemies.size()));
        for (const Enemy* e : game->enemies) {
            d.add(static_cast<int>(e->x));
            d.add(static_cast<int>(e->y));
            d.add(e->hitPoints);
            d.add(static_cast<int64_t>(e->bullets.size()));
        }
        d.add(static_cast<int64_t>(game->collectables.size()));
        d.add(static_cast<int64_t>(game->hazards.size()));
        d.add(static_cast<int64_t>(game->powerUps.size()));
        const Object* bonus = game->fixedObjects[game->bonusIndex];
        d.add(game->bonusActive);
        d.add(bonus->x);
        d.add(bonus->y);
        d.add(game->exitOpen);
        d.add(bonusScore);
        d.add(seconds);
    }

    // The frame loop of playGame, with the recorded input applied before
    // each logic step and a new game started whenever one is lost. Frames
    // owe 1, 1, 2 or 3 steps in turn, so batches are exercised too.
    ReplayResult play()
    {
        ReplayResult result;
        InputStream input;
        Digest digest;
        int step = 0;
        int frame = 0;
        const int owed[4] = {1, 1, 2, 3};
        testSeam.onPresent = [&](int) { testSeam.ticksPerPresent = owed[++frame % 4]; };
        game->startGame();
        while (step < replaySteps) {
            while (speedCounter > 0) {
                const StepInput in = input.next();
                testSeam.mickeyX += in.mickeyX;
                testSeam.mickeyY += in.mickeyY;
                testSeam.buttons = in.buttons;
                testSeam.keys[KEY_SPACE] = in.space;
                const int lives = game->player->lives;
                game->logicStep();
                --speedCounter;
                ++step;
                if (game->player->lives < lives)
                    ++result.deaths;
                result.highestWave = std::max(result.highestWave, game->wave);
                result.bestScore = std::max(result.bestScore, game->player->score);
                addState(digest);
            }
            if (game->player->lives < 0) {
                ++result.games;
                game->startGame();
            }
            game->drawFrame();
            ++frames;
        }
        result.digest = digest.hash;
        return result;
    }
};

TEST_F(GameReplay, SameSeedAndInputsGiveTheSameGame)
{
    const ReplayResult first = play();

    rebuildGame();
    testSeam = TestSeamState();
    speedCounter = 0;
    seconds = 0;
    bonusScore = 0;
    const ReplayResult second = play();

    EXPECT_EQ(first.digest, second.digest);
    // The stream must reach the interesting parts of the game.
    EXPECT_GE(first.deaths, 1);
    EXPECT_GT(first.bestScore, 0);

    char text[32];
    snprintf(text, sizeof text, "0x%016" PRIx64, first.digest);
    EXPECT_EQ(expectedDigest, first.digest)
        << "digest " << text << " (games " << first.games << ", highest wave " << first.highestWave
        << ", deaths " << first.deaths << ", best score " << first.bestScore << ")";
}

} // namespace
