// The still pictures (status line, fixed objects, collectables, power-ups,
// hazards) drawn from their run-length data: a busy frame of play comes out
// pixel for pixel as with draw_sprite, at 16 and at 32 bits.
#include "entities/bullet.h"
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "shell/al.h"
#include "support/game_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace {

class FrameTest : public GameFixture {
protected:
    void TearDown() override
    {
        GameFixture::TearDown();
        set_color_depth(32);
    }

    // Wave 10's objects under an enemy of every kind, one exploding, and shots.
    void buildBusyField()
    {
        game->startGame();
        while (game->wave < 10)
            game->nextWave();
        for (int kind = 0; kind < enemyKindCount; ++kind) {
            Enemy* e = addEnemy(kind, 30.0f + 85 * kind, 60.0f + 55 * kind);
            e->bullets.push_back(Bullet(e->x + 12, e->y + 40, 0, 1, e->bulletSprite, e->masks[2]));
        }
        game->enemies[3]->explosionFrame = 6;
        PlayerShip& ship = *game->player;
        for (int i = 0; i < 8; ++i)
            ship.bullets.push_back(Bullet(20.0f + 75 * i, 300.0f - 20 * i, 1, 1, ship.bulletSprite, ship.bulletMask));
    }
};

TEST_F(FrameTest, RunLengthStillPicturesChangeNoPixel)
{
    for (const int depth : {16, 32}) {
        set_color_depth(depth);
        rebuildGame();
        ASSERT_EQ(depth, bitmap_color_depth(game->buffer));
        buildBusyField();
        PlayerShip& ship = *game->player;
        std::vector<RLE_SPRITE**> runs = {&ship.panelRuns, &ship.iconRuns[0], &ship.iconRuns[1], &ship.iconRuns[2]};
        for (auto* list : {&game->fixedObjects, &game->collectables, &game->powerUps, &game->hazards})
            for (Object* o : *list)
                runs.push_back(&o->runs);
        std::vector<RLE_SPRITE*> none(runs.size(), nullptr);
        const auto swapRuns = [&] {
            for (size_t i = 0; i < runs.size(); ++i)
                std::swap(*runs[i], none[i]);
        };
        for (RLE_SPRITE** r : runs)
            ASSERT_NE(nullptr, *r);
        game->drawFrame();
        BITMAP* fromRuns = create_bitmap(game->buffer->w, game->buffer->h);
        blit(game->buffer, fromRuns, 0, 0, 0, 0, fromRuns->w, fromRuns->h);
        swapRuns(); // drawn from the bitmaps instead
        game->drawFrame();
        swapRuns();
        int differingRows = 0;
        for (int y = 0; y < fromRuns->h; ++y)
            differingRows += std::memcmp(fromRuns->line[y], game->buffer->line[y], fromRuns->w * depth / 8) != 0;
        EXPECT_EQ(0, differingRows) << "at " << depth << " bits";
        destroy_bitmap(fromRuns);
    }
}

} // namespace
