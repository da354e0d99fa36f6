// The collision rules of one step, each case set up with real masks from the
// generated sprites.
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "pmask/pmask.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "support/game_fixture.h"

namespace {

class Collisions : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        clearField();
        bonusScore = 1500;
        ship = game->player;
    }

    SAMPLE* sfx(int index) { return sampleAt(game->sfxData, index); }

    // A still ship bullet placed on the enemy's frame mask.
    Bullet& shootAt(const Enemy* e, const std::function<bool(int, int)>& accept = nullptr)
    {
        Spot s = overlapSpot(ship->bulletMask, e->masks[e->frame], static_cast<int>(e->x), static_cast<int>(e->y),
                             accept);
        ship->bullets.push_back(Bullet(s.x, s.y, 0, 0, ship->bulletSprite, ship->bulletMask));
        return ship->bullets.back();
    }

    // Moves the enemy so that its frame mask overlaps the ship.
    void ramShip(Enemy* e)
    {
        Spot s = overlapSpot(e->masks[e->frame], ship->mask, static_cast<int>(ship->x), static_cast<int>(ship->y));
        e->x = static_cast<float>(s.x);
        e->y = static_cast<float>(s.y);
    }

    void enemyShotAtShip(Enemy* e)
    {
        Spot s = overlapSpot(e->masks[2], ship->mask, static_cast<int>(ship->x), static_cast<int>(ship->y));
        e->bullets.push_back(Bullet(s.x, s.y, 0, 0, e->bulletSprite, e->masks[2]));
    }

    Object* objectOnShip(std::vector<Object*>& list, int type, int spriteIndex)
    {
        Object* o = addObject(list, type, spriteIndex, 0, 0);
        Spot s = overlapSpot(o->mask, ship->mask, static_cast<int>(ship->x), static_cast<int>(ship->y));
        o->x = s.x;
        o->y = s.y;
        return o;
    }

    PlayerShip* ship = nullptr;
};

TEST_F(Collisions, BulletOverlappingTwoEnemiesHitsBothAndGoesOnce)
{
    Enemy* a = addEnemy(0, 100, 100);
    Enemy* b = addEnemy(3, 100, 100);
    b->x = a->x;
    b->y = a->y;
    // A spot on both enemies' masks.
    shootAt(a, [&](int x, int y) { return check_pmask_collision(ship->bulletMask, b->masks[0], x, y, 100, 100); });
    ship->bullets.push_back(Bullet(500, 400, 0, 0, ship->bulletSprite, ship->bulletMask)); // hits nothing

    game->checkBullets(ship->bullets);

    EXPECT_TRUE(a->killed);
    EXPECT_TRUE(b->killed);
    EXPECT_EQ(0, a->explosionFrame);
    ASSERT_EQ(1u, ship->bullets.size());
    EXPECT_EQ(500, ship->bullets[0].x);
    EXPECT_EQ(10 + 40, ship->score);
    ASSERT_EQ(2u, ship->scoreTexts.size());
    EXPECT_EQ(10, ship->scoreTexts[0].value);
    EXPECT_EQ(static_cast<int>(a->x + a->images[0]->w / 2), ship->scoreTexts[0].x);
    EXPECT_EQ(100, ship->scoreTexts[0].y);
    EXPECT_EQ(2u, playsOf(sfx(SFX_ENEMY_DIES)).size());
    EXPECT_EQ(2u, game->enemies.size()); // they explode first
}

TEST_F(Collisions, BulletLeavingTheScreenStillHitsThenGoes)
{
    Enemy* e = addEnemy(1, 0, 100); // two hit points
    e->x = static_cast<float>(-e->images[0]->w / 2); // half off the left edge
    Bullet& b = shootAt(e, [](int x, int) { return x < 0; });
    ASSERT_TRUE(b.checkForOutside());
    game->checkBullets(ship->bullets);
    EXPECT_EQ(1, e->hitPoints);
    EXPECT_FALSE(e->killed);
    EXPECT_TRUE(ship->bullets.empty());
    EXPECT_EQ(1u, playsOf(sfx(SFX_ENEMY_HIT)).size());
    EXPECT_EQ(0, ship->score);
}

