// Wave set-up, the enemy schedule and the wave-completed screen.
#include "game/main_game.h"

#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "pmask/pmask.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "shell/music.h"
#include "shell/pad.h"
#include "shell/seam.h"

namespace {

// Attempts to place one hazard. At very high waves the field may hold no free
// place; the wave then goes without its remaining hazards.
constexpr int hazardAttempts = 1000;

int randomX() { return rand() % (screenWidth - 129) + 60; }
int randomY() { return rand() % (screenHeight - 66) + 17; }

bool overlapsAny(const PMASK* m, int x, int y, const std::vector<Object*>& objects)
{
    for (const Object* o : objects)
        if (check_pmask_collision(m, o->mask, x, y, o->x, o->y))
            return true;
    return false;
}

// The ship's start and the approach to the exit gate stay free of hazards.
bool inKeepOutZone(int x, int y)
{
    const int w = screenWidth;
    const int h = screenHeight;
    if (w / 2 - 100 < x && x < w / 2 + 70 && h / 2 - 100 < y && y < h / 2 + 70)
        return true;
    return w / 2 - 70 < x && x < w / 2 + 50 && y > h - 100;
}

} // namespace

// Called by the play loop at game start (wave 0) and when the ship leaves
// through the open exit. Blocks while the wave-completed screen shows.
void MainGameClass::nextWave()
{
    exitOpen = false;
    ++wave;

    deleteAll(collectables);
    deleteAll(hazards);
    deleteAll(powerUps);
    deleteAll(enemies);

    player->clearScoreTexts();

    for (int i = 0; i < 2 * wave + 5; ++i) {
        const int y = randomY();
        const int x = randomX();
        collectables.push_back(new Object(x, y, OBJ_COLLECTABLE, bitmapAt(spritesData, SPR_COLLECTABLE), 0, 0));
    }

    const int powerUpCount = rand() % 4;
    for (int i = 0; i < powerUpCount; ++i) {
        const int k = rand() % 3;
        const int y = randomY();
        const int x = randomX();
        powerUps.push_back(
            new Object(x, y, OBJ_POWERUP_FIRST + k, bitmapAt(spritesData, SPR_POWERUP_FIRST + k), 0, 0));
    }

    const int hazardCount = wave / 2 - 1;
    BITMAP* hazardSprite = bitmapAt(spritesData, SPR_HAZARD);
    PMASK* m = create_allegro_pmask(hazardSprite);
    for (int i = 0; i < hazardCount; ++i) {
        bool placed = false;
        int x = 0;
        int y = 0;
        for (int attempt = 0; attempt < hazardAttempts && !placed; ++attempt) {
            x = randomX();
            y = randomY();
            bool onHazard = false;
            for (const Object* h : hazards)
                if (check_pmask_collision(m, m, x, y, h->x, h->y))
                    onHazard = true;
            placed = !overlapsAny(m, x, y, collectables) && !onHazard && !overlapsAny(m, x, y, powerUps)
                     && !inKeepOutZone(x, y);
        }
        if (!placed)
            break;
        hazards.push_back(new Object(x, y, OBJ_HAZARD, hazardSprite, 0, 0));
    }
    destroy_pmask(m);

    for (EnemySpawn& slot : enemySpawns) {
        if (slot.interval < 0) {
            slot.interval = 8;
            break;
        }
        if (slot.interval > 6) {
            --slot.interval;
            break;
        }
    }

    if (wave > 1) {
        playMusic(MUSIC_JINGLE);
        waveCompletedScreen();
        playMusic(MUSIC_PLAY);
    }

    bonusScore = 1500;
    player->reset();
    speedCounter = 0;
}

// Counts the bonus left into the score, 4 points per logic step, then waits
// up to 0.4 seconds for a key, the left button or a press of the pad. Ends at once when the game
// is asked to quit.
void MainGameClass::waveCompletedScreen()
{
    const int w = screenWidth;
    const int h = screenHeight;
    FONT* font = fontAt(miscData, MISC_FONT_LARGE);
    const int white = makecol(255, 255, 255);
    SAMPLE* tick = sampleAt(sfxData, SFX_COUNT_UP);

    speedCounter = 0;
    const int initial = bonusScore;
    int remaining = initial;
    bool finished = false;
    int t = 0;
    while (!finished && !quitRequested) {
        while (speedCounter > 0) {
            if (remaining > 0) {
                remaining -= 4;
                player->addScore(4, -1, -1);
                if (soundOn && t % 5 == 0)
                    seam.playSample(tick, 180, 128, 1000);
            }
            if (remaining < 1)
                finished = true;
            ++t;
            --speedCounter;
        }
        clear_to_color(buffer, makecol(0, 0, 0));
        textprintf_centre_ex(buffer, font, w / 2, h / 2 - 150, white, -1, "Wave %d completed!", wave - 1);
        if (initial < 1) {
            textout_centre_ex(buffer, font, "Sorry, no time bonus.", w / 2, h / 2 - 90, white, -1);
        } else {
            textprintf_ex(buffer, font, w / 2 - text_length(font, "Time bonus:  ") / 2, h / 2 - 90, white, -1,
                          "Time bonus: %d", remaining);
            textprintf_ex(buffer, font, w / 2 - text_length(font, "Score:  ") / 2, h / 2 - 70, white, -1,
                          "Score: %d", player->score);
        }
        if (finished)
            textout_centre_ex(buffer, font, "Prepare for next wave.", w / 2, h / 2 - 30, white, -1);
        seam.present(buffer, 0, 0);
        if (remaining >= initial - 5)
            for (int i = 0; i < 200; ++i)
                seam.rest(1);
        waitForTick();
    }
    // Closed during the count: the bonus was won all the same.
    if (remaining > 0)
        player->addScore(remaining, -1, -1);

    forgetPresses();
    const int presses = seam.leftPresses();
    for (int i = 0; i < 400 && !quitRequested; ++i) {
        if ((seam.mouseButtons() & 1) || seam.leftPresses() != presses || nextKey(menuPadKeys) != 0)
            break;
        seam.rest(1);
    }
    forgetPresses(); // the key that ended the screen is not for play
}
