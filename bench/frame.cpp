// A busy frame of play against a bare frame, on a real 640 x 480 window
// (run under Xvfb by `make bench`), at 16 and at 32 bits.
//
// The busy frame is the game's own drawFrame over a field like the tenth
// wave (see buildBusyField): it draws everything into the back buffer and
// puts the buffer on the screen. The bare frame only clears the same buffer
// and puts it on the screen. A third loop draws the busy frame with the
// still pictures (status line, fixed objects, collectables, power-ups,
// hazards) taken from their bitmaps by draw_sprite rather than from their
// run-length data, as the game drew them before. The three run in the same
// process, in short rounds taken in turn, so that a change in the machine's
// load falls on all alike; each round ends when the X server has taken every
// picture (XSync). The ratio of busy to bare frame rates, the median of the
// rounds, is the figure of merit (goal: 0.8 or more). Then the same loops run
// with the screen left out, timed by this thread's processor time, which
// gives the drawing time in memory alone.
#include "bench/bench_support.h"

#include <xalleg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Many short rounds: each triple (bare, busy, busy from bitmaps) gives
// ratios, and the median is reported beside the totals, so that a burst of
// load elsewhere on the machine moves one round, not the figure.
constexpr int rounds = 40;
constexpr double roundSeconds = 0.1;

void presentOnScreen(BITMAP* picture, int x, int y) { allegroSeam.present(picture, x, y); }

void waitForServer()
{
    XLOCK();
    XSync(_xwin.display, False);
    XUNLOCK();
}

double threadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct Tally {
    long frames = 0;
    double seconds = 0;
    std::vector<double> perRound; // frames per second, or microseconds per frame

    double fps() const { return frames / seconds; }
};

// Runs `frame` for about `seconds` of wall time. On the screen, counts the
// frames and the wall time they took, the X server's share included; in
// memory, the microseconds of processor time per frame.
template <typename Frame>
void runRound(Frame frame, bool onScreen, double seconds, Tally& tally)
{
    const auto start = Clock::now();
    const double cpuStart = threadSeconds();
    const auto until = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    long n = 0;
    do {
        frame();
        ++n;
    } while (Clock::now() < until);
    if (onScreen)
        waitForServer();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    tally.frames += n;
    tally.seconds += wall;
    tally.perRound.push_back(onScreen ? n / wall : (threadSeconds() - cpuStart) / n * 1e6);
}

double quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (at - static_cast<double>(below)) * (values[above] - values[below]);
}

// Per-round ratios a / b.
std::vector<double> ratios(const Tally& a, const Tally& b)
{
    std::vector<double> r;
    for (size_t i = 0; i < a.perRound.size() && i < b.perRound.size(); ++i)
        r.push_back(a.perRound[i] / b.perRound[i]);
    return r;
}

// Every run-length picture of the field and the status line, swapped with
// the pointers kept in `spare` (nulls at first): with nulls in place the
// game draws those pictures from their bitmaps.
void swapRuns(MainGameClass& game, std::vector<RLE_SPRITE*>& spare)
{
    std::vector<RLE_SPRITE**> runs = {&game.player->panelRuns, &game.player->iconRuns[0],
                                      &game.player->iconRuns[1], &game.player->iconRuns[2]};
    for (auto* list : {&game.fixedObjects, &game.collectables, &game.powerUps, &game.hazards})
        for (Object* o : *list)
            runs.push_back(&o->runs);
    spare.resize(runs.size(), nullptr);
    for (size_t i = 0; i < runs.size(); ++i)
        std::swap(*runs[i], spare[i]);
}

struct DepthResult {
    bool ok = false;
    Tally bare, busy, plain;          // on the screen
    Tally bareMem, busyMem, plainMem; // in memory
};