TEST_F(Collisions, KilledEnemyIsNeitherHitNorHarmfulAndGoesWhenItsExplosionEnds)
{
    Enemy* e = addEnemy(0, 100, 100);
    e->takeDamage(1, 2, false);
    ASSERT_TRUE(e->killed);
    shootAt(e);
    game->checkBullets(ship->bullets);
    EXPECT_EQ(1u, ship->bullets.size()); // passes through
    EXPECT_EQ(0, e->hitPoints);
    EXPECT_EQ(0, ship->score);

    ramShip(e);
    e->explosionFrame = 12.9f;
    game->checkPlayerCollision();
    EXPECT_LT(ship->explosionFrame, 0); // unharmed
    ASSERT_EQ(1u, game->enemies.size());
    e->explosionFrame = 13;
    game->checkPlayerCollision();
    EXPECT_TRUE(game->enemies.empty());
    EXPECT_LT(ship->explosionFrame, 0);
}

TEST_F(Collisions, RammingKillsBothWithoutPointsAndTakesTheEnemyOutAtOnce)
{
    Enemy* keep = addEnemy(0, 500, 60);
    Enemy* e = addEnemy(1, 100, 100);
    Enemy* last = addEnemy(0, 60, 60);
    ramShip(e);
    game->checkPlayerCollision();
    EXPECT_EQ(14, ship->explosionFrame); // cause 1
    EXPECT_EQ(27, ship->explosionEnd);
    ASSERT_EQ(2u, game->enemies.size());
    EXPECT_EQ(keep, game->enemies[0]);
    EXPECT_EQ(last, game->enemies[1]);
    EXPECT_EQ(0, ship->score);
    EXPECT_EQ(1u, playsOf(sfx(SFX_ENEMY_DIES)).size());
    EXPECT_EQ(1u, playsOf(sfx(SFX_SHIP_DIES)).size());

    // An exploding ship rams nothing.
    ramShip(keep);
    game->checkPlayerCollision();
    EXPECT_EQ(2u, game->enemies.size());
    EXPECT_FALSE(keep->killed);
}

TEST_F(Collisions, EnemyBulletKillsWithCauseTwoAndOthersPassThroughTheExplodingShip)
{
    Enemy* e = addEnemy(4, 500, 60);
    enemyShotAtShip(e);
    enemyShotAtShip(e);
    e->bullets.push_back(Bullet(-5, 100, 0, 0, e->bulletSprite, e->masks[2])); // outside
    e->bullets.push_back(Bullet(400, 60, 0, 0, e->bulletSprite, e->masks[2]));  // elsewhere
    game->checkBullets(ship->bullets);
    EXPECT_EQ(0, ship->explosionFrame); // cause 2
    EXPECT_EQ(13, ship->explosionEnd);
    ASSERT_EQ(2u, e->bullets.size());
    EXPECT_EQ(400, e->bullets[1].x);
    EXPECT_EQ(1u, playsOf(sfx(SFX_SHIP_DIES)).size());

    // A kind that never fires is not looked at.
    clearField();
    ship->explosionFrame = -1;
    Enemy* quiet = addEnemy(0, 500, 60);
    enemyShotAtShip(quiet);
    game->checkBullets(ship->bullets);
    EXPECT_LT(ship->explosionFrame, 0);
    EXPECT_EQ(1u, quiet->bullets.size());
}

TEST_F(Collisions, LastCollectablePlaysBothSoundsAndOpensTheExitInTheSameStep)
{
    objectOnShip(game->collectables, OBJ_COLLECTABLE, SPR_COLLECTABLE);
    Object* other = addObject(game->collectables, OBJ_COLLECTABLE, SPR_COLLECTABLE, 80, 30);
    game->checkPlayerCollision();
    EXPECT_EQ(1u, game->collectables.size());
    EXPECT_FALSE(game->exitOpen);
    EXPECT_EQ(10, ship->score);
    EXPECT_EQ(1u, ship->scoreTexts.size());
    ASSERT_EQ(1u, testSeam.sounds.size());

    Spot s = overlapSpot(other->mask, ship->mask, static_cast<int>(ship->x), static_cast<int>(ship->y));
    other->x = s.x;
    other->y = s.y;
    ship->explosionFrame = 3; // an exploding ship still takes it
    game->checkPlayerCollision();
    EXPECT_TRUE(game->collectables.empty());
    EXPECT_TRUE(game->exitOpen);
    EXPECT_EQ(20, ship->score);
    ASSERT_EQ(3u, testSeam.sounds.size());
    EXPECT_EQ(sfx(SFX_COLLECTABLE), testSeam.sounds[1].sample);
    EXPECT_EQ(200, testSeam.sounds[1].volume);
    EXPECT_EQ(static_cast<int>(ship->x / 640 * 255), testSeam.sounds[1].pan);
    EXPECT_EQ(sfx(SFX_ALL_COLLECTED), testSeam.sounds[2].sample);
    EXPECT_EQ(128, testSeam.sounds[2].pan);
}

