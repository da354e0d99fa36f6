// The recording seam, and the test binary's main: unit tests run headless,
// Allegro without a system driver and memory bitmaps.
#include "support/test_seam.h"

#include "shell/al.h"
#include "shell/globals.h"
#include "shell/pad.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

TestSeamState testSeam;

namespace {

TestSeamState& ts = testSeam;

void record(SoundCall::Kind kind, SAMPLE* sample, int volume, int pan, int frequency, int voice)
{
    ts.sounds.push_back({kind, sample, volume, pan, frequency, voice});
}

int readKey()
{
    if (ts.keyBuffer.empty() && ts.onWait)
        ts.onWait();
    if (ts.keyBuffer.empty())
        return 0; // as Allegro without a keyboard: returns at once
    const int k = ts.keyBuffer.front();
    return ts.keyBuffer.pop_front(), k;
}

void present(BITMAP*, int, int)
{
    ++ts.presents;
    if (ts.onPresent)
        ts.onPresent(ts.presents);
    advanceTicks(ts.ticksPerPresent);
}

void restFor(unsigned int ms)
{
    ts.restedMs += ms;
    if (ts.onWait)
        ts.onWait();
    advanceTicks((ts.tickRemainder + ms) / 10);
    ts.tickRemainder = (ts.tickRemainder + ms) % 10;
}

} // namespace

void advanceTicks(int ticks)
{
    for (int i = 0; i < ticks; ++i) {
        timerFunc();
        if (++ts.totalTicks % 100 == 0)
            secondsFunc();
    }
}

const Seam recordingSeam = {
    [](int* mx, int* my) { *mx = ts.mickeyX, *my = ts.mickeyY, ts.mickeyX = ts.mickeyY = 0; },
    [] { return ts.buttons; }, [] { return ts.pointerX; }, [] { return ts.pointerY; },
    [](int scancode) { return scancode >= 0 && scancode < 128 && ts.keys[scancode]; },
    [] { return !ts.keyBuffer.empty(); }, readKey, [] { ts.keyBuffer.clear(); }, [] { return ts.leftPresses; },
    [](PadState* pad) { return ts.padThere && (*pad = ts.pad, true); },
    [](SAMPLE* s, int volume, int pan, int frequency) { record(SoundCall::Play, s, volume, pan, frequency, -1); },
    [](SAMPLE* s) { return record(SoundCall::Allocate, s, 0, 0, 0, ts.nextVoice), ts.nextVoice; },
    [](int voice, int priority) { record(SoundCall::Priority, nullptr, priority, 0, 0, voice); },
    [](int voice) { record(SoundCall::Start, nullptr, 0, 0, 0, voice); },
    [](int voice) { record(SoundCall::Release, nullptr, 0, 0, 0, voice); },
    [](bool hold) { record(SoundCall::Hold, nullptr, hold, 0, 0, -1); },
    present, [](int) { ++ts.screenClears; }, restFor, restFor,
    [](bool windowed, int scale) { return ts.screenModes.push_back({windowed, scale}), ts.screenModeWorks; },
};

ScopedTestSeam::ScopedTestSeam()
{
    testSeam = TestSeamState(), seam = recordingSeam, resetPad();
    speedCounter = seconds = frames = fps = bonusScore = 0;
    gamePaused = focusLost = false;
    soundOn = true, mouseSens = 1.0f;
}

ScopedTestSeam::~ScopedTestSeam() { seam = allegroSeam, testSeam = TestSeamState(); }

std::vector<SoundCall> playsOf(const SAMPLE* sample)
{
    std::vector<SoundCall> out;
    for (const SoundCall& c : testSeam.sounds)
        if (c.kind == SoundCall::Play && c.sample == sample)
            out.push_back(c);
    return out;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 2;
    set_color_depth(32), set_color_conversion(COLORCONV_TOTAL);
    return RUN_ALL_TESTS();
}
