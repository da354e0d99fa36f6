// A short run of the entities together: the ship steered round the field by
// scripted mouse motion, firing as it goes, the wandering bonus bouncing and
// enemies of every kind roaming, shooting and laying mines, for eight
// seconds of logic steps. The last frame, and the same frame with the paths
// taken, are saved in the working directory as entities_demo.bmp and
// entities_demo_paths.bmp for a person to look at.
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "pmask/pmask.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "support/fake_data.h"
#include "support/test_seam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

namespace {

constexpr int W = 640;
constexpr int H = 480;

// The game's datafiles when a run directory holds them, else the fakes.
class DemoData {
public:
    DemoData()
    {
        const char* env = getenv("TARNAVEL_DATA_DIR");
        const std::string dir = env && *env ? env : TARNAVEL_DATA_DIR;
        sprites = load(dir, spritesCatalogue);
        explosion = load(dir, explosionCatalogue);
        misc = load(dir, miscCatalogue);
        sfx = load(dir, sfxCatalogue);
        if (!sprites || !explosion || !misc || !sfx) {
            unloadAll();
            fake = std::make_unique<FakeGameData>();
            sprites = fake->sprites;
            explosion = fake->explosion;
            misc = fake->misc;
            sfx = fake->sfx;
        }
    }
    ~DemoData()
    {
        if (!fake)
            unloadAll();
    }
    bool real() const { return !fake; }
    FONT* textFont() const { return real() ? fontAt(misc, MISC_FONT_SMALL) : font; }

    DATAFILE* sprites = nullptr;
    DATAFILE* explosion = nullptr;
    DATAFILE* misc = nullptr;
    DATAFILE* sfx = nullptr;

private:
    static DATAFILE* load(const std::string& dir, const CatalogueFile& file)
    {
        DATAFILE* data = load_datafile((dir + "/" + file.fileName).c_str());
        if (data && !checkDatafile(data, file).empty()) {
            unload_datafile(data);
            return nullptr;
        }
        return data;
    }
    void unloadAll()
    {
        for (DATAFILE* d : {sprites, explosion, misc, sfx})
            if (d)
                unload_datafile(d);
        sprites = explosion = misc = sfx = nullptr;
    }

