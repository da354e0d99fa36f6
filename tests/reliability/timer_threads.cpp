// The game's timer callbacks on Allegro's real timer thread (which needs an X
// display) beside a loop of the play loop's shape, under ThreadSanitizer,
// whose report fails the run. Once the timers are gone and the owed steps
// run, every tick must have become exactly one step.
//   timer_threads SECONDS
#include "shell/al.h"
#include "shell/globals.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2 || allegro_init() != 0 || install_timer() != 0) {
        fprintf(stderr, "usage: timer_threads SECONDS (with an X display)\n");
        return 2;
    }
    install_int_ex(secondsFunc, SECS_TO_TIMER(1));
    install_int_ex(timerFunc, BPS_TO_TIMER(100)); // it counts every tick in `ticks`
    long steps = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(atoi(argv[1]));
    while (std::chrono::steady_clock::now() < end) {
        for (; speedCounter > 0; --speedCounter)
            if (++steps % 250 == 0)
                bonusScore = 1500; // the wave set-up's refill against the drain
        ++frames;
    }
    remove_int(timerFunc);
    remove_int(secondsFunc);
    for (; speedCounter > 0; --speedCounter)
        ++steps;
    printf("timer: %d ticks, %ld steps, %d seconds\n", ticks.load(), steps, seconds.load());
    return ticks > 0 && steps == ticks ? 0 : 1;
}
END_OF_MAIN()
