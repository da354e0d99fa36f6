// The play loop as a whole, headless: a seeded game of 20,000 logic steps
// (200 s of play) flown by the autopilot through the real playGame, with its
// frames, wave set-ups, wave-completed screens, deaths and name entries; the
// items per second are logic steps. Then the wave set-up alone, at an early
// wave, a middle one and one where the hazard placement runs out of room.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>

namespace {

MainGameClass* game = nullptr;
constexpr long playedSteps = 20000;

void presentUntilDone(BITMAP* picture, int x, int y)
{
    autopilot.escape = autopilot.ticks >= playedSteps;
    autopilotSeam.present(picture, x, y);
}

void BM_PlayedGame(benchmark::State& state)
{
    int wave = 0;
    for (auto _ : state) {
        engageAutopilot(game, 1);
        seam.present = presentUntilDone;
        srand(1);
        seconds = 0;
        while (!autopilot.escape)
            game->playGame();
        wave = game->wave;
    }
    state.SetItemsProcessed(state.iterations() * playedSteps);
    state.counters["last_wave"] = wave;
}
BENCHMARK(BM_PlayedGame)->Iterations(3)->Unit(benchmark::kMillisecond);

// Wave 600: 1205 collectables; most hazards find no place within the bound.
void BM_NextWave(benchmark::State& state)
{
    engageAutopilot(nullptr, 1);
    autopilot.ticksPerFrame = 1000; // the wave-completed screen ends at once
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
    soundOn = true;
    bench::enterScratchDir();
    game = new MainGameClass();
    benchmark::RunSpecifiedBenchmarks();
    delete game;
    return 0;
}
