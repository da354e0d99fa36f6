// The logic rate of play against CLOCK_MONOTONIC: the game on a real window
// (run under Xvfb by `make bench`) with its 100 Hz and 1 Hz timers, run
// through the play loop's own pieces (logicStep for every owed tick, then
// drawFrame) for 60 seconds, after one second of the same to settle. The
// autopilot flies the ship but never leaves the wave, and the ship cannot run
// out of lives, so no game over and no new wave resets the counter meanwhile.
//
// Reported: the ticks the timer delivered during the 60 s (steps run plus
// steps still owed when the count is read, a few milliseconds after the 60 s;
// goal 6000 +- 1 for the time up to the reading), and the lateness of each
// step: how long after its place on an ideal 10 ms grid it ran, the grid
// anchored at the earliest step (no step can run before its tick).
// TARNAVEL_RATE_SECONDS shortens the run for a quick look;
// TARNAVEL_RATE_DUMP writes every step's time to a file.
#include "bench/bench_support.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double monotonicNow()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

void presentOnScreen(BITMAP* picture, int x, int y)
{
    allegroSeam.present(picture, x, y);
    autopilotSeam.present(picture, x, y);
}

} // namespace

int main()
{
    if (!bench::startOnDisplay("bench_logic_rate", true))
        return 2;
    const double duration = bench::secondsFromEnv("TARNAVEL_RATE_SECONDS", 60.0);
    MainGameClass* game = new MainGameClass();
    engageAutopilot(game, 3);
    autopilot.ticksPerFrame = 0; // Allegro's timer is the clock
    autopilot.skirmish = true;
    seam.present = presentOnScreen;
    game->startGame();
    game->player->lives = 1000000;
    const int startWave = game->wave;

    // One second of play first: ticks the timer thread still owes from the
    // set-up (it catches up on time it was kept from) must not fall into the
    // measured minute.
    speedCounter = 0;
    for (const double warmEnd = monotonicNow() + 1.0; monotonicNow() < warmEnd;) {
        while (speedCounter > 0) {
            game->logicStep();
            speedCounter.fetch_sub(1);
        }
        game->drawFrame();
    }

    std::vector<double> stepTimes;
    stepTimes.reserve(static_cast<size_t>(duration * 100) + 100);
    long frameCount = 0;
    double longestFrame = 0;
    speedCounter = 0;
    const double start = monotonicNow();
    const double end = start + duration;
    int owedAtEnd = 0;
    double readAt = 0;
    for (;;) {
        while (speedCounter > 0) {
            game->logicStep();
            speedCounter.fetch_sub(1);
            stepTimes.push_back(monotonicNow() - start);
        }
        const double before = monotonicNow();
        if (before >= end) {
            // The ticks delivered up to this moment: run plus owed.
            owedAtEnd = speedCounter.load();
            readAt = (before + monotonicNow()) / 2 - start;
            break;
        }
        const double f0 = monotonicNow();
        game->drawFrame();
        const double f1 = monotonicNow();
        longestFrame = std::max(longestFrame, f1 - f0);
        ++frameCount;
    }
    const double measured = monotonicNow() - start;
    const bool sameWave = game->wave == startWave;
    delete game;

    // TARNAVEL_RATE_DUMP names a file for every step's time (seconds from
    // the start), one a line, for a closer look.
    if (const char* dump = getenv("TARNAVEL_RATE_DUMP")) {
        if (FILE* out = fopen(dump, "w")) {
            for (double t : stepTimes)
                fprintf(out, "%.6f\n", t);
            fclose(out);
        }
    }
    const long stepsRun = static_cast<long>(stepTimes.size());
    const long delivered = stepsRun + std::max(0, owedAtEnd);
    double phase = 1e9;
    for (long k = 0; k < stepsRun; ++k)
        phase = std::min(phase, stepTimes[k] - 0.01 * k);
    std::vector<double> lateness(stepsRun);
    for (long k = 0; k < stepsRun; ++k)
        lateness[k] = stepTimes[k] - phase - 0.01 * k;
    std::sort(lateness.begin(), lateness.end());
    auto percentile = [&](double p) {
        return lateness.empty() ? 0.0 : lateness[std::min<long>(stepsRun - 1, static_cast<long>(p * stepsRun))];
    };
    // The count is read a little after the end (after the last batch of
    // steps); the ticks expected are those of the time up to the reading.
    const long expected = static_cast<long>(readAt * 100 + 0.5);

    printf("Logic rate over %.3f s of CLOCK_MONOTONIC (%ld frames drawn, %.0f frames/s)\n", measured, frameCount,
           frameCount / measured);
    printf("ticks delivered in %.4f s: %ld (expected %ld +- 1: %s); steps run: %ld, owed at the end: %d\n",
           readAt, delivered, expected, std::labs(delivered - expected) <= 1 ? "met" : "NOT MET", stepsRun,
           owedAtEnd);
    printf("lateness of a step against the 10 ms grid: median %.3f ms, 99%% %.3f ms, 99.9%% %.3f ms, largest %.3f ms\n",
           percentile(0.5) * 1e3, percentile(0.99) * 1e3, percentile(0.999) * 1e3,
           (lateness.empty() ? 0.0 : lateness.back()) * 1e3);
    printf("longest frame: %.3f ms\n", longestFrame * 1e3);
    if (!sameWave)
        printf("WARNING: the wave changed during the run; its set-up reset the counter\n");
    return 0;
}
END_OF_MAIN()
