// What the game costs the machine while a player looks at it: the process's
// CPU time (every thread, Allegro's included) over BENCH_QUIET_SECONDS
// (default 5) of the real main menu and then of real play, on a window
// under Xvfb (`make bench`), with the game's own timers and screen. The
// ship gets no input. Each screen is left through the quit request, as the
// window's close button leaves it. Goals: at most 10% of a core in either,
// and at least 95 pictures a second in play.
#include "bench/bench_support.h"

#include <sys/resource.h>
#include <time.h>

#include <cstdio>

namespace {

double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double cpuSeconds()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double deadline = 0;
long pictures = 0;

void countingPresent(BITMAP* picture, int x, int y)
{
    allegroSeam.present(picture, x, y);
    ++pictures;
    if (now() >= deadline)
        quitRequested = true;
}

template <typename Screen>
void measure(const char* name, double seconds, Screen screen)
{
    quitRequested = false;
    pictures = 0;
    const double cpu0 = cpuSeconds();
    const double t0 = now();
    deadline = t0 + seconds;
    screen();
    const double wall = now() - t0;
    const double cpu = cpuSeconds() - cpu0;
    printf("%-5s %5.1f s: %5.1f%% of a core, %6.1f pictures a second\n", name, wall, 100.0 * cpu / wall,
           pictures / wall);
}

} // namespace

int main()
{
    if (!bench::startOnDisplay("bench_quiet_cpu", true))
        return 2;
    const double seconds = bench::secondsFromEnv("BENCH_QUIET_SECONDS", 5.0);
    install_keyboard();
    install_mouse();
    MainGameClass* game = new MainGameClass();
    seam.present = countingPresent;

    printf("bench_quiet_cpu: the game's CPU over %.0f s on a %d-bit window (goal: at most 10%%; play at least 95 "
           "pictures a second)\n",
           seconds, bitmap_color_depth(screen));
    measure("menu", seconds, [&] { game->mainMenu(); });
    measure("play", seconds, [&] { game->playGame(); });
    quitRequested = false;
    delete game;
    return 0;
}
