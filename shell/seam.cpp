#include "shell/seam.h"

#include "shell/al.h"
#include "shell/globals.h"
#include "shell/graphics.h"
#include "shell/music.h"
#include "shell/pad.h"
#include "shell/raw_mouse.h"
#include "shell/seam_log.h"
#include "shell/x_present.h"

#include <xalleg.h>
#include <allegro/internal/aintern.h>
#include <allegro/platform/aintunix.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The pointer on the screen, as a point of the game's picture.
int pictureX() { return std::clamp((mouse_x - viewport.left) / viewport.scale, 0, screenWidth - 1); }
int pictureY() { return std::clamp((mouse_y - viewport.top) / viewport.scale, 0, screenHeight - 1); }

void alMouseMickeys(int* mx, int* my) { get_mouse_mickeys(mx, my); }
int alMouseButtons() { return mouse_b; }
int alMouseX() { return pictureX(); }
int alMouseY() { return pictureY(); }

// With raw motion in force, steering reads the X server directly; a screen
// that reads the absolute pointer ends steering and frees the pointer.
int rawMouseX()
{
    releaseRawMouse();
    return pictureX();
}
int rawMouseY()
{
    releaseRawMouse();
    return pictureY();
}

// Rests in slices of at most 10 ms, keeping the music's buffer full.
void alRest(unsigned int milliseconds)
{
    while (milliseconds > 0) {
        const unsigned int slice = std::min(milliseconds, 10u);
        rest(slice);
        milliseconds -= slice;
        pollMusic();
    }
}

// Allegro's input thread waits at the X lock while we hold it; what came in
// meanwhile is read here, on our thread, before the lock is let go.
void alRestStill(unsigned int milliseconds)
{
    XLOCK();
    rest(milliseconds);
    _xwin_handle_input();
    XUNLOCK();
}

bool alKeyDown(int scancode) { return key[scancode] != 0; }
bool alKeyWaiting() { return keypressed() != 0; }
// readkey() would wait through a request to quit: 0 then, as for no key.
int alReadKey()
{
    while (!keypressed()) {
        if (quitRequested)
            return 0;
        alRest(1);
    }
    return readkey();
}
void alClearKeys() { clear_keybuf(); }

std::atomic<int> leftPressCount{0};
// Allegro's mouse callback, on its input thread: a count and nothing more.
void countPresses(int flags)
{
    if (flags & MOUSE_FLAG_LEFT_DOWN)
        leftPressCount.fetch_add(1, std::memory_order_relaxed);
}
int alLeftPresses() { return leftPressCount.load(std::memory_order_relaxed); }

// The first gamepad through Allegro's joystick driver, which opens its
// device once, at install_joystick. When the device goes the driver's reads
// fail quietly and it keeps the last values: the device is looked for four
// times a second while installed, once a second while not, and a pad that
// comes (back) is installed anew.
bool padInstalled = false;
std::chrono::steady_clock::time_point nextPadLook;

bool padDeviceThere() { return access("/dev/input/js0", F_OK) == 0 || access("/dev/js0", F_OK) == 0; }

bool alReadPad(PadState* pad)
{
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextPadLook) {
        nextPadLook = now + std::chrono::milliseconds(padInstalled ? 250 : 1000);
        const bool there = padDeviceThere();
        if (padInstalled != there) {
            remove_joystick();
            padInstalled = there && install_joystick(JOY_TYPE_AUTODETECT) == 0 && num_joysticks > 0;
        }
    }
    if (!padInstalled)
        return false;
    poll_joystick();
    const JOYSTICK_INFO& j = joy[0];
    *pad = PadState{};
    int axis = 0;
    for (int s = 0; s < j.num_sticks; ++s)
        for (int a = 0; a < j.stick[s].num_axis && axis < padAxisCount; ++a)
            pad->axes[axis++] = j.stick[s].axis[a].pos;
    for (int b = 0; b < j.num_buttons && b < padButtonCount; ++b)
        pad->buttons[b] = j.button[b].b != 0;
    return true;
}

