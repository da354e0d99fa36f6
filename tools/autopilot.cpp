#include "tools/autopilot.h"

#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "game/main_game.h"
#include "gui/gui_button.h"
#include "shell/al.h"
#include "shell/globals.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

Autopilot autopilot;

namespace {

Autopilot& a = autopilot;

float centreX(const Object* o) { return o->x + o->sprite->w / 2.0f; }
float centreY(const Object* o) { return o->y + o->sprite->h / 2.0f; }
int roll(int n) { return static_cast<int>(a.random() % static_cast<unsigned>(n)); }

int pointer(bool vertical)
{
    if (!a.game || a.choice < 0)
        return vertical ? screenHeight / 2 : screenWidth / 2;
    const GuiButton* buttons[] = {a.game->playButton, a.game->instructionsButton, a.game->creditsButton,
                                  a.game->exitButton};
    const GuiButton* b = buttons[std::min(a.choice, 3)];
    return vertical ? b->y + b->height / 2 : b->x + b->width / 2;
}

// Where to go: the nearest collectable, then the exit (in a skirmish, the
// middle); when a target has held out for a while (a hazard beside it), a
// random place for a while.
void chooseTarget(const MainGameClass& game, float sx, float sy, float& tx, float& ty)
{
    if (game.collectables.size() != a.collectablesLeft) {
        a.collectablesLeft = game.collectables.size();
        a.sinceProgress = a.boldSteps = 0;
    } else if (++a.sinceProgress > 1500 && a.boldSteps == 0) {
        a.boldSteps = 400;
        a.sinceProgress = 0;
        a.boldX = static_cast<float>(60 + roll(screenWidth - 120));
        a.boldY = static_cast<float>(40 + roll(screenHeight - 80));
    }
    tx = screenWidth / 2.0f;
    ty = screenHeight / 2.0f;
    if (a.boldSteps > 0) {
        --a.boldSteps;
        tx = a.boldX;
        ty = a.boldY;
        return;
    }
    if (a.skirmish)
        return;
    float best = 1e30f;
    for (const Object* c : game.collectables) {
        const float d = std::hypot(centreX(c) - sx, centreY(c) - sy);
        if (d < best) {
            best = d;
            tx = centreX(c);
            ty = centreY(c);
        }
    }
    if (game.collectables.empty() && game.exitOpen) {
        // Straight down over the gate, never across the hazard beside it.
        tx = centreX(game.fixedObjects[3]);
        ty = std::fabs(sx - tx) < 6 ? screenHeight + 20.0f : screenHeight - 90.0f;
    }
}

void steer(const MainGameClass& game)
{
    const PlayerShip& ship = *game.player;
    const float sx = ship.x + ship.sprite->w / 2.0f;
    const float sy = ship.y + ship.sprite->h / 2.0f;
    float tx, ty;
    chooseTarget(game, sx, sy, tx, ty);

    // A wanted velocity toward the target, pushed away from what kills.
    const float dx = tx - sx, dy = ty - sy;
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
    if (a.boldSteps == 0)
        for (const Object* h : game.hazards)
            repel(centreX(h), centreY(h), 60, 6);
    for (int i = 0; i < 3; ++i)
        repel(centreX(game.fixedObjects[i]), centreY(game.fixedObjects[i]), 55, 6);
    bool enemyAhead = false;
    const float speed = std::max(0.1f, std::hypot(ship.vx, ship.vy));
    for (const Enemy* e : game.enemies) {
        if (e->killed)
            continue;
        const float ex = e->x + e->images[0]->w / 2.0f, ey = e->y + e->images[0]->h / 2.0f;
        repel(ex, ey, 70, 5);
        const float d = std::max(1.0f, std::hypot(ex - sx, ey - sy));
        enemyAhead |= d < 300 && ((ex - sx) * ship.vx + (ey - sy) * ship.vy) / (d * speed) > 0.95f;
    }

    // Mickeys that turn the ship's velocity into the wanted one, with noise
    // and, now and then, a wild jerk of the mouse.
    const double perMickey = 0.01 * (mouseSens == 0 ? 1.0 : mouseSens);
    a.mickeyX = static_cast<int>(std::clamp((vx - ship.vx) / perMickey, -1e6, 1e6)) + roll(41) - 20;
    a.mickeyY = static_cast<int>(std::clamp((vy - ship.vy) / perMickey, -1e6, 1e6)) + roll(41) - 20;
    if (roll(500) == 0) {
        a.mickeyX = roll(20001) - 10000;
        a.mickeyY = roll(20001) - 10000;
    }

    // A shot needs the button released in between.
    const bool fire = !(a.buttons & 1) && (enemyAhead || roll(4) == 0);
    a.buttons = (fire ? 1 : 0) | (roll(400) == 0 ? 2 : 0);
    a.space = (!game.enemies.empty() && ship.charges[ship.selectedSpecial] > 0 && roll(50) == 0) || roll(2000) == 0;
}

// A name of up to 13 keys, most of them letters, ended by Enter.
void queueName()
{
    for (int i = roll(14); i > 0; --i) {
        const int kind = roll(10);
        if (kind < 6)
            a.typing.push_back((KEY_A + i % 26) << 8 | ('a' + roll(26)));
        else if (kind == 6)
            a.typing.push_back(KEY_BACKSPACE << 8 | 8);
        else if (kind == 7)
            a.typing.push_back(KEY_SPACE << 8 | ' ');
        else
            a.typing.push_back(roll(KEY_MAX) << 8 | roll(256));
    }
    a.typing.push_back(KEY_ENTER << 8 | 13);
}

void apMickeys(int* mx, int* my)
{
    *mx = a.mickeyX;
    *my = a.mickeyY;
    a.mickeyX = a.mickeyY = 0;
}
int apButtons() { return a.buttons; }
int apPointerX()
{
    a.pointerRead = true;
    return pointer(false);
}
int apPointerY()
{
    a.pointerRead = true;
    return pointer(true);
}
bool apKeyDown(int scancode) { return (scancode == KEY_ESC && a.escape) || (scancode == KEY_SPACE && a.space); }
bool apKeyWaiting() { return !a.typing.empty(); }
int apReadKey()
{
    if (a.typing.empty())
        return 0;
    const int key = a.typing.front();
    a.typing.pop_front();
    return key;
}
int apLeftPresses() { return a.leftPresses; }
void apClearKeys()
{
    a.typing.clear();
    a.buttons = 0;
}
void apPlay(SAMPLE*, int, int, int) {}
int apAllocate(SAMPLE*) { return roll(4) == 0 ? -1 : 3; }
void apPriority(int, int) {}
void apVoice(int) {}
void apHold(bool) {}
void apPresent(BITMAP*, int, int)
{
    ++a.frames;
    decideInput();
    advanceClock(a.ticksPerFrame);
}
void apClearScreen(int) {}
void apRest(unsigned int ms)
{
    if (a.ticksPerFrame == 0) {
        rest(ms);
        return;
    }
    a.restRemainder += ms;
    advanceClock(a.restRemainder / 10);
    a.restRemainder %= 10;
}

std::string scratchDir;

void removeScratchDir()
{
    if (DIR* dir = opendir(scratchDir.c_str())) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                unlink((scratchDir + "/" + entry->d_name).c_str());
        closedir(dir);
    }
    rmdir(scratchDir.c_str());
}

} // namespace

