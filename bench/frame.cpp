// A busy frame of play against a bare frame, on a real 640 x 480 window
// (run under Xvfb by `make bench`), at 16 and at 32 bits.
//
// The busy frame is the game's own drawFrame over a field like the tenth
// wave (see buildBusyField): it draws everything into the back buffer and
// puts the buffer on the screen. The bare frame only clears the same buffer
// and puts it on the screen. Both run in the same process, in alternating
// rounds, so that a change in the machine's load falls on both alike; each
// round ends when the X server has taken every picture (XSync). The ratio of
// the frame rates is the figure of merit (goal: 0.8 or more). Then the same
// two loops run with the screen left out, which gives the drawing time in
// memory alone.
#include "bench/bench_support.h"

#include <xalleg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Many short rounds: each pair (bare, busy) gives a ratio, and the median
// pair is reported beside the totals, so that a burst of load elsewhere on
// the machine moves one pair, not the figure.
constexpr int rounds = 30;
constexpr double roundSeconds = 0.15;

void presentOnScreen(BITMAP* picture, int x, int y) { allegroSeam.present(picture, x, y); }

void waitForServer()
{
    XLOCK();
    XSync(_xwin.display, False);
    XUNLOCK();
}

// Runs `frame` for about `seconds`; returns frames and the time they took,
// the X server's share included when `onScreen`.
template <typename Frame>
void runRound(Frame frame, bool onScreen, double seconds, long& frames, double& elapsed)
{
    const auto start = Clock::now();
    const auto until = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    long n = 0;
    do {
        frame();
        ++n;
    } while (Clock::now() < until);
    if (onScreen)
        waitForServer();
    frames += n;
    elapsed += std::chrono::duration<double>(Clock::now() - start).count();
}

struct DepthResult {
    bool ok = false;
    double bareFps = 0, busyFps = 0, medianRatio = 0, bareMemoryUs = 0, busyMemoryUs = 0;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

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

    auto busy = [game] { game->drawFrame(); };
    auto bare = [game] {
        clear_bitmap(game->buffer);
        seam.present(game->buffer, 0, 0);
    };

    long bareFrames = 0, busyFrames = 0, warm = 0;
    double bareTime = 0, busyTime = 0, ignored = 0;
    runRound(bare, true, 0.3, warm, ignored);
    runRound(busy, true, 0.3, warm, ignored);
    std::vector<double> ratios;
    for (int i = 0; i < rounds; ++i) {
        long bareN = 0, busyN = 0;
        double bareT = 0, busyT = 0;
        runRound(bare, true, roundSeconds, bareN, bareT);
        runRound(busy, true, roundSeconds, busyN, busyT);
        ratios.push_back((busyN / busyT) / (bareN / bareT));
        bareFrames += bareN;
        bareTime += bareT;
        busyFrames += busyN;
        busyTime += busyT;
    }
    r.bareFps = bareFrames / bareTime;
    r.busyFps = busyFrames / busyTime;
    r.medianRatio = median(ratios);

    seam.present = bench::noPresent;
    bareFrames = busyFrames = 0;
    bareTime = busyTime = 0;
    std::vector<double> bareUs, busyUs;
    for (int i = 0; i < rounds / 2; ++i) {
        long bareN = 0, busyN = 0;
        double bareT = 0, busyT = 0;
        runRound(bare, false, roundSeconds / 2, bareN, bareT);
        runRound(busy, false, roundSeconds / 2, busyN, busyT);
        bareUs.push_back(bareT / bareN * 1e6);
        busyUs.push_back(busyT / busyN * 1e6);
    }
    r.bareMemoryUs = median(bareUs);
    r.busyMemoryUs = median(busyUs);

    delete game;
    seam = allegroSeam;
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    r.ok = true;
    return r;
}

} // namespace

int main()
{
    if (allegro_init() != 0 || !getenv("DISPLAY")) {
        printf("bench_frame needs an X display (make bench starts Xvfb)\n");
        return 2;
    }
    install_timer();
    bench::enterScratchDir();
    soundOn = false;

    DepthResult results[2];
    const int depths[2] = {16, 32};
    for (int i = 0; i < 2; ++i)
        results[i] = measureDepth(depths[i]);

    printf("\nBusy play frame against a bare clear-and-copy frame, 640 x 480 window (goal: ratio >= 0.8)\n");
    printf("%-6s %10s %10s %8s %14s %16s %16s\n", "depth", "bare fps", "busy fps", "ratio", "median ratio",
           "memory busy us", "memory bare us");
    bool allMet = true;
    for (int i = 0; i < 2; ++i) {
        const DepthResult& r = results[i];
        if (!r.ok) {
            allMet = false;
            continue;
        }
        const double ratio = r.busyFps / r.bareFps;
        allMet = allMet && r.medianRatio >= 0.8;
        printf("%-6d %10.0f %10.0f %8.2f %14.2f %16.1f %16.1f\n", depths[i], r.bareFps, r.busyFps, ratio,
               r.medianRatio, r.busyMemoryUs, r.bareMemoryUs);
    }
    printf("(memory: the same frames with the screen left out; bare is the clear alone)\n");
    printf("%s\n", allMet ? "both depths meet the goal (median ratio)" : "GOAL NOT MET at some depth (median ratio)");
    return 0;
}
END_OF_MAIN()
