// Resident memory over MINUTES (default 10) of play of the real game object
// on a real window (bench/rss.sh runs it under Xvfb) at the game's own pace:
// Allegro's timers drive the clock, the autopilot flies, ends each game with
// Escape after two minutes and types a name when the table asks for one. VmRSS
// is read every 5 s. Goal: under 24 MB and flat (the growth from the end of
// the first minute to the end).
#include "bench/bench_support.h"

#include <time.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Sample {
    double at;
    long kb;
};
std::vector<Sample> samples;
double start, end, gameEnd;
int highestWave;

double now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

long residentKb()
{
    long kb = 0;
    char line[256];
    FILE* status = fopen("/proc/self/status", "r");
    while (status && fgets(line, sizeof line, status))
        if (strncmp(line, "VmRSS:", 6) == 0)
            kb = atol(line + 6);
    if (status)
        fclose(status);
    return kb;
}

void presentAndWatch(BITMAP* picture, int x, int y)
{
    allegroSeam.present(picture, x, y);
    const double t = now();
    if (samples.empty() || t - start >= samples.back().at + 5)
        samples.push_back({t - start, residentKb()});
    autopilot.escape = t >= gameEnd || t >= end;
    highestWave = std::max(highestWave, autopilot.game->wave);
    autopilotSeam.present(picture, x, y);
}

} // namespace

int main(int argc, char** argv)
{
    const double minutes = argc > 1 ? atof(argv[1]) : 10;
    if (!bench::startOnDisplay("rss_play", true))
        return 2;
    MainGameClass* game = new MainGameClass();
    engageAutopilot(game, 8);
    autopilot.ticksPerFrame = 0;
    seam.present = presentAndWatch;
    start = now();
    end = start + minutes * 60;
    int games = 0;
    for (; now() < end; ++games) {
        gameEnd = now() + 120;
        game->playGame();
    }
    delete game;

    long largest = 0, afterMinute = samples.front().kb;
    for (const Sample& s : samples) {
        largest = std::max(largest, s.kb);
        if (s.at <= 60)
            afterMinute = s.kb;
    }
    printf("Resident memory over %.0f s of play (%d games, highest wave %d): start %.1f MB, after 1 min %.1f MB, "
           "end %.1f MB, largest %.1f MB; growth after the first minute %+ld KB (goal: under 24 MB and flat)\n",
           samples.back().at, games, highestWave, samples.front().kb / 1024.0,
           afterMinute / 1024.0, samples.back().kb / 1024.0, largest / 1024.0, samples.back().kb - afterMinute);
    return 0;
}
END_OF_MAIN()
