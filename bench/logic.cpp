// The cost of one logic step of play as the field fills: 10, 100 and 1,000
// enemies (every kind in turn, two shots each in flight) against as many
// shots of the ship, on the tenth wave's field. Every step starts from the
// same state: what a step changes (places, hits, deaths, new shots) is put
// back between steps, outside the timed part. Headless: Allegro without a
// system driver, memory bitmaps, the quiet seam.
//
// A logic step has 10 ms; the goal is under half of that at 1,000 and 1,000.
// After Google Benchmark's lines a table gives, per size, the mean step on
// the clock, the mean CPU time of the thread (what the step costs, apart
// from the time a shared machine gives to others) and the slowest step, and
// how the cost grows with the work.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <map>
#include <time.h>
#include <unordered_set>
#include <vector>

namespace {

struct EnemyState {
    bool killed, expired;
    int points;
    float explosionFrame;
    int frame, hitPoints, freezeSecond, fireTimer;
    float x, y, speed;
    int destX, destY;
    std::vector<Bullet> bullets;
};

struct ShipState {
    int lives, extraLifeLevel, score;
    bool specialFired;
    std::vector<Bullet> bullets;
    std::vector<ScoreText> scoreTexts;
    float explosionFrame, explosionEnd, x, y, vx, vy;
    bool fireHeld, selectHeld, specialHeld, destroyed;
    int fireTimer, selectedSpecial;
};

struct Snapshot {
    std::vector<Enemy*> enemies; // replaced when a step deletes one
    std::vector<int> kinds;
    std::vector<EnemyState> enemyStates;
    ShipState ship;
};

Snapshot take(MainGameClass& game)
{
    Snapshot s;
    s.enemies = game.enemies;
    for (size_t i = 0; i < game.enemies.size(); ++i)
        s.kinds.push_back(static_cast<int>(i) % enemyKindCount); // as bench::addEnemies made them
    for (Enemy* e : game.enemies)
        s.enemyStates.push_back({e->killed, e->expired, e->points, e->explosionFrame, e->frame, e->hitPoints,
                                 e->freezeSecond, e->fireTimer, e->x, e->y, e->speed, e->destX, e->destY,
                                 e->bullets});
    const PlayerShip& p = *game.player;
    s.ship = {p.lives, p.extraLifeLevel, p.score, p.specialFired, p.bullets, p.scoreTexts, p.explosionFrame,
              p.explosionEnd, p.x, p.y, p.vx, p.vy, p.fireHeld, p.selectHeld, p.specialHeld, p.destroyed,
              p.fireTimer, p.selectedSpecial};
    return s;
}

void restore(MainGameClass& game, Snapshot& s)
{
    // A step may delete an enemy (rammed by the ship: it is gone at once);
    // it is made anew. Anything a step appended is deleted.
    const std::unordered_set<Enemy*> kept(s.enemies.begin(), s.enemies.end());
    const std::unordered_set<Enemy*> alive(game.enemies.begin(), game.enemies.end());
    for (Enemy* e : game.enemies)
        if (!kept.count(e))
            delete e;
    for (size_t i = 0; i < s.enemies.size(); ++i)
        if (!alive.count(s.enemies[i])) {
            s.enemies[i] = new Enemy(s.kinds[i], game.spritesData, game.explosionData, game.sfxData);
            s.enemies[i]->bullets.clear();
        }
    game.enemies = s.enemies;
    for (size_t i = 0; i < s.enemies.size(); ++i) {
        Enemy* e = s.enemies[i];
        const EnemyState& v = s.enemyStates[i];
        e->killed = v.killed;
        e->expired = v.expired;
        e->points = v.points;
        e->explosionFrame = v.explosionFrame;
        e->frame = v.frame;
        e->hitPoints = v.hitPoints;
        e->freezeSecond = v.freezeSecond;
        e->fireTimer = v.fireTimer;
        e->x = v.x;
        e->y = v.y;
        e->speed = v.speed;
        e->destX = v.destX;
        e->destY = v.destY;
        e->bullets = v.bullets;
    }
    PlayerShip& p = *game.player;
    const ShipState& v = s.ship;
    p.lives = v.lives;
    p.extraLifeLevel = v.extraLifeLevel;
    p.score = v.score;
    p.specialFired = v.specialFired;
    p.bullets = v.bullets;
    p.scoreTexts = v.scoreTexts;
    p.explosionFrame = v.explosionFrame;
    p.explosionEnd = v.explosionEnd;
    p.x = v.x;
    p.y = v.y;
    p.vx = v.vx;
    p.vy = v.vy;
    p.fireHeld = v.fireHeld;
    p.selectHeld = v.selectHeld;
    p.specialHeld = v.specialHeld;
    p.destroyed = v.destroyed;
    p.fireTimer = v.fireTimer;
    p.selectedSpecial = v.selectedSpecial;
    speedCounter = 0;
}

MainGameClass* game = nullptr;

struct Result {
    double meanMs = 0, cpuMs = 0, slowestMs = 0;
};

double threadCpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}
std::map<int, Result> results;

