// One whole game: set-up, the frame loop with its fixed-rate logic steps,
// game over and the name entry.
#include "game/main_game.h"

#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "highscores/highscore_manager.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "shell/music.h"
#include "shell/pad.h"
#include "shell/raw_mouse.h"
#include "shell/seam.h"

#include <string>

namespace {

int panOf(float x) { return static_cast<int>(x / screenWidth * 255); }

// Characters a name may hold: visible ASCII, so that every name reads back
// from the table's file. Space, Escape and keys without a character are out.
bool isNameCharacter(int c) { return c >= 33 && c <= 126; }

// How much black (of 255) the paused picture lays over the field; while
// paused the game looks at the keys and the mouse this often.
constexpr int pausedShade = 160;
constexpr unsigned int pausedRestMs = 25;

// The pause keys as the last look left them; set by playGame.
bool pKeyFree = true;     // P let go since it last counted
bool pauseKeyWas = false; // Pause's entry in Allegro's key array

struct PlayKeys {
    bool escape = false; // held, or pressed since the last look
    bool pause = false;  // P or Pause pressed anew
};

// Empties the key buffer, so that a press however short counts. A held P
// repeats there: it counts once, and again only after being let go.
// Allegro's X11 keyboard never sees Pause let go and flips its entry in the
// key array at each press instead: a change counts. The pad's buttons for
// pausing and ending the game, as `settings` name them, stand for P and
// Escape.
PlayKeys lookAtKeys(const Settings& settings)
{
    PlayKeys keys;
    keys.escape = seam.keyDown(KEY_ESC);
    bool typedP = false;
    const PadKeys padKeys = {0, 0, 0, 0, {{settings.padPause, KEY_P << 8 | 'p'}, {settings.padEndGame, KEY_ESC << 8}}};
    for (int key; (key = nextKey(padKeys)) != 0;) {
        const int scancode = key >> 8;
        keys.escape = keys.escape || scancode == KEY_ESC;
        typedP = typedP || scancode == KEY_P;
    }
    const bool pauseKey = seam.keyDown(KEY_PAUSE);
    keys.pause = (typedP && pKeyFree) || pauseKey != pauseKeyWas;
    pKeyFree = (pKeyFree && !typedP) || !seam.keyDown(KEY_P);
    pauseKeyWas = pauseKey;
    return keys;
}

// The pad's part in the ship's next step, its buttons as `settings` name them.
void padToShip(PlayerShip& ship, const Settings& settings)
{
    ship.padDx = stickPull(padAxis(PAD_STICK_X), settings.padSensitivity);
    ship.padDy = stickPull(padAxis(PAD_STICK_Y), settings.padSensitivity);
    ship.padFire = padDown(settings.padFire);
    const bool next = padDown(settings.padNextWeapon);
    ship.padSelect = padDown(settings.padNextWeapon2) || next;
    ship.padSpecial = padDown(settings.padFireSpecial);
}

} // namespace

// Called by the menu dispatch; returns after the name entry, or at once when
// the game is asked to quit, keeping a score that makes the table unnamed.
void MainGameClass::playGame()
{
    startGame();
    forgetPresses();   // nothing typed in the menu ends the game
    focusLost = false; // nor pauses it
    padWentAway();     // nor a pad gone in the menus
    pKeyFree = true;
    pauseKeyWas = seam.keyDown(KEY_PAUSE);
    while (!quitRequested) {
        const bool away = focusLost.exchange(false);
        const PlayKeys keys = lookAtKeys(settings);
        const bool padGone = padWentAway();
        if (keys.escape || ((keys.pause || away || padGone) && !pausePlay(padGone)))
            break;
        while (speedCounter > 0) {
            logicStep();
            --speedCounter;
        }
        if (player->lives < 0)
            break;
        drawFrame();
        ++frames;
        waitForTick();
    }
    if (!quitRequested) {
        playMusic(MUSIC_THEME);
        gameOver();
    } else {
        enterScore("");
    }
}

