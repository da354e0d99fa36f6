// Soak: the real game logic for a given number of logic steps, played by an
// autopilot with random input through a seam of its own, under
// AddressSanitizer and UBSan (the tree this is built in).
//
//   soak STEPS DATA_DIR [SEED [MIN_WAVE]]
//
// The autopilot steers the ship toward the nearest collectable, then to the
// exit gate, shying away from hazards and enemies; it fires, switches and
// fires special weapons, and random noise is added to every input. Games
// alternate: a plain game runs until its last life is gone (game over and the
// name entry run as in play), a marathon game has its lives topped up so that
// it reaches the high waves (up to 100), where hazard placement has the least
// room and the field holds the most objects.
// The wave-completed screen runs as in the game: this seam's present and
// rest advance the virtual clock that feeds it.
//
// Prints the steps, games, waves, the waves whose hazards did not all find a
// place, resident memory through the run and the live heap; exits non-zero
// when the live heap grows after the first fifth of the run or no game got
// to MIN_WAVE (a sanitizer report ends the run on its own, with its own exit
// code).
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "game/main_game.h"
#include "highscores/highscore_manager.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "shell/seam.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <string>

// The allocator's count of live heap bytes, quarantine excluded.
extern "C" size_t __sanitizer_get_current_allocated_bytes();