void BM_LogicStep(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    for (Enemy* e : game->enemies)
        delete e;
    game->enemies.clear();
    game->player->bullets.clear();
    std::mt19937 rng(8 + n);
    bench::addEnemies(*game, n, 2, rng);
    bench::addShipShots(*game, n, rng);
    // The step's other work stays the same every time: no enemy entry, no
    // launch of the wandering bonus.
    for (EnemySpawn& slot : game->enemySpawns)
        slot.spawned = true;
    game->bonusLaunchTime = seconds;
    Snapshot start = take(*game);

    double total = 0, cpu = 0, slowest = 0;
    long steps = 0;
    for (auto _ : state) {
        restore(*game, start);
        const double c0 = threadCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        game->logicStep();
        const auto t1 = std::chrono::steady_clock::now();
        cpu += threadCpuSeconds() - c0;
        const double seconds = std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(seconds);
        total += seconds;
        slowest = std::max(slowest, seconds);
        ++steps;
    }
    restore(*game, start);
    state.counters["enemies"] = n;
    state.counters["ship_shots"] = n;
    Result& r = results[n];
    r.meanMs = total / std::max(1L, steps) * 1e3;
    r.cpuMs = cpu / std::max(1L, steps) * 1e3;
    r.slowestMs = slowest * 1e3;
}
BENCHMARK(BM_LogicStep)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!bench::startHeadless())
        return 2;
    bench::enterScratchDir();
    seam = bench::quietSeam(bench::noPresent);
    soundOn = true;
    game = new MainGameClass();
    bench::reachWave(*game, 10);

    benchmark::RunSpecifiedBenchmarks();

    if (results.size() == 3) {
        printf("\nLogic step on the tenth wave's field (goal: under 5 ms at 1000 and 1000)\n");
        printf("%-26s %12s %12s %12s\n", "enemies / ship shots", "mean ms", "CPU ms", "slowest ms");
        for (const auto& [n, r] : results)
            printf("%5d / %-18d %12.4f %12.4f %12.4f\n", n, n, r.meanMs, r.cpuMs, r.slowestMs);
        printf("growth of the CPU time 10 -> 100: x%.1f, 100 -> 1000: x%.1f (x10 linear, x100 quadratic)\n",
               results[100].cpuMs / results[10].cpuMs, results[1000].cpuMs / results[100].cpuMs);
        const Result& big = results[1000];
        printf("1000 / 1000: %.2f ms on the clock, %.2f ms of CPU: %s\n", big.meanMs, big.cpuMs,
               big.meanMs < 5.0   ? "within the goal"
               : big.cpuMs < 5.0  ? "within the goal on CPU time, over it on the clock (the machine is shared)"
                                  : "OVER the goal");
    }
    delete game;
    benchmark::Shutdown();
    return 0;
}