// Holds play still until P, Pause, a left click or the pad's pause button,
// then goes on with no step owed for the time paused; false when Escape
// ends the game meanwhile or the game is asked to quit. The paused picture
// is shown once, saying so when the pad has gone; the process sleeps, with
// the sound held and the pointer free.
bool MainGameClass::pausePlay(bool padGone)
{
    const int w = screenWidth;
    const int h = screenHeight;
    gamePaused = true;
    pauseMusic();
    seam.holdSounds(true);
    releaseRawMouse();

    // The field dimmed under the status line, and darker still behind the
    // words, which stand clear of the ship's starting place.
    const int black = makecol(0, 0, 0);
    const int top = h / 2 - 110;
    drawField();
    drawing_mode(DRAW_MODE_TRANS, nullptr, 0, 0);
    set_trans_blender(0, 0, 0, pausedShade);
    rectfill(buffer, 0, statusLineHeight, w - 1, h - 1, black);
    rectfill(buffer, 0, top - 14, w - 1, top + 56, black);
    solid_mode();
    textout_centre_ex(buffer, fontAt(miscData, MISC_FONT_LARGE), "Paused", w / 2, top, makecol(255, 255, 255), -1);
    FONT* const small = fontAt(miscData, MISC_FONT_SMALL);
    const int grey = makecol(200, 200, 200);
    const char* const hint = padPresent() ? "Press P, Start or click to go on, Escape or Back to end the game."
                                          : "Press P or click to go on, Escape to end the game.";
    textout_centre_ex(buffer, small, hint, w / 2, top + 30, grey, -1);
    if (padGone)
        textout_centre_ex(buffer, small, "The gamepad was disconnected.", w / 2, top + 44, grey, -1);
    seam.present(buffer, 0, 0);

    const int presses = seam.leftPresses();
    PlayKeys keys;
    while (!keys.escape && !keys.pause && seam.leftPresses() == presses && !quitRequested) {
        seam.restStill(pausedRestMs);
        keys = lookAtKeys(settings);
    }
    const bool goOn = !keys.escape && !quitRequested;
    if (goOn) {
        // The motion of the pause is dropped, and a click or a press of the
        // pad's that goes on is no shot.
        int mx = 0;
        int my = 0;
        seam.mouseMickeys(&mx, &my);
        player->fireHeld = true;
        forgetPresses();
    }
    focusLost = false;
    padWentAway();
    seam.holdSounds(false);
    resumeMusic();
    speedCounter = 0;
    gamePaused = false;
    return goOn;
}

void MainGameClass::startGame()
{
    speedCounter = 0;
    player->score = 0;
    for (int& c : player->charges)
        c = 0;
    player->lives = 5;
    player->extraLifeLevel = 1;
    for (EnemySpawn& slot : enemySpawns)
        slot = EnemySpawn{-1, false};
    wave = 0;
    playMusic(MUSIC_PLAY);
    nextWave();
}

