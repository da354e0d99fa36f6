#include "support/game_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

struct RanAway : std::runtime_error { using runtime_error::runtime_error; };

} // namespace

void GameFixture::SetUp()
{
    previousDirectory = fs::current_path().string();
    char pattern[] = "/tmp/tarnavel_game_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    directory = pattern;
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat", "music.dat"}) {
        ASSERT_TRUE(fs::exists(fs::path(TARNAVEL_DATA_DIR) / name)) << name << " is missing: build the datafiles";
        fs::create_symlink(fs::path(TARNAVEL_DATA_DIR) / name, fs::path(directory) / name);
    }
    fs::current_path(directory), rebuildGame();
}

void GameFixture::TearDown()
{
    delete game, game = nullptr;
    if (!directory.empty())
        fs::current_path(previousDirectory), fs::remove_all(directory);
}

void GameFixture::rebuildGame() { delete game, game = new MainGameClass(), srand(20240611u); }

void GameFixture::clearField()
{
    for (auto* list : {&game->collectables, &game->hazards, &game->powerUps})
        deleteAll(*list);
    deleteAll(game->enemies);
}

void GameFixture::runBatch()
{
    for (; speedCounter > 0; --speedCounter)
        game->logicStep();
}

Enemy* GameFixture::addEnemy(int kind, float x, float y)
{
    Enemy* e = new Enemy(kind, game->spritesData, game->explosionData, game->sfxData);
    e->x = x, e->y = y, e->frame = 0;
    return game->enemies.push_back(e), e;
}

Object* GameFixture::addObject(std::vector<Object*>& list, int type, int spriteIndex, int x, int y)
{
    return list.push_back(new Object(x, y, type, bitmapAt(game->spritesData, spriteIndex), 0, 0)), list.back();
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
    const Spot s = overlapSpot(ship->mask, b, bx, by, [&](int x, int y) {
        bool free = x >= 0 && x + ship->sprite->w <= screenWidth && y >= 17 && y + ship->sprite->h <= screenHeight;
        for (const Object* o : game->fixedObjects)
            free = free && (o->type != OBJ_HAZARD || !check_pmask_collision(ship->mask, o->mask, x, y, o->x, o->y));
        return free;
    });
    ship->x = static_cast<float>(s.x), ship->y = static_cast<float>(s.y);
}

int GameFixture::runScreen(const std::function<void()>& screen, const std::vector<MouseAt>& script, int lastFrame,
                           const std::function<void(int frame)>& inspect)
{
    testSeam.presents = 0;
    // A script that clicks starts past the first steps, in which a screen
    // takes no press.
    const bool clicks = std::any_of(script.begin(), script.end(), [](const MouseAt& m) { return m.buttons & (tap | 1); });
    onEachFrame(lastFrame, [script, inspect, clicks](int frame) {
        if (frame == 1 && clicks)
            advanceTicks(doubleClickSteps);
        if (inspect)
            inspect(frame);
        for (const MouseAt& m : script)
            if (m.frame == frame) {
                testSeam.leftPresses += (m.buttons & (tap | 1)) && !(testSeam.buttons & 1);
                testSeam.pointerX = m.x, testSeam.pointerY = m.y, testSeam.buttons = m.buttons & ~tap;
            }
    });
    try {
        screen();
    } catch (const RanAway&) {
        ADD_FAILURE() << "the screen still ran at frame " << lastFrame + 1;
    }
    return testSeam.presents;
}

void typeKeys(const std::vector<int>& keys)
{
    auto queue = std::make_shared<std::deque<int>>(keys.begin(), keys.end());
    testSeam.onWait = [queue] {
        if (testSeam.keyBuffer.empty() && !queue->empty()) {
            testSeam.keys[KEY_ENTER] = queue->front() >> 8 == KEY_ENTER;
            testSeam.keyBuffer.push_back(queue->front()), queue->pop_front();
        }
    };
}

std::set<std::string> listing()
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator("."))
        names.insert(e.path().filename().string());
    return names;
}

void onEachFrame(int limit, std::function<void(int frame)> script)
{
    testSeam.onPresent = [limit, script](int frame) {
        if (frame > limit)
            throw RanAway("the loop did not end within its frame limit");
        if (script)
            script(frame);
    };
}