namespace {

std::mt19937 noise;

// What the autopilot asks of the machine for the next step.
struct Input {
    int mickeyX = 0, mickeyY = 0;
    int buttons = 0;
    bool space = false;
    std::deque<int> keys; // the key buffer for the name entry
} input;

long ticks = 0;

// Progress watch: when no collectable has been taken for a while the
// autopilot is held by a hazard beside its target; it then goes for a random
// collectable, ignoring hazards, for a while.
struct Watch {
    size_t collectablesLeft = 0;
    int wave = -1;
    long sinceProgress = 0;
    long boldSteps = 0;
    float boldX = 0, boldY = 0;
} watch;

void advanceClock(int n)
{
    for (int i = 0; i < n; ++i) {
        timerFunc();
        if (++ticks % 100 == 0)
            secondsFunc();
    }
}

void soakMickeys(int* mx, int* my)
{
    *mx = input.mickeyX;
    *my = input.mickeyY;
    input.mickeyX = input.mickeyY = 0;
}
int soakButtons() { return input.buttons; }
int soakMouseX() { return 320; }
int soakMouseY() { return 240; }
int lastKey = 0;
bool soakKeyDown(int scancode)
{
    if (scancode == KEY_SPACE)
        return input.space;
    return scancode == KEY_ENTER && (lastKey >> 8) == KEY_ENTER;
}
// A typist: now and then a further key is already waiting; once the keys run
// out, one always is, so that every entry ends.
bool soakKeyWaiting() { return input.keys.empty() || noise() % 10 == 0; }
int soakReadKey()
{
    if (input.keys.empty())
        return lastKey = 0;
    lastKey = input.keys.front();
    input.keys.pop_front();
    return lastKey;
}
void soakClearKeys() {}
long sounds = 0;
void soakPlay(SAMPLE*, int, int, int) { ++sounds; }
int soakAllocate(SAMPLE*) { return noise() % 4 == 0 ? -1 : 3; }
void soakPriority(int, int) {}
void soakStart(int) {}
void soakRelease(int) {}
void soakPresent(BITMAP*, int, int) { advanceClock(1); }
void soakClearScreen(int) {}
long restedMs = 0;
void soakRest(unsigned int ms)
{
    restedMs += ms;
    if ((restedMs / 10) != ((restedMs - ms) / 10))
        advanceClock(static_cast<int>(restedMs / 10 - (restedMs - ms) / 10));
}

const Seam soakSeam = {
    soakMickeys, soakButtons, soakMouseX, soakMouseY,
    soakKeyDown, soakKeyWaiting, soakReadKey, soakClearKeys,
    soakPlay, soakAllocate, soakPriority, soakStart, soakRelease,
    soakPresent, soakClearScreen, soakRest,
};

float centreX(const Object* o) { return o->x + o->sprite->w / 2.0f; }
float centreY(const Object* o) { return o->y + o->sprite->h / 2.0f; }

// One step of the autopilot: a desired velocity toward the target, pushed
// away from what kills, turned into mickeys, with noise on top.
void steer(MainGameClass& game)
{
    PlayerShip& ship = *game.player;
    const float sx = ship.x + ship.sprite->w / 2.0f;
    const float sy = ship.y + ship.sprite->h / 2.0f;

    if (game.collectables.size() != watch.collectablesLeft || game.wave != watch.wave) {
        watch.collectablesLeft = game.collectables.size();
        watch.wave = game.wave;
        watch.sinceProgress = 0;
        watch.boldSteps = 0;
    } else if (++watch.sinceProgress > 1500 && watch.boldSteps == 0) {
        watch.boldSteps = 400;
        watch.sinceProgress = 0;
        if (!game.collectables.empty()) {
            const Object* c = game.collectables[noise() % game.collectables.size()];
            watch.boldX = centreX(c);
            watch.boldY = centreY(c);
        } else {
            watch.boldX = static_cast<float>(noise() % screenWidth);
            watch.boldY = static_cast<float>(noise() % screenHeight);
        }
    }
    const bool bold = watch.boldSteps > 0;
    if (bold)
        --watch.boldSteps;

    float tx = screenWidth / 2.0f, ty = screenHeight / 2.0f;
    if (bold) {
        tx = watch.boldX;
        ty = watch.boldY;
    } else if (!game.collectables.empty()) {
        float best = 1e30f;
        for (const Object* c : game.collectables) {
            const float d = std::hypot(centreX(c) - sx, centreY(c) - sy);
            if (d < best) {
                best = d;
                tx = centreX(c);
                ty = centreY(c);
            }
        }
    } else if (game.exitOpen) {
        const Object* gate = game.fixedObjects[3];
        tx = centreX(gate);
        // Straight down over the gate, never across the hazard beside it.
        ty = std::fabs(sx - tx) < 6 ? screenHeight + 20.0f : screenHeight - 90.0f;
    }

    float dx = tx - sx, dy = ty - sy;
    const float dist = std::max(1.0f, std::hypot(dx, dy));
    const float want = std::min(4.5f, dist * 0.08f + 0.6f);
    float vx = dx / dist * want, vy = dy / dist * want;

    auto repel = [&](float ox, float oy, float radius, float strength) {
        const float rx = sx - ox, ry = sy - oy;
        const float d = std::max(1.0f, std::hypot(rx, ry));
        if (d < radius) {
            vx += rx / d * strength * (radius - d) / radius;
            vy += ry / d * strength * (radius - d) / radius;
        }
    };
    if (!bold)
        for (const Object* h : game.hazards)
            repel(centreX(h), centreY(h), 60, 6);
    for (int i = 0; i < 3; ++i)
        repel(centreX(game.fixedObjects[i]), centreY(game.fixedObjects[i]), 55, 6);
    for (const Enemy* e : game.enemies)
        if (!e->killed)
            repel(e->x + e->images[0]->w / 2.0f, e->y + e->images[0]->h / 2.0f, 70, 5);

    const double perMickey = 0.01 * (mouseSens == 0 ? 1.0f : mouseSens);
    double mx = (vx - ship.vx) / perMickey, my = (vy - ship.vy) / perMickey;
    mx = std::clamp(mx, -1e6, 1e6);
    my = std::clamp(my, -1e6, 1e6);
    input.mickeyX = static_cast<int>(mx) + static_cast<int>(noise() % 41) - 20;
    input.mickeyY = static_cast<int>(my) + static_cast<int>(noise() % 41) - 20;
    // Now and then a wild jerk of the mouse.
    if (noise() % 500 == 0) {
        input.mickeyX = static_cast<int>(noise() % 20001) - 10000;
        input.mickeyY = static_cast<int>(noise() % 20001) - 10000;
    }

    // Fire in bursts (a shot needs the button released in between), switch
    // the special weapon now and then, fire it when enemies are about.
    input.buttons = 0;
    if (noise() % 3 != 0 && (ticks & 1))
        input.buttons |= 1;
    if (noise() % 400 == 0)
        input.buttons |= 2;
    input.space = (!game.enemies.empty() && ship.charges[ship.selectedSpecial] > 0 && noise() % 50 == 0) ||
                  noise() % 2000 == 0;
}

// Keys for the name entry: mostly letters, with Backspace, Space, keys
// without a character and junk among them, ended by Enter.
void queueName()
{
    input.keys.clear();
    lastKey = 0;
    const int n = static_cast<int>(noise() % 14);
    for (int i = 0; i < n; ++i) {
        const int kind = static_cast<int>(noise() % 10);
        if (kind < 6)
            input.keys.push_back((KEY_A + i % 26) << 8 | ('a' + static_cast<int>(noise() % 26)));
        else if (kind == 6)
            input.keys.push_back(KEY_BACKSPACE << 8 | 8);
        else if (kind == 7)
            input.keys.push_back(KEY_SPACE << 8 | ' ');
        else
            input.keys.push_back(static_cast<int>(noise() % KEY_MAX) << 8 | static_cast<int>(noise() % 256));
    }
    input.keys.push_back(KEY_ENTER << 8 | 13);
}

long residentKb()
{
    long pages = 0, resident = 0;
    if (FILE* f = fopen("/proc/self/statm", "r")) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

const float sensitivities[] = {1.0f, 0.5f, 2.0f, 1.0f, 0.1f, 7.5f, -1.0f, 0.0f, 1e30f};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: soak STEPS DATA_DIR [SEED [MIN_WAVE]]\n");
        return 2;
    }
    const long steps = atol(argv[1]);
    char* resolved = realpath(argv[2], nullptr);
    if (!resolved) {
        perror(argv[2]);
        return 2;
    }
    const std::string dataDir = resolved; // the links below point here from elsewhere
    free(resolved);
    const unsigned seed = argc > 3 ? static_cast<unsigned>(atol(argv[3])) : 1;
    const int minWave = argc > 4 ? atoi(argv[4]) : 0;
    noise.seed(seed);

