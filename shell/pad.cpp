#include "shell/pad.h"

#include "shell/al.h"
#include "shell/globals.h"
#include "shell/log.h"
#include "shell/seam.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace {

constexpr int stickEnd = 127;
constexpr int deadZone = 30;      // about a quarter of the travel: where worn sticks rest
constexpr float fullPull = 0.12f; // the speed a stick right out adds in a step
constexpr int pushedAt = 64;      // a direction counts from half way
constexpr int firstRepeat = 50;   // steps held before the first repeat
constexpr int nextRepeat = 12;    // and between the next ones

enum Direction { UP, DOWN, LEFT, RIGHT, DIRECTIONS };

struct Push {
    bool held, repeats;
    int repeatAt; // ticks
};

PadState state; // at the last read; zero without a pad
bool present = false;
bool looked = false; // the first read finds the pad as the game starts
bool wentAway = false;
bool pressed[padButtonCount]; // since the last look at the button
Push pushes[DIRECTIONS];
// Every press not yet taken as a key, in order, as the key buffer holds
// keys: a button by its number, a direction by padButtonCount + its own.
std::deque<int> waiting;
constexpr size_t waitingMost = 64;

void wait(int press)
{
    if (waiting.size() == waitingMost)
        waiting.pop_front();
    waiting.push_back(press);
}

bool pushedNow(int direction)
{
    const bool vertical = direction == UP || direction == DOWN;
    const int stick = state.axes[vertical ? PAD_STICK_Y : PAD_STICK_X];
    const int dpad = state.axes[vertical ? PAD_DPAD_Y : PAD_DPAD_X];
    return direction == UP || direction == LEFT ? std::min(stick, dpad) < -pushedAt
                                                : std::max(stick, dpad) > pushedAt;
}

} // namespace

const PadKeys menuPadKeys = {
    KEY_UP << 8, KEY_DOWN << 8, KEY_LEFT << 8, KEY_RIGHT << 8,
    {{PAD_A, KEY_ENTER << 8 | '\r'}, {PAD_START, KEY_ENTER << 8 | '\r'}, {PAD_B, KEY_ESC << 8 | 27}, {0, 0}},
};

void pollPad()
{
    PadState now = {};
    const bool there = seam.readPad(&now);
    // Changes after the start are worth a line: a pad that came or went.
    if (looked && there != present)
        logLine(there ? "A gamepad was connected." : "The gamepad was disconnected.");
    looked = true;
    wentAway = wentAway || (present && !there);
    present = there;
    for (int b = 0; b < padButtonCount; ++b)
        if (now.buttons[b] && !state.buttons[b])
            pressed[b] = true, wait(b);
    state = now;
    const int t = ticks;
    for (int d = 0; d < DIRECTIONS; ++d) {
        Push& push = pushes[d];
        const bool held = pushedNow(d);
        if (held && !push.held) {
            push.repeats = true;
            push.repeatAt = t + firstRepeat;
            wait(padButtonCount + d);
        } else if (held && push.repeats && t - push.repeatAt >= 0) {
            push.repeatAt = t + nextRepeat;
            wait(padButtonCount + d);
        }
        push.held = held;
    }
}

bool padPresent() { return present; }

bool padWentAway()
{
    const bool gone = wentAway;
    wentAway = false;
    return gone;
}

int padAxis(int axis) { return state.axes[axis]; }

bool padDown(int button)
{
    if (button < 0 || button >= padButtonCount)
        return false;
    const bool down = state.buttons[button] || pressed[button];
    pressed[button] = false;
    return down;
}

int nextKey(const PadKeys& keys)
{
    if (seam.keyWaiting())
        return seam.readKey();
    pollPad();
    const int directionKeys[DIRECTIONS] = {keys.up, keys.down, keys.left, keys.right};
    while (!waiting.empty()) {
        const int press = waiting.front();
        waiting.pop_front();
        int key = press >= padButtonCount ? directionKeys[press - padButtonCount] : 0;
        for (const auto& b : keys.buttons)
            key = b.button == press && key == 0 ? b.key : key;
        if (key != 0)
            return key;
    }
    return 0;
}

void forgetPresses()
{
    seam.clearKeys();
    pollPad();
    std::fill(std::begin(pressed), std::end(pressed), false);
    waiting.clear();
    for (Push& push : pushes)
        push.repeats = false;
}

float stickPull(int position, float sensitivity)
{
    const int beyond = std::min(std::abs(position), stickEnd) - deadZone;
    if (beyond <= 0)
        return 0;
    const float pull = fullPull * sensitivity * beyond / (stickEnd - deadZone);
    return position < 0 ? -pull : pull;
}

char pickLetter(char letter, int step)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr int count = sizeof letters - 1;
    const char* at = letter != '\0' ? std::strchr(letters, letter) : nullptr;
    if (!at)
        return 'A';
    return letters[((at - letters) + step % count + count) % count];
}

void resetPad()
{
    state = PadState{};
    present = looked = wentAway = false;
    std::fill(std::begin(pressed), std::end(pressed), false);
    std::fill(std::begin(pushes), std::end(pushes), Push{});
    waiting.clear();
}