bool enterScratchDir(const char* dataDir)
{
    char* data = realpath(dataDir, nullptr);
    char pattern[] = "/tmp/tarnavel-run.XXXXXX";
    if (!data || !mkdtemp(pattern)) {
        free(data);
        return false;
    }
    scratchDir = pattern;
    atexit(removeScratchDir);
    bool ok = chdir(pattern) == 0;
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat"})
        ok = ok && symlink((std::string(data) + "/" + name).c_str(), name) == 0;
    free(data);
    return ok;
}

bool startHeadless()
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return false;
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    return true;
}

const Seam autopilotSeam = {
    apMickeys, apButtons, apPointerX, apPointerY, apKeyDown, apKeyWaiting, apReadKey, apClearKeys, apLeftPresses,
    [](PadState*) { return false; },
    apPlay, apAllocate, apPriority, apVoice, apVoice, apHold, apPresent, apClearScreen, apRest, apRest,
    [](bool, int) { return true; },
};

void engageAutopilot(MainGameClass* game, unsigned seed)
{
    a = Autopilot();
    a.game = game;
    a.random.seed(seed);
    seam = autopilotSeam;
}

void advanceClock(int ticks)
{
    for (int i = 0; i < ticks; ++i) {
        timerFunc();
        if (++a.ticks % 100 == 0)
            secondsFunc();
    }
}

void decideInput()
{
    const bool menu = a.pointerRead;
    const bool held = a.buttons & 1;
    a.pointerRead = false;
    a.mickeyX = a.mickeyY = 0;
    a.space = false;
    if (!a.game)
        a.buttons = 0;
    else if (menu)
        a.buttons = a.choice >= 0 && !a.buttons ? 1 : 0; // a click every other frame
    else if (a.game->player->lives < 0 || a.escape) {
        a.buttons = 0; // the name entry
        if (a.typing.empty())
            queueName();
    } else {
        steer(*a.game);
    }
    a.leftPresses += (a.buttons & 1) && !held;
}
