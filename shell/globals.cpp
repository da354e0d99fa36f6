#include "shell/globals.h"

bool soundOn = true;
bool musicOn = false;
int soundVolume = 100;
int musicVolume = 70;
float mouseSens = 1.0f;

std::atomic<int> speedCounter{0};
std::atomic<int> seconds{0};
std::atomic<int> frames{0};
std::atomic<int> fps{0};
std::atomic<int> bonusScore{0};
std::atomic<int> ticks{0};
std::atomic<bool> quitRequested{false};
std::atomic<bool> gamePaused{false};
std::atomic<bool> focusLost{false};

static_assert(std::atomic<int>::is_always_lock_free, "timer counters must be lock-free");
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets quitRequested");

void timerFunc()
{
    speedCounter.fetch_add(1, std::memory_order_relaxed);
    ticks.fetch_add(1, std::memory_order_relaxed);
}

void secondsFunc()
{
    // Compare-and-swap, so that a refill to 1500 by the wave set-up between
    // our read and our write is never overwritten with a drained old value.
    if (!gamePaused.load(std::memory_order_relaxed)) {
        int bonus = bonusScore.load(std::memory_order_relaxed);
        int drained;
        do {
            drained = bonus - 40 < 0 ? 0 : bonus - 40;
        } while (!bonusScore.compare_exchange_weak(bonus, drained, std::memory_order_relaxed));
    }
    seconds.fetch_add(1, std::memory_order_relaxed);
    fps.store(frames.exchange(0, std::memory_order_relaxed), std::memory_order_relaxed);
}
