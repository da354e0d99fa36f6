// Shared by the benchmarks that run the real game object: a scratch working
// directory holding the generated datafiles, a seam that reads no input and
// plays nothing (the autopilot's, idle), and the busy field that the frame
// and logic benchmarks measure.
#pragma once

#include "entities/bullet.h"
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "game/main_game.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "shell/graphics.h"
#include "shell/seam.h"
#include "tools/autopilot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace bench {

// The game reads its datafiles from, and writes its table and log into, the
// working directory: a fresh one, so that no benchmark touches the player's
// build/data.
inline void enterScratchDir()
{
    if (!::enterScratchDir(TARNAVEL_DATA_DIR)) {
        perror("scratch directory");
        exit(2);
    }
}

inline bool startHeadless() { return ::startHeadless(); }

// Allegro on the X display with its timer, in a scratch directory, silent.
// With a window, also the game's own mode and its 100 Hz and 1 Hz timers.
// Returns false, having said why, when there is no display.
inline bool startOnDisplay(const char* name, bool window)
{
    if (!getenv("DISPLAY") || allegro_init() != 0) {
        printf("%s needs an X display (make bench starts Xvfb)\n", name);
        return false;
    }
    install_timer();
    enterScratchDir();
    soundOn = false;
    if (!window)
        return true;
    setGraphicsMode(true, 0, 1);
    set_color_conversion(COLORCONV_TOTAL);
    text_mode(-1);
    install_int_ex(timerFunc, BPS_TO_TIMER(100));
    install_int_ex(secondsFunc, SECS_TO_TIMER(1));
    return true;
}

// A run's length in seconds: the environment variable `name` when set, else
// `fallback`.
inline double secondsFromEnv(const char* name, double fallback)
{
    const char* text = getenv(name);
    return text ? atof(text) : fallback;
}

// The autopilot's seam with nothing to fly: no input, no sound, a virtual
// clock. present is the caller's choice: the real screen, nothing, or the
// autopilot's own, whose clock a blocking screen can count on.
inline void noPresent(BITMAP*, int, int) {}
inline Seam quietSeam(void (*present)(BITMAP*, int, int))
{
    Seam quiet = autopilotSeam;
    quiet.present = present;
    return quiet;
}

// Plays the game's own set-up up to the given wave: startGame, then
// nextWave (its wave-completed screens run through by the autopilot's clock)
// until `wave` is reached. The caller's seam is back in force afterwards.
inline void reachWave(MainGameClass& game, int wave)
{
    const Seam kept = seam;
    seam = autopilotSeam;
    game.startGame();
    while (game.wave < wave)
        game.nextWave();
    seam = kept;
    speedCounter = 0;
}

// Adds `count` enemies of every kind in turn at seeded places over the
// field, each with `shots` of its shots in flight, already travelling (not
// frozen in their entry second) and with their shot timers spread, so that
// in every step some of them fire.
inline void addEnemies(MainGameClass& game, int count, int shots, std::mt19937& rng)
{
    std::uniform_real_distribution<float> px(20.0f, screenWidth - 60.0f);
    std::uniform_real_distribution<float> py(30.0f, screenHeight - 60.0f);
    std::uniform_real_distribution<float> pv(-2.0f, 2.0f);
    for (int i = 0; i < count; ++i) {
        Enemy* enemy = new Enemy(i % enemyKindCount, game.spritesData, game.explosionData, game.sfxData);
        enemy->x = px(rng);
        enemy->y = py(rng);
        enemy->freezeSecond = seconds - 1;
        if (enemy->fireInterval > 0)
            enemy->fireTimer = i % (enemy->fireInterval + 1);
        for (int s = 0; s < shots; ++s)
            enemy->bullets.push_back(Bullet(enemy->x + 8 + 20 * s, enemy->y + 10, pv(rng), pv(rng),
                                            enemy->bulletSprite, enemy->masks[2]));
        game.enemies.push_back(enemy);
    }
}

// Adds `count` shots of the ship at seeded places, flying in all directions.
inline void addShipShots(MainGameClass& game, int count, std::mt19937& rng)
{
    std::uniform_real_distribution<float> px(10.0f, screenWidth - 20.0f);
    std::uniform_real_distribution<float> py(25.0f, screenHeight - 20.0f);
    std::uniform_real_distribution<float> pv(-9.0f, 9.0f);
    PlayerShip& ship = *game.player;
    for (int i = 0; i < count; ++i)
        ship.bullets.push_back(Bullet(px(rng), py(rng), pv(rng), pv(rng), ship.bulletSprite, ship.bulletMask));
}

// A field like the tenth wave in full swing: the wave's own collectables,
// power-ups and hazards, a dozen enemies of every kind with two shots each
// (one of them exploding), thirty shots of the ship, floating score texts
// and the wandering bonus on its way.
inline void buildBusyField(MainGameClass& game, unsigned seed)
{
    std::mt19937 rng(seed);
    reachWave(game, 10);
    addEnemies(game, 12, 2, rng);
    game.enemies[5]->killed = true;
    game.enemies[5]->explosionFrame = 6;
    addShipShots(game, 30, rng);
    PlayerShip& ship = *game.player;
    ship.vx = 1.5f;
    ship.vy = -0.5f;
    for (int i = 0; i < 5; ++i)
        ship.scoreTexts.push_back(ScoreText(100 * (i + 1), 100 + 90 * i, 120 + 40 * i));
    Object* bonus = game.fixedObjects[game.bonusIndex];
    bonus->x = 400;
    bonus->y = 150;
    game.bonusActive = true;
}

} // namespace bench