    std::unique_ptr<FakeGameData> fake;
};

// Mouse motion that steers the ship towards a point: the speed change wanted
// this step, in mickeys.
void steerTowards(const PlayerShip& ship, float tx, float ty)
{
    auto wanted = [](float from, float to) { return std::max(-3.0f, std::min(3.0f, (to - from) / 25)); };
    testSeam.mickeyX = static_cast<int>(std::lround((wanted(ship.x, tx) - ship.vx) * 100 / mouseSens));
    testSeam.mickeyY = static_cast<int>(std::lround((wanted(ship.y, ty) - ship.vy) * 100 / mouseSens));
}

TEST(EntitiesDemo, ShipAndEveryEnemyKindRoamTheFieldForEightSeconds)
{
    ScopedTestSeam testSeamScope;
    DemoData data;
    std::printf("[ demo    ] %s datafiles\n", data.real() ? "the game's" : "fake");
    srand(2024);

    PlayerShip ship(data.sprites, data.explosion, sampleAt(data.sfx, SFX_SHIP_FIRES),
                    sampleAt(data.sfx, SFX_SHIP_DIES), sampleAt(data.sfx, SFX_EXTRA_LIFE));
    std::vector<Object*> fixed = {
        new Object(W / 2 - 70, H - 40, OBJ_HAZARD, bitmapAt(data.sprites, SPR_HAZARD_BOTTOM), 0, 0),
        new Object(0, H / 2 - 37, OBJ_HAZARD, bitmapAt(data.sprites, SPR_HAZARD_LEFT), 0, 0),
        new Object(W - 58, H / 2 - 37, OBJ_HAZARD, bitmapAt(data.sprites, SPR_HAZARD_RIGHT), 0, 0),
        new Object(W / 2 - 21, H - 10, OBJ_EXIT_GATE, bitmapAt(data.sprites, SPR_EXIT_GATE), 0, 0),
        new Object(57, H / 2, OBJ_WANDERING_BONUS, bitmapAt(data.sprites, SPR_WANDERING_BONUS), 3, 2),
    };
    Object* bonus = fixed[4];
    std::vector<Object*> pickups = {
        new Object(200, 150, OBJ_COLLECTABLE, bitmapAt(data.sprites, SPR_COLLECTABLE), 0, 0),
        new Object(420, 330, OBJ_COLLECTABLE, bitmapAt(data.sprites, SPR_COLLECTABLE), 0, 0),
        new Object(330, 120, OBJ_POWERUP_FIRST + 1, bitmapAt(data.sprites, SPR_POWERUP_FIRST + 1), 0, 0),
    };

    // One enemy of every kind, then a second wave of them a second later.
    std::vector<Enemy*> enemies;
    for (int kind = 0; kind < enemyKindCount; ++kind)
        enemies.push_back(new Enemy(kind, data.sprites, data.explosion, data.sfx));

    BITMAP* frame = create_bitmap(W, H);
    BITMAP* paths = create_bitmap(W, H);
    clear_to_color(paths, bitmap_mask_color(paths));

    // A loop round the open middle of the field, clear of the hazards.
    const float waypoints[][2] = {{120, 60}, {500, 60}, {500, 380}, {120, 380}};
    int waypoint = 0, waypointsReached = 0;
    int shipBullets = 0, kills = 0;
    float minShipY = H;
    const int steps = 800;
    for (int step = 1; step <= steps; ++step) {
        if (step == 150)
            for (int kind = 0; kind < enemyKindCount; ++kind)
                enemies.push_back(new Enemy(kind, data.sprites, data.explosion, data.sfx));

        for (Enemy* e : enemies)
            e->move(static_cast<int>(ship.x), static_cast<int>(ship.y));
        ship.moveBullets();

        // The ship's shots against the enemies, simply: the game's rules live elsewhere.
        for (Bullet& b : ship.bullets) {
            b.hit = b.hit || b.checkForOutside();
            for (Enemy* e : enemies)
                if (e->hitPoints > 0 &&
                    check_pmask_collision(e->masks[e->frame], ship.bulletMask, static_cast<int>(e->x),
                                          static_cast<int>(e->y), static_cast<int>(b.x),
                                          static_cast<int>(b.y))) {
                    e->takeDamage(1, 2, true);
                    if (e->killed) {
                        ++kills;
                        ship.addScore(e->points, static_cast<int>(e->x + e->images[0]->w / 2),
                                      static_cast<int>(e->y));
                    }
                    b.hit = true;
                }
        }
        ship.bullets.erase(std::remove_if(ship.bullets.begin(), ship.bullets.end(),
                                          [](const Bullet& b) { return b.hit; }),
                           ship.bullets.end());
        for (Enemy*& e : enemies) {
            e->bullets.erase(std::remove_if(e->bullets.begin(), e->bullets.end(),
                                            [](Bullet& b) { return b.checkForOutside(); }),
                             e->bullets.end());
            if (e->killed && e->explosionFrame >= 13) {
                const int kind = static_cast<int>(&e - &enemies[0]) % enemyKindCount;
                delete e;
                e = new Enemy(kind, data.sprites, data.explosion, data.sfx); // every kind stays in play
            }
        }

        // The scripted mouse: round the loop, a click every 25 steps.
        const float* target = waypoints[waypoint];
        if (std::hypot(ship.x - target[0], ship.y - target[1]) < 20) {
            waypoint = (waypoint + 1) % 4;
            ++waypointsReached;
        }
        steerTowards(ship, waypoints[waypoint][0], waypoints[waypoint][1]);
        testSeam.buttons = step % 25 == 0 ? 1 : 0;
        const size_t before = ship.bullets.size();
        const int result = ship.move(fixed);
        shipBullets += static_cast<int>(ship.bullets.size() - before);
        if (result == 1)
            ship.die(2);
        if (result == 3)
            ship.addScore(2000, static_cast<int>(ship.x), static_cast<int>(ship.y));
        if (ship.destroyed) {
            --ship.lives;
            ship.reset();
        }
        bonus->move(sampleAt(data.sfx, SFX_BONUS_BOUNCE));

        ASSERT_GE(ship.x, 0.0f) << "step " << step;
        ASSERT_LE(ship.x + ship.sprite->w, W) << "step " << step;
        ASSERT_LE(ship.y + ship.sprite->h, H) << "step " << step;
        minShipY = std::min(minShipY, ship.y);
        // Wanderers keep to their destinations; chasers may follow the ship
        // up to a step beyond its top bound.
        for (Enemy* e : enemies) {
            ASSERT_GE(e->x, 0.0f);
            ASSERT_LE(e->x + e->images[0]->w, W);
            ASSERT_GE(e->y, e->homing ? 17.0f - 4.5f - e->speed : 17.0f);
            ASSERT_LE(e->y + e->images[0]->h, H);
        }

        putpixel(paths, static_cast<int>(ship.x) + ship.sprite->w / 2,
                 static_cast<int>(ship.y) + ship.sprite->h / 2, makecol(255, 255, 0));
        for (size_t i = 0; i < enemies.size(); ++i)
            putpixel(paths, static_cast<int>(enemies[i]->x) + enemies[i]->images[0]->w / 2,
                     static_cast<int>(enemies[i]->y) + enemies[i]->images[0]->h / 2,
                     makecol(0, 255, 255));

        advanceTicks(1);
    }

    // The picture of the last step, as the play loop draws it.
    clear_to_color(frame, makecol(0, 0, 0));
    for (Object* o : pickups)
        o->draw(frame);
    for (Enemy* e : enemies)
        e->draw(frame);
    ship.draw(frame, data.textFont());
    for (Object* o : fixed)
        o->draw(frame);
    ship.drawInfo(frame, 1, data.textFont(), 100);
    save_bitmap("entities_demo.bmp", frame, nullptr);
    draw_sprite(frame, paths, 0, 0);
    save_bitmap("entities_demo_paths.bmp", frame, nullptr);

    EXPECT_EQ(8, seconds.load());
    EXPECT_GE(waypointsReached, 4) << "the ship went once round the field";
    EXPECT_GE(minShipY, 17.0f - 4.5f);
    EXPECT_GT(shipBullets, 10);
    size_t enemyShots = 0;
    for (Enemy* e : enemies)
        enemyShots += e->bullets.size();
    EXPECT_GT(playsOf(sampleAt(data.sfx, SFX_ENEMY_FIRES)).size(), 3u) << "kinds 2, 4 and 5 shoot";
    EXPECT_GT(enemyShots + kills, 0u);
    std::printf("[ demo    ] %d shots, %d enemies destroyed, score %d, %d lives\n", shipBullets, kills,
                ship.score, ship.lives);

    for (Enemy* e : enemies)
        delete e;
    for (Object* o : fixed)
        delete o;
    for (Object* o : pickups)
        delete o;
    destroy_bitmap(paths);
    destroy_bitmap(frame);
}

} // namespace

