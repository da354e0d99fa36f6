// The game object as built: fixed objects, buttons, schedule, and the table
// saved by the destructor.
#include "entities/object.h"
#include "entities/player_ship.h"
#include "gui/gui_button.h"
#include "highscores/highscore_manager.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "support/game_fixture.h"

#include <filesystem>

namespace {

using GameObject = GameFixture;

TEST_F(GameObject, FixedObjectsButtonsAndScheduleAfterConstruction)
{
    ASSERT_EQ(5u, game->fixedObjects.size());
    const int expected[5][5] = {
        // type, x, y, dx, dy
        {3, 250, 440, 0, 0}, {3, 0, 203, 0, 0}, {3, 582, 203, 0, 0}, {4, 299, 470, 0, 0}, {6, -200, -200, 4, 4},
    };
    for (int i = 0; i < 5; ++i) {
        const Object* o = game->fixedObjects[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i][0], o->type);
        EXPECT_EQ(expected[i][1], o->x);
        EXPECT_EQ(expected[i][2], o->y);
        EXPECT_EQ(expected[i][3], o->dx);
        EXPECT_EQ(expected[i][4], o->dy);
        EXPECT_FALSE(o->hit);
    }
    EXPECT_EQ(4, game->bonusIndex);
    EXPECT_FALSE(game->bonusActive);
    EXPECT_LT(game->bonusLaunchTime, 0);
    EXPECT_EQ(0, game->wave);
    EXPECT_FALSE(game->exitOpen);
    EXPECT_EQ(0, bonusScore.load());
    for (const EnemySpawn& slot : game->enemySpawns) {
        EXPECT_EQ(-1, slot.interval);
        EXPECT_FALSE(slot.spawned);
    }
    EXPECT_TRUE(game->collectables.empty() && game->hazards.empty() && game->powerUps.empty()
                && game->enemies.empty());
    ASSERT_NE(nullptr, game->buffer);
    EXPECT_EQ(screenWidth, game->buffer->w);
    EXPECT_EQ(screenHeight, game->buffer->h);

    GuiButton* buttons[4] = {game->playButton, game->instructionsButton, game->creditsButton, game->exitButton};
    const char* captions[4] = {"Play Game", "Instructions", "Credits", "Exit"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(captions[i]);
        EXPECT_EQ(captions[i], buttons[i]->caption);
        EXPECT_EQ(screenWidth, buttons[i]->x + buttons[i]->width); // flush with the right edge
        EXPECT_EQ(screenHeight - 200 + 50 * i, buttons[i]->y);
        EXPECT_FALSE(buttons[i]->clicked);
    }
    EXPECT_EQ(5, game->highscores->Size());
}

TEST_F(GameObject, TableIsReadAtStartAndSavedByTheDestructor)
{
    EXPECT_FALSE(std::filesystem::exists("highscores.tav"));
    game->highscores->AddEntry("Pilot", 4321);
    rebuildGame(); // the old object writes the file, the new one reads it
    EXPECT_TRUE(std::filesystem::exists("highscores.tav"));
    EXPECT_EQ("Pilot", game->highscores->GetEntry(0).name);
    EXPECT_EQ(4321, game->highscores->GetEntry(0).score);
    EXPECT_EQ("None", game->highscores->GetEntry(1).name);
    EXPECT_FALSE(std::filesystem::exists("Tempout.txt"));
    EXPECT_FALSE(std::filesystem::exists("Tempin.txt"));
}

} // namespace
