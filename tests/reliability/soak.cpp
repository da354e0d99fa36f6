// Whole games flown by the autopilot through the real play loop under
// AddressSanitizer and UBSan. Plain games, at sensitivities from the usual to
// the absurd, alternate with marathons whose lives are topped up to reach the
// crowded high waves. No report; the score never falls within a game; the
// table keeps five rows, best first; some game reaches MIN_WAVE.
//   soak STEPS DATA_DIR SEED MIN_WAVE      (STEPS of 10 ms of game time)
#include "entities/player_ship.h"
#include "game/main_game.h"
#include "highscores/highscore_manager.h"
#include "shell/globals.h"
#include "tools/autopilot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

static MainGameClass* game;
static long steps, waveSince;
static int minWave, lastScore, lastWave, maxWave;
static bool marathon;

static void check(bool ok, const char* what)
{
    if (!ok) {
        fprintf(stderr, "soak: %s (step %ld, wave %d)\n", what, autopilot.ticks, lastWave);
        exit(1);
    }
}

static void checkedPresent(BITMAP* picture, int x, int y)
{
    PlayerShip& ship = *game->player;
    check(ship.score >= lastScore, "the score went down");
    lastScore = ship.score;
    if (marathon && ship.lives < 2)
        ship.lives = 2;
    if (game->wave != lastWave)
        waveSince = autopilot.ticks;
    lastWave = game->wave;
    maxWave = std::max(maxWave, lastWave);
    // A game ends at the budget, at the marathon's last wave, or when its
    // wave has not changed for 200 s (a ship that cannot steer).
    autopilot.escape = autopilot.ticks >= steps || (marathon && lastWave > minWave + 5)
                       || autopilot.ticks - waveSince > 20000;
    autopilotSeam.present(picture, x, y);
}

int main(int argc, char** argv)
{
    if (argc != 5 || !enterScratchDir(argv[2]) || !startHeadless()) {
        fprintf(stderr, "usage: soak STEPS DATA_DIR SEED MIN_WAVE\n");
        return 2;
    }
    steps = atol(argv[1]);
    minWave = atoi(argv[4]);
    game = new MainGameClass();
    srand(atoi(argv[3]));
    engageAutopilot(game, atoi(argv[3]));
    seam.present = checkedPresent;
    const float sensitivities[] = {1.0f, 0.5f, 2.0f, 1.0f, 0.1f, 7.5f, -1.0f, 0.0f, 1e30f};
    int games = 0;
    for (; autopilot.ticks < steps; ++games) {
        marathon = games % 2 == 1;
        mouseSens = marathon ? 1.0f : sensitivities[games % 9];
        soundOn = games % 3 != 2;
        lastScore = 0;
        waveSince = autopilot.ticks;
        autopilot.escape = false;
        game->playGame();
        const auto& rows = game->highscores->entries;
        check(rows.size() == 5 && std::is_sorted(rows.begin(), rows.end()), "the table lost its five rows in order");
    }
    printf("soak: %ld steps, %ld frames, %d games, highest wave %d\n", autopilot.ticks, autopilot.frames, games,
           maxWave);
    delete game;
    check(maxWave >= minWave, "no game reached the wave wanted");
    return 0;
}
