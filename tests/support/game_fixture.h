// A real game object for step-level tests: built in a temporary working
// directory that holds links to the generated datafiles, under the recording
// seam, with the random generator seeded to a fixed value after construction.
#pragma once

#include "game/main_game.h"
#include "support/test_seam.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

struct PMASK;
class Object;
class Enemy;

struct Spot {
    int x;
    int y;
};

class GameFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Deletes the game object (which writes its table) and builds a new one
    // in the same directory.
    void rebuildGame();

    // Empties the wave's objects and the enemies, so that a test places
    // exactly what it needs.
    void clearField();

    // Runs the logic steps owed, as the frame loop does.
    void runBatch();

    // A new enemy of a kind, at (x, y), showing frame 0.
    Enemy* addEnemy(int kind, float x, float y);
    Object* addObject(std::vector<Object*>& list, int type, int spriteIndex, int x, int y);

    // A top-left position for mask a at which it overlaps mask b standing at
    // (bx, by), the first one (scanning rows, then columns) that also
    // satisfies accept. Fails the test when there is none.
    Spot overlapSpot(const PMASK* a, const PMASK* b, int bx, int by,
                     const std::function<bool(int, int)>& accept = nullptr);

    // Puts the ship where it overlaps mask b at (bx, by), inside its playing
    // area and clear of the three fixed hazards.
    void putShipOn(const PMASK* b, int bx, int by);

    ScopedTestSeam seamScope;
    MainGameClass* game = nullptr;
    std::string directory;
    std::string previousDirectory;
};

// Feeds the key buffer one key per blocking read, as a typist would; Enter
// also shows as held.
void typeKeys(const std::vector<int>& keys);

// Installs a per-frame script that throws once more than `limit` frames
// have been presented, so that a loop that never ends fails its test.
void onEachFrame(int limit, std::function<void(int frame)> script);

// A readkey() value.
int keyCode(int scancode, int character);