void MainGameClass::logicStep()
{
    const int w = screenWidth;
    const int h = screenHeight;

    padToShip(*player, settings);

    for (Enemy* e : enemies)
        e->move(static_cast<int>(player->x), static_cast<int>(player->y));
    player->moveBullets();
    checkBullets(player->bullets);
    checkPlayerCollision();

    const int moveResult = player->move(fixedObjects);
    if (moveResult == 1) {
        player->die(2);
    } else if (moveResult == 2 && exitOpen) {
        if (soundOn)
            seam.playSample(sampleAt(sfxData, SFX_EXIT), 255, 128, 1000);
        nextWave();
    } else if (moveResult == 3) {
        if (soundOn)
            seam.playSample(sampleAt(sfxData, SFX_BONUS_TAKEN), 255, panOf(player->x), 1000);
        player->addScore(2000, static_cast<int>(player->x), static_cast<int>(player->y));
    }

    // The wandering bonus: launched at most once in a second whose count is a
    // multiple of 100, parked at an edge after 5 seconds or when taken.
    Object* bonus = fixedObjects[bonusIndex];
    const int now = seconds;
    if (now % 100 == 0 && now != bonusLaunchTime && !bonusActive && rand() % 13 == 0) {
        bonus->x = rand() % 2 == 0 ? w - 80 : 57;
        bonus->y = h / 2;
        bonus->dx = rand() % 3 + 2;
        bonus->dy = rand() % 3 + 2;
        bonusLaunchTime = now;
        bonusActive = true;
    }
    if (bonusActive) {
        bonus->move(sampleAt(sfxData, SFX_BONUS_BOUNCE));
        if ((seconds > bonusLaunchTime + 5 && bonus->isAtEdge()) || moveResult == 3) {
            bonus->x = -200;
            bonus->y = -200;
            bonusActive = false;
        }
    }

    // A fired special weapon acts in every step until the next frame is shown.
    if (player->specialFired) {
        if (soundOn)
            seam.playSample(sampleAt(sfxData, SFX_SPECIAL), 200, 128, 1000);
        for (Enemy* e : enemies) {
            switch (player->selectedSpecial) {
            case 0:
                e->speed = 0.1f;
                break;
            case 1:
                e->moveBack(static_cast<int>(player->x), static_cast<int>(player->y));
                break;
            default:
                e->takeDamage(10, 2, false);
                break;
            }
        }
    }

    // Each kind in play enters once in every second that is a multiple of
    // its interval.
    const int second = seconds;
    for (int i = 0; i < enemyKindCount; ++i) {
        EnemySpawn& slot = enemySpawns[i];
        if (slot.interval > 0 && second % slot.interval == 0) {
            if (!slot.spawned) {
                Enemy* e = new Enemy(i, spritesData, explosionData, sfxData);
                enemies.push_back(e);
                slot.spawned = true;
                if (soundOn)
                    seam.playSample(sampleAt(sfxData, SFX_ENEMY_ENTERS), 100, e->x >= w / 2 ? 255 : 0, 1000);
            }
        } else {
            slot.spawned = false;
        }
    }

    // A death is final once the ship's explosion has run out.
    if (player->destroyed) {
        --player->lives;
        player->reset();
        deleteAll(enemies);
        player->destroyed = false;
    }
}

void MainGameClass::drawFrame()
{
    drawField();
    seam.present(buffer, 0, 0);
    player->specialFired = false;
}

void MainGameClass::drawField()
{
    const int w = screenWidth;
    const int h = screenHeight;
    FONT* font = fontAt(miscData, MISC_FONT_SMALL);

    static const int flash[3][3] = {{100, 100, 255}, {100, 255, 100}, {255, 100, 100}};
    if (player->specialFired) {
        const int* c = flash[player->selectedSpecial];
        clear_to_color(buffer, makecol(c[0], c[1], c[2]));
    } else {
        clear_to_color(buffer, makecol(0, 0, 0));
    }
    for (Object* o : collectables)
        o->draw(buffer);
    for (Object* o : powerUps)
        o->draw(buffer);
    for (Object* o : hazards)
        o->draw(buffer);
    for (Enemy* e : enemies)
        e->draw(buffer);
    player->draw(buffer, font);
    for (Object* o : fixedObjects)
        o->draw(buffer);
    if (!exitOpen)
        hline(buffer, w / 2 - 21, h - 1, w / 2 + 20, makecol(140, 0, 0));
    player->drawInfo(buffer, wave, font, fps);
}

