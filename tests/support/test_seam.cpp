#include "support/test_seam.h"

#include "shell/globals.h"

TestSeamState testSeam;

void advanceTicks(int ticks)
{
    for (int i = 0; i < ticks; ++i) {
        timerFunc();
        if (++testSeam.totalTicks % 100 == 0)
            secondsFunc();
    }
}

namespace {

void tsMouseMickeys(int* mx, int* my)
{
    *mx = testSeam.mickeyX;
    *my = testSeam.mickeyY;
    testSeam.mickeyX = testSeam.mickeyY = 0;
}
int tsMouseButtons() { return testSeam.buttons; }
int tsMouseX() { return testSeam.pointerX; }
int tsMouseY() { return testSeam.pointerY; }
bool tsKeyDown(int scancode) { return scancode >= 0 && scancode < 128 && testSeam.keys[scancode]; }
bool tsKeyWaiting() { return !testSeam.keyBuffer.empty(); }
int tsReadKey()
{
    if (testSeam.keyBuffer.empty() && testSeam.onWait)
        testSeam.onWait();
    if (testSeam.keyBuffer.empty())
        return 0; // as Allegro without a keyboard: returns at once
    int k = testSeam.keyBuffer.front();
    testSeam.keyBuffer.pop_front();
    return k;
}
void tsClearKeys() { testSeam.keyBuffer.clear(); }

void tsPlaySample(SAMPLE* sample, int volume, int pan, int frequency)
{
    testSeam.sounds.push_back({SoundCall::Play, sample, volume, pan, frequency, -1});
}
int tsAllocateVoice(SAMPLE* sample)
{
    testSeam.sounds.push_back({SoundCall::Allocate, sample, 0, 0, 0, testSeam.nextVoice});
    return testSeam.nextVoice;
}
void tsVoiceSetPriority(int voice, int priority)
{
    testSeam.sounds.push_back({SoundCall::Priority, nullptr, priority, 0, 0, voice});
}
void tsVoiceStart(int voice)
{
    testSeam.sounds.push_back({SoundCall::Start, nullptr, 0, 0, 0, voice});
}
void tsReleaseVoice(int voice)
{
    testSeam.sounds.push_back({SoundCall::Release, nullptr, 0, 0, 0, voice});
}

void tsPresent(BITMAP*, int, int)
{
    ++testSeam.presents;
    if (testSeam.onPresent)
        testSeam.onPresent(testSeam.presents);
    advanceTicks(testSeam.ticksPerPresent);
}
void tsClearScreen(int) { ++testSeam.screenClears; }
void tsRest(unsigned int ms)
{
    testSeam.restedMs += ms;
    if (testSeam.onWait)
        testSeam.onWait();
    testSeam.tickRemainder += ms;
    advanceTicks(testSeam.tickRemainder / 10);
    testSeam.tickRemainder %= 10;
}

} // namespace

const Seam recordingSeam = {
    tsMouseMickeys, tsMouseButtons, tsMouseX, tsMouseY,
    tsKeyDown, tsKeyWaiting, tsReadKey, tsClearKeys,
    tsPlaySample, tsAllocateVoice, tsVoiceSetPriority, tsVoiceStart, tsReleaseVoice,
    tsPresent, tsClearScreen, tsRest,
};

ScopedTestSeam::ScopedTestSeam()
{
    testSeam = TestSeamState();
    seam = recordingSeam;
    speedCounter = 0;
    seconds = 0;
    frames = 0;
    fps = 0;
    bonusScore = 0;
    soundOn = true;
    mouseSens = 1.0f;
}

ScopedTestSeam::~ScopedTestSeam()
{
    seam = allegroSeam;
    testSeam = TestSeamState();
}

std::vector<SoundCall> playsOf(const SAMPLE* sample)
{
    std::vector<SoundCall> out;
    for (const SoundCall& c : testSeam.sounds)
        if (c.kind == SoundCall::Play && c.sample == sample)
            out.push_back(c);
    return out;
}