DepthResult measureDepth(int depth)
{
    DepthResult r;
    set_color_depth(depth);
    if (set_gfx_mode(GFX_AUTODETECT_WINDOWED, screenWidth, screenHeight, 0, 0) != 0) {
        printf("%d bits: no window mode (%s)\n", depth, allegro_error);
        return r;
    }
    set_color_conversion(COLORCONV_TOTAL);
    text_mode(-1);
    seam = bench::quietSeam(presentOnScreen);
    MainGameClass* game = new MainGameClass();
    bench::buildBusyField(*game, 10);

    std::vector<RLE_SPRITE*> spare;
    auto busy = [game] { game->drawFrame(); };
    auto plain = [game, &spare] {
        swapRuns(*game, spare);
        game->drawFrame();
        swapRuns(*game, spare);
    };
    auto bare = [game] {
        clear_bitmap(game->buffer);
        seam.present(game->buffer, 0, 0);
    };

    Tally warm;
    runRound(bare, true, 0.3, warm);
    runRound(busy, true, 0.3, warm);
    runRound(plain, true, 0.3, warm);
    for (int i = 0; i < rounds; ++i) {
        runRound(bare, true, roundSeconds, r.bare);
        runRound(busy, true, roundSeconds, r.busy);
        runRound(plain, true, roundSeconds, r.plain);
    }

    seam.present = bench::noPresent;
    for (int i = 0; i < rounds; ++i) {
        runRound(bare, false, roundSeconds / 2, r.bareMem);
        runRound(busy, false, roundSeconds / 2, r.busyMem);
        runRound(plain, false, roundSeconds / 2, r.plainMem);
    }

    delete game;
    seam = allegroSeam;
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    r.ok = true;
    return r;
}

} // namespace

int main()
{
    if (!bench::startOnDisplay("bench_frame", false))
        return 2;

    DepthResult results[2];
    const int depths[2] = {16, 32};
    for (int i = 0; i < 2; ++i)
        results[i] = measureDepth(depths[i]);

    printf("\nBusy play frame against a bare clear-and-copy frame, 640 x 480 window (goal: ratio >= 0.8)\n");
    printf("still pictures from run-length data (busy) and from their bitmaps (as before); %d rounds of %.2f s "
           "each, in turn\n",
           rounds, roundSeconds);
    printf("%-6s %9s %9s %9s %14s %17s %14s\n", "depth", "bare fps", "busy fps", "ratio", "median (q1..q3)",
           "before: busy fps", "median ratio");
    bool allMet = true;
    for (int i = 0; i < 2; ++i) {
        const DepthResult& r = results[i];
        if (!r.ok) {
            allMet = false;
            continue;
        }
        const std::vector<double> busyRatios = ratios(r.busy, r.bare);
        const double median = quantile(busyRatios, 0.5);
        allMet = allMet && median >= 0.8;
        printf("%-6d %9.0f %9.0f %9.2f %5.2f (%.2f..%.2f) %17.0f %14.2f\n", depths[i], r.bare.fps(), r.busy.fps(),
               r.busy.fps() / r.bare.fps(), median, quantile(busyRatios, 0.25), quantile(busyRatios, 0.75),
               r.plain.fps(), quantile(ratios(r.plain, r.bare), 0.5));
    }
    printf("\nIn memory alone (screen left out), processor microseconds per frame, medians of %d rounds\n", rounds);
    printf("%-6s %9s %9s %17s %22s\n", "depth", "bare", "busy", "before: busy", "still pictures saved");
    for (int i = 0; i < 2; ++i) {
        const DepthResult& r = results[i];
        if (!r.ok)
            continue;
        std::vector<double> saved;
        for (size_t k = 0; k < r.busyMem.perRound.size(); ++k)
            saved.push_back(r.plainMem.perRound[k] - r.busyMem.perRound[k]);
        printf("%-6d %9.1f %9.1f %17.1f %22.1f\n", depths[i], quantile(r.bareMem.perRound, 0.5),
               quantile(r.busyMem.perRound, 0.5), quantile(r.plainMem.perRound, 0.5), quantile(saved, 0.5));
    }
    printf("(bare: the clear alone)\n");
    printf("%s\n", allMet ? "both depths meet the goal (median ratio)" : "GOAL NOT MET at some depth (median ratio)");
    return 0;
}
END_OF_MAIN()