TEST_F(Collisions, TwoLastCollectablesAtOnceSoundTheAllTakenJingleOnce)
{
    objectOnShip(game->collectables, OBJ_COLLECTABLE, SPR_COLLECTABLE);
    objectOnShip(game->collectables, OBJ_COLLECTABLE, SPR_COLLECTABLE);
    game->checkPlayerCollision();
    EXPECT_TRUE(game->exitOpen);
    EXPECT_EQ(2u, playsOf(sfx(SFX_COLLECTABLE)).size());
    EXPECT_EQ(1u, playsOf(sfx(SFX_ALL_COLLECTED)).size());

    soundOn = false;
    testSeam.sounds.clear();
    objectOnShip(game->collectables, OBJ_COLLECTABLE, SPR_COLLECTABLE);
    game->checkPlayerCollision();
    EXPECT_TRUE(testSeam.sounds.empty());
}

TEST_F(Collisions, HazardGoesWithTheShipWhateverItsState)
{
    Object* far = addObject(game->hazards, OBJ_HAZARD, SPR_HAZARD, 60, 30);
    objectOnShip(game->hazards, OBJ_HAZARD, SPR_HAZARD);
    game->checkPlayerCollision();
    ASSERT_EQ(1u, game->hazards.size());
    EXPECT_EQ(far, game->hazards[0]);
    EXPECT_EQ(0, ship->explosionFrame);

    ship->explosionFrame = 6;
    objectOnShip(game->hazards, OBJ_HAZARD, SPR_HAZARD);
    game->checkPlayerCollision();
    EXPECT_EQ(1u, game->hazards.size());
    EXPECT_EQ(0, ship->explosionFrame); // the explosion starts over
}

TEST_F(Collisions, ShotEnemiesScoreOnlyWhileTheTimeBonusLasts)
{
    bonusScore = 0;
    Enemy* early = addEnemy(6, 100, 100);
    shootAt(early);
    game->checkBullets(ship->bullets);
    EXPECT_TRUE(early->killed);
    EXPECT_EQ(0, ship->score);
    EXPECT_TRUE(ship->scoreTexts.empty());

    bonusScore = 4;
    Enemy* late = addEnemy(6, 300, 60);
    shootAt(late);
    game->checkBullets(ship->bullets);
    EXPECT_TRUE(late->killed);
    EXPECT_EQ(200, ship->score);
}

TEST_F(Collisions, PowerUpsChargeTheirWeaponsAndScoreNothing)
{
    for (int k = 0; k < 3; ++k)
        objectOnShip(game->powerUps, OBJ_POWERUP_FIRST + k, SPR_POWERUP_FIRST + k);
    objectOnShip(game->powerUps, OBJ_POWERUP_FIRST + 1, SPR_POWERUP_FIRST + 1);
    Object* far = addObject(game->powerUps, OBJ_POWERUP_FIRST, SPR_POWERUP_FIRST, 60, 30);
    game->checkPlayerCollision();
    EXPECT_EQ(1, ship->charges[0]);
    EXPECT_EQ(2, ship->charges[1]);
    EXPECT_EQ(1, ship->charges[2]);
    ASSERT_EQ(1u, game->powerUps.size());
    EXPECT_EQ(far, game->powerUps[0]);
    EXPECT_EQ(0, ship->score);
    auto plays = playsOf(sfx(SFX_PICKUP));
    ASSERT_EQ(4u, plays.size());
    EXPECT_EQ(255, plays[0].volume);
}

} // namespace
