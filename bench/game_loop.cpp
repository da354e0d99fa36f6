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

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void noMickeys(int* mx, int* my) { *mx = *my = 0; }
int noButtons() { return 0; }
int noPointer() { return 0; }
bool noKey(int) { return false; }
bool noKeyWaiting() { return false; }
int noReadKey() { return 0; }
void noClearKeys() {}
void noPlay(SAMPLE*, int, int, int) {}
int noVoice(SAMPLE*) { return -1; }
void noPriority(int, int) {}
void noVoiceCall(int) {}
void presentPaysTheClock(BITMAP*, int, int) { speedCounter += 1000; }
void noClearScreen(int) {}
void noRest(unsigned int) {}

const Seam silentSeam = {
    noMickeys, noButtons, noPointer, noPointer, noKey, noKeyWaiting, noReadKey, noClearKeys,
    noPlay, noVoice, noPriority, noVoiceCall, noVoiceCall,
    presentPaysTheClock, noClearScreen, noRest,
};

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
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 2;
    set_color_depth(32);
    set_color_conversion(COLORCONV_TOTAL);
    seam = silentSeam;
    soundOn = true;

    const fs::path previous = fs::current_path();
    char pattern[] = "/tmp/tarnavel_bench_XXXXXX";
    if (!mkdtemp(pattern))
        return 2;
    const fs::path scratch = pattern;
    for (const char* name : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat"}) {
        const fs::path source = fs::path(TARNAVEL_DATA_DIR) / name;
        if (!fs::exists(source)) {
            fprintf(stderr, "%s is missing: build the datafiles first\n", source.c_str());
            return 2;
        }
        fs::create_symlink(source, scratch / name);
    }
    fs::current_path(scratch);
    game = new MainGameClass();

    benchmark::RunSpecifiedBenchmarks();

    delete game;
    fs::current_path(previous);
    fs::remove_all(scratch);
    return 0;
}
