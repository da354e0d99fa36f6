#include "support/game_fixture.h"

#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "pmask/pmask.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr unsigned fixedSeed = 20240611u;

} // namespace

void GameFixture::SetUp()
{
    previousDirectory = fs::current_path().string();
    char pattern[] = "/tmp/tarnavel_game_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    directory = pattern;
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat"}) {
        const fs::path source = fs::path(TARNAVEL_DATA_DIR) / name;
        ASSERT_TRUE(fs::exists(source)) << source << " is missing: build the datafiles first";
        fs::create_symlink(source, fs::path(directory) / name);
    }
    fs::current_path(directory);
    game = new MainGameClass();
    srand(fixedSeed);
}

void GameFixture::TearDown()
{
    delete game;
    game = nullptr;
    if (!previousDirectory.empty())
        fs::current_path(previousDirectory);
    if (!directory.empty())
        fs::remove_all(directory);
}

void GameFixture::rebuildGame()
{
    delete game;
    game = new MainGameClass();
    srand(fixedSeed);
}

void GameFixture::clearField()
{
    for (auto* list : {&game->collectables, &game->hazards, &game->powerUps}) {
        for (Object* o : *list)
            delete o;
        list->clear();
    }
    for (Enemy* e : game->enemies)
        delete e;
    game->enemies.clear();
}

void GameFixture::runBatch()
{
    while (speedCounter > 0) {
        game->logicStep();
        --speedCounter;
    }
}

Enemy* GameFixture::addEnemy(int kind, float x, float y)
{
    Enemy* e = new Enemy(kind, game->spritesData, game->explosionData, game->sfxData);
    e->x = x;
    e->y = y;
    e->frame = 0;
    game->enemies.push_back(e);
    return e;
}

Object* GameFixture::addObject(std::vector<Object*>& list, int type, int spriteIndex, int x, int y)
{
    Object* o = new Object(x, y, type, bitmapAt(game->spritesData, spriteIndex), 0, 0);
    list.push_back(o);
    return o;
}

Spot GameFixture::overlapSpot(const PMASK* a, const PMASK* b, int bx, int by,
                              const std::function<bool(int, int)>& accept)
{
    for (int y = by - a->h + 1; y < by + b->h; ++y)
        for (int x = bx - a->w + 1; x < bx + b->w; ++x)
            if (check_pmask_collision(a, b, x, y, bx, by) && (!accept || accept(x, y)))
                return Spot{x, y};
    ADD_FAILURE() << "no overlapping position";
    return Spot{bx, by};
}

void GameFixture::putShipOn(const PMASK* b, int bx, int by)
{
    PlayerShip* ship = game->player;
    const int w = ship->sprite->w;
    const int h = ship->sprite->h;
    Spot s = overlapSpot(ship->mask, b, bx, by, [&](int x, int y) {
        if (x < 0 || x + w > screenWidth || y < 17 || y + h > screenHeight)
            return false;
        for (const Object* o : game->fixedObjects)
            if (o->type == OBJ_HAZARD && o->mask != b && check_pmask_collision(ship->mask, o->mask, x, y, o->x, o->y))
                return false;
        return true;
    });
    ship->x = static_cast<float>(s.x);
    ship->y = static_cast<float>(s.y);
}

void typeKeys(const std::vector<int>& keys)
{
    auto queue = std::make_shared<std::vector<int>>(keys);
    auto next = std::make_shared<size_t>(0);
    testSeam.onWait = [queue, next]() {
        if (!testSeam.keyBuffer.empty() || *next >= queue->size())
            return;
        const int k = (*queue)[(*next)++];
        testSeam.keyBuffer.push_back(k);
        testSeam.keys[KEY_ENTER] = (k >> 8) == KEY_ENTER;
    };
}

void onEachFrame(int limit, std::function<void(int frame)> script)
{
    testSeam.onPresent = [limit, script](int frame) {
        if (frame > limit)
            throw std::runtime_error("the loop did not end within the frame limit");
        if (script)
            script(frame);
    };
}

int keyCode(int scancode, int character) { return scancode << 8 | character; }
