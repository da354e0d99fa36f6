#include "shell/seam.h"

#include "shell/al.h"
#include "shell/raw_mouse.h"
#include "shell/seam_log.h"

#include <cstdlib>
#include <string>

namespace {

void alMouseMickeys(int* mx, int* my) { get_mouse_mickeys(mx, my); }
int alMouseButtons() { return mouse_b; }
int alMouseX() { return mouse_x; }
int alMouseY() { return mouse_y; }

// With raw motion in force, steering reads the X server directly; a screen
// that reads the absolute pointer ends steering and frees the pointer.
int rawMouseX()
{
    releaseRawMouse();
    return mouse_x;
}
int rawMouseY()
{
    releaseRawMouse();
    return mouse_y;
}
bool alKeyDown(int scancode) { return key[scancode] != 0; }
bool alKeyWaiting() { return keypressed() != 0; }
int alReadKey() { return readkey(); }
void alClearKeys() { clear_keybuf(); }

void alPlaySample(SAMPLE* sample, int volume, int pan, int frequency)
{
    play_sample(sample, volume, pan, frequency, 0);
}
int alAllocateVoice(SAMPLE* sample) { return allocate_voice(sample); }
void alVoiceSetPriority(int voice, int priority) { voice_set_priority(voice, priority); }
void alVoiceStart(int voice) { voice_start(voice); }
void alReleaseVoice(int voice) { release_voice(voice); }

void alPresent(BITMAP* picture, int x, int y) { draw_sprite(screen, picture, x, y); }
void alClearScreen(int color) { clear_to_color(screen, color); }
void alRest(unsigned int milliseconds) { rest(milliseconds); }

} // namespace

const Seam allegroSeam = {
    alMouseMickeys, alMouseButtons, alMouseX, alMouseY,
    alKeyDown, alKeyWaiting, alReadKey, alClearKeys,
    alPlaySample, alAllocateVoice, alVoiceSetPriority, alVoiceStart, alReleaseVoice,
    alPresent, alClearScreen, alRest,
};

Seam seam = allegroSeam;

namespace {

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

void startSeam()
{
    chooseMickeys();
    const char* logPath = getenv("TARNAVEL_SEAM_LOG");
    if (logPath && *logPath)
        startSeamLog(logPath);
}