namespace {

TEST(FakeData, FollowsTheCatalogueWithAColourOfItsOwnForEveryPicture)
{
    FakeGameData data;
    std::vector<std::pair<FakeDatafile*, const CatalogueFile*>> files = {
        {&data.sprites, &spritesCatalogue}, {&data.explosion, &explosionCatalogue},
        {&data.misc, &miscCatalogue}, {&data.sfx, &sfxCatalogue}};
    std::set<int> colours;
    int pictures = 0;
    for (auto& [fake, catalogue] : files) {
        EXPECT_EQ("", checkDatafile(fake->data(), *catalogue)) << catalogue->fileName;
        EXPECT_EQ(DAT_END, fake->data()[catalogue->count].type);
        for (int i = 0; i < catalogue->count; ++i) {
            if (fake->data()[i].type != DAT_BITMAP)
                continue;
            ++pictures;
            const int colour = fakeColor(*catalogue, i);
            colours.insert(colour);
            EXPECT_NE(bitmap_mask_color(fake->bitmap(i)), colour);
            const FakeBitmapLayout layout = defaultFakeBitmap(*catalogue, i);
            EXPECT_EQ(layout.w, fake->bitmap(i)->w);
            EXPECT_EQ(layout.h, fake->bitmap(i)->h);
        }
    }
    EXPECT_EQ(static_cast<size_t>(pictures), colours.size());

    // Replacing a picture keeps the file whole.
    BITMAP* gate = data.sprites.setBitmap(SPR_EXIT_GATE, 30, 6, FakeShape::Outline);
    EXPECT_EQ(gate, bitmapAt(data.sprites, SPR_EXIT_GATE));
    EXPECT_EQ(bitmap_mask_color(gate), getpixel(gate, 15, 3));
    EXPECT_EQ(fakeColor(spritesCatalogue, SPR_EXIT_GATE), getpixel(gate, 0, 3));
    EXPECT_EQ("", checkDatafile(data.sprites, spritesCatalogue));
}

} // namespace
