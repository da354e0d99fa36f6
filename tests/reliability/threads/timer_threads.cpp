// The game's timer callbacks on Allegro's real timer thread, beside a timed
// loop of the game's shape, under ThreadSanitizer.
//
// Called as: timer_threads SECONDS (needs an X display: Allegro's timer
// comes with a system driver, and without a display there is none).
// The 100 Hz callback is timerFunc itself, reached through a wrapper that
// counts its calls; the 1 Hz one is secondsFunc, wrapped to add up the frame
// counts it publishes. After the timers are removed and the owed steps run,
// every tick must have become exactly one logic step and every drawn frame
// must be in a published count or still in `frames`. Exit status 0 when all
// holds; ThreadSanitizer's own report fails the run through its exit code.
#include "shell/al.h"
#include "shell/globals.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

std::atomic<long> ticksCounted{0};
std::atomic<long> framesPublished{0};
std::atomic<int> secondsCalls{0};

void countedTimerFunc()
{
    timerFunc();
    ticksCounted.fetch_add(1, std::memory_order_relaxed);
}
END_OF_STATIC_FUNCTION(countedTimerFunc)

void countedSecondsFunc()
{
    secondsFunc();
    // Only secondsFunc writes fps, and it runs on this thread: the value read
    // here is the one it has just published.
    framesPublished.fetch_add(fps.load(std::memory_order_relaxed), std::memory_order_relaxed);
    secondsCalls.fetch_add(1, std::memory_order_relaxed);
}
END_OF_STATIC_FUNCTION(countedSecondsFunc)

// A logic step's worth of work that the timer thread never touches.
struct World {
    int x = 0, y = 0, dx = 3, dy = 2;
    void step()
    {
        x += dx;
        y += dy;
        if (x < 0 || x > 600) dx = -dx;
        if (y < 0 || y > 440) dy = -dy;
    }
};

} // namespace

int main(int argc, char** argv)
{
    const int runSeconds = argc > 1 ? atoi(argv[1]) : 5;
    if (allegro_init() != 0) {
        fprintf(stderr, "allegro_init failed (no X display?): %s\n", allegro_error);
        return 2;
    }
    if (install_timer() != 0) {
        fprintf(stderr, "install_timer failed: %s\n", allegro_error);
        return 2;
    }
    set_color_depth(32);
    BITMAP* buffer = create_bitmap(screenWidth, screenHeight);
    if (!buffer) {
        fprintf(stderr, "no memory bitmap\n");
        return 2;
    }

    LOCK_FUNCTION(countedSecondsFunc);
    LOCK_FUNCTION(countedTimerFunc);
    install_int_ex(countedSecondsFunc, SECS_TO_TIMER(1));
    // The loop's entry resets the counter, as every timed loop of the game
    // does; the counted ticks start with it.
    speedCounter = 0;
    install_int_ex(countedTimerFunc, BPS_TO_TIMER(100));

    World world;
    long steps = 0;
    long framesDrawn = 0;
    int bonusErrors = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(runSeconds);
    while (std::chrono::steady_clock::now() < end) {
        while (speedCounter > 0) {
            world.step();
            ++steps;
            // The wave set-up's refill against the drain on the timer thread.
            if (steps % 250 == 0)
                bonusScore = 1500;
            const int bonus = bonusScore;
            if (bonus < 0 || bonus > 1500 || (bonus != 0 && (1500 - bonus) % 40 != 0))
                ++bonusErrors;
            speedCounter--;
        }
        clear_to_color(buffer, makecol(0, 0, 0));
        rectfill(buffer, world.x, world.y, world.x + 39, world.y + 39, makecol(255, 255, 0));
        textprintf_ex(buffer, font, 0, 0, makecol(255, 255, 255), -1, "FPS: %d", fps.load());
        frames++;
        ++framesDrawn;
    }

    remove_int(countedTimerFunc);
    remove_int(countedSecondsFunc);
    // The steps still owed when the clock stopped.
    while (speedCounter > 0) {
        world.step();
        ++steps;
        speedCounter--;
    }
    destroy_bitmap(buffer);

    const long ticks = ticksCounted.load();
    const long published = framesPublished.load() + frames.load();
    printf("timer: %ld ticks, %ld steps run, %d seconds counted, %ld frames drawn, "
           "%ld published or pending\n",
           ticks, steps, secondsCalls.load(), framesDrawn, published);
    int failures = 0;
    if (steps != ticks) {
        fprintf(stderr, "lost ticks: %ld ticks counted, %ld steps run\n", ticks, steps);
        ++failures;
    }
    if (speedCounter != 0) {
        fprintf(stderr, "speedCounter ends at %d\n", speedCounter.load());
        ++failures;
    }
    if (published != framesDrawn) {
        fprintf(stderr, "lost frames: %ld drawn, %ld counted\n", framesDrawn, published);
        ++failures;
    }
    if (bonusErrors) {
        fprintf(stderr, "bonusScore out of its pattern %d times\n", bonusErrors);
        ++failures;
    }
    if (ticks == 0) {
        fprintf(stderr, "the timer never ran\n");
        ++failures;
    }
    return failures ? 1 : 0;
}
END_OF_MAIN()