// The effects' volumes scale with SoundVolume here, per sample: Allegro's
// global volume would scale the music's stream as well.
void alPlaySample(SAMPLE* sample, int volume, int pan, int frequency)
{
    play_sample(sample, volume * soundVolume / 100, pan, frequency, 0);
}
int alAllocateVoice(SAMPLE* sample)
{
    const int voice = allocate_voice(sample);
    if (voice >= 0)
        voice_set_volume(voice, 255 * soundVolume / 100);
    return voice;
}
void alVoiceSetPriority(int voice, int priority) { voice_set_priority(voice, priority); }
void alVoiceStart(int voice) { voice_start(voice); }
void alReleaseVoice(int voice) { release_voice(voice); }

// The voices playing when the sound was held: the effects and any music
// stream still going (starting one twice does no harm).
std::vector<int> heldVoices;
void alHoldSounds(bool hold)
{
    if (!hold) {
        for (int voice : heldVoices)
            voice_start(voice);
        heldVoices.clear();
        return;
    }
    for (int voice = 0; voice < VIRTUAL_VOICES; ++voice)
        if (voice_check(voice) && voice_get_position(voice) >= 0) {
            voice_stop(voice);
            heldVoices.push_back(voice);
        }
}

// Allegro's X11 driver sends each line that stretch_blit writes as a request
// of its own: this is the way only where the X server cannot enlarge.
void alPresent(BITMAP* picture, int x, int y)
{
    const Viewport& v = viewport;
    if (v.scale == 1)
        blit(picture, screen, 0, 0, v.left + x, v.top + y, picture->w, picture->h);
    else
        stretch_blit(picture, screen, 0, 0, picture->w, picture->h, v.left + x * v.scale, v.top + y * v.scale,
                     picture->w * v.scale, picture->h * v.scale);
}

// Only the picture's place: the borders of a centred picture stay black.
void alClearScreen(int color)
{
    const Viewport& v = viewport;
    rectfill(screen, v.left, v.top, v.left + screenWidth * v.scale - 1, v.top + screenHeight * v.scale - 1, color);
}

} // namespace

const Seam allegroSeam = {
    alMouseMickeys, alMouseButtons, alMouseX, alMouseY,
    alKeyDown, alKeyWaiting, alReadKey, alClearKeys, alLeftPresses, alReadPad,
    alPlaySample, alAllocateVoice, alVoiceSetPriority, alVoiceStart, alReleaseVoice, alHoldSounds,
    alPresent, alClearScreen, alRest, alRestStill, changeGraphicsMode,
};

Seam seam = allegroSeam;

namespace {

// The picture through the X server where it offers what that needs,
// otherwise through Allegro's screen.
void choosePresent(BITMAP* canvas)
{
    if (!openXPresent())
        return;
    shareCanvas(canvas);
    atexit(closeXPresent);
    seam.present = xPresent;
    seam.clearScreen = xClearScreen;
}

// Raw motion where the X server offers it, unless TARNAVEL_MICKEYS=allegro
// asks for Allegro's own mickeys (for comparison).
void chooseMickeys()
{
    const char* choice = getenv("TARNAVEL_MICKEYS");
    if (choice && std::string(choice) == "allegro")
        return;
    if (!openRawMouse())
        return;
    atexit(closeRawMouse);
    seam.mouseMickeys = rawMouseMickeys;
    seam.mouseX = rawMouseX;
    seam.mouseY = rawMouseY;
}

} // namespace

void waitForTick()
{
    pollMusic();
    pollPad();
    while (speedCounter <= 0 && !quitRequested) {
        seam.rest(1);
        pollPad();
    }
}

bool escapePressed()
{
    static const PadKeys introPadKeys = {0, 0, 0, 0, {{PAD_A, KEY_ESC << 8}, {PAD_START, KEY_ESC << 8}}};
    bool pressed = seam.keyDown(KEY_ESC);
    for (int key; (key = nextKey(introPadKeys)) != 0;)
        pressed = (key >> 8) == KEY_ESC || pressed;
    return pressed;
}

void startSeam(BITMAP* canvas)
{
    mouse_callback = countPresses;
    choosePresent(canvas);
    chooseMickeys();
    const char* logPath = getenv("TARNAVEL_SEAM_LOG");
    if (logPath && *logPath)
        startSeamLog(logPath);
}