    // A scratch working directory: the datafiles by link, the table file ours.
    char scratch[] = "/tmp/tarnavel-soak-XXXXXX";
    if (!mkdtemp(scratch) || chdir(scratch) != 0) {
        perror("scratch directory");
        return 2;
    }
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat"})
        if (symlink((dataDir + "/" + name).c_str(), name) != 0) {
            perror(name);
            return 2;
        }

    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 2;
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    seam = soakSeam;

    MainGameClass* game = new MainGameClass();
    srand(seed);

    long stepCount = 0, games = 0, drawn = 0;
    int maxWave = 0, maxPlainWave = 0;
    long peakKb = 0;
    size_t heapEarly = 0, heapLate = 0;
    const long earlyEnd = steps / 5;
    bool marathon = false;
    int stallWave = -1;
    long stallSince = 0, stalledGames = 0;
    int lastWave = 0, crowdedWaves = 0, firstCrowded = 0;
    long hazardsMissing = 0;
    std::string residentSeries;

    game->startGame();
    while (stepCount < steps) {
        advanceClock(1);
        while (speedCounter > 0 && stepCount < steps) {
            steer(*game);
            game->logicStep();
            --speedCounter;
            ++stepCount;
            if (marathon && game->player->lives < 2)
                game->player->lives = 2;
            maxWave = std::max(maxWave, game->wave);
            if (game->wave != lastWave) {
                lastWave = game->wave;
                const int wanted = game->wave / 2 - 1;
                if (static_cast<int>(game->hazards.size()) < wanted) {
                    ++crowdedWaves;
                    hazardsMissing += wanted - static_cast<long>(game->hazards.size());
                    if (!firstCrowded || game->wave < firstCrowded)
                        firstCrowded = game->wave;
                }
            }
            if (!marathon)
                maxPlainWave = std::max(maxPlainWave, game->wave);

            if (stepCount % (steps / 10 > 0 ? steps / 10 : 1) == 0)
                residentSeries += " " + std::to_string(residentKb() / 1024);
            if (stepCount % 10000 == 0) {
                peakKb = std::max(peakKb, residentKb());
                const size_t heap = __sanitizer_get_current_allocated_bytes();
                if (stepCount <= earlyEnd)
                    heapEarly = std::max(heapEarly, heap);
                else
                    heapLate = std::max(heapLate, heap);
            }
        }
        // A game whose wave has not changed for 100,000 steps (a stuck
        // autopilot, or a sensitivity that leaves the ship standing) ends as
        // if Escape were held.
        if (game->wave != stallWave) {
            stallWave = game->wave;
            stallSince = stepCount;
        }
        const bool stalled = stepCount - stallSince > 100000;
        stalledGames += stalled;
        if (game->player->lives < 0 || (marathon && game->wave >= 100) || stalled) {
            queueName();
            game->gameOver();
            ++games;
            marathon = games % 2 == 1;
            // Marathons need a ship that steers.
            mouseSens = marathon ? 1.0f : sensitivities[games % (sizeof sensitivities / sizeof sensitivities[0])];
            soundOn = games % 3 != 2;
            game->startGame();
            lastWave = 0;
            stallWave = -1;
            continue;
        }
        if (stepCount % 7 == 0) {
            game->drawFrame();
            ++frames;
            ++drawn;
        }
    }
    peakKb = std::max(peakKb, residentKb());

    printf("soak: %ld logic steps, %ld frames drawn, %ld games over (%ld ended as stalled), highest wave %d "
           "(plain games %d), %ld sounds, peak resident %ld MB, live heap %zu KB early, %zu KB late\n",
           stepCount, drawn, games, stalledGames, maxWave, maxPlainWave, sounds, peakKb / 1024, heapEarly / 1024,
           heapLate / 1024);
    printf("soak: %d waves set up without all their hazards (%ld hazards left out), the first at wave %d\n",
           crowdedWaves, hazardsMissing, firstCrowded);
    printf("soak: resident MB at each tenth of the run:%s\n", residentSeries.c_str());
    const HighscoreEntry best = game->highscores->GetEntry(0);
    printf("soak: best row \"%s\" %d\n", best.name.c_str(), best.score);

    delete game;
    seam = allegroSeam;
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat", "highscores.tav"})
        unlink(name);
    if (chdir("/") != 0 || rmdir(scratch) != 0)
        fprintf(stderr, "note: %s left behind\n", scratch);

    // A heap that keeps growing once the field has seen every kind of
    // object is a leak in the making: allow 4 MB over the early peak.
    if (heapEarly && heapLate > heapEarly + 4 * 1024 * 1024) {
        fprintf(stderr, "soak: live heap grew from %zu KB to %zu KB\n", heapEarly / 1024, heapLate / 1024);
        return 1;
    }
    if (maxWave < minWave) {
        fprintf(stderr, "soak: no game got past wave %d (wanted %d)\n", maxWave, minWave);
        return 1;
    }
    return 0;
}
