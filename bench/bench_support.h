// Shared by the benchmarks that run the real game object: a scratch working
// directory holding the generated datafiles, a seam that reads no input and
// plays nothing, and the busy field that the frame and logic benchmarks
// measure.
#pragma once

#include "entities/bullet.h"
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "game/main_game.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "shell/seam.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace bench {

// The game reads its datafiles from, and writes its table and log into, the
// working directory: a fresh one under /tmp, removed at exit, so that no
// benchmark touches the player's build/data.
inline std::string& scratchDir()
{
    static std::string dir;
    return dir;
}

inline void removeScratchDir()
{
    const std::string& dir = scratchDir();
    if (dir.empty())
        return;
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat", "highscores.tav",
                             "Tempout.txt", "Tempin.txt", "Log.txt"})
        std::remove((dir + "/" + name).c_str());
    rmdir(dir.c_str());
}

inline void enterScratchDir()
{
    char pattern[] = "/tmp/tarnavel-bench.XXXXXX";
    if (!mkdtemp(pattern)) {
        perror("mkdtemp");
        exit(2);
    }
    scratchDir() = pattern;
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat"}) {
        const std::string from = std::string(TARNAVEL_DATA_DIR) + "/" + name;
        const std::string to = scratchDir() + "/" + name;
        if (symlink(from.c_str(), to.c_str()) != 0) {
            perror(from.c_str());
            exit(2);
        }
    }
    if (chdir(pattern) != 0) {
        perror(pattern);
        exit(2);
    }
    atexit(removeScratchDir);
}

// Allegro without a display: memory bitmaps at 32 bits, datafile bitmaps
// converted as they load. Returns false when Allegro cannot start.
inline bool startHeadless()
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return false;
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    return true;
}

// No input, no sound, no waiting. present is the caller's choice: the real
// screen, nothing, or a clock that a blocking screen can count on.
inline void noMickeys(int* mx, int* my) { *mx = *my = 0; }
inline int noButtons() { return 0; }
inline int pointerAtZero() { return 0; }
inline bool noKey(int) { return false; }
inline bool noKeyWaiting() { return false; }
inline int noReadKey() { return 0; }
inline void noClearKeys() {}
inline void noPlay(SAMPLE*, int, int, int) {}
inline int noVoice(SAMPLE*) { return -1; }
inline void noVoicePriority(int, int) {}
inline void noVoiceCall(int) {}
inline void noPresent(BITMAP*, int, int) {}
inline void noClearScreen(int) {}
inline void noRest(unsigned int) {}
// Each frame of a blocking screen (the wave-completed count-up) owes one
// step, so such a screen runs to its end without a timer.
inline void tickingPresent(BITMAP*, int, int) { speedCounter.fetch_add(1); }

inline Seam quietSeam(void (*present)(BITMAP*, int, int))
{
    return Seam{noMickeys, noButtons, pointerAtZero, pointerAtZero,
                noKey, noKeyWaiting, noReadKey, noClearKeys,
                noPlay, noVoice, noVoicePriority, noVoiceCall, noVoiceCall,
                present, noClearScreen, noRest};
}

// Plays the game's own set-up up to the given wave: startGame, then
// nextWave (with its wave-completed screens run through by tickingPresent)
// until `wave` is reached. The caller's seam is back in force afterwards.
inline void reachWave(MainGameClass& game, int wave)
{
    const Seam kept = seam;
    seam = quietSeam(tickingPresent);
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
