// Cost of the play loop's pieces on memory bitmaps: one logic step on a busy
// field, one frame drawn, and a wave set-up at a wave where the hazard
// placement runs out of room. The game object works in a temporary
// directory holding links to the generated datafiles; a silent seam stands
// in for the machine and pays the wave-completed screen's clock at once.
#include "entities/enemy.h"
#include "entities/player_ship.h"
#include "game/main_game.h"
#include "shell/al.h"
#include "shell/globals.h"
#include "shell/seam.h"
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>


namespace {

// Each presented frame owes many steps, so blocking screens end at once.
void presentPaysTheClock(BITMAP*, int, int) { speedCounter += 1000; }

// One game object for every benchmark, built in a scratch directory.
MainGameClass* game = nullptr;

// A wave in progress with `count` enemies of every kind on the field.
void busyField(int wave, int count)
{
    game->startGame();
    game->wave = wave - 1;
    game->nextWave();
    for (int i = 0; i < count; ++i)
        game->enemies.push_back(new Enemy(i % 7, game->spritesData, game->explosionData, game->sfxData));
    speedCounter = 0;
}

void BM_LogicStep(benchmark::State& state)
{
    srand(7);
    busyField(10, static_cast<int>(state.range(0)));
    seconds = 1;
    for (auto _ : state) {
        game->logicStep();
        // Keep the field as it is: a death would wipe the enemies.
        game->player->explosionFrame = -1;
        game->player->destroyed = false;
        game->player->lives = 5;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogicStep)->Arg(0)->Arg(20)->Unit(benchmark::kMicrosecond);

void BM_DrawFrame(benchmark::State& state)
{
    srand(7);
    busyField(10, static_cast<int>(state.range(0)));
    for (auto _ : state)
        game->drawFrame();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawFrame)->Arg(0)->Arg(20)->Unit(benchmark::kMicrosecond);

// Wave 600: 1205 collectables; most hazards find no place within the bound.
void BM_NextWave(benchmark::State& state)
{
    srand(7);
    game->startGame();
    for (auto _ : state) {
        game->wave = static_cast<int>(state.range(0)) - 1;
        bonusScore = 0;
        game->nextWave();
        benchmark::DoNotOptimize(game->hazards.size());
    }
    state.counters["hazards"] = static_cast<double>(game->hazards.size());
}
BENCHMARK(BM_NextWave)->Arg(2)->Arg(30)->Arg(600)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!bench::startHeadless())
        return 2;
    seam = bench::quietSeam(presentPaysTheClock);
    soundOn = true;
    bench::enterScratchDir();
    game = new MainGameClass();

    benchmark::RunSpecifiedBenchmarks();

    delete game;
    return 0;
}