// The game-over picture and the final score; a qualifying score takes a name
// of up to 9 characters: every key typed, in order, however fast, until Enter
// (once a name has been typed) or Escape ends the entry. While a pad is
// there, a letter picker stands after the name: Up and Down step its letter,
// Right takes it and Left takes the last one back, as the pad's directions
// do, and its A, B, Start and Back stand for Right, Left, Enter and Escape.
// Otherwise any key, press of the pad or left click, however short, ends
// it. Asked to quit, the entry ends with what was typed.
void MainGameClass::gameOver()
{
    static const PadKeys namePadKeys = {
        KEY_UP << 8, KEY_DOWN << 8, KEY_LEFT << 8, KEY_RIGHT << 8,
        {{PAD_A, KEY_RIGHT << 8}, {PAD_B, KEY_LEFT << 8}, {PAD_START, KEY_ENTER << 8 | '\r'},
         {PAD_BACK, KEY_ESC << 8 | 27}},
    };
    const int w = screenWidth;
    const int h = screenHeight;
    BITMAP* picture = bitmapAt(spritesData, SPR_GAME_OVER);
    FONT* font = fontAt(miscData, MISC_FONT_LARGE);
    const int grey = makecol(200, 200, 200);
    const int gold = makecol(255, 200, 70);
    const bool onList = highscores->IsOnList(player->score);

    forgetPresses();
    seam.clearScreen(makecol(0, 0, 0));
    // Only a press made on this screen counts: the fire button may be held.
    const int pressesAtStart = seam.leftPresses();
    const std::string scoreLine = "Final score: " + std::to_string(player->score);

    std::string name;
    char letter = 'A'; // the picker's
    bool named = false;
    bool ended = false;
    // The Escape that ended play may still be held, and a held key repeats:
    // Escape ends the entry once it has been let go.
    bool escapeFree = !seam.keyDown(KEY_ESC);
    speedCounter = 0;
    while (!ended && !quitRequested) {
        clear_to_color(buffer, makecol(0, 0, 0));
        draw_sprite(buffer, picture, w / 2 - picture->w / 2, h / 2 - picture->h);
        textout_centre_ex(buffer, font, scoreLine.c_str(), w / 2, h / 2 + 15, gold, -1);
        if (!onList)
            textout_centre_ex(buffer, fontAt(miscData, MISC_FONT_SMALL),
                              padPresent() ? "Press a key, A or click to go on." : "Press a key or click to go on.",
                              w / 2, h / 2 + picture->h + 15, grey, -1);
        if (onList) {
            const int y = h / 2 + picture->h + 15;
            textout_centre_ex(buffer, font, "Enter your name: ", w / 2, h / 2 + picture->h - 5,
                              makecol(255, 255, 255), -1);
            if (name.size() < tableNameLength) {
                // A steady cursor where the next character goes; with a pad,
                // under the picker's letter.
                const char picked[] = {padPresent() ? letter : 'A', '\0'};
                const int x = w / 2 - text_length(font, (name + picked[0]).c_str()) / 2;
                const int at = x + text_length(font, name.c_str());
                const int below = y + text_height(font);
                textout_ex(buffer, font, name.c_str(), x, y, grey, -1);
                if (padPresent())
                    textout_ex(buffer, font, picked, at, y, gold, -1);
                rectfill(buffer, at, below, at + text_length(font, picked) - 1, below + 1, gold);
            } else {
                textout_centre_ex(buffer, font, name.c_str(), w / 2, y, grey, -1);
            }
            if (padPresent())
                textout_centre_ex(buffer, fontAt(miscData, MISC_FONT_SMALL),
                                  "Pad: Up/Down pick a letter, A takes it, B takes one back, Start enters.", w / 2,
                                  y + 40, grey, -1);
        }
        seam.present(buffer, 0, 0);

        for (int k; !ended && (k = nextKey(namePadKeys)) != 0;) {
            const int scancode = k >> 8;
            const int character = k & 0xff;
            const bool picking = padPresent();
            const bool room = name.size() < tableNameLength;
            if (scancode == KEY_ESC ? escapeFree : !onList) {
                ended = true;
            } else if (scancode == KEY_ENTER || scancode == KEY_ENTER_PAD) {
                ended = named;
            } else if (picking && (scancode == KEY_UP || scancode == KEY_DOWN)) {
                letter = pickLetter(letter, scancode == KEY_UP ? 1 : -1);
            } else if (picking && scancode == KEY_RIGHT && room) {
                name += letter;
                letter = 'A';
            } else if ((scancode == KEY_BACKSPACE || (picking && scancode == KEY_LEFT)) && !name.empty()) {
                letter = pickLetter(name.back(), 0);
                name.pop_back();
            } else if (scancode != KEY_BACKSPACE && room && isNameCharacter(character)) {
                name += static_cast<char>(character);
                letter = 'A';
            }
            named = named || !name.empty();
        }
        escapeFree = escapeFree || !seam.keyDown(KEY_ESC);
        ended = ended || (!onList && seam.leftPresses() != pressesAtStart);
        if (!ended)
            waitForTick();
        speedCounter = 0;
    }
    enterScore(name);
}

void MainGameClass::enterScore(const std::string& name)
{
    if (!highscores->IsOnList(player->score))
        return;
    // Saved at once: a closed window, a logout or a crash later on must not
    // lose the row.
    highscores->AddEntry(name, player->score);
    saveTable();
}
