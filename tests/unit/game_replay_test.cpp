// Replay regression: a fixed seed and a recorded stream of per-step inputs,
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
#include "shell/al.h"
#include "shell/globals.h"
#include "support/game_fixture.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr uint64_t expectedDigest = 0xccfe4bd6f9a978b4ull;
constexpr int replaySteps = 8000;

// The input of one logic step.
struct StepInput {
    int mickeyX;
    int mickeyY;
    int buttons;
    bool space;
};

// The pilot whose inputs are recorded: steers for the nearest collectable,
// then for the exit gate, taps the left button, and now and then changes
// weapon or fires one. Its own generator keeps it apart from the game's
// rand().
class Pilot {
public:
    StepInput next(const MainGameClass& game)
    {
        StepInput in{0, 0, 0, false};
        const PlayerShip& ship = *game.player;
        const uint32_t r = draw();
        if (r % 23 == 0)
            in.buttons |= 1;
        if (r % 331 == 0)
            in.buttons |= 2;
        in.space = r % 409 == 0;
        if (ship.explosionFrame >= 0)
            return in;

        const float cx = ship.x + ship.sprite->w / 2.0f;
        const float cy = ship.y + ship.sprite->h / 2.0f;
        // The exit gate, approached so that the ship stops on it short of
        // the bottom bound, which would otherwise win over the gate.
        float tx = screenWidth / 2.0f;
        float ty = screenHeight - ship.sprite->h / 2.0f - 4;
        float best = 1e9f;
        for (const Object* c : game.collectables) {
            const float dx = c->x + c->sprite->w / 2.0f - cx;
            const float dy = c->y + c->sprite->h / 2.0f - cy;
            if (dx * dx + dy * dy < best) {
                best = dx * dx + dy * dy;
                tx = c->x + c->sprite->w / 2.0f;
                ty = c->y + c->sprite->h / 2.0f;
            }
        }
        const float dx = tx - cx;
        const float dy = ty - cy;
        const float distance = std::sqrt(dx * dx + dy * dy) + 1e-3f;
        const float speed = std::min(2.5f, distance / 20.0f + 0.3f);
        in.mickeyX = steer(dx / distance * speed - ship.vx);
        in.mickeyY = steer(dy / distance * speed - ship.vy);
        return in;
    }

private:
    static int steer(float change) { return std::max(-120, std::min(120, static_cast<int>(change * 100))); }

    uint32_t draw()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }

    uint32_t state = 0x2545F491u;
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

    // The frame loop of playGame, with one input applied before each logic
    // step and a new game started whenever one is lost. Frames owe 1, 1, 2
    // or 3 steps in turn, so batches are exercised too. With a pilot the
    // inputs are made and appended to `inputs`; without one they are taken
    // from it.
    ReplayResult play(std::vector<StepInput>& inputs, Pilot* pilot)
    {
        ReplayResult result;
        Digest digest;
        size_t step = 0;
        int frame = 0;
        const int owed[4] = {1, 1, 2, 3};
        testSeam.onPresent = [&](int) { testSeam.ticksPerPresent = owed[++frame % 4]; };
        game->startGame();
        while (step < replaySteps) {
            while (speedCounter > 0 && step < replaySteps) {
                if (pilot)
                    inputs.push_back(pilot->next(*game));
                const StepInput& in = inputs[step];
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

TEST_F(GameReplay, RecordedInputsReplayToTheSameGame)
{
    std::vector<StepInput> inputs;
    Pilot pilot;
    const ReplayResult recorded = play(inputs, &pilot);
    ASSERT_EQ(static_cast<size_t>(replaySteps), inputs.size());

    // The same seed and the recorded stream on a fresh game object.
    rebuildGame();
    testSeam = TestSeamState();
    speedCounter = 0;
    seconds = 0;
    bonusScore = 0;
    const ReplayResult replayed = play(inputs, nullptr);

    EXPECT_EQ(recorded.digest, replayed.digest);
    // The stream must reach the interesting parts of the game.
    EXPECT_GE(recorded.deaths, 1);
    EXPECT_GE(recorded.highestWave, 3);

    char text[32];
    snprintf(text, sizeof text, "0x%016" PRIx64, recorded.digest);
    EXPECT_EQ(expectedDigest, recorded.digest)
        << "digest " << text << " (games " << recorded.games << ", highest wave " << recorded.highestWave
        << ", deaths " << recorded.deaths << ", best score " << recorded.bestScore << ")";
}

} // namespace
