#include "shell/seam_log.h"

#include "shell/al.h"
#include "shell/seam.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

FILE* logFile = nullptr;
Seam inner;           // the table that does the work
bool steering = false;
bool pointing = false;
bool presented = false;
int lastX, lastY, lastW, lastH;
int readX;                 // the pointer's x, read before its y
int pointerX, pointerY;    // the pointer as last recorded
bool padThere = false;
PadState padRecorded;      // the pad as last recorded while there

// Starts a line with its event name and the time.
void stamp(const char* event)
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    fprintf(logFile, "%s %lld.%06ld", event, static_cast<long long>(now.tv_sec), now.tv_nsec / 1000);
}

void endLine()
{
    fputc('\n', logFile);
    fflush(logFile);
}

void loggedMickeys(int* mx, int* my)
{
    inner.mouseMickeys(mx, my);
    if (!logFile)
        return;
    if (!steering) {
        steering = true;
        pointing = false;
        stamp("steer");
        endLine();
    }
    if (*mx != 0 || *my != 0) {
        stamp("mickeys");
        fprintf(logFile, " %d %d", *mx, *my);
        endLine();
    }
}

// The screens read x, then y: one line when pointing starts or the pointer
// has moved, so a driver can wait until the game has seen where it went.
int loggedMouseX()
{
    readX = inner.mouseX();
    return readX;
}

int loggedMouseY()
{
    const int y = inner.mouseY();
    if (logFile && (!pointing || readX != pointerX || y != pointerY)) {
        pointing = true;
        steering = false;
        pointerX = readX;
        pointerY = y;
        stamp("point");
        fprintf(logFile, " %d %d", pointerX, pointerY);
        endLine();
    }
    return y;
}

bool loggedReadPad(PadState* pad)
{
    const bool there = inner.readPad(pad);
    const bool same = there ? padThere && memcmp(pad, &padRecorded, sizeof padRecorded) == 0 : !padThere;
    if (!logFile || same)
        return there;
    stamp("pad");
    if (there) {
        unsigned long buttons = 0;
        for (int b = 0; b < padButtonCount; ++b)
            buttons |= static_cast<unsigned long>(pad->buttons[b]) << b;
        fprintf(logFile, " %lu", buttons);
        for (int axis : pad->axes)
            fprintf(logFile, " %d", axis);
        padRecorded = *pad;
    } else {
        fputs(" gone", logFile);
    }
    padThere = there;
    endLine();
    return there;
}

void loggedPresent(BITMAP* picture, int x, int y)
{
    inner.present(picture, x, y);
    if (!logFile)
        return;
    if (!presented || x != lastX || y != lastY || picture->w != lastW || picture->h != lastH) {
        presented = true;
        lastX = x;
        lastY = y;
        lastW = picture->w;
        lastH = picture->h;
        stamp("present");
        fprintf(logFile, " %d %d %d %d", x, y, lastW, lastH);
        endLine();
    }
}

void loggedClearScreen(int color)
{
    inner.clearScreen(color);
    if (!logFile)
        return;
    stamp("clear");
    endLine();
}

} // namespace

bool startSeamLog(const char* path)
{
    FILE* file = fopen(path, "w");
    if (!file)
        return false;
    stopSeamLog();
    logFile = file;
    steering = pointing = presented = padThere = false;
    inner = seam;
    seam.mouseMickeys = loggedMickeys;
    seam.mouseX = loggedMouseX;
    seam.mouseY = loggedMouseY;
    seam.present = loggedPresent;
    seam.clearScreen = loggedClearScreen;
    seam.readPad = loggedReadPad;
    return true;
}

void stopSeamLog()
{
    if (!logFile)
        return;
    fclose(logFile);
    logFile = nullptr;
    seam.mouseMickeys = inner.mouseMickeys;
    seam.mouseX = inner.mouseX;
    seam.mouseY = inner.mouseY;
    seam.present = inner.present;
    seam.clearScreen = inner.clearScreen;
    seam.readPad = inner.readPad;
}
