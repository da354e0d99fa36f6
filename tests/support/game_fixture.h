// A real game object for step-level and screen tests: built in a temporary
// working directory that holds links to the generated datafiles, under the
// recording seam, with the random generator seeded to a fixed value after
// construction.
#pragma once

#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "game/main_game.h"
#include "gui/gui_button.h"
#include "highscores/highscore_manager.h"
#include "pmask/pmask.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "support/test_seam.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

struct Spot { int x, y; };
struct MouseAt { int frame, x, y, buttons; }; // from the step after `frame` on
// In MouseAt::buttons: a left press released again before the next step.
constexpr int tap = 4;

class GameFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void rebuildGame(); // deletes the game (which saves its table) and builds a new one
    void clearField();  // no collectables, hazards, power-ups or enemies
    void runBatch();    // the logic steps owed, as the frame loop runs them
    Enemy* addEnemy(int kind, float x, float y); // showing frame 0
    Object* addObject(std::vector<Object*>& list, int type, int spriteIndex, int x, int y);
    // The first top-left position (by rows, then columns) for mask a that
    // overlaps mask b at (bx, by) and satisfies accept; fails the test if none.
    Spot overlapSpot(const PMASK* a, const PMASK* b, int bx, int by,
                     const std::function<bool(int, int)>& accept = nullptr);
    // The ship onto mask b at (bx, by), inside its area, off the fixed hazards.
    void putShipOn(const PMASK* b, int bx, int by);
    // Runs a screen with the mouse script played in and `inspect` called at
    // each frame; answers the frames shown, failing past lastFrame.
    int runScreen(const std::function<void()>& screen, const std::vector<MouseAt>& script, int lastFrame,
                  const std::function<void(int frame)>& inspect = nullptr);
    SAMPLE* sfx(int index) const { return sampleAt(game->sfxData, index); }

    ScopedTestSeam seamScope;
    MainGameClass* game = nullptr;
    std::string directory, previousDirectory;
};

// Feeds the key buffer one key per blocking read, as a typist would; Enter
// also shows as held.
void typeKeys(const std::vector<int>& keys);
// A per-frame script that throws once more than `limit` frames have been
// shown, so that a loop that never ends fails its test.
void onEachFrame(int limit, std::function<void(int frame)> script);
inline int keyCode(int scancode, int character) { return scancode << 8 | character; } // a readkey() value
// The names in the working directory.
std::set<std::string> listing();
